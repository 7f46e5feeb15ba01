#include "engine/graphics/sprite.h"

#include <new>

namespace {
ST_SPRITE_MOVIE_HOOKS s_MovieHooks = {};
bool s_bMovieHooks = false;
int32_t s_nMovieDepth = 16;
} // namespace

void SetSpriteMovieHooks(const ST_SPRITE_MOVIE_HOOKS* hooks)
{
    s_bMovieHooks = hooks != nullptr;
    s_MovieHooks = hooks ? *hooks : ST_SPRITE_MOVIE_HOOKS{};
}

void CxSprite::SetMovieDepth(int32_t depth)
{
    s_nMovieDepth = depth;
}

CxSprite::CxSprite() = default;

CxSprite::CxSprite(const char* fileName, int32_t frameCount, CxDisplayObject* parent)
{
    CreateFromFile(fileName, frameCount, parent);
}

CxSprite::~CxSprite()
{
    Unload();
}

uint32_t CxSprite::CreateFromFile(const char* fileName, int32_t frameCount, CxDisplayObject* parent,
                                  uint32_t identifier)
{
    const uint32_t error = Load(fileName, frameCount);
    CxDisplayObject::Create(0, 0, GetWidth(), GetHeight(), parent, identifier);
    return error;
}

uint32_t CxSprite::SetImage(CxDrawSurface* surface, int32_t frameCount, bool borrowed)
{
    Unload();
    if (!surface)
        return GetError();
    m_pImage = surface;
    m_bBorrowed = borrowed;
    m_nFrameWidth = surface->GetWidth();
    m_nFrameHeight = surface->GetHeight();
    m_rcSource = surface->GetRect();
    m_nFrameCount = 1;
    m_nFrame = 0;
    SetFrameCount(frameCount);
    if (m_Size.cx == 0 && m_Size.cy == 0)
        SetSize(m_nFrameWidth, m_nFrameHeight);
    return GetError();
}

uint32_t CxSprite::Load(const char* fileName, int32_t frameCount)
{
    Unload();
    ClearError();
    if (fileName && s_bMovieHooks && s_MovieHooks.pfnIsMovie && s_MovieHooks.pfnOpen &&
        s_MovieHooks.pfnIsMovie(fileName))
        return LoadMovie(fileName);
    CxDrawSurface* surface = new (std::nothrow) CxDrawSurface;
    if (!surface)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate a new CxDrawSurface for CxSprite::Load(%s)",
                 fileName ? fileName : "");
        return GetError();
    }
    const uint32_t error = surface->Load(fileName);
    if (error != CX_ERR_NONE)
    {
        // The surface reported the failure already.
        delete surface;
        SetErrorCode(error);
        return error;
    }
    return SetImage(surface, frameCount);
}

uint32_t CxSprite::LoadMovie(const char* fileName)
{
    uint32_t error = CX_ERR_NONE;
    CxMovieDriver* driver = s_MovieHooks.pfnOpen(fileName, &error);
    if (!driver)
    {
        // The driver reported why; an image loader would only add a second report.
        SetErrorCode(error != CX_ERR_NONE ? error : CX_ERR_FILE_OPEN);
        return GetError();
    }
    const uint32_t reports = GetErrorCount();
    CxDrawSurface* surface = new (std::nothrow) CxDrawSurface;
    uint32_t attached = surface ? CX_ERR_NONE : CX_ERR_OUT_OF_MEMORY;
    if (surface && s_MovieHooks.pfnAttach)
        attached = s_MovieHooks.pfnAttach(driver, surface, s_nMovieDepth);
    if (attached != CX_ERR_NONE || !surface->IsCreated())
    {
        delete surface;
        if (s_MovieHooks.pfnDelete)
            s_MovieHooks.pfnDelete(driver);
        // One report: this one, unless the attach step reported its own failure.
        if (GetErrorCount() == reports)
            SetError(CX_ERR_OUT_OF_MEMORY, "Could not create a surface for this sprite's movie driver");
        else
            SetErrorCode(CX_ERR_OUT_OF_MEMORY);
        return GetError();
    }
    SetImage(surface, 1);
    m_pMovieDriver = driver;
    m_bLoop = s_MovieHooks.pfnLoops && s_MovieHooks.pfnLoops(driver);
    m_nFrameCount = s_MovieHooks.pfnFrameCount ? s_MovieHooks.pfnFrameCount(driver) : 1;
    if (m_nFrameCount < 1)
        m_nFrameCount = 1;
    m_nFrame = 0;
    m_nDecodedFrame = -1;
    DecodeMovieFrame();
    return GetError();
}

uint32_t CxSprite::CreateImage(int32_t width, int32_t height, int32_t depth)
{
    CxDrawSurface* surface = new (std::nothrow) CxDrawSurface;
    if (!surface)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate a new CxDrawSurface for CxSprite::CreateImage");
        return GetError();
    }
    const uint32_t error = surface->CreateSurface(width, height, depth);
    if (error != CX_ERR_NONE)
    {
        delete surface;
        SetErrorCode(error);
        return error;
    }
    return SetImage(surface, 1);
}

