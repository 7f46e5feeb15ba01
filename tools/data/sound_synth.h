// Synthesised sounds of the demo vehicles, 16-bit mono at DEMO_SOUND_RATE.
//
// An engine loop is a sum of tones, each rounded to a whole number of
// cycles in the loop: the wave starts at zero and its last sample leads
// back to the first as smoothly as any two neighbours, so it repeats
// without a click. One-shot sounds (horn, crash) fade in and out.
#pragma once

#include "tools/smk/smk_encoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct EngineVoice
{
    double hz;      // the engine's hum
    double pulseHz; // how often it putters (a beat of the loudness)
    double whineHz; // a turbo whine over the hum; 0 for none
    double rattle;  // 0 to 1: a rough buzz, for bumping along
    double volume;  // 0 to 1
};

// The loop of one engine sound, seconds long.
std::vector<int16_t> EngineLoop(const EngineVoice& voice, double seconds);
// A two-tone horn.
std::vector<int16_t> HornSound(double lowHz, double highHz, double seconds);
// A crash: a burst of noise and a thud, dying away.
std::vector<int16_t> CrashSound(double seconds);
// Ramps the first and the last count samples from and to silence.
void FadeEnds(std::vector<int16_t>& samples, size_t count);
// A tune: the notes (Hz) one after another, each noteSeconds long with a
// plucked fall, repeated to fill seconds.
std::vector<int16_t> MelodySound(const std::vector<double>& notes, double noteSeconds, double seconds);
// Samples as a movie's audio track (16-bit mono at DEMO_SOUND_RATE).
ST_SMK_AUDIO MovieAudio(const std::vector<int16_t>& samples);
