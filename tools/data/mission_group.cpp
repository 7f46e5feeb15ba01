// The collection and delivery missions of the demo: their mission files
// (with item locations on the town's roads, from data/town/layout.txt), the
// collectible items' sprite files and pictures, their HUD icons, and the
// hidden-item sequence beside every building file. The sequences the files
// name (bumps, wins, help) are text under data/game/mission.
#include "tools/data/demo_data.h"
#include "tools/data/town_art.h"
#include "tools/data/town_layout.h"
#include "tools/data/town_world.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace {
// The collectible of each collection mission, by sub-ID.
struct MissionItem
{
    int32_t subId;
    const char* name; // the mission's name, its files' stem
    ArtRgb colour;
};

const MissionItem ITEMS[] = {
    {0, "ibm", {90, 110, 150}},  {1, "pan", {70, 70, 80}},       {2, "book", {60, 90, 200}},
    {3, "hamb", {200, 140, 60}}, {5, "cone", {250, 130, 30}},    {6, "soap", {150, 220, 240}},
    {7, "brush", {200, 60, 60}}, {8, "wrench", {150, 150, 160}}, {9, "keys", {230, 200, 50}},
    {11, "sk8", {60, 180, 90}},  {12, "tire", {35, 35, 35}},     {13, "met", {220, 40, 40}},
};
constexpr int32_t ITEM_SIZE = 32;
constexpr int32_t LEFT_ICON = 40;
constexpr int32_t RIGHT_ICON = 20;
constexpr int32_t LOCATIONS = 10;
constexpr double ZONE_CLEARANCE = 300.0; // the town's zone pull radius is 100

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

void Fill(cairo_t* cr, const ArtRgb& c)
{
    cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
    cairo_fill(cr);
}

// The item's picture in a size x size square.
void DrawItem(cairo_t* cr, const std::string& name, const ArtRgb& c, double s)
{
    const ArtRgb dark{c.r / 2, c.g / 2, c.b / 2}, white{250, 250, 250};
    if (name == "ibm")
    {
        cairo_rectangle(cr, s * .1, s * .1, s * .8, s * .6), Fill(cr, c);
        cairo_rectangle(cr, s * .18, s * .18, s * .64, s * .44), Fill(cr, {120, 220, 160});
        cairo_rectangle(cr, s * .3, s * .75, s * .4, s * .15), Fill(cr, dark);
    }
    else if (name == "pan" || name == "tire")
    {
        cairo_arc(cr, s * .42, s * .55, s * .36, 0, 2 * M_PI), Fill(cr, c);
        cairo_arc(cr, s * .42, s * .55, s * .18, 0, 2 * M_PI),
            Fill(cr, name == "pan" ? dark : ArtRgb{150, 150, 150});
        if (name == "pan")
            cairo_rectangle(cr, s * .7, s * .5, s * .28, s * .1), Fill(cr, {120, 70, 30});
    }
    else if (name == "book")
    {
        cairo_rectangle(cr, s * .15, s * .15, s * .7, s * .75), Fill(cr, c);
        cairo_rectangle(cr, s * .15, s * .15, s * .12, s * .75), Fill(cr, dark);
        cairo_rectangle(cr, s * .35, s * .3, s * .4, s * .08), Fill(cr, white);
    }
    else if (name == "hamb")
    {
        cairo_arc(cr, s * .5, s * .5, s * .38, M_PI, 2 * M_PI), Fill(cr, c);
        cairo_rectangle(cr, s * .12, s * .52, s * .76, s * .12), Fill(cr, {110, 60, 30});
        cairo_rectangle(cr, s * .12, s * .66, s * .76, s * .06), Fill(cr, {80, 180, 60});
        cairo_rectangle(cr, s * .12, s * .74, s * .76, s * .12), Fill(cr, c);
    }
    else if (name == "cone" || name == "met")
    {
        if (name == "cone")
            cairo_move_to(cr, s * .5, s * .05), cairo_line_to(cr, s * .85, s * .9),
                cairo_line_to(cr, s * .15, s * .9);
        else
            cairo_arc(cr, s * .5, s * .65, s * .4, M_PI, 2 * M_PI);
        cairo_close_path(cr), Fill(cr, c);
        cairo_rectangle(cr, s * .1, s * .55, s * .8, s * .1), Fill(cr, white);
    }
    else if (name == "soap")
    {
        cairo_rectangle(cr, s * .15, s * .4, s * .7, s * .45), Fill(cr, c);
        for (int i = 0; i < 3; ++i)
            cairo_arc(cr, s * (.25 + .25 * i), s * (.25 - .05 * i), s * .09, 0, 2 * M_PI), Fill(cr, white);
    }
    else if (name == "brush" || name == "wrench")
    {
        cairo_rectangle(cr, s * .44, s * .3, s * .12, s * .65),
            Fill(cr, name == "brush" ? ArtRgb{150, 100, 50} : c);
        if (name == "brush")
            cairo_rectangle(cr, s * .25, s * .05, s * .5, s * .28), Fill(cr, c);
        else
            cairo_arc(cr, s * .5, s * .22, s * .2, 0, 2 * M_PI), Fill(cr, c),
                cairo_rectangle(cr, s * .44, s * .02, s * .12, s * .2), Fill(cr, {0, 0, 0});
    }
    else if (name == "keys")
    {
        cairo_arc(cr, s * .3, s * .3, s * .2, 0, 2 * M_PI), Fill(cr, c);
        cairo_rectangle(cr, s * .4, s * .38, s * .5, s * .1), Fill(cr, c);
        cairo_rectangle(cr, s * .75, s * .48, s * .08, s * .18), Fill(cr, c);
    }
    else if (name == "sk8")
    {
        cairo_rectangle(cr, s * .05, s * .45, s * .9, s * .15), Fill(cr, c);
        cairo_arc(cr, s * .25, s * .72, s * .1, 0, 2 * M_PI), Fill(cr, dark);
        cairo_arc(cr, s * .75, s * .72, s * .1, 0, 2 * M_PI), Fill(cr, dark);
    }
    else if (name == "mail")
    {
        cairo_rectangle(cr, s * .1, s * .25, s * .8, s * .5), Fill(cr, white);
        cairo_move_to(cr, s * .1, s * .25), cairo_line_to(cr, s * .5, s * .55),
            cairo_line_to(cr, s * .9, s * .25);
        cairo_set_line_width(cr, 2), cairo_set_source_rgb(cr, .3, .3, .5), cairo_stroke(cr);
    }
    else
    {
        cairo_arc(cr, s * .5, s * .5, s * .38, 0, 2 * M_PI), Fill(cr, {230, 190, 40});
        cairo_arc(cr, s * .5, s * .5, s * .25, 0, 2 * M_PI), Fill(cr, {250, 220, 90});
    }
}

