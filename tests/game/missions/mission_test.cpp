#include "game/missions/mission.h"

#include "engine/core/random.h"
#include "game/world/map_object.h"
#include "tests/game/world/town_fixture.h"

#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>

namespace {
using town_test::TownTest;

// Records what the framework asks of the HUD.
struct FakeHud : ITownHud
{
    uint32_t Load() override { return ++loads, 0; }
    void Close() override { ++closes; }
    void NextSet() override { ++nextSets; }
    void LightIcon(int32_t index, int32_t frame) override { lit.push_back(index * 10 + frame); }
    void SetMissionSets(const std::vector<CMissionSetData>& list, int32_t) override { sets = list.size(); }
    int loads = 0, closes = 0, nextSets = 0;
    size_t sets = 0;
    std::vector<int32_t> lit;
};

class MissionTest : public TownTest
{
protected:
    void SetUp() override
    {
        TownTest::SetUp();
        mkdir(m_Dir.File("m").c_str(), 0755);
        m_Dir.Write("item.ini",
                    "[QexSprite]\nNumStates=2\nOnBumped=$GAMEPATH\\m\\item.seq\n"
                    "[State000]\nFileName=$GAMEPATH\\tile.bmp\n[State001]\nFileName=$GAMEPATH\\tile.bmp\n");
        m_Dir.Write("m/item.seq", "Event Town.IncrementCollectionScore()\nEvent this.SelfDestruct()\n");
        m_pMission = std::make_unique<CMissionFramework>(*m_pTown);
        m_pTown->SetMission(m_pMission.get());
        m_pTown->SetHud(&m_Hud);
        m_Capture.Clear();
    }
    void TearDown() override
    {
        m_pTown->SetMission(nullptr);
        m_pTown->SetHud(nullptr);
        m_pMission.reset();
        TownTest::TearDown();
    }
    // A mission file: [Mission] of the kind, five locations, Level00 and Level01.
    void Load(const std::string& mission, const std::string& level = "", const std::string& level1 = "")
    {
        m_Dir.Write("m/test.ini", "[Mission]\n" + mission +
                                      "\n[Locations]\nNumLocations=5\nPos00=0,0\n"
                                      "Pos01=100,0\nPos02=200,0\nPos03=300,0\nPos04=400,0\n[Level00]\n" +
                                      level + "\n[Level01]\n" + level1 + "\n");
        truck_test::Command(*m_pTown, "LoadMission $GAMEPATH\\m\\test.ini");
    }
    MissionRecord& Record() { return m_pMission->Record(); }
    CMission& Mission() { return m_pMission->Mission(); }
    void Run(const char* line) { truck_test::Command(*m_pTown, line); }

