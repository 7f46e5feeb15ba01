#include "tools/data/tune.h"

#include "tools/data/wave_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kMaxSeconds = 120;
// Music plays under the voices: it peaks at about a third of full scale.
constexpr double kGain = 0.4;

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Semitones of the letters A-G above C.
int LetterSemitone(char letter)
{
    static const int kSemitones[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    return kSemitones[letter - 'A'];
}

bool ParseNote(const std::string& word, TuneNote* note)
{
    const size_t colon = word.find(':');
    const std::string pitch = word.substr(0, colon);
    if (colon != std::string::npos)
    {
        const std::string beats = word.substr(colon + 1);
        char* end = nullptr;
        note->beats = strtod(beats.c_str(), &end);
        if (beats.empty() || *end || !(note->beats > 0 && note->beats <= 64))
            return false;
    }
    if (pitch == "r" || pitch == "R")
    {
        note->hz = 0;
        return true;
    }
    if (pitch.size() < 2 || pitch.size() > 3)
        return false;
    const char letter = static_cast<char>(toupper(static_cast<unsigned char>(pitch[0])));
    if (letter < 'A' || letter > 'G')
        return false;
    int semitone = LetterSemitone(letter);
    size_t at = 1;
    if (pitch[at] == '#' || pitch[at] == 'b')
        semitone += pitch[at++] == '#' ? 1 : -1;
    if (at + 1 != pitch.size() || pitch[at] < '0' || pitch[at] > '8')
        return false;
    const int midi = 12 * (pitch[at] - '0' + 1) + semitone;
    note->hz = 440.0 * std::pow(2.0, (midi - 69) / 12.0);
    return true;
}

bool ParseVoice(const std::string& text, std::vector<TuneNote>* voice)
{
    std::istringstream words(text);
    std::string word;
    while (words >> word)
    {
        if (word == "|")
            continue;
        TuneNote note;
        if (!ParseNote(word, &note))
            return false;
        voice->push_back(note);
    }
    return true;
}

double Beats(const std::vector<TuneNote>& voice)
{
    double beats = 0;
    for (const TuneNote& note : voice)
        beats += note.beats;
    return beats;
}

bool PlainName(const std::string& name)
{
    if (name.empty() || name.size() > 32)
        return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-'; });
}

// Checks the finished tune and pads the shorter voice with a rest.
bool Finish(Tune& tune, std::string* why)
{
    const double melody = Beats(tune.melody), bass = Beats(tune.bass);
    const double beats = std::max(melody, bass);
    if (beats <= 0)
        return *why = "tune " + tune.name + " has no notes", false;
    if (beats * 60 / tune.tempo > kMaxSeconds)
        return *why = "tune " + tune.name + " is longer than two minutes", false;
    if (melody < beats)
        tune.melody.push_back({0, beats - melody});
    if (bass < beats)
        tune.bass.push_back({0, beats - bass});
    return true;
}

// Adds one voice's notes into mix. Each note rises over 8 ms and falls over
// its last fifth, so consecutive notes meet at silence.
void AddVoice(const std::vector<TuneNote>& voice, double secondsPerBeat, bool bass, std::vector<double>& mix)
{
    double start = 0;
    for (const TuneNote& note : voice)
    {
        const double seconds = note.beats * secondsPerBeat;
        const size_t first = static_cast<size_t>(std::lround(start * DEMO_SOUND_RATE));
        const size_t count = static_cast<size_t>(std::lround(seconds * DEMO_SOUND_RATE));
        start += seconds;
        if (note.hz <= 0)
            continue;
        const double attack = 0.008 * DEMO_SOUND_RATE,
                     release = std::max(1.0, 0.2 * static_cast<double>(count));
        for (size_t i = 0; i < count && first + i < mix.size(); ++i)
        {
            const double t = static_cast<double>(i) / DEMO_SOUND_RATE;
            const double p = 2 * kPi * note.hz * t;
            const double rise = std::min(1.0, static_cast<double>(i) / attack);
            const double fall = std::min(1.0, static_cast<double>(count - i) / release);
            double value;
            if (bass)
                value = 0.45 * (std::sin(p) + 0.2 * std::sin(2 * p));
            else // a soft square: odd overtones, dying a little over the note
                value = 0.3 * (std::sin(p) + std::sin(3 * p) / 4 + std::sin(5 * p) / 9) *
                        (0.7 + 0.3 * std::exp(-t * 4));
            mix[first + i] += value * rise * fall;
        }
    }
}
} // namespace

bool ParseTunes(const std::string& text, std::vector<Tune>* tunes, std::string* why)
{
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    tunes->clear();
    auto fail = [&](const std::string& reason) {
        *why = "line " + std::to_string(number) + ": " + reason;
        return false;
    };
    while (std::getline(lines, line))
    {
        ++number;
        line = Trim(line);
        if (line.empty() || line[0] == ';')
            continue;
        if (line.front() == '[')
        {
            if (!tunes->empty() && !Finish(tunes->back(), why))
                return false;
            const std::string name = line.back() == ']' ? line.substr(1, line.size() - 2) : "";
            if (!PlainName(name))
                return fail("a tune's name must be a plain file name: " + line);
            tunes->push_back({name, 120, {}, {}});
            continue;
        }
        const size_t equals = line.find('=');
        if (tunes->empty() || equals == std::string::npos)
            return fail("expected [name] or Key=value: " + line);
        Tune& tune = tunes->back();
        const std::string key = Trim(line.substr(0, equals)), value = Trim(line.substr(equals + 1));
        if (key == "Tempo")
        {
            char* end = nullptr;
            tune.tempo = strtod(value.c_str(), &end);
            if (value.empty() || *end || !(tune.tempo >= 30 && tune.tempo <= 300))
                return fail("the tempo must be 30 to 300 beats a minute: " + value);
        }
        else if (key == "Melody" || key == "Bass")
        {
            if (!ParseVoice(value, key == "Melody" ? &tune.melody : &tune.bass))
                return fail("a bad note in " + key);
        }
        else
            return fail("unknown key " + key);
    }
    if (tunes->empty())
        return *why = "no tunes", false;
    return Finish(tunes->back(), why);
}

std::vector<int16_t> TuneSound(const Tune& tune)
{
    const double secondsPerBeat = 60.0 / tune.tempo;
    const double seconds = std::max(Beats(tune.melody), Beats(tune.bass)) * secondsPerBeat;
    std::vector<double> mix(static_cast<size_t>(std::lround(seconds * DEMO_SOUND_RATE)), 0.0);
    AddVoice(tune.melody, secondsPerBeat, false, mix);
    AddVoice(tune.bass, secondsPerBeat, true, mix);
    std::vector<int16_t> samples(mix.size());
    for (size_t i = 0; i < mix.size(); ++i)
        samples[i] = static_cast<int16_t>(std::lround(std::clamp(mix[i] * kGain, -1.0, 1.0) * 30000.0));
    return samples;
}
