// The game program. Until the game's own application class takes over, a
// minimal application with one empty room runs the engine's frame: the
// window, the main loop and the room switch.
#include "engine/frame/game_app.h"

namespace {
const AppDescription s_Description = {
    "Rumbo Town Demo",
    "RumboTownDemo.ini",
    0,
    0,
    640,
    480,
    16,
    APP_USE_DIRECTDRAW | APP_USE_CUSTOM_CURSOR | APP_RIGHT_BUTTON_IS_LEFT,
};

class CDemoApp : public CxGameApp
{
public:
    CDemoApp() : CxGameApp(s_Description) {}

    uint32_t Create() override
    {
        CxGameApp::Create();
        GotoRoom(0);
        return GetError();
    }

    CxGameWindow* CreateRoom(long id) override { return id == 0 ? new CxGameWindow : nullptr; }
};
} // namespace

int main(int argc, char** argv)
{
    // Made on first use, after every engine-wide object is ready.
    static CDemoApp app;
    return CxAppMain(argc, argv);
}
