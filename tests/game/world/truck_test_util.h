// Truck files for the truck tests: Smacker movies made by our encoder (each
// frame filled with its own palette index, magenta in the corner), wave
// files and truck files written into a scratch folder.
#pragma once

#include "engine/core/command_handler.h"
#include "engine/core/error.h"
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/core/main_loop.h"
#include "engine/graphics/display_object.h"
#include "engine/graphics/image_filter.h"
#include "engine/media/movie_driver.h"
#include "engine/media/sound.h"
#include "engine/platform/clock.h"
#include "game/world/direction_table.h"
#include "game/world/truck.h"
#include "game/world/truck_view.h"
#include "tests/engine/media/wave_builder.h"
#include "tests/game/world/sprite_world_test.h"
#include "tests/support/test_support.h"
#include "tools/smk/smk_encoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace truck_test {
// A command with its arguments, given as one text: "SetMaxSpeed 2.5".
inline void Command(CCommandHandler& handler, const std::string& line)
{
    std::istringstream words(line);
    std::string name, word;
    words >> name;
    CxLinkedList<CxString> arguments;
    while (words >> word)
        arguments.AddTail(CxString(word.c_str()));
    handler.HandleCommand(CxString(name.c_str()), arguments);
}

// Frame k (below 6) of a w x h movie: every pixel index 10 + k, green 20 + 40 k;
// the top-left one magenta (index 1).
inline std::vector<uint8_t> MakeMovie(int32_t w, int32_t h, int32_t frames)
{
    CxSmackerEncoder encoder;
    EXPECT_EQ(encoder.Begin(w, h, 10), CX_ERR_NONE);
    std::vector<uint8_t> palette(768, 0);
    palette[3] = 255;
    palette[5] = 255;
    for (int i = 10; i < 16; ++i)
        palette[i * 3 + 1] = static_cast<uint8_t>(20 + 40 * (i - 10));
    for (int32_t k = 0; k < frames; ++k)
    {
        std::vector<uint8_t> pixels(static_cast<size_t>(w) * h, static_cast<uint8_t>(10 + k));
        pixels[0] = 1;
        EXPECT_EQ(encoder.AddFrame(pixels.data(), palette.data()), CX_ERR_NONE);
    }
    std::vector<uint8_t> file;
    EXPECT_EQ(encoder.Finish(&file), CX_ERR_NONE);
    return file;
}

// A mono 8 kHz wave of n samples of a 500 Hz square.
inline std::string MakeWave(uint32_t n)
{
    std::vector<int16_t> samples(n);
    for (uint32_t i = 0; i < n; ++i)
        samples[i] = (i / 8) % 2 ? 15000 : -15000;
    return wave_test::Pcm16Wave(samples, 1, 8000);
}

// A view of 640 x 480 whose origin the truck moves.
class FakeView : public ITruckView
{
public:
    CxPoint GetViewOrigin() const override { return origin; }
    CxSize GetViewSize() const override { return CxSize(640, 480); }
    void ScrollViewTo(const CxPoint& to) override
    {
        origin = to;
        ++scrolls;
    }
    CxPoint origin{0, 0};
    int32_t scrolls = 0;
};

// Directions x 3 states on one movie; head goes into [QexSprite], first into
// [Direction000], extra after.
inline std::string TruckText(int32_t directions, const std::string& head = "", const std::string& extra = "",
                             const char* movie = "$GAMEPATH\\truck.smk", const std::string& first = "")
{
    std::string text = "[QexSprite]\nNumDirections=" + std::to_string(directions) + "\n" + head;
    for (int32_t d = 0; d < directions && d < 40; ++d)
    {
        char section[32];
        snprintf(section, sizeof(section), "[Direction%03d]\n", d);
        text += section;
        if (d == 0)
            text += first;
        text += "NumStates=3\nState000=" + std::string(movie) + "\nState001=" + movie +
                "\nState002=" + movie + "\nCollisionRect=2, 3, 29, 21\n";
    }
    return text + extra;
}

class TruckFixture : public SpriteWorldTest
{
protected:
    void SetUp() override
    {
        RegisterMovieDrivers();
        ResetDirectionAngles();
        const std::vector<uint8_t> movie = MakeMovie(32, 24, 4);
        m_Dir.Write("truck.smk", std::string(movie.begin(), movie.end()));
        m_Dir.Write("engine.wav", MakeWave(800));
        m_pParent = new CxDisplayObject;
        m_pParent->Create(CxRect(0, 0, 1999, 1999));
    }
    void TearDown() override
    {
        delete m_pParent;
        ResetDirectionAngles();
    }
    std::string Write(const std::string& text) { return m_Dir.Write("truck.ini", text); }
    // A truck (32 x 24) centred on (500, 500); see TruckText.
    template <class T = CTruck>
    std::unique_ptr<T> MakeTruck(int32_t directions, const std::string& head = "",
                                 const std::string& first = "")
    {
        auto truck = std::make_unique<T>();
        EXPECT_EQ(truck->LoadFromFile(
                      Write(TruckText(directions, head, "", "$GAMEPATH\\truck.smk", first)).c_str()),
                  CX_ERR_NONE);
        truck->PlaceAt(CxPoint(500, 500));
        return truck;
    }

    CxDisplayObject* m_pParent = nullptr;
};
} // namespace truck_test
