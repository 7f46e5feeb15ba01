#include "tools/bot/bot_geometry.h"

#include <algorithm>
#include <cmath>

CxPoint BotClampToScreen(const CxPoint& point)
{
    return CxPoint(std::clamp(point.x, 0, BOT_SCREEN_WIDTH - 1),
                   std::clamp(point.y, 0, BOT_SCREEN_HEIGHT - 1));
}

CxPoint BotSteerPoint(const CxPoint& from, const CxPoint& to)
{
    const CxPoint start = BotClampToScreen(from);
    if (BotClampToScreen(to) == to)
        return to;
    // The largest share t of the way from start to to that stays on the
    // screen, axis by axis; start is on it, so t >= 0.
    const double dx = static_cast<double>(to.x) - start.x, dy = static_cast<double>(to.y) - start.y;
    double t = 1.0;
    if (dx > 0)
        t = std::min(t, (BOT_SCREEN_WIDTH - 1 - start.x) / dx);
    else if (dx < 0)
        t = std::min(t, -start.x / dx);
    if (dy > 0)
        t = std::min(t, (BOT_SCREEN_HEIGHT - 1 - start.y) / dy);
    else if (dy < 0)
        t = std::min(t, -start.y / dy);
    const CxPoint point(start.x + static_cast<int32_t>(std::lround(t * dx)),
                        start.y + static_cast<int32_t>(std::lround(t * dy)));
    return BotClampToScreen(point);
}

int64_t BotDistance2(const CxPoint& a, const CxPoint& b)
{
    const int64_t dx = static_cast<int64_t>(a.x) - b.x, dy = static_cast<int64_t>(a.y) - b.y;
    return dx * dx + dy * dy;
}

double BotSegmentDistance2(const CxPoint& p, const CxPoint& a, const CxPoint& b)
{
    const double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
    const double length2 = dx * dx + dy * dy;
    const double t =
        length2 > 0
            ? std::clamp(((static_cast<double>(p.x) - a.x) * dx + (static_cast<double>(p.y) - a.y) * dy) /
                             length2,
                         0.0, 1.0)
            : 0.0;
    const double x = a.x + t * dx - p.x, y = a.y + t * dy - p.y;
    return x * x + y * y;
}

namespace {
// The two points that take the leg a-b round the zone.
void GoRound(const CxPoint& a, const CxPoint& b, const CBotZone& zone, double radius,
             std::vector<CxPoint>& out)
{
    const double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
    const double length = std::max(1.0, std::hypot(dx, dy));
    const double ax = dx / length, ay = dy / length;
    double px = -ay, py = ax;
    // Away from the building.
    if (px * (zone.building.x - zone.centre.x) + py * (zone.building.y - zone.centre.y) > 0)
        px = -px, py = -py;
    const double d = radius + BOT_DETOUR_MARGIN;
    for (const double side : {-1.0, 1.0})
        out.emplace_back(zone.centre.x + static_cast<int32_t>(std::lround(side * d * ax + d * px)),
                         zone.centre.y + static_cast<int32_t>(std::lround(side * d * ay + d * py)));
}
} // namespace

std::vector<CxPoint> BotAvoidZones(const std::vector<CxPoint>& points, const std::vector<CBotZone>& zones,
                                   double radius)
{
    const double radius2 = radius * radius;
    auto inZone = [&](const CxPoint& p) {
        return std::any_of(zones.begin(), zones.end(), [&](const CBotZone& z) {
            return static_cast<double>(BotDistance2(p, z.centre)) < radius2;
        });
    };
    std::vector<CxPoint> out;
    for (size_t i = 0; i < points.size(); ++i)
    {
        const CxPoint& p = points[i];
        if (i > 0 && i + 1 < points.size() && inZone(p))
            continue;
        if (!out.empty())
        {
            const CxPoint a = out.back();
            // The zones the leg passes, in their order along it.
            std::vector<const CBotZone*> passed;
            for (const CBotZone& zone : zones)
                if (BotSegmentDistance2(zone.centre, a, p) < radius2 && !(zone.centre == p) &&
                    !(zone.centre == a))
                    passed.push_back(&zone);
            std::sort(passed.begin(), passed.end(), [&](const CBotZone* x, const CBotZone* y) {
                return BotDistance2(a, x->centre) < BotDistance2(a, y->centre);
            });
            for (const CBotZone* zone : passed)
                GoRound(out.back(), p, *zone, radius, out);
        }
        out.push_back(p);
    }
    return out;
}
