#include "gfx/TargaImage.h"

#include "platform/ByteIo.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr size_t kFooterBytes = 26;
constexpr char kSignature[] = "TRUEVISION-XFILE";
} // namespace

void CTargaImage::Clear()
{
    ClearImage();
    m_imageId.clear();
    m_compressed = false;
}

void CTargaImage::LoadFromMemory(std::span<const uint8_t> bytes)
{
    Clear();
    ReadFooter(bytes);
    platform::ByteReader reader(bytes);
    if (!ReadHeader(reader) || !HeaderUsable() || !ReadPixelBlock(reader, bytes))
    {
        Clear();
        return;
    }
    m_compressed = m_imageType == kTypeTrueColourRle;
    if (m_compressed)
        Decompress();
    if ((m_imageDescriptor & kKeepRowOrder) == 0)
        ReverseRows();
    m_format = PIXEL_FORMAT_TARGA;
}

void CTargaImage::ReadFooter(std::span<const uint8_t> bytes)
{
    m_extensionOffset = 0;
    m_developerOffset = 0;
    m_hasFooter =
        bytes.size() >= kFooterBytes && std::memcmp(bytes.data() + bytes.size() - 18, kSignature, 16) == 0;
    if (!m_hasFooter)
        return;
    platform::ByteReader footer(bytes.subspan(bytes.size() - kFooterBytes));
    m_extensionOffset = footer.U32();
    m_developerOffset = footer.U32();
}

bool CTargaImage::ReadHeader(platform::ByteReader& reader)
{
    uint16_t width = 0, height = 0;
    uint8_t depth = 0;
    m_idLength = reader.U8();
    m_colourMapType = reader.U8();
    m_imageType = reader.U8();
    m_colourMapFirst = reader.I16();
    m_colourMapLength = reader.U16();
    m_colourMapEntrySize = reader.U8();
    m_xOrigin = reader.I16();
    m_yOrigin = reader.I16();
    width = reader.U16();
    height = reader.U16();
    depth = reader.U8();
    m_imageDescriptor = reader.U8();
    reader.Append(m_idLength, m_imageId);
    m_width = width;
    m_height = height;
    m_bitsPerPixel = depth;
    m_paletteCount = m_colourMapLength;
    if (reader.Failed())
        return false;
    // A colour map in a true-colour file is not used, but it sits between
    // the image ID and the pixels, so it is stepped over.
    if (m_colourMapType != 0)
        return reader.Skip((size_t(m_colourMapLength) * m_colourMapEntrySize + 7) / 8);
    return true;
}

// Only true-colour pictures of a depth the texture upload takes.
bool CTargaImage::HeaderUsable() const
{
    if (m_imageType != kTypeTrueColour && m_imageType != kTypeTrueColourRle)
        return false;
    if (m_bitsPerPixel != 24 && m_bitsPerPixel != 32)
        return false;
    return m_width > 0 && m_height > 0 && m_width <= kMaxSide && m_height <= kMaxSide;
}

size_t CTargaImage::PictureBytes() const
{
    return size_t(m_width) * size_t(m_height) * size_t(m_bitsPerPixel / 8);
}

// The pixel block runs from here to the developer directory, else to the
// footer, else to the end of the file; an end that lies outside the file or
// before the current position makes the file unusable.
bool CTargaImage::ReadPixelBlock(platform::ByteReader& reader, std::span<const uint8_t> bytes)
{
    size_t end = bytes.size();
    if (m_developerOffset != 0)
        end = m_developerOffset;
    else if (m_hasFooter)
        end = bytes.size() - kFooterBytes;
    if (end > bytes.size() || end < reader.Offset())
        return false;
    size_t length = end - reader.Offset();
    // An uncompressed block must hold the whole picture; what follows it
    // (an extension area) is not pixels.
    if (m_imageType == kTypeTrueColour)
    {
        if (length < PictureBytes())
            return false;
        length = PictureBytes();
    }
    if (!reader.Append(length, m_pixels))
        return false;
    m_dataSize = static_cast<int32_t>(m_pixels.size());
    return true;
}

void CTargaImage::Decompress()
{
    if (!m_compressed)
        return;
    m_pixels = DecodeTargaRle(m_pixels, PictureBytes(), size_t(m_bitsPerPixel / 8));
    m_dataSize = static_cast<int32_t>(m_pixels.size());
    m_compressed = false;
    m_imageType = kTypeTrueColour;
}

void CTargaImage::ReverseRows()
{
    size_t stride = size_t(m_width) * size_t(m_bitsPerPixel / 8);
    std::vector<uint8_t> reversed(m_pixels.size(), 0xFF);
    for (size_t row = 0; row < size_t(m_height); ++row)
    {
        const uint8_t* from = m_pixels.data() + (size_t(m_height) - 1 - row) * stride;
        std::copy(from, from + stride, reversed.begin() + std::ptrdiff_t(row * stride));
    }
    m_pixels = std::move(reversed);
}

std::vector<uint8_t> DecodeTargaRle(std::span<const uint8_t> input, size_t outputBytes, size_t bytesPerPixel)
{
    std::vector<uint8_t> out(outputBytes, 0);
    size_t at = 0, written = 0;
    while (at < input.size() && written < outputBytes)
    {
        uint8_t header = input[at++];
        size_t count = size_t(header & 0x7F) + 1;
        bool repeat = (header & 0x80) != 0;
        size_t needed = repeat ? bytesPerPixel : count * bytesPerPixel;
        if (input.size() - at < needed)
            break;
        for (size_t i = 0; i < count && written < outputBytes; ++i)
        {
            const uint8_t* pixel = input.data() + at + (repeat ? 0 : i * bytesPerPixel);
            size_t take = std::min(bytesPerPixel, outputBytes - written);
            std::copy(pixel, pixel + take, out.begin() + std::ptrdiff_t(written));
            written += take;
        }
        at += needed;
    }
    return out;
}
