#include "tools/data/town_art.h"

#include "tools/data/cairo_art.h"
#include "tools/data/demo_data.h"
#include "tools/data/sound_synth.h"
#include "tools/smk/smk_encoder.h"

#include <cmath>
#include <cstdio>
#include <map>

namespace {
void Colour(cairo_t* cr, const ArtRgb& c)
{
    cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

void Colour(cairo_t* cr, int r, int g, int b)
{
    cairo_set_source_rgb(cr, r / 255.0, g / 255.0, b / 255.0);
}

void Box(cairo_t* cr, double x, double y, double w, double h, const ArtRgb& c)
{
    cairo_rectangle(cr, x, y, w, h);
    Colour(cr, c);
    cairo_fill(cr);
}

void Disc(cairo_t* cr, double x, double y, double radius, const ArtRgb& c)
{
    cairo_arc(cr, x, y, radius, 0, 2 * M_PI);
    Colour(cr, c);
    cairo_fill(cr);
}

const ArtRgb BLACK{20, 20, 24}, WHITE{250, 250, 245}, GLASS{150, 200, 235};

// The picture on a building's sign: 0 bread, 1 flame, 2 balloon, 3 book,
// 4 spanner, 5 apple, 6 carrot, 7 teddy, 8 letter, 9 printer sheet, 10 paw,
// 11 cup, 12 cross, 13 flag, 14 box, 15 fish; 16 and up a plain board.
void DrawSign(cairo_t* cr, int symbol, double x, double y)
{
    Box(cr, x - 22, y - 14, 44, 28, WHITE);
    cairo_set_line_width(cr, 2);
    const ArtRgb colours[] = {{200, 150, 80},  {230, 80, 30}, {220, 40, 120}, {60, 90, 190},
                              {120, 120, 130}, {200, 40, 40}, {240, 130, 30}, {160, 100, 50},
                              {230, 230, 200}, {80, 80, 80},  {110, 70, 40},  {60, 150, 200},
                              {220, 30, 30},   {30, 30, 30},  {170, 120, 70}, {70, 130, 200}};
    const ArtRgb c = colours[symbol % 16];
    switch (symbol % 16)
    {
    case 1:
    case 6:
        cairo_move_to(cr, x, y - 11);
        cairo_line_to(cr, x + 8, y + 9);
        cairo_line_to(cr, x - 8, y + 9);
        cairo_close_path(cr);
        Colour(cr, c);
        cairo_fill(cr);
        break;
    case 3:
    case 8:
    case 9:
    case 14:
        Box(cr, x - 12, y - 9, 24, 18, c);
        cairo_move_to(cr, x - 12, y - 9);
        cairo_line_to(cr, x, y + 2);
        cairo_line_to(cr, x + 12, y - 9);
        Colour(cr, BLACK);
        cairo_stroke(cr);
        break;
    case 12:
        Box(cr, x - 3, y - 10, 6, 20, c);
        Box(cr, x - 10, y - 3, 20, 6, c);
        break;
    case 13:
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 3; ++j)
                Box(cr, x - 12 + 6 * i, y - 9 + 6 * j, 6, 6, (i + j) % 2 ? WHITE : c);
        break;
    case 15:
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, 1.0, 0.55);
        cairo_arc(cr, 0, 0, 12, 0, 2 * M_PI);
        cairo_restore(cr);
        Colour(cr, c);
        cairo_fill(cr);
        break;
    default:
        Disc(cr, x, y, 9, c);
    }
}

