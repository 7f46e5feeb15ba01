#include "tools/data/printing_art.h"

#include <cmath>
#include <initializer_list>

namespace {
const char* const ACTIVITIES[PRINTING_ART_CERTIFICATES] = {
    "Collecting",        "Building",         "Firefighting",    "Bumper Cars",        "Fishing",
    "Racing with Brund", "Racing with Gosk", "Racing with Tev", "Racing with Zorbin", "All of Rumbo Town",
};
const double SEAL_COLOURS[PRINTING_ART_CERTIFICATES][3] = {
    {0.85, 0.65, 0.1}, {0.9, 0.5, 0.1}, {0.85, 0.15, 0.1}, {0.15, 0.3, 0.8}, {0.1, 0.55, 0.7},
    {0.6, 0.3, 0.1},   {0.3, 0.6, 0.2}, {0.5, 0.2, 0.6},   {0.8, 0.3, 0.5},  {0.9, 0.75, 0.2},
};

void Line(cairo_t* cr, double width = 3)
{
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
}

void Circle(cairo_t* cr, double x, double y, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
}

void Rgb(cairo_t* cr, int r, int g, int b)
{
    cairo_set_source_rgb(cr, r / 255.0, g / 255.0, b / 255.0);
}

// A dark frame along every edge of the 640 x 480 page.
void PageFrame(cairo_t* cr)
{
    Rgb(cr, 30, 30, 40);
    cairo_rectangle(cr, 0, 0, 640, 480);
    cairo_rectangle(cr, 10, 10, 620, 460);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
}

void Sun(cairo_t* cr, double x, double y, double r)
{
    Circle(cr, x, y, r);
    for (int i = 0; i < 8; ++i)
    {
        const double a = i * M_PI / 4;
        cairo_move_to(cr, x + cos(a) * (r + 8), y + sin(a) * (r + 8));
        cairo_line_to(cr, x + cos(a) * (r + 22), y + sin(a) * (r + 22));
    }
    Line(cr);
}

void Cloud(cairo_t* cr, double x, double y)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y, 18, M_PI / 2, 3 * M_PI / 2);
    cairo_arc(cr, x + 28, y - 14, 22, M_PI, 2 * M_PI);
    cairo_arc(cr, x + 58, y, 18, 3 * M_PI / 2, M_PI / 2);
    cairo_close_path(cr);
    Line(cr);
}

void Tree(cairo_t* cr, double x, double ground, double s)
{
    cairo_rectangle(cr, x - 8 * s, ground - 50 * s, 16 * s, 50 * s);
    Circle(cr, x, ground - 80 * s, 38 * s);
    Line(cr);
}

void Road(cairo_t* cr, double y)
{
    cairo_move_to(cr, 10, y);
    cairo_line_to(cr, 630, y);
    for (double x = 30; x < 620; x += 80)
    {
        cairo_move_to(cr, x, y + 30);
        cairo_line_to(cr, x + 40, y + 30);
    }
    Line(cr);
}

void Waves(cairo_t* cr, double y)
{
    for (int row = 0; row < 3; ++row)
    {
        cairo_move_to(cr, 20, y + row * 30);
        for (double x = 20; x < 620; x += 40)
            cairo_curve_to(cr, x + 10, y + row * 30 - 12, x + 30, y + row * 30 + 12, x + 40, y + row * 30);
    }
    Line(cr);
}

