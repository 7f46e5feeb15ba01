// The volume of a sound made by something in the town, from how far it is
// from the middle of the screen. Trucks, characters and map objects share it.
#pragma once

#include "engine/base/geometry.h"

#include <cmath>
#include <cstdint>

// point and viewOrigin in map pixels; the screen's middle is the view origin
// plus (320, 240). Full volume (127) up to 400 pixels, beyond that
// 50800 / (4 d) cut to a whole number. The step from 127 at 400 pixels to 31
// at 401 is how the game has always sounded; it is kept on purpose.
inline int32_t VolumeByDistance(const CxPoint& point, const CxPoint& viewOrigin)
{
    const double dx = static_cast<double>(point.x) - (static_cast<double>(viewOrigin.x) + 320.0);
    const double dy = static_cast<double>(point.y) - (static_cast<double>(viewOrigin.y) + 240.0);
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d <= 400.0)
        return 127;
    return static_cast<int32_t>(50800.0 / (4.0 * d));
}
