// The pictures and sounds of the title, map and question screens: the
// title picture with its play and exit buttons, the map's building, exit and
// go buttons, the question and closing screens with their buttons, and the
// buttons' click. Buttons of five frames show normal, hover, down, selected
// and disabled; the map's two frames show normal and highlighted.
#include "tools/data/cairo_art.h"
#include "tools/data/demo_data.h"
#include "tools/data/town_art.h"
#include "tools/data/town_world.h"
#include "tools/data/wave_file.h"

#include <cmath>
#include <cstdio>
#include <fontconfig/fontconfig.h>
#include <functional>

namespace {
using Draw = std::function<void(cairo_t*, double w, double h)>;

constexpr int32_t kMapBuildings = 14;
constexpr int32_t kHouseW = 44, kHouseH = 38;
const char* const kFont = "DejaVu Sans";

void Colour(cairo_t* cr, const ArtRgb& c, double shade = 1.0)
{
    cairo_set_source_rgb(cr, std::min(1.0, c.r / 255.0 * shade), std::min(1.0, c.g / 255.0 * shade),
                         std::min(1.0, c.b / 255.0 * shade));
}

void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

// Text centred on (x, y) in DejaVu.
void Text(cairo_t* cr, double x, double y, double size, const char* text, const ArtRgb& c)
{
    cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, text, &e);
    cairo_move_to(cr, x - e.width / 2 - e.x_bearing, y - e.height / 2 - e.y_bearing);
    Colour(cr, c);
    cairo_show_text(cr, text);
}

// A button of five frames: a rounded plate in its colour (lighter with the
// pointer over it, darker and pressed in when down or selected, grey when
// disabled) with the icon drawn on it.
bool SaveButton(const std::string& path, int32_t w, int32_t h, const ArtRgb& plate, const Draw& icon)
{
    return SaveStrip(path, w, h, 5, [&](cairo_t* cr, int32_t frame) {
        const bool down = frame == 2 || frame == 3;
        const double shade = frame == 1 ? 1.25 : down ? 0.75 : 1.0;
        const double push = down ? 2 : 0;
        RoundRect(cr, 2 + push, 2 + push, w - 6, h - 6, 10);
        if (frame == 4)
            cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
        else
            Colour(cr, plate, shade);
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, frame == 1 ? 4 : 2);
        if (frame == 1)
            cairo_set_source_rgb(cr, 1.0, 0.9, 0.2);
        else
            cairo_set_source_rgb(cr, 0.15, 0.1, 0.05);
        cairo_stroke(cr);
        cairo_save(cr);
        cairo_translate(cr, push, push);
        icon(cr, w, h);
        cairo_restore(cr);
    });
}

void Tick(cairo_t* cr, double w, double h)
{
    cairo_move_to(cr, w * 0.25, h * 0.5);
    cairo_line_to(cr, w * 0.42, h * 0.72);
    cairo_line_to(cr, w * 0.75, h * 0.25);
    cairo_set_line_width(cr, 9);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_stroke(cr);
}

void Cross(cairo_t* cr, double w, double h)
{
    cairo_move_to(cr, w * 0.3, h * 0.25);
    cairo_line_to(cr, w * 0.7, h * 0.75);
    cairo_move_to(cr, w * 0.7, h * 0.25);
    cairo_line_to(cr, w * 0.3, h * 0.75);
    cairo_set_line_width(cr, 9);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_stroke(cr);
}

void Door(cairo_t* cr, double w, double h)
{
    cairo_rectangle(cr, w * 0.35, h * 0.18, w * 0.3, h * 0.64);
    cairo_set_source_rgb(cr, 0.45, 0.25, 0.1);
    cairo_fill(cr);
    cairo_arc(cr, w * 0.58, h * 0.52, 3, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 1, 0.85, 0.2);
    cairo_fill(cr);
}