// A truck with its front to the right; kind 0 dump truck, 1 fire truck, 2 mail van, 3 tow truck.
void Truck(cairo_t* cr, double x, double ground, double s, int kind)
{
    cairo_save(cr);
    cairo_translate(cr, x, ground);
    cairo_scale(cr, s, s);
    cairo_rectangle(cr, 150, -110, 80, 80); // the cab
    cairo_rectangle(cr, 165, -100, 50, 35); // its window
    if (kind == 0)
    {
        cairo_move_to(cr, 0, -130);
        cairo_line_to(cr, 140, -130);
        cairo_line_to(cr, 140, -30);
        cairo_line_to(cr, 20, -30);
        cairo_close_path(cr);
    }
    else if (kind == 1)
    {
        cairo_rectangle(cr, 0, -100, 145, 70);
        cairo_move_to(cr, 10, -125);
        cairo_line_to(cr, 150, -125);
        cairo_move_to(cr, 10, -112);
        cairo_line_to(cr, 150, -112);
        for (double r = 20; r < 150; r += 22)
        {
            cairo_move_to(cr, r, -125);
            cairo_line_to(cr, r, -112);
        }
    }
    else if (kind == 2)
    {
        cairo_rectangle(cr, 0, -140, 145, 110);
        cairo_rectangle(cr, 40, -110, 60, 40); // the envelope
        cairo_move_to(cr, 40, -110);
        cairo_line_to(cr, 70, -88);
        cairo_line_to(cr, 100, -110);
    }
    else
    {
        cairo_rectangle(cr, 0, -70, 145, 40);
        cairo_move_to(cr, 60, -70);
        cairo_line_to(cr, 20, -160);
        cairo_line_to(cr, -30, -100);
        cairo_line_to(cr, -30, -60);
        Circle(cr, -30, -52, 8);
    }
    Circle(cr, 45, -25, 25);
    Circle(cr, 190, -25, 25);
    Circle(cr, 45, -25, 9);
    Circle(cr, 190, -25, 9);
    cairo_restore(cr);
    Line(cr);
}

// A building; the sign's text over its door.
void Building(cairo_t* cr, double x, double ground, double w, double h, bool pointedRoof, const char* sign)
{
    cairo_rectangle(cr, x, ground - h, w, h);
    if (pointedRoof)
    {
        cairo_move_to(cr, x - 15, ground - h);
        cairo_line_to(cr, x + w / 2, ground - h - w * 0.45);
        cairo_line_to(cr, x + w + 15, ground - h);
        cairo_close_path(cr);
    }
    else
        cairo_rectangle(cr, x - 10, ground - h - 20, w + 20, 20);
    cairo_rectangle(cr, x + w / 2 - 25, ground - 80, 50, 80); // the door
    for (double wx = x + 20; wx + 40 <= x + w - 10; wx += w / 2 - 20)
        cairo_rectangle(cr, wx, ground - h + 30, 40, 40);
    cairo_rectangle(cr, x + w / 2 - 80, ground - 125, 160, 36);
    Line(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    DrawCentredText(cr, sign, x + w / 2, ground - 98, 22, true);
}

// Vodu, the round fellow who floats in the river, waving or not.
void Vodu(cairo_t* cr, double x, double y, double s, bool waving)
{
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, s, s);
    cairo_save(cr);
    cairo_scale(cr, 1.0, 0.8);
    Circle(cr, 0, 0, 80);
    cairo_restore(cr);
    Circle(cr, -28, -20, 18);
    Circle(cr, 28, -20, 18);
    Circle(cr, -24, -18, 6);
    Circle(cr, 32, -18, 6);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 10, 30, 0.2, M_PI - 0.2);
    cairo_move_to(cr, -78, 0);
    cairo_line_to(cr, -115, waving ? -60 : 20);
    cairo_move_to(cr, 78, 0);
    cairo_line_to(cr, 115, 20);
    cairo_restore(cr);
    Line(cr);
}

void Fish(cairo_t* cr, double x, double y)
{
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, 1.6, 1);
    Circle(cr, 0, 0, 18);
    cairo_restore(cr);
    cairo_move_to(cr, x + 28, y);
    cairo_line_to(cr, x + 48, y - 14);
    cairo_line_to(cr, x + 48, y + 14);
    cairo_close_path(cr);
    Circle(cr, x - 14, y - 4, 3);
    Line(cr, 2.5);
}

void BuildingPage(cairo_t* cr, int n)
{
    static const char* const SIGNS[] = {"BAKERY", "FIRE STATION", "POST OFFICE",
                                        "SCHOOL", "LIBRARY",      "DINER"};
    Sun(cr, 80, 80, 30);
    Cloud(cr, 470, 80);
    Building(cr, 190, 400, 260, 200 + 10 * (n % 3), n % 2 == 0, SIGNS[n]);
    Tree(cr, 100, 400, 1.0);
    Tree(cr, 540, 400, 0.8 + 0.1 * (n % 3));
    Road(cr, 400);
}

