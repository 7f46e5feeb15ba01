#include "engine/media/audio_subtitle.h"

#include "engine/core/file.h"
#include "engine/core/memory.h"
#include "engine/graphics/default_font.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/font.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {
// The list counts its nodes in 16 bits; parsing stops once it is full.
constexpr uint32_t MAX_LINES = 0xFFFF;
// Digits and sign of a time; anything longer is no valid 32-bit time.
constexpr uint32_t MAX_TIME_TEXT = 32;
// Space between the box and the screen's edges, and around the text inside it.
constexpr int32_t BOX_MARGIN = 8;

// The display time of a line from the file's time and the text's length.
// -1 asks for the per-character time. Other negative times would become
// days-long waits as 32-bit values; they show the line until the next update instead.
uint32_t LineTime(long time, uint32_t length)
{
    if (time == CX_SUBTITLE_TIME_PER_CHAR)
        return length * CX_SUBTITLE_MS_PER_CHAR;
    if (time < 0)
        return 0;
    if (static_cast<unsigned long>(time) > CX_SUBTITLE_MAX_TIME)
        return CX_SUBTITLE_MAX_TIME;
    return static_cast<uint32_t>(time);
}

// The time before the comma, read with strtol from a bounded copy (a time
// too long to be a number reads from its first characters, as strtol would).
long ParseTime(const char* start, uint32_t length)
{
    char digits[MAX_TIME_TEXT + 1];
    const uint32_t count = length < MAX_TIME_TEXT ? length : MAX_TIME_TEXT;
    memcpy(digits, start, count);
    digits[count] = '\0';
    return strtol(digits, nullptr, 10);
}
} // namespace

// ---------------------------------------------------------------------------
// The subtitle box

void CxSubtitleText::MatchColor(const CxDrawSurface* destination)
{
    // Raw pixel values: all bits of the pixel set is white in every layout but the palettised ones,
    // whose last entry is taken.
    const int32_t depth = destination->GetDepth();
    uint32_t white = 0xFFFFFF;
    if (depth <= 8)
        white = (1u << depth) - 1;
    else if (depth <= 16)
        white = 0xFFFF;
    if (white != GetColor())
        SetColor(white);
}

void CxSubtitleText::Paint(CxDrawSurface* surface, const CxRect& rect)
{
    if (surface)
        MatchColor(surface);
    CxDrawText::Paint(surface, rect);
}

CxSubtitleBox::CxSubtitleBox()
{
    m_Text.SetBackgroundColor(CX_SUBTITLE_BOX_COLOR);
    m_Text.SetTextFlags(CX_TEXT_CENTER | CX_TEXT_VCENTER | CX_TEXT_WORDWRAP);
    m_Text.AttachTo(this);
    m_Text.MoveTo(0, 0);
}

CxSubtitleBox::~CxSubtitleBox()
{
    Hide();
    Detach();
    m_Text.Detach();
}

void CxSubtitleBox::Layout(CxFont* font)
{
    m_Text.SetFontObject(font);
    CxDisplayObject* root = GetRoot();
    const int32_t screenWidth = root ? root->GetWidth() : 0;
    const int32_t screenHeight = root ? root->GetHeight() : 0;
    int32_t lineHeight = font ? font->GetSize() + font->GetSpacing().cy : CX_DEFAULT_FONT_HEIGHT;
    if (lineHeight <= 0)
        lineHeight = CX_DEFAULT_FONT_HEIGHT;
    int32_t width = screenWidth - 2 * BOX_MARGIN;
    if (width < 1)
        width = screenWidth > 0 ? screenWidth : 1;
    int32_t height = CX_SUBTITLE_BOX_LINES * lineHeight + BOX_MARGIN;
    if (screenHeight > 0 && height > screenHeight)
        height = screenHeight;
    SetSize(width, height);
    const int32_t x = (screenWidth - width) / 2;
    int32_t y = screenHeight - height - BOX_MARGIN;
    if (y < 0)
        y = 0;
    SetPosition(x, y);
    m_Text.SetSize(width, height);
}

