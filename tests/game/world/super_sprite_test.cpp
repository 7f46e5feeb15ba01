#include "game/world/super_sprite.h"

#include "engine/core/event_creator.h"
#include "engine/core/random.h"
#include "engine/frame/system_events.h"
#include "game/world/sound_distance.h"
#include "game/world/super_sprite_events.h"
#include "tests/game/world/sprite_world_test.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {
class SuperSpriteTest : public SpriteWorldTest
{
protected:
    void SetUp() override
    {
        MakeStrip("strip.bmp", 7, 10, 8);
        MakeStrip("strip3.bmp", 3, 10, 8);
    }
    // frames pictures of w x h side by side, frame f filled with grey level 10 * f.
    void MakeStrip(const char* name, int32_t frames, int32_t w, int32_t h)
    {
        CxDrawSurface image(frames * w, h, 24);
        for (int32_t f = 0; f < frames; ++f)
        {
            const CxRect r(f * w, 0, f * w + w - 1, h - 1);
            image.FillRect(&r, 0x0A0A0Au * static_cast<uint32_t>(f));
        }
        ASSERT_EQ(image.Save(m_Dir.File(name).c_str()), 0u);
    }
    std::string WriteSprite(const std::string& text) { return m_Dir.Write("thing.ini", text); }
    // A sprite "Barn" of states state sections, head among its own keys.
    std::string Sprite(int32_t states, const std::string& sections, const std::string& head = "")
    {
        return WriteSprite("[QexSprite]\nName=Barn\nNumStates=" + std::to_string(states) + "\n" + head +
                           sections);
    }
};

const char* const TWO_STATES = "[State000]\nFileName=$GAMEPATH\\strip3.bmp\nNumFrames=3\nFrameRate=10\n"
                               "[State001]\nFileName=$GAMEPATH\\strip.bmp\nNumFrames=7\nStartFrame=0\n";
} // namespace

TEST_F(SuperSpriteTest, LoadsTheSpriteKeysAndStates)
{
    CSuperSprite sprite;
    ErrorCapture errors;
    ASSERT_EQ(sprite.LoadFromFile(
                  Sprite(2, TWO_STATES, "ZOffset=-7\nSolidObject=0\nCollisionRect=1, 2, 5, 6\n").c_str()),
              0u);
    EXPECT_TRUE(errors.Errors().empty());
    EXPECT_EQ(sprite.GetName(), "Barn");
    EXPECT_EQ(sprite.GetNumStates(), 2);
    EXPECT_EQ(sprite.GetZOffset(), -7);
    EXPECT_FALSE(sprite.IsSolid());
    EXPECT_TRUE(sprite.IsBumpable());
    EXPECT_EQ(sprite.GetCollisionRect(), CxRect(1, 2, 5, 6));
    EXPECT_EQ(sprite.GetSize(), CxSize(10, 8));
    CSuperState* state = sprite.GetStateObject(0);
    ASSERT_NE(state, nullptr);
    EXPECT_FALSE(state->IsPerFrame());
    EXPECT_EQ(state->GetFrameCount(), 3); // a still is cut into StartFrame + NumFrames frames
    sprite.MoveTo(0, 100);
    EXPECT_EQ(sprite.ComputeDepth(), -7 - 107 + 10000);
}

