// The fishing mission's pictures: the eight pieces of floating junk (each
// bobbing, spinning when knocked, and lifted out dripping), Vodu idling and
// talking with his mouth, the lure, and the HUD's rod and junk icons. Every
// picture is a strip of frames side by side.
#include "tools/data/cairo_art.h"
#include "tools/data/demo_data.h"

#include <cmath>
#include <functional>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr int JUNK = 32, VODU = 64, FRAMES = 4, MOUTH_W = 16, MOUTH_H = 10;
const char* const JUNK_STATES[] = {"float", "spin", "lift"};

struct Rgb
{
    int r, g, b;
};

void Colour(cairo_t* cr, const Rgb& c)
{
    cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

void Box(cairo_t* cr, double x, double y, double w, double h, const Rgb& c)
{
    cairo_rectangle(cr, x, y, w, h);
    Colour(cr, c);
    cairo_fill(cr);
}

void Disc(cairo_t* cr, double x, double y, double r, const Rgb& c)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y, r, 0, 2 * kPi);
    Colour(cr, c);
    cairo_fill(cr);
}

// A strip of frames of size w x h, frame f drawn with its origin at the
// frame's centre.
bool SaveStrip(const std::string& path, int w, int h, int frames,
               const std::function<void(cairo_t*, int)>& draw)
{
    CCairoCanvas canvas(w * frames, h);
    for (int f = 0; f < frames; ++f)
    {
        cairo_save(canvas.Get());
        cairo_rectangle(canvas.Get(), f * w, 0, w, h);
        cairo_clip(canvas.Get());
        cairo_translate(canvas.Get(), f * w + w / 2.0, h / 2.0);
        draw(canvas.Get(), f);
        cairo_restore(canvas.Get());
    }
    return MakeParentDirectories(path) && canvas.SaveTga(path);
}

// One piece of junk around the origin: boot, can, bottle, tyre, crate,
// umbrella, pan, ball.
void DrawJunk(cairo_t* cr, int kind)
{
    switch (kind)
    {
    case 0:
        Box(cr, -7, -11, 8, 16, {120, 70, 30});
        Box(cr, -7, 3, 16, 7, {120, 70, 30});
        break;
    case 1:
        Box(cr, -6, -9, 12, 18, {190, 40, 40});
        Box(cr, -6, -3, 12, 5, {230, 230, 230});
        break;
    case 2:
        Box(cr, -4, -4, 8, 14, {60, 160, 90});
        Box(cr, -2, -11, 4, 8, {60, 160, 90});
        break;
    case 3:
        Disc(cr, 0, 0, 12, {30, 30, 34});
        Disc(cr, 0, 0, 5, {150, 150, 160});
        break;
    case 4:
        Box(cr, -10, -10, 20, 20, {170, 120, 60});
        Box(cr, -10, -2, 20, 3, {110, 75, 35});
        break;
    case 5:
        cairo_arc(cr, 0, 0, 12, kPi, 2 * kPi);
        Colour(cr, {220, 60, 160});
        cairo_fill(cr);
        Box(cr, -1, 0, 2, 11, {60, 60, 60});
        break;
    case 6:
        Disc(cr, -3, 0, 9, {80, 80, 90});
        Box(cr, 5, -2, 10, 4, {60, 40, 20});
        break;
    default:
        Disc(cr, 0, 0, 10, {240, 200, 40});
        Box(cr, -10, -2, 20, 4, {40, 90, 220});
        break;
    }
}

bool SaveJunk(const std::string& out)
{
    for (int kind = 0; kind < 8; ++kind)
        for (int state = 0; state < 3; ++state)
        {
            const std::string path =
                out + "/TARGETS/t3_junk" + std::to_string(kind) + "_" + JUNK_STATES[state] + ".tga";
            if (!SaveStrip(path, JUNK, JUNK, FRAMES, [kind, state](cairo_t* cr, int f) {
                    if (state == 0)
                        cairo_translate(cr, 0, f % 2 ? 1.5 : -1.5); // bobbing
                    else if (state == 1)
                        cairo_rotate(cr, f * kPi / 2); // knocked: a spin
                    else
                        cairo_translate(cr, 0, -2.0 * f); // lifted out
                    DrawJunk(cr, kind);
                    if (state == 2 && f > 0)
                        for (int d = 0; d < f; ++d)
                            Disc(cr, -6 + 6 * d, 9 + 2.0 * f, 1.5, {120, 180, 240}); // drips
                }))
                return false;
        }
    return true;
}

