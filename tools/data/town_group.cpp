// The town: its tiles and map, world.ini and nodes.ini, the buildings and
// map objects with their pictures, the help arrows and small images, the
// map screen's picture of the town, and the intro movie, all from
// data/town/layout.txt and the tables of town_world.cpp.
#include "engine/base/error_codes.h"
#include "tools/data/demo_data.h"
#include "tools/data/town_art.h"
#include "tools/data/town_tiles.h"
#include "tools/data/town_world.h"

namespace {
const char* STATE_MOOD_NAMES[] = {"idle", "talk", "happy", "hiccup"};

BuildingMood MoodOf(const std::string& state)
{
    for (int i = 0; i < 4; ++i)
        if (state == STATE_MOOD_NAMES[i])
            return static_cast<BuildingMood>(i);
    return BuildingMood::Idle;
}

std::string LayoutPath(const DemoDataPaths& paths)
{
    return paths.town + "/layout.txt";
}

bool ReadLayout(const DemoDataPaths& paths, CTownLayout* layout)
{
    std::string text, why;
    if (!ReadWholeFile(LayoutPath(paths), text))
    {
        fprintf(stderr, "make-demo-data: could not read %s\n", LayoutPath(paths).c_str());
        return false;
    }
    if (!layout->Read(text, &why))
    {
        fprintf(stderr, "make-demo-data: %s: %s\n", LayoutPath(paths).c_str(), why.c_str());
        return false;
    }
    return true;
}

bool WriteText(const std::string& path, const std::string& text)
{
    return WriteWholeFile(path, text.data(), text.size());
}

bool SaveObjectStates(const std::string& out, const TownObject& o)
{
    for (int32_t s = 0; s < o.states; ++s)
    {
        const std::string file = out + "/OBJECTS/" + o.stem + "_" + std::to_string(s) + ".tga";
        if (!SaveStrip(file, o.w, o.h, o.frames,
                       [&](cairo_t* cr, int32_t f) { DrawObject(cr, o.shape, o.variant, s, f, o.w, o.h); }))
            return false;
    }
    return WriteText(out + "/OBJECTS/" + o.stem + ".ini", TownObjectIni(o, "OBJECTS"));
}

bool MakeBuildings(const std::string& out, const CTownLayout& layout)
{
    if (!SaveMouth(out + "/BUILDINGS/mouth.tga"))
        return false;
    for (int32_t i = 0; i < TOWN_BUILDINGS; ++i)
    {
        const TownBuilding& b = TownBuildings()[static_cast<size_t>(i)];
        for (const std::string& state : TownBuildingStates(i))
            if (!SaveBuildingState(out + "/BUILDINGS/" + b.stem + "_" + state + ".tga", b.look,
                                   MoodOf(state)))
                return false;
        if (!WriteText(out + "/BUILDINGS/" + b.stem + "1.ini", TownBuildingIni(layout, i)))
            return false;
    }
    for (const TownSmallBuilding& b : TownSmallBuildings())
        if (!SaveStrip(out + "/BUILDINGS/" + b.file + ".tga", b.w, b.h, 1,
                       [&](cairo_t* cr, int32_t) { DrawObject(cr, b.shape, 0, 0, 0, b.w, b.h); }) ||
            !WriteText(out + "/BUILDINGS/" + b.file + ".ini", TownSmallBuildingIni(b)))
            return false;
    return true;
}

class CTownGroup : public CDemoGroup
{
public:
    const char* Name() const override { return "town"; }
    uint32_t Version() const override { return 7; }
    void AddInputs(const DemoDataPaths& paths, CStampHash& hash) const override
    {
        std::string text;
        ReadWholeFile(LayoutPath(paths), text);
        hash.AddNumber(text.size());
        hash.Add(text.data(), text.size());
    }
    std::vector<std::string> Outputs(const DemoDataPaths&) const override
    {
        std::vector<std::string> out = {"world.ini",         "nodes.ini",
                                        "TILES/town.map",    "BUILDINGS/mouth.tga",
                                        "COMMON/zone.tga",   "COMMON/c_plate.tga",
                                        "VPLAYER/tread.tga", "MAP/mapbut.tga",
                                        "MAP/map_bg.tga",    "movies/catchintro0.smk"};
        for (const std::string& name : TownTileNames())
            out.push_back("TILES/" + name);
        for (int32_t i = 0; i < 16; ++i)
            out.push_back("COMMON/helparrow" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".tga");
        for (int32_t i = 0; i < TOWN_BUILDINGS; ++i)
        {
            const TownBuilding& b = TownBuildings()[static_cast<size_t>(i)];
            out.push_back("BUILDINGS/" + std::string(b.stem) + "1.ini");
            for (const std::string& state : TownBuildingStates(i))
                out.push_back("BUILDINGS/" + std::string(b.stem) + "_" + state + ".tga");
        }
        for (const TownSmallBuilding& b : TownSmallBuildings())
        {
            out.push_back("BUILDINGS/" + std::string(b.file) + ".ini");
            out.push_back("BUILDINGS/" + std::string(b.file) + ".tga");
        }
        for (const TownObject& o : TownObjects())
        {
            out.push_back("OBJECTS/" + std::string(o.stem) + ".ini");
            for (int32_t s = 0; s < o.states; ++s)
                out.push_back("OBJECTS/" + std::string(o.stem) + "_" + std::to_string(s) + ".tga");
        }
        for (const auto* list : {&TownUnderlays(), &TownOverlays()})
            for (const TownObject& o : *list)
                out.push_back("OBJECTS/" + std::string(o.stem) + ".tga");
        return out;
    }
    bool Make(const DemoDataPaths& paths) const override
    {
        CTownLayout layout;
        if (!ReadLayout(paths, &layout))
            return false;
        const std::string& out = paths.output;
        std::string why;
        if (!DrawTownTiles(out + "/TILES") || !MakeParentDirectories(out + "/TILES/town.map") ||
            WriteMapFile((out + "/TILES/town.map").c_str(), TownMap(layout), &why) != CX_ERR_NONE)
        {
            fprintf(stderr, "make-demo-data: could not make the town's map %s\n", why.c_str());
            return false;
        }
        if (!WriteText(out + "/world.ini", TownWorldIni(layout)) ||
            !WriteText(out + "/nodes.ini", TownNodesIni(layout)) || !MakeBuildings(out, layout))
            return false;
        for (const TownObject& o : TownObjects())
            if (!SaveObjectStates(out, o))
                return false;
        for (const auto* list : {&TownUnderlays(), &TownOverlays()})
            for (const TownObject& o : *list)
                if (!SaveStrip(out + "/OBJECTS/" + o.stem + ".tga", o.w, o.h, 1, [&](cairo_t* cr, int32_t) {
                        DrawObject(cr, o.shape, o.variant, 0, 0, o.w, o.h);
                    }))
                    return false;
        std::vector<uint8_t> movie;
        if (!SaveTownCommonImages(out) || !SaveTownMapPicture(out + "/MAP/map_bg.tga", layout) ||
            !EncodeTownIntro(&movie))
        {
            fprintf(stderr, "make-demo-data: could not make the town's pictures\n");
            return false;
        }
        return WriteWholeFile(out + "/movies/catchintro0.smk", movie.data(), movie.size());
    }
};
} // namespace

std::unique_ptr<CDemoGroup> MakeTownGroup()
{
    return std::make_unique<CTownGroup>();
}
