// Points, sizes and inclusive rectangles (width = right - left + 1).
#pragma once

#include <cstdint>

struct ST_POINT
{
    int32_t x;
    int32_t y;
};

struct ST_SIZE
{
    int32_t cx;
    int32_t cy;
};

// The constructors are constexpr, so that a geometry constant at namespace
// scope is set before any other file's start-up code reads it.
class CxPoint : public ST_POINT
{
public:
    constexpr CxPoint() : ST_POINT{0, 0} {}
    constexpr CxPoint(int32_t px, int32_t py) : ST_POINT{px, py} {}
    constexpr CxPoint(const ST_POINT& p) : ST_POINT(p) {}
    void Offset(int32_t dx, int32_t dy)
    {
        x += dx;
        y += dy;
    }
    bool operator==(const CxPoint& o) const { return x == o.x && y == o.y; }
    CxPoint operator+(const CxPoint& o) const { return CxPoint(x + o.x, y + o.y); }
    CxPoint operator-(const CxPoint& o) const { return CxPoint(x - o.x, y - o.y); }
};

class CxSize : public ST_SIZE
{
public:
    constexpr CxSize() : ST_SIZE{0, 0} {}
    constexpr CxSize(int32_t w, int32_t h) : ST_SIZE{w, h} {}
    constexpr CxSize(const ST_SIZE& s) : ST_SIZE(s) {}
    bool operator==(const CxSize& o) const { return cx == o.cx && cy == o.cy; }
};

class CxRect
{
public:
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = -1;
    int32_t bottom = -1;

    CxRect() = default;
    constexpr CxRect(int32_t l, int32_t t, int32_t r, int32_t b) : left(l), top(t), right(r), bottom(b) {}
    constexpr CxRect(const CxPoint& p, const CxSize& s)
        : left(p.x), top(p.y), right(p.x + s.cx - 1), bottom(p.y + s.cy - 1)
    {
    }

    int32_t Width() const { return right - left + 1; }
    int32_t Height() const { return bottom - top + 1; }
    CxSize Size() const { return CxSize(Width(), Height()); }
    CxPoint TopLeft() const { return CxPoint(left, top); }
    bool IsEmpty() const { return right < left || bottom < top; }
    void SetEmpty() { *this = CxRect(); }

    bool Contains(int32_t x, int32_t y) const { return x >= left && x <= right && y >= top && y <= bottom; }
    bool Contains(const CxPoint& p) const { return Contains(p.x, p.y); }
    void Offset(int32_t dx, int32_t dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    void Inflate(int32_t dx, int32_t dy)
    {
        left -= dx;
        right += dx;
        top -= dy;
        bottom += dy;
    }

    // The common part of a and b; false (and this empty) when they do not overlap.
    bool Intersect(const CxRect& a, const CxRect& b)
    {
        left = a.left > b.left ? a.left : b.left;
        top = a.top > b.top ? a.top : b.top;
        right = a.right < b.right ? a.right : b.right;
        bottom = a.bottom < b.bottom ? a.bottom : b.bottom;
        if (IsEmpty())
        {
            SetEmpty();
            return false;
        }
        return true;
    }

    // The smallest rectangle holding a and b; an empty one contributes nothing.
    void Union(const CxRect& a, const CxRect& b)
    {
        if (a.IsEmpty())
        {
            *this = b;
            return;
        }
        if (b.IsEmpty())
        {
            *this = a;
            return;
        }
        left = a.left < b.left ? a.left : b.left;
        top = a.top < b.top ? a.top : b.top;
        right = a.right > b.right ? a.right : b.right;
        bottom = a.bottom > b.bottom ? a.bottom : b.bottom;
    }

    bool Overlaps(const CxRect& o) const
    {
        return !IsEmpty() && !o.IsEmpty() && left <= o.right && o.left <= right && top <= o.bottom &&
               o.top <= bottom;
    }

    bool operator==(const CxRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};
