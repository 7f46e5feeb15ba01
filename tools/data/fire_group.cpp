// The fire mission's pictures, sounds and mission file: the parked fire
// engine seen from behind, the hose in its seventeen aiming directions,
// the water ball, the HUD's icons (a small picture of each house, the
// flame), the smoke over a burning house (the houses' extra sprite), the
// squirt, hiss and splash sounds, and fire.ini, whose first phase sets the
// three houses (buildings 5, 6 and 7 of the town's layout) on fire.
#include "engine/base/error_codes.h"
#include "tools/data/cairo_art.h"
#include "tools/data/demo_data.h"
#include "tools/data/town_art.h"
#include "tools/data/town_layout.h"
#include "tools/data/town_world.h"
#include "tools/data/wave_file.h"
#include "tools/smk/smk_encoder.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>

namespace {
constexpr double kPi = 3.14159265358979323846;
// The engine's picture is as wide as the hose's, so that the hose (placed
// 22 px left of the engine's middle) turns about a point on the roof.
constexpr int ENGINE_W = 264, ENGINE_H = 120;
constexpr int HOSE_W = 264, HOSE_H = 96, HOSE_STATES = 17;
constexpr double HOSE_PIVOT_X = 130, HOSE_PIVOT_Y = 86;
constexpr int BALL = 12, BALL_FRAMES = 8;
constexpr int HOUSES = TOWN_FIRE_HOUSES, FIRST_HOUSE = TOWN_FIRST_FIRE_HOUSE;
constexpr int SMOKE = 96, SMOKE_FRAMES = 6;
constexpr int HOUSE_ICON_W = 64, HOUSE_ICON_H = 48;
// Where the water leaves the nozzle in each state (the mission's table).
const int NOZZLE[HOSE_STATES][2] = {{8, 74},   {14, 55},  {22, 45},  {33, 33},  {48, 25},  {64, 18},
                                    {84, 12},  {107, 6},  {131, 6},  {152, 6},  {173, 11}, {194, 17},
                                    {214, 26}, {228, 39}, {241, 50}, {248, 60}, {252, 74}};
// Three fires on each house (object types 35, 36 and 37), from its top-left.
const int FIRE_SPOTS[3][3] = {{35, 36, 96}, {36, 104, 40}, {37, 170, 80}};

void Box(cairo_t* cr, double x, double y, double w, double h, int r, int g, int b)
{
    cairo_rectangle(cr, x, y, w, h);
    cairo_set_source_rgb(cr, r / 255.0, g / 255.0, b / 255.0);
    cairo_fill(cr);
}

void Disc(cairo_t* cr, double x, double y, double radius, int r, int g, int b)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y, radius, 0, 2 * kPi);
    cairo_set_source_rgb(cr, r / 255.0, g / 255.0, b / 255.0);
    cairo_fill(cr);
}

// One frame of the engine as palette indices (index 0 the transparent magenta).
bool SaveEngine(const std::string& path)
{
    CCairoCanvas canvas(ENGINE_W, ENGINE_H);
    cairo_t* cr = canvas.Get();
    const double left = (ENGINE_W - 128) / 2.0;
    Box(cr, left + 8, 104, 24, 16, 30, 30, 34); // tyres
    Box(cr, left + 96, 104, 24, 16, 30, 30, 34);
    Box(cr, left, 56, 128, 52, 210, 40, 40);        // body
    Box(cr, left + 10, 64, 108, 22, 240, 240, 240); // rear shutters
    for (int k = 0; k < 4; ++k)
        Box(cr, left + 12 + 27 * k, 66, 2, 18, 150, 150, 160);
    Box(cr, left + 4, 92, 16, 10, 250, 200, 40); // rear lights
    Box(cr, left + 108, 92, 16, 10, 250, 200, 40);
    Box(cr, left + 24, 48, 80, 8, 170, 170, 180);                   // ladder
    Disc(cr, ENGINE_W / 2.0 - 22, HOSE_PIVOT_Y, 12, 120, 120, 130); // hose turret
    cairo_surface_t* surface = cairo_get_target(cr);
    cairo_surface_flush(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    std::vector<uint8_t> palette(768, 0), pixels(static_cast<size_t>(ENGINE_W) * ENGINE_H, 0);
    palette[0] = palette[2] = 255;
    std::map<uint32_t, int> index;
    for (int y = 0; y < ENGINE_H; ++y)
        for (int x = 0; x < ENGINE_W; ++x)
        {
            const uint32_t argb =
                reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride)[x];
            if ((argb >> 24) < 128)
                continue;
            auto [it, added] = index.emplace(argb & 0xFFFFFF, static_cast<int>(index.size()) + 1);
            if (added && it->second < 256)
                for (int c = 0; c < 3; ++c)
                    palette[static_cast<size_t>(it->second) * 3 + c] =
                        static_cast<uint8_t>(argb >> (16 - 8 * c));
            pixels[static_cast<size_t>(y) * ENGINE_W + x] = static_cast<uint8_t>(it->second);
        }
    CxSmackerEncoder encoder;
    std::vector<uint8_t> file;
    const bool ok = index.size() < 256 && encoder.Begin(ENGINE_W, ENGINE_H, 10) == CX_ERR_NONE &&
                    encoder.AddFrame(pixels.data(), palette.data()) == CX_ERR_NONE &&
                    encoder.Finish(&file) == CX_ERR_NONE;
    if (!ok)
        fprintf(stderr, "make-demo-data: could not encode %s\n", path.c_str());
    return ok && WriteWholeFile(path, file.data(), file.size());
}

