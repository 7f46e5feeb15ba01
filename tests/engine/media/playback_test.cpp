// Sounds played through the sound system onto SDL's disk audio driver; the
// tests read back the mixed output and check what was heard, in what order:
// queues, repeats and groups, then each kind of data a wave plays (wave
// images, also ADPCM, raw PCM, a format record followed by samples, and
// MP3) and data that cannot be played.
#include "playback_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace playback_test;

namespace {
using SoundPlayback = PlaybackFixture;
using WavePlayback = PlaybackFixture;

int s_nCallbacks = 0;
void CountCallback(uint32_t zero, CxSound*)
{
    EXPECT_EQ(zero, 0u);
    ++s_nCallbacks;
}
} // namespace

TEST_F(SoundPlayback, QueuedLinesPlayOneAfterAnotherInOrder)
{
    CxWave* lines[3] = {MakeWave(TONE_A, LINE_FRAMES), MakeWave(TONE_B, LINE_FRAMES),
                        MakeWave(TONE_C, LINE_FRAMES)};
    for (CxWave* line : lines)
    {
        line->SetPlayFlags(CX_SOUND_QUEUED);
        line->SetQueueIndex(2);
        ASSERT_EQ(line->Play(), 0u);
    }
    EXPECT_EQ(GetSoundQueue(2)->GetCount(), 3);
    // Only the front of the queue plays.
    EXPECT_TRUE(lines[0]->IsPlaying());
    EXPECT_FALSE(lines[1]->IsPlaying());
    EXPECT_FALSE(lines[2]->IsPlaying());
    ASSERT_TRUE(PlayOut());
    EXPECT_EQ(GetSoundQueue(2)->GetCount(), 0);

    const std::vector<ToneRun> runs = Runs(Finish(), 2, 0, RATE, {TONE_A, TONE_B, TONE_C});
    ASSERT_EQ(Frequencies(runs), (std::vector<double>{TONE_A, TONE_B, TONE_C}));
    for (const ToneRun& run : runs)
        EXPECT_NEAR(static_cast<double>(run.windows), LINE_FRAMES / 256.0, 1.0);
}

// The mixer tests hear the levels applied; here the sound and master volumes (0-127) become those levels.
TEST_F(SoundPlayback, VolumesBecomeTheMixerLevels)
{
    EXPECT_EQ(GetMasterVolume(), 127);
    EXPECT_EQ(AudioGetMasterLevel(GetSoundDriver()), 1.0f);
    SetMasterVolume(0);
    EXPECT_EQ(AudioGetMasterLevel(GetSoundDriver()), 0.0f);
    CxWave* wave = MakeWave(TONE_A, LOOP_FRAMES);
    wave->SetVolume(127 / 2);
    wave->Play();
    float left = 0, right = 0;
    AudioGetSampleVolumeLevels(wave->GetSampleHandle(), &left, &right);
    EXPECT_FLOAT_EQ(left, 63 / 127.0f);
    EXPECT_FLOAT_EQ(right, 63 / 127.0f);
    wave->SetVolume(127);
    AudioGetSampleVolumeLevels(wave->GetSampleHandle(), &left, &right);
    EXPECT_FLOAT_EQ(left, 1.0f);
    EXPECT_FLOAT_EQ(right, 1.0f);
    wave->Stop();
}

TEST_F(SoundPlayback, ExclusiveSoundPausesItsGroupAndResumesItAfter)
{
    // The group's sounds loop without end in the mixer, so only the test stops them.
    CxWave* background = MakeWave(TONE_A, LOOP_FRAMES);
    CxWave* other = MakeWave(TONE_C, LOOP_FRAMES);
    for (CxWave* wave : {background, other})
    {
        wave->SetRepeatCount(0);
        wave->SetPlayFlags(CX_SOUND_LIBRARY_LOOP);
    }
    background->Play();
    other->Play();
    LetMix(4096);
    CxWave* announcement = MakeWave(TONE_B, LINE_FRAMES);
    announcement->SetPlayFlags(CX_SOUND_EXCLUSIVE);
    ASSERT_EQ(announcement->Play(), 0u);
    // Play returned after the announcement ended, and the group goes on.
    EXPECT_FALSE(announcement->IsPlaying());
    EXPECT_FALSE(background->IsPaused());
    EXPECT_TRUE(background->IsPlaying());
    EXPECT_FALSE(background->IsDone());
    LetMix(4096);
    background->Stop();
    other->Stop();

    size_t both = 0;
    const std::vector<int16_t> samples = Finish();
    const std::vector<ToneRun> runs = Runs(samples, 2, 0, RATE, {TONE_A, TONE_B}, &both);
    ASSERT_EQ(Frequencies(runs), (std::vector<double>{TONE_A, TONE_B, TONE_A}));
    EXPECT_EQ(both, 0u);
    EXPECT_NEAR(static_cast<double>(runs[1].windows), LINE_FRAMES / 256.0, 1.0);
    // The other sound of the group was silent for the announcement too.
    const std::vector<ToneRun> others = Runs(samples, 2, 0, RATE, {TONE_C, TONE_B});
    EXPECT_EQ(Frequencies(others), (std::vector<double>{TONE_C, TONE_B, TONE_C}));
}