    FakeHud m_Hud;
    std::unique_ptr<CMissionFramework> m_pMission;
};

TEST_F(MissionTest, LoadReadsTheKeysOfTheLevelWithDefaultsAndLimits)
{
    m_pApp->GetInterpolator().AddConstant("WHERE", "here");
    Load("MissionType=0\nMissionSubID=3\nFinishSequenceFilename=$WHERE\\f.seq\nObjectName=" +
             std::string(300, 'x'),
         "NumReqItems=-3\nNumHudSets=1000\nItemName=zero",
         "NumReqItems=4\nNumHudSets=2\nNumRightIcons01=3\n"
         "RightIconPos0102=7,8\nLeftIconName01=left");
    EXPECT_EQ(Record().type, 0);
    EXPECT_EQ(Record().subId, 3);
    EXPECT_EQ(Record().objectName.size(), 255u);       // cut to the 256-byte buffer
    EXPECT_EQ(Record().finishSequence, "here\\f.seq"); // expanded
    EXPECT_EQ(Record().numReq, 0);
    EXPECT_EQ(Record().numHudSets, MISSION_MAX_COUNT);
    EXPECT_EQ(m_pMission->Data().m_nTimerIntervalMin, 0);
    EXPECT_EQ(Record().locations.size(), 5u);
    EXPECT_EQ(m_Hud.sets, 100u);

    m_pApp->SetCollectionLevel(1);
    Load("MissionType=0", "NumReqItems=9",
         "NumReqItems=4\nNumHudSets=2\nNumRightIcons01=3\n"
         "RightIconPos0102=7,8\nLeftIconName01=left");
    EXPECT_EQ(Record().numReq, 4);
    ASSERT_EQ(Record().hudSets.size(), 2u);
    EXPECT_EQ(Record().hudSets[0].nNumRightIcons, 0);
    EXPECT_EQ(Record().hudSets[1].strLeftIconName, "left");
    ASSERT_EQ(Record().hudSets[1].rightIconPositions.size(), 3u);
    EXPECT_EQ(Record().hudSets[1].rightIconPositions[2], CxPoint(7, 8));
    EXPECT_TRUE(m_Capture.Errors().empty());

    truck_test::Command(*m_pTown, "LoadMission $GAMEPATH\\m\\missing.ini");
    ASSERT_EQ(m_Capture.Errors().size(), 1u);
    EXPECT_EQ(m_Capture.Errors()[0].code, 13u);
    EXPECT_EQ(m_Capture.Errors()[0].text, "Could not open mission file.");
    EXPECT_EQ(Record().type, -1);
    EXPECT_EQ(Record().numHudSets, 1);
    Run("StartMission");
    EXPECT_NE(m_pMission->GetState(), MISSION_STATE_RUNNING);
}

TEST_F(MissionTest, MovingMissionsChooseDistinctPathsAndNoMoreThanThereAre)
{
    for (int seed = 0; seed < 20; ++seed)
    {
        SeedRandom(static_cast<uint32_t>(seed));
        Load("MissionType=2\nNumPaths=4", "NumReqItems=3");
        std::set<int32_t> paths;
        for (auto* node = m_pTown->m_ChosenPaths.GetHead(); node; node = node->GetNext())
            paths.insert(node->m_Value);
        EXPECT_EQ(paths.size(), 3u);
        EXPECT_LT(*paths.rbegin(), 4);
    }
    Load("MissionType=2\nNumPaths=2", "NumReqItems=5");
    EXPECT_EQ(m_pTown->m_ChosenPaths.GetCount(), 2u);
    Load("MissionType=0\nNumPaths=2", "NumReqItems=5");
    EXPECT_EQ(m_pTown->m_ChosenPaths.GetCount(), 0u);
}

TEST_F(MissionTest, ObjectsFillTheLocationsInARingAndHiddenOnesTheBuildings)
{
    // A seed whose first number starts the ring at location 3.
    uint32_t seed = 0;
    for (;; ++seed)
    {
        SeedRandom(seed);
        Random(); // the pick among the files of "LoadMission"
        if (Random() % 5 == 3)
            break;
    }
    SeedRandom(seed);
    Load("MissionType=0", "NumReqItems=2\nNumTotalItems=7\nItemName=$GAMEPATH\\item.ini");
    Run("StartMission");
    std::vector<int32_t> xs, tags;
    for (auto* node = Mission().m_Objects.GetHead(); node; node = node->GetNext())
    {
        xs.push_back(node->m_Value->GetPosition().x / 100);
        tags.push_back(node->m_Value->GetTag());
        EXPECT_TRUE(node->m_Value->IsShown());
    }
    EXPECT_EQ(xs, (std::vector<int32_t>{3, 4, 0, 1, 2, 3, 4}));
    EXPECT_EQ(tags, (std::vector<int32_t>{0, 100, 100, 100, 100, 100, 100}));
    EXPECT_TRUE(m_Capture.Errors().empty());

    Run("StopMission");
    Load("MissionType=0", "NumReqItems=2\nNumTotalItems=12\nNumHiddenItems=10\nItemName=$GAMEPATH\\item.ini");
    Run("StartMission");
    EXPECT_EQ(Mission().m_Objects.GetCount(), 2u);
    ASSERT_EQ(Mission().m_Hidden.GetCount(), 2u); // only two buildings to hide in
    EXPECT_FALSE(Mission().m_Hidden.GetHead()->m_Value->IsShown());
    EXPECT_EQ(Mission().m_Hidden.GetTail()->m_Value->GetTag(), 1);
    for (const auto& building : m_pTown->GetBuildings())
        EXPECT_NE(building->GetBumpedSequenceName().Find("H.Seq"), -1);
    Run("StopMission");
    m_pTown->UpdateTown();
    for (const auto& building : m_pTown->GetBuildings())
        EXPECT_TRUE(building->GetBumpedSequenceName().IsEmpty());
}

TEST(MissionRules, HiddenSequenceNamesAndLevelRule)
{
    const std::pair<const char*, const char*> names[] = {
        {"bakery1.ini", "bakeryH.Seq"},
        {"a.ini", "a.iniH.Seq"},
        {".ini", ".iniH.Seq"},
        {"noext", "noextH.Seq"},
        {"ab.ini", "aH.Seq"},
        {"$GAMEPATH\\..\\x.ini", "$GAMEPATH\\..\\x.iniH.Seq"},
        {"d.x/bakery1.ini", "d.x/bakeryH.Seq"}};
    for (const auto& [in, out] : names)
        EXPECT_EQ(HiddenSequenceName(in), out) << in;
    struct
    {
        int32_t level;
        uint32_t elapsed;
        int32_t min, max, expected;
    } const rules[] = {{2, 100, 1000, 5000, 2},  {1, 100, 1000, 5000, 2},  {0, 9000, 1000, 5000, 0},
                       {1, 9000, 1000, 5000, 0}, {1, 3000, 1000, 5000, 1}, {2, 10, 1000, 0, 1},
                       {0, 10, 1000, 0, 1}};
    for (const auto& r : rules)
        EXPECT_EQ(AdjustLevel(r.level, r.elapsed, r.min, r.max), r.expected) << r.level << " " << r.elapsed;
    EXPECT_STREQ(MissionNameOfSubId(14), "mail");
    EXPECT_EQ(MissionItemBit(14), 0x4000u);
    EXPECT_EQ(MissionItemBit(0), 1u);
    EXPECT_EQ(MissionItemBit(15), 1u);
}

TEST_F(MissionTest, ItemsScoreOnceEachAndTheWinIsRecordedOnce)
{
    m_Dir.Write("f.seq", "Event Town.StopMission()\n");
    Load("MissionType=0\nMissionSubID=14\nFinishSequenceFilename=$GAMEPATH\\f.seq",
         "NumReqItems=2\nNumTotalItems=3\nItemName=$GAMEPATH\\item.ini\nTimerIntervalMin=1000\n"
         "TimerIntervalMax=90000");
    Run("StartMission");
    EXPECT_EQ(Variable("$MISSIONNAME"), "mail");
    EXPECT_EQ(Variable("$SAMVOID"), "2");
    ASSERT_EQ(Mission().m_Objects.GetCount(), 3u);
    // Each item's own bump sequence scores it and removes it (under ASan).
    for (int i = 0; i < 3; ++i)
    {
        CMapObject* item = Mission().m_Objects.GetHead()->m_Value;
        item->HandleBumped(&Truck());
        m_Clock.Advance(2000);
        m_pApp->RunIdlePass();
        m_pTown->UpdateTown();
    }
    EXPECT_EQ(m_Hud.lit, (std::vector<int32_t>{1, 11}));
    EXPECT_EQ(m_Hud.nextSets, 1);
    EXPECT_EQ(m_pApp->GetItemCompletedFlag(), 0x4000u);
    EXPECT_EQ(m_pApp->GetCompletedFlag() & 1u, 1u);
    EXPECT_EQ(m_pApp->GetLevel(USER_COLLECTION), 0);          // 2 s: neither fast nor slow
    EXPECT_EQ(m_pMission->GetState(), MISSION_STATE_STOPPED); // the finish sequence stopped it
    EXPECT_TRUE(Mission().m_Objects.IsEmpty());
    for (CCollisionSprite* sprite : m_pTown->GetCollisionSprites())
        EXPECT_EQ(dynamic_cast<CMapObject*>(sprite) && dynamic_cast<CMapObject*>(sprite)->GetTag() == 100,
                  false);
    // A score after the stop, or under another kind, changes nothing.
    Run("IncrementCollectionScore");
    Load("MissionType=3", "NumReqItems=1");
    Run("StartMission");
    Run("IncrementCollectionScore");
    EXPECT_EQ(m_Hud.lit.size(), 2u);
    EXPECT_TRUE(m_Capture.Errors().empty());
}

TEST_F(MissionTest, ADeliveryTargetCountsOnce)
{
    mkdir(m_Dir.File("mission").c_str(), 0755);
    mkdir(m_Dir.File("mission/SpawnMail").c_str(), 0755);
    m_Dir.Write("mission/SpawnMail/OnBumpMail1.seq", "Event Town.IncrementCollectionScore()\n");
    CBuilding& barn = *m_pTown->GetBuildings()[1];
    barn.m_nEnterStage = 2;
    m_pTown->EnterBuilding(&barn);
    Load("MissionType=1\nObjectName=Bakery", "NumReqItems=2");
    Run("StartMission");
    EXPECT_EQ(barn.m_nEnterStage, 1); // the giver's mission scene while it runs
    CBuilding& bakery = *m_pTown->GetBuildings()[0];
    EXPECT_TRUE(m_pTown->GetBuildings()[1]->GetBumpedSequenceName().IsEmpty());
    for (int i = 0; i < 3; ++i)
    {
        bakery.HandleBumped(&Truck());
        m_pApp->RunIdlePass();
        m_pTown->UpdateTown();
    }
    EXPECT_EQ(Mission().m_nCollected, 1);
    EXPECT_EQ(m_pMission->GetState(), MISSION_STATE_RUNNING);
    Run("StopMission");
    m_pTown->UpdateTown();
    EXPECT_TRUE(bakery.GetBumpedSequenceName().IsEmpty());
    EXPECT_EQ(m_Hud.closes, 1);
    EXPECT_EQ(barn.m_nEnterStage, 2);
}
} // namespace

