// Little-endian reading and writing of bytes that cross the program's edge:
// network packets, map files, pictures. The one implementation every codec of
// the game uses.
//
// The reader checks the bytes that remain before every read and keeps a
// sticky failure flag: the first read that does not fit fails, and so does
// every later one (returning zeros), so a decoder can read a whole header and
// test once. Nothing past the end is ever touched, and nothing is allocated
// from a count the bytes do not back.
//
// The writer either appends to a vector or fills a fixed buffer; a write past
// a fixed buffer's end fails stickily and writes nothing.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace platform
{

class ByteReader
{
public:
    ByteReader(const uint8_t* data, size_t size) : m_data(data), m_size(data ? size : 0) {}
    explicit ByteReader(std::span<const uint8_t> bytes) : ByteReader(bytes.data(), bytes.size()) {}

    uint8_t U8() { return static_cast<uint8_t>(Little(1)); }
    uint16_t U16() { return static_cast<uint16_t>(Little(2)); }
    int16_t I16() { return static_cast<int16_t>(U16()); }
    uint32_t U32() { return static_cast<uint32_t>(Little(4)); }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    float F32() { return std::bit_cast<float>(U32()); }

    // The next `count` bytes in place, or null (and failure) when fewer remain.
    const uint8_t* Bytes(size_t count)
    {
        if (!Has(count))
            return nullptr;
        const uint8_t* bytes = m_data + m_offset;
        m_offset += count;
        return bytes;
    }
    // Copies `count` bytes; on failure `out` is zero-filled.
    bool Copy(void* out, size_t count)
    {
        const uint8_t* bytes = Bytes(count);
        if (bytes)
            std::memcpy(out, bytes, count);
        else
            std::memset(out, 0, count);
        return bytes != nullptr;
    }
    // Appends `count` bytes to `out`; appends nothing on failure.
    bool Append(size_t count, std::vector<uint8_t>& out)
    {
        const uint8_t* bytes = Bytes(count);
        if (bytes)
            out.insert(out.end(), bytes, bytes + count);
        return bytes != nullptr;
    }
    // `count` bytes as a string; empty on failure.
    std::string String(size_t count)
    {
        const uint8_t* bytes = Bytes(count);
        return bytes ? std::string(reinterpret_cast<const char*>(bytes), count) : std::string();
    }
    bool Skip(size_t count) { return Bytes(count) != nullptr || (count == 0 && Ok()); }

    // True when at least `count` bytes remain; otherwise marks the read failed.
    bool Has(size_t count)
    {
        if (m_failed || count > m_size - m_offset)
            return Fail(), false;
        return true;
    }
    void Fail() { m_failed = true; }

    size_t Offset() const { return m_offset; }
    size_t Remaining() const { return m_failed ? 0 : m_size - m_offset; }
    size_t Size() const { return m_size; }
    bool Ok() const { return !m_failed; }
    bool Failed() const { return m_failed; }

private:
    uint64_t Little(size_t count)
    {
        const uint8_t* bytes = Bytes(count);
        uint64_t value = 0;
        for (size_t i = bytes ? count : 0; i > 0; --i)
            value = (value << 8) | bytes[i - 1];
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
    // Appends to `out`.
    explicit ByteWriter(std::vector<uint8_t>& out) : m_vector(&out) {}
    // Fills `size` bytes at `buffer`.
    ByteWriter(uint8_t* buffer, size_t size) : m_buffer(buffer), m_size(buffer ? size : 0) {}

    void U8(uint8_t value) { Little(value, 1); }
    void U16(uint16_t value) { Little(value, 2); }
    void U32(uint32_t value) { Little(value, 4); }
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void F32(float value) { U32(std::bit_cast<uint32_t>(value)); }
    void Bytes(const void* data, size_t count)
    {
        if (uint8_t* target = Take(count); target && count > 0)
            std::memcpy(target, data, count);
    }
    void Zeros(size_t count)
    {
        if (uint8_t* target = Take(count); target && count > 0)
            std::memset(target, 0, count);
    }

    bool Ok() const { return !m_failed; }
    size_t Written() const { return m_vector ? m_vector->size() : m_offset; }

private:
    void Little(uint64_t value, size_t count)
    {
        if (uint8_t* target = Take(count))
            for (size_t i = 0; i < count; ++i)
                target[i] = static_cast<uint8_t>(value >> (8 * i));
    }
    // Room for `count` more bytes, or null (and failure) past a fixed end.
    uint8_t* Take(size_t count)
    {
        if (m_vector)
        {
            m_vector->resize(m_vector->size() + count);
            return m_vector->data() + m_vector->size() - count;
        }
        if (m_failed || count > m_size - m_offset)
            return m_failed = true, nullptr;
        uint8_t* target = m_buffer + m_offset;
        m_offset += count;
        return target;
    }

    std::vector<uint8_t>* m_vector = nullptr;
    uint8_t* m_buffer = nullptr;
    size_t m_size = 0;
    size_t m_offset = 0;
    bool m_failed = false;
};

} // namespace platform
