// The race strategy's geometry: the point ahead along a course, the way
// round what the truck must not touch, and the inside lane.
#include "tools/bot/race_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
// An L: down 100, then left 200 (the race's first corner turns this way).
const std::vector<CxPoint> ELL = {CxPoint(500, 0), CxPoint(500, 100), CxPoint(300, 100)};

struct AheadCase
{
    const char* what;
    int32_t segment;
    CxPoint from;
    double ahead;
    CxPoint expected;
};

TEST(RaceLine, LookAheadWalksAlongTheLineFromTheFootOfThePoint)
{
    const AheadCase cases[] = {
        {"on the first segment", 0, CxPoint(500, 20), 50, CxPoint(500, 70)},
        {"off the line, from its foot", 0, CxPoint(530, 20), 50, CxPoint(500, 70)},
        {"round the corner", 0, CxPoint(500, 80), 70, CxPoint(450, 100)},
        {"past the end: the last point", 1, CxPoint(350, 100), 500, CxPoint(300, 100)},
        {"a segment beyond the line", 5, CxPoint(0, 0), 10, CxPoint(300, 100)},
        {"before the start, from the start", 0, CxPoint(500, -40), 10, CxPoint(500, 10)},
    };
    for (const AheadCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(RaceLookAhead(ELL, c.segment, c.from, c.ahead), c.expected);
    }
    EXPECT_EQ(RaceLookAhead({}, 0, CxPoint(7, 8), 10), CxPoint(7, 8));
    // A repeated point adds no length.
    EXPECT_EQ(RaceLookAhead({CxPoint(0, 0), CxPoint(0, 0), CxPoint(0, 100)}, 0, CxPoint(0, 0), 30),
              CxPoint(0, 30));
}

TEST(RaceLine, SegmentsEnterOnlyTheInsideOfARectangle)
{
    const CxRect box(100, 100, 200, 200);
    EXPECT_NEAR(RaceSegmentEnters(CxPoint(0, 150), CxPoint(300, 150), box).value_or(-1), 100.0 / 300.0, 1e-9);
    EXPECT_FALSE(RaceSegmentEnters(CxPoint(0, 150), CxPoint(90, 150), box)) << "stops short";
    EXPECT_FALSE(RaceSegmentEnters(CxPoint(0, 100), CxPoint(300, 100), box)) << "along an edge";
    EXPECT_FALSE(RaceSegmentEnters(CxPoint(0, 0), CxPoint(300, 0), box)) << "passes above";
    EXPECT_NEAR(RaceSegmentEnters(CxPoint(150, 150), CxPoint(400, 150), box).value_or(-1), 0.0, 1e-9)
        << "from inside: at once";
}

TEST(RaceLine, DetourGoesRoundTheFirstRectangleInTheWayTheShorterWay)
{
    const CxRect box(100, 80, 200, 130); // lies mostly above the way from (0,150) to (300,150)
    const CxRect low(100, 140, 200, 300);
    EXPECT_EQ(RaceDetour(CxPoint(0, 150), CxPoint(300, 150), {}), CxPoint(300, 150));
    EXPECT_EQ(RaceDetour(CxPoint(0, 150), CxPoint(300, 150), {box}), CxPoint(300, 150)) << "not in the way";
    // In the way: over its top-left corner, the shorter way round.
    EXPECT_EQ(RaceDetour(CxPoint(0, 150), CxPoint(300, 150), {low}), CxPoint(99, 139));
    // The nearer of two in the way counts.
    const CxRect near(50, 100, 60, 200);
    EXPECT_EQ(RaceDetour(CxPoint(0, 150), CxPoint(300, 140), {low, near}), CxPoint(49, 99));
    // One the truck is already in is left out.
    EXPECT_EQ(RaceDetour(CxPoint(150, 200), CxPoint(150, 400), {low}), CxPoint(150, 400));
}

TEST(RaceLine, TheInsideLaneLiesOnTheSideTheLineTurnsTo)
{
    // Down then left: a right turn on the screen, so the inside is to the
    // truck's right (west while going down, north while going left).
    const std::vector<CxPoint> lane = RaceInsideLane(ELL, 20);
    ASSERT_EQ(lane.size(), 3u);
    EXPECT_EQ(lane[0], CxPoint(480, 0));
    EXPECT_EQ(lane[1], CxPoint(480, 80)) << "the mitre of the corner";
    EXPECT_EQ(lane[2], CxPoint(300, 80));
    // The same course driven the other way turns left: the inside is the other side.
    const std::vector<CxPoint> back = RaceInsideLane({ELL[2], ELL[1], ELL[0]}, 20);
    EXPECT_EQ(back[1], CxPoint(480, 80));
    // Too few points to have a side.
    EXPECT_EQ(RaceInsideLane({CxPoint(3, 4)}, 20), std::vector<CxPoint>{CxPoint(3, 4)});
}
} // namespace
