// The race's pictures and sound: the smoke cloud the smoke trucks puff out
// (a grey cloud swelling over thirteen frames), the master water ball, the
// race's HUD icons (a chequered flag on the left, ten little flags that
// light up along the course) and the squeal of tyres on oil.
#include "tools/data/cairo_art.h"
#include "tools/data/demo_data.h"
#include "tools/data/wave_file.h"
#include "tools/smk/smk_encoder.h"

#include <cmath>
#include <cstdio>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr int SMOKE_W = 96, SMOKE_H = 80, SMOKE_FRAMES = 13;
// The cloud's shades, light to dark; palette index 0 is the transparent magenta.
constexpr int SMOKE_SHADES[][3] = {{225, 225, 228}, {190, 190, 196}, {150, 150, 158}, {110, 110, 118}};
constexpr int SMOKE_SHADE_COUNT = 4;

void Disc(cairo_t* cr, double x, double y, double r, int shade)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y, r, 0, 2 * kPi);
    const int* c = SMOKE_SHADES[shade];
    cairo_set_source_rgb(cr, c[0] / 255.0, c[1] / 255.0, c[2] / 255.0);
    cairo_fill(cr);
}

// Frame f: puffs that swell from a small dark knot into a wide light cloud.
void DrawSmoke(cairo_t* cr, int f)
{
    const double grow = 0.25 + 0.75 * f / (SMOKE_FRAMES - 1);
    const int dark = f < SMOKE_FRAMES / 3 ? 3 : (f < 2 * SMOKE_FRAMES / 3 ? 2 : 1);
    static const double PUFFS[][3] = {{0, 6, 22}, {-22, 10, 16}, {22, 10, 16}, {-12, -8, 16}, {12, -10, 18}};
    for (const auto& p : PUFFS)
        Disc(cr, SMOKE_W / 2.0 + p[0] * grow, SMOKE_H / 2.0 + p[1] * grow, p[2] * grow, dark);
    for (const auto& p : PUFFS)
        Disc(cr, SMOKE_W / 2.0 + p[0] * grow - 3, SMOKE_H / 2.0 + p[1] * grow - 4, p[2] * grow * 0.6,
             dark - 1);
}

// The palette index of a drawn pixel: the nearest shade, or the key where nothing was drawn.
uint8_t ShadeIndex(uint32_t argb)
{
    if ((argb >> 24) < 128)
        return 0;
    const int grey = static_cast<int>(argb >> 8 & 0xFF);
    int best = 0;
    for (int i = 1; i < SMOKE_SHADE_COUNT; ++i)
        if (std::abs(SMOKE_SHADES[i][1] - grey) < std::abs(SMOKE_SHADES[best][1] - grey))
            best = i;
    return static_cast<uint8_t>(best + 1);
}

bool SaveSmoke(const std::string& path)
{
    std::vector<uint8_t> palette(768, 0);
    palette[0] = palette[2] = 255;
    for (int i = 0; i < SMOKE_SHADE_COUNT; ++i)
        for (int c = 0; c < 3; ++c)
            palette[(i + 1) * 3u + c] = static_cast<uint8_t>(SMOKE_SHADES[i][c]);
    CxSmackerEncoder encoder;
    bool ok = encoder.Begin(SMOKE_W, SMOKE_H, 12) == CX_ERR_NONE;
    for (int f = 0; f < SMOKE_FRAMES && ok; ++f)
    {
        CCairoCanvas canvas(SMOKE_W, SMOKE_H);
        DrawSmoke(canvas.Get(), f);
        cairo_surface_t* surface = cairo_get_target(canvas.Get());
        cairo_surface_flush(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        std::vector<uint8_t> pixels(static_cast<size_t>(SMOKE_W) * SMOKE_H);
        for (int y = 0; y < SMOKE_H; ++y)
            for (int x = 0; x < SMOKE_W; ++x)
                pixels[static_cast<size_t>(y) * SMOKE_W + x] =
                    ShadeIndex(reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride)[x]);
        ok = encoder.AddFrame(pixels.data(), palette.data()) == CX_ERR_NONE;
    }
    std::vector<uint8_t> file;
    if (!ok || encoder.Finish(&file) != CX_ERR_NONE || !MakeParentDirectories(path))
    {
        fprintf(stderr, "make-demo-data: could not encode %s\n", path.c_str());
        return false;
    }
    return WriteWholeFile(path, file.data(), file.size());
}

