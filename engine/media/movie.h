// CxMovie: a movie shown as a display object.
//
// The movie draws its frames into its own surface (the sprite image) through
// the driver its file's extension selects (movie_driver.h). Every live movie
// sits in one program-wide list; while the list is not empty the movie
// service is a main-loop function that steps every playing, unpaused movie
// once per pass (Update). A movie plays in time with its sound (the default),
// or one frame per step; forwards or backwards; once, reporting its end to a
// listener or a callback, or in a loop.
//
// Blocking play runs the dialog box's modal loop until the movie ends, or,
// when it is skippable (the default), until a key or a mouse button is
// pressed. PlayMovie is the one-call full-screen player built on it.
//
// A movie that failed to open keeps its error; Play returns it at once, so
// the caller carries on as if the movie had ended.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/linked_list.h"
#include "engine/ui/dialog_box.h"

#include <cstdint>
#include <memory>

class CxMovie;
class CxMovieDriver;

// Movie flags.
constexpr uint32_t CX_MOVIE_PLAYING = 0x001;
constexpr uint32_t CX_MOVIE_BACKWARDS = 0x002;
constexpr uint32_t CX_MOVIE_LOOP = 0x004;        // never report the end
constexpr uint32_t CX_MOVIE_BLOCKING = 0x008;    // blocking play in progress
constexpr uint32_t CX_MOVIE_16BIT = 0x010;       // a 16-bit surface
constexpr uint32_t CX_MOVIE_REDRAW_ALL = 0x020;  // redraw the whole movie each frame
constexpr uint32_t CX_MOVIE_DRIVER_01 = 0x040;   // driver flag 0x01
constexpr uint32_t CX_MOVIE_IN_TIME = 0x080;     // play in time with sound (driver flag 0x02)
constexpr uint32_t CX_MOVIE_SKIPPABLE = 0x100;   // a key or mouse button ends a blocking movie
constexpr uint32_t CX_MOVIE_FIRST_FRAME = 0x200; // decode the first frame when opened
constexpr uint32_t CX_MOVIE_END = 0x400;         // the last frame has been shown

// The display layer of the full-screen player: in front of everything.
constexpr int32_t CX_MOVIE_TOP_LAYER = 0x3FFFFFFF;

// Told when a movie reaches its end.
class CxMovieListener
{
public:
    virtual ~CxMovieListener() = default;
    virtual void OnMovieEnd(CxMovie* movie) = 0;
};

// The end callback; the second argument is always 0.
typedef void (*CxMovieEndCallback)(CxMovie* movie, int32_t zero);

class CxMovie : public CxDialogBox
{
public:
    // Joins the movie list (the first movie starts the movie service). The
    // 16-bit flag follows the application's colour depth.
    CxMovie();
    // Closes the movie and leaves the list (the last one stops the service).
    ~CxMovie() override;

    // Opens the file into surface; without one the movie makes its own. The
    // surface is the movie's from then on (freed by Close). Returns the error.
    virtual uint32_t Open(const char* fileName, CxDrawSurface* surface = nullptr);
    // Hide, stop, close the driver, free the surface.
    virtual void Close();
    // Plays from the first frame (backwards: from the frame before the
    // current one). Blocking: returns when the movie ended or was skipped.
    virtual uint32_t Play(bool clearSurface = false, bool blocking = false);
    virtual void Stop();
    // One step: notices the end, or shows the next frame when it is due.
    virtual void Update();
    virtual uint32_t Goto(int32_t frame);
    int32_t GetFrameCount() const override;
    virtual int32_t GetCurrentFrame() const { return m_nCurrentFrame; }
    virtual uint32_t SetVolume(int32_t volume, int32_t track = 0);

    // Pause counts up, Resume down; the movie stands still while the count is above 0.
    void Pause();
    void Resume();
    int32_t GetPauseCount() const { return m_nPauseCount; }
    bool IsPaused() const { return m_nPauseCount > 0; }

    void SetEndListener(CxMovieListener* listener) { m_pListener = listener; }
    CxMovieListener* GetEndListener() const { return m_pListener; }
    void SetEndCallback(CxMovieEndCallback callback) { m_pfnEndCallback = callback; }
    CxMovieEndCallback GetEndCallback() const { return m_pfnEndCallback; }