namespace {
TEST_F(MissionTest, MapObjectsTalkAtTheVolumeOfTheirDistance)
{
    CMapObject object;
    object.AttachTo(&m_pTown->GetMap());
    CxLinkedList<CxString> none, files;
    files.AddTail(CxString("$GAMEPATH\\SFX\\crash.wav"));
    EXPECT_EQ(object.CreateEvent(CxString("this"), CxString("Talk"), none), nullptr);
    EXPECT_TRUE(m_Capture.Errors().empty());
    const CxPoint middle = m_pTown->GetViewOrigin() + CxPoint(320, 240);
    const struct
    {
        const char* command;
        int32_t dx;
        int32_t volume;
    } cases[] = {{"Talk", 0, 127}, {"PlayWave", 400, 127}, {"PlaySound", 800, 15}};
    for (const auto& c : cases)
    {
        object.SetPosition(middle + CxPoint(c.dx, 0));
        std::unique_ptr<CxEvent> event(object.CreateEvent(CxString("this"), CxString(c.command), files));
        auto* talk = dynamic_cast<CObjectTalkEvent*>(event.get());
        ASSERT_NE(talk, nullptr) << c.command;
        talk->Start();
        EXPECT_TRUE(talk->IsFinished());
        EXPECT_EQ(talk->GetVolume(), c.volume) << c.command;
        talk->Stop();
    }
    std::unique_ptr<CxEvent> erase(object.CreateEvent(CxString("this"), CxString("Erase"), none));
    EXPECT_EQ(dynamic_cast<CObjectTalkEvent*>(erase.get()), nullptr);
    EXPECT_NE(erase, nullptr);
}
} // namespace