void Book(cairo_t* cr, double w, double h)
{
    for (int side = 0; side < 2; ++side)
    {
        const double x = side ? w / 2 : w * 0.2;
        cairo_rectangle(cr, x, h * 0.25, w * 0.3, h * 0.5);
        cairo_set_source_rgb(cr, 1, 1, 0.95);
        cairo_fill(cr);
        for (int line = 0; line < 4; ++line)
            cairo_rectangle(cr, x + 5, h * 0.33 + line * 7, w * 0.3 - 10, 2);
        cairo_set_source_rgb(cr, 0.3, 0.3, 0.5);
        cairo_fill(cr);
    }
}

// A side view of a truck, left end at (x, y) on the ground line.
void SideTruck(cairo_t* cr, double x, double y, double scale, const ArtRgb& body, const ArtRgb& cab)
{
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, scale, scale);
    RoundRect(cr, 0, -40, 60, 30, 4);
    Colour(cr, body);
    cairo_fill(cr);
    RoundRect(cr, 60, -34, 26, 24, 5);
    Colour(cr, cab);
    cairo_fill(cr);
    cairo_rectangle(cr, 68, -30, 12, 9);
    cairo_set_source_rgb(cr, 0.75, 0.9, 1.0);
    cairo_fill(cr);
    for (double wheel : {16.0, 70.0})
    {
        cairo_arc(cr, wheel, -8, 8, 0, 2 * M_PI);
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
        cairo_fill(cr);
        cairo_arc(cr, wheel, -8, 3, 0, 2 * M_PI);
        cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

void Sky(cairo_t* cr, double horizon)
{
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, horizon);
    cairo_pattern_add_color_stop_rgb(sky, 0, 0.45, 0.7, 0.95);
    cairo_pattern_add_color_stop_rgb(sky, 1, 0.8, 0.92, 1.0);
    cairo_rectangle(cr, 0, 0, 640, horizon);
    cairo_set_source(cr, sky);
    cairo_fill(cr);
    cairo_pattern_destroy(sky);
    cairo_rectangle(cr, 0, horizon, 640, 480 - horizon);
    cairo_set_source_rgb(cr, 0.45, 0.75, 0.35);
    cairo_fill(cr);
}

// The title: the town's houses on the horizon, a road with the four trucks
// and the name of the game.
bool SaveTitle(const std::string& path)
{
    CCairoCanvas canvas(640, 480, true);
    cairo_t* cr = canvas.Get();
    Sky(cr, 260);
    const std::vector<TownBuilding>& buildings = TownBuildings();
    for (size_t i = 0; i < 8 && i < buildings.size(); ++i)
    {
        const BuildingLook& look = buildings[i].look;
        const double x = 10 + static_cast<double>(i) * 79, top = 190 - (i % 3) * 14.0;
        cairo_rectangle(cr, x, top, 66, 262 - top);
        Colour(cr, look.wall);
        cairo_fill(cr);
        cairo_move_to(cr, x - 6, top);
        cairo_line_to(cr, x + 33, top - 28);
        cairo_line_to(cr, x + 72, top);
        Colour(cr, look.roof);
        cairo_fill(cr);
        cairo_rectangle(cr, x + 26, 236, 14, 26);
        Colour(cr, look.trim);
        cairo_fill(cr);
    }
    cairo_rectangle(cr, 0, 268, 640, 60);
    cairo_set_source_rgb(cr, 0.35, 0.35, 0.4);
    cairo_fill(cr);
    const ArtRgb bodies[4][2] = {{{230, 170, 40}, {200, 60, 40}},
                                 {{60, 140, 220}, {240, 240, 240}},
                                 {{80, 180, 90}, {250, 210, 60}},
                                 {{200, 90, 200}, {90, 60, 160}}};
    for (int t = 0; t < 4; ++t)
        SideTruck(cr, 30 + t * 150, 322, 1.2, bodies[t][0], bodies[t][1]);
    Text(cr, 322, 82, 64, "Rumbo Town", {60, 40, 20});
    Text(cr, 320, 80, 64, "Rumbo Town", {250, 200, 40});
    return canvas.SaveTga(path);
}