    uint32_t GetMovieFlags() const { return m_nMovieFlags; }
    void SetMovieFlags(uint32_t bits, bool on);
    bool IsPlaying() const { return (m_nMovieFlags & CX_MOVIE_PLAYING) != 0; }
    bool IsBlockingPlay() const { return (m_nMovieFlags & CX_MOVIE_BLOCKING) != 0; }
    bool IsEndReached() const { return (m_nMovieFlags & CX_MOVIE_END) != 0; }
    void SetBackwards(bool on) { SetMovieFlags(CX_MOVIE_BACKWARDS, on); }
    bool IsBackwards() const { return (m_nMovieFlags & CX_MOVIE_BACKWARDS) != 0; }
    void SetLoop(bool on) { SetMovieFlags(CX_MOVIE_LOOP, on); }
    bool IsLooping() const { return (m_nMovieFlags & CX_MOVIE_LOOP) != 0; }
    void Set16Bit(bool on) { SetMovieFlags(CX_MOVIE_16BIT, on); }
    bool Is16Bit() const { return (m_nMovieFlags & CX_MOVIE_16BIT) != 0; }
    void SetRedrawAll(bool on) { SetMovieFlags(CX_MOVIE_REDRAW_ALL, on); }
    bool IsRedrawAll() const { return (m_nMovieFlags & CX_MOVIE_REDRAW_ALL) != 0; }
    void SetDriverFlag01(bool on) { SetMovieFlags(CX_MOVIE_DRIVER_01, on); }
    bool HasDriverFlag01() const { return (m_nMovieFlags & CX_MOVIE_DRIVER_01) != 0; }
    void SetInTime(bool on) { SetMovieFlags(CX_MOVIE_IN_TIME, on); }
    bool IsInTime() const { return (m_nMovieFlags & CX_MOVIE_IN_TIME) != 0; }
    void SetSkippable(bool on) { SetMovieFlags(CX_MOVIE_SKIPPABLE, on); }
    bool IsSkippable() const { return (m_nMovieFlags & CX_MOVIE_SKIPPABLE) != 0; }
    void SetDecodeFirstFrame(bool on) { SetMovieFlags(CX_MOVIE_FIRST_FRAME, on); }
    bool IsDecodeFirstFrame() const { return (m_nMovieFlags & CX_MOVIE_FIRST_FRAME) != 0; }

    CxMovieDriver* GetDriver() const { return m_pDriver.get(); }
    const CxString& GetFileName() const { return m_strFileName; }
    // True when the last blocking play ended by a key or a button.
    bool WasSkipped() const { return m_bSkipped; }

    // A key or any mouse button skips a blocking, skippable movie.
    void OnKeyDown(uint32_t key, uint32_t flags) override;
    void OnLButtonDown(uint32_t buttons, const CxPoint& point) override;
    void OnMButtonDown(uint32_t buttons, const CxPoint& point) override;
    void OnRButtonDown(uint32_t buttons, const CxPoint& point) override;

    // The program-wide list, in creation order.
    static const CxLinkedList<CxMovie*>& GetMovies();

protected:
    // The end step: a blocking play's modal loop ends.
    virtual void OnEnd();
    // Ends a blocking, skippable play; true when it did.
    bool Skip();

    std::unique_ptr<CxMovieDriver> m_pDriver;
    CxString m_strFileName;
    CxMovieListener* m_pListener = nullptr;
    CxMovieEndCallback m_pfnEndCallback = nullptr;
    int32_t m_nPauseCount = 0;
    int32_t m_nCurrentFrame = 0;
    uint32_t m_nMovieFlags = CX_MOVIE_IN_TIME | CX_MOVIE_SKIPPABLE;

private:
    // Draws the frame record's result onto the screen.
    void RedrawFrame();

    CxLinkedList<CxRect> m_Dirty;
    bool m_bFailed = false;   // a frame did not decode: the movie ends even when looping
    bool m_bUpdating = false; // Update is running (the end listener may play other movies)
    bool m_bSkipped = false;
};

// The main-loop function: one Update of every playing, unpaused movie.
void MovieServiceFunction();

// Plays the file full screen and blocking: a movie with its own surface in
// front of everything on the main screen, centred when x and y are both -1,
// else with its top-left corner at (x, y). flags are extra movie flags to set
// (loop excepted) and clear; returns the movie's error code.
uint32_t PlayMovie(const char* fileName, int32_t x = -1, int32_t y = -1, uint32_t setFlags = 0,
                   uint32_t clearFlags = 0);
