#include "tools/data/town_world.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {
constexpr int32_t MAP_WIDTH = TOWN_COLUMNS * TOWN_TILE;
constexpr int32_t MAP_HEIGHT = TOWN_ROWS * TOWN_TILE;

// printf into a line ending in CR LF.
std::string Line(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Line(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    return std::string(text) + "\r\n";
}

TownPoint BuildingPosition(const TownRect& lot)
{
    return {lot.left + (lot.right - lot.left - BUILDING_WIDTH) / 2,
            lot.top + (lot.bottom - lot.top - BUILDING_HEIGHT) / 2};
}

// The tiles of ground g whose whole 3 x 3 neighbourhood is that ground,
// thinned to every n-th by place.
std::vector<TownPoint> Spots(const CTownLayout& layout, char g, int32_t n)
{
    std::vector<TownPoint> spots;
    for (int32_t row = 1; row + 1 < TOWN_ROWS; ++row)
        for (int32_t column = 1; column + 1 < TOWN_COLUMNS; ++column)
        {
            bool inside = (column * 5 + row * 3) % n == 0;
            for (int32_t i = 0; i < 9 && inside; ++i)
                inside = layout.At(column + i % 3 - 1, row + i / 3 - 1) == g;
            if (inside)
                spots.push_back({column * TOWN_TILE, row * TOWN_TILE});
        }
    return spots;
}
} // namespace

const std::vector<TownBuilding>& TownBuildings()
{
    static const std::vector<TownBuilding> list = {
        {"bakery", "Bakery", "Bakery", "baker", {{240, 200, 150}, {170, 90, 50}, {255, 245, 225}, 0}},
        {"firestation",
         "Fire Station",
         "FireStation",
         "firechief",
         {{210, 60, 50}, {120, 40, 40}, {240, 240, 240}, 1}},
        {"fairground",
         "Fairground",
         "Fairground",
         "fairground",
         {{250, 210, 60}, {220, 50, 120}, {255, 255, 255}, 2}},
        {"library", "Library", "Library", "librarian", {{180, 160, 130}, {90, 70, 60}, {235, 225, 200}, 3}},
        {"garage", "Garage", "Garage", "mechanic", {{120, 130, 150}, {60, 70, 90}, {230, 200, 60}, 4}},
        {"school", "School", "School", "teacher", {{230, 120, 90}, {120, 60, 50}, {250, 240, 220}, 5}},
        {"grocer", "Grocer", "Grocer", "grocer", {{150, 200, 110}, {60, 120, 60}, {250, 250, 230}, 6}},
        {"toyshop", "Toy Shop", "ToyShop", "toymaker", {{180, 140, 230}, {240, 120, 60}, {255, 250, 200}, 7}},
        {"postoffice",
         "Post Office",
         "PostOffice",
         "postmaster",
         {{90, 140, 220}, {200, 50, 50}, {250, 250, 250}, 8}},
        {"printshop",
         "Print Shop",
         "PrintShop",
         "printer",
         {{200, 200, 210}, {60, 60, 80}, {90, 180, 220}, 9}},
        {"vet", "Vet", "Vet", "vet", {{170, 220, 210}, {70, 130, 120}, {255, 255, 255}, 10}},
        {"diner", "Diner", "Diner", "cook", {{240, 240, 230}, {40, 170, 190}, {230, 60, 60}, 11}},
        {"doctor", "Doctor", "Doctor", "doctor", {{245, 245, 250}, {200, 60, 60}, {150, 200, 240}, 12}},
        {"racetrack",
         "Race Track",
         "RaceTrack",
         "racer",
         {{90, 90, 100}, {230, 60, 40}, {250, 250, 250}, 13}},
        {"movers", "Moving Company", "Movers", "mover", {{200, 150, 90}, {110, 80, 50}, {245, 235, 210}, 14}},
        {"fishingdock",
         "Fishing Dock",
         "FishingDock",
         "fisher",
         {{150, 110, 70}, {60, 110, 160}, {240, 240, 230}, 15}},
    };
    return list;
}