// A full-screen question card: the sky and grass with a paper panel and the
// drawing of the question type.
bool SaveCard(const std::string& path, const char* title, const Draw& picture)
{
    CCairoCanvas canvas(640, 480, true);
    cairo_t* cr = canvas.Get();
    Sky(cr, 300);
    RoundRect(cr, 40, 40, 560, 260, 24);
    cairo_set_source_rgb(cr, 0.98, 0.94, 0.82);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 4);
    cairo_set_source_rgb(cr, 0.45, 0.3, 0.15);
    cairo_stroke(cr);
    Text(cr, 320, 90, 34, title, {70, 45, 20});
    picture(cr, 640, 480);
    return canvas.SaveTga(path);
}

// A building on the map: a small house in the building's colours; the
// second frame is outlined in yellow.
bool SaveMapHouse(const std::string& path, const BuildingLook& look)
{
    return SaveStrip(path, kHouseW, kHouseH, 2, [&](cairo_t* cr, int32_t frame) {
        const double w = kHouseW, h = kHouseH;
        cairo_move_to(cr, 4, 16);
        cairo_line_to(cr, w / 2, 3);
        cairo_line_to(cr, w - 4, 16);
        cairo_line_to(cr, w - 7, 16);
        cairo_line_to(cr, w - 7, h - 3);
        cairo_line_to(cr, 7, h - 3);
        cairo_line_to(cr, 7, 16);
        cairo_close_path(cr);
        Colour(cr, look.wall, frame ? 1.2 : 1.0);
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, frame ? 3 : 1.5);
        if (frame)
            cairo_set_source_rgb(cr, 1.0, 0.9, 0.1);
        else
            cairo_set_source_rgb(cr, 0.2, 0.15, 0.1);
        cairo_stroke(cr);
        cairo_move_to(cr, 6, 16);
        cairo_line_to(cr, w / 2, 5);
        cairo_line_to(cr, w - 6, 16);
        cairo_close_path(cr);
        Colour(cr, look.roof);
        cairo_fill(cr);
        cairo_rectangle(cr, w / 2 - 4, h - 14, 8, 11);
        Colour(cr, look.trim);
        cairo_fill(cr);
    });
}

// A two-frame map button with a word on it, highlighted in frame 1.
bool SaveMapButton(const std::string& path, int32_t w, int32_t h, const ArtRgb& plate, const char* word)
{
    return SaveStrip(path, w, h, 2, [&](cairo_t* cr, int32_t frame) {
        RoundRect(cr, 2, 2, w - 4, h - 4, 9);
        Colour(cr, plate, frame ? 1.25 : 1.0);
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, frame ? 4 : 2);
        if (frame)
            cairo_set_source_rgb(cr, 1.0, 0.9, 0.1);
        else
            cairo_set_source_rgb(cr, 0.15, 0.1, 0.05);
        cairo_stroke(cr);
        Text(cr, w / 2.0, h / 2.0, h * 0.45, word, {255, 255, 255});
    });
}

// A short click: a high tone that dies away in 40 ms.
bool SaveClick(const std::string& path)
{
    std::vector<int16_t> samples(DEMO_SOUND_RATE / 25);
    for (size_t i = 0; i < samples.size(); ++i)
    {
        const double t = static_cast<double>(i) / DEMO_SOUND_RATE;
        samples[i] =
            static_cast<int16_t>(std::lround(20000 * std::sin(2 * M_PI * 1400 * t) * std::exp(-t * 120)));
    }
    return SaveWave16(path, samples);
}

std::string MapHouseName(int32_t n)
{
    char name[32];
    snprintf(name, sizeof(name), "MAP/map_b%02d.tga", n);
    return name;
}

const ArtRgb kGreen = {60, 170, 70}, kRed = {210, 60, 50}, kBlue = {70, 120, 210}, kOrange = {235, 150, 40};

struct ScreenFile
{
    const char* name;
    std::function<bool(const std::string& path)> make;
};

