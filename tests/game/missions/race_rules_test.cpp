#include "engine/core/error.h"
#include "engine/core/options.h"
#include "game/missions/race.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {
CRaceCourse Course(std::initializer_list<CxPoint> points)
{
    CRaceCourse course;
    for (const CxPoint& p : points)
        course.Add(p.x, p.y, false);
    return course;
}

CRaceCourse ReadCourse(const std::string& text)
{
    CxOptions file;
    file.Parse(text.c_str(), static_cast<uint32_t>(text.size()));
    CRaceCourse course;
    course.Read(file);
    return course;
}

TEST(RaceCourse, DistancesAddUpAlongTheCourse)
{
    const CRaceCourse course = Course({{0, 0}, {300, 400}, {300, 1000}});
    EXPECT_FLOAT_EQ(course.Length(), 1100.0f);
    const float fields[] = {0.0f, 500.0f, 1100.0f};
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_FLOAT_EQ(course.At(i).distance, fields[i]) << i;
    EXPECT_TRUE(course.IsUsable());
    EXPECT_FALSE(Course({{5, 5}}).IsUsable());
    EXPECT_FALSE(Course({{5, 5}, {5, 5}}).IsUsable());
}

struct NearestCase
{
    const char* what;
    CxPoint truck;
    int32_t from, expected;
    float distance;
};

TEST(RaceCourse, NearestWaypointLooksAroundTheCurrentIndex)
{
    // A straight course along x, waypoints 300 apart, with 3 and 4 at one place.
    const CRaceCourse course = Course({{0, 0}, {300, 0}, {600, 0}, {900, 0}, {900, 0}, {1200, 0}});
    static const NearestCase CASES[] = {
        {"on waypoint 2", {600, 0}, 2, 1, 300.0f}, // ties with the segment before: the earlier
        {"between 1 and 2", {400, 10}, 1, 1, 100.499f},
        {"just past 1", {310, 0}, 1, 1, 10.0f},
        {"first index", {-50, 0}, 0, 0, 50.0f},
        {"last index", {1250, 0}, 5, 5, 50.0f},
        {"too far ahead to see", {1200, 0}, 0, 1, 900.0f},
        {"tie keeps the lower", {450, 0}, 2, 1, 150.0f},
        {"equal consecutive", {1000, 5}, 5, 4, 100.125f},
        {"index from elsewhere", {1200, 0}, 40, 5, 0.0f},
    };
    for (const NearestCase& c : CASES)
    {
        float distance = -1.0f;
        EXPECT_EQ(course.Nearest(c.truck, c.from, &distance), c.expected) << c.what;
        EXPECT_NEAR(distance, c.distance, 0.01f) << c.what;
    }
}

TEST(RaceCourse, SegmentDistanceClampsAndCopesWithAPoint)
{
    EXPECT_FLOAT_EQ(SegmentDistance({50, 30}, {0, 0}, {100, 0}), 30.0f);
    EXPECT_FLOAT_EQ(SegmentDistance({-30, 40}, {0, 0}, {100, 0}), 50.0f);
    EXPECT_FLOAT_EQ(SegmentDistance({130, 40}, {0, 0}, {100, 0}), 50.0f);
    EXPECT_FLOAT_EQ(SegmentDistance({3, 4}, {0, 0}, {0, 0}), 5.0f);
}

TEST(RaceRules, ProgressPositionAndEnemySpeed)
{
    EXPECT_EQ(RaceProgressPosition(920.0f, 1200.0f), 7);
    EXPECT_EQ(RaceProgressPosition(1200.0f, 1200.0f), 9);
    EXPECT_EQ(RaceProgressPosition(5.0f, 0.0f), 0);
    static const struct
    {
        float lead, truckMax, expected;
    } SPEEDS[] = {{241, 8, 9}, {240, 8, 5.5f}, {49, 8, 5}, {-30, 8, 5},
                  {241, 2, 3}, {240, 2, 5.5f}, {49, 2, 1}, {-30, 2, 1}};
    for (const auto& s : SPEEDS)
        EXPECT_FLOAT_EQ(RaceEnemyMaxSpeed(s.lead, s.truckMax, 5.5f), s.expected)
            << s.lead << " " << s.truckMax;
    const uint32_t bits[] = {0, 0x20, 0x40, 0x80, 0x100, 0};
    for (int32_t vehicle = -1; vehicle <= 4; ++vehicle)
        EXPECT_EQ(RaceVehicleBit(vehicle), bits[vehicle + 1]) << vehicle;
}

TEST(RaceCourse, ReadingMarksPhasesAndStopsAtABadWaypoint)
{
    ErrorCapture capture;
    CRaceCourse course = ReadCourse("[Waypoints]\nCount=6\nWaypoint0=0, 0\nWaypoint1=400,0\n"
                                    "Waypoint2 = 400 , 300\nWaypoint3=0, 300 NextPhase\n"
                                    "Waypoint4=1200, 800NextPhase\nWaypoint5=oops\n");
    ASSERT_EQ(course.Count(), 5);
    EXPECT_EQ(course.At(3).nextPhase, 1);
    EXPECT_EQ(course.At(2).nextPhase, 0);
    EXPECT_EQ(course.At(4).x, 1200);
    EXPECT_EQ(course.At(4).y, 800);
    EXPECT_EQ(course.At(4).nextPhase, 1);
    ASSERT_EQ(capture.Errors().size(), 1u);
    EXPECT_EQ(capture.Errors()[0].code, CX_ERR_UNKNOWN);
    EXPECT_EQ(capture.Errors()[0].text, "Bad waypoint 5");
    static const struct
    {
        const char* text;
        int32_t count;
    } COUNTS[] = {{"[Waypoints]\nCount=-4\nWaypoint0=1, 1\n", 0},
                  {"[Waypoints]\nWaypoint0=1, 1\n", 0},
                  {"[Waypoints]\nCount=2\nWaypoint0=1, 1\nWaypoint1=99999999999, 1\n", 1},
                  {"[Waypoints]\nCount=1\nWaypoint0=7\n", 0}};
    for (const auto& c : COUNTS)
        EXPECT_EQ(ReadCourse(c.text).Count(), c.count) << c.text;
    // A huge count is cut to the limit; the missing waypoints end the table.
    std::string many = "[Waypoints]\nCount=5000\n";
    for (int i = 0; i < 1200; ++i)
        many += "Waypoint" + std::to_string(i) + "=" + std::to_string(i) + ", 0\n";
    EXPECT_EQ(ReadCourse(many).Count(), RACE_MAX_WAYPOINTS);
}

TEST(RaceRules, NumbersNeedCommasAndFitIn32Bits)
{
    int32_t v[3] = {};
    EXPECT_TRUE(ParseRaceNumbers(" 3, -40 ,7 tail", v, 3));
    EXPECT_EQ(v[1], -40);
    EXPECT_FALSE(ParseRaceNumbers("3 4 5", v, 3));
    EXPECT_FALSE(ParseRaceNumbers("3, 4", v, 3));
    EXPECT_FALSE(ParseRaceNumbers("3, 4, 2147483648", v, 3));
    EXPECT_FALSE(ParseRaceNumbers(nullptr, v, 1));
}
} // namespace
