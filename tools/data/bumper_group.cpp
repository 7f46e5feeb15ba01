// The bumper cars' panel icons: the left icon (48 x 48) two little bumper
// cars nose to nose under a striped canopy, and the right icon (two 16 x 16
// frames) a star: grey while the bump is to come, gold once it is made.
#include "tools/data/cairo_art.h"
#include "tools/data/demo_data.h"

#include <cmath>

namespace {
constexpr int kIcon = 16, kLeft = 48;

void Car(CCairoCanvas& canvas, double x, int red, int green, int blue)
{
    cairo_t* cr = canvas.Get();
    cairo_rectangle(cr, x, 28, 18, 10);
    canvas.Fill(red, green, blue, true);
    canvas.Stroke(40, 40, 40, 1.0);
    for (double wheel : {x + 4, x + 14})
    {
        cairo_new_sub_path(cr);
        cairo_arc(cr, wheel, 40, 3, 0, 2 * M_PI);
        canvas.Fill(30, 30, 34);
    }
}

bool MakeArenaIcon(const std::string& path)
{
    CCairoCanvas canvas(kLeft, kLeft);
    cairo_t* cr = canvas.Get();
    for (int k = 0; k < 6; ++k)
    {
        cairo_move_to(cr, 24, 2);
        cairo_line_to(cr, 4 + 8 * k, 18);
        cairo_line_to(cr, 12 + 8 * k, 18);
        cairo_close_path(cr);
        canvas.Fill(k % 2 ? 250 : 220, k % 2 ? 250 : 50, k % 2 ? 250 : 120);
    }
    Car(canvas, 4, 60, 120, 220);
    Car(canvas, 26, 240, 190, 40);
    return canvas.SaveTga(path);
}

void StarPath(cairo_t* cr, double cx, double cy, double outer, double inner)
{
    for (int k = 0; k < 10; ++k)
    {
        const double angle = -M_PI / 2 + k * M_PI / 5;
        const double r = k % 2 ? inner : outer;
        if (k == 0)
            cairo_move_to(cr, cx + r * std::cos(angle), cy + r * std::sin(angle));
        else
            cairo_line_to(cr, cx + r * std::cos(angle), cy + r * std::sin(angle));
    }
    cairo_close_path(cr);
}

bool MakeStarIcon(const std::string& path)
{
    CCairoCanvas canvas(2 * kIcon, kIcon);
    for (int frame = 0; frame < 2; ++frame)
    {
        StarPath(canvas.Get(), frame * kIcon + 8, 8.5, 7.5, 3.2);
        if (frame)
            canvas.Fill(250, 205, 30, true);
        else
            canvas.Fill(215, 215, 215, true);
        canvas.Stroke(frame ? 180 : 120, frame ? 120 : 120, frame ? 20 : 120, 1.0);
    }
    return canvas.SaveTga(path);
}

class CBumperGroup : public CDemoGroup
{
public:
    const char* Name() const override { return "bumper"; }
    uint32_t Version() const override { return 1; }
    std::vector<std::string> Outputs(const DemoDataPaths&) const override
    {
        return {"mission/BumperCars/hud_arena.tga", "mission/BumperCars/hud_star.tga"};
    }
    bool Make(const DemoDataPaths& paths) const override
    {
        const std::string dir = paths.output + "/mission/BumperCars/";
        return MakeParentDirectories(dir + "x") && MakeArenaIcon(dir + "hud_arena.tga") &&
               MakeStarIcon(dir + "hud_star.tga");
    }
};
} // namespace

std::unique_ptr<CDemoGroup> MakeBumperGroup()
{
    return std::make_unique<CBumperGroup>();
}
