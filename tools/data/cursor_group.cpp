// The two mouse cursors: an arrow with its tip at (0, 1) and a round target
// centred on (24, 7), on the magenta key.
#include "tools/data/cairo_art.h"
#include "tools/data/demo_data.h"

#include <cmath>

namespace {
bool MakeArrow(const std::string& path)
{
    CCairoCanvas canvas(32, 32);
    cairo_t* cr = canvas.Get();
    // The tip is the hot spot's pixel.
    cairo_move_to(cr, 0.5, 1.0);
    cairo_line_to(cr, 0.5, 24.0);
    cairo_line_to(cr, 6.5, 18.5);
    cairo_line_to(cr, 11.0, 28.5);
    cairo_line_to(cr, 15.0, 26.5);
    cairo_line_to(cr, 10.5, 17.0);
    cairo_line_to(cr, 18.5, 17.0);
    cairo_close_path(cr);
    canvas.Fill(255, 255, 255, true);
    canvas.Stroke(0, 0, 0, 1.0);
    return canvas.SaveTga(path);
}

bool MakeTarget(const std::string& path)
{
    CCairoCanvas canvas(49, 32);
    cairo_t* cr = canvas.Get();
    const double cx = 24.5, cy = 7.5;
    // A red and white disc with a cross through the centre, on a short post.
    cairo_rectangle(cr, 22, 14, 5, 17);
    canvas.Fill(90, 60, 30);
    for (int ring = 0; ring < 3; ++ring)
    {
        cairo_arc(cr, cx, cy, 7.0 - 2.5 * ring, 0, 2 * M_PI);
        if (ring % 2 == 0)
            canvas.Fill(220, 30, 30);
        else
            canvas.Fill(255, 255, 255);
    }
    cairo_move_to(cr, cx, cy - 7);
    cairo_line_to(cr, cx, cy + 7);
    cairo_move_to(cr, cx - 7, cy);
    cairo_line_to(cr, cx + 7, cy);
    canvas.Stroke(0, 0, 0, 1.0);
    return canvas.SaveTga(path);
}

class CCursorGroup : public CDemoGroup
{
public:
    const char* Name() const override { return "cursors"; }
    uint32_t Version() const override { return 1; }
    std::vector<std::string> Outputs(const DemoDataPaths&) const override
    {
        return {"COMMON/arrwcur.tga", "COMMON/targcur.tga"};
    }
    bool Make(const DemoDataPaths& paths) const override
    {
        return MakeArrow(paths.output + "/COMMON/arrwcur.tga") &&
               MakeTarget(paths.output + "/COMMON/targcur.tga");
    }
};
} // namespace

std::unique_ptr<CDemoGroup> MakeCursorGroup()
{
    return std::make_unique<CCursorGroup>();
}
