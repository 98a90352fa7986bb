#include "gfx/BitmapRle.h"

#include "gfx/Image.h"

#include <algorithm>
#include <cassert>

namespace
{

// Writes pixels at a linear position (row after row) into the block.
class CRleOutput
{
public:
    CRleOutput(int32_t width, int32_t height, int32_t bits)
        : m_width(uint64_t(width)), m_total(uint64_t(width) * uint64_t(height)), m_bits(bits),
          m_stride(CImage::RowBytes(width, bits)), m_block(m_stride * size_t(height), 0)
    {
    }

    bool Full() const { return m_position >= m_total; }

    void Put(uint8_t value)
    {
        if (Full())
            return;
        uint64_t row = m_position / m_width, column = m_position % m_width;
        uint8_t& byte = m_block[row * m_stride + (m_bits == 8 ? column : column / 2)];
        if (m_bits == 8)
            byte = value;
        else if (column % 2 == 0)
            byte = uint8_t((byte & 0x0F) | (value << 4));
        else
            byte = uint8_t((byte & 0xF0) | (value & 0x0F));
        ++m_position;
    }

    void EndOfLine()
    {
        if (m_position % m_width != 0)
            m_position = (m_position / m_width + 1) * m_width;
    }

    void Move(uint8_t dx, uint8_t dy) { m_position += dx + uint64_t(dy) * m_width; }

    std::vector<uint8_t> Take() { return std::move(m_block); }

private:
    uint64_t m_width;
    uint64_t m_total;
    int32_t m_bits;
    size_t m_stride;
    std::vector<uint8_t> m_block;
    uint64_t m_position = 0;
};

// One run of `count` pixels of `value`; 4-bit runs alternate the nibbles.
void PutRun(CRleOutput& out, uint8_t count, uint8_t value, int32_t bits)
{
    for (int i = 0; i < count && !out.Full(); ++i)
        out.Put(bits == 8 ? value : uint8_t(i % 2 == 0 ? value >> 4 : value & 0x0F));
}

// Literal pixels from the input; false when the input ends inside them.
bool PutLiteral(CRleOutput& out, std::span<const uint8_t> input, size_t& at, uint8_t count, int32_t bits)
{
    size_t bytes = bits == 8 ? count : (count + 1u) / 2u;
    if (input.size() - at < bytes)
        return false;
    for (int i = 0; i < count; ++i)
    {
        uint8_t byte = input[at + (bits == 8 ? size_t(i) : size_t(i) / 2)];
        out.Put(bits == 8 ? byte : uint8_t(i % 2 == 0 ? byte >> 4 : byte & 0x0F));
    }
    // Literal groups end on an even input byte; the padding byte may be
    // missing at the very end of the input.
    at = std::min(input.size(), at + bytes + bytes % 2);
    return true;
}

} // namespace

std::vector<uint8_t> DecodeBitmapRle(std::span<const uint8_t> input, int32_t width, int32_t height,
                                     int32_t bits)
{
    assert((bits == 8 || bits == 4) && width > 0 && height > 0);
    CRleOutput out(width, height, bits);
    size_t at = 0;
    while (input.size() - at >= 2 && !out.Full())
    {
        uint8_t first = input[at], second = input[at + 1];
        at += 2;
        if (first > 0)
            PutRun(out, first, second, bits);
        else if (second == 0)
            out.EndOfLine();
        else if (second == 1)
            break;
        else if (second == 2)
        {
            if (input.size() - at < 2)
                break;
            out.Move(input[at], input[at + 1]);
            at += 2;
        }
        else if (!PutLiteral(out, input, at, second, bits))
            break;
    }
    return out.Take();
}
