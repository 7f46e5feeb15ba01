// The game program: the engine runs the game's application object.
#include "engine/core/app.h"
#include "game/world/rumbo_town_app.h"

int main(int argc, char** argv)
{
    // Made on first use, after every engine-wide object is ready.
    static CRumboTownApp app;
    return CxAppMain(argc, argv);
}
