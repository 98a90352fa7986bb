#include "gfx/Image.h"

#include <fstream>
#include <utility>

// Conversions that exist (any other pair leaves the image as it is):
//   1 -> 2  alpha 255 added (24-bit becomes 32-bit; 32-bit alpha overwritten)
//   1 -> 3  red and blue swapped
//   2 -> 1  alpha dropped (32-bit becomes 24-bit)
//   2 -> 3  alpha dropped, then red and blue swapped
//   3 -> 1  red and blue swapped
//   3 -> 2  red and blue swapped, then alpha 255 as for 1 -> 2
//   4 -> 2  red and blue swapped; a 24-bit image gains alpha 255, a 32-bit
//           one keeps its own
// Images below 24 bits convert their palette instead of their pixels.
void CImage::ConvertFormat(int32_t target)
{
    int32_t from = m_format;
    if (from == target || from == PIXEL_FORMAT_NONE || target == PIXEL_FORMAT_NONE)
        return;
    if (from == PIXEL_FORMAT_RGB && target == PIXEL_FORMAT_RGBA)
        AddAlpha();
    else if ((from == PIXEL_FORMAT_RGB && target == PIXEL_FORMAT_BGR) ||
             (from == PIXEL_FORMAT_BGR && target == PIXEL_FORMAT_RGB))
        SwapRedBlue();
    else if (from == PIXEL_FORMAT_RGBA && target == PIXEL_FORMAT_RGB)
        DropAlpha();
    else if (from == PIXEL_FORMAT_RGBA && target == PIXEL_FORMAT_BGR)
    {
        DropAlpha();
        SwapRedBlue();
    }
    else if (from == PIXEL_FORMAT_BGR && target == PIXEL_FORMAT_RGBA)
    {
        SwapRedBlue();
        AddAlpha();
    }
    else if (from == PIXEL_FORMAT_TARGA && target == PIXEL_FORMAT_RGBA)
    {
        SwapRedBlue();
        if (m_bitsPerPixel == 24)
            AddAlpha();
    }
    else
        return;
    m_format = target;
}

void CImage::SwapRedBlue()
{
    if (m_bitsPerPixel == 24 || m_bitsPerPixel == 32)
    {
        size_t step = size_t(m_bitsPerPixel / 8);
        for (size_t i = 0; i + step <= m_pixels.size(); i += step)
            std::swap(m_pixels[i], m_pixels[i + 2]);
        return;
    }
    for (size_t i = 0; i + 4 <= m_palette.size(); i += 4)
        std::swap(m_palette[i], m_palette[i + 2]);
}

void CImage::AddAlpha()
{
    if (m_bitsPerPixel == 32)
    {
        for (size_t i = 3; i < m_pixels.size(); i += 4)
            m_pixels[i] = 255;
    }
    else if (m_bitsPerPixel == 24)
    {
        std::vector<uint8_t> rgba;
        rgba.reserve(m_pixels.size() / 3 * 4);
        for (size_t i = 0; i + 3 <= m_pixels.size(); i += 3)
            rgba.insert(rgba.end(), {m_pixels[i], m_pixels[i + 1], m_pixels[i + 2], 255});
        ReplacePixels(std::move(rgba));
        m_bitsPerPixel = 32;
    }
    else
    {
        for (size_t i = 3; i < m_palette.size(); i += 4)
            m_palette[i] = 255;
    }
}

void CImage::DropAlpha()
{
    if (m_bitsPerPixel != 32)
        return;
    std::vector<uint8_t> rgb;
    rgb.reserve(m_pixels.size() / 4 * 3);
    for (size_t i = 0; i + 4 <= m_pixels.size(); i += 4)
        rgb.insert(rgb.end(), {m_pixels[i], m_pixels[i + 1], m_pixels[i + 2]});
    ReplacePixels(std::move(rgb));
    m_bitsPerPixel = 24;
}

void CImage::ReplacePixels(std::vector<uint8_t> pixels)
{
    int64_t difference = int64_t(pixels.size()) - int64_t(m_pixels.size());
    m_pixels = std::move(pixels);
    m_dataSize = static_cast<int32_t>(m_dataSize + difference);
    m_fileSize = static_cast<int32_t>(m_fileSize + difference);
}

void CImage::ClearImage()
{
    m_height = 0;
    m_width = 0;
    m_fileSize = 0;
    m_bitsPerPixel = 0;
    m_dataSize = 0;
    m_paletteSize = 0;
    m_paletteCount = 0;
    m_pixels.clear();
    m_pixels.shrink_to_fit();
    m_palette.clear();
}

void CImage::Load(const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(path, bytes))
    {
        Clear();
        return;
    }
    LoadFromMemory(bytes);
    if (!IsEmpty())
        m_name = BaseName(path);
}

bool CImage::ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    std::streamoff size = in.tellg();
    if (size < 0 || uint64_t(size) > kMaxFileBytes)
        return false;
    bytes.resize(size_t(size));
    in.seekg(0);
    return size == 0 || bool(in.read(reinterpret_cast<char*>(bytes.data()), size));
}

std::string CImage::BaseName(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
