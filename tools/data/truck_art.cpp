#include "tools/data/truck_art.h"

#include "engine/base/error_codes.h"
#include "tools/data/cairo_art.h"
#include "tools/smk/smk_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr ArtColour kTyre{30, 30, 34};
constexpr ArtColour kTread{110, 110, 118};
constexpr ArtColour kGlass{170, 215, 245};
constexpr ArtColour kLamp{255, 240, 120};
constexpr ArtColour kOutline{25, 25, 30};
constexpr ArtColour kWhite{250, 250, 250};
// Bump frames: the body's length against its normal length.
constexpr double kSquash[] = {0.92, 0.78, 0.72, 0.8, 0.9, 1.0};
constexpr int32_t kModeFrames[VEHICLE_MODES] = {4, 4, 6};

void SetColour(cairo_t* cr, ArtColour c)
{
    cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

void Box(cairo_t* cr, double x, double y, double w, double h, ArtColour c)
{
    cairo_rectangle(cr, x, y, w, h);
    SetColour(cr, c);
    cairo_fill(cr);
}

void Ellipse(cairo_t* cr, double x, double y, double rx, double ry, ArtColour c)
{
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
    SetColour(cr, c);
    cairo_fill(cr);
}

void Line(cairo_t* cr, double x0, double y0, double x1, double y1, double width, ArtColour c)
{
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    SetColour(cr, c);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

void RoundedPath(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void RoundedBox(cairo_t* cr, double x, double y, double w, double h, double r, ArtColour c)
{
    RoundedPath(cr, x, y, w, h, r);
    SetColour(cr, c);
    cairo_fill_preserve(cr);
    SetColour(cr, kOutline);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

// The centre of tyre k (0 front left, 1 front right, 2 rear left, 3 rear right).
void TyreCentre(const VehicleLook& look, int32_t k, double* x, double* y)
{
    *x = (k % 2 ? 1 : -1) * (look.width / 2 - 1.5);
    *y = (k < 2 ? -1 : 1) * (look.length / 2 - look.length * 0.2);
}

void DrawTyres(cairo_t* cr, const VehicleLook& look, int32_t tread)
{
    for (int32_t k = 0; k < 4; ++k)
    {
        double x = 0, y = 0;
        TyreCentre(look, k, &x, &y);
        Box(cr, x - 2.5, y - 5, 5, 10, kTyre);
        // Two tread lines that move along the tyre from frame to frame.
        for (int32_t line = 0; line < 2; ++line)
            Box(cr, x - 2.5, y - 5 + std::fmod(tread * 2.5 + line * 5.0, 10.0), 5, 1, kTread);
    }
}

// The load area behind the cab: x from -w/2, y from top, w wide, h long.
void DrawLoad(cairo_t* cr, const VehicleLook& look, double top, double h)
{
    const double w = look.width - 8, x = -w / 2;
    switch (look.kind)
    {
    case VehicleKind::Dump:
        Box(cr, x + 2, top, w - 4, h, look.trim);
        for (int32_t i = 1; i < 4; ++i)
            Line(cr, x + 2, top + h * i / 4, x + w - 2, top + h * i / 4, 1, kOutline);
        break;
    case VehicleKind::Fire:
        for (double rail : {x + 1, x + w - 3})
            Box(cr, rail, top, 2, h, look.trim);
        for (double y = top + 2; y < top + h; y += 4)
            Box(cr, x + 1, y, w - 2, 1, look.trim);
        break;
    case VehicleKind::Tow:
        Box(cr, x, top, w, h * 0.5, look.trim);
        Line(cr, 0, top + 4, 0, top + h + 5, 3, kOutline);
        Ellipse(cr, 0, top + h + 5, 2.5, 2.5, look.trim);
        break;
    case VehicleKind::Mail:
        Box(cr, x + 3, top + h * 0.25, w - 6, h * 0.4, look.trim);
        Line(cr, x + 3, top + h * 0.25, 0, top + h * 0.45, 1, kWhite);
        Line(cr, x + w - 3, top + h * 0.25, 0, top + h * 0.45, 1, kWhite);
        for (double side : {-look.width / 2 + 3, look.width / 2 - 5})
            Box(cr, side, -look.length / 2 + 2, 2, look.length - 4, look.cab);
        break;
    case VehicleKind::Junk:
        Box(cr, x + 1, top + 2, w * 0.5, h * 0.3, look.trim);
        Box(cr, x + w * 0.4, top + h * 0.5, w * 0.55, h * 0.35, kTread);
        for (double y : {top + 3, top + h - 4})
            for (double bx : {x + 2, x + w - 3})
                Box(cr, bx, y, 2, 2, kOutline);
        break;
    case VehicleKind::Racer:
        for (double stripe : {-3.0, 1.0})
            Box(cr, stripe, -look.length / 2 + 1, 2, look.length - 2, look.trim);
        Box(cr, -look.width / 2 - 1, top + h - 3, look.width + 2, 3, kOutline);
        break;
    case VehicleKind::Smoke:
        for (double y : {top + h * 0.3, top + h * 0.7})
        {
            Ellipse(cr, 0, y, 5, 5, look.trim);
            Ellipse(cr, 0, y, 3, 3, kOutline);
        }
        break;
    case VehicleKind::Garbage:
        Box(cr, x, top, w, h - 3, look.trim);
        for (double y = top + 3; y < top + h - 3; y += 5)
            Line(cr, x, y, x + w, y, 1, kOutline);
        Box(cr, x, top + h - 3, w, 2, kLamp);
        break;
    case VehicleKind::HandTruck:
        break;
    }
}

// The cab's roof: light bars and beacons.
void DrawRoof(cairo_t* cr, const VehicleLook& look, double cabTop, double cabLength)
{
    const double y = cabTop + cabLength * 0.62;
    if (look.kind == VehicleKind::Fire)
    {
        Box(cr, -look.width / 2 + 5, y, look.width - 10, 3, ArtColour{40, 90, 230});
        Box(cr, -look.width / 2 + 5, y, 3, 3, kWhite);
    }
    else if (look.kind == VehicleKind::Tow || look.kind == VehicleKind::Garbage)
        Ellipse(cr, 0, y + 1, 2.5, 2.5, ArtColour{250, 160, 20});
}

// A two-wheeled hand truck with a parcel on it, its toe plate in front.
void DrawHandTruck(cairo_t* cr, const VehicleLook& look, int32_t tread)
{
    const double hl = look.length / 2, hw = look.width / 2;
    DrawTyres(cr, look, tread);
    for (double rail : {-hw + 3, hw - 5})
        Box(cr, rail, -hl + 2, 2, look.length - 2, kTread);
    Box(cr, -hw + 3, hl - 2, look.width - 6, 2, kOutline); // the handle
    Box(cr, -hw + 3, -hl, look.width - 6, 3, kTread);      // the toe plate
    RoundedBox(cr, -hw + 4, -hl + 3, look.width - 8, look.length * 0.55, 1.5, look.body);
    Line(cr, 0, -hl + 3, 0, -hl + 3 + look.length * 0.55, 2, look.trim); // parcel tape
}

void DrawVehicle(cairo_t* cr, const VehicleLook& look, int32_t tread)
{
    if (look.kind == VehicleKind::HandTruck)
    {
        DrawHandTruck(cr, look, tread);
        return;
    }
    const double hl = look.length / 2, hw = look.width / 2;
    const double cabLength = look.length * 0.3;
    DrawTyres(cr, look, tread);
    RoundedBox(cr, -hw + 2, -hl, look.width - 4, look.length, 4, look.body);
    DrawLoad(cr, look, -hl + cabLength + 2, look.length - cabLength - 4);
    RoundedBox(cr, -hw + 2, -hl, look.width - 4, cabLength, 4, look.cab);
    Box(cr, -hw + 4, -hl + 3, look.width - 8, cabLength * 0.35, kGlass);
    for (double lamp : {-hw + 3, hw - 6})
        Box(cr, lamp, -hl, 3, 2, kLamp);
    DrawRoof(cr, look, -hl, cabLength);
}

// Turbo: sparks from the rear tyres and a flame from the exhaust.
void DrawSparks(cairo_t* cr, const VehicleLook& look, int32_t frame)
{
    const ArtColour colours[] = {{255, 230, 60}, {255, 150, 30}, {255, 255, 210}};
    uint32_t seed = 2166136261u ^ static_cast<uint32_t>(frame * 7919 + static_cast<int32_t>(look.kind));
    for (int32_t k = 2; k < 4; ++k)
    {
        double x = 0, y = 0;
        TyreCentre(look, k, &x, &y);
        for (int32_t i = 0; i < 3; ++i)
        {
            seed = seed * 1664525u + 1013904223u;
            const double spread = ((seed >> 8) % 90) * kPi / 180.0 - kPi / 4;
            const double reach = 5 + (seed >> 20) % 6;
            const double dx = std::sin(spread) * reach * (k == 2 ? -1 : 1), dy = std::cos(spread) * reach;
            Line(cr, x, y + 5, x + dx, y + 5 + dy, 1, colours[(seed >> 4) % 3]);
        }
    }
    const double flame = 5 + (frame % 2) * 3 + frame % 3;
    const double tail = look.length / 2;
    cairo_move_to(cr, -3, tail);
    cairo_line_to(cr, 3, tail);
    cairo_line_to(cr, 0, tail + flame);
    cairo_close_path(cr);
    SetColour(cr, colours[1]);
    cairo_fill(cr);
}

// Driving: a puff of exhaust that grows and goes.
void DrawExhaust(cairo_t* cr, const VehicleLook& look, int32_t frame)
{
    if (frame >= 3 || look.kind == VehicleKind::HandTruck)
        return;
    const double r = 1.5 + frame * 0.8;
    Ellipse(cr, look.width / 2 - 5, look.length / 2 + 1 + r + frame, r, r, ArtColour{150, 150, 150});
}

// Bump: little stars around the nose while the body is squashed.
void DrawBumpStars(cairo_t* cr, const VehicleLook& look, int32_t frame)
{
    if (frame < 1 || frame > 3)
        return;
    const double y = -look.length * kSquash[frame] / 2 - 2;
    for (double x : {-look.width / 2, look.width / 2})
    {
        Line(cr, x - 2, y, x + 2, y, 1, kLamp);
        Line(cr, x, y - 2, x, y + 2, 1, kLamp);
    }
}

void DrawFrame(cairo_t* cr, const VehicleLook& look, double angle, int32_t mode, int32_t frame)
{
    cairo_translate(cr, look.frameSize / 2.0, look.frameSize / 2.0);
    cairo_rotate(cr, angle * kPi / 180.0);
    if (mode == 1)
        DrawSparks(cr, look, frame);
    else if (mode == 0)
        DrawExhaust(cr, look, frame);
    cairo_save(cr);
    if (mode == 2)
        cairo_scale(cr, 1 + (1 - kSquash[frame]) * 0.6, kSquash[frame]);
    DrawVehicle(cr, look, mode == 0 ? frame : 0);
    cairo_restore(cr);
    if (mode == 2)
        DrawBumpStars(cr, look, frame);
}

// Frames as palette indices sharing one palette whose entry 0 is the key.
class CKeyedFrames
{
public:
    CKeyedFrames()
    {
        m_Palette[0] = 255;
        m_Palette[2] = 255;
    }
    void Add(const CCairoCanvas& canvas)
    {
        cairo_surface_t* surface = cairo_get_target(canvas.Get());
        cairo_surface_flush(surface);
        const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        std::vector<uint8_t> pixels(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y)
        {
            const uint32_t* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
            for (int x = 0; x < w; ++x)
                pixels[static_cast<size_t>(y) * w + x] =
                    (row[x] >> 24) < 128 ? 0 : IndexOf(row[x] & 0xFFFFFF);
        }
        m_Frames.push_back(std::move(pixels));
    }
    const std::vector<std::vector<uint8_t>>& Frames() const { return m_Frames; }
    const uint8_t* Palette() const { return m_Palette; }

private:
    uint8_t IndexOf(uint32_t rgb)
    {
        uint32_t r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF, b = rgb & 0xFF;
        // A drawn colour the movie's 6-bit palette would turn into the key.
        if (r >> 2 == 63 && g >> 2 == 0 && b >> 2 == 63)
            g = 8;
        const uint32_t key = r << 16 | g << 8 | b;
        auto found = m_Index.find(key);
        if (found != m_Index.end())
            return found->second;
        if (m_nUsed == 256)
            return Nearest(r, g, b);
        const uint8_t index = static_cast<uint8_t>(m_nUsed++);
        m_Palette[index * 3] = static_cast<uint8_t>(r);
        m_Palette[index * 3 + 1] = static_cast<uint8_t>(g);
        m_Palette[index * 3 + 2] = static_cast<uint8_t>(b);
        m_Index[key] = index;
        return index;
    }
    uint8_t Nearest(uint32_t r, uint32_t g, uint32_t b) const
    {
        int32_t best = 1, bestDistance = 1 << 30;
        for (int32_t i = 1; i < 256; ++i)
        {
            const int32_t dr = m_Palette[i * 3] - static_cast<int32_t>(r);
            const int32_t dg = m_Palette[i * 3 + 1] - static_cast<int32_t>(g);
            const int32_t db = m_Palette[i * 3 + 2] - static_cast<int32_t>(b);
            const int32_t distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance)
            {
                best = i;
                bestDistance = distance;
            }
        }
        return static_cast<uint8_t>(best);
    }

    uint8_t m_Palette[768] = {};
    int32_t m_nUsed = 1;
    std::unordered_map<uint32_t, uint8_t> m_Index;
    std::vector<std::vector<uint8_t>> m_Frames;
};

void Mouth(cairo_t* cr, int32_t style, double cx, double cy, double w, double h, double open)
{
    const double rx = w / 2 - 1, ry = 1.5 + open * (h / 2 - 2);
    if (style == 2)
    {
        Box(cr, cx - rx, cy - ry, 2 * rx, 2 * ry, kOutline);
        for (double x = cx - rx + 1; x < cx + rx - 1; x += 3)
            Box(cr, x, cy - ry, 2, 1 + open * 2, kWhite);
        return;
    }
    Ellipse(cr, cx, cy, rx, ry, style == 0 ? ArtColour{190, 30, 45} : ArtColour{60, 20, 20});
    if (open <= 0)
        return;
    if (style == 0)
        Ellipse(cr, cx, cy, rx - 2, ry - 1.2, ArtColour{40, 10, 10});
    else
    {
        Box(cr, cx - rx + 2, cy - ry, 2 * rx - 4, 1.5, kWhite);
        Ellipse(cr, cx, cy + ry * 0.5, rx * 0.5, ry * 0.45, ArtColour{240, 120, 140});
    }
}
} // namespace

int32_t ModeFrameCount(int32_t mode)
{
    return mode >= 0 && mode < VEHICLE_MODES ? kModeFrames[mode] : 0;
}

ArtPoint TurnPoint(const VehicleLook& look, double angle, double x, double y)
{
    const double a = angle * kPi / 180.0, half = look.frameSize / 2.0;
    // Clockwise on a screen whose y grows downward.
    const double tx = x * std::cos(a) - y * std::sin(a), ty = x * std::sin(a) + y * std::cos(a);
    return ArtPoint{static_cast<int32_t>(std::lround(half + tx)),
                    static_cast<int32_t>(std::lround(half + ty))};
}

std::vector<ArtPoint> TyrePoints(const VehicleLook& look, double angle)
{
    std::vector<ArtPoint> points;
    for (int32_t k = 0; k < 4; ++k)
    {
        double x = 0, y = 0;
        TyreCentre(look, k, &x, &y);
        points.push_back(TurnPoint(look, angle, x, y));
    }
    return points;
}

ArtRect CollisionBox(const VehicleLook& look, double angle)
{
    // The corners of the body, 2 pixels in from its edges.
    const double hl = look.length / 2 - 2, hw = look.width / 2 - 2;
    ArtRect box{look.frameSize, look.frameSize, 0, 0};
    for (double x : {-hw, hw})
        for (double y : {-hl, hl})
        {
            const ArtPoint p = TurnPoint(look, angle, x, y);
            box = ArtRect{std::min(box.left, p.x), std::min(box.top, p.y), std::max(box.right, p.x),
                          std::max(box.bottom, p.y)};
        }
    const int32_t last = look.frameSize - 1;
    return ArtRect{std::clamp(box.left, 0, last), std::clamp(box.top, 0, last),
                   std::clamp(box.right, 0, last), std::clamp(box.bottom, 0, last)};
}

ArtPoint PlaceInFrame(const VehicleLook& look, double angle, double x, double y, int32_t w, int32_t h)
{
    const ArtPoint centre = TurnPoint(look, angle, x, y);
    return ArtPoint{std::clamp(centre.x - w / 2, 0, std::max(0, look.frameSize - w)),
                    std::clamp(centre.y - h / 2, 0, std::max(0, look.frameSize - h))};
}

bool EncodeVehicleMovie(const VehicleLook& look, double angle, int32_t mode, std::vector<uint8_t>* file)
{
    CKeyedFrames frames;
    for (int32_t f = 0; f < ModeFrameCount(mode); ++f)
    {
        CCairoCanvas canvas(look.frameSize, look.frameSize);
        DrawFrame(canvas.Get(), look, angle, mode, f);
        frames.Add(canvas);
    }
    CxSmackerEncoder encoder;
    encoder.Begin(look.frameSize, look.frameSize, VEHICLE_MOVIE_FPS);
    for (const std::vector<uint8_t>& pixels : frames.Frames())
        encoder.AddFrame(pixels.data(), frames.Palette());
    if (frames.Frames().empty() || encoder.Finish(file) != CX_ERR_NONE)
    {
        fprintf(stderr, "make-demo-data: could not encode a vehicle movie: %s\n",
                GetErrorText(encoder.GetError()));
        return false;
    }
    return true;
}

bool SaveMouthStrip(const std::string& path, int32_t style, int32_t w, int32_t h, int32_t frames)
{
    CCairoCanvas canvas(w * frames, h);
    for (int32_t k = 0; k < frames; ++k)
        Mouth(canvas.Get(), style, k * w + w / 2.0, h / 2.0, w, h, frames > 1 ? k / (frames - 1.0) : 0.0);
    return canvas.SaveTga(path);
}