// A house with a face: windows for eyes, the door below the mouth.
void DrawBuilding(cairo_t* cr, const BuildingLook& look, BuildingMood mood, int32_t frame)
{
    double lift = 0, squash = 1.0;
    if (mood == BuildingMood::Happy)
        lift = frame % 2 ? 6 : 0;
    if (mood == BuildingMood::Hiccup)
    {
        const double steps[] = {0, 10, 4, 0};
        lift = steps[frame % 4];
        squash = frame % 4 == 1 ? 0.94 : 1.0;
    }
    cairo_save(cr);
    cairo_translate(cr, 0, BUILDING_HEIGHT - 4);
    cairo_scale(cr, 1.0, squash);
    cairo_translate(cr, 0, -(BUILDING_HEIGHT - 4) - lift);
    // Walls and one of three roofs: pitched, a flat top with a striped
    // awning, or a stepped gable.
    Box(cr, 24, 70, 208, 118, look.wall);
    const int style = look.symbol % 3;
    if (style == 1)
    {
        Box(cr, 16, 26, 224, 48, look.wall);
        Box(cr, 12, 20, 232, 8, look.roof);
        for (int x = 16; x < 240; x += 28)
            Box(cr, x, 70, 14, 14, look.roof);
    }
    else
    {
        const double steps[2][7][2] = {
            {{12, 74}, {128, 14}, {244, 74}, {244, 74}, {244, 74}, {244, 74}, {244, 74}},
            {{16, 74}, {16, 44}, {60, 44}, {60, 16}, {196, 16}, {196, 44}, {240, 44}}};
        for (const auto& point : steps[style / 2])
            cairo_line_to(cr, point[0], point[1]);
        cairo_line_to(cr, 240, 74);
        cairo_close_path(cr);
        Colour(cr, look.roof);
        cairo_fill(cr);
    }
    Box(cr, 24, 70, 208, 6, look.trim);
    DrawSign(cr, look.symbol, 128, 48);
    // Eyes: window frames, pupils that look about, lids for a blink.
    for (int side = 0; side < 2; ++side)
    {
        const double ex = side ? 176 : 80, ey = 104;
        Box(cr, ex - 24, ey - 20, 48, 40, look.trim);
        Box(cr, ex - 20, ey - 16, 40, 32, WHITE);
        if (mood == BuildingMood::Happy)
        {
            cairo_arc(cr, ex, ey + 6, 12, M_PI * 1.1, M_PI * 1.9);
            Colour(cr, BLACK);
            cairo_set_line_width(cr, 4);
            cairo_stroke(cr);
        }
        else if (mood == BuildingMood::Hiccup && frame % 4 == 1)
            Box(cr, ex - 16, ey - 2, 32, 4, BLACK);
        else
        {
            const double look_x = mood == BuildingMood::Idle ? (frame % 2 ? 6 : -6) : 0;
            Disc(cr, ex + look_x, ey + 2, 8, BLACK);
            Disc(cr, ex + look_x + 3, ey - 1, 2.5, WHITE);
            if (mood == BuildingMood::Talking)
                Box(cr, ex - 20, ey - 24 - (frame % 2 ? 4 : 0), 40, 4, BLACK);
        }
    }
    // The door, below where the mouth is drawn.
    Box(cr, 108, 152, 40, 36, look.trim);
    Box(cr, 112, 156, 32, 32, look.roof);
    Disc(cr, 138, 172, 2.5, WHITE);
    cairo_restore(cr);
}
} // namespace

int32_t BuildingFrames(BuildingMood mood)
{
    return mood == BuildingMood::Hiccup ? 4 : 2;
}

bool SaveStrip(const std::string& path, int32_t w, int32_t h, int32_t frames,
               const std::function<void(cairo_t*, int32_t)>& draw)
{
    CCairoCanvas canvas(w * frames, h);
    for (int32_t f = 0; f < frames; ++f)
    {
        cairo_save(canvas.Get());
        cairo_rectangle(canvas.Get(), f * w, 0, w, h);
        cairo_clip(canvas.Get());
        cairo_translate(canvas.Get(), f * w, 0);
        draw(canvas.Get(), f);
        cairo_restore(canvas.Get());
    }
    return canvas.SaveTga(path);
}

bool SaveBuildingState(const std::string& path, const BuildingLook& look, BuildingMood mood)
{
    return SaveStrip(path, BUILDING_WIDTH, BUILDING_HEIGHT, BuildingFrames(mood),
                     [&](cairo_t* cr, int32_t f) { DrawBuilding(cr, look, mood, f); });
}