void CxSprite::Unload()
{
    if (!m_bBorrowed)
    {
        if (m_pMovieDriver && s_MovieHooks.pfnDelete)
            s_MovieHooks.pfnDelete(m_pMovieDriver);
        delete m_pImage;
    }
    m_pMovieDriver = nullptr;
    m_pImage = nullptr;
    m_bBorrowed = false;
    m_bLoop = false;
    Hide();
    SetSize(0, 0);
    m_nFrameWidth = 0;
    m_nFrameHeight = 0;
    m_rcSource = CxRect();
    m_nFrameCount = 0;
    m_nFrame = 0;
    m_nDecodedFrame = -1;
}

void CxSprite::Destroy()
{
    Hide();
    Detach();
    Unload();
}

CxDrawSurface* CxSprite::GetImage() const
{
    return m_pImage;
}

void CxSprite::SetImageRaw(CxDrawSurface* surface)
{
    if (m_pImage != surface && !m_bBorrowed)
        delete m_pImage;
    m_pImage = surface;
    m_bBorrowed = true;
}

void CxSprite::SetFrameCount(int32_t count)
{
    if (m_pMovieDriver || !m_pImage || count <= 0 || m_pImage->GetWidth() % count != 0)
        return;
    m_nFrameWidth = m_pImage->GetWidth() / count;
    m_nFrameHeight = m_pImage->GetHeight();
    m_rcSource = CxRect(0, 0, m_nFrameWidth - 1, m_nFrameHeight - 1);
    m_nFrameCount = count;
    m_nFrame = 0;
}

int32_t CxSprite::GetFrameCount() const
{
    return m_nFrameCount;
}

void CxSprite::SetFrame(int32_t index)
{
    const int32_t count = m_nFrameCount;
    if (count <= 0)
        return;
    // A true modulo: any index, however negative, names a frame.
    const int32_t frame = ((index % count) + count) % count;
    if (frame == m_nFrame)
        return;
    m_nFrame = frame;
    if (!m_pMovieDriver)
    {
        m_rcSource.left = frame * m_nFrameWidth;
        m_rcSource.right = m_rcSource.left + m_nFrameWidth - 1;
    }
    if (IsShown())
        Redraw();
}

int32_t CxSprite::GetFrame() const
{
    return m_nFrame;
}

void CxSprite::NextFrame()
{
    SetFrame(m_nFrame + 1);
}

void CxSprite::PreviousFrame()
{
    SetFrame(m_nFrame - 1);
}

uint32_t CxSprite::ReplaceColor(uint32_t from, uint32_t to)
{
    return m_pImage ? m_pImage->ReplaceColor(from, to) : GetError();
}

uint32_t CxSprite::SwapColors(uint32_t a, uint32_t b)
{
    return m_pImage ? m_pImage->SwapColors(a, b) : GetError();
}

uint32_t CxSprite::FlipFrame(int32_t frame, bool vertical)
{
    if (!m_pImage || m_nFrameCount <= 0)
        return GetError();
    if (frame < 0)
        frame = m_nFrame;
    if (frame >= m_nFrameCount)
        return GetError();
    const CxRect rect(frame * m_nFrameWidth, 0, frame * m_nFrameWidth + m_nFrameWidth - 1,
                      m_nFrameHeight - 1);
    const uint32_t error = vertical ? m_pImage->FlipVertical(&rect) : m_pImage->FlipHorizontal(&rect);
    if (IsShown())
        Redraw();
    return error;
}

uint32_t CxSprite::FlipFrameVertical(int32_t frame)
{
    return FlipFrame(frame, true);
}

uint32_t CxSprite::FlipFrameHorizontal(int32_t frame)
{
    return FlipFrame(frame, false);
}

uint32_t CxSprite::FlipImageVertical()
{
    return m_pImage ? m_pImage->FlipVertical() : GetError();
}

uint32_t CxSprite::FlipImageHorizontal()
{
    return m_pImage ? m_pImage->FlipHorizontal() : GetError();
}

void CxSprite::SetEffectType(int32_t type)
{
    m_Effect.nType = type;
}

int32_t CxSprite::GetEffectType() const
{
    return m_Effect.nType;
}

void CxSprite::SetEffect(const ST_BLIT_FX* effect)
{
    m_Effect = effect ? *effect : ST_BLIT_FX{};
}

void CxSprite::GetEffect(ST_BLIT_FX& effect) const
{
    effect = m_Effect;
}

const ST_BLIT_FX* CxSprite::EffectForDraw() const
{
    return m_Effect.nType == CX_FX_NONE ? nullptr : &m_Effect;
}