TEST_F(SuperSpriteTest, FailuresAreReportedWithTheirCodes)
{
    const char* const missingImage = "[QexSprite]\nNumStates=1\n[State000]\nFileName=$GAMEPATH\\none.bmp\n";
    const struct
    {
        const char* text;
        uint32_t code;
        const char* message;
    } cases[] = {
        {"[QexSprite]\nNumStates=0\n", CX_ERR_UNKNOWN, "No states found in "},
        {"[QexSprite]\nNumStates=-3\n", CX_ERR_UNKNOWN, "No states found in "},
        {missingImage, CX_ERR_FILE_OPEN, "Could not load a SuperState"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        ErrorCapture errors;
        CSuperSprite sprite;
        sprite.LoadFromFile(WriteSprite(c.text).c_str());
        ASSERT_FALSE(errors.Errors().empty());
        EXPECT_EQ(errors.Errors().back().code, c.code);
        EXPECT_NE(errors.Errors().back().text.find(c.message), std::string::npos);
    }
    ErrorCapture errors;
    CSuperSprite sprite;
    EXPECT_EQ(sprite.LoadFromFile(m_Dir.File("none.ini").c_str()), CX_ERR_FILE_NOT_FOUND);
    ASSERT_EQ(errors.Errors().size(), 1u);
    EXPECT_EQ(errors.Errors()[0].text, "Could not open " + m_Dir.File("none.ini"));
    // A state whose image failed is an empty entry that shows nothing.
    errors.Clear();
    sprite.LoadFromFile(WriteSprite(missingImage).c_str());
    EXPECT_EQ(sprite.GetStateObject(0), nullptr);
    EXPECT_EQ(sprite.GetImage(), nullptr);
    sprite.PlayOnce(0);
    EXPECT_TRUE(sprite.IsAnimationFinished());
}

TEST_F(SuperSpriteTest, PerFrameRecordsReadTheirOwnKeys)
{
    CSuperSprite sprite;
    ASSERT_EQ(
        sprite.LoadFromFile(Sprite(1, "[State000]\nFileName=$GAMEPATH\\strip.bmp\nStartFrame=4\nNumFrames=3\n"
                                      "XYPerFrame=1\nFrame004=1, 2, 0\nFrame005=3,4\nFrame003=9,9,9\n"
                                      "Frame006=0, 0, 99\nFrame007=8,8,8\n")
                                .c_str()),
        0u);
    CSuperState* state = sprite.GetStateObject(0);
    ASSERT_TRUE(state->IsPerFrame());
    ASSERT_EQ(state->GetRecordCount(), 3u);
    const int32_t expected[3][3] = {{1, 2, 0}, {3, 4, 5}, {0, 0, 6}}; // 99 is past the frames: the last
    for (uint32_t i = 0; i < 3; ++i)
    {
        const auto& r = state->GetFrameRecord(i);
        const std::vector<int32_t> got = {r.nX, r.nY, r.nFrame};
        EXPECT_EQ(got, std::vector<int32_t>(expected[i], expected[i] + 3)) << i;
        EXPECT_EQ(r.nDuration, 83) << i; // 12 frames a second
    }
}

TEST_F(SuperSpriteTest, BadRatesAndRangesFallBackToSaneValues)
{
    struct Case
    {
        const char* keys;
        float rate;
        int32_t first, last;
    };
    const Case cases[] = {
        {"strip3.bmp\nNumFrames=3\nFrameRate=0\n", 12.0f, 0, 2},
        {"strip3.bmp\nNumFrames=3\nFrameRate=-4\n", 12.0f, 0, 2},
        {"strip.bmp\nNumFrames=2\nStartFrame=3\nFrameRate=25\n", 25.0f, 3, 4},
        {"strip3.bmp\nNumFrames=1\nStartFrame=2\n", 12.0f, 2, 2}, // not the empty range 2..0
        {"strip.bmp\nNumFrames=0\nStartFrame=2\n", 12.0f, 0, 0},  // a single picture
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.keys);
        CSuperSprite sprite;
        sprite.LoadFromFile(Sprite(1, std::string("[State000]\nFileName=$GAMEPATH\\") + c.keys).c_str());
        CSuperState* state = sprite.GetStateObject(0);
        ASSERT_NE(state, nullptr);
        EXPECT_EQ(state->GetRate(), c.rate);
        EXPECT_EQ(state->GetFirstFrame(), c.first);
        EXPECT_EQ(state->GetLastFrame(), c.last);
    }
}

TEST_F(SuperSpriteTest, PlayOncePicksOneOfItsStates)
{
    CSuperSprite sprite;
    std::set<int32_t> picked;
    for (uint32_t seed = 1; seed <= 20; ++seed)
    {
        SeedRandom(seed);
        std::unique_ptr<CxEvent> event(sprite.CreateEvent("this", "PlayOnce", Args({"3", "5"})));
        auto* play = dynamic_cast<CSuperSpritePlayOnceEvent*>(event.get());
        ASSERT_NE(play, nullptr);
        picked.insert(play->GetState());
    }
    EXPECT_EQ(picked, (std::set<int32_t>{3, 5}));
    std::unique_ptr<CxEvent> none(sprite.CreateEvent("THIS", "playonce", Args({})));
    EXPECT_EQ(dynamic_cast<CSuperSpriteEvent*>(none.get())->GetState(), 0);
    std::unique_ptr<CxEvent> other(sprite.CreateEvent("this", "Wave", Args({"1"})));
    EXPECT_NE(dynamic_cast<CCommandEvent*>(other.get()), nullptr);
    EXPECT_EQ(sprite.CreateEvent("Town", "PlayOnce", Args({})), nullptr);
}

