#include "tools/soundgen/WavFile.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace
{
void Put16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char (&tag)[5])
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(tag[i]));
}

int16_t ToPcm(float sample)
{
    float clamped = std::clamp(sample, -1.0f, 1.0f);
    return static_cast<int16_t>(std::lround(clamped * 32767.0f));
}
} // namespace

std::vector<uint8_t> EncodeWav(const synth::Signal& signal, int sampleRate)
{
    constexpr uint32_t kChannels = 1, kBytesPerSample = 2;
    const auto dataBytes = static_cast<uint32_t>(signal.size() * kBytesPerSample);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    PutTag(out, "RIFF");
    Put32(out, 36 + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1); // PCM
    Put16(out, kChannels);
    Put32(out, static_cast<uint32_t>(sampleRate));
    Put32(out, static_cast<uint32_t>(sampleRate) * kChannels * kBytesPerSample);
    Put16(out, kChannels * kBytesPerSample);
    Put16(out, 16);
    PutTag(out, "data");
    Put32(out, dataBytes);
    for (float sample : signal)
        Put16(out, static_cast<uint16_t>(ToPcm(sample)));
    return out;
}

bool WriteWav(const std::string& path, const synth::Signal& signal, int sampleRate)
{
    std::vector<uint8_t> bytes = EncodeWav(signal, sampleRate);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}