namespace {
// A mission kind that counts what the framework asks of it.
struct FakeKind : IMissionKind
{
    void PrepareGiver(CMissionFramework&) override { calls += "p"; }
    void Start(CMissionFramework&) override { calls += "s"; }
    void Stop(CMissionFramework&) override { calls += "x"; }
    void Update(CMissionFramework&) override { calls += "u"; }
    void MapClicked(CMissionFramework&, const CxPoint& at) override { calls += "c" + std::to_string(at.x); }
    bool Command(CMissionFramework&, const CxString& name, const CxLinkedList<CxString>&) override
    {
        calls += std::string("[") + name.c_str() + "]";
        return true;
    }
    std::string calls;
};

TEST_F(MissionTest, OtherKindsAreCalledAtTheirStepsAndScoreOnlyWhileTheyRun)
{
    FakeKind drop, fire;
    m_pMission->SetKind(MISSION_KIND_DROP, &drop);
    m_pMission->SetKind(MISSION_KIND_FIRE, &fire);
    // The bakery (character 0) gives the drop mission: its set-up runs first.
    m_pTown->EnterBuilding(m_pTown->GetBuildings()[0].get());
    Load("MissionType=3", "NumReqItems=2\nDropSpeedMin=7");
    EXPECT_EQ(Record().dropSpeedMin, 7);
    EXPECT_EQ(Record().dropTimerMax, 4000);
    Run("IncrementDropScore");
    Run("StartMission");
    EXPECT_TRUE(m_pMission->Data().m_Stopwatch.IsRunning());
    EXPECT_EQ(m_pTown->GetBuildings()[0]->m_nEnterStage, 1) << "the giver's mission scene while it runs";
    Run("IncrementDropScore");
    Run("IncrementFireScore");
    m_pTown->UpdateTown();
    m_pTown->OnLButtonDown(0, CxPoint(10, 10));
    Run("StopMission");
    Run("IncrementDropScore");
    m_pTown->UpdateTown();
    const int32_t x = 10 + m_pTown->GetViewOrigin().x;
    EXPECT_EQ(drop.calls, "ps[IncrementDropScore]uc" + std::to_string(x) + "x");
    EXPECT_EQ(fire.calls, "");
    EXPECT_FALSE(m_pMission->Data().m_Stopwatch.IsRunning());
    EXPECT_EQ(m_pTown->GetBuildings()[0]->m_nEnterStage, 0) << "its own scenes again";
    // The drop speeds stay from one load to the next; no arguments: no load.
    Load("MissionType=5", "FireUpdateMax=9");
    EXPECT_EQ(Record().dropSpeedMin, 7);
    EXPECT_EQ(Record().fireUpdateMax, 9);
    Run("LoadMission");
    EXPECT_EQ(Record().type, MISSION_KIND_FIRE);
    Run("DoEndSequence");
    EXPECT_TRUE(m_pTown->m_bEndSequence);
    EXPECT_TRUE(m_Capture.Errors().empty());
}

TEST_F(MissionTest, HiddenItemsShowWhenTheirBuildingIsBumpedAndAMissionWithoutPlacesPlacesNone)
{
    m_Dir.Write("bakerH.Seq", "Event Town.PlayHiddenObjAnim()\n");
    m_Dir.Write("barH.Seq", "Event Town.PlayHiddenObjAnim()\n");
    Load("MissionType=0", "NumReqItems=1\nNumTotalItems=1\nNumHiddenItems=1\nItemName=$GAMEPATH\\item.ini");
    Run("StartMission");
    ASSERT_EQ(Record().hidingPlaces.size(), 1u);
    CBuilding& place = *m_pTown->GetBuildings()[static_cast<size_t>(Record().hidingPlaces[0])];
    CMapObject* hidden = Mission().m_Hidden.GetHead()->m_Value;
    Truck().PlaceAt(place.GetCenter());
    Run("PlayHiddenObjAnim");
    EXPECT_TRUE(hidden->IsShown());
    EXPECT_EQ(hidden->GetState(), 1);
    EXPECT_TRUE(place.IsBumpedSpent());
    m_Clock.Advance(5000);
    m_pApp->RunIdlePass();
    m_pTown->UpdateTown();
    EXPECT_FALSE(hidden->IsShown());
    Run("StopMission");
    Run("StopMission"); // twice changes nothing more
    EXPECT_EQ(m_Hud.closes, 2);

    m_Dir.Write("m/test.ini", "[Mission]\nMissionType=0\n[Level00]\nNumReqItems=1\nNumTotalItems=2\n"
                              "ItemName=$GAMEPATH\\item.ini\n");
    Run("LoadMission $GAMEPATH\\m\\test.ini");
    Run("StartMission");
    EXPECT_TRUE(Mission().m_Objects.IsEmpty());
    ASSERT_EQ(m_Capture.Errors().size(), 1u);
    EXPECT_EQ(m_Capture.Errors()[0].code, 13u);
}
} // namespace

namespace {
TEST_F(TownTest, LeavingTheTownEndsTheRunningSceneBeforeTheTruckGoes)
{
    // Under ASan: the scene's drive event refers to the truck the leave deletes.
    m_Dir.Write("enter0.seq", "Event Truck.DriveTo(3000, 3000)\n");
    Truck().SetEventTypeName("Truck");
    m_pTown->EnterBuilding(m_pTown->GetBuildings()[0].get());
    m_pApp->RunIdlePass();
    EXPECT_FALSE(IsChannelEmpty(m_pTown->GetChannel()));
    m_pApp->Stop();
    m_pApp.reset();
}
} // namespace
