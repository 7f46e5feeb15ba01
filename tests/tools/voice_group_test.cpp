#include "engine/media/wave_info.h"
#include "tests/support/test_support.h"
#include "tools/data/demo_data.h"
#include "tools/data/voice_lines.h"
#include "tools/data/wave_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
// A PCM wave image of frames frames, every channel of frame i holding value(i).
std::string MakeWave(uint16_t bits, uint16_t channels, uint32_t rate, uint32_t frames, int (*value)(uint32_t))
{
    ST_WAVE_FORMAT format;
    format.nBits = bits;
    format.nChannels = channels;
    format.nRate = rate;
    format.nBlockAlign = static_cast<uint16_t>(channels * bits / 8);
    const uint32_t length = frames * format.nBlockAlign;
    std::string bytes(GetWaveHeaderSize(format) + length, '\0');
    auto* out = reinterpret_cast<uint8_t*>(bytes.data());
    WriteWaveHeader(out, format, length, 0);
    out += GetWaveHeaderSize(format);
    for (uint32_t i = 0; i < frames; ++i)
        for (uint16_t c = 0; c < channels; ++c)
        {
            if (bits == 8)
                *out++ = static_cast<uint8_t>(value(i) / 256 + 128);
            else
                WriteLE16(out, static_cast<uint16_t>(value(i))), out += 2;
        }
    return bytes;
}

TEST(VoiceWaves, AnyPcmWaveBecomes22050Hz16BitMono)
{
    auto ramp = [](uint32_t i) { return static_cast<int>(i * 256) - 8192; };
    struct
    {
        uint16_t bits, channels;
        uint32_t rate, frames;
        size_t expected;
    } cases[] = {
        {16, 1, 22050, 64, 64}, {16, 2, 44100, 128, 64}, {8, 2, 11025, 32, 64}, {8, 1, 22050, 64, 64}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message()
                     << c.bits << " bits, " << c.channels << " channels, " << c.rate << " Hz");
        std::vector<int16_t> samples;
        std::string why;
        ASSERT_TRUE(WaveToDemoFormat(MakeWave(c.bits, c.channels, c.rate, c.frames, ramp), &samples, &why))
            << why;
        ASSERT_EQ(samples.size(), c.expected);
        // The ramp keeps its shape at the new rate: sample k is the source
        // at the same moment (8-bit sources lose their low byte).
        const double sourcePerSample = c.rate / 22050.0;
        for (size_t k = 0; k + 1 < samples.size(); k += 7)
            EXPECT_NEAR(samples[k], ramp(0) + k * sourcePerSample * 256, c.bits == 8 ? 256 : 1) << k;
    }
    std::vector<int16_t> samples;
    std::string why;
    EXPECT_FALSE(WaveToDemoFormat("RIFF junk", &samples, &why));
    EXPECT_FALSE(WaveToDemoFormat(MakeWave(16, 1, 0, 4, ramp), &samples, &why)) << "a rate of 0";
}

TEST(VoiceLines, LinesAndSpeakersAreReadStrictly)
{
    TempDir dir;
    std::vector<VoiceLine> lines;
    std::string why;
    dir.Write("ok.txt", "; comment\r\n\r\n  VOICES\\a\\b.wav | Hi | there \r\n# also a comment\nc.WAV|Yes");
    ASSERT_TRUE(ReadVoiceLines(dir.File("ok.txt"), &lines, &why)) << why;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].output, "VOICES/a/b.wav");
    EXPECT_EQ(lines[0].text, "Hi | there");
    EXPECT_TRUE(ReadVoiceLines(dir.File("missing.txt"), &lines, &why) && lines.empty());

    const char* bad[][2] = {{"no bar here", "no \"|\""},         {"a.wav|", "no text"},
                            {"|hello", "no file name"},          {"../../a.wav|hi", "climbs out"},
                            {"x/../../a.wav|hi", "climbs out"},  {"/tmp/a.wav|hi", "absolute"},
                            {"a.txt|hi", "does not end in .wav"}};
    for (const auto& [line, reason] : bad)
    {
        dir.Write("bad.txt", std::string("a.wav|fine\n") + line + "\n");
        why.clear();
        EXPECT_FALSE(ReadVoiceLines(dir.File("bad.txt"), &lines, &why)) << line;
        EXPECT_NE(why.find("bad.txt:2: "), std::string::npos) << why;
        EXPECT_NE(why.find(reason), std::string::npos) << why;
    }

    std::vector<VoiceSpeaker> speakers;
    EXPECT_TRUE(ReadVoiceSpeakers(dir.File("none"), &speakers, &why) && speakers.empty());
    const char* badSpeakers[] = {"[a]\nPitch=50\n", "[a]\nVoice=en\nPitch=100\n", "[a]\nVoice=en\nSpeed=20\n",
                                 "[../a]\nVoice=en\n"};
    for (const char* text : badSpeakers)
    {
        dir.Write("speakers.ini", text);
        EXPECT_FALSE(ReadVoiceSpeakers(dir.Path(), &speakers, &why)) << text;
    }
}

