// rumbo-tool: the town data commands: maps, sprite files, truck files and
// the mouth movement of voice lines.
#include "app/rumbo_tool.h"

#include "engine/core/buffer.h"
#include "engine/core/error.h"
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/image_files.h"
#include "engine/graphics/image_filter.h"
#include "engine/media/movie_driver.h"
#include "engine/media/sound.h"
#include "game/world/lip_synch.h"
#include "game/world/map_file.h"
#include "game/world/rumbo_tile_map.h"
#include "game/world/sequence_lint.h"
#include "game/world/talking_sprite.h"
#include "game/world/truck.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <strings.h>

namespace {
// The folder of a file, with a separator at the end ("./" for a bare name).
std::string FolderOf(const char* path)
{
    const char* slash = strrchr(path, '/');
    return slash ? std::string(path, static_cast<size_t>(slash - path + 1)) : std::string("./");
}

// The data folder of a map: the map's folder, or the one above it when the
// map lies in the TILES folder itself (the game's TILES\town.map), since
// the game looks its tiles up as "$GAMEPATH\TILES\<name>".
std::string MapDataFolder(const char* path)
{
    std::string folder = FolderOf(path);
    const std::string tiles = "TILES/";
    if (folder.size() >= tiles.size() &&
        strcasecmp(folder.c_str() + folder.size() - tiles.size(), tiles.c_str()) == 0 &&
        (folder.size() == tiles.size() || folder[folder.size() - tiles.size() - 1] == '/'))
        folder.resize(folder.size() - tiles.size());
    return folder.empty() ? std::string("./") : folder;
}

// "$GAMEPATH" stands for the folder of the data file, as it does in the game.
class ScopedGamePath
{
public:
    explicit ScopedGamePath(const std::string& folder)
    {
        m_Paths.SetInstallPath(folder.c_str());
        m_Paths.SetCDPath(folder.c_str());
        SetGamePath(&m_Paths);
    }
    ~ScopedGamePath() { SetGamePath(nullptr); }

private:
    CxGamePath m_Paths;
};

// Reads a whole input file; false (message printed) when it is missing or unreadable.
bool ReadInput(const char* path, CxFileBuffer& buffer)
{
    if (!ToolFileExists(path))
        return false;
    if (LoadFile(path, buffer) != CX_ERR_NONE)
    {
        fprintf(stderr, "%s: could not read %s\n", GetErrorText(buffer.GetError()), path);
        return false;
    }
    return true;
}

// Writes the picture a command drew and prints its size.
int SaveDrawing(CxDrawSurface& image, const char* path)
{
    const uint32_t code = SaveImageFile(&image, path, 0);
    if (code != CX_ERR_NONE)
    {
        fprintf(stderr, "%s: could not write %s\n", GetErrorText(code), path);
        return 1;
    }
    printf("width %d height %d\n", image.GetWidth(), image.GetHeight());
    return 0;
}

// Whether a sheet of rows of pictures can be drawn (message printed when not).
bool SheetFits(int64_t width, int64_t height, const char* rows, const char* pictures, const char* file)
{
    if (height >= 1 && width * height <= (64 << 20))
        return true;
    fprintf(stderr, "%s: no %s of %s has %s that fit a sheet\n", GetErrorText(CX_ERR_INVALID_ARGUMENT), rows,
            file, pictures);
    return false;
}

// A command "NAME FILE OUT [DATA]" drawing a data file whose "$GAMEPATH" is
// its folder, or DATA where the command takes one (a truck file of the game
// names its movies from the data folder, "$GAMEPATH\VPLAYER\..."): checks
// the words and the file, then runs draw(FILE, OUT).
int RunSheetCommand(int argc, char** argv, bool movies, int (*draw)(const char* file, const char* out))
{
    if (argc != 4 && !(movies && argc == 5))
        return ToolUsage();
    if (!ToolFileExists(argv[2]))
        return 1;
    RegisterStandardImageFilters();
    if (movies)
        RegisterMovieDrivers();
    ScopedGamePath paths(argc == 5 ? std::string(argv[4]) + "/" : FolderOf(argv[2]));
    return draw(argv[2], argv[3]);
}

bool ReadMap(const char* path, CxFileBuffer& buffer, ST_MAP_FILE* map)
{
    if (!ReadInput(path, buffer))
        return false;
    const char* why = nullptr;
    if (!ParseMapFile(buffer.GetData(), buffer.GetSize(), map, &why))
    {
        fprintf(stderr, "%s: not a map file (%s): %s\n", GetErrorText(CX_ERR_INVALID_FILE_TYPE), why, path);
        return false;
    }
    return true;
}

int MapInfoCommand(int argc, char** argv)
{
    if (argc != 3)
        return ToolUsage();
    CxFileBuffer buffer;
    ST_MAP_FILE map;
    if (!ReadMap(argv[2], buffer, &map))
        return 1;
    ScopedGamePath paths(MapDataFolder(argv[2]));
    printf("tile %dx%d columns %d rows %d size %" PRId64 "x%" PRId64 " tiles %u\n", map.nTileWidth,
           map.nTileHeight, map.nColumns, map.nRows, static_cast<int64_t>(map.nColumns) * map.nTileWidth,
           static_cast<int64_t>(map.nRows) * map.nTileHeight, map.nTiles);
    char name[MAP_FILE_NAME_SIZE];
    uint32_t missing = 0;
    for (uint32_t i = 0; i < map.nTiles; ++i)
    {
        GetMapTileName(map, i, name);
        const CxString path = BuildGamePath("$GAMEPATH\\TILES\\%s", name);
        const bool found = name[0] && FileExists(path.c_str());
        missing += found ? 0 : 1;
        printf("tile %u \"%s\" attribute 0x%08X%s\n", i, name, GetMapTileAttribute(map, i),
               found ? "" : " missing");
    }
    std::map<uint32_t, uint64_t> uses;
    uint64_t empty = 0;
    for (int32_t row = 0; row < map.nRows; ++row)
        for (int32_t column = 0; column < map.nColumns; ++column)
        {
            const uint32_t index = GetMapCellIndex(map, column, row);
            if (index < map.nTiles)
                ++uses[index];
            else
                ++empty;
        }
    printf("missing images %u\n", missing);
    for (const auto& [index, count] : uses)
        printf("index %u cells %" PRIu64 "\n", index, count);
    printf("empty cells %" PRIu64 "\n", empty);
    return 0;
}

int MapRenderCommand(int argc, char** argv)
{
    if (argc < 4 || argc > 6)
        return ToolUsage();
    double scale = 1.0;
    bool grid = false;
    for (int i = 4; i < argc; ++i)
    {
        if (strcmp(argv[i], "--grid") == 0)
        {
            grid = true;
            continue;
        }
        char* end = nullptr;
        scale = strtod(argv[i], &end);
        if (end == argv[i] || *end || !(scale >= 0.01 && scale <= 4.0))
        {
            fprintf(stderr, "%s: SCALE must be a number from 0.01 to 4: %s\n",
                    GetErrorText(CX_ERR_INVALID_ARGUMENT), argv[i]);
            return 1;
        }
    }
    CxFileBuffer buffer;
    ST_MAP_FILE map;
    if (!ReadMap(argv[2], buffer, &map))
        return 1;
    const int64_t width = static_cast<int64_t>(map.nColumns) * map.nTileWidth;
    const int64_t height = static_cast<int64_t>(map.nRows) * map.nTileHeight;
    const int64_t outWidth = static_cast<int64_t>(width * scale),
                  outHeight = static_cast<int64_t>(height * scale);
    if (width * height > (64 << 20) || outWidth * outHeight > (64 << 20) || outWidth < 1 || outHeight < 1)
    {
        fprintf(stderr, "%s: a %" PRId64 "x%" PRId64 " image is too large or too small to draw\n",
                GetErrorText(CX_ERR_INVALID_ARGUMENT), outWidth, outHeight);
        return 1;
    }
    RegisterStandardImageFilters();
    ScopedGamePath paths(MapDataFolder(argv[2]));
    CRumboTileMap tiles;
    if (tiles.LoadMapFromMemory(buffer.GetData(), buffer.GetSize(), argv[2]) != CX_ERR_NONE)
        return 1;
    tiles.SetShowGrid(grid);
    CxDrawSurface image(static_cast<int32_t>(width), static_cast<int32_t>(height), 24);
    if (!image.IsCreated())
    {
        fprintf(stderr, "%s: could not create the image\n", GetErrorText(CX_ERR_OUT_OF_MEMORY));
        return 1;
    }
    image.FillRect(nullptr, 0);
    tiles.Paint(&image, CxRect(0, 0, static_cast<int32_t>(width) - 1, static_cast<int32_t>(height) - 1));
    CxDrawSurface scaled(static_cast<int32_t>(outWidth), static_cast<int32_t>(outHeight), 24);
    CxDrawSurface* out = &image;
    if (outWidth != width || outHeight != height)
    {
        image.Draw(&scaled, nullptr, nullptr, CX_COLOR_NONE, nullptr);
        out = &scaled;
    }
    return SaveDrawing(*out, argv[3]);
}

int DrawSpriteSheet(const char* file, const char* out)
{
    CCharacter sprite;
    if (sprite.LoadFromFile(file) != CX_ERR_NONE)
        return 1;
    // One row per state, its frames side by side.
    int64_t width = 1, height = 0;
    for (int32_t s = 0; s < sprite.GetNumStates(); ++s)
        if (CSuperState* state = sprite.GetStateObject(s))
        {
            const int64_t row = static_cast<int64_t>(state->GetFrameWidth()) * state->GetFrameCount();
            width = row > width ? row : width;
            height += state->GetFrameHeight();
        }
    if (!SheetFits(width, height, "state", "pictures", file))
        return 1;
    CxDrawSurface sheet(static_cast<int32_t>(width), static_cast<int32_t>(height), 24);
    sheet.FillRect(nullptr, 0x808080);
    int32_t y = 0;
    printf("sprite \"%s\" states %d\n", sprite.GetName().c_str(), sprite.GetNumStates());
    for (int32_t s = 0; s < sprite.GetNumStates(); ++s)
    {
        CSuperState* state = sprite.GetStateObject(s);
        if (!state)
        {
            printf("state %d empty\n", s);
            continue;
        }
        printf("state %d frames %d size %dx%d records %u\n", s, state->GetFrameCount(),
               state->GetFrameWidth(), state->GetFrameHeight(), state->GetRecordCount());
        for (int32_t f = 0; f < state->GetFrameCount(); ++f)
        {
            state->SetFrame(f);
            state->DrawTo(&sheet, CxPoint(f * state->GetFrameWidth(), y));
        }
        y += state->GetFrameHeight();
    }
    return SaveDrawing(sheet, out);
}

int SpriteSheetCommand(int argc, char** argv)
{
    return RunSheetCommand(argc, argv, false, DrawSpriteSheet);
}

void Outline(CxDrawSurface& sheet, const CxRect& r, uint32_t colour)
{
    const CxRect edges[] = {
        CxRect(r.left, r.top, r.right, r.top), CxRect(r.left, r.bottom, r.right, r.bottom),
        CxRect(r.left, r.top, r.left, r.bottom), CxRect(r.right, r.top, r.right, r.bottom)};
    for (const CxRect& edge : edges)
        sheet.FillRect(&edge, colour);
}

// The marks of one direction on the frame drawn at origin.
void MarkDirection(CxDrawSurface& sheet, const CTruck& truck, int32_t d, const CxPoint& origin)
{
    CxRect rect = truck.GetDirectionCollisionRect(d);
    rect.Offset(origin.x, origin.y);
    // Raw 24-bit values: 0x00BBGGRR.
    Outline(sheet, rect, 0x0000FF);
    const ST_TRUCK_SETTINGS& set = truck.Settings();
    for (int32_t k = 0; k < TRUCK_TYRES; ++k)
    {
        const CxPoint& p = set.ptTyres[k][d];
        const CxRect dot(origin.x + p.x - 1, origin.y + p.y - 1, origin.x + p.x + 1, origin.y + p.y + 1);
        sheet.FillRect(&dot, 0xFF0000);
    }
    for (int32_t t = 0; t < TRUCK_TALK_SETS; ++t)
        if (CLipSynch* lips = truck.GetLips(t, d))
        {
            const CxPoint& p = set.ptLips[t][d];
            Outline(sheet,
                    CxRect(origin.x + p.x, origin.y + p.y, origin.x + p.x + lips->GetFrameWidth() - 1,
                           origin.y + p.y + lips->GetFrameHeight() - 1),
                    0x00FF00);
        }
}

int DrawTruckSheet(const char* file, const char* out)
{
    CTruck truck;
    if (truck.LoadFromFile(file) != CX_ERR_NONE)
        return 1;
    // One row per direction and mode, the frames side by side.
    int64_t width = 1, height = 0;
    for (int32_t d = 0; d < truck.GetNumDirections(); ++d)
        for (int32_t s = 0; s < truck.GetStateCount(d); ++s)
            if (const ST_TRUCK_STATE* state = truck.GetTruckState(d, s))
            {
                const int64_t row = static_cast<int64_t>(state->pSurface->GetWidth()) * state->nFrames;
                width = row > width ? row : width;
                height += state->pSurface->GetHeight();
            }
    if (!SheetFits(width, height, "direction", "frames", file))
        return 1;
    CxDrawSurface sheet(static_cast<int32_t>(width), static_cast<int32_t>(height), 24);
    sheet.FillRect(nullptr, 0x808080);
    printf("truck \"%s\" directions %d\n", file, truck.GetNumDirections());
    int32_t y = 0;
    for (int32_t d = 0; d < truck.GetNumDirections(); ++d)
    {
        printf("direction %d angle %.2f states %d\n", d, static_cast<double>(GetDirectionAngles()[d]),
               truck.GetStateCount(d));
        truck.SelectDirection(d);
        for (int32_t s = 0; s < truck.GetStateCount(d); ++s)
        {
            const ST_TRUCK_STATE* state = truck.GetTruckState(d, s);
            truck.SelectState(s);
            for (int32_t f = 0; f < state->nFrames; ++f)
            {
                truck.ShowFrame(f);
                const CxPoint origin(f * state->pSurface->GetWidth(), y);
                truck.DrawTo(&sheet, origin);
                MarkDirection(sheet, truck, d, origin);
            }
            y += state->pSurface->GetHeight();
        }
    }
    return SaveDrawing(sheet, out);
}

int TruckSheetCommand(int argc, char** argv)
{
    return RunSheetCommand(argc, argv, true, DrawTruckSheet);
}

int SequenceLintCommand(int argc, char** argv)
{
    if (argc != 3)
        return ToolUsage();
    std::error_code error;
    if (!std::filesystem::is_directory(argv[2], error))
    {
        fprintf(stderr, "Could not find folder: %s\n", argv[2]);
        return 1;
    }
    const std::vector<ST_LINT_FINDING> findings = LintSequenceFolder(argv[2]);
    for (const ST_LINT_FINDING& finding : findings)
        printf("%s:%u: %s\n", finding.file.c_str(), finding.line, finding.message.c_str());
    return findings.empty() ? 0 : 1;
}

int LipsCommand(int argc, char** argv)
{
    if (argc < 3 || argc > 4)
        return ToolUsage();
    long frames = LIP_DEFAULT_FRAMES;
    if (argc == 4)
    {
        char* end = nullptr;
        frames = strtol(argv[3], &end, 10);
        if (end == argv[3] || *end || frames < 1 || frames > 255)
        {
            fprintf(stderr, "%s: FRAMES must be a number from 1 to 255: %s\n",
                    GetErrorText(CX_ERR_INVALID_ARGUMENT), argv[3]);
            return 1;
        }
    }
    CxFileBuffer buffer;
    if (!ReadInput(argv[2], buffer))
        return 1;
    const size_t length = strlen(argv[2]);
    uint32_t flags = 0;
    if (length > 4 && strcasecmp(argv[2] + length - 4, ".mp3") == 0)
        flags = CX_SOUND_MP3;
    else if (length > 4 && strcasecmp(argv[2] + length - 4, ".raw") == 0)
        flags = CX_SOUND_RAW;
    ST_LIP_TABLE table;
    if (AnalyseLipSound(buffer.GetData(), buffer.GetSize(), flags, static_cast<int32_t>(frames), &table) !=
        CX_ERR_NONE)
    {
        fprintf(stderr, "%s: could not measure %s\n", GetErrorText(CX_ERR_OUT_OF_MEMORY), argv[2]);
        return 1;
    }
    if (table.nWindow == 0)
    {
        printf("not measured: the mouth stays closed\n");
        return 0;
    }
    printf("window %u entries %u smallest %d largest %d\n", table.nWindow, table.frames.GetCount(),
           table.nMinimum, table.nMaximum);
    for (uint32_t i = 0; i < table.frames.GetCount(); ++i)
        printf("%s%u", i ? " " : "", table.frames[i]);
    printf("\n");
    return 0;
}
} // namespace

