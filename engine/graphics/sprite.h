// CxSprite: a display object that shows an image cut into equal-width
// frames, or the frames of a movie.
//
// The image is a CxDrawSurface owned by the sprite unless it was handed over
// as borrowed. The current frame is a source rectangle within the image;
// painting copies the part of it under the dirty rectangle 1:1, or scales
// the whole frame onto the sprite's area when the sprite is stretched and
// its size differs from the frame's. The key (-1: the image's transparent
// colour) and the effect record go to every copy.
//
// Movies: the sprite talks to a movie driver only through the hooks that the
// movie layer installs (SetSpriteMovieHooks). A movie sprite decodes a frame
// into its image when the frame is painted and differs from the last one
// decoded. A name with a movie driver's extension is always a movie: when it
// cannot be opened the driver has said why, and no image loader is tried.
// A movie whose file says it is made to loop makes a looping sprite.
#pragma once

#include "engine/graphics/display_object.h"
#include "engine/graphics/draw_surface.h"

#include <cstdint>

class CxMovieDriver;

// The movie layer's entry points, used by sprites that show a movie.
struct ST_SPRITE_MOVIE_HOOKS
{
    // Whether the file's extension belongs to a movie driver.
    bool (*pfnIsMovie)(const char* fileName);
    // A driver for the movie file, or null when it cannot be opened; then the
    // failure has been reported and *error holds its code.
    CxMovieDriver* (*pfnOpen)(const char* fileName, uint32_t* error);
    void (*pfnDelete)(CxMovieDriver* driver);
    // Creates the frame surface of the driver at the given depth.
    uint32_t (*pfnAttach)(CxMovieDriver* driver, CxDrawSurface* surface, int32_t depth);
    int32_t (*pfnFrameCount)(CxMovieDriver* driver);
    uint32_t (*pfnDecode)(CxMovieDriver* driver, int32_t frame);
    // Whether the movie is made to loop.
    bool (*pfnLoops)(CxMovieDriver* driver);
};
// Installs the hooks (copied); null removes them.
void SetSpriteMovieHooks(const ST_SPRITE_MOVIE_HOOKS* hooks);

// Key of DrawTo that means "the sprite's own key".
constexpr uint32_t CX_SPRITE_KEY = 0xFFFFFFFEu;

class CxSprite : public CxDisplayObject
{
public:
    CxSprite();
    // Loads the file as Load does; failures leave the sprite empty with the error.
    CxSprite(const char* fileName, int32_t frameCount = 1, CxDisplayObject* parent = nullptr);
    ~CxSprite() override;

    // Construction from a file: loads it and attaches the sprite (to the root
    // without a parent) at (0, 0).
    virtual uint32_t CreateFromFile(const char* fileName, int32_t frameCount = 1,
                                    CxDisplayObject* parent = nullptr, uint32_t identifier = 0);
    // Takes the surface (owned unless borrowed is set) cut into frameCount frames.
    virtual uint32_t SetImage(CxDrawSurface* surface, int32_t frameCount = 1, bool borrowed = false);
    virtual uint32_t Load(const char* fileName, int32_t frameCount = 1);
    virtual uint32_t CreateImage(int32_t width, int32_t height, int32_t depth);
    virtual void Unload();
    // Hide, detach, unload.
    virtual void Destroy();
    virtual CxDrawSurface* GetImage() const;
    // Points the sprite at a surface without touching frames or size (borrowed).
    virtual void SetImageRaw(CxDrawSurface* surface);
    virtual void SetFrameCount(int32_t count);
    virtual int32_t GetFrameCount() const;
    virtual void SetFrame(int32_t index);
    virtual int32_t GetFrame() const;
    virtual void NextFrame();
    virtual void PreviousFrame();
    virtual uint32_t ReplaceColor(uint32_t from, uint32_t to);
    virtual uint32_t SwapColors(uint32_t a, uint32_t b);
    // frame -1 is the current one.
    virtual uint32_t FlipFrameVertical(int32_t frame = -1);
    virtual uint32_t FlipFrameHorizontal(int32_t frame = -1);
    virtual uint32_t FlipImageVertical();
    virtual uint32_t FlipImageHorizontal();
    virtual void SetEffectType(int32_t type);
    virtual int32_t GetEffectType() const;
    virtual void SetEffect(const ST_BLIT_FX* effect);
    virtual void GetEffect(ST_BLIT_FX& effect) const;
    // True when the frame pixel under point (sprite coordinates) is not the key.
    // flag != 0 counts points outside the sprite as opaque.
    virtual bool IsOpaqueAt(const CxPoint& point, int32_t flag = 0);
    // Draws the current frame into surface with the sprite's key and effect at
    // the given rectangle (the frame's own size when null).
    virtual uint32_t DrawFrame(CxDrawSurface* surface, const CxRect* destRect = nullptr);
    // Stamps the current frame (or the part sourceRect of it, frame
    // coordinates) at point; key CX_SPRITE_KEY means the sprite's key.
    virtual uint32_t DrawTo(CxDrawSurface* surface, const CxPoint& point, const CxRect* sourceRect = nullptr,
                            uint32_t key = CX_SPRITE_KEY);

    void Paint(CxDrawSurface* surface, const CxRect& rect) override;
    CxDisplayObject* HitTest(const CxPoint& point, uint32_t mask = 0) override;

    void SetKey(uint32_t key) { m_nKey = key; }
    uint32_t GetKey() const { return m_nKey; }
    void SetPixelHitTest(bool on) { m_bPixelHit = on; }
    bool HasPixelHitTest() const { return m_bPixelHit; }
    bool IsBorrowed() const { return m_bBorrowed; }
    CxMovieDriver* GetMovieDriver() const { return m_pMovieDriver; }
    // A movie sprite whose movie is made to loop: its frames run on from the
    // last to the first (no ring frame of the file among them).
    bool IsLooping() const { return m_bLoop; }
    void SetLooping(bool on) { m_bLoop = on; }
    const CxRect& GetSourceRect() const { return m_rcSource; }
    int32_t GetFrameWidth() const { return m_nFrameWidth; }
    int32_t GetFrameHeight() const { return m_nFrameHeight; }
    // The screen depth movie frames are made at (set by the screen).
    static void SetMovieDepth(int32_t depth);

protected:
    // Load of a file whose extension belongs to a movie driver.
    uint32_t LoadMovie(const char* fileName);
    // Decodes the current movie frame into the image when it changed.
    void DecodeMovieFrame();
    const ST_BLIT_FX* EffectForDraw() const;
    uint32_t FlipFrame(int32_t frame, bool vertical);

    ST_BLIT_FX m_Effect;
    CxRect m_rcSource;
    int32_t m_nFrameWidth = 0;
    int32_t m_nFrameHeight = 0;
    CxDrawSurface* m_pImage = nullptr;
    CxMovieDriver* m_pMovieDriver = nullptr;
    uint32_t m_nKey = CX_COLOR_NONE;
    int32_t m_nFrameCount = 0;
    int32_t m_nFrame = 0;
    int32_t m_nDecodedFrame = -1;
    bool m_bBorrowed = false;
    bool m_bPixelHit = false;
    bool m_bLoop = false;
};
