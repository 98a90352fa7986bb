// Bounds-checked little-endian reading of a block of bytes from outside (an
// image file). Every read checks the bytes that remain before it touches
// them; the first read that does not fit sets a sticky failure flag, after
// which every read fails, so a loader can read a whole header and test once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class CByteReader
{
public:
    explicit CByteReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

    bool ReadU8(uint8_t& value);
    bool ReadU16(uint16_t& value);
    bool ReadI16(int16_t& value);
    bool ReadU32(uint32_t& value);
    bool ReadI32(int32_t& value);
    // Appends nothing and fails unless `count` bytes remain.
    bool ReadBytes(size_t count, std::vector<uint8_t>& out);
    bool Skip(size_t count);
    // Moves to an absolute offset; an offset past the end fails.
    bool Seek(size_t offset);

    size_t Tell() const { return m_offset; }
    size_t Remaining() const { return m_bytes.size() - m_offset; }
    size_t Size() const { return m_bytes.size(); }
    bool Failed() const { return m_failed; }

private:
    // Fails (stickily) unless `count` more bytes can be read.
    bool Take(size_t count);

    std::span<const uint8_t> m_bytes;
    size_t m_offset = 0;
    bool m_failed = false;
};
