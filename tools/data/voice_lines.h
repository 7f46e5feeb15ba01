// The voice sources of the demo data: data/voices/speakers.ini names each
// speaker's synthesiser voice, and data/voices/<speaker>.txt lists what the
// speaker says, one line per wave file:
//
//   ; comment
//   VOICES/brund/hello.wav|Hello! I am Brund.
//
// The file name is relative to the data directory ("\" may stand for "/");
// the text is everything after the first "|".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct VoiceSpeaker
{
    std::string name;  // the section name, also the name of the speaker's line file
    std::string voice; // a synthesiser voice and variant, e.g. "en-us+m3"
    long pitch = 50;   // 0..99
    long speed = 150;  // words per minute, 80..450
};

struct VoiceLine
{
    std::string output; // relative to the data directory, "/" separated
    std::string text;
};

// Reads speakers.ini in the voices directory. A directory without the file
// has no speakers (true, empty). False, with the reason in why, for a speaker
// without a voice or with a pitch or speed out of range.
bool ReadVoiceSpeakers(const std::string& voicesDir, std::vector<VoiceSpeaker>* speakers, std::string* why);

// Reads one speaker's line file (a missing file has no lines). False, with
// "file:line: reason" in why, for a line without "|" or text, or whose file
// name is absolute, climbs out of the data directory or is not a ".wav".
bool ReadVoiceLines(const std::string& file, std::vector<VoiceLine>* lines, std::string* why);

// What one line's wave depends on: the text and the speaker's settings.
uint64_t VoiceLineHash(const VoiceSpeaker& speaker, const VoiceLine& line);
