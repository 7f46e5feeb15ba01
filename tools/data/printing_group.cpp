// The printing room's pictures: backgrounds, buttons (five frames: up,
// down, up with the pointer over it, down with the pointer over it,
// disabled and greyed), the thumbnails, twenty colouring pages (as TGA for
// the screen and BMP for the printer), ten certificate backgrounds, fifteen
// item icons on the black key, and the certificates' bitmap font.
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/image_files.h"
#include "tools/data/cairo_art.h"
#include "tools/data/demo_data.h"
#include "tools/data/printing_art.h"

#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <initializer_list>

namespace {
using Emblem = std::function<void(cairo_t*, double width, double height)>;

std::string Name(const char* format, int n)
{
    char name[64];
    snprintf(name, sizeof(name), format, n);
    return name;
}

void Card(cairo_t* cr, double w, double h)
{
    const double r = 8;
    cairo_new_sub_path(cr);
    cairo_arc(cr, w - r - 1, r + 1, r, -M_PI / 2, 0);
    cairo_arc(cr, w - r - 1, h - r - 1, r, 0, M_PI / 2);
    cairo_arc(cr, r + 1, h - r - 1, r, M_PI / 2, M_PI);
    cairo_arc(cr, r + 1, r + 1, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

// A button picture: five frames of width x height side by side.
bool SaveButton(const std::string& path, int width, int height, const Emblem& emblem)
{
    static const double CARDS[5][3] = {
        {0.98, 0.92, 0.78}, {0.85, 0.78, 0.62}, {1.0, 0.98, 0.6}, {0.95, 0.85, 0.45}, {0.9, 0.9, 0.9}};
    CCairoCanvas canvas(width * 5, height, true);
    cairo_t* cr = canvas.Get();
    for (int state = 0; state < 5; ++state)
    {
        cairo_save(cr);
        cairo_translate(cr, state * width, 0);
        Card(cr, width, height);
        cairo_clip_preserve(cr);
        cairo_set_source_rgb(cr, CARDS[state][0], CARDS[state][1], CARDS[state][2]);
        cairo_fill(cr);
        cairo_save(cr);
        const double press = state == 1 || state == 3 ? 2 : 0;
        cairo_translate(cr, press, press);
        emblem(cr, width, height);
        cairo_restore(cr);
        if (state == 4)
        {
            cairo_set_source_rgba(cr, 0.8, 0.8, 0.8, 0.7);
            cairo_paint(cr);
        }
        Card(cr, width, height);
        cairo_set_source_rgb(cr, 0.25, 0.2, 0.15);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    return canvas.SaveTga(path);
}

bool SaveBackground(const std::string& path, int red, int green, int blue, const char* title)
{
    CCairoCanvas canvas(640, 480, true);
    cairo_t* cr = canvas.Get();
    cairo_set_source_rgb(cr, red / 255.0, green / 255.0, blue / 255.0);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.15, 0.15, 0.3);
    DrawCentredText(cr, title, 320, 26, 24, true);
    return canvas.SaveTga(path);
}

bool SaveMainPage(const std::string& path)
{
    CCairoCanvas canvas(640, 480, true);
    cairo_t* cr = canvas.Get();
    cairo_set_source_rgb(cr, 0.67, 0.82, 0.94);
    cairo_paint(cr);
    cairo_rectangle(cr, 0, 380, 640, 100);
    cairo_set_source_rgb(cr, 0.78, 0.66, 0.47);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.15, 0.15, 0.3);
    DrawCentredText(cr, "Print Shop", 320, 50, 40, true);
    DrawCentredText(cr, "Certificates", 172, 300, 20, true);
    DrawCentredText(cr, "Colouring Pages", 481, 300, 20, true);
    cairo_save(cr);
    cairo_translate(cr, 250, 330);
    DrawPrinterEmblem(cr, 140, 110);
    cairo_restore(cr);
    return canvas.SaveTga(path);
}

// The pictures of one colouring page: the page for the screen and for the
// printer, and its thumbnail button.
bool SaveColoringPage(const std::string& out, int n)
{
    CCairoCanvas page(640, 480, true);
    DrawColoringPage(page.Get(), n);
    CxDrawSurface surface;
    page.ToSurface(surface);
    const std::string bmp = out + Name("/printing/bg_col%02d.bmp", n);
    if (!page.SaveTga(out + Name("/printing/bg_col%02d.tga", n)) ||
        SaveImageFile(&surface, bmp.c_str(), 0) != CX_ERR_NONE)
        return false;
    return SaveButton(out + Name("/printing/bt_col%02d.tga", n), 88, 96, [n](cairo_t* cr, double w, double) {
        cairo_rectangle(cr, 6, 14, w - 12, (w - 12) * 0.75);
        cairo_clip(cr);
        cairo_translate(cr, 6, 14);
        cairo_scale(cr, (w - 12) / 640, (w - 12) / 640);
        DrawColoringPage(cr, n);
    });
}

bool SaveCertificate(const std::string& out, int n)
{
    CCairoCanvas certificate(640, 480, true);
    DrawCertificate(certificate.Get(), n);
    if (!certificate.SaveTga(out + Name("/printing/bg_cer%02d.tga", n)))
        return false;
    return SaveButton(out + Name("/printing/bt_cer%02d.tga", n), 150, 90,
                      [n](cairo_t* cr, double w, double h) {
                          cairo_rectangle(cr, 8, 8, w - 16, h - 16);
                          cairo_clip(cr);
                          cairo_translate(cr, 8, 8);
                          cairo_scale(cr, (w - 16) / 640, (h - 16) / 480);
                          DrawCertificate(cr, n);
                      });
}

bool SaveIcon(const std::string& out, int n)
{
    CCairoCanvas icon(44, 44, true);
    DrawItemIcon(icon.Get(), n);
    return icon.SaveTga(out + Name("/printing/icon_%02d.tga", n));
}

// The certificates' font in the bitmap font layout: glyph n of the strip is
// character n; a separator pixel (palette index 1) in the top row starts
// each glyph; paper is index 10, the fonts' transparent colour; ink index 2.
bool SaveFont(const std::string& path)
{
    // 16 pixels keeps the longest title ("Super Good Police Officer") inside its 260-pixel line.
    constexpr int HEIGHT = 22, BASELINE = 17, GLYPHS = 128, SIZE = 16;
    cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cr = cairo_create(probe);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, SIZE);
    int widths[GLYPHS];
    int total = 1;
    for (int c = 0; c < GLYPHS; ++c)
    {
        const char text[2] = {static_cast<char>(c), 0};
        cairo_text_extents_t extents{};
        if (c >= 32 && c < 127)
            cairo_text_extents(cr, text, &extents);
        widths[c] = std::max(1, static_cast<int>(std::ceil(extents.x_advance)));
        total += widths[c] + 1;
    }
    cairo_destroy(cr);
    cairo_surface_destroy(probe);

    cairo_surface_t* strip = cairo_image_surface_create(CAIRO_FORMAT_A8, total, HEIGHT);
    cr = cairo_create(strip);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, SIZE);
    CxDrawSurface font(total, HEIGHT, 8);
    uint8_t palette[768] = {};
    const uint8_t colours[][4] = {{1, 255, 0, 0}, {2, 25, 35, 110}, {10, 255, 255, 255}};
    for (const auto& c : colours)
        for (int i = 0; i < 3; ++i)
            palette[c[0] * 3 + i] = c[i + 1];
    font.SetPalette(palette);
    font.FillRect(nullptr, 10);
    int x = 0;
    for (int c = 0; c < GLYPHS; ++c)
    {
        font.SetPixel(x, 0, 1);
        const char text[2] = {static_cast<char>(c), 0};
        if (c >= 32 && c < 127)
        {
            cairo_move_to(cr, x + 1, BASELINE);
            cairo_show_text(cr, text);
        }
        x += widths[c] + 1;
    }
    cairo_surface_flush(strip);
    const unsigned char* alpha = cairo_image_surface_get_data(strip);
    const int stride = cairo_image_surface_get_stride(strip);
    for (int y = 0; y < HEIGHT; ++y)
        for (int px = 0; px < total; ++px)
            if (alpha[y * stride + px] >= 128 && font.GetPixel(px, y) != 1)
                font.SetPixel(px, y, 2);
    cairo_destroy(cr);
    cairo_surface_destroy(strip);
    return MakeParentDirectories(path) && SaveImageFile(&font, path.c_str(), 0) == CX_ERR_NONE;
}

