// The engine sample: two rooms made of the engine's pieces working together.
//
// Each room is a game room (CBaseWindow) with a background picture, push
// buttons ("NEXT ROOM" switches rooms, "QUIT" ends the program), a flashing
// "HELP" button, a group of three radio buttons and a text line that tells
// what was chosen. Entering a room plays its sequence file, which talks to
// the room through "Notify" lines: in the green room it makes the help button
// flash and stop again, in the red room it picks the blue radio button. The
// rooms switch with the fade movies, and a player who does nothing gets idle
// prompts on the text line.
//
// The data (pictures and fade movies drawn and encoded by make-sample-data,
// the option and sequence files from data/sample) is read from the working
// directory. For the end-to-end test the program writes one line per step
// on standard output ("ready", "enter 1", "notify 3", "click NEXT ROOM",
// "fade FADE1.SMK"...) and quits when a file named "quit" appears.
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/frame/game_app.h"
#include "engine/frame/system_events.h"
#include "engine/graphics/draw_text.h"
#include "engine/graphics/image_filter.h"
#include "engine/graphics/screen.h"
#include "engine/ui/button.h"
#include "engine/ui/flash_button.h"
#include "game/world/base_window.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {
const AppDescription s_Description = {
    "Rumbo Engine Sample", "sample.ini", 0, 0, 640, 480, 16, APP_FRAMED,
};

constexpr int32_t ROOM_COUNT = 2;
constexpr uint32_t IDLE_INTERVAL = 10000;
const char* const RADIO_NAMES[3] = {"RED", "GREEN", "BLUE"};

void Say(const std::string& line)
{
    printf("%s\n", line.c_str());
    fflush(stdout);
}

// Loads a five-frame picture from the data directory into a button of the parent at (x, y).
template <typename Button>
Button* MakeButton(CxDisplayObject* parent, const char* picture, int32_t x, int32_t y)
{
    auto* button = new Button;
    const CxString path = BuildGamePath("$GAMEPATH\\%s", picture);
    if (button->Load(path.c_str(), BUTTON_STATE_COUNT) != CX_ERR_NONE)
        Say(std::string("could not load ") + path.c_str());
    button->SetState(BUTTON_STATE_UP);
    button->AttachTo(parent);
    button->MoveTo(x, y);
    return button;
}

class CSampleRoom : public CBaseWindow
{
public:
    explicit CSampleRoom(long id) : m_nId(id) {}
    ~CSampleRoom() override
    {
        // The children go before the room: each leaves the tree as it is deleted.
        delete m_pText;
        for (CxRadioButton* radio : m_pRadios)
            delete radio;
        delete m_pGroup;
        delete m_pHelp;
        delete m_pQuit;
        delete m_pNext;
    }

    void RoomPrepare() override
    {
        if (!m_pNext)
            Build();
        AttachTo(GetRoot());
        MoveTo(0, 0);
        CBaseWindow::RoomPrepare();
    }

    void RoomEnter() override
    {
        CBaseWindow::RoomEnter();
        Say("enter " + std::to_string(m_nId));
        PlaySequence(m_nId == 0 ? "$GAMEPATH\\ROOM0.SEQ" : "$GAMEPATH\\ROOM1.SEQ");
        SetIdleInterval(IDLE_INTERVAL);
        StartIdlePrompts();
    }

    void RoomLeaveDone() override
    {
        m_pHelp->StopFlashing();
        Hide();
        Detach();
        CBaseWindow::RoomLeaveDone();
    }

    void OnIdlePrompt(int32_t level) override
    {
        Say("idle " + std::to_string(level));
        m_pText->SetText(("ARE YOU STILL THERE? (" + std::to_string(level) + ")").c_str());
    }

    void OnRoomEvent(uint32_t, CxEvent* event) override
    {
        if (!dynamic_cast<CInfoEvent*>(event))
            return;
        const uint32_t number = event->GetData();
        Say("notify " + std::to_string(number));
        if (number == 1)
            m_pHelp->StartFlashing();
        else if (number == 2)
            m_pHelp->StopFlashing();
        else if (number == 3)
            m_pRadios[2]->SetState(BUTTON_STATE_DOWN);
    }

