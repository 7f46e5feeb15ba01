#include "game/missions/drop_mission.h"

#include "engine/core/random.h"
#include "engine/core/sequence.h"
#include "game/world/map_object.h"
#include "game/world/rumbo_town_app.h"
#include "tests/game/world/town_fixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {
using town_test::TownAppTest;

struct DropRuleCase
{
    const char* what;
    int32_t (*rule)(int32_t, int32_t);
    int32_t min, max, low, high; // every result within low..high
};

int32_t Interval(int32_t min, int32_t max)
{
    return static_cast<int32_t>(DropWaveInterval(min, max));
}

TEST(DropRules, WaveSizesSpeedsAndIntervalsStayUsable)
{
    static const DropRuleCase CASES[] = {
        {"wave 2/2", DropWaveSize, 2, 2, 2, 2},
        {"wave 1/3", DropWaveSize, 1, 3, 1, 2},
        {"wave 0/0", DropWaveSize, 0, 0, 1, 1},
        {"speed 50/90", DropFallSpeed, 50, 90, 50, 89},
        {"speed 0/0", DropFallSpeed, 0, 0, 1, 1},
        {"speed 500", DropFallSpeed, 500, 500, 500, 500},
        {"interval 3000/4000", Interval, 3000, 4000, 3000, 3999},
        {"interval 4000/3000", Interval, 4000, 3000, 4000, 4999},
        {"interval equal", Interval, 3000, 3000, 3000, 3000},
        {"interval 0", Interval, 0, 0, 1, 1},
    };
    SeedRandom(7);
    for (const DropRuleCase& c : CASES)
        for (int i = 0; i < 200; ++i)
        {
            const int32_t value = c.rule(c.min, c.max);
            ASSERT_TRUE(value >= c.low && value <= c.high) << c.what << " gave " << value;
        }
    // The last shadow frame shows at landing, even faster than 400 px/s.
    EXPECT_FLOAT_EQ(DropShadowRate(10, 500), 12.5f);
}