class CPrintingGroup : public CDemoGroup
{
public:
    const char* Name() const override { return "printing"; }
    uint32_t Version() const override { return 2; }
    std::vector<std::string> Outputs(const DemoDataPaths&) const override
    {
        std::vector<std::string> files = {
            "printing/bg_print.tga", "printing/bg_color.tga", "printing/bg_certf.tga", "printing/bt_back.tga",
            "printing/bt_color.tga", "printing/bt_certf.tga", "printing/bt_print.tga", "printing/font1.pcx"};
        for (int n = 0; n < PRINTING_ART_PAGES; ++n)
            for (const char* format :
                 {"printing/bg_col%02d.tga", "printing/bg_col%02d.bmp", "printing/bt_col%02d.tga"})
                files.push_back(::Name(format, n));
        for (int n = 0; n < PRINTING_ART_CERTIFICATES; ++n)
            for (const char* format : {"printing/bg_cer%02d.tga", "printing/bt_cer%02d.tga"})
                files.push_back(::Name(format, n));
        for (int n = 0; n < PRINTING_ART_ICONS; ++n)
            files.push_back(::Name("printing/icon_%02d.tga", n));
        return files;
    }
    bool Make(const DemoDataPaths& paths) const override
    {
        const std::string out = paths.output, dir = out + "/printing/";
        bool ok = SaveMainPage(dir + "bg_print.tga") &&
                  SaveBackground(dir + "bg_color.tga", 200, 230, 200, "Pick a picture to colour") &&
                  SaveBackground(dir + "bg_certf.tga", 230, 215, 245, "Pick a certificate") &&
                  SaveButton(dir + "bt_back.tga", 64, 48, DrawBackArrow) &&
                  SaveButton(dir + "bt_color.tga", 160, 160, DrawCrayonsEmblem) &&
                  SaveButton(dir + "bt_certf.tga", 160, 160,
                             [](cairo_t* cr, double w, double h) {
                                 DrawRosette(cr, w / 2, h * 0.4, w * 0.28, 0);
                             }) &&
                  SaveButton(dir + "bt_print.tga", 72, 60, DrawPrinterEmblem) && SaveFont(dir + "font1.pcx");
        for (int n = 0; ok && n < PRINTING_ART_PAGES; ++n)
            ok = SaveColoringPage(out, n);
        for (int n = 0; ok && n < PRINTING_ART_CERTIFICATES; ++n)
            ok = SaveCertificate(out, n);
        for (int n = 0; ok && n < PRINTING_ART_ICONS; ++n)
            ok = SaveIcon(out, n);
        // The fonts' caches go now, so that nothing of the lettering outlives the group.
        cairo_debug_reset_static_data();
        FcFini();
        return ok;
    }
};
} // namespace

std::unique_ptr<CDemoGroup> MakePrintingGroup()
{
    return std::make_unique<CPrintingGroup>();
}
