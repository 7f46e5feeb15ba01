// CxAudioSubTitle: a sound that plays no audio but shows a series of text
// lines across the screen, each for its own time, and is done when the last
// line's time has run out. Being a CxSound, it can stand wherever a voice
// recording is played and waited for.
//
// A subtitle file is plain text, one subtitle a line: the display time in
// milliseconds, a comma, the text. Blanks right after the comma are skipped;
// the text runs to the line feed (a carriage return before it stays part of
// the text). A time of -1 means 50 ms for every character of the text.
// Reading stops at the first line without a comma and at the end of the data.
//
// Lines advance in the sound layer's service step; a paused subtitle keeps
// its line on screen and the rest of that line's time.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/linked_list.h"
#include "engine/core/timer.h"
#include "engine/graphics/display_object.h"
#include "engine/graphics/draw_text.h"
#include "engine/media/sound.h"

#include <cstdint>
#include <memory>

// Milliseconds per character of a line whose time is -1.
constexpr uint32_t CX_SUBTITLE_MS_PER_CHAR = 50;
// The file's time that asks for the per-character time.
constexpr long CX_SUBTITLE_TIME_PER_CHAR = -1;
// Longest display time of one line; larger times are cut to it so that the
// line timer's end always lies within its range.
constexpr uint32_t CX_SUBTITLE_MAX_TIME = 0x7FFFFFFF;
// Subtitle files larger than this are refused (they are a few lines of text).
constexpr uint32_t CX_SUBTITLE_MAX_FILE = 16u * 1024u * 1024u;
// Text lines drawn in the subtitle box.
constexpr int32_t CX_SUBTITLE_BOX_LINES = 3;
constexpr uint32_t CX_SUBTITLE_BOX_COLOR = 0; // background of the box: black

// One subtitle: its text and how long it is shown.
class CLineOfText
{
public:
    CLineOfText() = default;
    CLineOfText(const char* text, int32_t length, uint32_t time) : m_strText(text, length), m_nTime(time) {}
    virtual ~CLineOfText() = default;

    const CxString& GetText() const { return m_strText; }
    uint32_t GetTime() const { return m_nTime; }

    CxString m_strText;
    uint32_t m_nTime = 0;
};

// The text shown by a subtitle box: a child sprite covering the whole box,
// white on the box's opaque background.
class CxSubtitleText : public CxDrawText
{
public:
    // White in the destination's pixel layout, matched before each paint.
    void MatchColor(const CxDrawSurface* destination);
    void Paint(CxDrawSurface* surface, const CxRect& rect) override;
};

// The box across the screen that shows the current subtitle.
class CxSubtitleBox : public CxDisplayObject
{
public:
    CxSubtitleBox();
    ~CxSubtitleBox() override;

    // Sizes the box to the width of the display root, near its bottom edge,
    // for the font's height; the text wraps within it.
    void Layout(CxFont* font);
    void SetText(const char* text) { m_Text.SetText(text); }
    const CxString& GetText() const { return m_Text.GetText(); }
    CxSubtitleText& GetDrawText() { return m_Text; }

private:
    CxSubtitleText m_Text;
};

class CxAudioSubTitle : public CxSound
{
public:
    CxAudioSubTitle();
    ~CxAudioSubTitle() override;

    // Reads the whole file and parses it (see SetData). A file that cannot
    // be opened or read leaves the sound empty with the file's error code.
    uint32_t Load(const char* fileName) override;
    // Parses size bytes of subtitle text (a zero byte also ends it) and
    // appends the lines; keep is meaningless here, the lines are copies.
    // Running out of memory reports error 1 and keeps the lines read so far.
    uint32_t SetData(const void* data, uint32_t size, bool keep) override;
    // Deletes every line, then unloads as any sound.
    void Unload() override;
    // Advances to the next line when the current one has run out.
    void Update() override;
    bool IsLoaded() const override { return m_nLineCount != 0; }
    // Done when not playing, when there is nothing to show, or when the last line has run out.
    bool IsDone() override;

    void StartPlayback() override;
    void ReleasePlayback() override;
    void PausePlayback() override;
    void ResumePlayback() override;

    uint32_t GetLineCount() const { return m_nLineCount; }
    const CLineOfText* GetLine(uint32_t index) const;
    int32_t GetCurrentLine() const { return m_nCurrentLine; }
    // The line being shown, or null when none is.
    const CLineOfText* GetShownLine() const;
    // The current line's time left (0 when none is shown).
    uint32_t GetRemainingTime() const;
    const CxTimer& GetLineTimer() const { return m_LineTimer; }
    // The text box; it hangs in the display tree only while a line is shown.
    CxSubtitleBox* GetTextBox() const { return m_pTextBox.get(); }

private:
    // Whether the current line is shown and its time has run out.
    bool LineHasRunOut() const;
    void ShowLine(uint32_t index);
    void DeleteLines();

    std::unique_ptr<CxSubtitleBox> m_pTextBox;
    CxTimer m_LineTimer;
    int32_t m_nCurrentLine = 0;
    CxLinkedList<CLineOfText*> m_Lines;
    uint32_t m_nLineCount = 0;
    bool m_bShowing = false;
};
