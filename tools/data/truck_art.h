// Top-down drawings of the demo vehicles and the geometry their truck files
// need, both from one description per vehicle.
//
// A vehicle is drawn with its nose up, centred in a square frame, and turned
// clockwise on the screen by a direction's table angle. Mode 0 (driving)
// turns the tyre treads and puffs exhaust, mode 1 (turbo) throws sparks and
// a flame behind, mode 2 (bump) squashes the body and springs it back. The
// frames become magenta-keyed Smacker movies.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ArtColour
{
    uint8_t r, g, b;
};

enum class VehicleKind
{
    Dump,
    Fire,
    Tow,
    Mail,
    Junk,
    Racer,
    Smoke,
    Garbage,
    HandTruck
};

struct VehicleLook
{
    VehicleKind kind;
    int32_t frameSize; // width and height of every frame
    double length;     // nose to tail, pixels
    double width;
    ArtColour body, cab, trim;
};

struct ArtPoint
{
    int32_t x, y;
};

struct ArtRect
{
    int32_t left, top, right, bottom;
};

constexpr int32_t VEHICLE_MODES = 3;
constexpr uint32_t VEHICLE_MOVIE_FPS = 12;

// Frames of a mode's movie: 4 driving, 4 turbo, 6 bump.
int32_t ModeFrameCount(int32_t mode);

// A point of the nose-up drawing (pixels from the vehicle's centre) turned
// clockwise by angle degrees, as an offset from the frame's top-left corner.
ArtPoint TurnPoint(const VehicleLook& look, double angle, double x, double y);
// The tyre points: front left, front right, rear left, rear right.
std::vector<ArtPoint> TyrePoints(const VehicleLook& look, double angle);
// The turned body's bounding box, a little inside it, within the frame.
ArtRect CollisionBox(const VehicleLook& look, double angle);
// The top-left of a w x h picture centred on a point of the drawing, moved
// as little as needed to lie wholly inside the frame.
ArtPoint PlaceInFrame(const VehicleLook& look, double angle, double x, double y, int32_t w, int32_t h);

// The Smacker file image of one direction's mode movie; false with a
// message on stderr when encoding fails.
bool EncodeVehicleMovie(const VehicleLook& look, double angle, int32_t mode, std::vector<uint8_t>* file);

// Mouth pictures: frames of w x h side by side, closed to wide open.
// Style 0 round red lips, 1 a wide grin with a tongue, 2 a grumpy mouth of teeth.
bool SaveMouthStrip(const std::string& path, int32_t style, int32_t w, int32_t h, int32_t frames);
