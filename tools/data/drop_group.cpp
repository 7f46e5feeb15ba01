// The catching game's pictures, sounds and closing movie: the eight
// falling objects and their growing shadow, the junk bouncing in the
// truck's bed, the HUD icons, the hiccup, whoosh, thud and catch sounds,
// and the closing movie with its tune.
#include "tools/data/cairo_art.h"
#include "tools/data/demo_data.h"
#include "tools/data/sound_synth.h"
#include "tools/data/wave_file.h"
#include "tools/smk/smk_encoder.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr int OBJECT_SIZE = 40, OBJECT_FRAMES = 4;
constexpr int SHADOW_W = 48, SHADOW_H = 24, SHADOW_FRAMES = 12;
constexpr int BED_W = 48, BED_H = 24, BED_FRAMES = 4;
constexpr int OUTRO_W = 640, OUTRO_H = 480, OUTRO_FPS = 12, OUTRO_FRAMES = 36;

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

// Frames drawn with few solid colours, as palette indices; index 0 is the
// transparent magenta.
class CPaletteFrames
{
public:
    CPaletteFrames() : m_Palette(768, 0) { m_Palette[0] = m_Palette[2] = 255; }
    bool Add(const CCairoCanvas& canvas)
    {
        cairo_surface_t* surface = cairo_get_target(canvas.Get());
        cairo_surface_flush(surface);
        const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        std::vector<uint8_t> pixels(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y)
        {
            const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
            for (int x = 0; x < w; ++x)
            {
                int index = (row[x] >> 24) < 128 ? 0 : IndexOf(row[x] & 0xFFFFFF);
                if (index < 0)
                    return false;
                pixels[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(index);
            }
        }
        m_Frames.push_back(std::move(pixels));
        return true;
    }
    bool Encode(int w, int h, uint32_t fps, const ST_SMK_AUDIO* audio, std::vector<uint8_t>* file) const
    {
        CxSmackerEncoder encoder;
        bool ok = encoder.Begin(w, h, fps) == CX_ERR_NONE;
        for (const auto& pixels : m_Frames)
            ok = ok && encoder.AddFrame(pixels.data(), m_Palette.data()) == CX_ERR_NONE;
        if (audio)
            ok = ok && encoder.SetAudio(*audio) == CX_ERR_NONE;
        return ok && encoder.Finish(file) == CX_ERR_NONE;
    }

private:
    int IndexOf(uint32_t rgb)
    {
        // Keep drawn colours off the key, also after the 6-bit palette.
        if ((rgb >> 18 & 0x3F) == 63 && (rgb >> 10 & 0x3F) == 0 && (rgb >> 2 & 0x3F) == 63)
            rgb = 0xF808F8;
        const auto found = m_Index.find(rgb);
        if (found != m_Index.end())
            return found->second;
        const int index = static_cast<int>(m_Index.size()) + 1;
        if (index > 255)
            return -1;
        m_Index[rgb] = index;
        m_Palette[index * 3u] = static_cast<uint8_t>(rgb >> 16);
        m_Palette[index * 3u + 1] = static_cast<uint8_t>(rgb >> 8);
        m_Palette[index * 3u + 2] = static_cast<uint8_t>(rgb);
        return index;
    }
    std::vector<uint8_t> m_Palette;
    std::map<uint32_t, int> m_Index;
    std::vector<std::vector<uint8_t>> m_Frames;
};

using FrameDraw = std::function<void(cairo_t*, int frame)>;

bool SaveMovie(const std::string& path, int w, int h, int frames, uint32_t fps, const FrameDraw& draw,
               const ST_SMK_AUDIO* audio = nullptr)
{
    CPaletteFrames palette;
    for (int f = 0; f < frames; ++f)
    {
        CCairoCanvas canvas(w, h);
        draw(canvas.Get(), f);
        if (!palette.Add(canvas))
        {
            fprintf(stderr, "make-demo-data: too many colours in %s\n", path.c_str());
            return false;
        }
    }
    std::vector<uint8_t> file;
    if (!palette.Encode(w, h, fps, audio, &file) || !MakeParentDirectories(path))
    {
        fprintf(stderr, "make-demo-data: could not encode %s\n", path.c_str());
        return false;
    }
    return WriteWholeFile(path, file.data(), file.size());
}

// One of the eight falling objects, centred, turned by angle.
void DrawFallingObject(cairo_t* cr, int kind, double angle)
{
    cairo_translate(cr, OBJECT_SIZE / 2.0, OBJECT_SIZE / 2.0);
    cairo_rotate(cr, angle);
    const Rgb dark{50, 40, 30};
    switch (kind)
    {
    case 0: // boot
        Box(cr, -8, -14, 10, 22, {120, 70, 30});
        Box(cr, -8, 4, 20, 8, {120, 70, 30});
        Box(cr, -8, 10, 20, 3, dark);
        break;
    case 1: // tyre
        Disc(cr, 0, 0, 15, {30, 30, 34});
        Disc(cr, 0, 0, 7, {150, 150, 160});
        break;
    case 2: // can
        Box(cr, -7, -12, 14, 24, {200, 40, 40});
        Box(cr, -7, -4, 14, 8, {240, 240, 240});
        break;
    case 3: // box
        Box(cr, -12, -10, 24, 20, {190, 150, 90});
        Box(cr, -12, -1, 24, 2, dark);
        break;
    case 4: // bucket
        Box(cr, -10, -10, 20, 20, {60, 120, 210});
        Box(cr, -12, -12, 24, 4, {40, 80, 160});
        break;
    case 5: // teddy
        Disc(cr, 0, 4, 9, {170, 110, 60});
        Disc(cr, 0, -8, 7, {170, 110, 60});
        Disc(cr, -6, -13, 3, {140, 90, 50});
        Disc(cr, 6, -13, 3, {140, 90, 50});
        break;
    case 6: // pot
        Disc(cr, 0, 2, 11, {90, 90, 100});
        Box(cr, -16, -2, 6, 3, {60, 60, 70});
        break;
    default: // ball
        Disc(cr, 0, 0, 12, {240, 200, 40});
        Box(cr, -12, -2, 24, 4, {230, 60, 60});
        break;
    }
}

bool SaveObjects(const std::string& out)
{
    for (int kind = 0; kind < 8; ++kind)
    {
        const std::string path = out + "/targets/t0_fall" + std::to_string(kind) + ".smk";
        if (!SaveMovie(path, OBJECT_SIZE, OBJECT_SIZE, OBJECT_FRAMES, 12, [kind](cairo_t* cr, int f) {
                DrawFallingObject(cr, kind, f * 2 * kPi / OBJECT_FRAMES);
            }))
            return false;
    }
    if (!SaveMovie(out + "/targets/t0_shad0.smk", SHADOW_W, SHADOW_H, SHADOW_FRAMES, 12,
                   [](cairo_t* cr, int f) {
                       const double scale = 0.25 + 0.75 * f / (SHADOW_FRAMES - 1);
                       cairo_save(cr);
                       cairo_translate(cr, SHADOW_W / 2.0, SHADOW_H / 2.0);
                       cairo_scale(cr, scale * (SHADOW_W / 2.0 - 1), scale * (SHADOW_H / 2.0 - 1));
                       cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
                       cairo_restore(cr);
                       Colour(cr, {40, 40, 44});
                       cairo_fill(cr);
                   }))
        return false;
    return SaveMovie(out + "/VPLAYER/pv0_junk.smk", BED_W, BED_H, BED_FRAMES, 8, [](cairo_t* cr, int f) {
        const double bounce = f % 2 ? -3 : 0;
        Box(cr, 6, 12 + bounce, 12, 10, {190, 150, 90});
        Disc(cr, 26, 16 - bounce, 7, {30, 30, 34});
        Box(cr, 34, 10 + bounce, 8, 12, {200, 40, 40});
    });
}

bool SaveHudIcons(const std::string& out)
{
    // The panel shows its left icon as one picture: the truck bed alone.
    CCairoCanvas bed(48, 48);
    Box(bed.Get(), 4, 20, 40, 20, {200, 150, 40});
    Disc(bed.Get(), 12, 42, 5, {30, 30, 34});
    Disc(bed.Get(), 36, 42, 5, {30, 30, 34});
    // The right icons have two frames: unlit and lit.
    CCairoCanvas junk(64, 32);
    for (int k = 0; k < 2; ++k)
        Disc(junk.Get(), k * 32 + 16, 16, 12, k ? Rgb{240, 200, 40} : Rgb{110, 110, 110});
    return MakeParentDirectories(out + "/mission/drop/x") && bed.SaveTga(out + "/mission/drop/hud_bed.tga") &&
           junk.SaveTga(out + "/mission/drop/hud_item.tga");
}

// Sounds ----------------------------------------------------------------

int16_t Sample(double v)
{
    return static_cast<int16_t>(std::lround(std::fmax(-1.0, std::fmin(1.0, v)) * 28000.0));
}

// A sound of seconds whose sample i is f(t, progress 0..1).
std::vector<int16_t> Synth(double seconds, const std::function<double(double, double)>& f)
{
    const size_t n = static_cast<size_t>(seconds * DEMO_SOUND_RATE);
    std::vector<int16_t> samples(n);
    for (size_t i = 0; i < n; ++i)
        samples[i] = Sample(f(static_cast<double>(i) / DEMO_SOUND_RATE, static_cast<double>(i) / n));
    return samples;
}

// A repeatable noise in -1..1.
double Noise(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
}

bool SaveSounds(const std::string& out)
{
    const std::string dir = out + "/mission/sfx/";
    uint32_t seed = 7;
    double low = 0;
    // "Hic!": a short tone jumping up, twice.
    const auto hiccup = Synth(0.5, [](double t, double p) {
        const double local = std::fmod(p, 0.5) * 2;
        const double hz = 300 + 500 * local;
        return std::sin(2 * kPi * hz * t) * std::exp(-6 * local) * 0.8;
    });
    // A whoosh: noise rising and falling, smoothed.
    const auto whoosh = Synth(0.6, [&](double, double p) {
        low += (Noise(seed) - low) * (0.05 + 0.3 * p);
        return low * 3 * std::sin(kPi * p);
    });
    // A thud: a low falling tone with a knock of noise.
    const auto thud = Synth(0.35, [&](double t, double p) {
        return (std::sin(2 * kPi * (90 - 40 * p) * t) + 0.3 * Noise(seed) * std::exp(-30 * p)) *
               std::exp(-8 * p);
    });
    // A catch: a bright "boing" going up.
    const auto caught = Synth(0.3, [](double t, double p) {
        return std::sin(2 * kPi * (500 + 400 * p) * t + 3 * std::sin(2 * kPi * 12 * t)) * std::exp(-5 * p) *
               0.7;
    });
    return MakeParentDirectories(dir + "x") && SaveWave16(dir + "sfx_ctch_hiccup.wav", hiccup) &&
           SaveWave16(dir + "sfx_ctch_drop0.wav", whoosh) && SaveWave16(dir + "sfx_ctch_drop1.wav", thud) &&
           SaveWave16(dir + "sfx_ctch_catch.wav", caught);
}

// The closing movie: the dropper waves above the town while the truck
// drives in with its bed piled with junk.
void DrawOutroFrame(cairo_t* cr, int f)
{
    Box(cr, 0, 0, OUTRO_W, 320, {120, 190, 240});
    Disc(cr, 560, 70, 36, {255, 220, 60});
    Box(cr, 0, 320, OUTRO_W, 160, {98, 168, 74});
    Box(cr, 0, 380, OUTRO_W, 60, {78, 78, 86});
    // The dropper: a round face on a cloud, an arm waving.
    for (int i = 0; i < 4; ++i)
        Disc(cr, 250 + 40 * i, 150, 40, {250, 250, 250});
    Disc(cr, 310, 110, 34, {250, 200, 150});
    Disc(cr, 298, 102, 4, {30, 30, 34});
    Disc(cr, 322, 102, 4, {30, 30, 34});
    Box(cr, 298, 122, 24, 4, {180, 60, 60});
    const double wave = std::sin(f * kPi / 3) * 0.6;
    cairo_save(cr);
    cairo_translate(cr, 350, 120);
    cairo_rotate(cr, -0.8 + wave);
    Box(cr, 0, -5, 50, 10, {250, 200, 150});
    cairo_restore(cr);
    // The truck and its pile.
    const double x = std::fmin(-200.0 + f * 24.0, 220.0);
    Box(cr, x, 340, 150, 56, {240, 190, 40});
    Box(cr, x + 114, 310, 46, 60, {235, 120, 30});
    Box(cr, x + 122, 318, 30, 22, {170, 220, 250});
    for (int k = 0; k < 5; ++k)
        Disc(cr, x + 20 + 22 * k, 334 - 6 * (k % 2), 12, k % 2 ? Rgb{190, 150, 90} : Rgb{60, 120, 210});
    Disc(cr, x + 34, 400, 16, {30, 30, 34});
    Disc(cr, x + 128, 400, 16, {30, 30, 34});
}

class CDropGroup : public CDemoGroup
{
public:
    const char* Name() const override { return "drop"; }
    uint32_t Version() const override { return 3; }
    std::vector<std::string> Outputs(const DemoDataPaths&) const override
    {
        std::vector<std::string> out = {"targets/t0_shad0.smk",
                                        "VPLAYER/pv0_junk.smk",
                                        "mission/drop/hud_bed.tga",
                                        "mission/drop/hud_item.tga",
                                        "mission/sfx/sfx_ctch_hiccup.wav",
                                        "mission/sfx/sfx_ctch_drop0.wav",
                                        "mission/sfx/sfx_ctch_drop1.wav",
                                        "mission/sfx/sfx_ctch_catch.wav",
                                        "movies/catchoutro0.smk"};
        for (int i = 0; i < 8; ++i)
            out.push_back("targets/t0_fall" + std::to_string(i) + ".smk");
        return out;
    }
    bool Make(const DemoDataPaths& paths) const override
    {
        const std::string& out = paths.output;
        // A little rising melody, one note a quarter second.
        const ST_SMK_AUDIO tune =
            MovieAudio(MelodySound({523.3, 587.3, 659.3, 784.0, 659.3, 784.0, 880.0, 1046.5}, 0.25,
                                   static_cast<double>(OUTRO_FRAMES) / OUTRO_FPS));
        return SaveObjects(out) && SaveHudIcons(out) && SaveSounds(out) &&
               SaveMovie(out + "/movies/catchoutro0.smk", OUTRO_W, OUTRO_H, OUTRO_FRAMES, OUTRO_FPS,
                         DrawOutroFrame, &tune);
    }
};
} // namespace

std::unique_ptr<CDemoGroup> MakeDropGroup()
{
    return std::make_unique<CDropGroup>();
}
