// Little-endian field access for the game's wire formats.
//
// CWireReader walks untrusted bytes. Every read first checks that the field
// fits in what remains; one that does not sets a sticky error flag and yields
// zero, and so does every read after it. A decoder reads all of its fields and
// asks Ok() once at the end, so one bad field drops the whole message and no
// read ever forms a pointer past the end.
//
// CWireWriter fills a caller's buffer the same way: a field that would not fit
// is not written and the writer stays failed.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

class CWireReader
{
public:
    CWireReader(const uint8_t* data, size_t size) : m_data(data), m_size(data ? size : 0) {}

    bool Ok() const { return !m_failed; }
    size_t Remaining() const { return m_size - m_offset; }

    uint8_t U8()
    {
        if (!Take(1))
            return 0;
        return m_data[m_offset - 1];
    }

    uint32_t U32()
    {
        if (!Take(4))
            return 0;
        const uint8_t* p = m_data + m_offset - 4;
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }

    int32_t I32() { return static_cast<int32_t>(U32()); }
    float F32() { return std::bit_cast<float>(U32()); }

    // The next `count` bytes; the caller has bounded `count` by Remaining()
    // or accepts the failure.
    const uint8_t* Bytes(size_t count)
    {
        if (!Take(count))
            return nullptr;
        return m_data + m_offset - count;
    }

    // Marks the input bad, e.g. for a count that cannot fit.
    void Fail() { m_failed = true; }

private:
    bool Take(size_t count)
    {
        if (m_failed || count > Remaining())
        {
            m_failed = true;
            return false;
        }
        m_offset += count;
        return true;
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_offset = 0;
    bool m_failed = false;
};

class CWireWriter
{
public:
    CWireWriter(uint8_t* data, size_t size) : m_data(data), m_size(data ? size : 0) {}

    bool Ok() const { return !m_failed; }
    size_t Written() const { return m_offset; }

    void U8(uint8_t value)
    {
        if (uint8_t* p = Take(1))
            p[0] = value;
    }

    void U32(uint32_t value)
    {
        if (uint8_t* p = Take(4))
        {
            p[0] = static_cast<uint8_t>(value);
            p[1] = static_cast<uint8_t>(value >> 8);
            p[2] = static_cast<uint8_t>(value >> 16);
            p[3] = static_cast<uint8_t>(value >> 24);
        }
    }

    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void F32(float value) { U32(std::bit_cast<uint32_t>(value)); }

    void Bytes(const void* bytes, size_t count)
    {
        if (uint8_t* p = Take(count); p && count > 0)
            std::memcpy(p, bytes, count);
    }

private:
    uint8_t* Take(size_t count)
    {
        if (m_failed || count > m_size - m_offset)
        {
            m_failed = true;
            return nullptr;
        }
        m_offset += count;
        return m_data + m_offset - count;
    }

    uint8_t* m_data;
    size_t m_size;
    size_t m_offset = 0;
    bool m_failed = false;
};
