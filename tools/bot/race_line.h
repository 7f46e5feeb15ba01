// The race strategy's geometry, on map points: a point some way ahead along
// a course, and a way round the rectangles the truck must not touch. Kept
// apart from the game so that it can be tested on its own.
#pragma once

#include "engine/base/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace race_line {
inline double Length(double dx, double dy)
{
    return std::hypot(dx, dy);
}
} // namespace race_line

// The point ahead pixels along the line of points from where p lies on its
// segment segment (points[segment] to points[segment + 1]), p brought onto
// the segment first; the line's last point when it ends sooner. An empty
// line gives p.
inline CxPoint RaceLookAhead(const std::vector<CxPoint>& points, int32_t segment, const CxPoint& p,
                             double ahead)
{
    const int32_t n = static_cast<int32_t>(points.size());
    if (n == 0)
        return p;
    if (segment < 0)
        segment = 0;
    if (segment >= n - 1)
        return points.back();
    double x = p.x, y = p.y;
    for (int32_t i = segment; i < n - 1; ++i)
    {
        const double ax = points[i].x, ay = points[i].y;
        const double dx = points[i + 1].x - ax, dy = points[i + 1].y - ay;
        const double length = race_line::Length(dx, dy);
        if (length <= 0.0)
            continue;
        // Where the walk is on this segment: p's foot on the first, its start after.
        double t = 0.0;
        if (i == segment)
            t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (length * length), 0.0, 1.0);
        const double left = (1.0 - t) * length;
        if (ahead <= left)
        {
            const double at = t + ahead / length;
            return CxPoint(static_cast<int32_t>(std::lround(ax + at * dx)),
                           static_cast<int32_t>(std::lround(ay + at * dy)));
        }
        ahead -= left;
        x = points[i + 1].x, y = points[i + 1].y;
    }
    return points.back();
}

// Where along from-to (0 at from, 1 at to) the segment first enters the
// inside of rect (its edges left out), or nothing when it does not.
inline std::optional<double> RaceSegmentEnters(const CxPoint& from, const CxPoint& to, const CxRect& rect)
{
    // Liang-Barsky clipping against the open rectangle.
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {from.x - static_cast<double>(rect.left), static_cast<double>(rect.right) - from.x,
                         from.y - static_cast<double>(rect.top), static_cast<double>(rect.bottom) - from.y};
    double enter = 0.0, leave = 1.0;
    for (int i = 0; i < 4; ++i)
    {
        if (p[i] == 0.0)
        {
            if (q[i] <= 0.0)
                return std::nullopt;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            enter = std::max(enter, t);
        else
            leave = std::min(leave, t);
    }
    if (enter >= leave)
        return std::nullopt;
    return enter;
}

// The point to head for to get from from to to without entering any of the
// rectangles: to itself when the way is clear, else the corner of the first
// rectangle in the way (from the outside of it) that makes the shorter way
// round. A rectangle from is already inside of is left out.
inline CxPoint RaceDetour(const CxPoint& from, const CxPoint& to, const std::vector<CxRect>& blocks)
{
    const CxRect* first = nullptr;
    double firstAt = 2.0;
    for (const CxRect& block : blocks)
    {
        if (block.IsEmpty() ||
            (from.x > block.left && from.x < block.right && from.y > block.top && from.y < block.bottom))
            continue;
        if (const std::optional<double> at = RaceSegmentEnters(from, to, block); at && *at < firstAt)
            first = &block, firstAt = *at;
    }
    if (!first)
        return to;
    const CxPoint corners[4] = {
        CxPoint(first->left - 1, first->top - 1), CxPoint(first->right + 1, first->top - 1),
        CxPoint(first->left - 1, first->bottom + 1), CxPoint(first->right + 1, first->bottom + 1)};
    CxPoint best = to;
    double bestLength = 0.0;
    bool found = false;
    for (const CxPoint& corner : corners)
    {
        if (RaceSegmentEnters(from, corner, *first))
            continue;
        const double length = race_line::Length(corner.x - from.x, corner.y - from.y) +
                              race_line::Length(to.x - corner.x, to.y - corner.y);
        if (!found || length < bestLength)
            best = corner, bestLength = length, found = true;
    }
    return best;
}

// The line of points moved sideways by lane pixels to the inside of its
// turns (the side it turns toward most: right when its turns add up to a
// right turn, on the screen's y-down axes), each point by the mitre of the
// segments that meet there, at most twice the lane. A line of fewer than
// two distinct points comes back as it is.
inline std::vector<CxPoint> RaceInsideLane(const std::vector<CxPoint>& points, double lane)
{
    const size_t n = points.size();
    // The right-hand unit normal of each segment (zero for a segment of one point).
    std::vector<std::pair<double, double>> normals;
    double turning = 0.0;
    for (size_t i = 0; i + 1 < n; ++i)
    {
        const double dx = points[i + 1].x - points[i].x, dy = points[i + 1].y - points[i].y;
        const double length = race_line::Length(dx, dy);
        normals.push_back(length > 0.0 ? std::make_pair(-dy / length, dx / length)
                                       : std::make_pair(0.0, 0.0));
        if (i > 0)
            turning += normals[i - 1].first * normals[i].second - normals[i - 1].second * normals[i].first;
    }
    if (normals.empty())
        return points;
    const double side = turning < 0.0 ? -lane : lane;
    std::vector<CxPoint> lanePoints;
    for (size_t i = 0; i < n; ++i)
    {
        const auto& before = normals[i > 0 ? i - 1 : 0];
        const auto& after = normals[i < normals.size() ? i : normals.size() - 1];
        double mx = before.first + after.first, my = before.second + after.second;
        const double length = race_line::Length(mx, my);
        double scale = 0.0;
        if (length > 1e-9)
        {
            mx /= length, my /= length;
            // The mitre: lane / cos(half the turn), capped.
            const double cosine = mx * after.first + my * after.second;
            scale = cosine > 0.5 ? side / cosine : 2.0 * side;
        }
        lanePoints.push_back(CxPoint(points[i].x + static_cast<int32_t>(std::lround(mx * scale)),
                                     points[i].y + static_cast<int32_t>(std::lround(my * scale))));
    }
    return lanePoints;
}