// Runs the voice group into output and returns its progress lines.
struct VoiceRun
{
    bool ok;
    std::string progress;
};

VoiceRun RunVoices(const TempDir& voices, const TempDir& output)
{
    DemoDataPaths paths;
    paths.output = output.Path();
    paths.voices = voices.Path();
    char* text = nullptr;
    size_t size = 0;
    paths.progress = open_memstream(&text, &size);
    const bool ok = MakeVoiceGroup()->Make(paths);
    fclose(paths.progress);
    VoiceRun run{ok, std::string(text, size)};
    free(text);
    return run;
}

bool IsGameVoice(const std::string& bytes)
{
    ST_WAV_INFO info;
    return ParseWaveInfo(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()),
                         false, &info) == 0 &&
           info.nRate == 22050 && info.nBits == 16 && info.nChannels == 1 && info.nSamples > 2205;
}

TEST(VoiceGroup, SynthesisesEveryLineAndRemakesOnlyChangedOnes)
{
    TempDir voices, output;
    voices.Write("speakers.ini", "[ann]\nVoice=en-gb+f2\nPitch=60\n[bob]\nVoice=en-us+m3\nSpeed=170\n");
    voices.Write("ann.txt", "V/ann/hi.wav|Hello there!\nV/ann/bye.wav|Goodbye!\n");
    voices.Write("bob.txt", "V/bob/hi.wav|Hi, I am Bob.\n");
    VoiceRun run = RunVoices(voices, output);
    ASSERT_TRUE(run.ok) << "is espeak-ng installed? tools/setup-deps installs it";
    EXPECT_NE(run.progress.find("ann: 2 of 2 lines made"), std::string::npos) << run.progress;
    EXPECT_NE(run.progress.find("bob: 1 of 1 line made"), std::string::npos) << run.progress;
    for (const char* name : {"V/ann/hi.wav", "V/ann/bye.wav", "V/bob/hi.wav"})
        EXPECT_TRUE(IsGameVoice(TempDir::Read(output.File(name)))) << name;

    run = RunVoices(voices, output);
    EXPECT_NE(run.progress.find("ann: 0 of 2 lines made"), std::string::npos) << run.progress;
    EXPECT_NE(run.progress.find("bob: 0 of 1 line made"), std::string::npos) << run.progress;

    const std::string annHi = TempDir::Read(output.File("V/ann/hi.wav"));
    const std::string bobHi = TempDir::Read(output.File("V/bob/hi.wav"));
    voices.Write("ann.txt", "V/ann/hi.wav|Hello there!\nV/ann/bye.wav|Goodbye, see you soon!\n");
    voices.Write("speakers.ini", "[ann]\nVoice=en-gb+f2\nPitch=60\n[bob]\nVoice=en-us+m3\nSpeed=200\n");
    run = RunVoices(voices, output);
    EXPECT_NE(run.progress.find("ann: 1 of 2 lines made"), std::string::npos) << run.progress;
    EXPECT_NE(run.progress.find("bob: 1 of 1 line made"), std::string::npos) << "the speaker's speed changed";
    EXPECT_EQ(TempDir::Read(output.File("V/ann/hi.wav")), annHi);
    EXPECT_NE(TempDir::Read(output.File("V/bob/hi.wav")), bobHi);
}

TEST(VoiceGroup, FailsClearlyWithoutTheSynthesiserOrWithClashingLines)
{
    TempDir voices, output;
    voices.Write("speakers.ini", "[ann]\nVoice=en\n[bob]\nVoice=en\n");
    voices.Write("ann.txt", "V/hi.wav|Hello!\n");
    voices.Write("bob.txt", "V/bob.wav|Hi!\n");
    setenv("RUMBO_ESPEAK_NG", "/nonexistent/espeak-ng", 1);
    testing::internal::CaptureStderr();
    const VoiceRun run = RunVoices(voices, output);
    const std::string error = testing::internal::GetCapturedStderr();
    unsetenv("RUMBO_ESPEAK_NG");
    EXPECT_FALSE(run.ok);
    EXPECT_NE(error.find("install the Debian package espeak-ng"), std::string::npos) << error;
    EXPECT_FALSE(TempDir::Read(output.File("V/hi.wav")).size());

    voices.Write("bob.txt", "V/HI.wav|Hi!\n");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(RunVoices(voices, output).ok);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("V/HI.wav is spoken by both ann and bob"),
              std::string::npos);
}
} // namespace
