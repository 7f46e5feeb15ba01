// make-sample-data OUTDIR: draws the pictures of the engine sample and encodes
// its fade movies, so that no binary asset needs to be kept in the sources.
//
//   OUTDIR/COMMON/FADE0.SMK   fade in: black bands opening from the middle
//   OUTDIR/COMMON/FADE1.SMK   fade out: black bands closing towards the middle
//   OUTDIR/ROOM0.BMP, ROOM1.BMP          the two room backgrounds
//   OUTDIR/NEXT.BMP, QUIT.BMP, HELP.BMP  push buttons, five frames each
//   OUTDIR/RED.BMP, GREEN.BMP, BLUE.BMP  radio buttons, five frames each
#include "engine/core/file.h"
#include "engine/graphics/default_font.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/font.h"
#include "engine/graphics/image_files.h"
#include "engine/graphics/image_filter.h"
#include "tools/smk/fade_movie.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {
constexpr int32_t SCREEN_WIDTH = 640;
constexpr int32_t SCREEN_HEIGHT = 480;
constexpr int32_t BUTTON_FRAMES = 5;

// A raw pixel value of the 24-bit pictures, whose bytes hold blue, green, red.
uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b)
{
    return b << 16 | g << 8 | r;
}

bool Save(CxDrawSurface& surface, const std::string& path)
{
    const uint32_t code = SaveImageFile(&surface, path.c_str(), 0);
    if (code != CX_ERR_NONE)
        fprintf(stderr, "make-sample-data: could not write %s (%s)\n", path.c_str(), GetErrorText(code));
    return code == CX_ERR_NONE;
}

// A background: a colour, a lighter band across the top with the room's title.
bool MakeBackground(const std::string& path, uint32_t colour, uint32_t band, const char* title)
{
    CxDrawSurface image(SCREEN_WIDTH, SCREEN_HEIGHT, 24);
    image.FillRect(nullptr, colour);
    const CxRect top(0, 0, SCREEN_WIDTH - 1, 59);
    image.FillRect(&top, band);
    DrawText(&image, top, Rgb(255, 255, 255), title, CX_TEXT_CENTER | CX_TEXT_VCENTER, 24);
    return Save(image, path);
}

// One picture of five equal frames, one per button state: up, down, up with
// the pointer over it, down with the pointer over it, disabled. A radio
// button shows a dot when it is selected (down).
bool MakeButton(const std::string& path, int32_t width, int32_t height, const char* label, uint32_t face,
                bool radio)
{
    const uint32_t faces[BUTTON_FRAMES] = {face, face / 2 & 0x7F7F7F, (face / 2 & 0x7F7F7F) + 0x606060,
                                           face / 4 & 0x3F3F3F, Rgb(128, 128, 128)};
    CxDrawSurface image(width * BUTTON_FRAMES, height, 24);
    for (int32_t state = 0; state < BUTTON_FRAMES; ++state)
    {
        const int32_t left = state * width;
        const CxRect frame(left, 0, left + width - 1, height - 1);
        image.FillRect(&frame, Rgb(255, 255, 255));
        const CxRect inner(left + 3, 3, left + width - 4, height - 4);
        image.FillRect(&inner, faces[state]);
        CxRect text = inner;
        if (radio)
        {
            const int32_t cx = left + 3 + height / 2;
            const int32_t cy = height / 2;
            image.DrawCircle(cx, cy, height / 4, Rgb(255, 255, 255));
            if (state == 1 || state == 3)
                image.FloodFill(cx, cy, Rgb(255, 255, 255));
            text.left = cx + height / 4 + 4;
        }
        const uint32_t ink = state == 4 ? Rgb(200, 200, 200) : Rgb(255, 255, 255);
        DrawText(&image, text, ink, label, (radio ? 0 : CX_TEXT_CENTER) | CX_TEXT_VCENTER, 24);
    }
    return Save(image, path);
}

// The shared fade movie, written to path.
bool MakeFade(const std::string& path, bool closing)
{
    std::vector<uint8_t> file;
    if (!EncodeFadeMovie(closing, &file))
        return false;
    FILE* out = fopen(path.c_str(), "wb");
    const bool ok = out && fwrite(file.data(), 1, file.size(), out) == file.size();
    if (out)
        fclose(out);
    if (!ok)
        fprintf(stderr, "make-sample-data: could not write %s\n", path.c_str());
    return ok;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: make-sample-data OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    mkdir(dir.c_str(), 0755);
    mkdir((dir + "/COMMON").c_str(), 0755);
    RegisterStandardImageFilters();
    if (CreateDefaultFont() != CX_ERR_NONE)
        return 1;
    const bool ok = MakeFade(dir + "/COMMON/FADE0.SMK", false) && MakeFade(dir + "/COMMON/FADE1.SMK", true) &&
                    MakeBackground(dir + "/ROOM0.BMP", Rgb(30, 90, 40), Rgb(20, 60, 25), "THE GREEN ROOM") &&
                    MakeBackground(dir + "/ROOM1.BMP", Rgb(90, 40, 30), Rgb(60, 25, 20), "THE RED ROOM") &&
                    MakeButton(dir + "/NEXT.BMP", 200, 56, "NEXT ROOM", Rgb(40, 120, 220), false) &&
                    MakeButton(dir + "/QUIT.BMP", 200, 56, "QUIT", Rgb(200, 60, 60), false) &&
                    MakeButton(dir + "/HELP.BMP", 200, 56, "HELP", Rgb(220, 160, 30), false) &&
                    MakeButton(dir + "/RED.BMP", 180, 48, "RED", Rgb(170, 40, 40), true) &&
                    MakeButton(dir + "/GREEN.BMP", 180, 48, "GREEN", Rgb(40, 140, 40), true) &&
                    MakeButton(dir + "/BLUE.BMP", 180, 48, "BLUE", Rgb(40, 60, 170), true);
    DestroyDefaultFont();
    return ok ? 0 : 1;
}