const std::vector<TownSmallBuilding>& TownSmallBuildings()
{
    static const std::vector<TownSmallBuilding> list = {
        {"MailBox1", "Mail Box", ObjectShape::MailBox, 28, 40, 30, 8},
        {"MailBox2", "Mail Box", ObjectShape::MailBox, 28, 40, 34, 22},
        {"MailBox3", "Mail Box", ObjectShape::MailBox, 28, 40, 50, 33},
        {"MailBox4", "Mail Box", ObjectShape::MailBox, 28, 40, 70, 27},
        {"Meter1", "Parking Meter", ObjectShape::Meter, 16, 44, 25, 19},
        {"Meter2", "Parking Meter", ObjectShape::Meter, 16, 44, 64, 22},
        {"Meter3", "Parking Meter", ObjectShape::Meter, 16, 44, 10, 45},
        {"Meter4", "Parking Meter", ObjectShape::Meter, 16, 44, 76, 30},
        {"InvisibleRail1", "Invisible Rail", ObjectShape::Invisible, 128, 48, 82, 48},
    };
    return list;
}

const std::vector<TownObject>& TownObjects()
{
    using S = ObjectShape;
    static const std::vector<TownObject> list = [] {
        std::vector<TownObject> l = {
            {"tree", S::Tree, 0, 64, 96, 1, 1, true},
            {"bush", S::Bush, 0, 64, 40, 1, 1, true},
            {"lamp", S::Lamp, 0, 20, 72, 1, 1, true},
            {"bench", S::Bench, 0, 64, 28, 1, 1, true},
            {"hydrant", S::Hydrant, 0, 20, 28, 1, 1, true},
            {"cone", S::Cone, 0, 24, 28, 1, 1, false},
            {"flowerpot", S::FlowerPot, 1, 32, 32, 1, 1, true},
            {"rock", S::Rock, 0, 48, 36, 1, 1, true},
            {"fence", S::Fence, 0, 96, 28, 1, 1, true},
            {"signpost", S::SignPost, 2, 40, 56, 1, 1, true},
            {"bin", S::Bin, 0, 24, 32, 1, 1, true},
            {"haybale", S::HayBale, 0, 64, 40, 1, 1, true},
            {"tyres", S::Tyres, 0, 40, 40, 1, 1, true},
            {"bigtree", S::Tree, 2, 80, 112, 1, 1, true},
            {"hedge", S::Bush, 1, 96, 40, 1, 1, true},
            {"boulder", S::Rock, 1, 64, 48, 1, 1, true},
            {"rail", S::Fence, 1, 128, 28, 1, 1, true},
            {"streetlamp", S::Lamp, 1, 24, 88, 1, 1, true},
            {"barrier", S::Cone, 1, 32, 36, 1, 1, false},
            {"oil", S::Oil, 0, 72, 40, 1, 2, false, nullptr, "oilSkid.seq"},
            {"crate", S::Crate, 0, 40, 40, 2, 4, true, "crateSmash.seq"},
        };
        for (int32_t i = 0; i < 8; ++i)
        {
            static const char* junk[] = {"junk0", "junk1", "junk2", "junk3",
                                         "junk4", "junk5", "junk6", "junk7"};
            l.push_back({junk[i], S::Junk, i, 40, 32, 1, 4, false});
        }
        const TownObject items[] = {
            {"star", S::Star, 0, 32, 32, 1, 2, false, "pickUp.seq"},
            {"coin", S::Coin, 0, 28, 28, 1, 2, false, "pickUp.seq"},
            {"book", S::Book, 0, 28, 32, 1, 2, false, "pickUp.seq"},
            {"ball", S::Ball, 0, 28, 28, 1, 2, false, "pickUp.seq"},
            {"apple", S::Apple, 0, 28, 28, 1, 2, false, "pickUp.seq"},
            {"gift", S::Gift, 3, 32, 32, 1, 2, false, "pickUp.seq"},
            {"fire0", S::Fire, 0, 32, 40, 3, 3, true},
            {"fire1", S::Fire, 0, 48, 60, 3, 3, true},
            {"fire2", S::Fire, 0, 64, 80, 3, 3, true},
            {"fire3", S::Fire, 0, 80, 100, 3, 3, true},
            {"finish", S::Finish, 0, 128, 48, 1, 1, false},
            {"InvisBlock", S::Invisible, 0, 64, 64, 1, 1, true},
        };
        l.insert(l.end(), std::begin(items), std::end(items));
        return l;
    }();
    return list;
}

