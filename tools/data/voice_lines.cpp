#include "tools/data/voice_lines.h"

#include "engine/core/options.h"
#include "tools/data/demo_data.h"

#include <algorithm>
#include <filesystem>

namespace {
std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return "";
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool EndsWithWav(const std::string& name)
{
    if (name.size() < 5)
        return false;
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == ".wav";
}

// Why a line's file name may not be written, or "" when it may: every
// output stays inside the data directory.
std::string CheckOutputName(const std::string& name)
{
    if (name.empty())
        return "no file name before \"|\"";
    if (name[0] == '/')
        return "the file name is absolute";
    for (const auto& part : std::filesystem::path(name))
        if (part == "..")
            return "the file name climbs out of the data directory";
    if (!EndsWithWav(name))
        return "the file name does not end in .wav";
    return "";
}

std::string SectionName(const CxOptionSection& section)
{
    const std::string name = section.GetName().c_str();
    return name.size() >= 2 ? name.substr(1, name.size() - 2) : name;
}
} // namespace

bool ReadVoiceSpeakers(const std::string& voicesDir, std::vector<VoiceSpeaker>* speakers, std::string* why)
{
    speakers->clear();
    std::string bytes;
    if (!ReadWholeFile(voicesDir + "/speakers.ini", bytes))
        return true;
    CxOptions options;
    options.Parse(bytes.data(), static_cast<uint32_t>(bytes.size()));
    for (auto* node = options.GetSections().GetHead(); node; node = node->GetNext())
    {
        const CxOptionSection* section = node->m_Value;
        VoiceSpeaker speaker;
        speaker.name = SectionName(*section);
        const std::string key = "[" + speaker.name + "]";
        char voice[128];
        options.GetString(key.c_str(), "Voice", voice, "", sizeof(voice));
        speaker.voice = Trim(voice);
        options.GetNumber(key.c_str(), "Pitch", &speaker.pitch, 50);
        options.GetNumber(key.c_str(), "Speed", &speaker.speed, 150);
        if (speaker.name.empty() || speaker.name.find_first_of("/\\.") != std::string::npos)
            *why = "speakers.ini: the speaker name \"" + speaker.name + "\" is not a plain name";
        else if (speaker.voice.empty())
            *why = "speakers.ini: speaker " + speaker.name + " has no Voice";
        else if (speaker.pitch < 0 || speaker.pitch > 99)
            *why = "speakers.ini: speaker " + speaker.name + ": Pitch is not within 0..99";
        else if (speaker.speed < 80 || speaker.speed > 450)
            *why = "speakers.ini: speaker " + speaker.name + ": Speed is not within 80..450";
        else
        {
            speakers->push_back(speaker);
            continue;
        }
        return false;
    }
    return true;
}

bool ReadVoiceLines(const std::string& file, std::vector<VoiceLine>* lines, std::string* why)
{
    lines->clear();
    std::string bytes;
    if (!ReadWholeFile(file, bytes))
        return true;
    size_t start = 0;
    for (int number = 1; start < bytes.size(); ++number)
    {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        const std::string text = Trim(bytes.substr(start, end - start));
        start = end + 1;
        if (text.empty() || text[0] == ';' || text[0] == '#')
            continue;
        const size_t bar = text.find('|');
        VoiceLine line;
        std::string problem;
        if (bar == std::string::npos)
            problem = "no \"|\" between file name and text";
        else
        {
            line.output = Trim(text.substr(0, bar));
            std::replace(line.output.begin(), line.output.end(), '\\', '/');
            line.text = Trim(text.substr(bar + 1));
            problem = line.text.empty() ? "no text after \"|\"" : CheckOutputName(line.output);
        }
        if (!problem.empty())
        {
            *why = file + ":" + std::to_string(number) + ": " + problem;
            return false;
        }
        lines->push_back(line);
    }
    return true;
}

uint64_t VoiceLineHash(const VoiceSpeaker& speaker, const VoiceLine& line)
{
    CStampHash hash;
    hash.Add(speaker.voice);
    hash.AddNumber(static_cast<uint64_t>(speaker.pitch));
    hash.AddNumber(static_cast<uint64_t>(speaker.speed));
    hash.Add(line.text);
    return hash.Value();
}
