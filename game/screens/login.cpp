#include "game/screens/login.h"

#include "engine/core/game_path.h"
#include "engine/frame/game_app.h"
#include "game/world/game_image.h"
#include "game/world/rumbo_town_app.h"

#include <new>

namespace {
constexpr int32_t LOGIN_BUTTON_FRAMES = 5;

std::unique_ptr<CxButton> MakeButton(const char* picture, CxDisplayObject* parent, const CxPoint& at)
{
    std::unique_ptr<CxButton> button(new (std::nothrow) CxButton);
    if (!button)
        return button;
    LoadGameSprite(*button, BuildGamePath("%s", picture).c_str(), LOGIN_BUTTON_FRAMES);
    button->AttachTo(parent);
    button->MoveTo(at);
    button->SetState(BUTTON_STATE_UP);
    return button;
}
} // namespace

CLogin::CLogin() = default;

CLogin::~CLogin() = default;

void CLogin::RoomEnter()
{
    CBaseWindow::RoomEnter();
    LoadGameSprite(*this, BuildGamePath("$GAMEPATH\\LOGIN\\si_bg.tga").c_str());
    AttachTo(GetRoot());
    MoveTo(0, 0);
    m_pPlay = MakeButton("$GAMEPATH\\login\\si_play.tga", this, CxPoint(460, 341));
    m_pExit = MakeButton("$GAMEPATH\\login\\si_exit.tga", this, CxPoint(53, 356));
}

void CLogin::RoomLeave()
{
    m_pPlay.reset();
    m_pExit.reset();
    Hide();
    Detach();
    Unload();
    CBaseWindow::RoomLeave();
}

void CLogin::NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d)
{
    CxButton* button = ButtonFromNotify(b);
    if (button && c == BUTTON_NOTIFY_CLICKED)
    {
        CxGameApp* app = dynamic_cast<CxGameApp*>(GetApp());
        if (app && button == m_pPlay.get())
            app->PushRoom(RUMBO_ROOM_TOWN);
        else if (app && button == m_pExit.get())
            app->CloseAndQuit();
    }
    CBaseWindow::NotifyParent(a, b, c, d);
}
