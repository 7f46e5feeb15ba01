#include "engine/frame/replay_run.h"

#include "engine/core/buffer.h"
#include "engine/core/file.h"
#include "engine/core/random.h"
#include "engine/core/window_app.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/screen.h"
#include "engine/media/sound.h"
#include "engine/platform/window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

const char* const RUN_OPTIONS_USAGE =
    "usage: rumbotown [--replay FILE] [--record FILE] [--screenshot MS:FILE]... "
    "[--exit-after MS] [--seed N] [--frame-stats FILE]\n";

namespace {
// A whole decimal number of 0 to 2^32 - 1.
bool ReadNumber(const std::string& text, uint32_t* out)
{
    if (text.empty() || text.size() > 10)
        return false;
    uint64_t value = 0;
    for (char c : text)
    {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > 0xFFFFFFFFull)
        return false;
    *out = static_cast<uint32_t>(value);
    return true;
}

// The channel value v of the given width widened to 8 bits exactly.
uint8_t Widen(uint32_t v, int bits)
{
    uint32_t out = v << (8 - bits);
    for (int filled = bits; filled < 8; filled += bits)
        out |= v << (8 - bits) >> filled;
    return static_cast<uint8_t>(out);
}

void PutLe(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}
} // namespace

bool ParseRunOptions(const std::vector<std::string>& arguments, CxRunOptions* options, std::string* why)
{
    *options = CxRunOptions();
    for (size_t i = 0; i < arguments.size(); ++i)
    {
        const std::string& name = arguments[i];
        if (name != "--replay" && name != "--record" && name != "--screenshot" && name != "--exit-after" &&
            name != "--seed" && name != "--frame-stats")
        {
            *why = "unknown option \"" + name + "\"";
            return false;
        }
        if (i + 1 >= arguments.size())
        {
            *why = name + " needs a value";
            return false;
        }
        const std::string& value = arguments[++i];
        uint32_t number = 0;
        if (name == "--replay")
            options->replayFile = value;
        else if (name == "--record")
            options->recordFile = value;
        else if (name == "--frame-stats")
            options->frameStatsFile = value;
        else if (name == "--screenshot")
        {
            const size_t colon = value.find(':');
            if (colon == std::string::npos || colon + 1 == value.size() ||
                !ReadNumber(value.substr(0, colon), &number))
            {
                *why = "--screenshot wants MS:FILE, not \"" + value + "\"";
                return false;
            }
            options->screenshots.emplace_back(number, value.substr(colon + 1));
        }
        else if (!ReadNumber(value, &number))
        {
            *why = name + " wants a whole number of 0 or more, not \"" + value + "\"";
            return false;
        }
        else if (name == "--exit-after")
            options->hasExitAfter = true, options->exitAfter = number;
        else
            options->hasSeed = true, options->seed = number;
    }
    std::stable_sort(options->screenshots.begin(), options->screenshots.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return true;
}

bool WriteScreenshot(CxDrawSurface* surface, const char* fileName)
{
    if (!surface || !surface->IsCreated())
        return false;
    const int32_t depth = surface->GetDepth();
    const int red = surface->GetRedBits(), green = surface->GetGreenBits(), blue = surface->GetBlueBits();
    const bool sixteen = depth == 16 && red == 5 && (green == 6 || green == 5) && blue == 5;
    if (!sixteen && depth != 24 && depth != 32)
        return false;
    const uint32_t width = static_cast<uint32_t>(surface->GetWidth());
    const uint32_t height = static_cast<uint32_t>(surface->GetHeight());
    const uint32_t pitch = (width * 3 + 3) & ~3u;
    std::string out = "BM";
    PutLe(out, 54 + pitch * height, 4);
    PutLe(out, 0, 4);
    PutLe(out, 54, 4);
    PutLe(out, 40, 4);
    PutLe(out, width, 4);
    PutLe(out, height, 4); // bottom row first
    PutLe(out, 1, 2);
    PutLe(out, 24, 2);
    PutLe(out, 0, 4);
    PutLe(out, pitch * height, 4);
    PutLe(out, 2835, 4);
    PutLe(out, 2835, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    CxSurfaceLock lock(surface);
    const uint8_t* bits = surface->GetBits();
    const int32_t sourcePitch = surface->GetPitch();
    for (uint32_t row = height; row-- > 0;)
    {
        const uint8_t* line = bits + static_cast<ptrdiff_t>(row) * sourcePitch;
        std::string pixels;
        for (uint32_t x = 0; x < width; ++x)
        {
            if (sixteen)
            {
                const uint32_t p = static_cast<uint32_t>(line[2 * x] | (line[2 * x + 1] << 8));
                const uint32_t b = p & 0x1F, g = (p >> 5) & (green == 6 ? 0x3F : 0x1F);
                const uint32_t r = (p >> (green == 6 ? 11 : 10)) & 0x1F;
                pixels += static_cast<char>(Widen(b, 5));
                pixels += static_cast<char>(Widen(g, green));
                pixels += static_cast<char>(Widen(r, 5));
            }
            else
                pixels.append(reinterpret_cast<const char*>(line + x * (depth / 8)), 3);
        }
        pixels.resize(pitch, '\0');
        out += pixels;
    }
    return SaveFileAtomic(fileName, out.data(), static_cast<uint32_t>(out.size()), nullptr) == CX_ERR_NONE;
}

CxReplayRun::~CxReplayRun()
{
    Uninstall();
    FinishRecording();
}

bool CxReplayRun::Load(const CxRunOptions& options, std::string* why)
{
    FinishRecording();
    m_Options = options;
    m_Script = CxReplayScript();
    m_nNext = m_nShots = m_nRecorded = 0;
    m_FrameStats = CxFrameStats();
    if (!options.replayFile.empty() && !LoadReplay(why))
        return false;
    if (options.recordFile.empty())
        return true;
    m_pRecording = fopen((options.recordFile + ".new").c_str(), "wb");
    m_bRecordingFailed = false;
    m_bRecordingStarted = false;
    if (!m_pRecording)
    {
        *why = "record " + options.recordFile + ".new: cannot be written";
        return false;
    }
    return true;
}

bool CxReplayRun::LoadReplay(std::string* why)
{
    const CxRunOptions& options = m_Options;
    const char* name = options.replayFile.c_str();
    CxFileBuffer buffer;
    if (!FileExists(name) || LoadFile(name, buffer) != CX_ERR_NONE)
    {
        *why = "replay " + options.replayFile + ": cannot be read";
        return false;
    }
    std::string reason;
    if (!ParseReplay(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetSize(), &m_Script, &reason))
    {
        *why = "replay " + options.replayFile + ":" + reason;
        return false;
    }
    return true;
}

void CxReplayRun::Install(CxWindowApp& app)
{
    m_pApp = &app;
    m_Clock.Set(0);
    m_pPreviousClock = SetClock(&m_Clock);
    m_bPreviousSoundGameTime = DoesSoundFollowGameTime();
    SetSoundFollowsGameTime(true);
    if (m_Options.hasSeed)
        m_Script.seed = m_Options.seed, m_Script.hasSeed = true;
    else if (!m_Script.hasSeed && m_pRecording)
        // A recording names the seed it ran with, so that it replays alike.
        m_Script.seed = GetSystemTicks() ^ static_cast<uint32_t>(time(nullptr)), m_Script.hasSeed = true;
    if (m_Script.hasSeed)
        SeedRandom(m_Script.seed);
    m_bFirstPass = true;
    m_nLastRealPass = GetSystemTicks();
    app.SetPassDriver(this);
    if (!m_Options.replayFile.empty() || m_Options.inputFromProgram)
        SetPlatformDeviceInputBlocked(true);
    if (m_pRecording)
    {
        const std::string header = FormatReplayHeader(m_Script);
        m_bRecordingFailed = fputs(header.c_str(), m_pRecording) < 0;
        m_bRecordingStarted = true;
        SetPlatformInputTap(&CxReplayRun::Record, this);
    }
}

void CxReplayRun::FinishRecording()
{
    if (!m_pRecording)
        return;
    SetPlatformInputTap(nullptr, nullptr);
    // The game time the recording ended, so that a replay of it can be
    // stopped at the same point (--exit-after); readers skip it as a comment.
    if (m_bRecordingStarted && fprintf(m_pRecording, "# end %u\n", m_Clock.GetTicks()) < 0)
        m_bRecordingFailed = true;
    const bool closed = fclose(m_pRecording) == 0;
    m_pRecording = nullptr;
    const std::string temporary = m_Options.recordFile + ".new";
    if (!m_bRecordingStarted)
    {
        // The run never started: nothing to keep, and FILE stays as it was.
        remove(temporary.c_str());
        return;
    }
    if (m_bRecordingFailed || !closed || rename(temporary.c_str(), m_Options.recordFile.c_str()) != 0)
        fprintf(stderr, "record %s: not written completely; what was recorded is in %s\n",
                m_Options.recordFile.c_str(), temporary.c_str());
}

void CxReplayRun::Record(const CxInputRecord& input, void* context)
{
    CxReplayRun& run = *static_cast<CxReplayRun*>(context);
    CxReplayEvent event;
    event.time = run.m_Clock.GetTicks();
    // Points outside the game's screen (a pointer captured beyond the
    // window) are kept at its edge, where a replay may put them.
    event.x = std::clamp(input.x, 0, REPLAY_WIDTH - 1);
    event.y = std::clamp(input.y, 0, REPLAY_HEIGHT - 1);
    event.kind = input.kind;
    switch (input.kind)
    {
    case CxInputKind::Move:
        break;
    case CxInputKind::Down:
    case CxInputKind::Up:
        if (input.button < 1 || input.button > 3)
            return;
        event.button = input.button;
        break;
    case CxInputKind::Key:
    case CxInputKind::KeyUp:
        if (!IsReplayKey(input.key))
            return;
        event.key = input.key;
        event.mods = input.mods & (CX_MOD_SHIFT | CX_MOD_CONTROL | CX_MOD_ALT);
        break;
    case CxInputKind::Wheel:
        event.notches = std::clamp(input.notches, -REPLAY_MAX_WHEEL, REPLAY_MAX_WHEEL);
        if (event.notches == 0)
            return;
        break;
    case CxInputKind::Text: {
        // Long text goes in pieces of at most REPLAY_MAX_TEXT bytes, cut
        // between UTF-8 characters, so that nothing typed is lost.
        const std::string text = input.text ? input.text : "";
        for (size_t start = 0; start < text.size();)
        {
            size_t end = std::min(start + REPLAY_MAX_TEXT, text.size());
            while (end < text.size() && end > start + 1 &&
                   (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
                --end;
            event.text = text.substr(start, end - start);
            run.Write(event);
            start = end;
        }
        return;
    }
    }
    run.Write(event);
}

void CxReplayRun::Write(const CxReplayEvent& event)
{
    if (!m_pRecording)
        return;
    const std::string line = FormatReplayEvent(event);
    if (fputs(line.c_str(), m_pRecording) < 0)
        m_bRecordingFailed = true;
    ++m_nRecorded;
}

void CxReplayRun::Uninstall()
{
    if (!m_pApp)
        return;
    if (m_pApp->GetPassDriver() == this)
        m_pApp->SetPassDriver(nullptr);
    SetPlatformDeviceInputBlocked(false);
    FinishRecording();
    WriteFrameStats();
    SetClock(m_pPreviousClock);
    SetSoundFollowsGameTime(m_bPreviousSoundGameTime);
    m_pApp = nullptr;
}

void CxReplayRun::WriteFrameStats()
{
    std::string why;
    if (!m_Options.frameStatsFile.empty() && !m_FrameStats.Write(m_Options.frameStatsFile, &why))
        fprintf(stderr, "%s\n", why.c_str());
}

void CxReplayRun::BeginPass()
{
    if (m_pRecording && m_Options.replayFile.empty() && !m_Options.inputFromProgram)
    {
        // A person plays: a step of game time for each step of real time.
        const uint32_t elapsed = GetSystemTicks() - m_nLastRealPass;
        if (elapsed < m_Script.step)
            SleepMs(m_Script.step - elapsed);
        m_nLastRealPass = GetSystemTicks();
    }
    if (!m_Options.frameStatsFile.empty())
        m_FrameStats.BeginPass();
    if (!m_bFirstPass)
        m_Clock.Advance(m_Script.step);
    m_bFirstPass = false;
    const uint32_t now = m_Clock.GetTicks();
    while (m_nNext < m_Script.events.size() && m_Script.events[m_nNext].time <= now)
        Inject(m_Script.events[m_nNext++]);
}

void CxReplayRun::EndPass()
{
    const uint32_t now = m_Clock.GetTicks();
    if (!m_Options.frameStatsFile.empty())
        m_FrameStats.EndPass(now);
    while (m_nShots < m_Options.screenshots.size() && m_Options.screenshots[m_nShots].first <= now)
    {
        const std::string& file = m_Options.screenshots[m_nShots++].second;
        CxScreenSurface* screen = m_pApp ? m_pApp->GetScreen() : nullptr;
        if (!screen || !WriteScreenshot(screen->GetDrawSurface(), file.c_str()))
            fprintf(stderr, "screenshot %s: not written\n", file.c_str());
    }
    if (m_Options.hasExitAfter && now >= m_Options.exitAfter && m_pApp)
        m_pApp->Quit();
}

void InjectReplayEvent(const CxReplayEvent& event, int32_t pointerX, int32_t pointerY)
{
    switch (event.kind)
    {
    case CxReplayKind::Move:
        CxInjectMouseMotion(event.x, event.y);
        return;
    case CxReplayKind::Down:
    case CxReplayKind::Up:
        CxInjectMouseButton(event.button, event.kind == CxReplayKind::Down, event.x, event.y);
        return;
    case CxReplayKind::Key:
    case CxReplayKind::KeyUp:
        CxInjectKey(event.key, event.kind == CxReplayKind::Key, event.mods);
        return;
    case CxReplayKind::Text:
        CxInjectText(event.text.c_str());
        return;
    case CxReplayKind::Wheel:
        CxInjectMouseWheel(event.notches, pointerX, pointerY);
        return;
    }
}

void CxReplayRun::Inject(const CxReplayEvent& event)
{
    InjectReplayEvent(event, m_nPointerX, m_nPointerY);
    if (event.kind == CxReplayKind::Move || event.kind == CxReplayKind::Down ||
        event.kind == CxReplayKind::Up)
    {
        m_nPointerX = event.x;
        m_nPointerY = event.y;
    }
}