const std::vector<TownObject>& TownUnderlays()
{
    static const std::vector<TownObject> list = {
        {"puddle", ObjectShape::Puddle, 0, 64, 32, 1, 1, false},
        {"manhole", ObjectShape::Manhole, 0, 40, 40, 1, 1, false},
        {"bay", ObjectShape::Paint, 0, 64, 96, 1, 1, false},
    };
    return list;
}

const std::vector<TownObject>& TownOverlays()
{
    static const std::vector<TownObject> list = {
        {"canopy", ObjectShape::Canopy, 0, 128, 128, 1, 1, false},
        {"banner", ObjectShape::Banner, 1, 192, 80, 1, 1, false},
    };
    return list;
}

std::vector<TownPlacement> PlaceTownObjects(const CTownLayout& layout)
{
    std::vector<TownPlacement> out;
    for (const TownPoint& p : Spots(layout, '.', 11))
        out.push_back({(p.x / TOWN_TILE) % 3 == 0 ? 13 : 0, {p.x, p.y - 32}});
    for (const TownPoint& p : Spots(layout, 'T', 4))
        out.push_back({p.x % 3 ? 1 : 14, p});
    for (const TownPoint& p : Spots(layout, '%', 6))
        out.push_back({12, p});
    for (const TownPoint& p : Spots(layout, '"', 13))
        out.push_back({11, p});
    for (const TownPoint& p : Spots(layout, '+', 2))
        out.push_back({3, p});
    for (const TownPoint& p : Spots(layout, '*', 5))
        out.push_back({29, {p.x + 16, p.y + 16}});
    // The finish banner across the race track's right-hand straight.
    out.push_back({39, {74 * TOWN_TILE, 44 * TOWN_TILE}});
    // Lamps and hydrants along the pavement of the main street.
    for (int32_t column = 6; column < 88; column += 8)
        out.push_back({column % 16 == 6 ? 4 : 2, {column * TOWN_TILE + 20, 20 * TOWN_TILE - 76}});
    // Invisible blocks along the near river bank, except at the dock.
    for (int32_t row = 0; row < TOWN_ROWS; ++row)
        for (int32_t column = 0; column < TOWN_COLUMNS; ++column)
            if (column + row == 133 && (row < 44 || row > 49))
                out.push_back({40, {column * TOWN_TILE, row * TOWN_TILE}});
    return out;
}

std::vector<TownPlacement> PlaceTownUnderlays(const CTownLayout& layout)
{
    std::vector<TownPlacement> out;
    for (const TownPoint& p : Spots(layout, '&', 7))
        out.push_back({0, {p.x, p.y + 16}});
    // Manholes in the middle of every seventh junction or bend.
    const std::vector<TownNode> nodes = layout.Nodes();
    for (size_t i = 3; i < nodes.size(); i += 7)
        out.push_back({1, {nodes[i].position.x - 20, nodes[i].position.y - 20}});
    out.push_back({2, {48 * TOWN_TILE, 12 * TOWN_TILE}});
    out.push_back({2, {49 * TOWN_TILE, 12 * TOWN_TILE}});
    return out;
}

std::vector<TownPlacement> PlaceTownOverlays(const CTownLayout&)
{
    // A welcome banner over the street north of the start, and tree tops
    // that hang over road edges.
    return {{1, {16 * TOWN_TILE - 32, 18 * TOWN_TILE}}, {0, {18 * TOWN_TILE + 16, 28 * TOWN_TILE}},
            {0, {38 * TOWN_TILE, 46 * TOWN_TILE}},      {0, {53 * TOWN_TILE + 32, 41 * TOWN_TILE}},
            {0, {76 * TOWN_TILE, 40 * TOWN_TILE}},      {0, {89 * TOWN_TILE + 32, 14 * TOWN_TILE}}};
}