bool SaveBuildingIcon(const std::string& path, const BuildingLook& look, int32_t w, int32_t h)
{
    return SaveStrip(path, w, h, 1, [&](cairo_t* cr, int32_t) {
        cairo_scale(cr, static_cast<double>(w) / BUILDING_WIDTH, static_cast<double>(h) / BUILDING_HEIGHT);
        DrawBuilding(cr, look, BuildingMood::Idle, 0);
    });
}

bool SaveMouth(const std::string& path)
{
    return SaveStrip(path, MOUTH_WIDTH, MOUTH_HEIGHT, MOUTH_FRAMES, [](cairo_t* cr, int32_t f) {
        const double open = 2 + 6.5 * f;
        cairo_save(cr);
        cairo_translate(cr, MOUTH_WIDTH / 2.0, MOUTH_HEIGHT / 2.0);
        cairo_scale(cr, 20, open / 2 + 1);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
        Colour(cr, 150, 30, 40);
        cairo_fill_preserve(cr);
        Colour(cr, 60, 10, 15);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        if (f > 1)
            Box(cr, MOUTH_WIDTH / 2.0 - 10, MOUTH_HEIGHT / 2.0 - open / 2, 20, 3, WHITE);
    });
}

namespace {
ArtRgb Tint(int32_t variant)
{
    const ArtRgb bright[] = {{230, 60, 60},  {250, 200, 40}, {60, 160, 230}, {120, 200, 80},
                             {200, 90, 200}, {250, 140, 40}, {160, 110, 70}, {90, 90, 100}};
    return bright[variant % 8];
}

// Trees, bushes, street furniture.
void DrawScenery(cairo_t* cr, ObjectShape shape, int32_t variant, int32_t w, int32_t h)
{
    const double cx = w / 2.0, cy = h / 2.0;
    const ArtRgb tint = Tint(variant);
    cairo_set_line_width(cr, 2);
    switch (shape)
    {
    case ObjectShape::Tree:
        Box(cr, cx - 5, h - 30, 10, 28, {110, 75, 40});
        Disc(cr, cx, h - 48, w / 2.0 - 4, {40 + 10 * variant, 120, 50});
        Disc(cr, cx - 8, h - 56, 10, {70, 160, 70});
        break;
    case ObjectShape::Bush:
    case ObjectShape::HayBale:
        Disc(cr, cx - w / 5.0, cy + 2, h / 2.6,
             shape == ObjectShape::Bush ? ArtRgb{50, 130, 50} : ArtRgb{220, 190, 90});
        Disc(cr, cx + w / 5.0, cy + 2, h / 2.6,
             shape == ObjectShape::Bush ? ArtRgb{60, 145, 60} : ArtRgb{205, 175, 80});
        break;
    case ObjectShape::Lamp:
    case ObjectShape::SignPost:
        Box(cr, cx - 3, 10, 6, h - 10, {70, 70, 80});
        if (shape == ObjectShape::Lamp)
            Disc(cr, cx, 10, 8, {255, 240, 150});
        else
            Box(cr, 2, 6, w - 4, 18, tint);
        break;
    case ObjectShape::Bench:
    case ObjectShape::Fence:
        for (int x = 4; x < w - 2; x += shape == ObjectShape::Fence ? 12 : 40)
            Box(cr, x, 4, 4, h - 6, {120, 80, 45});
        Box(cr, 0, 6, w, 6, {160, 110, 60});
        Box(cr, 0, h / 2.0, w, 6, {160, 110, 60});
        break;
    case ObjectShape::Hydrant:
    case ObjectShape::Bin:
    case ObjectShape::MailBox:
    case ObjectShape::Meter: {
        const ArtRgb body = shape == ObjectShape::Hydrant ? ArtRgb{220, 40, 40}
                            : shape == ObjectShape::Bin   ? ArtRgb{70, 120, 70}
                            : shape == ObjectShape::Meter ? ArtRgb{150, 150, 160}
                                                          : ArtRgb{40, 80, 200};
        Box(cr, 3, 6, w - 6, h - 8, body);
        Box(cr, 1, 2, w - 2, 6, {60, 60, 60});
        if (shape == ObjectShape::Meter)
            Disc(cr, cx, 14, 5, WHITE);
        break;
    }
    case ObjectShape::Cone:
        cairo_move_to(cr, cx, 2);
        cairo_line_to(cr, w - 2, h - 2);
        cairo_line_to(cr, 2, h - 2);
        cairo_close_path(cr);
        Colour(cr, 250, 130, 30);
        cairo_fill(cr);
        Box(cr, cx - 4, h / 2.0, 8, 4, WHITE);
        break;
    case ObjectShape::FlowerPot:
        Box(cr, 6, cy, w - 12, h / 2.0 - 1, {180, 90, 50});
        Disc(cr, cx, cy - 4, 8, tint);
        break;
    case ObjectShape::Rock:
        Disc(cr, cx, cy + 2, h / 2.2, {140, 138, 130});
        Disc(cr, cx - 6, cy - 2, 5, {175, 172, 165});
        break;
    case ObjectShape::Tyres:
        for (int i = 0; i < 3; ++i)
            Disc(cr, cx, h - 8 - 8 * i, w / 2.0 - 2, i % 2 ? ArtRgb{40, 40, 40} : ArtRgb{25, 25, 25});
        break;
    default:
        break;
    }
}

// Oil, the crate, junk and the things to collect.
void DrawPickups(cairo_t* cr, ObjectShape shape, int32_t variant, int32_t state, int32_t frame, int32_t w,
                 int32_t h)
{
    const double cx = w / 2.0, cy = h / 2.0;
    const ArtRgb tint = Tint(variant);
    cairo_set_line_width(cr, 2);
    switch (shape)
    {
    case ObjectShape::Oil:
    case ObjectShape::Puddle:
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, w / 2.0 - 2, h / 2.0 - 2);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
        if (shape == ObjectShape::Oil)
            Colour(cr, 20 + 6 * frame, 20, 30);
        else
            Colour(cr, 110, 150, 200);
        cairo_fill(cr);
        break;
    case ObjectShape::Crate:
        if (state == 0)
        {
            Box(cr, 2, 2, w - 4, h - 4, {190, 140, 80});
            cairo_move_to(cr, 2, 2);
            cairo_line_to(cr, w - 2, h - 2);
            Colour(cr, 120, 80, 40);
            cairo_stroke(cr);
        }
        else
            for (int i = 0; i < 4; ++i)
                Box(cr, cx - 14 + 7 * i + (i - 2) * 3 * frame, cy - 4 + frame * (i % 2 ? 3 : -3), 8, 6,
                    {190, 140, 80});
        break;
    case ObjectShape::Junk: {
        // A piece of junk that bounces, settles and fades to a few crumbs.
        const double size = (h / 2.5) * (1.0 - 0.2 * frame);
        Disc(cr, cx, cy + (frame == 1 ? -6 : 0), size, tint);
        Box(cr, cx - size / 2, cy - 2, size, 4, BLACK);
        break;
    }
    case ObjectShape::Star:
    case ObjectShape::Coin:
    case ObjectShape::Ball:
    case ObjectShape::Apple:
    case ObjectShape::Book:
    case ObjectShape::Gift: {
        const double bob = frame % 2 ? -2 : 0;
        if (shape == ObjectShape::Star)
        {
            for (int i = 0; i < 10; ++i)
            {
                const double a = M_PI * i / 5 - M_PI / 2, r = i % 2 ? 6 : 14;
                cairo_line_to(cr, cx + r * cos(a), cy + bob + r * sin(a));
            }
            cairo_close_path(cr);
            Colour(cr, 250, 210, 40);
            cairo_fill(cr);
        }
        else if (shape == ObjectShape::Book || shape == ObjectShape::Gift)
        {
            Box(cr, 4, 6 + bob, w - 8, h - 10, shape == ObjectShape::Book ? ArtRgb{60, 90, 190} : tint);
            Box(cr, cx - 2, 6 + bob, 4, h - 10, WHITE);
        }
        else
            Disc(cr, cx, cy + bob, w / 2.0 - 3,
                 shape == ObjectShape::Coin   ? ArtRgb{240, 200, 50}
                 : shape == ObjectShape::Ball ? ArtRgb{60, 150, 240}
                                              : ArtRgb{220, 40, 40});
        break;
    }
    default:
        break;
    }
}

