// Little-endian reading and writing of bytes from outside. The reader checks
// the remaining size before every read and keeps a sticky error flag, so one
// short or bad field fails the whole read and nothing past the end is touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace platform
{

class ByteReader
{
public:
    ByteReader(const uint8_t* data, size_t size) : m_data(data), m_size(data ? size : 0) {}

    uint8_t U8()
    {
        uint8_t value = 0;
        Bytes(&value, 1);
        return value;
    }
    uint16_t U16() { return static_cast<uint16_t>(Little(2)); }
    uint32_t U32() { return static_cast<uint32_t>(Little(4)); }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    float F32()
    {
        uint32_t bits = U32();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // Copies `count` bytes, or fails (and zero-fills `out`) when fewer remain.
    void Bytes(void* out, size_t count)
    {
        if (!Has(count))
        {
            std::memset(out, 0, count);
            return;
        }
        std::memcpy(out, m_data + m_offset, count);
        m_offset += count;
    }
    // `count` bytes as a string, or an empty string and failure when fewer
    // remain; nothing is allocated from a count the bytes do not back.
    std::string String(size_t count)
    {
        if (!Has(count))
            return {};
        std::string text(reinterpret_cast<const char*>(m_data + m_offset), count);
        m_offset += count;
        return text;
    }
    void Skip(size_t count)
    {
        if (Has(count))
            m_offset += count;
    }

    // True when at least `count` bytes remain; otherwise marks the read failed.
    bool Has(size_t count)
    {
        if (m_failed || count > m_size - m_offset)
        {
            m_failed = true;
            return false;
        }
        return true;
    }
    size_t Remaining() const { return m_failed ? 0 : m_size - m_offset; }
    size_t Offset() const { return m_offset; }
    bool Failed() const { return m_failed; }
    bool Ok() const { return !m_failed; }

private:
    uint64_t Little(int bytes)
    {
        uint8_t raw[8] = {};
        Bytes(raw, static_cast<size_t>(bytes));
        uint64_t value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = (value << 8) | raw[i];
        return value;
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_offset = 0;
    bool m_failed = false;
};

class ByteWriter
{
public:
    explicit ByteWriter(std::vector<uint8_t>& out) : m_out(out) {}

    void U8(uint8_t value) { m_out.push_back(value); }
    void U16(uint16_t value) { Little(value, 2); }
    void U32(uint32_t value) { Little(value, 4); }
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void F32(float value)
    {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        U32(bits);
    }
    void Bytes(const void* data, size_t count)
    {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        m_out.insert(m_out.end(), bytes, bytes + count);
    }
    void Zeros(size_t count) { m_out.insert(m_out.end(), count, 0); }

private:
    void Little(uint64_t value, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            m_out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }

    std::vector<uint8_t>& m_out;
};

} // namespace platform