std::vector<ScreenFile> ScreenFiles()
{
    const Draw truck = [](cairo_t* cr, double w, double h) {
        SideTruck(cr, w * 0.12, h * 0.8, w / 110, {230, 170, 40}, {200, 60, 40});
    };
    const Draw none = [](cairo_t*, double, double) {};
    return {
        {"LOGIN/si_bg.tga", SaveTitle},
        {"LOGIN/si_play.tga",
         [](const std::string& p) {
             return SaveButton(p, 140, 80, kGreen, [](cairo_t* cr, double w, double h) {
                 cairo_move_to(cr, w * 0.38, h * 0.25);
                 cairo_line_to(cr, w * 0.68, h * 0.5);
                 cairo_line_to(cr, w * 0.38, h * 0.75);
                 cairo_close_path(cr);
                 cairo_set_source_rgb(cr, 1, 1, 1);
                 cairo_fill(cr);
             });
         }},
        {"LOGIN/si_exit.tga", [](const std::string& p) { return SaveButton(p, 100, 70, kRed, Door); }},
        {"COMMON/yn_bg.tga", [=](const std::string& p) { return SaveCard(p, "Are you sure?", none); }},
        {"COMMON/playagain_bg.tga", [=](const std::string& p) { return SaveCard(p, "Play again?", truck); }},
        {"COMMON/sellbg.tga",
         [](const std::string& p) {
             return SaveCard(p, "Thank you for playing!", [](cairo_t* cr, double, double) {
                 Text(cr, 320, 150, 20, "This was the Rumbo Town demo.", {70, 45, 20});
                 Text(cr, 320, 190, 18, "Play on, read about it, or stop.", {70, 45, 20});
             });
         }},
        {"COMMON/yn_yes.tga", [](const std::string& p) { return SaveButton(p, 150, 100, kGreen, Tick); }},
        {"COMMON/yn_no.tga", [](const std::string& p) { return SaveButton(p, 150, 100, kRed, Cross); }},
        {"COMMON/sellexitbtn.tga", [](const std::string& p) { return SaveButton(p, 110, 90, kRed, Door); }},
        {"COMMON/selllinkbtn.tga", [](const std::string& p) { return SaveButton(p, 110, 90, kBlue, Book); }},
        {"COMMON/sellplaybtn.tga",
         [=](const std::string& p) { return SaveButton(p, 150, 90, kOrange, truck); }},
        {"COMMON/yndl_btn_sfx.wav", SaveClick},
        {"MAP/map_exit.tga", [](const std::string& p) { return SaveMapButton(p, 90, 44, kRed, "Back"); }},
        {"MAP/map_go.tga", [](const std::string& p) { return SaveMapButton(p, 120, 56, kGreen, "Go!"); }},
    };
}

class CScreensGroup : public CDemoGroup
{
public:
    const char* Name() const override { return "screens"; }
    uint32_t Version() const override { return 1; }
    std::vector<std::string> Outputs(const DemoDataPaths&) const override
    {
        std::vector<std::string> out;
        for (const ScreenFile& file : ScreenFiles())
            out.push_back(file.name);
        for (int32_t n = 0; n < kMapBuildings; ++n)
            out.push_back(MapHouseName(n));
        return out;
    }
    bool Make(const DemoDataPaths& paths) const override
    {
        for (const ScreenFile& file : ScreenFiles())
        {
            const std::string path = paths.output + "/" + file.name;
            if (!MakeParentDirectories(path) || !file.make(path))
            {
                fprintf(stderr, "make-demo-data: could not make %s\n", file.name);
                return false;
            }
        }
        const std::vector<TownBuilding>& buildings = TownBuildings();
        for (int32_t n = 0; n < kMapBuildings && n < static_cast<int32_t>(buildings.size()); ++n)
            if (!SaveMapHouse(paths.output + "/" + MapHouseName(n), buildings[static_cast<size_t>(n)].look))
                return false;
        // The text drawing loaded fonts into cairo's and fontconfig's caches:
        // freed here, with no cairo object left, so that the tool ends
        // without leaks.
        cairo_debug_reset_static_data();
        FcFini();
        return true;
    }
};
} // namespace

std::unique_ptr<CDemoGroup> MakeScreensGroup()
{
    return std::make_unique<CScreensGroup>();
}