void TownPage(cairo_t* cr, int n)
{
    if (n == 0)
    {
        Building(cr, 40, 330, 150, 150, true, "HOME");
        Building(cr, 245, 330, 150, 190, false, "SHOP");
        Building(cr, 450, 330, 150, 150, true, "CAFE");
        Road(cr, 330);
        Truck(cr, 200, 460, 0.5, 2);
    }
    else if (n == 1)
    {
        for (double x : {90.0, 230.0, 400.0, 550.0})
            Tree(cr, x, 380, 1.2);
        Sun(cr, 320, 90, 35);
        Road(cr, 380);
    }
    else if (n == 2)
    {
        Waves(cr, 360);
        cairo_move_to(cr, 60, 330);
        cairo_curve_to(cr, 200, 200, 440, 200, 580, 330);
        for (double x = 120; x < 560; x += 70)
        {
            cairo_move_to(cr, x, 330);
            cairo_line_to(cr, x, 250 + fabs(x - 320) / 4);
        }
        Line(cr);
        Truck(cr, 250, 250, 0.45, 0);
    }
    else if (n == 3)
    {
        Circle(cr, 320, 210, 150);
        for (int i = 0; i < 8; ++i)
        {
            const double a = i * M_PI / 4;
            cairo_move_to(cr, 320, 210);
            cairo_line_to(cr, 320 + cos(a) * 150, 210 + sin(a) * 150);
            Circle(cr, 320 + cos(a) * 150, 210 + sin(a) * 150, 18);
        }
        cairo_move_to(cr, 250, 440);
        cairo_line_to(cr, 320, 210);
        cairo_line_to(cr, 390, 440);
        Line(cr);
    }
    else if (n == 4)
    {
        Waves(cr, 330);
        cairo_move_to(cr, 200, 300);
        cairo_line_to(cr, 440, 300);
        cairo_line_to(cr, 400, 350);
        cairo_line_to(cr, 240, 350);
        cairo_close_path(cr);
        cairo_move_to(cr, 320, 300);
        cairo_line_to(cr, 320, 120);
        cairo_line_to(cr, 420, 280);
        cairo_line_to(cr, 320, 280);
        Line(cr);
        Sun(cr, 540, 90, 30);
    }
    else
    {
        // The town seen from above: streets, blocks and the river.
        for (double x = 40; x < 600; x += 140)
            for (double y = 40; y < 300; y += 110)
                cairo_rectangle(cr, x, y, 100, 70);
        Line(cr);
        Waves(cr, 370);
    }
}
} // namespace

void DrawCentredText(cairo_t* cr, const char* text, double x, double y, double size, bool bold)
{
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    cairo_move_to(cr, x - extents.width / 2 - extents.x_bearing, y - extents.height / 2 - extents.y_bearing);
    cairo_show_text(cr, text);
    cairo_new_path(cr);
}

void DrawColoringPage(cairo_t* cr, int n)
{
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    if (n < 4)
    {
        Sun(cr, 540, 90, 30);
        Cloud(cr, 80, 90);
        Road(cr, 390);
        Truck(cr, 150 - 20 * n, 390, 1.2, n);
    }
    else if (n < 10)
        BuildingPage(cr, n - 4);
    else if (n < 14)
    {
        Waves(cr, 330);
        Vodu(cr, 320, 260, 1.1, n % 2 == 0);
        if (n >= 12)
        {
            Fish(cr, 120, 410);
            Fish(cr, 480, 420);
        }
        Sun(cr, 540, 80, 28);
    }
    else
        TownPage(cr, n - 14);
    PageFrame(cr);
}

void DrawRosette(cairo_t* cr, double x, double y, double radius, int n)
{
    const double* c = SEAL_COLOURS[n % PRINTING_ART_CERTIFICATES];
    cairo_set_source_rgb(cr, c[0], c[1], c[2]);
    cairo_move_to(cr, x - radius * 0.5, y);
    cairo_line_to(cr, x - radius * 0.8, y + radius * 1.8);
    cairo_line_to(cr, x - radius * 0.3, y + radius * 1.5);
    cairo_line_to(cr, x, y);
    cairo_line_to(cr, x + radius * 0.3, y + radius * 1.5);
    cairo_line_to(cr, x + radius * 0.8, y + radius * 1.8);
    cairo_line_to(cr, x + radius * 0.5, y);
    cairo_fill(cr);
    for (int i = 0; i < 16; ++i)
    {
        const double a = i * M_PI / 8;
        Circle(cr, x + cos(a) * radius * 0.85, y + sin(a) * radius * 0.85, radius * 0.25);
    }
    Circle(cr, x, y, radius * 0.85);
    cairo_set_source_rgb(cr, c[0], c[1], c[2]);
    cairo_fill(cr);
    Circle(cr, x, y, radius * 0.6);
    cairo_set_source_rgb(cr, 1, 0.97, 0.85);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, c[0] * 0.6, c[1] * 0.6, c[2] * 0.6);
    DrawCentredText(cr, "*", x, y + radius * 0.1, radius * 0.9, true);
}