const ST_TOOL_COMMAND WORLD_TOOL_COMMANDS[] = {
    {"map-info", MapInfoCommand,
     "  map-info FILE                       print a map's header, tiles, missing tile images and\n"
     "                                      how often each tile index is used\n"},
    {"map-render", MapRenderCommand,
     "  map-render FILE OUT [SCALE] [--grid]\n"
     "                                      draw a whole map into an image (tiles from the TILES\n"
     "                                      folder beside the map; SCALE 0.01-4, default 1)\n"},
    {"sprite-sheet", SpriteSheetCommand,
     "  sprite-sheet FILE OUT               draw every frame of every state of a sprite file\n"},
    {"truck-sheet", TruckSheetCommand,
     "  truck-sheet FILE OUT [DATA]         draw every direction and mode of a truck file with its\n"
     "                                      collision rectangle (red), tyres (blue) and mouths (green);\n"
     "                                      \"$GAMEPATH\" is DATA, default the file's folder\n"},
    {"lips", LipsCommand,
     "  lips WAV [FRAMES]                   print the mouth frame of each 100 ms of a voice line\n"
     "                                      (FRAMES mouth pictures, default 4)\n"},
    {"seq-lint", SequenceLintCommand,
     "  seq-lint DIR                        check every sequence file under DIR: categories, commands,\n"
     "                                      argument counts and numbers, files named by \"Sequence\";\n"
     "                                      exit code 1 when anything is found\n"},
};
const size_t WORLD_TOOL_COMMAND_COUNT = sizeof(WORLD_TOOL_COMMANDS) / sizeof(WORLD_TOOL_COMMANDS[0]);
