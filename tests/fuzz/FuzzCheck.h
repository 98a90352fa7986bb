// What the fuzz targets share: a check that stops the run at the first broken
// promise (so libFuzzer keeps the input), the bytes an encoder writes, the
// fields of an image header, and an input written to a file for the readers
// that only take a path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
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

// A fuzz input written to a file of its own, for readers that only take a
// path. The file goes when the object does, whatever the reader did.
class CFuzzTempFile
{
public:
    // `suffix` names the kind of file ("config.cfg"); the process id keeps
    // parallel fuzzing jobs apart.
    CFuzzTempFile(const char* suffix, const uint8_t* data, size_t size)
        : m_path("/tmp/quorvex-fuzz-" + std::to_string(getpid()) + "-" + suffix)
    {
        std::FILE* file = std::fopen(m_path.c_str(), "wb");
        if (!file)
            return;
        // An empty input may come with a null pointer, which fwrite must not see.
        m_written = size == 0 || std::fwrite(data, 1, size, file) == size;
        m_written = std::fclose(file) == 0 && m_written;
    }
    ~CFuzzTempFile() { std::remove(m_path.c_str()); }
    CFuzzTempFile(const CFuzzTempFile&) = delete;
    CFuzzTempFile& operator=(const CFuzzTempFile&) = delete;

    // False when the file could not be written whole; the input is then skipped.
    bool IsWritten() const { return m_written; }
    const std::string& GetPath() const { return m_path; }

private:
    std::string m_path;
    bool m_written = false;
};