    void NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d) override
    {
        CxButton* button = ButtonFromNotify(b);
        if (button && c == BUTTON_NOTIFY_CLICKED)
            OnClick(button);
        for (int32_t i = 0; i < 3; ++i)
            if (button == m_pRadios[i] && c == BUTTON_NOTIFY_DOWN)
            {
                Say(std::string("choose ") + RADIO_NAMES[i]);
                m_pText->SetText((std::string("YOU CHOSE ") + RADIO_NAMES[i]).c_str());
            }
        CBaseWindow::NotifyParent(a, b, c, d);
    }

protected:
    void Fade(const char* movie) override
    {
        const char* name = strrchr(movie, '\\');
        Say(std::string("fade ") + (name ? name + 1 : movie));
        CBaseWindow::Fade(movie);
    }

private:
    void Build()
    {
        const CxString background = BuildGamePath("$GAMEPATH\\ROOM%ld.BMP", m_nId);
        if (Load(background.c_str()) != CX_ERR_NONE)
            Say(std::string("could not load ") + background.c_str());
        SetSize(640, 480);

        m_pNext = MakeButton<CxButton>(this, "NEXT.BMP", 420, 400);
        m_pQuit = MakeButton<CxButton>(this, "QUIT.BMP", 20, 400);
        m_pHelp = MakeButton<CFlashButton>(this, "HELP.BMP", 220, 320);
        m_pHelp->SetFlashColor(0, 80, 40);

        m_pGroup = new CxRadioGroup;
        m_pGroup->SetSize(180, 3 * 56);
        m_pGroup->AttachTo(this);
        m_pGroup->MoveTo(20, 100);
        for (int32_t i = 0; i < 3; ++i)
            m_pRadios[i] = MakeButton<CxRadioButton>(m_pGroup, (std::string(RADIO_NAMES[i]) + ".BMP").c_str(),
                                                     0, i * 56);

        m_pText = new CxDrawText;
        m_pText->SetFont(-1);
        m_pText->SetFontSize(24);
        m_pText->SetColor(0xFFFF);
        m_pText->SetTextFlags(CX_TEXT_VCENTER);
        m_pText->SetSize(400, 40);
        m_pText->AttachTo(this);
        m_pText->MoveTo(220, 120);
        m_pText->SetText("CHOOSE A COLOUR");
    }

    void OnClick(CxButton* button)
    {
        CxGameApp* app = static_cast<CxGameApp*>(GetApp());
        if (button == m_pNext)
        {
            Say("click NEXT ROOM");
            app->GotoRoom((m_nId + 1) % ROOM_COUNT);
        }
        else if (button == m_pQuit)
        {
            Say("click QUIT");
            app->Quit();
        }
        else if (button == m_pHelp)
        {
            Say("click HELP");
            m_pHelp->StopFlashing();
            m_pText->SetText("PICK ONE OF THE COLOURS");
        }
    }

    long m_nId;
    CxButton* m_pNext = nullptr;
    CxButton* m_pQuit = nullptr;
    CFlashButton* m_pHelp = nullptr;
    CxRadioGroup* m_pGroup = nullptr;
    CxRadioButton* m_pRadios[3] = {};
    CxDrawText* m_pText = nullptr;
};

class CSampleApp : public CxGameApp
{
public:
    CSampleApp() : CxGameApp(s_Description) {}

    uint32_t Create() override
    {
        CxGameApp::Create();
        RegisterStandardImageFilters();
        CBaseWindow::SetSkipFade(true);
        GotoRoom(0);
        return GetError();
    }

    void OnIdle() override
    {
        CxGameApp::OnIdle();
        if (!m_bReady && GetScreen() && GetCurRoom() && ++m_nPasses > 5)
        {
            m_bReady = true;
            Say("ready");
        }
        if (FileExists("quit"))
            Quit();
    }

    CxGameWindow* CreateRoom(long id) override { return id < ROOM_COUNT ? new CSampleRoom(id) : nullptr; }

private:
    int m_nPasses = 0;
    bool m_bReady = false;
};
} // namespace

int main(int argc, char** argv)
{
    static CSampleApp app;
    return CxAppMain(argc, argv);
}