TEST_F(SoundPlayback, PlayWaveFileQueuesAFireAndForgetWave)
{
    const std::string path =
        m_Dir.Write("line.wav", Pcm16Wave(Tone(TONE_C, 8000, RATE, LINE_FRAMES), 1, RATE));
    const uint32_t sounds = CxSound::GetSoundCount();
    ASSERT_EQ(PlayWaveFile(path.c_str(), true, 2), 0u);
    ASSERT_EQ(CxSound::GetSoundCount(), sounds + 1);
    CxSound* wave = CxSound::GetFirstSound();
    while (wave->GetNextSound())
        wave = wave->GetNextSound();
    EXPECT_EQ(wave->GetQueueIndex(), 2);
    EXPECT_EQ(wave->GetPlayFlags(), CX_SOUND_QUEUED | CX_SOUND_UNLOAD | CX_SOUND_AUTO_DELETE);
    EXPECT_TRUE(wave->IsPlaying());
    // It deletes itself once it has played.
    ASSERT_TRUE(WaitFor([&] {
        Pass();
        return CxSound::GetSoundCount() == sounds;
    }));
    const std::vector<ToneRun> runs = Runs(Finish(), 2, 0, RATE, {TONE_A, TONE_C});
    ASSERT_EQ(Frequencies(runs), (std::vector<double>{TONE_C}));
    EXPECT_NEAR(static_cast<double>(runs[0].windows), LINE_FRAMES / 256.0, 1.0);
}

TEST_F(SoundPlayback, WaitFlagPlaysToTheEndBeforeReturning)
{
    s_nCallbacks = 0;
    CxWave* wave = MakeWave(TONE_A, LINE_FRAMES);
    wave->SetPlayFlags(CX_SOUND_WAIT);
    wave->SetCallback(CountCallback);
    ASSERT_EQ(wave->Play(), 0u);
    EXPECT_FALSE(wave->IsPlaying());
    EXPECT_TRUE(wave->WasStarted());
    EXPECT_EQ(s_nCallbacks, 1);
    // The service has nothing left to report.
    Pass();
    EXPECT_EQ(s_nCallbacks, 1);
    const std::vector<ToneRun> runs = Runs(Finish(), 2, 0, RATE, {TONE_A});
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_NEAR(static_cast<double>(runs[0].windows), LINE_FRAMES / 256.0, 1.0);
}

namespace {
// The single tone that the output holds, and for how many windows.
ToneRun HeardTone(const std::vector<int16_t>& samples, const std::vector<double>& candidates)
{
    const std::vector<ToneRun> runs = Runs(samples, 2, 0, RATE, candidates);
    EXPECT_EQ(runs.size(), 1u) << testing::PrintToString(Frequencies(runs));
    return runs.empty() ? ToneRun{0, 0} : runs[0];
}

bool HaveLame()
{
    return std::system("command -v lame >/dev/null 2>&1") == 0;
}
} // namespace

// Each kind of data a wave plays: the tone it holds, and the frames it lasts at the output rate (0:
// unchecked).
struct Playable
{
    const char* what;
    std::string bytes;
    uint32_t flags;
    double tone;
    double frames;
};

