// The demo trucks, enemies and hand truck as make-demo-data makes them,
// loaded by the game's own truck loader.
#include "engine/core/event.h"
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/core/main_loop.h"
#include "engine/core/options.h"
#include "engine/graphics/display_object.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/image_filter.h"
#include "engine/media/movie_driver.h"
#include "engine/media/wave_info.h"
#include "game/world/direction_table.h"
#include "game/world/lip_synch.h"
#include "game/world/truck.h"
#include "tests/game/world/sprite_world_test.h"
#include "tests/support/scoped_clock.h"
#include "tests/support/test_app.h"
#include "tests/support/test_support.h"
#include "tools/data/demo_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
struct VehicleCase
{
    const char* file;
    const char* typeName; // the event type name the file gives
    int32_t enemyId;
    int32_t mouthSets;
    bool sounds; // engine loops and a horn
};

const VehicleCase kVehicles[] = {
    {"VPLAYER\\brund.ini", "Truck", 0, 2, true},
    {"VPLAYER\\gosk.ini", "Truck", 0, 2, true},
    {"VPLAYER\\tev.ini", "Truck", 0, 2, true},
    {"VPLAYER\\zorbin.ini", "Truck", 0, 2, true},
    {"VENEMY\\klank.ini", "", 1, 1, true},
    {"VENEMY\\razz.ini", "", 2, 1, true},
    {"VENEMY\\smudge.ini", "", 3, 1, true},
    {"VENEMY\\grubb.ini", "", 4, 1, true},
    {"mission\\MovingHandTrucks\\handtruck.ini", "", 0, 0, false},
};

bool Inside(const CxPoint& p, int32_t w, int32_t h)
{
    return p.x >= 0 && p.y >= 0 && p.x < w && p.y < h;
}

bool Exists(const CxString& gameName)
{
    return !gameName.IsEmpty() && FileExists(ExpandGamePath(gameName.c_str()).c_str());
}

// The samples of a demo wave: 22050 Hz, 16-bit, mono.
std::vector<int16_t> ReadSamples(const std::string& path)
{
    const std::string bytes = TempDir::Read(path);
    ST_WAV_INFO info;
    std::vector<int16_t> samples;
    if (ParseWaveInfo(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()),
                      false, &info) != 0 ||
        info.nRate != 22050 || info.nBits != 16 || info.nChannels != 1)
        return samples;
    for (uint32_t i = 0; i < info.nSamples; ++i)
        samples.push_back(static_cast<int16_t>(ReadLE16(info.pData + 2 * i)));
    return samples;
}

class TruckDemoDataTest : public testing::Test
{
protected:
    // The data is made once for the suite: the sequence files of data/game
    // and the trucks group.
    static void SetUpTestSuite()
    {
        s_pData = new TempDir;
        s_Paths.source = RUMBO_DEMO_SOURCE;
        s_Paths.output = s_pData->Path();
        s_Text = RunDemoGroup(*MakeTextGroup(), s_Paths, nullptr);
        s_Trucks = RunDemoGroup(*MakeTruckGroup(), s_Paths, nullptr);
    }
    static void TearDownTestSuite() { delete s_pData; }

    TruckDemoDataTest()
    {
        CxDisplayObject::DestroyRoot();
        CxDisplayObject::SetRootSize(640, 480);
        RegisterStandardImageFilters();
        RegisterMovieDrivers();
        SetBlueScreenError(false);
        ResetDirectionAngles();
        m_Roots.SetInstallPath(s_pData->Path().c_str());
        m_Roots.SetCDPath(s_pData->Path().c_str());
        SetGamePath(&m_Roots);
    }
    ~TruckDemoDataTest() override
    {
        SetGamePath(nullptr);
        ResetDirectionAngles();
        CxDisplayObject::DestroyRoot();
    }
    void CheckDirections(const CTruck& truck, const VehicleCase& c);
    void CheckSettings(const CTruck& truck, const VehicleCase& c);

    static TempDir* s_pData;
    static DemoDataPaths s_Paths;
    static DemoGroupResult s_Text, s_Trucks;
    CxGamePath m_Roots;
    ScopedManualClock m_Clock{1000};
};

TempDir* TruckDemoDataTest::s_pData = nullptr;
DemoDataPaths TruckDemoDataTest::s_Paths;
DemoGroupResult TruckDemoDataTest::s_Text, TruckDemoDataTest::s_Trucks;