TEST_F(SuperSpriteTest, PlayEventsFinishAsTheirKindSays)
{
    CSuperSprite sprite;
    ASSERT_EQ(sprite.LoadFromFile(Sprite(2, TWO_STATES).c_str()), 0u);
    sprite.MoveTo(10, 10);
    // Three frames at 10 a second: 300 ms.
    CSuperSpritePlayOnceEvent once(&sprite, 0);
    once.Start();
    for (int32_t frame : {1, 2, 2})
    {
        EXPECT_FALSE(once.IsFinished());
        Tick(100);
        EXPECT_EQ(sprite.GetFrame(), frame);
    }
    EXPECT_TRUE(once.IsFinished());

    CSuperSpritePlayInfiniteEvent forever(&sprite, 1);
    forever.Start();
    EXPECT_TRUE(forever.IsFinished());
    EXPECT_EQ(sprite.GetState(), 1);
    Tick(2000);
    EXPECT_FALSE(sprite.IsAnimationFinished());
    CSuperSpritePlayOnceEvent cancelled(&sprite, 0);
    cancelled.Start();
    cancelled.Stop();
    EXPECT_TRUE(cancelled.IsFinished());
    EXPECT_TRUE(sprite.IsAnimationFinished());

    // States the sprite lacks play nothing and end at once.
    for (int32_t bad : {2, 7, -1})
    {
        CSuperSpritePlayOnceEvent event(&sprite, bad);
        event.Start();
        EXPECT_TRUE(event.IsFinished()) << bad;
        EXPECT_EQ(sprite.GetState(), 0) << bad;
    }
    std::unique_ptr<CxEvent> text(sprite.CreateEvent("this", "PlayOnce", Args({"x"})));
    text->Start();
    EXPECT_TRUE(text->IsFinished());
}

TEST_F(SuperSpriteTest, PausingTheEventPausesTheSprite)
{
    CSuperSprite sprite;
    ASSERT_EQ(sprite.LoadFromFile(Sprite(2, TWO_STATES).c_str()), 0u);
    sprite.MoveTo(0, 0);
    CSuperSpritePlayOnceEvent event(&sprite, 0);
    event.Start();
    event.Pause();
    EXPECT_TRUE(event.IsBlocked());
    Tick(1000);
    EXPECT_EQ(sprite.GetFrame(), 0);
    sprite.AddPause();
    event.Resume();
    EXPECT_TRUE(event.IsBlocked()); // the sprite's own pause still holds
    sprite.RemovePause();
    EXPECT_FALSE(event.IsBlocked());
    Tick(350);
    EXPECT_TRUE(event.IsFinished());
}

// Names in any case; missing and bad numbers leave things as they are.
TEST_F(SuperSpriteTest, Commands)
{
    CSuperSprite sprite;
    ASSERT_EQ(sprite.LoadFromFile(Sprite(2, TWO_STATES).c_str()), 0u);
    ErrorCapture errors;
    sprite.HandleCommand("Paint", Args({"100", "200"}));
    sprite.HandleCommand("erase", Args({}));
    EXPECT_FALSE(sprite.IsShown());
    sprite.HandleCommand("PAINT", Args({}));
    sprite.HandleCommand("Paint", Args({"7"})); // one number: painted in place
    EXPECT_TRUE(sprite.IsShown());
    EXPECT_EQ(sprite.GetPosition(), CxPoint(100, 200));
    sprite.HandleCommand("SetState", Args({"1"}));
    for (const char* bad : {"2", "-1", "4294967296", ""})
        sprite.HandleCommand("SetState", *bad ? Args({bad}) : Args({}));
    EXPECT_EQ(sprite.GetState(), 1);
    sprite.HandleCommand("SetBumpable", Args({"0"}));
    sprite.HandleCommand("SetBumpable", Args({}));
    EXPECT_FALSE(sprite.IsBumpable());
    sprite.HandleCommand("SetBumpable", Args({"1"}));
    EXPECT_TRUE(sprite.IsBumpable());
    EXPECT_TRUE(errors.Errors().empty());
}

// The sprite's own sequences address it as "this"; a bumped sequence starts
// again only once it has ended.
TEST_F(SuperSpriteTest, ThisReachesTheSpriteFromItsOwnSequences)
{
    CEventPump pump;
    m_Dir.Write("bump.seq", "Event this.SetState(1)\nEvent Barn.PlayOnce(0)\n");
    m_Dir.Write("hit.seq", "Event this.Paint(5, 6)\n");
    CSuperSprite sprite;
    ASSERT_EQ(sprite.LoadFromFile(
                  Sprite(2, TWO_STATES,
                         "EventTypeName=Barn\nOnBumped=$GAMEPATH\\bump.seq\nOnCollide=$GAMEPATH\\hit.seq\n")
                      .c_str()),
              0u);
    ASSERT_NE(sprite.GetBumpedSequence(), nullptr);
    CSuperSprite truck;
    sprite.HandleCollision(&truck);
    for (int i = 0; i < 8; ++i)
        Tick(1);
    EXPECT_EQ(sprite.GetPosition(), CxPoint(5, 6));
    EXPECT_EQ(sprite.GetState(), 0); // the bumped sequence played state 0 after setting 1
    EXPECT_FALSE(sprite.IsAnimationFinished());
    EXPECT_NE(sprite.GetBumpedSequence()->GetChannel(), 0u);
    sprite.HandleBumped(&truck); // still running: not restarted
    for (int i = 0; i < 8; ++i)
        Tick(100);
    EXPECT_TRUE(sprite.IsAnimationFinished());
    EXPECT_EQ(sprite.GetBumpedSequence()->GetChannel(), 0u);
    sprite.SetState(1);
    sprite.SetCollisionFlag(COLLISION_BUMPABLE, false);
    sprite.HandleCollision(&truck);
    for (int i = 0; i < 8; ++i)
        Tick(1);
    EXPECT_EQ(sprite.GetState(), 1); // not bumpable: only the collide sequence ran
    EXPECT_EQ(sprite.GetBumpedSequence()->GetChannel(), 0u);
}