// Fires, the finish banner, blockers, ground marks and things overhead.
void DrawMarks(cairo_t* cr, ObjectShape shape, int32_t variant, int32_t state, int32_t frame, int32_t w,
               int32_t h)
{
    const double cx = w / 2.0, cy = h / 2.0;
    const ArtRgb tint = Tint(variant);
    cairo_set_line_width(cr, 2);
    switch (shape)
    {
    case ObjectShape::Fire: {
        // Flames that flicker; state 1 roars, state 2 is smoke going out.
        const double grow = state == 1 ? 1.15 : state == 2 ? 0.6 : 1.0;
        const double sway = frame == 1 ? 3 : frame == 2 ? -3 : 0;
        const ArtRgb outer = state == 2 ? ArtRgb{120, 120, 120} : ArtRgb{240, 90, 20};
        const ArtRgb inner = state == 2 ? ArtRgb{170, 170, 170} : ArtRgb{255, 210, 60};
        for (int layer = 0; layer < 2; ++layer)
        {
            const double s = (layer ? 0.55 : 1.0) * grow;
            cairo_move_to(cr, cx - w * 0.4 * s, h - 2);
            cairo_curve_to(cr, cx - w * 0.45 * s, h - h * 0.5 * s, cx + sway, h - h * 0.7 * s, cx + sway,
                           h - h * 0.95 * s);
            cairo_curve_to(cr, cx + sway, h - h * 0.7 * s, cx + w * 0.45 * s, h - h * 0.5 * s,
                           cx + w * 0.4 * s, h - 2);
            cairo_close_path(cr);
            Colour(cr, layer ? inner : outer);
            cairo_fill(cr);
        }
        break;
    }
    case ObjectShape::Finish:
        Box(cr, 0, 0, 6, h, {60, 60, 60});
        Box(cr, w - 6, 0, 6, h, {60, 60, 60});
        for (int x = 6; x < w - 6; x += 8)
            for (int y = 4; y < 20; y += 8)
                Box(cr, x, y, 8, 8, ((x - 6) / 8 + y / 8) % 2 ? WHITE : BLACK);
        break;
    case ObjectShape::Invisible:
        break;
    case ObjectShape::Manhole:
        Disc(cr, cx, cy, w / 2.0 - 1, {60, 60, 66});
        for (int i = -1; i <= 1; ++i)
            Box(cr, cx - w / 3.0, cy + i * 6 - 1, w / 1.5, 2, {90, 90, 96});
        break;
    case ObjectShape::Paint:
        Box(cr, 2, 2, w - 4, 4, WHITE);
        Box(cr, 2, 2, 4, h - 4, WHITE);
        Box(cr, w - 6, 2, 4, h - 4, WHITE);
        break;
    case ObjectShape::Canopy:
        Disc(cr, cx, cy, w / 2.0 - 2, {40, 120, 50});
        Disc(cr, cx - w / 6.0, cy - h / 6.0, w / 5.0, {70, 155, 70});
        Disc(cr, cx + w / 5.0, cy + h / 8.0, w / 6.0, {55, 140, 60});
        break;
    case ObjectShape::Banner:
        Box(cr, 0, 0, 8, h, {90, 70, 50});
        Box(cr, w - 8, 0, 8, h, {90, 70, 50});
        Box(cr, 8, 6, w - 16, 30, tint);
        for (int x = 20; x < w - 20; x += 24)
            Disc(cr, x, 21, 6, WHITE);
        break;
    default:
        break;
    }
}

} // namespace