// The test town: five buildings (the fifth the dropper, with a hiccup
// state), 29 object masters (21..28 the ground junk) and the chute placed
// first; the drop mission's files with req catches and waves of two.
class DropTest : public TownAppTest
{
protected:
    void SetUp() override
    {
        TownAppTest::SetUp();
        SeedRandom(11);
        CxDrawSurface tile(64, 64, 24);
        tile.FillRect(nullptr, 0x336633);
        ASSERT_EQ(tile.Save(m_Dir.File("tile.bmp").c_str()), 0u);
        town_test::WriteMap(m_Dir);
        for (const char* dir : {"VPLAYER", "targets", "mission", "mission/drop", "movies"})
            mkdir(m_Dir.File(dir).c_str(), 0755);
        ASSERT_EQ(tile.Save(m_Dir.File("VPLAYER/tread.tga").c_str()), 0u);
        m_Dir.Write("VPLAYER/brund.ini", truck_test::TruckText(16, "", "", "$GAMEPATH\\truck.smk", ""));
        std::string world = "[World]\nMap=town.map\n[Buildings]\n", masters = "[MasterObjects]\n";
        for (int i = 0; i < m_nBuildings; ++i)
            world += "Building0" + std::to_string(i) + "=b.ini\n";
        for (int i = 0; i < 29; ++i)
            masters += "Object0" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "=obj.ini\n";
        m_Dir.Write("world.ini", world + masters + "[Objects]\nObject000=300, 300\n");
        m_Dir.Write("nodes.ini", "");
        const std::string state = "FileName=$GAMEPATH\\tile.bmp\nFrameRate=10\n";
        m_Dir.Write("b.ini", "[QexSprite]\nNumStates=3\nPosition=100, 100\n[State000]\n" + state +
                                 "[State001]\n" + state + "[State002]\n" + state);
        m_Dir.Write("obj.ini", "[QexSprite]\nNumStates=1\n[State000]\n" + state);
        for (int i = 0; i < DROP_MASTER_COUNT; ++i)
            WriteMovie("targets/t0_fall" + std::to_string(i) + ".smk", 16, 16, 3);
        WriteMovie("targets/t0_shad0.smk", 24, 12, 5);
        WriteMovie("VPLAYER/pv0_junk.smk", 20, 12, 3);
        m_Dir.Write("mission/drop/positive.seq", "Event Town.SetUserControl(0)\n");
        m_Dir.Write("mission/drop/negative.seq", "Event Town.SetUserControl(0)\n");
        m_Dir.Write("mission/drop/OnCaught.seq", "Event Town.IncrementDropScore()\n");
        m_Dir.Write("movies/catchoutro0.smk", "");
        WriteMission(3);
        StartTown();
        m_pFramework = std::make_unique<CMissionFramework>(*m_pTown);
        m_pDrop = std::make_unique<CDropMission>(*m_pTown);
        InstallDropMission(*m_pFramework, *m_pDrop);
        m_pTown->SetMission(m_pFramework.get());
        m_pTown->m_bUserControl = false;
        s_nOutros = 0;
        m_pPreviousOutro = CDropMission::SetOutroPlayer([](const char*) { return ++s_nOutros, 0u; });
    }
    void TearDown() override
    {
        CDropMission::SetOutroPlayer(m_pPreviousOutro);
        m_pTown->SetMission(nullptr);
        m_pDrop.reset();
        m_pFramework.reset();
        TownAppTest::TearDown();
    }
    void WriteMovie(const std::string& name, int32_t w, int32_t h, int32_t frames)
    {
        const std::vector<uint8_t> movie = truck_test::MakeMovie(w, h, frames);
        m_Dir.Write(name, std::string(movie.begin(), movie.end()));
    }
    void WriteMission(int32_t required, const std::string& extra = "")
    {
        const std::string level =
            "NumReqItems=" + std::to_string(required) + "\nNumDropItemMin=2\nNumDropItemMax=2\n" + extra;
        m_Dir.Write("mission/drop/Drop.ini", "[Mission]\nMissionType=3\n[Level00]\n" + level + "[Level01]\n" +
                                                 level + "[Level02]\n" + level);
    }
    void Run(const char* line) { truck_test::Command(*m_pTown, line); }
    void StartMission()
    {
        Run("LoadMission $GAMEPATH\\mission\\Drop\\Drop.ini");
        Run("StartMission");
    }
    // Stops the object's fall and puts it and its shadow over the truck.
    void UnderTruck(CDropObject& object)
    {
        object.Fall().Stop();
        object.MoveTo(m_pTown->GetTruck()->GetPosition());
        object.Shadow().MoveTo(m_pTown->GetTruck()->GetPosition());
    }
    // The clock moves on and the application runs an idle pass (the town's update).
    void Step(uint32_t ms)
    {
        Tick(ms);
        m_pApp->OnIdle();
    }
    // Runs the clock in steps until done says so (at most ms).
    template <class F>
    bool TickUntil(uint32_t ms, F done)
    {
        for (uint32_t t = 0; t < ms; t += 10)
        {
            if (done())
                return true;
            Step(10);
        }
        return done();
    }

    int m_nBuildings = 5;
    static inline int s_nOutros = 0;
    CDropMission::OutroPlayer m_pPreviousOutro = nullptr;
    std::unique_ptr<CMissionFramework> m_pFramework;
    std::unique_ptr<CDropMission> m_pDrop;
};

TEST_F(DropTest, PreparingTwiceKeepsOneSetAndStoppingTwiceOrMidWaveLeaksNothing)
{
    StartMission();
    m_pDrop->RoomEntered(*m_pFramework);
    EXPECT_EQ(m_pDrop->GetMasterCount(), 8u);
    Run("StartDropping");
    Step(100);
    Run("StopDropMission");
    Run("StopMission");
    EXPECT_EQ(m_pDrop->GetMasterCount(), 0u);
    EXPECT_TRUE(m_pDrop->GetObjects().empty());
    EXPECT_EQ(m_pFramework->Record().dropSpeedMax, 90);
    EXPECT_EQ(m_pTown->GetBuildings()[4]->m_nMissionValue, 0);
    EXPECT_TRUE(m_Capture.Errors().empty());
    // A missing master is reported and skipped.
    std::remove(m_Dir.File("targets/t0_fall3.smk").c_str());
    StartMission();
    EXPECT_EQ(m_pDrop->GetMasterCount(), 7u);
    ASSERT_FALSE(m_Capture.Errors().empty());
    EXPECT_EQ(m_Capture.Errors().back().text, "Could not create new master drop object 3");
}

