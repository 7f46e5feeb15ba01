// The trucks: the four player trucks of VPLAYER, the four enemies of
// VENEMY and the master hand truck of the moving mission. Every vehicle
// gets a movie per direction and mode, drawn from one picture turned to the
// direction's angle, and a truck file whose tyres, mouths, collision boxes
// and shot points are worked out from the same drawing. The player trucks
// and the enemies get synthesised engine loops and a horn; SFX/crash.wav is
// the crash every truck plays.
#include "tools/data/demo_data.h"
#include "tools/data/sound_synth.h"
#include "tools/data/truck_art.h"
#include "tools/data/wave_file.h"

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {
enum class Role
{
    Player,
    Enemy,
    HandTruck
};

struct VehicleEntry
{
    const char* name;
    const char* title;
    Role role;
    VehicleLook look;
    float maxSpeed, acceleration, superSpeed, superAcceleration;
    int32_t turboTime;
    double engineHz, pulseHz, hornLow, hornHigh; // player trucks
    int32_t enemyId, homeBuilding, startX, startY;
    bool smoke; // enemies: drops smoke, else oil
};

constexpr int32_t kDirections = 16;
// Every truck file carries this table, so that loading any of them leaves
// the game's shared steering table as it was.
constexpr float kDrivingAngles[kDirections] = {0.0f,   337.5f, 296.46f, 286.0f, 270.0f,  256.6f,
                                               243.6f, 202.0f, 180.0f,  157.0f, 116.66f, 102.0f,
                                               90.0f,  76.0f,  63.4f,   25.5f};
constexpr int32_t kMouthWidth = 16, kMouthHeight = 10, kMouthFrames = 4;
constexpr double kLoopSeconds = 0.4;
constexpr int32_t kPerimeterReach = 260;

// clang-format off
const VehicleEntry kVehicles[] = {
    {"brund", "Brund, the dump truck", Role::Player,
     {VehicleKind::Dump, 72, 54, 28, {240, 190, 40}, {235, 120, 30}, {140, 140, 150}},
     8.0f, 1.0f, 15.0f, 2.0f, 3000, 55, 12, 330, 415, 0, 0, 0, 0, false},
    {"gosk", "Gosk, the fire engine", Role::Player,
     {VehicleKind::Fire, 72, 56, 28, {205, 35, 35}, {170, 20, 20}, {245, 245, 245}},
     9.0f, 1.2f, 16.0f, 2.5f, 3000, 65, 16, 440, 554, 0, 0, 0, 0, false},
    {"tev", "Tev, the tow truck", Role::Player,
     {VehicleKind::Tow, 72, 52, 28, {40, 110, 210}, {30, 80, 170}, {120, 120, 130}},
     9.0f, 1.1f, 16.0f, 2.2f, 3000, 60, 14, 370, 466, 0, 0, 0, 0, false},
    {"zorbin", "Zorbin, the mail van", Role::Player,
     {VehicleKind::Mail, 72, 50, 26, {235, 230, 210}, {40, 90, 200}, {210, 40, 40}},
     10.0f, 1.4f, 17.0f, 3.0f, 3000, 75, 20, 494, 622, 0, 0, 0, 0, false},
    {"klank", "Klank, the junk heap", Role::Enemy,
     {VehicleKind::Junk, 72, 54, 28, {150, 85, 45}, {120, 65, 35}, {160, 160, 160}},
     9.0f, 1.0f, 14.0f, 2.0f, 2500, 0, 0, 0, 0, 1, 5, 1400, 900, false},
    {"razz", "Razz, the racer", Role::Enemy,
     {VehicleKind::Racer, 72, 52, 24, {130, 40, 170}, {100, 30, 140}, {250, 250, 250}},
     9.0f, 1.2f, 15.0f, 2.5f, 2500, 0, 0, 0, 0, 2, 6, 600, 1500, false},
    {"smudge", "Smudge, the smoke truck", Role::Enemy,
     {VehicleKind::Smoke, 72, 54, 28, {70, 70, 75}, {50, 50, 55}, {120, 120, 125}},
     8.0f, 1.0f, 13.0f, 2.0f, 2500, 0, 0, 0, 0, 3, 7, 2100, 700, true},
    {"grubb", "Grubb, the garbage truck", Role::Enemy,
     {VehicleKind::Garbage, 72, 56, 28, {60, 140, 60}, {40, 110, 40}, {30, 90, 30}},
     8.0f, 0.9f, 13.0f, 1.8f, 2500, 0, 0, 0, 0, 4, 8, 1800, 1700, true},
    {"handtruck", "The hand truck the moving mission pushes around", Role::HandTruck,
     {VehicleKind::HandTruck, 48, 30, 20, {200, 150, 90}, {200, 150, 90}, {170, 120, 60}},
     4.0f, 0.5f, 4.0f, 0.5f, 1000, 0, 0, 0, 0, 0, 0, 0, 0, false},
};
// clang-format on

const char* const kLoopNames[] = {"drive", "super", "bump", "idle"};
const char* const kLoopKeys[] = {"DrivingSound", "SuperDrivingSound", "BumpDrivingSound", "IdleSound"};

std::string Folder(const VehicleEntry& v)
{
    return v.role == Role::Player ? "VPLAYER"
                                  : (v.role == Role::Enemy ? "VENEMY" : "mission/MovingHandTrucks");
}

// The game's name of an output: "$GAMEPATH\" and the path with "\" separators.
std::string GameName(const std::string& relative)
{
    std::string name = "$GAMEPATH\\" + relative;
    for (char& c : name)
        c = c == '/' ? '\\' : c;
    return name;
}

std::string MovieName(const VehicleEntry& v, int32_t d, int32_t mode)
{
    char name[32];
    snprintf(name, sizeof(name), "/d%02dm%d.smk", d, mode);
    return Folder(v) + "/" + v.name + name;
}

// Where the engine sounds of a vehicle are: its own for a player truck, the
// enemies' shared set for an enemy, none ("") for the hand truck.
std::string SoundFolder(const VehicleEntry& v)
{
    if (v.role == Role::Player)
        return Folder(v) + "/" + v.name + "/";
    return v.role == Role::Enemy ? "VENEMY/sound/" : "";
}

std::string MouthSpriteName(const VehicleEntry& v, int32_t set)
{
    if (v.role == Role::Player)
        return set == 0 ? "VPLAYER/mouth1.ini" : "VPLAYER/mouth2.ini";
    return v.role == Role::Enemy && set == 0 ? "VENEMY/mouth.ini" : std::string();
}

std::string Point(int32_t x, int32_t y)
{
    return std::to_string(x) + ", " + std::to_string(y);
}

std::string Number(double value)
{
    char text[32];
    snprintf(text, sizeof(text), "%g", value);
    return text;
}

void Key(std::string& text, const std::string& key, const std::string& value)
{
    text += key + "=" + value + "\n";
}

void DirectionKeys(std::string& text, const VehicleEntry& v, int32_t d)
{
    const double angle = kDrivingAngles[d];
    char section[32];
    snprintf(section, sizeof(section), "\n[Direction%03d]\n", d);
    text += section;
    Key(text, "NumStates", std::to_string(VEHICLE_MODES));
    for (int32_t mode = 0; mode < VEHICLE_MODES; ++mode)
    {
        char key[16];
        snprintf(key, sizeof(key), "State%03d", mode);
        Key(text, key, GameName(MovieName(v, d, mode)));
    }
    const ArtRect box = CollisionBox(v.look, angle);
    Key(text, "CollisionRect", Point(box.left, box.top) + ", " + Point(box.right, box.bottom));
    const std::vector<ArtPoint> tyres = TyrePoints(v.look, angle);
    for (size_t k = 0; k < tyres.size(); ++k)
        Key(text, "Tire" + std::to_string(k), Point(tyres[k].x, tyres[k].y));
    // The first mouth on the front bumper, the second just behind the cab.
    const double mouthY[2] = {-v.look.length / 2 + 4, -v.look.length / 2 + v.look.length * 0.3 + 6};
    const char* const keys[2][2] = {{"Lips", "LipPosition"}, {"Lips2", "LipPosition2"}};
    for (int32_t set = 0; set < 2; ++set)
    {
        const std::string sprite = MouthSpriteName(v, set);
        if (sprite.empty())
            continue;
        const ArtPoint at = PlaceInFrame(v.look, angle, 0, mouthY[set], kMouthWidth, kMouthHeight);
        Key(text, keys[set][0], GameName(sprite));
        Key(text, keys[set][1], Point(at.x, at.y));
    }
}

void EnemyKeys(std::string& text, const VehicleEntry& v)
{
    const std::string folder = Folder(v) + "/" + v.name;
    text += "\n[Perimeter]\n";
    Key(text, "Rect",
        Point(v.startX - kPerimeterReach, v.startY - kPerimeterReach) + ", " +
            Point(v.startX + kPerimeterReach, v.startY + kPerimeterReach));
    Key(text, "OnEnterPerimeter", GameName(folder + "_near.seq"));
    // Shots leave from just behind the tail: the spawned object centred
    // there, a 32 x 32 shot movie around it.
    std::string spawned = "\n[SpawnedShotOffsets]\n", movies = "\n[ShotMovieOffsets]\n";
    for (int32_t d = 0; d < kDirections; ++d)
    {
        const ArtPoint p = TurnPoint(v.look, kDrivingAngles[d], 0,
                                     std::min(v.look.length / 2 + 8, v.look.frameSize / 2.0 - 2));
        Key(spawned, "Direction" + std::to_string(d), Point(p.x, p.y));
        Key(movies, "Direction" + std::to_string(d), Point(p.x - 16, p.y - 16));
    }
    text += movies + spawned;
}

std::string TruckFileText(const VehicleEntry& v)
{
    std::string text = std::string("; ") + v.title +
                       ".\n; Made by make-demo-data: change its trucks group, not this file.\n";
    text += "[QexSprite]\n";
    Key(text, "NumDirections", std::to_string(kDirections));
    // The town addresses the player's truck as "Truck" and the enemy as
    // "Enemy"; hand trucks are driven through "this" by their own paths.
    if (v.role == Role::Player)
        Key(text, "EventTypeName", "Truck");
    std::string tag = v.name;
    for (char& c : tag)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    Key(text, "InterpTag", tag);
    const std::string sounds = SoundFolder(v);
    for (size_t i = 0; i < 4 && !sounds.empty(); ++i)
        Key(text, kLoopKeys[i], GameName(sounds + kLoopNames[i] + ".wav"));
    if (!sounds.empty())
        Key(text, "HornSound", GameName(sounds + "horn.wav"));
    Key(text, "MaxDrivingSpeed", Number(v.maxSpeed));
    Key(text, "DrivingAcceleration", Number(v.acceleration));
    Key(text, "MaxSuperSpeed", Number(v.superSpeed));
    Key(text, "SuperAcceleration", Number(v.superAcceleration));
    Key(text, "TurboTime", std::to_string(v.turboTime));
    Key(text, "DefaultLoseControlTime", "400");
    Key(text, "MaxFrameRate", "12");
    Key(text, "MapScrollRadius", "0");
    Key(text, "TargetThreshold", "20");
    if (v.role == Role::Enemy)
    {
        Key(text, "EnemyID", std::to_string(v.enemyId));
        Key(text, "HomeBuildingID", std::to_string(v.homeBuilding));
        Key(text, "StartLocation", Point(v.startX, v.startY));
        Key(text, "OnShoot", GameName(Folder(v) + "/" + v.name + (v.smoke ? "_smoke.seq" : "_oil.seq")));
        // A bump counts at the bumper cars, and the enemy answers it.
        Key(text, "OnBumped", GameName(Folder(v) + "/bumped.seq"));
    }
    // A caught hand truck stops, goes away and counts (a text file of data/game).
    if (v.role == Role::HandTruck)
        Key(text, "OnBumped", GameName(Folder(v) + "/htBumped.seq"));
    for (int32_t d = 0; d < kDirections; ++d)
        DirectionKeys(text, v, d);
    text += "\n[DrivingAngles]\n";
    for (int32_t i = 0; i < kDirections; ++i)
    {
        char key[16];
        snprintf(key, sizeof(key), "Angle%02d", i);
        Key(text, key, Number(kDrivingAngles[i]));
    }
    if (v.role == Role::Enemy)
        EnemyKeys(text, v);
    return text;
}

// One file the group makes: its path under the output and how to make it.
struct OutputJob
{
    std::string path;
    std::function<bool(const std::string& file)> make;
};

bool SaveText(const std::string& file, const std::string& text)
{
    return WriteWholeFile(file, text.data(), text.size());
}

void AddMovieJobs(std::vector<OutputJob>& jobs, const VehicleEntry& v)
{
    for (int32_t d = 0; d < kDirections; ++d)
        for (int32_t mode = 0; mode < VEHICLE_MODES; ++mode)
            jobs.push_back({MovieName(v, d, mode), [&v, d, mode](const std::string& file) {
                                std::vector<uint8_t> bytes;
                                return EncodeVehicleMovie(v.look, kDrivingAngles[d], mode, &bytes) &&
                                       WriteWholeFile(file, bytes.data(), bytes.size());
                            }});
}

// The four engine loops and the horn of one engine.
void AddSoundJobs(std::vector<OutputJob>& jobs, const std::string& folder, double hz, double pulse,
                  double low, double high)
{
    const EngineVoice voices[4] = {{hz, pulse, 0, 0, 0.55},
                                   {hz * 1.5, pulse * 2, hz * 8, 0, 0.7},
                                   {hz * 0.9, pulse * 0.75, 0, 0.8, 0.6},
                                   {hz * 0.7, pulse * 0.5, 0, 0, 0.35}};
    for (size_t i = 0; i < 4; ++i)
        jobs.push_back({folder + kLoopNames[i] + ".wav", [voice = voices[i]](const std::string& file) {
                            return SaveWave16(file, EngineLoop(voice, kLoopSeconds));
                        }});
    jobs.push_back({folder + "horn.wav", [low, high](const std::string& file) {
                        return SaveWave16(file, HornSound(low, high, 0.45));
                    }});
}

void AddMouthJobs(std::vector<OutputJob>& jobs, const std::string& sprite, int32_t style)
{
    const std::string strip = sprite.substr(0, sprite.size() - 4) + ".tga";
    jobs.push_back({strip, [style](const std::string& file) {
                        return SaveMouthStrip(file, style, kMouthWidth, kMouthHeight, kMouthFrames);
                    }});
    const std::string text = "; A mouth of the trucks: " + std::to_string(kMouthFrames) +
                             " pictures from closed to wide open.\n[QexSprite]\nNumStates=1\n[State000]\n" +
                             "FileName=" + GameName(strip) + "\nNumFrames=" + std::to_string(kMouthFrames) +
                             "\n";
    jobs.push_back({sprite, [text](const std::string& file) { return SaveText(file, text); }});
}

std::vector<OutputJob> Plan()
{
    std::vector<OutputJob> jobs;
    for (const VehicleEntry& v : kVehicles)
    {
        AddMovieJobs(jobs, v);
        if (v.role == Role::Player)
            AddSoundJobs(jobs, SoundFolder(v), v.engineHz, v.pulseHz, v.hornLow, v.hornHigh);
        jobs.push_back({Folder(v) + "/" + v.name + ".ini",
                        [&v](const std::string& file) { return SaveText(file, TruckFileText(v)); }});
    }
    AddSoundJobs(jobs, "VENEMY/sound/", 48, 10, 262, 277); // the enemies' rough, sour engine
    AddMouthJobs(jobs, "VPLAYER/mouth1.ini", 0);
    AddMouthJobs(jobs, "VPLAYER/mouth2.ini", 1);
    AddMouthJobs(jobs, "VENEMY/mouth.ini", 2);
    jobs.push_back(
        {"SFX/crash.wav", [](const std::string& file) { return SaveWave16(file, CrashSound(0.6)); }});
    return jobs;
}

class CTruckGroup : public CDemoGroup
{
public:
    const char* Name() const override { return "trucks"; }
    uint32_t Version() const override { return 3; }
    std::vector<std::string> Outputs(const DemoDataPaths&) const override
    {
        std::vector<std::string> outputs;
        for (const OutputJob& job : Plan())
            outputs.push_back(job.path);
        return outputs;
    }
    bool Make(const DemoDataPaths& paths) const override
    {
        const std::vector<OutputJob> jobs = Plan();
        for (size_t i = 0; i < jobs.size(); ++i)
        {
            if (!jobs[i].make(paths.output + "/" + jobs[i].path))
            {
                fprintf(stderr, "make-demo-data: could not make %s\n", jobs[i].path.c_str());
                return false;
            }
            if (paths.progress && (i + 1) % 100 == 0)
                fprintf(paths.progress, "make-demo-data: trucks: %zu of %zu files\n", i + 1, jobs.size());
        }
        return true;
    }
};
} // namespace

std::unique_ptr<CDemoGroup> MakeTruckGroup()
{
    return std::make_unique<CTruckGroup>();
}
