#include "game/world/direction_table.h"

#include <cmath>

namespace {
constexpr float kStartAngles[TRUCK_MAX_DIRECTIONS] = {0.0f,   337.5f, 296.46f, 286.0f, 270.0f,  256.6f,
                                                      243.6f, 202.0f, 180.0f,  157.0f, 116.66f, 102.0f,
                                                      90.0f,  76.0f,  63.4f,   25.5f};
float s_Angles[TRUCK_MAX_DIRECTIONS] = {0.0f,   337.5f, 296.46f, 286.0f, 270.0f, 256.6f, 243.6f, 202.0f,
                                        180.0f, 157.0f, 116.66f, 102.0f, 90.0f,  76.0f,  63.4f,  25.5f};
constexpr double kPi = 3.14159265358979323846;
} // namespace

float* GetDirectionAngles()
{
    return s_Angles;
}

void ResetDirectionAngles()
{
    for (int32_t i = 0; i < TRUCK_MAX_DIRECTIONS; ++i)
        s_Angles[i] = kStartAngles[i];
}

float AngleOfVector(float x, float y)
{
    if (x == 0.0f && y == 0.0f)
        return 0.0f;
    // Clockwise from up on a screen whose y grows downward.
    double angle = std::atan2(static_cast<double>(x), static_cast<double>(-y)) * 180.0 / kPi;
    if (angle < 0.0)
        angle += 360.0;
    if (angle >= 348.75 || angle >= 360.0)
        angle = 0.0;
    return static_cast<float>(angle);
}

int32_t NearestDirection(float angle, int32_t count)
{
    if (count > TRUCK_MAX_DIRECTIONS)
        count = TRUCK_MAX_DIRECTIONS;
    if (count < 1)
        return 0;
    int32_t best = 0;
    float bestDistance = 1e30f;
    for (int32_t i = 0; i < count; ++i)
    {
        float distance = std::fabs(angle - s_Angles[i]);
        distance = std::fmod(distance, 360.0f);
        if (distance > 180.0f)
            distance = 360.0f - distance;
        // Strictly nearer only: a tie keeps the lower number.
        if (distance < bestDistance)
        {
            bestDistance = distance;
            best = i;
        }
    }
    return best % count;
}

int32_t DirectionStep(int32_t current, int32_t wanted, int32_t count)
{
    const int32_t half = count / 2;
    if (wanted > current)
        return wanted - current > half ? -1 : 1;
    if (wanted < current)
        return current - wanted <= half ? -1 : 1;
    return 0;
}

int32_t WrapDirection(int64_t direction, int32_t count)
{
    if (count <= 0)
        return 0;
    return static_cast<int32_t>(((direction % count) + count) % count);
}
