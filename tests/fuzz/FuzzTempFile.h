// A fuzz input written to a file of its own, for readers that only take a
// path. The file goes when the object does, whatever the reader did.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

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