// ---------------------------------------------------------------------------
// CxAudioSubTitle

CxAudioSubTitle::CxAudioSubTitle() = default;

CxAudioSubTitle::~CxAudioSubTitle()
{
    // The base cannot reach ReleasePlayback any more: stop while this part still exists.
    Stop();
    DeleteLines();
    m_pTextBox.reset();
}

const CLineOfText* CxAudioSubTitle::GetLine(uint32_t index) const
{
    const auto* node = m_Lines.GetAt(index);
    return node ? node->m_Value : nullptr;
}

const CLineOfText* CxAudioSubTitle::GetShownLine() const
{
    return m_bShowing ? GetLine(static_cast<uint32_t>(m_nCurrentLine)) : nullptr;
}

uint32_t CxAudioSubTitle::GetRemainingTime() const
{
    return m_bShowing ? m_LineTimer.GetRemaining() : 0;
}

uint32_t CxAudioSubTitle::Load(const char* fileName)
{
    Unload();
    if (!fileName)
        return GetError();
    // Copy the name first: it may be this sound's own.
    const CxString name(fileName);
    CxFile file;
    if (file.Open(name.c_str(), CX_FILE_DEFAULT) != CX_ERR_NONE)
    {
        SetErrorCode(file.GetError());
        return GetError();
    }
    const long length = file.GetLength();
    if (length < 0 || static_cast<unsigned long>(length) > CX_SUBTITLE_MAX_FILE)
        return Fail(CX_ERR_FILE_READ, "Could not read subtitle file %s", name.c_str());
    // One more byte, zero, ends the text.
    auto* text = static_cast<char*>(CX_ALLOC(static_cast<size_t>(length) + 1));
    if (!text)
        return Fail(CX_ERR_OUT_OF_MEMORY, "Could not allocate buffer for subtitle file %s", name.c_str());
    memset(text, 0, static_cast<size_t>(length) + 1);
    const int64_t got = length > 0 ? file.Read(text, length) : 0;
    uint32_t code = CX_ERR_NONE;
    if (got != length)
        code = Fail(CX_ERR_FILE_READ, "Could not read subtitle file %s", name.c_str());
    else
        code = SetData(text, static_cast<uint32_t>(length), false);
    CX_FREE(text);
    m_strFileName = name;
    return code;
}

uint32_t CxAudioSubTitle::SetData(const void* data, uint32_t size, bool /*keep*/)
{
    Unload();
    m_strFileName.Empty();
    m_nState &= ~CX_SOUND_STARTED;
    if (!data)
        return GetError();
    const char* text = static_cast<const char*>(data);
    // A zero byte ends the text, as the end of the data does.
    const void* zero = memchr(text, '\0', size);
    const uint32_t end = zero ? static_cast<uint32_t>(static_cast<const char*>(zero) - text) : size;

    uint32_t pos = 0;
    while (pos < end && m_nLineCount < MAX_LINES)
    {
        const char* line = text + pos;
        const void* feed = memchr(line, '\n', end - pos);
        const uint32_t lineLength =
            feed ? static_cast<uint32_t>(static_cast<const char*>(feed) - line) : end - pos;
        const void* comma = memchr(line, ',', lineLength);
        if (!comma)
            break;
        const uint32_t timeLength = static_cast<uint32_t>(static_cast<const char*>(comma) - line);
        const long time = ParseTime(line, timeLength);
        uint32_t textStart = timeLength + 1;
        while (textStart < lineLength && (line[textStart] == ' ' || line[textStart] == '\t'))
            ++textStart;
        uint32_t textLength = lineLength - textStart;
        // A string holds at most CX_STRING_MAX characters; longer text is cut to that.
        if (textLength > CX_STRING_MAX)
            textLength = CX_STRING_MAX;

        auto* entry = new (std::nothrow)
            CLineOfText(line + textStart, static_cast<int32_t>(textLength), LineTime(time, textLength));
        if (!entry || entry->GetText().GetLength() != static_cast<int32_t>(textLength) ||
            !m_Lines.AddTail(entry))
        {
            delete entry;
            return Fail(CX_ERR_OUT_OF_MEMORY, "Could not allocate a subtitle line");
        }
        ++m_nLineCount;
        pos += lineLength + 1;
    }
    return CX_ERR_NONE;
}

