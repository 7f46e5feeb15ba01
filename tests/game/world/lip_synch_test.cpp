#include "game/world/lip_synch.h"

#include "engine/core/event_creator.h"
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/core/main_loop.h"
#include "engine/core/random.h"
#include "engine/graphics/image_filter.h"
#include "engine/media/sound.h"
#include "engine/media/wave.h"
#include "engine/platform/clock.h"
#include "game/world/super_sprite_events.h"
#include "game/world/talk_event.h"
#include "game/world/talking_sprite.h"
#include "tests/engine/media/wave_builder.h"
#include "tests/game/world/sprite_world_test.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace wave_test;

namespace {
constexpr uint32_t RATE = 22050;

// A line of speech stand-in: 100 ms windows of a 300 Hz tone whose loudness
// follows levels (0 is silence).
std::vector<int16_t> Line(const std::vector<double>& levels, uint32_t extraFrames = 0)
{
    std::vector<int16_t> out;
    for (double level : levels)
        for (uint32_t i = 0; i < RATE / 10; ++i)
            out.push_back(
                static_cast<int16_t>(std::lround(level * std::sin(2.0 * M_PI * 300.0 * out.size() / RATE))));
    out.resize(out.size() + extraFrames, 0);
    return out;
}

std::vector<int> Frames(const ST_LIP_TABLE& table)
{
    std::vector<int> out;
    for (uint32_t i = 0; i < table.frames.GetCount(); ++i)
        out.push_back(table.frames[i]);
    return out;
}

// The mouth frames of a wave image (and its window, when asked).
std::vector<int> Analyse(const std::string& wave, int32_t mouth, uint32_t flags = 0,
                         uint32_t* window = nullptr)
{
    ST_LIP_TABLE table;
    EXPECT_EQ(AnalyseLipSound(Bytes(wave), static_cast<uint32_t>(wave.size()), flags, mouth, &table), 0u);
    if (window)
        *window = table.nWindow;
    return Frames(table);
}

// A sound whose playing the test decides.
class FakeSound : public CxWave
{
public:
    explicit FakeSound(const std::string& bytes)
    {
        SetData(bytes.data(), static_cast<uint32_t>(bytes.size()), false);
    }
    uint32_t Play() override
    {
        playing = true;
        ++plays;
        return 0;
    }
    void Stop() override { playing = false; }
    bool IsPlaying() const override { return playing; }
    void Pause() override { paused = true; }
    void Resume() override { paused = false; }
    bool playing = false;
    bool paused = false;
    int plays = 0;
};

class LipTest : public SpriteWorldTest
{
protected:
    // A baker of three states: a mouth of 3 frames at (5, 6), a grin of 5
    // frames without the pixel mask, and no mouth.
    std::string WriteBaker()
    {
        WriteImage("body.bmp", 20, 30);
        WriteImage("mouth.bmp", 30, 8);
        WriteImage("grin.bmp", 40, 6);
        m_Dir.Write("grin.ini", "[State000]\nFileName=$GAMEPATH\\grin.bmp\nNumFrames=5\n");
        return m_Dir.Write("baker.ini",
                           "[QexSprite]\nName=Baker\nNumStates=3\nEventTypeName=Baker\n"
                           "[State000]\nFileName=$GAMEPATH\\body.bmp\nLips=$GAMEPATH\\mouth.bmp\nLipFrames="
                           "3\nLipPosition=5, 6\n"
                           "[State001]\nFileName=$GAMEPATH\\body.bmp\nLips=$GAMEPATH\\grin.ini\nLipMask=0\n"
                           "[State002]\nFileName=$GAMEPATH\\body.bmp\n");
    }
};
} // namespace

TEST(LipAnalysis, LoudnessBecomesMouthFrames)
{
    struct Case
    {
        std::vector<int32_t> loudness;
        int32_t mouth;
        std::vector<int> frames;
    };
    const Case cases[] = {
        {{10, 45, 99, 40}, 3, {0, 1, 2, 1}}, // D = (99 - 10 + 1) / 3 = 30
        {{10, 45, 99}, 0, {0, 0, 0}},        // no mouth frames counts as one
        {{0, 1, 2, 3}, 8, {0, 1, 2, 3}},     // D would be 0: 1
        {{100, 100}, 4, {0, 0}},
        {{300, 1000, 2000, 400}, 4, {0, 1, 3, 0}}, // the smallest starts at 255: D = 436
    };
    for (const auto& c : cases)
    {
        CxArray<int32_t> loudness;
        ST_LIP_TABLE table;
        for (int32_t v : c.loudness)
            loudness.Add(v);
        table.frames.SetCount(loudness.GetCount());
        LoudnessToFrames(loudness, loudness.GetCount(), c.mouth, &table);
        EXPECT_EQ(Frames(table), c.frames) << c.mouth;
    }
}

