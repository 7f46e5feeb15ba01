// make-demo-data: the game's demo data, made from the text files of
// data/game/ and from drawing and encoding code, into one output directory
// (the game's CD path).
//
// The data comes in groups (text files, cursors, fade movies, the icon, the
// voices, the trucks, the town, the music, the missions, the printing room,
// the drop mission, the title and map screens, the mission panel, the bumper cars, the fishing and fire
// missions, the race), one per source file. Each group keeps a stamp in OUTDIR/.stamps/<group>: a hash of its
// inputs, its output names and its generator version. A group whose stamp matches and whose outputs all exist
// is skipped, so a run without changes makes nothing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

struct DemoDataPaths
{
    std::string source; // data/game
    std::string output; // the data directory made
    std::string voices; // data/voices: the speakers and their lines
    std::string town;   // data/town: the town's layout
    // Where groups that make many files report their progress; may be null.
    FILE* progress = nullptr;
};

// FNV-1a over everything a group's outputs depend on.
class CStampHash
{
public:
    void Add(const void* data, size_t size);
    void Add(const std::string& text) { Add(text.data(), text.size() + 1); }
    void AddNumber(uint64_t value) { Add(&value, sizeof(value)); }
    std::string Hex() const;
    uint64_t Value() const { return m_nHash; }

private:
    uint64_t m_nHash = 0xcbf29ce484222325ull;
};

class CDemoGroup
{
public:
    virtual ~CDemoGroup() = default;
    virtual const char* Name() const = 0;
    // Raised whenever the group's drawing or encoding changes.
    virtual uint32_t Version() const = 0;
    // Adds the group's input files (names and contents) to the hash.
    virtual void AddInputs(const DemoDataPaths& paths, CStampHash& hash) const;
    // The files the group makes, relative to the output directory.
    virtual std::vector<std::string> Outputs(const DemoDataPaths& paths) const = 0;
    // Makes the outputs; false (with a message on stderr) on failure.
    virtual bool Make(const DemoDataPaths& paths) const = 0;
};

std::unique_ptr<CDemoGroup> MakeTextGroup();
std::unique_ptr<CDemoGroup> MakeCursorGroup();
std::unique_ptr<CDemoGroup> MakeFadeGroup();
std::unique_ptr<CDemoGroup> MakeIconGroup();
std::unique_ptr<CDemoGroup> MakeVoiceGroup();
std::unique_ptr<CDemoGroup> MakeTruckGroup();
std::unique_ptr<CDemoGroup> MakeTownGroup();
std::unique_ptr<CDemoGroup> MakeMusicGroup();
std::unique_ptr<CDemoGroup> MakeMissionGroup();
std::unique_ptr<CDemoGroup> MakePrintingGroup();
std::unique_ptr<CDemoGroup> MakeDropGroup();
std::unique_ptr<CDemoGroup> MakeFireGroup();
std::unique_ptr<CDemoGroup> MakeScreensGroup();
std::unique_ptr<CDemoGroup> MakeHudGroup();
std::unique_ptr<CDemoGroup> MakeBumperGroup();
std::unique_ptr<CDemoGroup> MakeFishingGroup();
std::unique_ptr<CDemoGroup> MakeRaceGroup();

struct DemoGroupResult
{
    std::string name;
    size_t files = 0;
    bool made = false; // false: up to date
    bool ok = true;
};

// Makes one group unless its stamp is current and its outputs all exist,
// writing one progress line to progress (when not null).
DemoGroupResult RunDemoGroup(const CDemoGroup& group, const DemoDataPaths& paths, FILE* progress);
// Runs every group, writing one progress line per group to progress (when
// not null). False when a group failed.
bool RunDemoData(const DemoDataPaths& paths, std::vector<DemoGroupResult>* results, FILE* progress);

// Helpers of the groups.
bool WriteWholeFile(const std::string& path, const void* data, size_t size);
bool ReadWholeFile(const std::string& path, std::string& bytes);
// Creates the directories above path.
bool MakeParentDirectories(const std::string& path);