// Three modes of 4 to 8 frames in every direction, and every point the file
// places (collision box, tyres, mouths, shots) on the frame.
void TruckDemoDataTest::CheckDirections(const CTruck& truck, const VehicleCase& c)
{
    ASSERT_EQ(truck.GetNumDirections(), 16);
    const ST_TRUCK_SETTINGS& set = truck.Settings();
    for (int32_t d = 0; d < 16; ++d)
    {
        SCOPED_TRACE("direction " + std::to_string(d));
        ASSERT_EQ(truck.GetStateCount(d), 3);
        const int32_t w = truck.GetTruckState(d, 0)->pSurface->GetWidth();
        const int32_t h = truck.GetTruckState(d, 0)->pSurface->GetHeight();
        for (int32_t s = 0; s < 3; ++s)
        {
            const ST_TRUCK_STATE* state = truck.GetTruckState(d, s);
            EXPECT_GE(state->nFrames, 4);
            EXPECT_LE(state->nFrames, 8);
            EXPECT_EQ(state->pSurface->GetWidth(), w);
        }
        const CxRect box = truck.GetDirectionCollisionRect(d);
        EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right < w && box.bottom < h);
        EXPECT_GT(box.right - box.left, 10);
        EXPECT_GT(box.bottom - box.top, 10);
        for (int32_t k = 0; k < TRUCK_TYRES; ++k)
            EXPECT_TRUE(Inside(set.ptTyres[k][d], w, h)) << "tyre " << k;
        for (int32_t m = 0; m < TRUCK_TALK_SETS; ++m)
        {
            CLipSynch* lips = truck.GetLips(m, d);
            ASSERT_EQ(lips != nullptr, m < c.mouthSets) << "mouth set " << m;
            if (!lips)
                continue;
            EXPECT_GE(lips->GetFrameCount(), 4);
            const CxPoint& at = set.ptLips[m][d];
            EXPECT_TRUE(
                Inside(at, w, h) &&
                Inside(CxPoint(at.x + lips->GetFrameWidth() - 1, at.y + lips->GetFrameHeight() - 1), w, h));
        }
        EXPECT_TRUE(!c.enemyId || Inside(set.ptSpawnedShotOffsets[d], w, h));
    }
}

// The frames are keyed: the corners show through, the middle is truck.
void CheckKeyedFrames(CTruck& truck)
{
    for (int32_t d : {0, 3, 9, 14})
        for (int32_t s = 0; s < 3; ++s)
        {
            truck.SelectDirection(d);
            truck.SelectState(s);
            truck.ShowFrame(1);
            CxDrawSurface* frame = truck.GetTruckState(d, s)->pSurface;
            const uint32_t key = frame->GetTransparentColor();
            EXPECT_EQ(frame->GetPixel(0, 0), key) << "direction " << d << " mode " << s;
            EXPECT_NE(frame->GetPixel(frame->GetWidth() / 2, frame->GetHeight() / 2), key);
        }
}

void TruckDemoDataTest::CheckSettings(const CTruck& truck, const VehicleCase& c)
{
    const ST_TRUCK_SETTINGS& set = truck.Settings();
    EXPECT_STREQ(truck.GetEventTypeName().c_str(), c.typeName);
    EXPECT_EQ(set.nEnemyID, c.enemyId);
    EXPECT_FLOAT_EQ(set.fMaxFrameRate, 12.0f);
    EXPECT_EQ(set.nMapScrollRadius, 0);
    if (!strcmp(c.typeName, "Truck"))
    {
        EXPECT_GE(set.fMaxDrivingSpeed, 8.0f);
        EXPECT_LE(set.fMaxDrivingSpeed, 10.0f);
        EXPECT_GT(set.fMaxSuperSpeed, set.fMaxDrivingSpeed + 4.0f) << "a turbo one can feel";
        EXPECT_GT(set.nTurboTime, 1000);
    }
    for (int32_t i = 0; i < TRUCK_SOUND_COUNT; ++i)
        EXPECT_EQ(Exists(set.strSounds[i]), c.sounds || i == TRUCK_SOUND_CRASH) << "sound " << i;
    if (!c.enemyId)
        return;
    EXPECT_GT(set.nHomeBuildingID, 0);
    EXPECT_TRUE(set.rcPerimeter.Contains(set.ptStartLocation));
    EXPECT_TRUE(Exists(set.strOnEnterPerimeter));
    ASSERT_TRUE(Exists(set.strOnShoot));
    CxFileBuffer bytes;
    ASSERT_EQ(LoadFile(ExpandGamePath(set.strOnShoot.c_str()).c_str(), bytes), CX_ERR_NONE);
    const std::string shot(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetSize());
    EXPECT_NE(shot.find("$spawn_x, $spawn_y)"), std::string::npos) << shot;
}
} // namespace

