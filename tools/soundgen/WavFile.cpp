#include "tools/soundgen/WavFile.h"

#include "platform/ByteIo.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace
{
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
    platform::ByteWriter write(out);
    write.Bytes("RIFF", 4);
    write.U32(36 + dataBytes);
    write.Bytes("WAVEfmt ", 8);
    write.U32(16);
    write.U16(1); // PCM
    write.U16(kChannels);
    write.U32(static_cast<uint32_t>(sampleRate));
    write.U32(static_cast<uint32_t>(sampleRate) * kChannels * kBytesPerSample);
    write.U16(kChannels * kBytesPerSample);
    write.U16(16);
    write.Bytes("data", 4);
    write.U32(dataBytes);
    for (float sample : signal)
        write.U16(static_cast<uint16_t>(ToPcm(sample)));
    return out;
}

bool WriteWav(const std::string& path, const synth::Signal& signal, int sampleRate)
{
    std::vector<uint8_t> bytes = EncodeWav(signal, sampleRate);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}