TEST_F(WavePlayback, EveryKindOfDataPlaysItsTone)
{
    // An ADPCM record and blocks, without the wave image around them.
    CxWave packer;
    const std::string image = Pcm16Wave(Tone(TONE_C, 8000, RATE, LINE_FRAMES), 1, RATE);
    packer.SetData(image.data(), static_cast<uint32_t>(image.size()), false);
    ASSERT_EQ(packer.CompressADPCM(), 0u);
    ST_WAV_INFO info;
    ASSERT_EQ(packer.GetWaveInfo(&info), 0u);
    std::string extra;
    Put16(extra, 505);
    const std::string blocks(reinterpret_cast<const char*>(info.pData), info.nDataLength);
    // Tag 0 means the 14-byte record; block alignment equal to the channels means 8-bit.
    std::string eightBit;
    for (int16_t s : Tone(TONE_B, 8000, RATE, LINE_FRAMES))
        eightBit += static_cast<char>(128 + s / 256);
    const Playable cases[] = {
        {"ADPCM image", std::string(reinterpret_cast<const char*>(packer.GetData()), packer.GetDataSize()), 0,
         TONE_C, LINE_FRAMES},
        // Raw data is 16-bit mono at 22000 Hz: made at that rate, it sounds at TONE_C.
        {"raw", Samples16(Tone(TONE_C, 8000, 22000, 6000)), CX_SOUND_RAW, TONE_C, 6000.0 * RATE / 22000},
        {"record, 16-bit",
         Record(1, 1, RATE, 2, 16, false) + Samples16(Tone(TONE_A, 8000, RATE, LINE_FRAMES)),
         CX_SOUND_FORMAT_HEADER, TONE_A, LINE_FRAMES},
        {"short record, 8-bit", Record(0, 1, RATE, 1, 8, true) + eightBit, CX_SOUND_FORMAT_HEADER, TONE_B, 0},
        {"record, ADPCM",
         Record(0x11, 1, RATE, static_cast<uint16_t>(info.nBlockSize), 4, false, extra) + blocks,
         CX_SOUND_FORMAT_HEADER, TONE_C, 0},
    };
    for (const Playable& c : cases)
    {
        if (&c != cases) // each case has an output of its own
        {
            TearDown();
            SetUp();
        }
        CxWave* wave = MakeWaveFrom(c.bytes, c.flags);
        wave->Play();
        ASSERT_TRUE(PlayOut()) << c.what;
        const ToneRun run = HeardTone(Finish(), {TONE_A, TONE_B, TONE_C});
        EXPECT_EQ(run.frequency, c.tone) << c.what;
        if (c.frames > 0)
        {
            EXPECT_NEAR(static_cast<double>(run.windows), c.frames / 256.0, 1.5) << c.what;
        }
    }
}

TEST_F(WavePlayback, Mp3AfterAnId3TagPlaysItsTone)
{
    if (!HaveLame())
        GTEST_SKIP() << "lame is not installed";
    const std::string source =
        m_Dir.Write("tone.wav", Pcm16Wave(Tone(TONE_B, 8000, RATE, RATE / 2), 1, RATE));
    const std::string encoded = m_Dir.File("tone.mp3");
    ASSERT_EQ(std::system(("lame --quiet -b 64 " + source + " " + encoded).c_str()), 0);
    // A version 3 tag of 100 bytes (size 0x64 as 7-bit digits) whose body looks like frame headers.
    std::string tagged = std::string("ID3\x03\0\0\0\0\0\x64", 10);
    for (int i = 0; i < 25; ++i)
        tagged += std::string("\xFF\xFB\x10\x00", 4);
    tagged += TempDir::Read(encoded);
    const std::string path = m_Dir.Write("voice.mp3", tagged);

    m_Waves.push_back(std::make_unique<CxWave>());
    CxWave* wave = m_Waves.back().get();
    ASSERT_EQ(wave->Load(path.c_str()), 0u);
    EXPECT_TRUE(wave->GetPlayFlags() & CX_SOUND_MP3);
    wave->SetVolume(127);
    wave->Play();
    EXPECT_EQ(wave->GetError(), 0u);
    EXPECT_EQ(wave->GetPlaybackRate(), static_cast<int32_t>(RATE));
    ASSERT_TRUE(PlayOut());
    const ToneRun run = HeardTone(Finish(), {TONE_A, TONE_B, TONE_C});
    EXPECT_EQ(run.frequency, TONE_B);
    // The encoder adds some padding; the tone itself lasts half a second.
    EXPECT_GE(run.windows, RATE / 2 / 256 - 2);
}

