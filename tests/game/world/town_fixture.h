// A town for tests: the game's application entered into a town of 40 x 30
// tiles (column 20 onward mud) with a truck, a bakery whose zone centre is
// 100 px right of the start, a barn with a perimeter and no zone centre,
// two underlays, an overlay and two objects (one invisible).
#pragma once

#include "engine/core/event_creator.h"
#include "engine/frame/game_app.h"
#include "engine/media/movie_driver.h"
#include "game/world/map_object.h"
#include "game/world/town.h"
#include "game/world/truck.h"
#include "tests/game/world/town_test_app.h"
#include "tests/game/world/truck_test_util.h"
#include "tests/support/scoped_clock.h"
#include "tests/support/test_support.h"
#include "tools/map/map_writer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <sys/stat.h>

namespace town_test {
// A town of 40 x 30 tiles of 64 px whose tile list has 117 entries (kinds
// 0..116); column 20 and beyond is mud (kind 114), the rest kind 0.
inline void WriteMap(const TempDir& dir)
{
    ST_MAP_DESCRIPTION map;
    map.tileWidth = map.tileHeight = 64;
    map.columns = 40;
    map.rows = 30;
    map.tiles.assign(117, ST_MAP_WRITER_TILE{"tile.bmp", 0});
    for (int32_t r = 0; r < map.rows; ++r)
        for (int32_t c = 0; c < map.columns; ++c)
            map.cells.push_back(c >= 20 ? 114 : 0);
    ASSERT_EQ(WriteMapFile(dir.File("town.map").c_str(), map), 0u);
}

inline const char* const WORLD =
    "[World]\nMap=town.map\n"
    "[MasterUnderlays]\nUnderlay000=tile.bmp\n"
    "[Underlays]\nUnderlay00000000=10, 10\nUnderlay00000007=10, 10\nUnderlay00000000=30, 30\n"
    "[MasterOverlays]\nOverlay000=tile.bmp\n"
    "[Overlays]\nOverlay0000000=20, 20\n"
    "[Buildings]\nBuilding00=bakery.ini\nBuilding01=$GAMEPATH\\barn.ini\nBuilding03=skipped.ini\n"
    "[MasterObjects]\nObject000=rock.ini\nObject001=InvisWall.ini\n"
    "[Objects]\nObject000=300, 300\nObject001=400, 400\nObject009=1, 1\n";

// The bakery's zone centre is 100 px right of the start point; the barn has
// a perimeter up-left of it and no zone centre.
inline const char* const BAKERY =
    "[QexSprite]\nName=Bakery\nNumStates=1\nPosition=1300, 1400\nInterpTag=BAKERY\n"
    "LockPosition=1, 2\nTruckLockPosition=3, 4\nDriveThruPosition=5, 6\nTruckTalkState=7\n"
    "[State000]\nFileName=$GAMEPATH\\tile.bmp\n"
    "[Zone]\nPosition=1190, 1440\nCenter=1202, 1450\nOnEnterZone0=enter0.seq\n"
    "OnEnterZone1=enter1.seq\nOnEndMission0=end0.seq\n";
inline const char* const BARN = "[QexSprite]\nName=Barn\nNumStates=1\nPosition=1000, 1300\nInterpTag=BARN\n"
                                "[State000]\nFileName=$GAMEPATH\\tile.bmp\n[Perimeter]\nRect=0, 0, 60, 60\n"
                                "[Zone]\nPosition=1000, 1300\n";
inline const char* const OBJECT = "[QexSprite]\nNumStates=1\n[State000]\nFileName=$GAMEPATH\\tile.bmp\n";

// The game's application entered into a town written into the scratch
// folder by the test's SetUp before it calls StartTown.
class TownAppTest : public truck_test::TruckFixture
{
protected:
    void SetUp() override
    {
        TruckFixture::SetUp();
        m_pPreviousFade = CBaseWindow::SetFadePlayer([](const char*) { return CX_ERR_NONE; });
        // Every truck loads the crash sound; the game's sound layer is on.
        mkdir(m_Dir.File("SFX").c_str(), 0755);
        m_Dir.Write("SFX/crash.wav", truck_test::MakeWave(800));
    }
    void StartTown()
    {
        m_pApp = std::make_unique<CTownTestApp>(m_Dir.Path());
        m_pApp->Start();
        m_pApp->OnIdle();
        m_pTown = dynamic_cast<CTown*>(m_pApp->GetCurRoom());
        ASSERT_NE(m_pTown, nullptr);
    }
    void TearDown() override
    {
        if (m_pApp)
            m_pApp->Stop();
        m_pApp.reset();
        CBaseWindow::SetFadePlayer(m_pPreviousFade);
        TruckFixture::TearDown();
    }

    ErrorCapture m_Capture;
    PFN_PLAY_FADE m_pPreviousFade = nullptr;
    std::unique_ptr<CTownTestApp> m_pApp;
    CTown* m_pTown = nullptr;
};

class TownTest : public TownAppTest
{
protected:
    void SetUp() override
    {
        TownAppTest::SetUp();
        CxDrawSurface tile(64, 64, 24);
        tile.FillRect(nullptr, 0x336633);
        ASSERT_EQ(tile.Save(m_Dir.File("tile.bmp").c_str()), 0u);
        WriteMap(m_Dir);
        mkdir(m_Dir.File("VPLAYER").c_str(), 0755);
        ASSERT_EQ(tile.Save(m_Dir.File("VPLAYER/tread.tga").c_str()), 0u);
        m_Dir.Write("VPLAYER/brund.ini",
                    truck_test::TruckText(16, "MaxDrivingSpeed=8\nDrivingAcceleration=8\n", "",
                                          "$GAMEPATH\\truck.smk",
                                          "Tire0=1, 1\nTire1=30, 1\nTire2=1, 22\nTire3=30, 22\n"));
        m_Dir.Write("world.ini", WORLD);
        m_Dir.Write("nodes.ini", "");
        m_Dir.Write("bakery.ini", BAKERY);
        m_Dir.Write("barn.ini", BARN);
        m_Dir.Write("rock.ini", OBJECT);
        m_Dir.Write("InvisWall.ini", OBJECT);
        StartTown();
    }
    std::string Variable(const char* name) { return m_pApp->GetInterpolator().Expand(name).c_str(); }
    CTruck& Truck() { return *m_pTown->GetTruck(); }
    // Puts the truck (standing) at a map point and runs one town update.
    void UpdateAt(const CxPoint& point)
    {
        Truck().PlaceAt(point);
        Truck().SetTarget(point);
        m_pTown->m_bUserControl = false;
        m_pTown->UpdateTown();
    }
};
} // namespace town_test
