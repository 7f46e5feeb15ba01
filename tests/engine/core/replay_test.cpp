#include "engine/core/replay.h"

#include "engine/platform/window.h"

#include <gtest/gtest.h>

#include <string>

namespace {
bool Parse(const std::string& text, CxReplayScript* script, std::string* why)
{
    return ParseReplay(text.data(), text.size(), script, why);
}

TEST(ReplayTest, EveryKindOfLineReadsBackAsWrittenWithTheHeader)
{
    const std::string text = "replay 1\r\n"
                             "# made by hand\n"
                             "seed 4294967295\n"
                             "step 20\n"
                             "\n"
                             "0 move 0 0\n"
                             "10 down 639 479 1   # a click in the corner\n"
                             "10 up 639 479 3\n"
                             "250 key 27 0\n"
                             "250 keyup 65 7\n"
                             "300 text h\xc3\xa9llo\n"
                             "300 text Ann%20Lee%23%25%0a%7e\n"
                             "4294967295 wheel -3";
    CxReplayScript script;
    std::string why;
    ASSERT_TRUE(Parse(text, &script, &why)) << why;
    EXPECT_TRUE(script.hasSeed);
    EXPECT_EQ(script.seed, 4294967295u);
    EXPECT_EQ(script.step, 20u);
    ASSERT_EQ(script.events.size(), 8u);
    EXPECT_EQ(script.events[1].kind, CxReplayKind::Down);
    EXPECT_EQ(script.events[1].button, 1);
    EXPECT_EQ(script.events[4].key, 65u);
    EXPECT_EQ(script.events[4].mods, 7u);
    EXPECT_EQ(script.events[5].text, "h\xc3\xa9llo");
    EXPECT_EQ(script.events[6].text, "Ann Lee#%\n~");
    EXPECT_EQ(script.events[7].notches, -3);

    std::string written = FormatReplayHeader(script);
    for (const CxReplayEvent& event : script.events)
        written += FormatReplayEvent(event);
    CxReplayScript again;
    ASSERT_TRUE(Parse(written, &again, &why)) << why;
    EXPECT_EQ(again.seed, script.seed);
    EXPECT_EQ(again.step, script.step);
    EXPECT_EQ(again.events, script.events);

    ASSERT_TRUE(Parse("replay 1\n", &script, &why));
    EXPECT_FALSE(script.hasSeed);
    EXPECT_EQ(script.step, REPLAY_DEFAULT_STEP);
    EXPECT_TRUE(script.events.empty());
}

struct BadCase
{
    const char* text;
    const char* where; // the start of the reason: the line number
    const char* says;  // a part of the reason
};

const BadCase BAD[] = {
    {"", "1:", "replay 1"},
    {"replay 2\n", "1:", "replay 1"},
    {"# a comment first\nreplay 1\n", "1:", "replay 1"},
    {"replay 1\nseed -1\n", "2:", "seed"},
    {"replay 1\nstep 0\n", "2:", "step"},
    {"replay 1\nstep 1001\n", "2:", "step"},
    {"replay 1\nstep\n", "2:", "one value"},
    {"replay 1\n0 move 1 1\nseed 3\n", "3:", "after the first event"},
    {"replay 1\n10 move 1 1\n9 move 1 1\n", "3:", "before the line above"},
    {"replay 1\n-1 move 1 1\n", "2:", "time"},
    {"replay 1\n4294967296 move 1 1\n", "2:", "time"},
    {"replay 1\n1x move 1 1\n", "2:", "time"},
    {"replay 1\n5\n", "2:", "no event"},
    {"replay 1\n5 jump 1 1\n", "2:", "unknown event"},
    {"replay 1\n5 move 640 0\n", "2:", "x"},
    {"replay 1\n5 move 0 480\n", "2:", "y"},
    {"replay 1\n5 move -1 0\n", "2:", "x"},
    {"replay 1\n5 move 1\n", "2:", "2 values"},
    {"replay 1\n5 move 1 2 3\n", "2:", "2 values"},
    {"replay 1\n5 down 1 2 4\n", "2:", "button"},
    {"replay 1\n5 up 1 2 0\n", "2:", "button"},
    {"replay 1\n5 key 999 0\n", "2:", "unknown key"},
    {"replay 1\n5 key 97 0\n", "2:", "unknown key"}, // lower-case letters are not key numbers
    {"replay 1\n5 key 65 8\n", "2:", "modifiers"},
    {"replay 1\n5 keyup 65\n", "2:", "2 values"},
    {"replay 1\n5 text two words\n", "2:", "1 values"},
    {"replay 1\n5 text 100%\n", "2:", "'%'"},
    {"replay 1\n5 text %2\n", "2:", "'%'"},
    {"replay 1\n5 text %G0\n", "2:", "'%'"},
    {"replay 1\n5 wheel 0\n", "2:", "0 notches"},
    {"replay 1\n5 wheel 101\n", "2:", "wheel"},
};

TEST(ReplayTest, ABadLineIsRefusedWithItsNumberAndWhy)
{
    for (const BadCase& bad : BAD)
    {
        SCOPED_TRACE(bad.text);
        CxReplayScript script;
        std::string why;
        EXPECT_FALSE(Parse(bad.text, &script, &why));
        EXPECT_EQ(why.rfind(bad.where, 0), 0u) << why;
        EXPECT_NE(why.find(bad.says), std::string::npos) << why;
    }
    CxReplayScript script;
    std::string why;
    EXPECT_FALSE(Parse("replay 1\n5 text " + std::string(REPLAY_MAX_TEXT + 1, 'a') + "\n", &script, &why));
    EXPECT_TRUE(Parse("replay 1\n5 text " + std::string(REPLAY_MAX_TEXT, 'a') + "\n", &script, &why)) << why;
    // The limit counts the typed bytes, not their escapes.
    std::string blanks;
    for (size_t i = 0; i < REPLAY_MAX_TEXT; ++i)
        blanks += "%20";
    EXPECT_TRUE(Parse("replay 1\n5 text " + blanks + "\n", &script, &why)) << why;
    EXPECT_FALSE(Parse("replay 1\n5 text " + blanks + "%20\n", &script, &why));
}

TEST(ReplayTest, KnownKeysAreLettersDigitsFunctionKeysAndTheNamedOnes)
{
    for (uint32_t key : {uint32_t('A'), uint32_t('Z'), uint32_t('0'), uint32_t('9'), CX_VK_F1, CX_VK_F12,
                         CX_VK_ESCAPE, CX_VK_RETURN, CX_VK_SPACE, CX_VK_LEFT, CX_VK_SCROLL})
        EXPECT_TRUE(IsReplayKey(key)) << key;
    for (uint32_t key : {0u, uint32_t('a'), uint32_t('@'), CX_VK_F12 + 1, 0x100u})
        EXPECT_FALSE(IsReplayKey(key)) << key;
}
} // namespace