void DrawCertificate(cairo_t* cr, int n)
{
    cairo_set_source_rgb(cr, 1, 0.97, 0.86);
    cairo_paint(cr);
    Rgb(cr, 40, 35, 60);
    cairo_rectangle(cr, 0, 0, 640, 480);
    cairo_rectangle(cr, 12, 12, 616, 456);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    Rgb(cr, 200, 160, 40);
    cairo_rectangle(cr, 22, 22, 596, 436);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    // The text block is centred on the name's line (x 272); the seal sits to its right.
    Rgb(cr, 40, 35, 60);
    DrawCentredText(cr, "Certificate", 272, 120, 40, true);
    DrawCentredText(cr, ACTIVITIES[n], 272, 162, 22, false);
    DrawCentredText(cr, "This is to say that", 272, 196, 16, false);
    DrawCentredText(cr, "is a", 272, 290, 16, false);
    cairo_move_to(cr, 172, 262);
    cairo_line_to(cr, 372, 262);
    cairo_move_to(cr, 142, 367);
    cairo_line_to(cr, 402, 367);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    DrawRosette(cr, 510, 230, 60, n);
    if (n == 0)
    {
        // Empty slots where the found items' icons go.
        static const double SLOTS[][2] = {{200, 407}, {99, 407},  {423, 31},  {373, 31},  {149, 407},
                                          {272, 31},  {249, 407}, {223, 31},  {323, 31},  {173, 31},
                                          {449, 407}, {399, 407}, {499, 407}, {300, 407}, {348, 407}};
        for (const auto& slot : SLOTS)
            Circle(cr, slot[0] + 22, slot[1] + 22, 21);
        Rgb(cr, 225, 215, 185);
        cairo_fill(cr);
    }
    else
    {
        Rgb(cr, 40, 35, 60);
        DrawCentredText(cr, "Rumbo Town", 272, 420, 18, true);
    }
}

void DrawItemIcon(cairo_t* cr, int n)
{
    static const int COLOURS[PRINTING_ART_ICONS][3] = {
        {250, 210, 40}, {220, 40, 40},  {40, 120, 230}, {200, 170, 60}, {230, 90, 180},
        {60, 160, 220}, {230, 190, 60}, {120, 70, 40},  {230, 60, 90},  {240, 240, 240},
        {60, 150, 70},  {150, 90, 50},  {200, 60, 50},  {240, 60, 120}, {250, 160, 30},
    };
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    Rgb(cr, COLOURS[n][0], COLOURS[n][1], COLOURS[n][2]);
    switch (n)
    {
    case 0: // a star
        for (int i = 0; i < 10; ++i)
        {
            const double r = i % 2 ? 9 : 20, a = -M_PI / 2 + i * M_PI / 5;
            cairo_line_to(cr, 22 + cos(a) * r, 23 + sin(a) * r);
        }
        cairo_close_path(cr);
        break;
    case 1: // an apple
        Circle(cr, 22, 25, 16);
        break;
    case 2: // a ball
        Circle(cr, 22, 22, 18);
        break;
    case 3: // a key
        Circle(cr, 12, 22, 9);
        cairo_rectangle(cr, 18, 19, 22, 6);
        cairo_rectangle(cr, 32, 25, 5, 7);
        break;
    case 4: // a flower
        for (int i = 0; i < 5; ++i)
            Circle(cr, 22 + cos(i * 1.2566) * 10, 22 + sin(i * 1.2566) * 10, 8);
        break;
    case 5: // a fish
        cairo_save(cr);
        cairo_translate(cr, 18, 22);
        cairo_scale(cr, 1.5, 1);
        Circle(cr, 0, 0, 10);
        cairo_restore(cr);
        cairo_move_to(cr, 30, 22);
        cairo_line_to(cr, 42, 12);
        cairo_line_to(cr, 42, 32);
        break;
    case 6: // a bell
        cairo_move_to(cr, 8, 34);
        cairo_curve_to(cr, 12, 2, 32, 2, 36, 34);
        cairo_close_path(cr);
        break;
    case 7: // a hat
        cairo_rectangle(cr, 4, 30, 36, 6);
        cairo_rectangle(cr, 12, 10, 20, 21);
        break;
    case 8: // a kite
        cairo_move_to(cr, 22, 2);
        cairo_line_to(cr, 38, 18);
        cairo_line_to(cr, 22, 40);
        cairo_line_to(cr, 6, 18);
        break;
    case 9: // a cup
        cairo_rectangle(cr, 8, 12, 22, 24);
        Circle(cr, 32, 24, 7);
        break;
    case 10: // a book
        cairo_rectangle(cr, 6, 8, 32, 28);
        break;
    case 11: // a shoe
        cairo_move_to(cr, 6, 12);
        cairo_line_to(cr, 18, 12);
        cairo_line_to(cr, 22, 24);
        cairo_line_to(cr, 40, 28);
        cairo_line_to(cr, 40, 36);
        cairo_line_to(cr, 6, 36);
        break;
    case 12: // a boat
        cairo_move_to(cr, 4, 28);
        cairo_line_to(cr, 40, 28);
        cairo_line_to(cr, 32, 38);
        cairo_line_to(cr, 12, 38);
        cairo_close_path(cr);
        cairo_move_to(cr, 22, 4);
        cairo_line_to(cr, 36, 24);
        cairo_line_to(cr, 22, 24);
        break;
    case 13: // a heart
        cairo_move_to(cr, 22, 38);
        cairo_curve_to(cr, -4, 20, 10, 0, 22, 14);
        cairo_curve_to(cr, 34, 0, 48, 20, 22, 38);
        break;
    default: // a sun
        Circle(cr, 22, 22, 14);
        break;
    }
    cairo_close_path(cr);
    cairo_fill_preserve(cr);
    Rgb(cr, 40, 30, 30); // outlines stay clear of the transparent black
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
}

