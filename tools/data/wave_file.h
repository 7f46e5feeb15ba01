// Wave files for the demo data: writing 16-bit PCM, and bringing a wave
// another program made (a speech synthesiser) to the game's voice format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The format of every voice line and sound effect the demo data makes.
constexpr uint32_t DEMO_SOUND_RATE = 22050;

// Writes samples as a 16-bit mono PCM wave at rate; false with a message on failure.
bool SaveWave16(const std::string& path, const std::vector<int16_t>& samples,
                uint32_t rate = DEMO_SOUND_RATE);

// Reads an 8 or 16-bit PCM wave of any rate and channel count and returns it
// as 16-bit mono at DEMO_SOUND_RATE (channels averaged, rate changed by linear
// interpolation). False, with the reason in why, for anything else.
bool WaveToDemoFormat(const std::string& bytes, std::vector<int16_t>* samples, std::string* why);
