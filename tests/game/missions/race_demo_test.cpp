// The race on the demo data make-demo-data makes: the race track's start
// sequence sets the race up with Smudge at the start, the truck drives the
// course round the track onto the finish banner, the flags light up, the
// phases put oil on the track, and the win sequence ends the race.
#include "game/missions/race.h"

#include "game/world/map_object.h"
#include "game/world/moving_object.h"
#include "game/world/rumbo_town_app.h"
#include "tests/game/world/town_fixture.h"
#include "tools/data/demo_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sys/stat.h>

namespace {
class RecordingHud : public ITownHud
{
public:
    void LightIcon(int32_t index, int32_t frame) override
    {
        if (frame == 1)
            lit.push_back(index);
    }
    std::vector<int32_t> lit;
};

class RaceDemoTest : public town_test::TownAppTest
{
protected:
    void SetUp() override
    {
        TownAppTest::SetUp();
        DemoDataPaths paths;
        paths.source = RUMBO_DEMO_SOURCE;
        paths.town = RUMBO_TOWN_SOURCE;
        paths.output = m_Dir.Path();
        ASSERT_TRUE(MakeTextGroup()->Make(paths) && MakeTownGroup()->Make(paths) &&
                    MakeRaceGroup()->Make(paths));
        remove(m_Dir.File("welcome.seq").c_str()); // it speaks: the voices are not made here
        for (const char* dir : {"VOICES", "VOICES/racer", "VOICES/brund"})
            mkdir(m_Dir.File(dir).c_str(), 0755);
        m_Dir.Write("VPLAYER/brund.ini",
                    truck_test::TruckText(16, "EventTypeName=Truck\nMaxDrivingSpeed=8\n"));
        // Short stand-ins for the voices the race's sequences play.
        for (const char* voice : {"racer/countdown", "racer/win", "brund/yay"})
            m_Dir.Write(std::string("VOICES/") + voice + ".wav", truck_test::MakeWave(800));
        m_Dir.Write(
            "VENEMY/smudge.ini",
            truck_test::TruckText(16, "MaxDrivingSpeed=8\nOnShoot=$GAMEPATH\\VENEMY\\smudge_smoke.seq\n"));
        StartTown();
        m_pFramework = std::make_unique<CMissionFramework>(*m_pTown);
        m_pRace = std::make_unique<CRaceMission>(*m_pTown);
        m_pFramework->SetKind(MISSION_KIND_RACE, m_pRace.get());
        m_pTown->SetMission(m_pFramework.get());
        m_pTown->SetHud(&m_Hud);
    }
    void TearDown() override
    {
        m_pFramework->Stop();
        m_pTown->SetMission(nullptr);
        m_pTown->SetHud(nullptr);
        m_pRace.reset();
        m_pFramework.reset();
        TownAppTest::TearDown();
    }
    void Pump(int times)
    {
        for (int i = 0; i < times; ++i)
        {
            Tick(50);
            m_pApp->OnIdle();
        }
    }
    // The test's trucks have no mouths and its sound layer plays nothing to
    // the end: the voices of a sequence start without being waited for and
    // the truck's own talk goes.
    void Unvoice(const char* name)
    {
        std::string text = TempDir::Read(m_Dir.File(name)), out;
        for (size_t at = 0, end = 0; at < text.size(); at = end + 1)
        {
            end = std::min(text.find('\n', at), text.size());
            std::string line = text.substr(at, end - at);
            if (line.find("Truck.Talk") != std::string::npos)
                continue;
            if (const size_t wave = line.find("system.PlayWave"); wave != std::string::npos)
                line.replace(wave, 15, "system.StartWave");
            out += line + "\n";
        }
        m_Dir.Write(name, out);
    }
    // Puts the player's truck on p, standing, and runs one town update.
    void DriveTo(const CxPoint& p)
    {
        CTruck& truck = *m_pTown->GetTruck();
        truck.PlaceAt(p);
        truck.SetTarget(p);
        m_pTown->m_bUserControl = false;
        m_pTown->UpdateTown();
    }