// The item drawn in grey: a right icon not yet lit.
void DrawGreyItem(cairo_t* cr, const std::string& name, const ArtRgb& c, double s)
{
    cairo_push_group(cr);
    DrawItem(cr, name, c, s);
    cairo_pattern_t* shape = cairo_pop_group(cr);
    cairo_set_source_rgb(cr, .55, .55, .55);
    cairo_mask(cr, shape);
    cairo_pattern_destroy(shape);
}

bool SaveIcons(const std::string& out, const std::string& name, const ArtRgb& c)
{
    return SaveStrip(out + "/HUD/" + name + "L.tga", LEFT_ICON, LEFT_ICON, 1,
                     [&](cairo_t* cr, int32_t) { DrawItem(cr, name, c, LEFT_ICON); }) &&
           SaveStrip(out + "/HUD/" + name + "R.tga", RIGHT_ICON, RIGHT_ICON, 2, [&](cairo_t* cr, int32_t f) {
               f ? DrawItem(cr, name, c, RIGHT_ICON) : DrawGreyItem(cr, name, c, RIGHT_ICON);
           });
}

// State 0 bobs on the road (2 frames); state 1 pops out of a building (4 frames, growing).
bool SaveItem(const std::string& out, const MissionItem& item)
{
    const std::string stem = out + "/mission/Collect/" + item.name;
    return SaveStrip(stem + "_0.tga", ITEM_SIZE, ITEM_SIZE, 2,
                     [&](cairo_t* cr, int32_t f) {
                         cairo_translate(cr, 0, f ? -2 : 0);
                         DrawItem(cr, item.name, item.colour, ITEM_SIZE);
                     }) &&
           SaveStrip(stem + "_1.tga", ITEM_SIZE, ITEM_SIZE, 4, [&](cairo_t* cr, int32_t f) {
               const double scale = 0.4 + 0.2 * f;
               cairo_translate(cr, ITEM_SIZE * (1 - scale) / 2, ITEM_SIZE * (1 - scale));
               cairo_scale(cr, scale, scale);
               DrawItem(cr, item.name, item.colour, ITEM_SIZE);
           });
}