std::string TownWorldIni(const CTownLayout& layout)
{
    // The town looks up every file named here, and the buildings' scenes, in
    // the game's data folder; the pictures and bump sequences named inside
    // sprite files carry their "$GAMEPATH" root.
    std::string ini = "; The town of the demo, made by make-demo-data from data/town/layout.txt.\r\n"
                      "; File names are relative to the game's data folder.\r\n";
    ini += "[World]\r\nMap=TILES\\town.map\r\nAllowBuildingFade=0\r\nAutoRun=welcome.seq\r\n\r\n";
    ini += "[Settings]\r\nMinHelpDistance=200\r\nSkidTimeInterval=50\r\nZonePullRadius=100\r\n"
           "ZoneSafeRadius=400\r\nAntiAliasTrucks=1\r\nAntiAliasBuildings=0\r\nAntiAliasObjects=0\r\n";
    auto masters = [&](const char* section, const char* key, const std::vector<TownObject>& list) {
        ini += Line("\r\n[%s]", section);
        for (size_t i = 0; i < list.size(); ++i)
            ini += Line("%s%03zu=OBJECTS\\%s.%s", key, i, list[i].stem,
                        strcmp(key, "Object") == 0 ? "ini" : "tga");
    };
    auto placed = [&](const char* section, const char* key, int digits,
                      const std::vector<TownPlacement>& list) {
        ini += Line("\r\n[%s]", section);
        for (const TownPlacement& p : list)
            ini += Line("%s%0*d=%d, %d", key, digits, p.master, p.at.x, p.at.y);
    };
    masters("MasterUnderlays", "Underlay", TownUnderlays());
    placed("Underlays", "Underlay", 8, PlaceTownUnderlays(layout));
    masters("MasterOverlays", "Overlay", TownOverlays());
    placed("Overlays", "Overlay", 7, PlaceTownOverlays(layout));
    ini += "\r\n[Buildings]\r\n";
    int32_t n = 0;
    for (const TownBuilding& b : TownBuildings())
        ini += Line("Building%02d=BUILDINGS\\%s1.ini", n++, b.stem);
    for (const TownSmallBuilding& b : TownSmallBuildings())
        ini += Line("Building%02d=BUILDINGS\\%s.ini", n++, b.file);
    masters("MasterObjects", "Object", TownObjects());
    placed("Objects", "Object", 3, PlaceTownObjects(layout));
    return ini;
}

std::string TownNodesIni(const CTownLayout& layout)
{
    std::string ini = "; The driving nodes of the town, made by make-demo-data from the layout's roads.\r\n"
                      "; Each link is written once; the town links both ways.\r\n";
    const std::vector<TownNode> nodes = layout.Nodes();
    for (size_t i = 0; i < nodes.size(); ++i)
    {
        ini += Line("\r\n[Node%03zu]", i);
        ini += Line("Position=%d,%d", nodes[i].position.x, nodes[i].position.y);
        for (int32_t link : nodes[i].links)
            ini += Line("LinkTo=%d", link);
    }
    return ini;
}

std::vector<std::string> TownBuildingStates(int32_t index)
{
    if (index == TOWN_DROPPER)
        return {"idle", "talk", "hiccup", "happy"};
    return {"idle", "talk", "happy"};
}