// A chequered flag of size s at (x, y) on a pole; lit flags are bright.
void Flag(CCairoCanvas& canvas, double x, double y, double s, bool lit)
{
    cairo_t* cr = canvas.Get();
    cairo_rectangle(cr, x + s * 0.12, y + s * 0.1, s * 0.08, s * 0.85);
    canvas.Fill(90, 70, 50);
    const int cells = 4;
    const double cell = s * 0.7 / cells;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < cells; ++c)
        {
            cairo_rectangle(cr, x + s * 0.2 + c * cell, y + s * 0.1 + r * cell, cell, cell);
            if ((r + c) % 2)
                canvas.Fill(30, 30, 34);
            else if (lit)
                canvas.Fill(255, 220, 40);
            else
                canvas.Fill(150, 150, 150);
        }
}

bool SaveIcons(const std::string& out)
{
    CCairoCanvas waterball(16, 16);
    cairo_arc(waterball.Get(), 8, 8, 7, 0, 2 * kPi);
    waterball.Fill(80, 150, 240);
    // Two frames each: unlit and lit.
    CCairoCanvas left(96, 48);
    for (int k = 0; k < 2; ++k)
        Flag(left, k * 48, 0, 48, k == 1);
    CCairoCanvas right(64, 32);
    for (int k = 0; k < 2; ++k)
        Flag(right, k * 32, 0, 32, k == 1);
    return MakeParentDirectories(out + "/VPLAYER/x") && waterball.SaveTga(out + "/VPLAYER/waterball.tga") &&
           MakeParentDirectories(out + "/mission/Race/x") &&
           left.SaveTga(out + "/mission/Race/hud_race.tga") &&
           right.SaveTga(out + "/mission/Race/hud_flag.tga");
}

// Tyres squealing: a high wavering tone with a hiss, fading.
bool SaveSkid(const std::string& path)
{
    const size_t n = DEMO_SOUND_RATE * 6 / 10;
    std::vector<int16_t> samples(n);
    uint32_t seed = 19;
    for (size_t i = 0; i < n; ++i)
    {
        const double t = static_cast<double>(i) / DEMO_SOUND_RATE, p = static_cast<double>(i) / n;
        seed = seed * 1664525u + 1013904223u;
        const double hiss = static_cast<double>(seed >> 8) / 8388608.0 - 1.0;
        const double squeal = std::sin(2 * kPi * (1400 + 120 * std::sin(2 * kPi * 9 * t)) * t);
        samples[i] = static_cast<int16_t>(std::lround((0.6 * squeal + 0.25 * hiss) * (1 - p) * 24000.0));
    }
    return MakeParentDirectories(path) && SaveWave16(path, samples);
}

class CRaceGroup : public CDemoGroup
{
public:
    const char* Name() const override { return "race"; }
    uint32_t Version() const override { return 1; }
    std::vector<std::string> Outputs(const DemoDataPaths&) const override
    {
        return {"VENEMY/smoke.smk", "VPLAYER/waterball.tga", "mission/Race/hud_race.tga",
                "mission/Race/hud_flag.tga", "mission/Race/skid.wav"};
    }
    bool Make(const DemoDataPaths& paths) const override
    {
        const std::string& out = paths.output;
        return SaveSmoke(out + "/VENEMY/smoke.smk") && SaveIcons(out) &&
               SaveSkid(out + "/mission/Race/skid.wav");
    }
};
} // namespace

std::unique_ptr<CDemoGroup> MakeRaceGroup()
{
    return std::make_unique<CRaceGroup>();
}
