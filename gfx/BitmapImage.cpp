#include "gfx/BitmapImage.h"

#include "gfx/BitmapRle.h"
#include "platform/ByteIo.h"

#include <algorithm>
#include <fstream>

namespace
{
constexpr uint16_t kBitmapType = 0x4D42; // "BM"
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kFileHeaderSize = 14;
} // namespace

void CBitmapImage::Clear()
{
    ClearImage();
    m_compression = 0;
    m_fileType = 0;
    m_fileHeaderSize = 0;
    m_pixelOffset = 0;
    m_info = InfoHeader{};
}

void CBitmapImage::LoadFromMemory(std::span<const uint8_t> bytes)
{
    Clear();
    platform::ByteReader reader(bytes);
    if (!ReadHeaders(reader) || !HeadersUsable() || !ReadPalette(reader) || !ReadPixels(reader))
    {
        Clear();
        return;
    }
    m_height = m_info.height;
    m_width = m_info.width;
    m_bitsPerPixel = m_info.bitsPerPixel;
    m_fileSize = static_cast<int32_t>(m_fileHeaderSize);
    m_format = PIXEL_FORMAT_BGR;
    m_compression = static_cast<int32_t>(m_info.compression);
    if (m_compression != 0)
        Decompress();
}

bool CBitmapImage::ReadHeaders(platform::ByteReader& reader)
{
    m_fileType = reader.U16();
    m_fileHeaderSize = reader.U32();
    reader.Skip(4); // two reserved words
    m_pixelOffset = reader.U32();
    if (reader.Failed() || m_fileType != kBitmapType)
        return false;
    InfoHeader& h = m_info;
    h.size = reader.U32();
    h.width = reader.I32();
    h.height = reader.I32();
    h.planes = reader.U16();
    h.bitsPerPixel = reader.U16();
    h.compression = reader.U32();
    h.imageSize = reader.U32();
    h.xPelsPerMeter = reader.I32();
    h.yPelsPerMeter = reader.I32();
    h.coloursUsed = reader.U32();
    h.coloursImportant = reader.U32();
    // Later versions of the header are longer; what follows the first 40
    // bytes (colour masks, colour space) is not used, but the palette and the
    // pixels come after all of it.
    if (reader.Failed() || h.size < kInfoHeaderSize)
        return false;
    return reader.Skip(h.size - kInfoHeaderSize);
}

// Sizes within the limits, a bit depth we know, and a compression that fits it.
bool CBitmapImage::HeadersUsable() const
{
    const InfoHeader& h = m_info;
    if (h.width <= 0 || h.height <= 0 || h.width > kMaxSide || h.height > kMaxSide)
        return false;
    switch (h.bitsPerPixel)
    {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        return false;
    }
    return h.compression == 0 || (h.compression == 1 && h.bitsPerPixel == 8) ||
           (h.compression == 2 && h.bitsPerPixel == 4);
}

bool CBitmapImage::ReadPalette(platform::ByteReader& reader)
{
    if (m_info.bitsPerPixel >= 24)
        return true;
    uint32_t count = m_info.coloursUsed;
    // 0 means the full palette of the depth, as the format defines it.
    if (count == 0 && m_info.bitsPerPixel <= 8)
        count = 1u << m_info.bitsPerPixel;
    if (count > 256)
        return false;
    if (!reader.Append(size_t(count) * 4, m_palette))
        return false;
    m_paletteCount = static_cast<int32_t>(count);
    m_paletteSize = static_cast<int32_t>(count * 4);
    return true;
}

// The pixel data follows the palette directly (the header's pixel offset is
// not used). Uncompressed pictures keep exactly height rows of the stride.
bool CBitmapImage::ReadPixels(platform::ByteReader& reader)
{
    size_t picture = RowBytes(m_info.width, m_info.bitsPerPixel) * size_t(m_info.height);
    size_t size = m_info.imageSize != 0 ? size_t(m_info.imageSize) : picture;
    if (m_info.compression == 0 && size < picture)
        return false;
    if (!reader.Append(size, m_pixels))
        return false;
    if (m_info.compression == 0)
        m_pixels.resize(picture);
    m_dataSize = static_cast<int32_t>(m_pixels.size());
    return true;
}

void CBitmapImage::Decompress()
{
    if (!IsCompressed() || IsEmpty())
        return;
    m_pixels = DecodeBitmapRle(m_pixels, m_width, m_height, m_bitsPerPixel);
    m_dataSize = static_cast<int32_t>(m_pixels.size());
    // Decoded once; asking again must not decode the decoded block.
    m_info.compression = 0;
}

std::vector<uint8_t> CBitmapImage::BuildHeaders() const
{
    uint32_t imageSize = static_cast<uint32_t>(RowBytes(m_width, m_bitsPerPixel) * size_t(m_height));
    uint32_t paletteCount = m_bitsPerPixel < 24 ? uint32_t(m_paletteCount) : 0;
    uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + 4 * paletteCount;
    std::vector<uint8_t> out;
    platform::ByteWriter write(out);
    write.U16(kBitmapType);
    write.U32(imageSize + pixelOffset);
    write.U32(0);
    write.U32(pixelOffset);
    write.U32(kInfoHeaderSize);
    write.U32(uint32_t(m_width));
    write.U32(uint32_t(m_height));
    write.U16(1);
    write.U16(uint16_t(m_bitsPerPixel));
    write.U32(0);
    write.U32(imageSize);
    write.U32(0);
    write.U32(0);
    write.U32(uint32_t(m_paletteCount > 0 ? m_paletteCount : 0));
    write.U32(0);
    return out;
}

bool CBitmapImage::Save(const std::string& path)
{
    if (IsEmpty() || IsCompressed())
        return false;
    int32_t oldFormat = m_format;
    ConvertFormat(PIXEL_FORMAT_BGR);
    std::vector<uint8_t> headers = BuildHeaders();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(headers.data()), std::streamsize(headers.size()));
    if (m_bitsPerPixel < 24)
        out.write(reinterpret_cast<const char*>(m_palette.data()), std::streamsize(m_palette.size()));
    size_t picture = RowBytes(m_width, m_bitsPerPixel) * size_t(m_height);
    out.write(reinterpret_cast<const char*>(m_pixels.data()),
              std::streamsize(std::min(picture, m_pixels.size())));
    out.close();
    if (!out)
        return false;
    ConvertFormat(oldFormat);
    return true;
}
