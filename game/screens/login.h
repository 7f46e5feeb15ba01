// CLogin: the title screen (room 0): the title picture with a play button,
// which goes to the town, and an exit button, which closes the game.
#pragma once

#include "engine/ui/button.h"
#include "game/world/base_window.h"

#include <memory>

class CLogin : public CBaseWindow
{
public:
    CLogin();
    ~CLogin() override;

    // The picture into the room, the room at the display root's origin, the buttons built.
    void RoomEnter() override;
    // Frees both buttons and the picture (built again on the next entry).
    void RoomLeave() override;
    // Play pushes the town, exit closes and quits; every notice then goes up.
    void NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d) override;

    CxButton* GetPlayButton() const { return m_pPlay.get(); }
    CxButton* GetExitButton() const { return m_pExit.get(); }

private:
    std::unique_ptr<CxButton> m_pPlay;
    std::unique_ptr<CxButton> m_pExit;
};
