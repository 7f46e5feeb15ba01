#include "engine/core/options.h"
#include "game/missions/race.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {
CRaceCourse ReadCourse(const std::string& text)
{
    CxOptions file;
    file.Parse(text.c_str(), static_cast<uint32_t>(text.size()));
    CRaceCourse course;
    course.Read(file);
    return course;
}

TEST(RaceCourse, ReadingAddsUpTheCourseMarksPhasesAndStopsAtABadWaypoint)
{
    ErrorCapture capture;
    const CRaceCourse course = ReadCourse("[Waypoints]\nCount=6\nWaypoint0=0, 0\nWaypoint1=300 ,400\n"
                                          "Waypoint2=300, 1000 NextPhase\nWaypoint4=1200, 800NextPhase\n");
    ASSERT_EQ(course.Count(), 3);
    EXPECT_FLOAT_EQ(course.Length(), 1100.0f);
    EXPECT_FLOAT_EQ(course.At(1).distance, 500.0f);
    EXPECT_EQ(course.At(2).nextPhase + course.At(1).nextPhase, 1);
    ASSERT_EQ(capture.Errors().size(), 1u);
    EXPECT_EQ(capture.Errors()[0].text, "Bad waypoint 3");
    RaceWaypoint marked;
    ASSERT_TRUE(ParseWaypoint("1200, 800 NextPhase", &marked));
    EXPECT_TRUE(marked.x == 1200 && marked.y == 800 && marked.nextPhase == 1);
    // Counts below 0, numbers beyond 32 bits, one number, a huge count.
    for (const char* text : {"Count=-4\nWaypoint0=1, 1\n",
                             "Count=2\nWaypoint0=1, 1\nWaypoint1=99999999999, 1\n", "Count=1\nWaypoint0=7\n"})
        EXPECT_LE(ReadCourse(std::string("[Waypoints]\n") + text).Count(), 1) << text;
    std::string many = "[Waypoints]\nCount=5000\n";
    for (int i = 0; i < 1001; ++i)
        many += "Waypoint" + std::to_string(i) + "=" + std::to_string(i) + ", 0\n";
    EXPECT_EQ(ReadCourse(many).Count(), RACE_MAX_WAYPOINTS);
    EXPECT_FALSE(ReadCourse("[Waypoints]\nCount=2\nWaypoint0=5, 5\nWaypoint1=5, 5\n").IsUsable());
}

TEST(RaceCourse, NearestWaypointLooksAroundTheCurrentIndex)
{
    // Along x, 300 apart, with 3 and 4 at one place.
    const CRaceCourse course =
        ReadCourse("[Waypoints]\nCount=6\nWaypoint0=0, 0\nWaypoint1=300, 0\n"
                   "Waypoint2=600, 0\nWaypoint3=900, 0\nWaypoint4=900, 0\nWaypoint5=1200, 0\n");
    static const struct
    {
        CxPoint truck;
        int32_t from, expected;
        float distance;
    } CASES[] = {
        {{600, 0}, 2, 1, 300.0f},    // on a waypoint: the segment before ties, the earlier wins
        {{400, 10}, 1, 1, 100.499f}, // between two: the earlier
        {{450, 0}, 2, 1, 150.0f},    // equally near two: the lower
        {{-50, 0}, 0, 0, 50.0f},     // first index
        {{1250, 0}, 5, 5, 50.0f},    // last index
        {{1200, 0}, 0, 1, 900.0f},   // one step at a time
        {{1000, 5}, 5, 4, 100.125f}, // equal consecutive waypoints
        {{1200, 0}, 40, 5, 0.0f},    // an index from another course
    };
    for (const auto& c : CASES)
    {
        float distance = -1.0f;
        EXPECT_EQ(course.Nearest(c.truck, c.from, &distance), c.expected) << c.truck.x << " from " << c.from;
        EXPECT_NEAR(distance, c.distance, 0.01f) << c.truck.x << " from " << c.from;
    }
    EXPECT_FLOAT_EQ(SegmentDistance({-30, 40}, {0, 0}, {100, 0}), 50.0f);
    EXPECT_FLOAT_EQ(SegmentDistance({3, 4}, {7, 7}, {7, 7}), 5.0f);
}

TEST(RaceRules, ProgressEnemySpeedAndVehicleBits)
{
    EXPECT_EQ(RaceProgressPosition(920.0f, 1200.0f), 7);
    EXPECT_EQ(RaceProgressPosition(1300.0f, 1200.0f), 9);
    EXPECT_EQ(RaceProgressPosition(5.0f, 0.0f), 0);
    static const float SPEEDS[][3] = {{241, 8, 9}, {240, 8, 5.5f}, {49, 8, 5}, {-30, 8, 5},
                                      {241, 2, 3}, {240, 2, 5.5f}, {49, 2, 1}, {-30, 2, 1}};
    for (const auto& s : SPEEDS)
        EXPECT_FLOAT_EQ(RaceEnemyMaxSpeed(s[0], s[1], 5.5f), s[2]) << s[0] << " " << s[1];
    const uint32_t bits[] = {0, 0x20, 0x40, 0x80, 0x100, 0};
    for (int32_t vehicle = -1; vehicle <= 4; ++vehicle)
        EXPECT_EQ(RaceVehicleBit(vehicle), bits[vehicle + 1]) << vehicle;
    int32_t v[3] = {};
    EXPECT_TRUE(ParseRaceNumbers(" 3, -40 ,7 tail", v, 3) && v[1] == -40);
    EXPECT_FALSE(ParseRaceNumbers("3 4 5", v, 3) || ParseRaceNumbers("3, 4", v, 3) ||
                 ParseRaceNumbers(nullptr, v, 1));
}
} // namespace
