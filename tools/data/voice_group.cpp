// The spoken lines of the demo data, synthesised with espeak-ng from the
// speakers and line files of data/voices (see voice_lines.h).
//
// Each line is remade only when its text or its speaker's settings changed:
// OUTDIR/.stamps/voice-lines keeps, per wave file, the hash of what it was
// made from. The file is rewritten after every speaker, so an interrupted
// run keeps the lines it finished.
#include "tools/data/demo_data.h"
#include "tools/data/voice_lines.h"
#include "tools/data/wave_file.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {
// The synthesiser; RUMBO_ESPEAK_NG names another program that takes the same arguments.
std::string SpeechCommand()
{
    const char* command = getenv("RUMBO_ESPEAK_NG");
    return command && *command ? command : "espeak-ng";
}

enum class SpeechResult
{
    Made,
    Failed,
    NoSynthesiser,
};

// Runs the synthesiser on the text (handed over in a file, so that no text
// is ever taken for an option) and writes its wave to wavePath.
SpeechResult Synthesise(const VoiceSpeaker& speaker, const std::string& text, const std::string& wavePath)
{
    const std::string textPath = wavePath + ".txt";
    if (!WriteWholeFile(textPath, text.data(), text.size()))
        return SpeechResult::Failed;
    const std::string command = SpeechCommand();
    const std::string pitch = std::to_string(speaker.pitch);
    const std::string speed = std::to_string(speaker.speed);
    const char* argv[] = {command.c_str(), "-v", speaker.voice.c_str(), "-p", pitch.c_str(),    "-s",
                          speed.c_str(),   "-w", wavePath.c_str(),      "-f", textPath.c_str(), nullptr};
    pid_t child = 0;
    const int spawned =
        posix_spawnp(&child, command.c_str(), nullptr, nullptr, const_cast<char* const*>(argv), environ);
    int status = 0;
    if (spawned == 0)
        waitpid(child, &status, 0);
    std::error_code ignored;
    fs::remove(textPath, ignored);
    if (spawned == ENOENT)
        return SpeechResult::NoSynthesiser;
    if (spawned != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return SpeechResult::Failed;
    return SpeechResult::Made;
}

// Synthesises one line into its wave file in the game's voice format.
bool MakeLine(const DemoDataPaths& paths, const VoiceSpeaker& speaker, const VoiceLine& line,
              bool* noSynthesiser)
{
    const std::string output = paths.output + "/" + line.output;
    const std::string raw = output + ".speech";
    if (!MakeParentDirectories(raw))
        return false;
    const SpeechResult result = Synthesise(speaker, line.text, raw);
    std::string bytes, why;
    std::vector<int16_t> samples;
    const bool read = result == SpeechResult::Made && ReadWholeFile(raw, bytes);
    std::error_code ignored;
    fs::remove(raw, ignored);
    *noSynthesiser = result == SpeechResult::NoSynthesiser;
    if (*noSynthesiser)
        fprintf(stderr,
                "make-demo-data: voices: the speech synthesiser \"%s\" was not found; install the Debian "
                "package espeak-ng (tools/setup-deps does)\n",
                SpeechCommand().c_str());
    else if (!read)
        fprintf(stderr, "make-demo-data: voices: %s could not say %s (voice %s)\n", SpeechCommand().c_str(),
                line.output.c_str(), speaker.voice.c_str());
    else if (!WaveToDemoFormat(bytes, &samples, &why) || samples.empty())
        fprintf(stderr, "make-demo-data: voices: %s: the synthesiser's output is %s\n", line.output.c_str(),
                samples.empty() && why.empty() ? "empty" : why.c_str());
    else
        return SaveWave16(output, samples);
    return false;
}

using LineStamps = std::map<std::string, uint64_t>;

LineStamps ReadLineStamps(const std::string& file)
{
    LineStamps stamps;
    std::string bytes;
    ReadWholeFile(file, bytes);
    size_t start = 0;
    while (start < bytes.size())
    {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        const std::string line = bytes.substr(start, end - start);
        start = end + 1;
        const size_t space = line.find(' ');
        if (space == 16)
            stamps[line.substr(space + 1)] = strtoull(line.substr(0, space).c_str(), nullptr, 16);
    }
    return stamps;
}

bool WriteLineStamps(const std::string& file, const LineStamps& stamps)
{
    std::string text;
    char hash[20];
    for (const auto& [output, value] : stamps)
    {
        snprintf(hash, sizeof(hash), "%016" PRIx64, value);
        text += std::string(hash) + " " + output + "\n";
    }
    return WriteWholeFile(file, text.data(), text.size());
}

struct SpeakerLines
{
    VoiceSpeaker speaker;
    std::vector<VoiceLine> lines;
};

// Every speaker with its lines; false (message printed) for bad sources or
// two lines writing one file.
bool ReadSources(const DemoDataPaths& paths, std::vector<SpeakerLines>* sources)
{
    std::vector<VoiceSpeaker> speakers;
    std::string why;
    if (paths.voices.empty())
        return true;
    bool ok = ReadVoiceSpeakers(paths.voices, &speakers, &why);
    std::map<std::string, std::string> owners;
    for (size_t i = 0; ok && i < speakers.size(); ++i)
    {
        SpeakerLines entry{speakers[i], {}};
        ok = ReadVoiceLines(paths.voices + "/" + speakers[i].name + ".txt", &entry.lines, &why);
        for (size_t j = 0; ok && j < entry.lines.size(); ++j)
        {
            // The game finds its files whatever their case, so names that
            // differ only in case are one file.
            std::string key = entry.lines[j].output;
            std::transform(key.begin(), key.end(), key.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            const auto [owner, added] = owners.emplace(key, speakers[i].name);
            if (!added)
            {
                why = entry.lines[j].output + " is spoken by both " + owner->second + " and " +
                      speakers[i].name;
                ok = false;
            }
        }
        sources->push_back(std::move(entry));
    }
    if (!ok)
        fprintf(stderr, "make-demo-data: voices: %s\n", why.c_str());
    return ok;
}

class CVoiceGroup : public CDemoGroup
{
public:
    const char* Name() const override { return "voices"; }
    uint32_t Version() const override { return 1; }

    void AddInputs(const DemoDataPaths& paths, CStampHash& hash) const override
    {
        std::vector<SpeakerLines> sources;
        ReadSources(paths, &sources);
        for (const SpeakerLines& source : sources)
            for (const VoiceLine& line : source.lines)
                hash.AddNumber(VoiceLineHash(source.speaker, line));
    }

    std::vector<std::string> Outputs(const DemoDataPaths& paths) const override
    {
        std::vector<SpeakerLines> sources;
        std::vector<std::string> outputs;
        ReadSources(paths, &sources);
        for (const SpeakerLines& source : sources)
            for (const VoiceLine& line : source.lines)
                outputs.push_back(line.output);
        return outputs;
    }

    bool Make(const DemoDataPaths& paths) const override
    {
        std::vector<SpeakerLines> sources;
        if (!ReadSources(paths, &sources))
            return false;
        const std::string stampFile = paths.output + "/.stamps/voice-lines";
        LineStamps stamps = ReadLineStamps(stampFile);
        for (const SpeakerLines& source : sources)
        {
            size_t made = 0;
            bool ok = true, noSynthesiser = false;
            for (size_t i = 0; ok && i < source.lines.size(); ++i)
            {
                const VoiceLine& line = source.lines[i];
                const uint64_t hash = VoiceLineHash(source.speaker, line);
                const auto stamp = stamps.find(line.output);
                if (stamp != stamps.end() && stamp->second == hash &&
                    fs::exists(paths.output + "/" + line.output))
                    continue;
                ok = MakeLine(paths, source.speaker, line, &noSynthesiser);
                if (ok)
                {
                    stamps[line.output] = hash;
                    ++made;
                }
            }
            if (paths.progress)
                fprintf(paths.progress, "make-demo-data: voices: %s: %zu of %zu line%s made%s\n",
                        source.speaker.name.c_str(), made, source.lines.size(),
                        source.lines.size() == 1 ? "" : "s", ok ? "" : ", FAILED");
            if (!WriteLineStamps(stampFile, stamps) || !ok)
                return false;
        }
        return true;
    }
};
} // namespace

std::unique_ptr<CDemoGroup> MakeVoiceGroup()
{
    return std::make_unique<CVoiceGroup>();
}