std::string TownBuildingIni(const CTownLayout& layout, int32_t index)
{
    const TownBuilding& b = TownBuildings()[static_cast<size_t>(index)];
    TownRect lot;
    TownPoint zone, thru;
    layout.LotOf(index, &lot);
    layout.ZoneCentreOf(index, &zone);
    layout.DriveThruOf(index, &thru);
    const TownPoint at = BuildingPosition(lot);
    // The view that shows the building and its zone together.
    const int32_t lockX = std::clamp((at.x + BUILDING_WIDTH / 2 + zone.x) / 2 - 320, 0, MAP_WIDTH - 640);
    const int32_t lockY = std::clamp((at.y + BUILDING_HEIGHT / 2 + zone.y) / 2 - 240, 0, MAP_HEIGHT - 480);
    const std::vector<std::string> states = TownBuildingStates(index);
    std::string ini = Line("; %s: building %d of the town, made by make-demo-data.", b.name, index);
    ini += Line("[QexSprite]\r\nName=%s\r\nEventTypeName=%s\r\nInterpTag=%s", b.name, b.type, b.type);
    ini += Line("NumStates=%zu\r\nSolidObject=1", states.size());
    ini += Line("CollisionRect=24, 70, 231, 187");
    ini += Line("Position=%d, %d", at.x, at.y);
    ini += Line("LockPosition=%d, %d", lockX, lockY);
    ini += Line("TruckLockPosition=%d, %d", zone.x, zone.y);
    ini += Line("DriveThruPosition=%d, %d", thru.x, thru.y);
    ini += "TruckTalkState=10\r\n";
    if (index >= TOWN_FIRST_FIRE_HOUSE && index < TOWN_FIRST_FIRE_HOUSE + TOWN_FIRE_HOUSES)
        ini += Line("ExtraSprite=$GAMEPATH\\mission\\fire\\smoke.ini\r\nExtraSpriteOffset=%d, %d",
                    TOWN_SMOKE_X, TOWN_SMOKE_Y);
    for (size_t s = 0; s < states.size(); ++s)
    {
        ini += Line("\r\n[State%03zu]", s);
        ini += Line("FileName=$GAMEPATH\\BUILDINGS\\%s_%s.tga", b.stem, states[s].c_str());
        ini += Line("NumFrames=%d\r\nFrameRate=%s", states[s] == "hiccup" ? 4 : 2,
                    states[s] == "idle" ? "1.5" : "5");
        ini += Line("Lips=$GAMEPATH\\BUILDINGS\\mouth.tga\r\nLipFrames=%d", MOUTH_FRAMES);
        ini += Line("LipPosition=%d, %d\r\nLipMask=1", MOUTH_X, MOUTH_Y);
    }
    ini += Line("\r\n[Perimeter]\r\nRect=%d, %d, %d, %d\r\nOnEnterPerimeter=", lot.left - at.x,
                lot.top - at.y, lot.right - at.x, lot.bottom - at.y);
    ini += Line("\r\n[Zone]\r\nType=0\r\nPosition=%d, %d\r\nCenter=%d, %d", zone.x - 48, zone.y - 48, zone.x,
                zone.y);
    // A scene of its own for each stage: entering, and coming back from the
    // building's task (data/game/BUILDINGS/<stem>Enter<n>.seq, <stem>End<n>.seq).
    const char* const keys[][2] = {{"OnEnterZone", "Enter"}, {"OnEndMission", "End"}};
    for (const auto& key : keys)
        for (int i = 0; i < 3; ++i)
            ini += Line("%s%d=BUILDINGS\\%s%s%d.seq", key[0], i, b.stem, key[1], i);
    return ini;
}

std::string TownSmallBuildingIni(const TownSmallBuilding& building)
{
    std::string ini = Line("; %s, made by make-demo-data.", building.name);
    ini += Line("[QexSprite]\r\nName=%s\r\nNumStates=1\r\nSolidObject=1", building.name);
    ini += Line("Position=%d, %d", building.column * TOWN_TILE + (TOWN_TILE - building.w) / 2,
                building.row * TOWN_TILE + (TOWN_TILE - building.h) / 2);
    ini += Line("\r\n[State000]\r\nFileName=$GAMEPATH\\BUILDINGS\\%s.tga\r\nNumFrames=1", building.file);
    return ini;
}

std::string TownObjectIni(const TownObject& object, const char* folder)
{
    std::string ini = Line("; A map object of the town, made by make-demo-data.");
    ini += Line("[QexSprite]\r\nName=%s\r\nNumStates=%d\r\nSolidObject=%d", object.stem, object.states,
                object.solid ? 1 : 0);
    if (object.onBumped)
        ini += Line("OnBumped=$GAMEPATH\\OBJECTS\\%s", object.onBumped);
    if (object.onCollide)
        ini += Line("OnCollide=$GAMEPATH\\OBJECTS\\%s", object.onCollide);
    for (int32_t s = 0; s < object.states; ++s)
    {
        ini += Line("\r\n[State%03d]", s);
        ini += Line("FileName=$GAMEPATH\\%s\\%s_%d.tga", folder, object.stem, s);
        ini += Line("NumFrames=%d\r\nFrameRate=%d", object.frames, object.shape == ObjectShape::Junk ? 6 : 8);
    }
    return ini;
}
