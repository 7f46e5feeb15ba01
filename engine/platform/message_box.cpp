#include "engine/platform/message_box.h"

#include "engine/base/cx_string.h"
#include "engine/base/error_codes.h"
#include "engine/platform/window.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace {
std::mutex g_AnswerLock;
std::optional<std::string> g_Answer;

// The answer set in-process, else the environment's; empty when neither.
std::optional<std::string> ScriptedAnswer()
{
    {
        std::lock_guard<std::mutex> lock(g_AnswerLock);
        if (g_Answer)
            return g_Answer;
    }
    if (const char* wanted = getenv("RUMBO_MESSAGEBOX"))
        return std::string(wanted);
    return std::nullopt;
}
} // namespace

void SetMessageBoxAnswer(const char* answer)
{
    std::lock_guard<std::mutex> lock(g_AnswerLock);
    g_Answer = answer ? std::optional<std::string>(answer) : std::nullopt;
}

bool IsMessageBoxHeadless()
{
    if (ScriptedAnswer())
        return true;
    const char* driver = getenv("SDL_VIDEODRIVER");
    if (driver && (CxCompareNoCase(driver, "dummy") == 0 || CxCompareNoCase(driver, "offscreen") == 0))
        return true;
    return !getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY");
}

static int32_t AnswerHeadless(const char* title, const char* text, const char* const* buttons, int32_t count,
                              int32_t defaultButton)
{
    int32_t answer = defaultButton;
    if (const std::optional<std::string> wanted = ScriptedAnswer())
        for (int32_t i = 0; i < count; ++i)
            if (CxCompareNoCase(buttons[i], wanted->c_str()) == 0)
                answer = i;
    fprintf(stderr, "[%s] %s", title ? title : "", text ? text : "");
    for (int32_t i = 0; i < count; ++i)
        fprintf(stderr, "%s%s%s%s", i == 0 ? " (" : " / ", i == answer ? "*" : "", buttons[i],
                i == count - 1 ? ")" : "");
    fprintf(stderr, "\n");
    return answer;
}

int32_t ShowMessageBox(const char* title, const char* text, const char* const* buttons, int32_t buttonCount,
                       int32_t defaultButton, CxMessageBoxIcon icon)
{
    static const char* const ok[] = {"OK"};
    if (!buttons || buttonCount < 1)
    {
        buttons = ok;
        buttonCount = 1;
    }
    if (defaultButton < 0 || defaultButton >= buttonCount)
        defaultButton = 0;
    if (IsMessageBoxHeadless())
        return AnswerHeadless(title, text, buttons, buttonCount, defaultButton);

    std::vector<SDL_MessageBoxButtonData> data(buttonCount);
    for (int32_t i = 0; i < buttonCount; ++i)
    {
        data[i].flags = i == defaultButton ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT : 0;
        data[i].buttonid = i;
        data[i].text = buttons[i];
    }
    SDL_MessageBoxData box = {};
    box.flags = icon == CX_MB_ICON_ERROR     ? SDL_MESSAGEBOX_ERROR
                : icon == CX_MB_ICON_WARNING ? SDL_MESSAGEBOX_WARNING
                                             : SDL_MESSAGEBOX_INFORMATION;
    // The game's window is the box's parent: the box stays in front of it,
    // also over a full-screen picture, and the window waits for the answer.
    box.window = GetPlatformSdlWindow();
    box.title = title ? title : "";
    box.message = text ? text : "";
    box.numbuttons = buttonCount;
    box.buttons = data.data();
    int answer = -1;
    if (SDL_ShowMessageBox(&box, &answer) != 0 || answer < 0)
        return AnswerHeadless(title, text, buttons, buttonCount, defaultButton);
    return answer;
}

int32_t ShowErrorBox(uint32_t code, const char* text)
{
    if (code == CX_ERR_CD_MISSING)
    {
        static const char* const buttons[] = {"Retry", "Cancel"};
        return ShowMessageBox(GetErrorText(code), text, buttons, 2, 1, CX_MB_ICON_ERROR) == 0 ? 1 : 0;
    }
    static const char* const buttons[] = {"OK"};
    ShowMessageBox(GetErrorText(code), text, buttons, 1, 0, CX_MB_ICON_ERROR);
    return 1;
}
