#include "engine/core/interpolator.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string Expand(const CxInterpolator& interpolator, const char* text)
{
    return interpolator.Expand(text).c_str();
}

std::string Format(const char* format, long value)
{
    char out[64];
    CxFormatLong(out, sizeof(out), format, value);
    return out;
}
} // namespace

// ---- the three kinds of variable ----

TEST(InterpolatorTest, ConstantIsCopiedWhenAdded)
{
    CxInterpolator interpolator;
    std::string source = "Fire";
    interpolator.AddConstant("MISSION", source.c_str());
    source = "changed";
    EXPECT_EQ(Expand(interpolator, "Mission $MISSION done"), "Mission Fire done");
}

TEST(InterpolatorTest, StringVariableReadsTheStringAtExpansion)
{
    CxInterpolator interpolator;
    CxString building("Bakery");
    interpolator.AddStringVariable("BUILDING", &building);
    EXPECT_EQ(Expand(interpolator, "$BUILDING"), "Bakery");
    building = "Fire Station";
    EXPECT_EQ(Expand(interpolator, "$BUILDING"), "Fire Station");
}

TEST(InterpolatorTest, NumberVariableFormatsTheValueAtExpansion)
{
    CxInterpolator interpolator;
    long level = 1;
    interpolator.AddNumberVariable("LEVEL", &level, "%02d");
    level = 7;
    EXPECT_EQ(Expand(interpolator, "level$LEVEL.ini"), "level07.ini");
}

TEST(InterpolatorTest, FormattedConstantIsFixedWhenAdded)
{
    CxInterpolator interpolator;
    interpolator.AddFormattedConstant("ID", 5, "%03d");
    interpolator.AddFormattedConstant("PLAIN", -12);
    EXPECT_EQ(Expand(interpolator, "$ID $PLAIN"), "005 -12");
}

TEST(InterpolatorTest, AddingANameAgainReplacesAndRemovingForgets)
{
    CxInterpolator interpolator;
    interpolator.AddConstant("X", "one");
    interpolator.AddConstant("X", "two");
    EXPECT_EQ(interpolator.GetVariables().GetCount(), 1);
    EXPECT_EQ(Expand(interpolator, "$X"), "two");
    interpolator.RemoveVariable("X");
    EXPECT_EQ(Expand(interpolator, "$X"), "$X");
}

TEST(InterpolatorTest, ClonesAreIndependentCopies)
{
    CxInterpolator interpolator;
    long n = 3;
    interpolator.AddNumberVariable("N", &n);
    CxInterpolator::CxVariable* clone = interpolator.FindVariable("N")->Clone();
    ASSERT_NE(clone, nullptr);
    interpolator.RemoveVariable("N");
    n = 4;
    EXPECT_EQ(std::string(clone->GetValue().c_str()), "4");
    delete clone;
}

// ---- expansion rules ----

TEST(InterpolatorTest, NamesAreCaseSensitive)
{
    CxInterpolator interpolator;
    interpolator.AddConstant("Name", "x");
    EXPECT_EQ(Expand(interpolator, "$Name $NAME $name"), "x $NAME $name");
}

TEST(InterpolatorTest, BracesSeparateANameFromFollowingLetters)
{
    CxInterpolator interpolator;
    interpolator.AddConstant("A", "1");
    interpolator.AddConstant("AB", "2");
    EXPECT_EQ(Expand(interpolator, "${A}B $AB"), "1B 2");
}

TEST(InterpolatorTest, BracedNamesAreBuiltFromOtherVariables)
{
    CxInterpolator interpolator;
    interpolator.AddConstant("LEVEL", "2");
    interpolator.AddConstant("SEQ_2", "hard.seq");
    EXPECT_EQ(Expand(interpolator, "${SEQ_${LEVEL}}"), "hard.seq");
}

TEST(InterpolatorTest, UnknownNamesStayWithoutTheirBraces)
{
    CxInterpolator interpolator;
    EXPECT_EQ(Expand(interpolator, "$GAMEPATH\\x ${NOPE}y"), "$GAMEPATH\\x $NOPEy");
}

TEST(InterpolatorTest, LoneDollarSignsStay)
{
    CxInterpolator interpolator;
    EXPECT_EQ(Expand(interpolator, "cost $ 5 and $"), "cost $ 5 and $");
}

TEST(InterpolatorTest, UnclosedBraceDropsTheRest)
{
    CxInterpolator interpolator;
    interpolator.AddConstant("A", "1");
    EXPECT_EQ(Expand(interpolator, "$A before ${A after"), "1 before ");
}

TEST(InterpolatorTest, SelfReferenceIsNotExpandedAgain)
{
    CxInterpolator interpolator;
    interpolator.AddConstant("LOOP", "<$LOOP ${LOOP}>");
    EXPECT_EQ(Expand(interpolator, "$LOOP"), "<$LOOP ${LOOP}>");
}

TEST(InterpolatorTest, OutputIsCappedAtTheLongestString)
{
    CxInterpolator interpolator;
    interpolator.AddConstant("BIG", std::string(20000, 'x').c_str());
    const CxString out = interpolator.Expand("$BIG$BIG$BIG$BIG");
    EXPECT_EQ(out.GetLength(), CX_STRING_MAX);
}

TEST(InterpolatorTest, DeeplyNestedBracesDoNotRecurseWithoutBound)
{
    CxInterpolator interpolator;
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "${";
    text += "X";
    for (int i = 0; i < 5000; ++i)
        text += "}";
    const CxString out = interpolator.Expand(text.c_str());
    EXPECT_EQ(out[0], '$');
}

// ---- number formats ----

TEST(FormatLongTest, IntegerConversionsTakeTheLongValue)
{
    EXPECT_EQ(Format("%d", -5), "-5");
    EXPECT_EQ(Format("%05ld", 42), "00042");
    EXPECT_EQ(Format("x=%X!", 255), "x=FF!");
    EXPECT_EQ(Format("%c", 'A'), "A");
    EXPECT_EQ(Format("100%%", 1), "100%");
    EXPECT_EQ(Format("%d", 4000000000L), "4000000000");
}

TEST(FormatLongTest, ConversionsThatWouldReadMissingArgumentsAreWrittenOut)
{
    EXPECT_EQ(Format("%s", 1), "%s");
    EXPECT_EQ(Format("%d and %d", 3), "3 and %d");
    EXPECT_EQ(Format("%n%d", 3), "%n3");
    EXPECT_EQ(Format("no number", 3), "no number");
    EXPECT_EQ(Format("%99999999d", 3), "%99999999d");
}