// The hose of one state: from the turret on the roof to its nozzle.
bool SaveHose(const std::string& path, int state)
{
    CCairoCanvas canvas(HOSE_W, HOSE_H);
    cairo_t* cr = canvas.Get();
    const double nx = NOZZLE[state][0], ny = NOZZLE[state][1];
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, HOSE_PIVOT_X, HOSE_PIVOT_Y);
    cairo_line_to(cr, nx, ny);
    canvas.Stroke(90, 90, 100, 9);
    cairo_move_to(cr, HOSE_PIVOT_X, HOSE_PIVOT_Y);
    cairo_line_to(cr, nx, ny);
    canvas.Stroke(200, 200, 210, 4);
    Disc(cr, nx, ny, 5, 230, 180, 50); // the brass nozzle
    Disc(cr, HOSE_PIVOT_X, HOSE_PIVOT_Y, 8, 120, 120, 130);
    return canvas.SaveTga(path);
}

bool SaveSmallArt(const std::string& dir)
{
    CCairoCanvas ball(BALL * BALL_FRAMES, BALL);
    for (int f = 0; f < BALL_FRAMES; ++f)
    {
        const double a = f * 2 * kPi / BALL_FRAMES;
        Disc(ball.Get(), f * BALL + BALL / 2.0, BALL / 2.0, 5, 60, 140, 230);
        Disc(ball.Get(), f * BALL + BALL / 2.0 + 2 * std::cos(a), BALL / 2.0 + 2 * std::sin(a), 2, 200, 230,
             255);
    }
    // The HUD's icons: two frames each, unlit and lit.
    CCairoCanvas house(96, 48), flame(64, 32);
    for (int k = 0; k < 2; ++k)
    {
        cairo_t* cr = house.Get();
        Box(cr, k * 48 + 8, 20, 32, 24, k ? 250 : 200, k ? 220 : 170, 120);
        cairo_move_to(cr, k * 48 + 4, 22);
        cairo_line_to(cr, k * 48 + 24, 6);
        cairo_line_to(cr, k * 48 + 44, 22);
        cairo_close_path(cr);
        house.Fill(180, 60, 50);
        Disc(flame.Get(), k * 32 + 16, 20, 9, k ? 60 : 230, k ? 140 : 90, k ? 230 : 30);
        Disc(flame.Get(), k * 32 + 16, 12, 5, k ? 200 : 250, k ? 230 : 200, k ? 255 : 60);
    }
    bool ok = ball.SaveTga(dir + "waterball.tga") && house.SaveTga(dir + "hud_house.tga") &&
              flame.SaveTga(dir + "hud_flame.tga");
    // Each burning house's own picture, for its set of the HUD.
    for (int h = FIRST_HOUSE; h < FIRST_HOUSE + HOUSES && ok; ++h)
        ok = SaveBuildingIcon(dir + "hud_house" + std::to_string(h) + ".tga",
                              TownBuildings()[static_cast<size_t>(h)].look, HOUSE_ICON_W, HOUSE_ICON_H);
    return ok;
}

