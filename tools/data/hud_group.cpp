// The mission panel's pictures: the panel (160 x 145, below the 159 pixels
// the put-away panel is lifted by), its close and help buttons (five 28 x 28
// frames each: up, down, up under the pointer, down under the pointer,
// disabled), and the icons of the hand-truck missions (a 48 x 48 left icon
// each, one right icon of two 16 x 16 frames: still to catch, caught).
//
// The panel's slots match the positions of the mission files: the left
// icon at (12, 36), ten right icons at (66 + 17 k, 40) and (66 + 17 k, 62).
#include "tools/data/cairo_art.h"
#include "tools/data/demo_data.h"

#include <cmath>

namespace {
constexpr int kPanelW = 160, kPanelH = 145;
constexpr int kButton = 28, kButtonFrames = 5;
constexpr int kIcon = 16, kLeft = 48;

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

bool MakePanel(const std::string& path)
{
    CCairoCanvas canvas(kPanelW, kPanelH);
    cairo_t* cr = canvas.Get();
    RoundedRect(cr, 1.5, 1.5, kPanelW - 3, kPanelH - 3, 12);
    canvas.Fill(250, 232, 175, true);
    canvas.Stroke(120, 80, 40, 3.0);
    // The left icon's frame and the ten right icon slots.
    cairo_rectangle(cr, 9.5, 33.5, kLeft + 6, kLeft + 6);
    canvas.Fill(225, 200, 140, true);
    canvas.Stroke(150, 105, 55, 1.0);
    for (int k = 0; k < 10; ++k)
    {
        cairo_rectangle(cr, 64.5 + 17 * (k % 5), 38.5 + 22 * (k / 5), kIcon + 3, kIcon + 3);
        canvas.Fill(235, 215, 160, true);
        canvas.Stroke(170, 125, 70, 1.0);
    }
    return canvas.SaveTga(path);
}

// Shade a colour for a button state: darker when pressed, lighter under the
// pointer, grey when disabled.
void StateColour(int state, int base[3], int out[3])
{
    for (int i = 0; i < 3; ++i)
    {
        int c = base[i];
        if (state == 1 || state == 3)
            c = c * 3 / 4;
        else if (state == 2)
            c = c + (255 - c) / 3;
        else if (state == 4)
            c = (base[0] + base[1] + base[2]) / 3;
        out[i] = c;
    }
}

// symbol 0: a cross; 1: a question mark.
bool MakeButton(const std::string& path, int base[3], int symbol)
{
    CCairoCanvas canvas(kButton * kButtonFrames, kButton);
    cairo_t* cr = canvas.Get();
    for (int state = 0; state < kButtonFrames; ++state)
    {
        int colour[3];
        StateColour(state, base, colour);
        const double shift = (state == 1 || state == 3) ? 1.0 : 0.0;
        const double cx = state * kButton + kButton / 2.0 + shift, cy = kButton / 2.0 + shift;
        cairo_arc(cr, cx, cy, kButton / 2.0 - 2, 0, 2 * M_PI);
        canvas.Fill(colour[0], colour[1], colour[2], true);
        canvas.Stroke(60, 40, 20, 2.0);
        const int ink = state == 4 ? 200 : 255;
        if (symbol == 0)
        {
            cairo_move_to(cr, cx - 6, cy - 6);
            cairo_line_to(cr, cx + 6, cy + 6);
            cairo_move_to(cr, cx + 6, cy - 6);
            cairo_line_to(cr, cx - 6, cy + 6);
            canvas.Stroke(ink, ink, ink, 3.0);
        }
        else
        {
            // A question mark drawn as a hook and a dot (no fonts: the
            // drawing stays the same on every system).
            cairo_arc(cr, cx, cy - 4, 5, M_PI, M_PI / 2.5);
            cairo_line_to(cr, cx, cy + 3);
            canvas.Stroke(ink, ink, ink, 3.0);
            cairo_arc(cr, cx, cy + 8, 2, 0, 2 * M_PI);
            canvas.Fill(ink, ink, ink);
        }
    }
    return canvas.SaveTga(path);
}

void Box(CCairoCanvas& canvas, double x, double y, double w, double h)
{
    cairo_t* cr = canvas.Get();
    cairo_rectangle(cr, x + 0.5, y + 0.5, w, h);
    canvas.Fill(200, 150, 90, true);
    canvas.Stroke(110, 70, 35, 1.0);
    cairo_move_to(cr, x + w / 2 + 0.5, y + 0.5);
    cairo_line_to(cr, x + w / 2 + 0.5, y + h * 0.4);
    canvas.Stroke(230, 200, 120, 2.0);
}

// A stack of three moving boxes.
bool MakeBoxesIcon(const std::string& path)
{
    CCairoCanvas canvas(kLeft, kLeft);
    Box(canvas, 4, 26, 20, 18);
    Box(canvas, 24, 26, 20, 18);
    Box(canvas, 14, 8, 20, 18);
    return canvas.SaveTga(path);
}

// A hand truck seen from the side: handle, upright, toe plate, wheel and a box.
bool MakeHandTruckIcon(const std::string& path)
{
    CCairoCanvas canvas(kLeft, kLeft);
    cairo_t* cr = canvas.Get();
    cairo_move_to(cr, 10, 4);
    cairo_line_to(cr, 14, 4);
    cairo_line_to(cr, 14, 40);
    cairo_line_to(cr, 34, 40);
    canvas.Stroke(70, 70, 80, 3.0);
    Box(canvas, 16, 18, 18, 20);
    cairo_arc(cr, 15, 40, 5, 0, 2 * M_PI);
    canvas.Fill(30, 30, 30, true);
    canvas.Stroke(120, 120, 130, 1.5);
    return canvas.SaveTga(path);
}

// Frame 0: a box still to catch (grey outline); frame 1: caught (brown, a tick).
bool MakeRightIcon(const std::string& path)
{
    CCairoCanvas canvas(2 * kIcon, kIcon);
    cairo_t* cr = canvas.Get();
    cairo_rectangle(cr, 2.5, 3.5, 11, 10);
    canvas.Fill(215, 215, 215, true);
    canvas.Stroke(120, 120, 120, 1.0);
    Box(canvas, kIcon + 2, 3, 11, 10);
    cairo_move_to(cr, kIcon + 3, 8);
    cairo_line_to(cr, kIcon + 7, 13);
    cairo_line_to(cr, kIcon + 14, 2);
    canvas.Stroke(30, 160, 40, 2.5);
    return canvas.SaveTga(path);
}

class CHudGroup : public CDemoGroup
{
public:
    const char* Name() const override { return "hud"; }
    uint32_t Version() const override { return 1; }
    std::vector<std::string> Outputs(const DemoDataPaths&) const override
    {
        return {"HUD/hud_fram.tga",
                "HUD/hud_canc.tga",
                "HUD/hud_help.tga",
                "mission/MovingHandTrucks/mov_left.tga",
                "mission/MovingHandTrucks/ht_left.tga",
                "mission/MovingHandTrucks/ht_right.tga"};
    }
    bool Make(const DemoDataPaths& paths) const override
    {
        int red[3] = {210, 50, 40};
        int green[3] = {40, 150, 70};
        const std::string& out = paths.output;
        return MakePanel(out + "/HUD/hud_fram.tga") && MakeButton(out + "/HUD/hud_canc.tga", red, 0) &&
               MakeButton(out + "/HUD/hud_help.tga", green, 1) &&
               MakeBoxesIcon(out + "/mission/MovingHandTrucks/mov_left.tga") &&
               MakeHandTruckIcon(out + "/mission/MovingHandTrucks/ht_left.tga") &&
               MakeRightIcon(out + "/mission/MovingHandTrucks/ht_right.tga");
    }
};
} // namespace

std::unique_ptr<CDemoGroup> MakeHudGroup()
{
    return std::make_unique<CHudGroup>();
}