TEST_F(TruckDemoDataTest, EveryVehicleLoadsWithItsModesTyresMouthsAndKeys)
{
    ASSERT_TRUE(s_Text.ok && s_Trucks.ok);
    for (const VehicleCase& c : kVehicles)
    {
        SCOPED_TRACE(c.file);
        ErrorCapture errors;
        CTruck truck;
        ASSERT_EQ(truck.LoadFromFile((std::string("$GAMEPATH\\") + c.file).c_str()), CX_ERR_NONE);
        EXPECT_TRUE(errors.Errors().empty()) << errors.Errors()[0].text;
        CheckDirections(truck, c);
        CheckKeyedFrames(truck);
        CheckSettings(truck, c);
    }
}

TEST_F(TruckDemoDataTest, EveryTruckFileCarriesTheGamesAngleTable)
{
    // Loading any truck file overwrites the shared table: an enemy must not
    // bend the player's steering.
    ResetDirectionAngles();
    const std::vector<float> start(GetDirectionAngles(), GetDirectionAngles() + TRUCK_MAX_DIRECTIONS);
    for (const VehicleCase& c : kVehicles)
    {
        CxOptions file;
        ASSERT_EQ(file.Open(ExpandGamePath((std::string("$GAMEPATH\\") + c.file).c_str()).c_str()),
                  CX_ERR_NONE);
        for (int32_t i = 0; i < TRUCK_MAX_DIRECTIONS; ++i)
        {
            char key[16], text[32];
            snprintf(key, sizeof(key), "Angle%02d", i);
            file.GetString("DrivingAngles", key, text, "", sizeof(text));
            ASSERT_NE(text[0], '\0') << c.file << " " << key;
            EXPECT_EQ(static_cast<float>(strtod(text, nullptr)), start[i]) << c.file << " " << key;
        }
    }
}

TEST_F(TruckDemoDataTest, EngineLoopsRepeatWithoutAClickAndOneShotsFadeInAndOut)
{
    for (const char* folder :
         {"VPLAYER/brund", "VPLAYER/gosk", "VPLAYER/tev", "VPLAYER/zorbin", "VENEMY/sound"})
        for (const char* name : {"drive", "super", "bump", "idle", "horn"})
        {
            const std::vector<int16_t> s =
                ReadSamples(s_pData->File(std::string(folder) + "/" + name + ".wav"));
            SCOPED_TRACE(std::string(folder) + "/" + name);
            ASSERT_GT(s.size(), 2000u);
            int32_t step = 0, peak = 0;
            for (size_t i = 1; i < s.size(); ++i)
            {
                step = std::max(step, std::abs(s[i] - s[i - 1]));
                peak = std::max(peak, std::abs(static_cast<int32_t>(s[i])));
            }
            EXPECT_GT(peak, 3000);
            EXPECT_EQ(s.front(), 0);
            // A horn fades out; a loop's seam is no bigger than any step within it.
            const bool horn = strcmp(name, "horn") == 0;
            EXPECT_LE(std::abs(s.front() - s.back()), horn ? 0 : step);
        }
    const std::vector<int16_t> crash = ReadSamples(s_pData->File("SFX/crash.wav"));
    ASSERT_FALSE(crash.empty());
    EXPECT_EQ(crash.front(), 0);
    EXPECT_EQ(crash.back(), 0);
}

TEST_F(TruckDemoDataTest, EnemiesSpeedOffAndStartShootingWhenThePlayerComesNear)
{
    CTestApp app;
    ErrorCapture errors;
    CEventPump pump;
    for (const char* name : {"klank", "razz", "smudge", "grubb"})
    {
        SCOPED_TRACE(name);
        CTruck enemy;
        ASSERT_EQ(enemy.LoadFromFile((std::string("$GAMEPATH\\VENEMY\\") + name + ".ini").c_str()),
                  CX_ERR_NONE);
        enemy.EnterPerimeter();
        for (int i = 0; i < 5; ++i)
        {
            m_Clock.Advance(50);
            RunMainLoopFunctions();
        }
        EXPECT_EQ(enemy.GetMode(), TRUCK_MODE_SUPER);
        EXPECT_TRUE(enemy.IsTurboRunning());
        EXPECT_TRUE(enemy.IsShootTimerRunning());
        EXPECT_TRUE(errors.Errors().empty());
    }
}
