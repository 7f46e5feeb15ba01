// The race on the demo data make-demo-data makes: the race track's start
// sequence sets the race up with Smudge at the start, the truck drives the
// course round the track onto the finish banner, and the win sequence ends
// the race without a single error.
#include "game/missions/race.h"

#include "game/world/map_object.h"
#include "game/world/moving_object.h"
#include "game/world/rumbo_town_app.h"
#include "tests/game/missions/partial_demo.h"
#include "tests/game/world/town_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sys/stat.h>

namespace {
class RaceDemoTest : public town_test::TownAppTest
{
protected:
    void SetUp() override
    {
        TownAppTest::SetUp();
        ASSERT_TRUE(MakePartialDemo(m_Dir, MakeRaceGroup(), "EventTypeName=Truck\nMaxDrivingSpeed=8\n"));
        m_Dir.Write("VENEMY/smudge.ini",
                    truck_test::TruckText(16, "OnShoot=$GAMEPATH\\VENEMY\\smudge_smoke.seq\n"));
        // Stand-ins for the voices; the test's trucks have no mouths and its
        // sound layer never ends a wave: the voices start without waiting.
        for (const char* dir : {"VOICES", "VOICES/racer"})
            mkdir(m_Dir.File(dir).c_str(), 0755);
        for (const char* voice : {"racer/countdown", "racer/win"})
            m_Dir.Write(std::string("VOICES/") + voice + ".wav", truck_test::MakeWave(800));
        for (const char* name : {"mission/Race/start.seq", "mission/Race/win.seq"})
        {
            std::string text = TempDir::Read(m_Dir.File(name));
            for (size_t at; (at = text.find("system.PlayWave")) != std::string::npos;)
                text.replace(at, 15, "system.StartWave");
            if (const size_t talk = text.find("Event Truck.Talk"); talk != std::string::npos)
                text.erase(talk, text.find('\n', talk) - talk);
            m_Dir.Write(name, text);
        }
        StartTown();
        m_pFramework = std::make_unique<CMissionFramework>(*m_pTown);
        m_pRace = std::make_unique<CRaceMission>(*m_pTown);
        m_pFramework->SetKind(MISSION_KIND_RACE, m_pRace.get());
        m_pTown->SetMission(m_pFramework.get());
    }
    void TearDown() override
    {
        m_pFramework->Stop();
        m_pTown->SetMission(nullptr);
        m_pRace.reset();
        m_pFramework.reset();
        TownAppTest::TearDown();
    }
    template <class F>
    bool PumpUntil(F done)
    {
        for (int i = 0; i < 200 && !done(); ++i)
        {
            Tick(50);
            m_pApp->OnIdle();
        }
        return done();
    }

    std::unique_ptr<CMissionFramework> m_pFramework;
    std::unique_ptr<CRaceMission> m_pRace;
};

TEST_F(RaceDemoTest, TheStartSequenceSetsUpTheRaceAndTheTruckWinsAtTheBanner)
{
    ASSERT_EQ(m_pTown->PlaySequence(m_Dir.File("mission/Race/start.seq").c_str()), CX_ERR_NONE);
    ASSERT_TRUE(PumpUntil([&] { return m_pRace->IsRunning(); }));
    // The file's finish line names the banner where the town put it.
    const CMapObject& banner = *m_pTown->GetPlacedObjects()[static_cast<size_t>(m_pRace->GetFinishIndex())];
    EXPECT_TRUE(banner.GetId() == 39 && banner.GetPosition() == CxPoint(4736, 2816));
    CTruck& truck = *m_pTown->GetTruck();
    EXPECT_EQ(truck.GetCentre(), CxPoint(4800, 2985));
    const CxPoint enemy = m_pTown->GetEnemy()->GetCentre(); // on its way already
    EXPECT_LT(std::hypot(enemy.x - 4800, enemy.y - 3075), 40.0) << enemy.x << "," << enemy.y;
    EXPECT_EQ(m_pFramework->Phase().GetObjects().size(), 1u) << "oil on the track";
    // Round the course, 10 px past each waypoint, then onto the banner.
    const CRaceCourse& course = m_pRace->Course();
    for (int32_t i = 1; i < course.Count(); ++i)
    {
        const RaceWaypoint& a = course.At(i);
        const RaceWaypoint& b = course.At(std::min(i + 1, course.Count() - 1));
        const double length = std::max(1.0, std::hypot(b.x - a.x, b.y - a.y));
        const CxPoint p(a.x + static_cast<int32_t>(std::lround(10 * (b.x - a.x) / length)),
                        a.y + static_cast<int32_t>(std::lround(10 * (b.y - a.y) / length)));
        truck.PlaceAt(p);
        truck.SetTarget(p);
        m_pTown->m_bUserControl = false;
        m_pTown->UpdateTown();
        ASSERT_EQ(m_pRace->GetTruckIndex(), i);
        ASSERT_EQ(m_pRace->IsRunning(), i + 1 < course.Count()) << i;
    }
    EXPECT_EQ(m_pRace->GetProgress(), 10);
    EXPECT_TRUE(m_pApp->GetCompletedFlag() & 0x20);
    // The win sequence stops the race: the enemy and the oil go, the truck waits below the banner.
    ASSERT_TRUE(PumpUntil([&] { return m_pFramework->GetState() == MISSION_STATE_STOPPED; }));
    EXPECT_EQ(truck.GetCentre(), RACE_TRUCK_HOME);
    EXPECT_EQ(m_pTown->GetEnemy()->GetNumDirections(), 0);
    EXPECT_TRUE(m_pFramework->Phase().GetObjects().empty());
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
}
} // namespace