// The smoke over a burning house: grey puffs that rise and swell, one
// frame after another, in a loop; and the super sprite file that plays it.
bool SaveSmoke(const std::string& dir)
{
    CCairoCanvas smoke(SMOKE * SMOKE_FRAMES, SMOKE);
    for (int f = 0; f < SMOKE_FRAMES; ++f)
        for (int puff = 0; puff < 3; ++puff)
        {
            // Each puff is a third of the way up from the next one.
            const double rise = std::fmod((f + puff * SMOKE_FRAMES / 3.0) / SMOKE_FRAMES, 1.0);
            const double radius = 10 + 16 * rise;
            const int grey = static_cast<int>(90 + 110 * rise);
            Disc(smoke.Get(), f * SMOKE + SMOKE / 2.0 - 12 + 20 * rise + 6 * std::sin(puff + 2 * kPi * rise),
                 SMOKE - 14 - (SMOKE - 40) * rise, radius, grey, grey, grey + 6);
        }
    const std::string ini = "; The smoke over a burning house, made by make-demo-data.\r\n"
                            "[QexSprite]\r\nName=Smoke\r\nNumStates=1\r\n\r\n[State000]\r\n"
                            "FileName=$GAMEPATH\\mission\\fire\\smoke.tga\r\nNumFrames=" +
                            std::to_string(SMOKE_FRAMES) + "\r\nFrameRate=6\r\n";
    return smoke.SaveTga(dir + "smoke.tga") && WriteWholeFile(dir + "smoke.ini", ini.data(), ini.size());
}

int16_t Sample(double v)
{
    return static_cast<int16_t>(std::lround(std::fmax(-1.0, std::fmin(1.0, v)) * 26000.0));
}

// A sound of seconds: noise smoothed by a rate that follows the progress 0..1, shaped by an envelope.
std::vector<int16_t> NoiseSound(double seconds, const std::function<double(double)>& smoothing,
                                const std::function<double(double)>& envelope)
{
    const size_t n = static_cast<size_t>(seconds * DEMO_SOUND_RATE);
    std::vector<int16_t> samples(n);
    uint32_t seed = 11;
    double low = 0;
    for (size_t i = 0; i < n; ++i)
    {
        const double p = static_cast<double>(i) / n;
        seed = seed * 1664525u + 1013904223u;
        low += (static_cast<double>(seed >> 8) / 8388608.0 - 1.0 - low) * smoothing(p);
        samples[i] = Sample(low * envelope(p));
    }
    return samples;
}

bool SaveSounds(const std::string& dir)
{
    // A squirt: bright noise swelling and stopping; a hiss: thin noise dying
    // away; a splash: a dull burst.
    const auto squirt = NoiseSound(
        0.4, [](double) { return 0.5; }, [](double p) { return 2.5 * std::sin(kPi * p); });
    const auto hiss = NoiseSound(
        0.9, [](double) { return 0.9; }, [](double p) { return 1.2 * std::exp(-3 * p); });
    const auto splash = NoiseSound(
        0.35, [](double p) { return 0.08 + 0.2 * p; }, [](double p) { return 4 * std::exp(-7 * p); });
    return SaveWave16(dir + "sfx_fire_squirt.wav", squirt) && SaveWave16(dir + "sfx_fire_hiss.wav", hiss) &&
           SaveWave16(dir + "sfx_fire_splash.wav", splash);
}

std::string Line(const std::string& key, const std::string& value)
{
    return key + "=" + value + "\r\n";
}