std::string ItemIni(const MissionItem& item)
{
    std::string ini = Line("; The collectible of the \"%s\" mission, made by make-demo-data.", item.name);
    ini += Line("[QexSprite]\r\nName=%s\r\nNumStates=2\r\nSolidObject=0", item.name);
    ini += "OnBumped=$GAMEPATH\\mission\\Collect\\item.seq\r\n";
    for (int32_t s = 0; s < 2; ++s)
        ini += Line("\r\n[State%03d]\r\nFileName=$GAMEPATH\\mission\\Collect\\%s_%d.tga\r\nNumFrames=%d\r\n"
                    "FrameRate=%d",
                    s, item.name, s, s ? 4 : 2, s ? 8 : 3);
    return ini;
}

// Level n asks for 3 + n items; a third of the rest hide in buildings.
std::string LevelSections(const std::string& name, bool collect)
{
    std::string ini;
    for (int32_t level = 0; level < 3; ++level)
    {
        const int32_t req = (collect ? 3 : 2) + level;
        ini += Line("\r\n[Level%02d]", level);
        ini +=
            Line("TimerIntervalMin=%d\r\nTimerIntervalMax=%d", 90000 - 15000 * level, 300000 - 60000 * level);
        ini += Line("NumReqItems=%d", req);
        if (collect)
        {
            ini += Line("NumTotalItems=%d\r\nNumHiddenItems=%d", req + 1, level == 2 ? 2 : 1);
            ini += Line("ItemName=$GAMEPATH\\mission\\Collect\\%sItem.ini", name.c_str());
        }
        ini += Line("NumHudSets=1\r\nLeftIconName00=$GAMEPATH\\HUD\\%sL.tga\r\nLeftIconPos00=8,36",
                    name.c_str());
        ini += Line("NumRightIcons00=%d\r\nRightIconName00=$GAMEPATH\\HUD\\%sR.tga", req, name.c_str());
        for (int32_t j = 0; j < req; ++j)
            ini += Line("RightIconPos00%02d=%d,%d", j, 52 + 21 * (j % 5), 40 + 24 * (j / 5));
    }
    return ini;
}

// Road junctions far enough from every enter zone that a truck picking an
// item up is not pulled into a building.
std::vector<TownNode> ItemPlaces(const CTownLayout& layout)
{
    std::vector<TownNode> places;
    for (const TownNode& node : layout.Nodes())
    {
        bool clear = true;
        for (int32_t b = 0; b < TOWN_BUILDINGS && clear; ++b)
        {
            TownPoint zone;
            clear = !layout.ZoneCentreOf(b, &zone) ||
                    std::hypot(zone.x - node.position.x, zone.y - node.position.y) > ZONE_CLEARANCE;
        }
        if (clear)
            places.push_back(node);
    }
    return places;
}

std::string CollectionIni(const MissionItem& item, const std::vector<TownNode>& nodes, int32_t index)
{
    std::string ini =
        Line("; Collection mission \"%s\", given by the library; made by make-demo-data.", item.name);
    ini += Line("[Mission]\r\nMissionType=0\r\nMissionSubID=%d", item.subId);
    ini += "FinishSequenceFilename=$GAMEPATH\\mission\\Collect\\finish.seq\r\n";
    ini += Line("\r\n[Locations]\r\nNumLocations=%d", nodes.empty() ? 0 : LOCATIONS);
    // Road junctions spread over the town, a different set for each mission.
    const size_t step = nodes.size() / LOCATIONS + 1;
    for (int32_t k = 0; k < LOCATIONS && !nodes.empty(); ++k)
    {
        const TownPoint& p = nodes[(static_cast<size_t>(index) * 3 + k * step) % nodes.size()].position;
        ini += Line("Pos%02d=%d,%d", k, p.x - ITEM_SIZE / 2, p.y - ITEM_SIZE / 2);
    }
    return ini + LevelSections(item.name, true);
}

