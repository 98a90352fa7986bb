// What the fuzz targets share: a check that stops the run at the first broken
// promise (so libFuzzer keeps the input), the bytes an encoder writes, and
// the round of an image reader's result through conversion and upload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

inline void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// The `size` bytes `write` puts down for `value`; the write must succeed.
template <typename T>
std::vector<uint8_t> WrittenBytes(const T& value, size_t size, bool (T::*write)(uint8_t*, size_t) const)
{
    std::vector<uint8_t> bytes(size);
    Check((value.*write)(bytes.data(), bytes.size()));
    return bytes;
}

// A little-endian field of `bytes` bytes at `at`.
inline uint32_t LittleEndian(const uint8_t* data, size_t at, int bytes)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= uint32_t(data[at + i]) << (8 * i);
    return value;
}

// Headers that claim pictures above a million pixels are legal but make
// every run allocate and clear hundreds of megabytes; they teach the fuzzer
// nothing the smaller ones do not.
inline bool HugePicture(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width * height > (int64_t(1) << 20);
}
