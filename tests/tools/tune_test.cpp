#include "tools/data/tune.h"

#include "tools/data/wave_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

TEST(Tune, NotesTempoAndPaddingAreRead)
{
    std::vector<Tune> tunes;
    std::string why;
    ASSERT_TRUE(ParseTunes("; a comment\n[one]\nTempo=60\nMelody=A4 | C#5:0.5 r:1.5 Bb3\n"
                           "Bass=A2:2\n\n[two]\nBass=C3\n",
                           &tunes, &why))
        << why;
    ASSERT_EQ(tunes.size(), 2u);
    const Tune& one = tunes[0];
    EXPECT_EQ(one.name, "one");
    EXPECT_DOUBLE_EQ(one.tempo, 60);
    ASSERT_EQ(one.melody.size(), 4u);
    EXPECT_NEAR(one.melody[0].hz, 440.0, 1e-9);
    EXPECT_NEAR(one.melody[1].hz, 554.365, 1e-3);
    EXPECT_DOUBLE_EQ(one.melody[1].beats, 0.5);
    EXPECT_EQ(one.melody[2].hz, 0) << "r is a rest";
    EXPECT_NEAR(one.melody[3].hz, 233.082, 1e-3);
    // The bass of two beats is padded to the melody's four.
    ASSERT_EQ(one.bass.size(), 2u);
    EXPECT_DOUBLE_EQ(one.bass[1].beats, 2);
    EXPECT_EQ(one.bass[1].hz, 0);
    EXPECT_DOUBLE_EQ(tunes[1].tempo, 120) << "the default tempo";
}

TEST(Tune, BadFilesAreRefusedWithTheLine)
{
    const char* bad[] = {
        "",                                   // no tune
        "Tempo=100\n",                        // a key before any tune
        "[../x]\nMelody=C4\n",                // a name that is a path
        "[a]\nTempo=10\nMelody=C4\n",         // tempo too slow
        "[a]\nTempo=fast\nMelody=C4\n",       // tempo not a number
        "[a]\nMelody=H4\n",                   // no such letter
        "[a]\nMelody=C9\n",                   // octave out of range
        "[a]\nMelody=C4:0\n",                 // a note without length
        "[a]\nMelody=C4:x\n",                 // a length that is no number
        "[a]\nMelody=C#\n",                   // no octave
        "[a]\nVolume=3\n",                    // unknown key
        "[a]\n",                              // a tune with no notes
        "[a]\nTempo=30\nMelody=C4:64 C4:64\n" // over two minutes
    };
    for (const char* text : bad)
    {
        std::vector<Tune> tunes;
        std::string why;
        EXPECT_FALSE(ParseTunes(text, &tunes, &why)) << text;
        EXPECT_FALSE(why.empty()) << text;
    }
    std::vector<Tune> tunes;
    std::string why;
    ASSERT_FALSE(ParseTunes("[a]\nMelody=C4\n\n[b]\nMelody=Q4\n", &tunes, &why));
    EXPECT_NE(why.find("line 5"), std::string::npos) << why;
}

TEST(Tune, SoundLastsItsBeatsAndLoopsWithoutAClick)
{
    std::vector<Tune> tunes;
    std::string why;
    ASSERT_TRUE(ParseTunes("[a]\nTempo=120\nMelody=C5 E5 G5 C6\nBass=C3:4\n", &tunes, &why)) << why;
    const std::vector<int16_t> samples = TuneSound(tunes[0]);
    ASSERT_EQ(samples.size(), static_cast<size_t>(2 * DEMO_SOUND_RATE)) << "four beats at 120 a minute";
    int peak = 0;
    for (int16_t s : samples)
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_GT(peak, 3000) << "the tune is audible";
    EXPECT_LT(peak, 20000) << "and stays under the voices";
    // The end leads back to the start: both ends are near silence.
    EXPECT_LT(std::abs(samples.front()), 200);
    EXPECT_LT(std::abs(samples.back()), 200);
}