std::string DeliveryIni(const char* folder, const char* target, const char* icon)
{
    std::string ini =
        Line("; Delivery to every \"%s\", given by the post office; made by make-demo-data.", target);
    ini += Line("[Mission]\r\nMissionType=1\r\nMissionSubID=14\r\nObjectName=%s", target);
    ini += Line("FinishSequenceFilename=$GAMEPATH\\mission\\%s\\finish.seq", folder);
    return ini + LevelSections(icon, false);
}

// The stems of the hidden-item sequences: bakery1.ini gives bakeryH.Seq,
// MailBox1.ini MailBoxH.Seq.
std::vector<std::string> HiddenSequenceFiles()
{
    std::vector<std::string> files;
    for (const TownBuilding& b : TownBuildings())
        files.push_back(std::string("BUILDINGS/") + b.stem + "H.Seq");
    for (const TownSmallBuilding& b : TownSmallBuildings())
    {
        const std::string file = std::string("BUILDINGS/") + b.file;
        if (file.find("Invisible") == std::string::npos)
            files.push_back(file.substr(0, file.size() - 1) + "H.Seq");
    }
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    return files;
}

const char* const HIDDEN_SEQUENCE =
    "# A building bumped during a collection hid one of the items: it pops out and counts.\r\n"
    "Event Town.PlayHiddenObjAnim()\r\n"
    "Event system.PlaySound($GAMEPATH\\VOICES\\narrator\\hidden.wav)\r\n"
    "Event Town.IncrementCollectionScore()\r\n";

bool WriteText(const std::string& path, const std::string& text)
{
    return WriteWholeFile(path, text.data(), text.size());
}

class CMissionGroup : public CDemoGroup
{
public:
    const char* Name() const override { return "missions"; }
    uint32_t Version() const override { return 2; }
    void AddInputs(const DemoDataPaths& paths, CStampHash& hash) const override
    {
        std::string text;
        ReadWholeFile(paths.town + "/layout.txt", text);
        hash.AddNumber(text.size());
        hash.Add(text.data(), text.size());
    }
    std::vector<std::string> Outputs(const DemoDataPaths&) const override
    {
        std::vector<std::string> out = HiddenSequenceFiles();
        for (const MissionItem& item : ITEMS)
            for (const char* suffix : {".ini", "Item.ini", "_0.tga", "_1.tga"})
                out.push_back(std::string("mission/Collect/") + item.name + suffix);
        for (const char* name : {"ibm", "pan", "book", "hamb", "cone", "soap", "brush", "wrench", "keys",
                                 "sk8", "tire", "met", "mail", "tokens"})
            for (const char* suffix : {"L.tga", "R.tga"})
                out.push_back(std::string("HUD/") + name + suffix);
        out.push_back("mission/SpawnMail/mail.ini");
        out.push_back("mission/SpawnTokens/tokens.ini");
        return out;
    }
    bool Make(const DemoDataPaths& paths) const override
    {
        CTownLayout layout;
        std::string text, why;
        if (!ReadWholeFile(paths.town + "/layout.txt", text) || !layout.Read(text, &why))
        {
            fprintf(stderr, "make-demo-data: missions: no town layout %s\n", why.c_str());
            return false;
        }
        const std::vector<TownNode> nodes = ItemPlaces(layout);
        const std::string& out = paths.output;
        int32_t index = 0;
        for (const MissionItem& item : ITEMS)
        {
            const std::string stem = out + "/mission/Collect/" + item.name;
            if (!WriteText(stem + ".ini", CollectionIni(item, nodes, index++)) ||
                !WriteText(stem + "Item.ini", ItemIni(item)) || !SaveItem(out, item) ||
                !SaveIcons(out, item.name, item.colour))
                return false;
        }
        if (!SaveIcons(out, "mail", {250, 250, 250}) || !SaveIcons(out, "tokens", {230, 190, 40}) ||
            !WriteText(out + "/mission/SpawnMail/mail.ini", DeliveryIni("SpawnMail", "Mail Box", "mail")) ||
            !WriteText(out + "/mission/SpawnTokens/tokens.ini",
                       DeliveryIni("SpawnTokens", "Parking Meter", "tokens")))
            return false;
        for (const std::string& file : HiddenSequenceFiles())
            if (!WriteText(out + "/" + file, HIDDEN_SEQUENCE))
                return false;
        return true;
    }
};
} // namespace

std::unique_ptr<CDemoGroup> MakeMissionGroup()
{
    return std::make_unique<CMissionGroup>();
}
