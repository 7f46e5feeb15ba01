// Feeds arbitrary bytes to the truck loader as a truck file (written to a
// scratch file and read through LoadFromFile), then drives, turns, talks,
// shoots and copies the truck it built.
#include "engine/core/error.h"
#include "engine/core/file.h"
#include "engine/media/movie_driver.h"
#include "game/world/direction_table.h"
#include "game/world/truck.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {
void Run(CTruck& truck, const char* name, const char* argument)
{
    CxLinkedList<CxString> arguments;
    if (argument)
        arguments.AddTail(argument);
    truck.HandleCommand(name, arguments);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorHandler(nullptr);
    SetBlueScreenError(false);
    RegisterMovieDrivers();
    if (size > 0x100000)
        return 0;
    static const std::string path = "/tmp/truck_file_fuzz_" + std::to_string(getpid()) + ".ini";
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    fwrite(data, 1, size, file);
    fclose(file);
    CTruck truck;
    truck.LoadFromFile(path.c_str());
    truck.PlaceAt(CxPoint(300, 300));
    const CxPoint points[] = {CxPoint(300, 300), CxPoint(0, 0), CxPoint(900, 20), CxPoint(-5, 7000)};
    for (int i = 0; i < 24; ++i)
    {
        truck.Steer(i % 3 ? &points[i % 4] : nullptr);
        truck.Move();
        truck.Pace();
    }
    Run(truck, "SetDirection", "-17");
    Run(truck, "SetMode", "2");
    Run(truck, "SetTargetDirection", "99");
    for (int i = 0; i < 4; ++i)
        truck.Steer();
    truck.Shoot();
    CxLinkedList<CxString> sounds;
    sounds.AddTail("none.wav");
    truck.Talk(0, sounds);
    truck.Talk(1, sounds);
    truck.AddPause();
    truck.RemovePause();
    CTruck copy;
    copy.CopyFrom(truck);
    copy.ShowFrame(size & 7);
    // The table is shared: every input starts from the same angles.
    ResetDirectionAngles();
    return 0;
}