void DrawObject(cairo_t* cr, ObjectShape shape, int32_t variant, int32_t state, int32_t frame, int32_t w,
                int32_t h)
{
    if (shape < ObjectShape::Oil || shape >= ObjectShape::MailBox)
        DrawScenery(cr, shape, variant, w, h);
    else if (shape < ObjectShape::Fire || shape == ObjectShape::Puddle)
        DrawPickups(cr, shape, variant, state, frame, w, h);
    else
        DrawMarks(cr, shape, variant, state, frame, w, h);
}

bool SaveTownCommonImages(const std::string& directory)
{
    const double angles[16] = {0,   337.5, 296.46, 286, 270, 256.6, 243.6, 202,
                               180, 157,   116.66, 102, 90,  76,    63.4,  25.5};
    char name[64];
    for (int i = 0; i < 16; ++i)
    {
        snprintf(name, sizeof(name), "/COMMON/helparrow%02d.tga", i);
        // Drawn pointing up, turned clockwise on the screen by the angle.
        const bool ok = SaveStrip(directory + name, 64, 64, 1, [&](cairo_t* cr, int32_t) {
            cairo_translate(cr, 32, 32);
            cairo_rotate(cr, angles[i] * M_PI / 180.0);
            const double shape[][2] = {{0, -28}, {20, -6}, {8, -6}, {8, 26}, {-8, 26}, {-8, -6}, {-20, -6}};
            for (const auto& p : shape)
                cairo_line_to(cr, p[0], p[1]);
            cairo_close_path(cr);
            Colour(cr, 255, 214, 40);
            cairo_fill_preserve(cr);
            Colour(cr, BLACK);
            cairo_set_line_width(cr, 3);
            cairo_stroke(cr);
        });
        if (!ok)
            return false;
    }
    return SaveStrip(directory + "/COMMON/zone.tga", 96, 96, 1,
                     [](cairo_t* cr, int32_t) {
                         for (int i = 0; i < 12; ++i)
                         {
                             cairo_arc(cr, 48, 48, 42, i * M_PI / 6, i * M_PI / 6 + M_PI / 10);
                             Colour(cr, 255, 240, 90);
                             cairo_set_line_width(cr, 6);
                             cairo_stroke(cr);
                         }
                         Disc(cr, 48, 48, 8, {255, 240, 90});
                     }) &&
           SaveStrip(directory + "/VPLAYER/tread.tga", 8, 8, 1,
                     [](cairo_t* cr, int32_t) {
                         Box(cr, 1, 0, 6, 8, {70, 50, 35});
                         Box(cr, 1, 3, 6, 2, {100, 75, 50});
                     }) &&
           SaveStrip(
               directory + "/MAP/mapbut.tga", 64, 48, 5,
               [](cairo_t* cr, int32_t f) {
                   // Up, highlighted, pressed, checked, disabled.
                   const ArtRgb face[] = {
                       {80, 150, 220}, {120, 190, 250}, {50, 110, 180}, {80, 150, 220}, {150, 150, 150}};
                   Box(cr, 2, 2 + (f == 2 ? 2 : 0), 60, 44 - (f == 2 ? 2 : 0), face[f]);
                   Box(cr, 10, 10, 44, 28, {240, 230, 190});
                   cairo_move_to(cr, 14, 30);
                   cairo_line_to(cr, 26, 16);
                   cairo_line_to(cr, 38, 28);
                   cairo_line_to(cr, 50, 14);
                   Colour(cr, 200, 40, 40);
                   cairo_set_line_width(cr, 3);
                   cairo_stroke(cr);
               }) &&
           SaveStrip(directory + "/COMMON/c_plate.tga", 96, 32, 1, [](cairo_t* cr, int32_t) {
               Box(cr, 0, 0, 96, 32, {250, 220, 60});
               Box(cr, 3, 3, 90, 26, WHITE);
               for (int i = 0; i < 5; ++i)
                   Box(cr, 12 + 15 * i, 9, 9, 14, BLACK);
           });
}