// Vodu: a round green river fellow with big eyes, swaying; talking, he
// raises a fin. His mouth is a separate strip (closed to wide open).
bool SaveVodu(const std::string& out)
{
    const auto body = [](cairo_t* cr, int f, bool talking) {
        cairo_translate(cr, 0, f % 2 ? 1 : -1);
        Disc(cr, 0, 4, 24, {70, 160, 120});
        Disc(cr, -9, -6, 7, {250, 250, 250});
        Disc(cr, 9, -6, 7, {250, 250, 250});
        Disc(cr, -8 + f % 2, -5, 3, {20, 20, 30});
        Disc(cr, 10 - f % 2, -5, 3, {20, 20, 30});
        const double fin = talking ? -0.6 - 0.3 * (f % 2) : 0.3;
        cairo_save(cr);
        cairo_translate(cr, 20, 6);
        cairo_rotate(cr, fin);
        Box(cr, 0, -3, 12, 6, {50, 130, 95});
        cairo_restore(cr);
    };
    const std::string dir = out + "/VNPC/";
    return SaveStrip(dir + "vodu_idle.tga", VODU, VODU, FRAMES,
                     [&](cairo_t* cr, int f) { body(cr, f, false); }) &&
           SaveStrip(dir + "vodu_talk.tga", VODU, VODU, FRAMES,
                     [&](cairo_t* cr, int f) { body(cr, f, true); }) &&
           SaveStrip(dir + "vodu_mouth.tga", MOUTH_W, MOUTH_H, FRAMES, [](cairo_t* cr, int f) {
               Box(cr, -7, -1 - f, 14, 2 + 2 * f, {120, 30, 40});
           });
}

bool SaveLureAndIcons(const std::string& out)
{
    const std::string dir = out + "/mission/Fishing/";
    // The bobber: red top, white bottom, 12 x 12.
    const bool lure = SaveStrip(dir + "lure.tga", 12, 12, 1, [](cairo_t* cr, int) {
        Disc(cr, 0, 0, 5.5, {250, 250, 250});
        cairo_rectangle(cr, -6, -6, 12, 6);
        cairo_clip(cr);
        Disc(cr, 0, 0, 5.5, {220, 30, 30});
    });
    // The panel's rod is one picture; its junk icons have two frames, unlit and lit.
    const bool rod = SaveStrip(dir + "hud_rod.tga", 48, 48, 1, [](cairo_t* cr, int) {
        cairo_set_line_width(cr, 4);
        cairo_move_to(cr, -18, 18);
        cairo_line_to(cr, 16, -18);
        Colour(cr, {150, 100, 50});
        cairo_stroke(cr);
        Disc(cr, -12, 12, 5, {60, 60, 70});
        Box(cr, 15, -18, 1, 30, {40, 40, 40});
        Disc(cr, 15, 14, 3, {220, 30, 30});
    });
    const bool item = SaveStrip(dir + "hud_item.tga", 32, 32, 2, [](cairo_t* cr, int f) {
        Disc(cr, 0, 0, 12, f ? Rgb{240, 200, 40} : Rgb{110, 110, 110});
        Box(cr, -6, -2, 12, 4, {60, 60, 60});
    });
    return lure && rod && item;
}

class CFishingGroup : public CDemoGroup
{
public:
    const char* Name() const override { return "fishing"; }
    uint32_t Version() const override { return 2; }
    std::vector<std::string> Outputs(const DemoDataPaths&) const override
    {
        std::vector<std::string> out = {"VNPC/vodu_idle.tga",          "VNPC/vodu_talk.tga",
                                        "VNPC/vodu_mouth.tga",         "mission/Fishing/lure.tga",
                                        "mission/Fishing/hud_rod.tga", "mission/Fishing/hud_item.tga"};
        for (int kind = 0; kind < 8; ++kind)
            for (const char* state : JUNK_STATES)
                out.push_back("TARGETS/t3_junk" + std::to_string(kind) + "_" + state + ".tga");
        return out;
    }
    bool Make(const DemoDataPaths& paths) const override
    {
        return SaveJunk(paths.output) && SaveVodu(paths.output) && SaveLureAndIcons(paths.output);
    }
};
} // namespace

std::unique_ptr<CDemoGroup> MakeFishingGroup()
{
    return std::make_unique<CFishingGroup>();
}