    RecordingHud m_Hud;
    std::unique_ptr<CMissionFramework> m_pFramework;
    std::unique_ptr<CRaceMission> m_pRace;
};

TEST_F(RaceDemoTest, TheStartSequenceSetsUpTheRaceAndTheTruckWinsAtTheBanner)
{
    for (const char* name : {"mission/Race/start.seq", "mission/Race/win.seq"})
        Unvoice(name);
    ASSERT_EQ(m_pTown->PlaySequence(m_Dir.File("mission/Race/start.seq").c_str()), CX_ERR_NONE);
    for (int i = 0; i < 200 && !m_pRace->IsRunning(); ++i)
        Pump(1);
    ASSERT_TRUE(m_pRace->IsRunning());
    // The file's finish line names the banner where the town put it.
    const CMapObject& banner = *m_pTown->GetPlacedObjects()[static_cast<size_t>(m_pRace->GetFinishIndex())];
    EXPECT_EQ(banner.GetId(), 39);
    EXPECT_EQ(banner.GetPosition(), CxPoint(4736, 2816));
    const CRaceCourse& course = m_pRace->Course();
    ASSERT_EQ(course.Count(), 20);
    // Smudge and the truck on their start points, a phase of oil on the track.
    CTruck& truck = *m_pTown->GetTruck();
    EXPECT_EQ(truck.GetCentre(), CxPoint(4800, 2985));
    // Smudge is on its way already.
    const CxPoint enemy = m_pTown->GetEnemy()->GetCentre();
    EXPECT_LT(std::hypot(enemy.x - 4800, enemy.y - 3075), 40.0) << enemy.x << "," << enemy.y;
    ASSERT_EQ(m_pFramework->Phase().GetObjects().size(), 1u);
    EXPECT_EQ(m_pFramework->Phase().GetObjects()[0]->GetId(), RACE_OIL_TYPE);
    ASSERT_NE(m_pRace->GetSmoke(), nullptr);
    EXPECT_GE(m_pRace->GetSmoke()->GetFrameCount(), 12);
    // Round the course, 10 px past each waypoint, then onto the banner.
    for (int32_t i = 1; i + 1 < course.Count(); ++i)
    {
        const RaceWaypoint& a = course.At(i);
        const RaceWaypoint& b = course.At(i + 1);
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        DriveTo(CxPoint(a.x + static_cast<int32_t>(std::lround(10 * (b.x - a.x) / length)),
                        a.y + static_cast<int32_t>(std::lround(10 * (b.y - a.y) / length))));
        ASSERT_EQ(m_pRace->GetTruckIndex(), i);
        ASSERT_TRUE(m_pRace->IsRunning()) << i;
    }
    DriveTo(CxPoint(course.At(19).x, course.At(19).y));
    EXPECT_FALSE(m_pRace->IsRunning());
    // The flags light one after the other along the course.
    EXPECT_TRUE(std::is_sorted(m_Hud.lit.begin(), m_Hud.lit.end()));
    EXPECT_EQ(m_Hud.lit.front(), 0);
    EXPECT_EQ(m_Hud.lit.back(), 9);
    EXPECT_TRUE(m_pApp->GetCompletedFlag() & 0x20);
    // The win sequence stops the race: the enemy and the oil go, the truck waits below the banner.
    for (int i = 0; i < 200 && m_pFramework->GetState() == MISSION_STATE_RUNNING; ++i)
        Pump(1);
    EXPECT_EQ(m_pFramework->GetState(), MISSION_STATE_STOPPED);
    EXPECT_EQ(truck.GetCentre(), RACE_TRUCK_HOME);
    EXPECT_EQ(m_pTown->GetEnemy()->GetNumDirections(), 0);
    EXPECT_TRUE(m_pFramework->Phase().GetObjects().empty());
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
}
} // namespace