bool EncodeTownIntro(std::vector<uint8_t>* file)
{
    constexpr int W = 640, H = 480, FRAMES = 24;
    CCairoCanvas canvas(W, H);
    cairo_t* cr = canvas.Get();
    CxSmackerEncoder encoder;
    if (encoder.Begin(W, H, 12) != CX_ERR_NONE)
        return false;
    std::vector<uint8_t> pixels(static_cast<size_t>(W) * H), palette(768, 0);
    std::map<uint32_t, uint8_t> index; // colours met so far
    uint32_t lastRgb = 0xFFFFFFFF;
    uint8_t lastIndex = 0;
    for (int f = 0; f < FRAMES; ++f)
    {
        Box(cr, 0, 0, W, 300, {120, 190, 240});
        Disc(cr, 540, 80, 40, {255, 220, 60});
        Box(cr, 0, 300, W, 180, {98, 168, 74});
        Box(cr, 0, 360, W, 70, {78, 78, 86});
        for (int x = (f * 20) % 80 - 80; x < W; x += 80)
            Box(cr, x, 392, 40, 6, {240, 214, 80});
        for (int i = 0; i < 4; ++i)
        {
            const BuildingLook look{
                {200 - 30 * i, 120 + 25 * i, 90 + 30 * i}, {150, 60, 50}, {240, 230, 200}, i * 4};
            cairo_save(cr);
            cairo_translate(cr, 20 + 160 * i, 170);
            cairo_scale(cr, 0.55, 0.7);
            DrawBuilding(cr, look, f % 6 < 3 ? BuildingMood::Idle : BuildingMood::Happy, f / 3);
            cairo_restore(cr);
        }
        // The truck drives in from the left and stops in the middle.
        const double x = std::min(-160.0 + f * 30.0, 250.0);
        Box(cr, x, 330, 130, 56, {240, 190, 40});
        Box(cr, x + 96, 300, 44, 60, {235, 120, 30});
        Box(cr, x + 104, 308, 28, 22, GLASS);
        Disc(cr, x + 30, 392, 16, BLACK);
        Disc(cr, x + 112, 392, 16, BLACK);
        cairo_surface_t* surface = cairo_get_target(cr);
        cairo_surface_flush(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        for (int y = 0; y < H; ++y)
        {
            const uint32_t* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
            for (int px = 0; px < W; ++px)
            {
                const uint32_t rgb = row[px] & 0xFFFFFF;
                if (rgb == lastRgb)
                {
                    pixels[static_cast<size_t>(y) * W + px] = lastIndex;
                    continue;
                }
                auto found = index.find(rgb);
                if (found == index.end())
                {
                    if (index.size() >= 256)
                        return false;
                    const uint8_t n = static_cast<uint8_t>(index.size());
                    palette[n * 3u] = static_cast<uint8_t>(rgb >> 16);
                    palette[n * 3u + 1] = static_cast<uint8_t>(rgb >> 8);
                    palette[n * 3u + 2] = static_cast<uint8_t>(rgb);
                    found = index.emplace(rgb, n).first;
                }
                pixels[static_cast<size_t>(y) * W + px] = lastIndex = found->second;
                lastRgb = rgb;
            }
        }
        if (encoder.AddFrame(pixels.data(), palette.data()) != CX_ERR_NONE)
            return false;
    }
    // A short fanfare as the truck drives in.
    const double seconds = static_cast<double>(FRAMES) / 12;
    if (encoder.SetAudio(MovieAudio(MelodySound({392.0, 523.3, 659.3, 784.0}, 0.2, seconds))) != CX_ERR_NONE)
        return false;
    return encoder.Finish(file) == CX_ERR_NONE;
}