TEST_F(DropTest, LoadingSetsTheVariablesAndTheDroppersValue)
{
    m_pDrop->Load(false);
    EXPECT_EQ(m_pTown->GetBuildings()[4]->m_nMissionValue, 1);
    for (int i = 0; i < 20; ++i)
    {
        m_pDrop->RoomEntered(*m_pFramework);
        const int intro = std::stoi(m_pApp->GetInterpolator().Expand("$INTROID").c_str());
        const int end = std::stoi(m_pApp->GetInterpolator().Expand("$ENDVOID").c_str());
        EXPECT_TRUE(intro >= 1 && intro <= 2 && end >= 1 && end <= 3) << intro << " " << end;
    }
    EXPECT_TRUE(m_pApp->GetPlayedFlag() & 4);
    EXPECT_EQ(m_pApp->GetInterpolator().Expand("$SEQNUMBER"), "2");
}

TEST_F(DropTest, WavesStartInTheViewBandAndTheDropperHiccupsBeforeEachNext)
{
    StartMission();
    m_pTown->ScrollViewTo(CxPoint(200, 300));
    const CxPoint origin = m_pTown->GetViewOrigin();
    Run("StartDropping");
    ASSERT_EQ(m_pDrop->GetObjects().size(), 2u);
    for (const auto& object : m_pDrop->GetObjects())
    {
        EXPECT_FALSE(object->IsOpaqueAt(CxPoint(0, 0))) << "magenta is see-through";
        const CxPoint p = object->GetPosition();
        EXPECT_TRUE(p.x >= origin.x + 100 && p.x <= origin.x + 539 && p.y <= origin.y && p.y > origin.y - 200)
            << p.x << "," << p.y;
    }
    CCharacter& dropper = *m_pTown->GetBuildings()[4];
    ASSERT_TRUE(TickUntil(4000, [&] { return m_pDrop->IsDropperBusy(); }));
    EXPECT_EQ(dropper.GetState(), 2);
    ASSERT_TRUE(TickUntil(1000, [&] { return !m_pDrop->IsDropperBusy(); }));
    EXPECT_EQ(dropper.GetState(), 0);
}

TEST_F(DropTest, OneCatchAFrameNeverAStoppedOneAndEveryThirdCheers)
{
    StartMission();
    Run("StartDropping");
    auto& objects = m_pDrop->GetObjects();
    for (const auto& object : objects)
        UnderTruck(*object);
    EXPECT_TRUE(m_pDrop->CatchTest());
    EXPECT_TRUE(objects[0]->IsStopped() && !objects[1]->IsStopped());
    EXPECT_TRUE(m_pDrop->GetJunkSprite().IsShown() && m_pDrop->CatchTest());
    EXPECT_TRUE(objects[1]->IsStopped());
    // Both are stopped: hidden but still over the truck, never caught again.
    EXPECT_FALSE(m_pDrop->CatchTest());
    EXPECT_EQ(m_pDrop->GetCaught(), 2);
    m_pDrop->StartWave(*m_pFramework);
    UnderTruck(*objects.back());
    EXPECT_TRUE(m_pDrop->CatchTest());
    m_pDrop->Update(*m_pFramework);
    EXPECT_EQ(m_pDrop->GetCaught(), 0);
    EXPECT_NE(m_pDrop->GetPositive()->GetChannel(), 0u);
    // A running cheer suppresses the other.
    m_pDrop->PlayNegative();
    EXPECT_EQ(m_pDrop->GetNegative()->GetChannel(), 0u);
}