bool CxSprite::IsOpaqueAt(const CxPoint& point, int32_t flag)
{
    const int32_t w = GetWidth();
    const int32_t h = GetHeight();
    if (!m_pImage || point.x < 0 || point.y < 0 || point.x >= w || point.y >= h || m_nFrameWidth <= 0)
        return flag != 0;
    int32_t fx = point.x;
    int32_t fy = point.y;
    if ((m_nFlags & DO_STRETCHED) && (w != m_nFrameWidth || h != m_nFrameHeight))
    {
        fx = static_cast<int32_t>(static_cast<int64_t>(point.x) * m_nFrameWidth / w);
        fy = static_cast<int32_t>(static_cast<int64_t>(point.y) * m_nFrameHeight / h);
    }
    if (fx >= m_nFrameWidth || fy >= m_nFrameHeight)
        return flag != 0;
    DecodeMovieFrame();
    const uint32_t key = m_nKey == CX_COLOR_NONE ? m_pImage->GetTransparentColor() : m_nKey;
    if (key == CX_COLOR_NONE)
        return true;
    return m_pImage->GetPixel(m_rcSource.left + fx, m_rcSource.top + fy) != key;
}

uint32_t CxSprite::DrawFrame(CxDrawSurface* surface, const CxRect* destRect)
{
    if (!m_pImage || !surface)
        return GetError();
    DecodeMovieFrame();
    const CxRect dest = destRect ? *destRect : CxRect(0, 0, m_nFrameWidth - 1, m_nFrameHeight - 1);
    return m_pImage->Draw(surface, &dest, &m_rcSource, m_nKey, EffectForDraw());
}

uint32_t CxSprite::DrawTo(CxDrawSurface* surface, const CxPoint& point, const CxRect* sourceRect,
                          uint32_t key)
{
    if (!m_pImage || !surface)
        return GetError();
    DecodeMovieFrame();
    CxRect source = m_rcSource;
    if (sourceRect)
    {
        CxRect part = *sourceRect;
        part.Offset(m_rcSource.left, m_rcSource.top);
        if (!source.Intersect(part, m_rcSource))
            return GetError();
    }
    if (key == CX_SPRITE_KEY)
        key = m_nKey;
    return m_pImage->DrawAt(surface, point.x, point.y, &source, key, EffectForDraw());
}

void CxSprite::DecodeMovieFrame()
{
    if (!m_pMovieDriver || m_nFrame == m_nDecodedFrame || !s_MovieHooks.pfnDecode)
        return;
    s_MovieHooks.pfnDecode(m_pMovieDriver, m_nFrame);
    m_nDecodedFrame = m_nFrame;
}

void CxSprite::Paint(CxDrawSurface* surface, const CxRect& rect)
{
    if (rect.IsEmpty())
        return;
    const int32_t w = GetWidth();
    const int32_t h = GetHeight();
    if (m_pImage && surface && m_nFrameWidth > 0 && m_nFrameHeight > 0 && w > 0 && h > 0)
    {
        DecodeMovieFrame();
        const CxPoint origin = LocalToScreen(CxPoint(0, 0));
        if (!(m_nFlags & DO_STRETCHED) || (w == m_nFrameWidth && h == m_nFrameHeight))
        {
            CxRect visible;
            if (visible.Intersect(rect, CxRect(0, 0, m_nFrameWidth - 1, m_nFrameHeight - 1)))
            {
                CxRect source = visible;
                source.Offset(m_rcSource.left, m_rcSource.top);
                m_pImage->DrawAt(surface, origin.x + visible.left, origin.y + visible.top, &source, m_nKey,
                                 EffectForDraw());
            }
        }
        else
        {
            CxRect visible;
            if (visible.Intersect(rect, CxRect(0, 0, w - 1, h - 1)))
            {
                // The source is cut in proportion to the visible part of the area.
                const int64_t fw = m_nFrameWidth;
                const int64_t fh = m_nFrameHeight;
                CxRect source(static_cast<int32_t>(visible.left * fw / w),
                              static_cast<int32_t>(visible.top * fh / h),
                              static_cast<int32_t>((visible.right + 1) * fw / w) - 1,
                              static_cast<int32_t>((visible.bottom + 1) * fh / h) - 1);
                if (source.right < source.left)
                    source.right = source.left;
                if (source.bottom < source.top)
                    source.bottom = source.top;
                source.Offset(m_rcSource.left, m_rcSource.top);
                CxRect dest = visible;
                dest.Offset(origin.x, origin.y);
                m_pImage->Draw(surface, &dest, &source, m_nKey, EffectForDraw());
            }
        }
    }
    CxDisplayObject::Paint(surface, rect);
}

CxDisplayObject* CxSprite::HitTest(const CxPoint& point, uint32_t mask)
{
    CxDisplayObject* hit = CxDisplayObject::HitTest(point, mask);
    if (hit == this && m_bPixelHit && !IsOpaqueAt(point - GetOffsetInParent(), 0))
        return nullptr;
    return hit;
}
