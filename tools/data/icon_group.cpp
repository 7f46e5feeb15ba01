// The application's 256 x 256 icon: a little red truck on a road under a
// blue sky, in a rounded square.
#include "tools/data/cairo_art.h"
#include "tools/data/demo_data.h"

#include <cmath>

namespace {
void RoundedSquare(cairo_t* cr, double x, double y, double size, double radius)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + size - radius, y + radius, radius, -M_PI / 2, 0);
    cairo_arc(cr, x + size - radius, y + size - radius, radius, 0, M_PI / 2);
    cairo_arc(cr, x + radius, y + size - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

class CIconGroup : public CDemoGroup
{
public:
    const char* Name() const override { return "icon"; }
    uint32_t Version() const override { return 1; }
    std::vector<std::string> Outputs(const DemoDataPaths&) const override { return {"icon/rumbotown.png"}; }
    bool Make(const DemoDataPaths& paths) const override
    {
        CCairoCanvas canvas(256, 256, true);
        cairo_t* cr = canvas.Get();
        RoundedSquare(cr, 8, 8, 240, 40);
        canvas.Fill(110, 180, 240, true);
        cairo_clip(cr);
        cairo_rectangle(cr, 0, 170, 256, 86); // the road
        canvas.Fill(70, 70, 80);
        cairo_rectangle(cr, 20, 208, 216, 8);
        canvas.Fill(250, 220, 60);
        cairo_rectangle(cr, 40, 100, 120, 70); // the load box
        canvas.Fill(220, 40, 40);
        cairo_rectangle(cr, 160, 120, 56, 50); // the cab
        canvas.Fill(240, 90, 40);
        cairo_rectangle(cr, 176, 128, 30, 22); // its window
        canvas.Fill(200, 235, 255);
        for (double x : {78.0, 188.0})
        {
            cairo_arc(cr, x, 174, 20, 0, 2 * M_PI);
            canvas.Fill(30, 30, 30);
            cairo_arc(cr, x, 174, 8, 0, 2 * M_PI);
            canvas.Fill(200, 200, 200);
        }
        cairo_reset_clip(cr);
        RoundedSquare(cr, 8, 8, 240, 40);
        canvas.Stroke(255, 255, 255, 6);
        return canvas.SavePng(paths.output + "/icon/rumbotown.png");
    }
};
} // namespace

std::unique_ptr<CDemoGroup> MakeIconGroup()
{
    return std::make_unique<CIconGroup>();
}
