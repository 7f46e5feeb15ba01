#include "engine/core/interpolator.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string Expand(const CxInterpolator& interpolator, const char* text)
{
    return interpolator.Expand(text).c_str();
}
} // namespace

TEST(InterpolatorTest, VariablesConstantsReplacementRemovalAndClones)
{
    CxInterpolator interpolator;
    std::string source = "Fire";
    interpolator.AddConstant("MISSION", source.c_str());
    source = "changed";
    CxString building("Bakery");
    interpolator.AddStringVariable("BUILDING", &building);
    long level = 1;
    interpolator.AddNumberVariable("LEVEL", &level, "%02d");
    interpolator.AddFormattedConstant("ID", 5, "%03d");
    interpolator.AddFormattedConstant("PLAIN", -12);
    building = "Fire Station";
    level = 7;
    EXPECT_EQ(Expand(interpolator, "$MISSION at $BUILDING, level$LEVEL.ini $ID $PLAIN"),
              "Fire at Fire Station, level07.ini 005 -12");
    CxInterpolator list;
    list.AddConstant("X", "one");
    list.AddConstant("X", "two");
    EXPECT_EQ(list.GetVariables().GetCount(), 1);
    EXPECT_EQ(Expand(list, "$X"), "two");
    list.RemoveVariable("X");
    EXPECT_EQ(Expand(list, "$X"), "$X");

    long n = 3;
    list.AddNumberVariable("N", &n);
    CxInterpolator::CxVariable* clone = list.FindVariable("N")->Clone();
    ASSERT_NE(clone, nullptr);
    list.RemoveVariable("N");
    n = 4;
    EXPECT_EQ(std::string(clone->GetValue().c_str()), "4");
    delete clone;
}

TEST(InterpolatorTest, ExpansionRulesAndBoundsOnHostileText)
{
    CxInterpolator interpolator;
    interpolator.AddConstant("Name", "x");
    interpolator.AddConstant("A", "1");
    interpolator.AddConstant("AB", "2");
    interpolator.AddConstant("LEVEL", "2");
    interpolator.AddConstant("SEQ_2", "hard.seq");
    interpolator.AddConstant("LOOP", "<$LOOP ${LOOP}>");
    const struct
    {
        const char* text;
        const char* expected;
    } cases[] = {
        {"$Name $NAME $name", "x $NAME $name"},           // names are case-sensitive
        {"${A}B $AB", "1B 2"},                            // braces end a name
        {"${SEQ_${LEVEL}}", "hard.seq"},                  // names built from other variables
        {"$GAMEPATH\\x ${NOPE}y", "$GAMEPATH\\x $NOPEy"}, // unknown names lose their braces
        {"cost $ 5 and $", "cost $ 5 and $"},             // lone dollar signs stay
        {"$A before ${A after", "1 before "},             // an unclosed brace drops the rest
        {"$LOOP", "<$LOOP ${LOOP}>"},                     // no second expansion of a value
    };
    for (const auto& c : cases)
        EXPECT_EQ(Expand(interpolator, c.text), c.expected) << c.text;
    CxInterpolator hostile;
    hostile.AddConstant("BIG", std::string(20000, 'x').c_str());
    EXPECT_EQ(hostile.Expand("$BIG$BIG$BIG$BIG").GetLength(), CX_STRING_MAX);
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "${";
    text += "X" + std::string(5000, '}');
    EXPECT_EQ(hostile.Expand(text.c_str())[0], '$');
}

TEST(FormatLongTest, IntegerConversionsTakeTheValueOthersAreWrittenOut)
{
    const struct
    {
        const char* format;
        long value;
        const char* expected;
    } cases[] = {
        {"%d", -5, "-5"},
        {"%05ld", 42, "00042"},
        {"x=%X!", 255, "x=FF!"},
        {"%c", 'A', "A"},
        {"100%%", 1, "100%"},
        {"%d", 4000000000L, "4000000000"},
        // Conversions that would read missing arguments stay as text.
        {"%s", 1, "%s"},
        {"%d and %d", 3, "3 and %d"},
        {"%n%d", 3, "%n3"},
        {"no number", 3, "no number"},
        {"%99999999d", 3, "%99999999d"},
    };
    for (const auto& c : cases)
    {
        char out[64];
        CxFormatLong(out, sizeof(out), c.format, c.value);
        EXPECT_STREQ(out, c.expected) << c.format;
    }
}