// The town's contact test: the collide sequence runs when a contact
// begins, not again while it lasts (a truck parked on an oil slick would
// otherwise lose control for ever).
TEST_F(SuperSpriteTest, TheCollideSequenceRunsOncePerContact)
{
    CEventPump pump;
    m_Dir.Write("hit.seq", "Event this.Paint(5, 6)\n");
    CSuperSprite sprite;
    ASSERT_EQ(sprite.LoadFromFile(Sprite(2, TWO_STATES, "OnCollide=$GAMEPATH\\hit.seq\n").c_str()), 0u);
    CSuperSprite truck;
    const auto touchFor = [&](int updates) {
        for (int i = 0; i < updates; ++i, Tick(10))
            sprite.Touch(&truck);
    };
    touchFor(1);
    EXPECT_EQ(sprite.GetPosition(), CxPoint(5, 6));
    sprite.SetPosition(CxPoint(0, 0));
    touchFor(20);
    EXPECT_EQ(sprite.GetPosition(), CxPoint(0, 0)) << "the same contact ran it again";
    sprite.EndContact();
    touchFor(1);
    EXPECT_EQ(sprite.GetPosition(), CxPoint(5, 6)) << "a new contact runs it";
}

TEST_F(SuperSpriteTest, CopiesSharingATypeNameLeaveNoDanglingCreator)
{
    auto master = std::make_unique<CSuperSprite>();
    ASSERT_EQ(master->LoadFromFile(Sprite(2, TWO_STATES, "EventTypeName=Barn\n").c_str()), 0u);
    EXPECT_EQ(FindEventCreator("Barn"), master.get());
    auto copy = std::make_unique<CSuperSprite>();
    copy->ShareStatesOf(master.get());
    copy->SetEventTypeName("Barn");
    EXPECT_EQ(copy->GetStateObject(1), master->GetStateObject(1));
    EXPECT_EQ(FindEventCreator("Barn"), copy.get());
    copy.reset(); // copies go first; the shared states survive them
    EXPECT_EQ(FindEventCreator("Barn"), nullptr);
    EXPECT_NE(master->GetStateObject(1)->GetImage(), nullptr);
    // A creator registered later under the name is not the master's to remove.
    CSuperSprite other;
    other.SetEventTypeName("Barn");
    master.reset();
    EXPECT_EQ(FindEventCreator("Barn"), &other);
}

TEST_F(SuperSpriteTest, CollisionRectanglesMeetInMapCoordinates)
{
    CSuperSprite a, b;
    a.LoadFromFile(Sprite(2, TWO_STATES).c_str());
    b.LoadFromFile(Sprite(2, TWO_STATES, "CollisionRect=2, 2, 3, 3\n").c_str());
    a.SetPosition(CxPoint(0, 0));
    b.SetPosition(CxPoint(8, 6));
    EXPECT_EQ(b.GetMapCollisionRect(), CxRect(10, 8, 11, 9));
    EXPECT_FALSE(a.CollidesWith(b));
    b.SetPosition(CxPoint(7, 5));
    EXPECT_TRUE(a.CollidesWith(b));
    EXPECT_FALSE(a.CollidesWith(a));
}

TEST(SoundDistance, VolumeFallsOffBeyond400Pixels)
{
    // Distances from the view's middle (1320, 1240); 401 is the kept step down.
    const std::pair<CxPoint, int32_t> cases[] = {
        {{1320, 1240}, 127}, {{1720, 1240}, 127}, {{1721, 1240}, 31}, {{1320, 2240}, 12}, {{1320, -1760}, 4}};
    for (const auto& [sprite, volume] : cases)
        EXPECT_EQ(VolumeByDistance(sprite, CxPoint(1000, 1000)), volume) << sprite.x << "," << sprite.y;
}
