#include "engine/ui/game_console.h"

#include "engine/core/lua_engine.h"
#include "engine/core/options.h"
#include "engine/graphics/draw_surface.h"

namespace {
constexpr uint32_t KEY_BACKSPACE = 0x08;
constexpr uint32_t KEY_RETURN = 0x0D;
} // namespace

CxGameConsole::CxGameConsole() = default;

CxGameConsole::~CxGameConsole()
{
    if (m_bListening)
        SetOutputListener(m_pPreviousListener);
}

uint32_t CxGameConsole::CreateConsole(int32_t width, int32_t height, int32_t depth, CxLuaEngine* lua)
{
    m_pLua = lua;
    if (Create(0, 0, width, height) != CX_ERR_NONE || CreateImage(width, height, depth) != CX_ERR_NONE)
        return GetError();
    // In front of everything else on the screen.
    SetDepth(0);
    Hide();
    if (!m_bListening)
    {
        m_pPreviousListener = SetOutputListener(&m_Forwarder);
        m_bListening = true;
    }
    Refresh();
    return GetError();
}

void CxGameConsole::SetConsoleFont(CxFont* font)
{
    m_Text.SetFont(font);
    Refresh();
}

void CxGameConsole::ShowConsole()
{
    Refresh();
    MoveTo(0, 0);
    SetFocus();
}

void CxGameConsole::HideConsole()
{
    Hide();
}

void CxGameConsole::Toggle()
{
    if (IsVisible())
        HideConsole();
    else
        ShowConsole();
}

void CxGameConsole::OnOutput(const char* text)
{
    m_Text.AddText(text);
    if (IsVisible())
        Refresh();
}

void CxGameConsole::OnKeyDown(uint32_t key, uint32_t flags)
{
    if (!IsVisible())
    {
        CxSprite::OnKeyDown(key, flags);
        return;
    }
    CxString line = m_Text.GetInputLine();
    if (key == KEY_RETURN)
    {
        m_Text.SetInputLine("");
        Output("%s%s\n", CX_CONSOLE_PROMPT, line.c_str());
        RunLine(line.c_str());
    }
    else if (key == KEY_BACKSPACE)
    {
        line.Truncate(line.GetLength() - 1);
        m_Text.SetInputLine(line.c_str());
    }
    else if (key >= 0x20 && key <= 0x7E && line.GetLength() < CX_CONSOLE_INPUT_MAX)
    {
        line.Append(static_cast<char>(key));
        m_Text.SetInputLine(line.c_str());
    }
    else
    {
        CxSprite::OnKeyDown(key, flags);
        return;
    }
    Refresh();
}

void CxGameConsole::RunLine(const char* line)
{
    if (!line || !*line)
        return;
    char alias[CX_CONSOLE_ALIAS_SIZE] = "";
    if (CxOptions* options = GetMainOptions())
        options->GetString("Engine.Game.CommandConsole.Aliases", line, alias, "", sizeof(alias));
    if (m_pLua)
        m_pLua->RunString(alias[0] ? alias : line);
}

void CxGameConsole::Refresh()
{
    CxDrawSurface* image = GetImage();
    if (!image)
        return;
    m_Text.Draw(image, CxRect(0, 0, image->GetWidth() - 1, image->GetHeight() - 1));
    if (IsVisible())
        Redraw();
}