// fire.ini: three levels that differ in how fast fires grow, four HUD sets
// (the three houses and the end), and the houses' fires in Phase0.
std::string FireIni(const CTownLayout& layout)
{
    static const int GROWTH[3][2] = {{6000, 9000}, {4000, 7000}, {3000, 5000}};
    static const int TIMING[3][2] = {{30000, 90000}, {25000, 75000}, {20000, 60000}};
    std::string ini =
        "; The fire mission, made by make-demo-data: three burning houses, three fires\r\n"
        "; each. The levels differ in how fast the fires grow.\r\n[Mission]\r\nMissionType=5\r\n";
    char key[32];
    for (int level = 0; level < 3; ++level)
    {
        snprintf(key, sizeof(key), "\r\n[Level%02d]\r\n", level);
        ini += key + Line("NumReqItems", "3") + Line("NumTotalItems", "3");
        ini += Line("TimerIntervalMin", std::to_string(TIMING[level][0])) +
               Line("TimerIntervalMax", std::to_string(TIMING[level][1]));
        ini += Line("FireUpdateMin", std::to_string(GROWTH[level][0])) +
               Line("FireUpdateMax", std::to_string(GROWTH[level][1])) + Line("NumHudSets", "4");
        // Set i shows the picture of the i-th house of the round (the
        // giver publishes their numbers before the file is read); the end
        // set a plain house.
        for (int set = 0; set <= HOUSES; ++set)
        {
            const std::string n = (set < 10 ? "0" : "") + std::to_string(set);
            const std::string icon =
                set < HOUSES ? "hud_house$BUILDINGID" + std::to_string(set) : "hud_house";
            ini += Line("LeftIconName" + n, "$GAMEPATH\\mission\\fire\\" + icon + ".tga") +
                   Line("LeftIconPos" + n, "8, 8") + Line("NumRightIcons" + n, set < HOUSES ? "3" : "0") +
                   Line("RightIconName" + n, "$GAMEPATH\\mission\\fire\\hud_flame.tga");
            for (int k = 0; k < (set < HOUSES ? 3 : 0); ++k)
                ini +=
                    Line("RightIconPos" + n + "0" + std::to_string(k), std::to_string(112 + 36 * k) + ", 16");
        }
    }
    ini += "\r\n[Phase0]\r\n";
    for (int house = FIRST_HOUSE; house < FIRST_HOUSE + HOUSES; ++house)
    {
        TownRect lot;
        if (!layout.LotOf(house, &lot))
            continue;
        const int x = lot.left + (lot.right - lot.left - BUILDING_WIDTH) / 2;
        const int y = lot.top + (lot.bottom - lot.top - BUILDING_HEIGHT) / 2;
        for (const auto& spot : FIRE_SPOTS)
            ini += Line("Add" + std::to_string(spot[0]),
                        std::to_string(x + spot[1]) + ", " + std::to_string(y + spot[2]));
    }
    return ini;
}

class CFireGroup : public CDemoGroup
{
public:
    const char* Name() const override { return "fire"; }
    uint32_t Version() const override { return 2; }
    void AddInputs(const DemoDataPaths& paths, CStampHash& hash) const override
    {
        std::string text;
        ReadWholeFile(paths.town + "/layout.txt", text);
        hash.Add(text);
    }
    std::vector<std::string> Outputs(const DemoDataPaths&) const override
    {
        std::vector<std::string> out = {"VPLAYER/pv1_fire.smk",          "mission/fire/fire.ini",
                                        "mission/fire/waterball.tga",    "mission/fire/hud_house.tga",
                                        "mission/fire/hud_flame.tga",    "mission/sfx/sfx_fire_squirt.wav",
                                        "mission/sfx/sfx_fire_hiss.wav", "mission/sfx/sfx_fire_splash.wav",
                                        "mission/fire/smoke.ini",        "mission/fire/smoke.tga"};
        char name[48];
        for (int s = 0; s < HOSE_STATES; ++s)
        {
            snprintf(name, sizeof(name), "mission/fire/hose%02d.tga", s);
            out.push_back(name);
        }
        for (int h = FIRST_HOUSE; h < FIRST_HOUSE + HOUSES; ++h)
            out.push_back("mission/fire/hud_house" + std::to_string(h) + ".tga");
        return out;
    }
    bool Make(const DemoDataPaths& paths) const override
    {
        const std::string dir = paths.output + "/mission/fire/", sfx = paths.output + "/mission/sfx/";
        std::string text, why;
        CTownLayout layout;
        if (!ReadWholeFile(paths.town + "/layout.txt", text) || !layout.Read(text, &why))
        {
            fprintf(stderr, "make-demo-data: fire: no town layout %s\n", why.c_str());
            return false;
        }
        bool ok = MakeParentDirectories(dir + "x") && MakeParentDirectories(sfx + "x") &&
                  SaveEngine(paths.output + "/VPLAYER/pv1_fire.smk") && SaveSmallArt(dir) && SaveSmoke(dir) &&
                  SaveSounds(sfx);
        char name[32];
        for (int s = 0; s < HOSE_STATES && ok; ++s)
        {
            snprintf(name, sizeof(name), "hose%02d.tga", s);
            ok = SaveHose(dir + name, s);
        }
        const std::string ini = FireIni(layout);
        return ok && WriteWholeFile(dir + "fire.ini", ini.data(), ini.size());
    }
};
} // namespace

std::unique_ptr<CDemoGroup> MakeFireGroup()
{
    return std::make_unique<CFireGroup>();
}
