// The town's tunes: written as text (data/town/tunes.txt), played by a small
// synthesiser into 16-bit mono at DEMO_SOUND_RATE.
//
// A tune has a tempo and two voices, a melody and a bass. A voice is a list
// of notes separated by blanks; "|" bar lines are ignored. A note is a pitch
// letter A-G, an optional "#" or "b", an octave 0-8, and an optional ":beats"
// (a whole or decimal number, 1 when left out); "r" is a rest. The voices'
// lengths are padded with rests to the longer one, so the tune loops cleanly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TuneNote
{
    double hz = 0;    // 0: a rest
    double beats = 1; // the note's length
};

struct Tune
{
    std::string name;   // the file made: MUSIC/<name>.wav
    double tempo = 120; // beats a minute
    std::vector<TuneNote> melody, bass;
};

// Reads "[name]" sections with "Tempo=", "Melody=" and "Bass=" keys; lines
// starting with ";" are comments. False, with the line and the reason in
// why, for an unknown key, a bad note, a tempo outside 30-300, a tune longer
// than two minutes, a name that is not a plain file name, or no tune at all.
bool ParseTunes(const std::string& text, std::vector<Tune>* tunes, std::string* why);

// The tune's samples: the melody in a bright, soft-edged voice over a round
// bass; every note fades in and out, so notes never click and the tune's end
// leads back to its start.
std::vector<int16_t> TuneSound(const Tune& tune);