void DrawPrinterEmblem(cairo_t* cr, double w, double h)
{
    Rgb(cr, 250, 250, 250);
    cairo_rectangle(cr, w * 0.3, h * 0.1, w * 0.4, h * 0.35);
    cairo_fill(cr);
    Rgb(cr, 90, 100, 120);
    cairo_rectangle(cr, w * 0.12, h * 0.4, w * 0.76, h * 0.35);
    cairo_fill(cr);
    Rgb(cr, 250, 250, 250);
    cairo_rectangle(cr, w * 0.3, h * 0.62, w * 0.4, h * 0.3);
    cairo_fill(cr);
    Rgb(cr, 60, 200, 80);
    Circle(cr, w * 0.78, h * 0.5, h * 0.05);
    cairo_fill(cr);
}

void DrawCrayonsEmblem(cairo_t* cr, double w, double h)
{
    static const int COLOURS[][3] = {{220, 40, 40}, {40, 120, 230}, {250, 200, 30}, {60, 170, 70}};
    Rgb(cr, 255, 255, 255);
    cairo_rectangle(cr, w * 0.15, h * 0.1, w * 0.5, h * 0.65);
    cairo_fill_preserve(cr);
    Line(cr, 2);
    Circle(cr, w * 0.4, h * 0.35, w * 0.12);
    Line(cr, 2);
    for (int i = 0; i < 4; ++i)
    {
        const double x = w * (0.55 + 0.09 * i), y = h * 0.3 + i * 4;
        Rgb(cr, COLOURS[i][0], COLOURS[i][1], COLOURS[i][2]);
        cairo_rectangle(cr, x, y, w * 0.07, h * 0.45);
        cairo_fill(cr);
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x + w * 0.035, y - h * 0.1);
        cairo_line_to(cr, x + w * 0.07, y);
        cairo_fill(cr);
    }
}

void DrawBackArrow(cairo_t* cr, double w, double h)
{
    Rgb(cr, 240, 240, 60);
    cairo_move_to(cr, w * 0.12, h * 0.5);
    cairo_line_to(cr, w * 0.45, h * 0.15);
    cairo_line_to(cr, w * 0.45, h * 0.35);
    cairo_line_to(cr, w * 0.88, h * 0.35);
    cairo_line_to(cr, w * 0.88, h * 0.65);
    cairo_line_to(cr, w * 0.45, h * 0.65);
    cairo_line_to(cr, w * 0.45, h * 0.85);
    cairo_close_path(cr);
    cairo_fill_preserve(cr);
    Line(cr, 2);
}
