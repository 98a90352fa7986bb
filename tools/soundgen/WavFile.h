// 16-bit PCM WAV files: a signal (-1 to 1) rounded to 16-bit mono samples in
// a RIFF "WAVE" file with one "fmt " and one "data" chunk, little-endian.
#pragma once

#include "tools/soundgen/Synth.h"

#include <cstdint>
#include <string>
#include <vector>

std::vector<uint8_t> EncodeWav(const synth::Signal& signal, int sampleRate);
bool WriteWav(const std::string& path, const synth::Signal& signal, int sampleRate);
