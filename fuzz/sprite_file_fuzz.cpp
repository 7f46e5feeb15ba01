// Feeds arbitrary bytes to the character loader as a sprite file (states,
// frame records, collision rectangle and mouths), then plays, talks and
// paints what it built. "$GAMEPATH" is a scratch folder holding one strip
// image, a mouth and a sequence, so that inputs naming them get past the
// image loads.
#include "engine/core/error.h"
#include "engine/core/event_creator.h"
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/image_filter.h"
#include "game/world/talking_sprite.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {
std::string s_Folder;
CxGamePath s_Paths;

void Prepare()
{
    if (!s_Folder.empty())
        return;
    char pattern[] = "/tmp/sprite_fuzz_XXXXXX";
    s_Folder = mkdtemp(pattern) ? pattern : "/tmp";
    RegisterStandardImageFilters();
    CxDrawSurface strip(40, 8, 24);
    strip.FillRect(nullptr, 0xFF00FF);
    strip.Save((s_Folder + "/a.bmp").c_str());
    CxDrawSurface mouth(12, 4, 24);
    mouth.Save((s_Folder + "/m.bmp").c_str());
    if (FILE* seq = fopen((s_Folder + "/s.seq").c_str(), "w"))
    {
        fputs("Event this.SetState(1)\nEvent this.Paint(3, 4)\n", seq);
        fclose(seq);
    }
    s_Paths.SetInstallPath(s_Folder.c_str());
    s_Paths.SetCDPath(s_Folder.c_str());
    SetGamePath(&s_Paths);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorHandler(nullptr);
    SetBlueScreenError(false);
    if (size > 0x10000)
        return 0;
    Prepare();
    const std::string path = s_Folder + "/input.ini";
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    fwrite(data, 1, size, file);
    fclose(file);

    CCharacter character;
    character.LoadFromFile(path.c_str());
    CxLinkedList<CxString> arguments;
    arguments.AddTail(CxString("1"));
    arguments.AddTail(CxString("$GAMEPATH\\none.wav"));
    for (const char* command : {"PlayOnce", "PlayInfinite", "Talk", "SetState", "Paint"})
        if (CxEvent* event = character.CreateEvent("this", command, arguments))
        {
            event->Start();
            event->IsFinished();
            event->Stop();
            delete event;
        }
    character.HandleCollision(&character);
    CxDrawSurface screen(32, 32, 16);
    character.MoveTo(0, 0);
    character.Paint(&screen, CxRect(0, 0, 31, 31));
    return 0;
}
