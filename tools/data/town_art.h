// Pictures of the town drawn with cairo on the magenta key: the buildings'
// states and mouth, the map objects, the help arrows and the town's small
// images, and the short intro movie played when the town opens.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct ArtRgb
{
    int r, g, b;
};

// What a building looks like: a house with a face, a roof and a sign.
struct BuildingLook
{
    ArtRgb wall, roof, trim;
    int symbol; // the picture on the sign, see DrawSign in town_art.cpp
};

// Building states; the dropping building has its hiccup as state 2 and
// its happy face as state 3.
enum class BuildingMood
{
    Idle,
    Talking,
    Happy,
    Hiccup
};

constexpr int32_t BUILDING_WIDTH = 256;
constexpr int32_t BUILDING_HEIGHT = 192;
constexpr int32_t MOUTH_WIDTH = 48;
constexpr int32_t MOUTH_HEIGHT = 24;
constexpr int32_t MOUTH_FRAMES = 4;
// Where the mouth sits on every building (top-left, building pixels).
constexpr int32_t MOUTH_X = (BUILDING_WIDTH - MOUTH_WIDTH) / 2;
constexpr int32_t MOUTH_Y = 124;

int32_t BuildingFrames(BuildingMood mood);

// A strip of frames of w x h side by side, each drawn by draw(cairo, frame)
// with the origin at the frame's top-left; saved as a TGA.
bool SaveStrip(const std::string& path, int32_t w, int32_t h, int32_t frames,
               const std::function<void(cairo_t*, int32_t)>& draw);

class CTownLayout;
// The map screen's 640 x 480 picture of the whole town, drawn from its layout.
bool SaveTownMapPicture(const std::string& path, const CTownLayout& layout);

bool SaveBuildingState(const std::string& path, const BuildingLook& look, BuildingMood mood);
// A small picture of a building: its idle look scaled to w x h (one frame).
bool SaveBuildingIcon(const std::string& path, const BuildingLook& look, int32_t w, int32_t h);
bool SaveMouth(const std::string& path);

// Map objects.
enum class ObjectShape
{
    Tree,
    Bush,
    Lamp,
    Bench,
    Hydrant,
    Cone,
    FlowerPot,
    Rock,
    Fence,
    SignPost,
    Bin,
    HayBale,
    Tyres,
    Oil,
    Crate,
    Junk,
    Star,
    Coin,
    Book,
    Ball,
    Apple,
    Gift,
    Fire,
    Finish,
    Invisible,
    Puddle,
    Manhole,
    Paint,
    Canopy,
    Banner,
    MailBox,
    Meter
};

// One state of an object as a strip (frame f of frames); variant tells
// pieces and sizes of one shape apart.
void DrawObject(cairo_t* cr, ObjectShape shape, int32_t variant, int32_t state, int32_t frame, int32_t w,
                int32_t h);

// COMMON/helparrow00..15.tga, COMMON/zone.tga, COMMON/c_plate.tga,
// VPLAYER/tread.tga and MAP/mapbut.tga under directory.
bool SaveTownCommonImages(const std::string& directory);
// The 2-second intro movie (640 x 480, 12 frames a second).
bool EncodeTownIntro(std::vector<uint8_t>* file);