TEST_F(WavePlayback, UnplayableDataIsAnInvalidFileAndEndsAtTheNextPass)
{
    ErrorCapture errors;
    std::string garbage;
    for (int i = 0; i < 3000; ++i)
        garbage += static_cast<char>(i * 7919 % 251);
    const struct
    {
        std::string bytes;
        uint32_t flags;
    } cases[] = {
        {garbage, CX_SOUND_MP3},
        {std::string("ID3\x03\0\0\0\0\x7F\x7F", 10) + garbage, CX_SOUND_MP3},
        // One image the parser refuses; its tests own the reasons.
        {Riff(Fmt(1, 1, RATE, 2, 16) + Chunk("data", "abcd", 100000)), 0},
        {"RIFF", CX_SOUND_FORMAT_HEADER},
        {Record(1, 1, RATE, 2, 16, false, "xx").substr(0, 19), CX_SOUND_FORMAT_HEADER},
    };
    for (const auto& c : cases)
    {
        s_nCallbacks = 0;
        errors.Clear();
        CxWave* wave = MakeWaveFrom(c.bytes, c.flags);
        wave->SetCallback(CountCallback);
        wave->Play();
        ASSERT_FALSE(errors.Errors().empty()) << testing::PrintToString(c.bytes.substr(0, 40));
        EXPECT_EQ(errors.Errors().back().code, CX_ERR_INVALID_FILE_TYPE);
        EXPECT_EQ(errors.Errors().back().text, "Invalid WAV File");
        EXPECT_EQ(wave->GetSampleHandle(), nullptr);
        Pass();
        EXPECT_FALSE(wave->IsPlaying());
        EXPECT_EQ(s_nCallbacks, 1);
    }
    const std::vector<int16_t> samples = Finish();
    for (int16_t s : samples)
        ASSERT_EQ(s, 0);
}

TEST_F(WavePlayback, DamagedFilesAreReportedOnceWhenLoadedAndPlayNothing)
{
    ErrorCapture errors;
    const std::string good = Pcm16Wave(Tone(TONE_A, 8000, RATE, LINE_FRAMES), 1, RATE);
    const struct
    {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"cut.wav", good.substr(0, 30)},
        {"text.wav", "this is no wave at all, just words"},
        {"tag.mp3", std::string("ID3\x03\0\0\0\0\x7F\x7F", 10) + "short"},
    };
    for (const auto& c : cases)
    {
        const std::string path = m_Dir.Write(c.name, c.bytes);
        errors.Clear();
        s_nCallbacks = 0;
        const uint32_t counted = GetErrorCount();
        m_Waves.push_back(std::make_unique<CxWave>());
        CxWave* wave = m_Waves.back().get();
        wave->SetCallback(CountCallback);
        EXPECT_EQ(wave->Load(path.c_str()), CX_ERR_INVALID_FILE_TYPE) << c.name;
        ASSERT_EQ(errors.Errors().size(), 1u) << c.name;
        EXPECT_EQ(errors.Errors()[0].code, CX_ERR_INVALID_FILE_TYPE);
        EXPECT_EQ(errors.Errors()[0].text, "Invalid WAV File: " + path);
        EXPECT_FALSE(wave->IsLoaded());
        // Playing it, again and again, is silent: no report, no sample, its code back.
        for (int i = 0; i < 3; ++i)
        {
            EXPECT_EQ(wave->Play(), CX_ERR_INVALID_FILE_TYPE) << c.name;
            Pass();
        }
        EXPECT_EQ(wave->GetSampleHandle(), nullptr);
        EXPECT_FALSE(wave->IsPlaying());
        EXPECT_EQ(s_nCallbacks, 0);
        EXPECT_EQ(errors.Errors().size(), 1u) << c.name;
        EXPECT_EQ(GetErrorCount(), counted + 1) << c.name;
    }
    // The one-call player reports the file once and leaves nothing behind.
    errors.Clear();
    const uint32_t sounds = CxSound::GetSoundCount();
    EXPECT_EQ(PlayWaveFile(m_Dir.File("cut.wav").c_str(), true, 2), 0u);
    Pass();
    EXPECT_EQ(errors.Errors().size(), 1u);
    EXPECT_EQ(CxSound::GetSoundCount(), sounds);
}
