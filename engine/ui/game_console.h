// CxGameConsole: the developer's command console, a strip across the top of
// the screen that shows the text output and takes one line of Lua at a time.
// "`" and "~" toggle it (the application routes those keys here). A typed
// line is first looked up as a key of "Engine.Game.CommandConsole.Aliases"
// in the main option file; the value, when there is one, replaces the line.
#pragma once

#include "engine/graphics/sprite.h"
#include "engine/ui/console_text.h"

#include <cstdint>

class CxFont;
class CxLuaEngine;

constexpr int32_t CX_CONSOLE_DEFAULT_HEIGHT = 200;
constexpr uint32_t CX_CONSOLE_ALIAS_SIZE = 128; // an alias holds at most 127 characters
constexpr int32_t CX_CONSOLE_INPUT_MAX = 200;

class CxGameConsole : public CxSprite
{
public:
    CxGameConsole();
    ~CxGameConsole() override;

    // Makes the console's image (width × height at depth) and hides it; from
    // now on it receives the text output.
    uint32_t CreateConsole(int32_t width, int32_t height, int32_t depth, CxLuaEngine* lua);
    void SetConsoleFont(CxFont* font);
    void SetLuaEngine(CxLuaEngine* lua) { m_pLua = lua; }

    bool IsVisible() const { return IsShown(); }
    void ShowConsole();
    void HideConsole();
    void Toggle();

    // Typed characters: printable ones extend the line, backspace shortens
    // it, return runs it.
    void OnKeyDown(uint32_t key, uint32_t flags) override;
    // Runs one line (after the alias lookup) with the Lua engine.
    void RunLine(const char* line);

    CxConsoleText& GetText() { return m_Text; }

private:
    class OutputForwarder : public CxOutputListener
    {
    public:
        explicit OutputForwarder(CxGameConsole& console) : m_Console(console) {}
        void OnOutput(const char* text) override { m_Console.OnOutput(text); }

    private:
        CxGameConsole& m_Console;
    };

    void OnOutput(const char* text);
    // Draws the lines into the image and asks for a repaint.
    void Refresh();

    CxConsoleText m_Text;
    OutputForwarder m_Forwarder{*this};
    CxOutputListener* m_pPreviousListener = nullptr;
    bool m_bListening = false;
    CxLuaEngine* m_pLua = nullptr;
};