void CxAudioSubTitle::DeleteLines()
{
    for (auto* node = m_Lines.GetHead(); node; node = node->GetNext())
        delete node->m_Value;
    m_Lines.RemoveAll();
    m_nLineCount = 0;
}

void CxAudioSubTitle::Unload()
{
    Stop();
    DeleteLines();
    CxSound::Unload();
}

bool CxAudioSubTitle::LineHasRunOut() const
{
    if (!m_bShowing || !m_LineTimer.IsRunning() || m_LineTimer.IsPaused())
        return false;
    const CLineOfText* line = GetLine(static_cast<uint32_t>(m_nCurrentLine));
    // A timer started with 0 runs without end: a line of no time is over at the first look.
    return !line || line->GetTime() == 0 || m_LineTimer.HasExpired();
}

bool CxAudioSubTitle::IsDone()
{
    if (!IsPlaying() || m_nLineCount == 0)
        return true;
    return static_cast<uint32_t>(m_nCurrentLine) + 1 >= m_nLineCount && LineHasRunOut();
}

void CxAudioSubTitle::Update()
{
    // The sound layer's step ends the sound once the last line has run out.
    CxSound::Update();
    if (!IsPlaying() || IsPaused() || !LineHasRunOut())
        return;
    // The last line's end was handled above (IsDone): only earlier lines get here.
    if (static_cast<uint32_t>(m_nCurrentLine) + 1 < m_nLineCount)
        ShowLine(static_cast<uint32_t>(m_nCurrentLine) + 1);
}

void CxAudioSubTitle::ShowLine(uint32_t index)
{
    const CLineOfText* line = GetLine(index);
    if (!line)
        return;
    m_nCurrentLine = static_cast<int32_t>(index);
    if (m_pTextBox)
        m_pTextBox->SetText(line->GetText().c_str());
    m_LineTimer.Start(line->GetTime());
}

void CxAudioSubTitle::StartPlayback()
{
    if (m_nLineCount == 0)
        return;
    m_nCurrentLine = 0;
    if (!m_pTextBox)
        m_pTextBox.reset(new (std::nothrow) CxSubtitleBox);
    if (m_pTextBox)
    {
        m_pTextBox->Layout(FindFont(CX_FONT_ID_DEFAULT));
        m_pTextBox->SetText(GetLine(0)->GetText().c_str());
        // Depth 0 lies in front of every other object of the root.
        m_pTextBox->SetDepth(0);
        if (CxDisplayObject* root = CxDisplayObject::GetRoot())
        {
            m_pTextBox->AttachTo(root);
            m_pTextBox->MoveTo(m_pTextBox->GetPosition());
        }
    }
    m_bShowing = true;
    m_LineTimer.Start(GetLine(0)->GetTime());
}

void CxAudioSubTitle::ReleasePlayback()
{
    // A sound stopped while paused leaves no pause behind on its timer.
    while (m_LineTimer.IsPaused())
        m_LineTimer.RemovePause();
    m_LineTimer.Reset();
    m_bShowing = false;
    if (m_pTextBox)
    {
        m_pTextBox->Hide();
        m_pTextBox->Detach();
    }
}

void CxAudioSubTitle::PausePlayback()
{
    m_LineTimer.AddPause();
}

void CxAudioSubTitle::ResumePlayback()
{
    m_LineTimer.RemovePause();
}