TEST_F(DropTest, MissedObjectsLandLeaveJunkThatGoesAndEveryFifthSighs)
{
    WriteMission(3, "DropSpeedMin=500\nDropSpeedMax=500\n");
    StartMission();
    // The view stays where the waves fall and the truck waits far away, so
    // no object can land on it: every one is missed, wherever it falls.
    m_pTown->m_bTruckScrollsMap = false;
    m_pTown->GetTruck()->PlaceAt(CxPoint(6000, 3500));
    m_pTown->GetTruck()->SetTarget(CxPoint(6000, 3500));
    Run("StartDropping");
    const int32_t tag = m_pDrop->GetObjects()[0]->GetTag();
    ASSERT_TRUE(TickUntil(1000, [&] { return m_pDrop->GetMissed() == 2; }));
    ASSERT_FALSE(m_pDrop->GetGroundJunk().empty());
    EXPECT_EQ(m_pDrop->GetGroundJunk()[0]->GetId(), DROP_JUNK_MASTER + tag);
    ASSERT_TRUE(TickUntil(1000, [&] { return m_pDrop->GetGroundJunk().empty(); }));
    EXPECT_TRUE(m_pDrop->GetObjects().empty()); // the landed ones were let go
    for (int i = 0; i < 2; ++i)
        m_pDrop->StartWave(*m_pFramework);
    ASSERT_TRUE(TickUntil(1000, [&] { return m_pDrop->GetNegative()->GetChannel() != 0; }));
    EXPECT_LT(m_pDrop->GetMissed(), 5);
}

TEST_F(DropTest, TheWinScoresOnceStopsTheWavesAndTheOutroPlaysOnce)
{
    WriteMission(2, "TimerIntervalMin=1000\nTimerIntervalMax=5000\n");
    static const struct
    {
        int32_t level;
        uint32_t elapsed;
        int32_t expected;
    } CASES[] = {{0, 500, 1}, {1, 3000, 1}, {1, 6000, 0}, {2, 500, 2}, {0, 6000, 0}};
    // Only the catches the test makes count: the truck waits away from the view.
    m_pTown->m_bTruckScrollsMap = false;
    m_pTown->GetTruck()->PlaceAt(CxPoint(6000, 3500));
    m_pTown->GetTruck()->SetTarget(CxPoint(6000, 3500));
    for (const auto& c : CASES)
    {
        m_pApp->SetDropLevel(c.level);
        StartMission();
        Run("StartDropping");
        Step(c.elapsed);
        UnderTruck(*m_pDrop->GetObjects().back());
        ASSERT_TRUE(m_pDrop->CatchTest());
        ASSERT_TRUE(TickUntil(200, [&] { return m_pFramework->Mission().m_nCollected == 1; })) << c.level;
        Run("IncrementDropScore");
        Run("IncrementDropScore"); // late: ignored
        EXPECT_EQ(m_pFramework->Mission().m_nCollected, 2);
        EXPECT_EQ(m_pApp->GetLevel(USER_DROP), c.expected) << c.level << " " << c.elapsed;
        EXPECT_TRUE(m_pApp->GetCompletedFlag() & 2);
        EXPECT_EQ(m_pDrop->GetSeqNumber(), 3);
        EXPECT_FALSE(m_pDrop->GetWaveTimer().IsRunning());
        for (const auto& object : m_pDrop->GetObjects())
            EXPECT_TRUE(object->IsStopped());
        m_pDrop->StartWave(*m_pFramework);
        UnderTruck(*m_pDrop->GetObjects().back());
        m_pDrop->Update(*m_pFramework);
        EXPECT_EQ(m_pDrop->GetCaught(), 1); // no catch after the win
        Run("DoEndSequence");
        ASSERT_TRUE(TickUntil(200, [&] { return s_nOutros == 1; }));
        EXPECT_EQ(m_pFramework->GetState(), MISSION_STATE_STOPPED);
        TickUntil(200, [] { return false; });
        EXPECT_EQ(s_nOutros, 1);
        s_nOutros = 0;
    }
}

// Without a fifth building nobody hiccups: a wave falls as soon as it is due.
class DropWithoutDropperTest : public DropTest
{
protected:
    void SetUp() override
    {
        m_nBuildings = 4;
        DropTest::SetUp();
    }
};

TEST_F(DropWithoutDropperTest, WavesFallWhenDue)
{
    StartMission();
    Run("StartDropping");
    Step(m_pDrop->GetInterval() - 10);
    EXPECT_EQ(m_pDrop->GetObjects().size(), 2u);
    ASSERT_TRUE(TickUntil(200, [&] { return m_pDrop->GetObjects().size() == 4u; }));
    EXPECT_FALSE(m_pDrop->IsDropperBusy());
}
} // namespace
