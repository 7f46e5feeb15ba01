// The direction-angle table shared by the trucks and the town's help arrow.
//
// Direction d of a truck is drawn heading at table angle d, in degrees
// clockwise on the screen from straight up (x right, y down: 90 points
// right, 270 left). A truck file's [DrivingAngles] section overwrites the
// table, so every truck file of one game carries the same angles.
#pragma once

#include <cstdint>

constexpr int32_t TRUCK_MAX_DIRECTIONS = 16;

// The table (16 entries) to read and to write.
float* GetDirectionAngles();
// Puts back the table the game starts with.
void ResetDirectionAngles();
// The angle of (x, y) from (0, -1), clockwise, in 0 up to 360; angles from
// 348.75 on count as 0. A zero vector gives 0.
float AngleOfVector(float x, float y);
// The entry among 0..count-1 whose angle is nearest (around the circle) to
// angle; ties go to the lower number.
int32_t NearestDirection(float angle, int32_t count);
// One turn from current toward wanted among count directions: -1, 0 or +1.
int32_t DirectionStep(int32_t current, int32_t wanted, int32_t count);
// Any whole number as a direction 0..count-1 (count 0 gives 0).
int32_t WrapDirection(int64_t direction, int32_t count);