TEST(LipAnalysis, WindowsOfATenthOfASecondAndDegenerateSounds)
{
    // 2.05 s: 20 whole windows of 2205 frames and one partial.
    uint32_t window = 0;
    EXPECT_EQ(Analyse(Pcm16Wave(std::vector<int16_t>(45202, 1000), 1, RATE), 4, 0, &window).size(), 21u);
    EXPECT_EQ(window, 2205u);
    // Shorter than a window: one entry, 0.
    EXPECT_EQ(Analyse(Pcm16Wave(std::vector<int16_t>(100, 9000), 1, RATE), 4), std::vector<int>{0});
    // A rate below 10: no windows at all, the sound still plays.
    EXPECT_TRUE(Analyse(Pcm16Wave(std::vector<int16_t>(100, 9000), 1, 5), 4).empty());
    EXPECT_TRUE(Analyse("ID3 not a wave", 4, CX_SOUND_MP3).empty());
    EXPECT_TRUE(Analyse("garbage", 4).empty());
}

// 8-bit, stereo and IMA ADPCM copies made by another program give the same
// mouth as the 16-bit mono line, within one frame.
TEST(LipAnalysis, OtherFormatsOfOneLineGiveTheSameMouth)
{
    if (system("command -v sox >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "sox is not installed";
    TempDir dir;
    const std::vector<double> levels = {0, 500, 3000, 9000, 20000, 30000, 12000, 0, 6000, 15000, 25000, 1000};
    const std::string mono = Pcm16Wave(Line(levels), 1, RATE);
    const std::string path = dir.Write("line.wav", mono);
    const std::vector<int> reference = Analyse(mono, 5);
    for (const char* options : {"-b 8 -e unsigned-integer", "-c 2", "-e ima-adpcm"})
    {
        const std::string out = dir.File("copy.wav");
        const std::string command = "sox " + path + " " + options + " " + out + " 2>/dev/null";
        ASSERT_EQ(system(command.c_str()), 0) << command;
        const std::vector<int> frames = Analyse(TempDir::Read(out), 5);
        ASSERT_GE(frames.size(), reference.size() - 1) << options;
        for (size_t i = 0; i + 1 < reference.size(); ++i)
            EXPECT_LE(std::abs(frames[i] - reference[i]), 1) << options << " window " << i;
    }
}

TEST_F(LipTest, TicksShowTheWindowTheSoundHasReached)
{
    CLipSynch lips;
    lips.SetImage(new CxDrawSurface(30, 10, 16), 3);
    const std::vector<double> levels = {0, 30000, 15000, 0, 30000, 0, 0, 0, 0, 0,
                                        0, 0,     0,     0, 0,     0, 0, 0, 0, 30000};
    auto* sound = new FakeSound(Pcm16Wave(Line(levels, RATE / 20 + 2), 1, RATE)); // 2.05 s
    CxLinkedList<CxSound*> queue;
    queue.AddTail(sound);
    int ended = 0;
    lips.SetEndCallback([](CLipSynch*, void* count) { ++*static_cast<int*>(count); }, &ended);
    lips.Talk(queue);
    EXPECT_TRUE(queue.IsEmpty());
    EXPECT_TRUE(lips.IsActive());
    EXPECT_TRUE(lips.IsShown());
    EXPECT_TRUE(sound->playing);
    const ST_LIP_TABLE& table = lips.GetTable();
    ASSERT_EQ(table.frames.GetCount(), 21u);
    EXPECT_EQ(table.frames[1], 2);
    EXPECT_EQ(table.frames[20], 0);
    for (uint32_t t = 1; t <= 23; ++t)
    {
        Tick(100);
        EXPECT_EQ(lips.GetFrame(), table.frames[t < 20 ? t : 20]) << "tick " << t;
    }
    sound->playing = false;
    Tick(100);
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(lips.IsActive());
    EXPECT_FALSE(lips.IsShown());
    EXPECT_EQ(lips.GetFrame(), 0);
}

TEST_F(LipTest, QueueIsSaidInOrderAndPausesNest)
{
    CLipSynch lips;
    lips.SetImage(new CxDrawSurface(40, 10, 16), 4);
    auto* first = new FakeSound(Pcm16Wave(Line({0, 9000}), 1, RATE));
    auto* second = new FakeSound(Pcm16Wave(Line({9000, 0, 0}), 1, RATE));
    CxLinkedList<CxSound*> queue;
    queue.AddTail(first);
    queue.AddTail(second);
    lips.Talk(queue);
    EXPECT_EQ(lips.GetCurrentSound(), first);
    lips.AddPause();
    lips.AddPause();
    EXPECT_TRUE(first->paused);
    lips.RemovePause();
    EXPECT_TRUE(first->paused);
    lips.RemovePause();
    EXPECT_FALSE(first->paused);
    first->playing = false;
    Tick(100);
    EXPECT_EQ(lips.GetIndex(), 1);
    EXPECT_EQ(lips.GetCurrentSound(), second);
    EXPECT_EQ(lips.GetTable().frames.GetCount(), 4u);
    lips.StopTalking();
    EXPECT_FALSE(lips.IsActive());
    EXPECT_EQ(lips.GetIndex(), 0);
}

TEST_F(LipTest, InADrivenRunTheMouthFollowsTheSoundsPlayClockWhichHoldsWhileItAloneIsPaused)
{
    ASSERT_EQ(InitSoundSystem(nullptr), 0u);
    SetSoundFollowsGameTime(true);
    CLipSynch lips;
    lips.SetImage(new CxDrawSurface(30, 10, 16), 3);
    const std::string data = Pcm16Wave(Line({0, 0, 0, 30000, 0, 0, 0, 0}), 1, RATE);
    CxLinkedList<CxSound*> queue;
    queue.AddTail(new CxWave);
    queue.GetHead()->m_Value->SetData(data.data(), static_cast<uint32_t>(data.size()), false);
    lips.Talk(queue);
    for (int t = 0; t < 7; ++t, Tick(100))
        if (t == 3)
            lips.GetCurrentSound()->Pause();
    EXPECT_EQ(lips.GetFrame(), 2) << "the loud window the paused sound has reached";
    SetSoundFollowsGameTime(false);
    ShutdownSoundSystem();
}

TEST_F(LipTest, CharacterReadsItsMouths)
{
    ErrorCapture errors;
    CCharacter baker;
    ASSERT_EQ(baker.LoadFromFile(WriteBaker().c_str()), 0u);
    EXPECT_TRUE(errors.Errors().empty());
    CLipSynch* mouth = baker.GetLipSprite(0);
    ASSERT_NE(mouth, nullptr);
    EXPECT_EQ(mouth->GetFrameCount(), 3);
    EXPECT_EQ(mouth->GetPosition(), CxPoint(5, 6));
    EXPECT_TRUE(mouth->HasPixelHitTest());
    ASSERT_NE(baker.GetLipSprite(1), nullptr);
    EXPECT_EQ(baker.GetLipSprite(1)->GetFrameCount(), 5);
    EXPECT_FALSE(baker.GetLipSprite(1)->HasPixelHitTest());
    EXPECT_EQ(baker.GetLipSprite(2), nullptr);

    EXPECT_EQ(baker.SetLipSprite(7, new CLipSynch), CX_ERR_INVALID_ARGUMENT);
    ASSERT_EQ(errors.Errors().size(), 1u);
    EXPECT_EQ(errors.Errors()[0].text, "bad lips for state 7");
}

TEST_F(LipTest, TalkEvents)
{
    m_Dir.Write("hello.wav", Pcm16Wave(Line({0, 9000, 0}), 1, RATE));
    m_Dir.Write("bye.wav", Pcm16Wave(Line({9000}), 1, RATE));
    CCharacter baker;
    ASSERT_EQ(baker.LoadFromFile(WriteBaker().c_str()), 0u);
    auto make = [&](const char* command, std::initializer_list<const char*> values) {
        return std::unique_ptr<CxEvent>(baker.CreateEvent("Baker", command, Args(values)));
    };
    // No mouth in state 2 (reported), or no such state: done at once.
    for (const char* bad : {"2", "5", "-1", "x", "70000"})
    {
        ErrorCapture errors;
        auto event = make("Talk", {bad, "$GAMEPATH\\hello.wav"});
        ASSERT_NE(dynamic_cast<CTalkEvent*>(event.get()), nullptr);
        event->Start();
        EXPECT_TRUE(event->IsFinished()) << bad;
        if (bad[0] == '2')
        {
            ASSERT_EQ(errors.Errors().size(), 1u);
            EXPECT_EQ(errors.Errors()[0].code, CX_ERR_INVALID_ARGUMENT);
            EXPECT_EQ(errors.Errors()[0].text, "No lips defined for this state");
        }
    }
    {
        // Without a sound device the line ends at the first tick.
        auto event = make("talk", {"0", "$GAMEPATH\\hello.wav", "$GAMEPATH\\bye.wav"});
        event->Start();
        EXPECT_FALSE(event->IsFinished());
        EXPECT_TRUE(baker.GetLipSprite(0)->IsActive());
        event->Pause();
        EXPECT_TRUE(event->IsBlocked());
        event->Resume();
        EXPECT_FALSE(event->IsBlocked());
        Tick(100);
        Tick(100);
        EXPECT_TRUE(event->IsFinished());
        EXPECT_TRUE(baker.IsAnimationFinished());
    }
    SeedRandom(3);
    auto random = make("RandomTalk", {"0", "a.wav", "b.wav", "c.wav"});
    auto* talk = dynamic_cast<CTalkEvent*>(random.get());
    ASSERT_NE(talk, nullptr);
    EXPECT_EQ(talk->GetSounds().GetCount(), 1);
    EXPECT_EQ(talk->GetState(), 0);
    EXPECT_NE(dynamic_cast<CSuperSpriteEvent*>(make("PlayOnce", {"1"}).get()), nullptr);
}
