#include "gfx/TextureAtlas.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr int32_t kWhiteSide = 4;
const uint8_t kWhiteTexel[4] = {255, 255, 255, 255};
} // namespace

CTextureAtlas::CTextureAtlas()
{
    Clear();
}

void CTextureAtlas::Clear()
{
    m_pixels.assign(size_t(kPageSize) * kPageSize * 4, 0);
    m_page.reset();
    m_dirty = true;
    m_shelfX = m_shelfY = m_shelfHeight = 0;
    std::vector<uint8_t> white(size_t(kWhiteSide) * kWhiteSide * 4);
    for (size_t i = 0; i < white.size(); i += 4)
        std::memcpy(&white[i], kWhiteTexel, 4);
    m_white = *Place(kWhiteSide, kWhiteSide, white.data());
}

std::optional<TextureRegion> CTextureAtlas::Place(int32_t width, int32_t height, const uint8_t* rgba)
{
    if (!rgba || width < 1 || height < 1 || width > kMaxPicture || height > kMaxPicture)
        return std::nullopt;
    std::optional<Box> box = Reserve(width + 2 * kGutter, height + 2 * kGutter);
    if (!box)
        return std::nullopt;
    Copy(*box, width, height, rgba);
    m_dirty = true;
    return RegionOf({box->x + kGutter, box->y + kGutter, width, height});
}

// The next free box on the current shelf, or on a new shelf below it.
std::optional<CTextureAtlas::Box> CTextureAtlas::Reserve(int32_t width, int32_t height)
{
    if (m_shelfX + width > kPageSize)
    {
        m_shelfY += m_shelfHeight;
        m_shelfX = m_shelfHeight = 0;
    }
    if (m_shelfY + height > kPageSize)
        return std::nullopt;
    Box box{m_shelfX, m_shelfY, width, height};
    m_shelfX += width;
    m_shelfHeight = std::max(m_shelfHeight, height);
    return box;
}

// Fills the box with the picture, its edge texels repeated across the gutter
// as clamping repeats them past a texture's edge.
void CTextureAtlas::Copy(const Box& box, int32_t width, int32_t height, const uint8_t* rgba)
{
    for (int32_t y = 0; y < box.height; ++y)
    {
        const int32_t sourceY = std::clamp(y - kGutter, 0, height - 1);
        for (int32_t x = 0; x < box.width; ++x)
        {
            const int32_t sourceX = std::clamp(x - kGutter, 0, width - 1);
            const uint8_t* from = rgba + (size_t(sourceY) * size_t(width) + size_t(sourceX)) * 4;
            uint8_t* to = &m_pixels[(size_t(box.y + y) * kPageSize + size_t(box.x + x)) * 4];
            std::memcpy(to, from, 4);
        }
    }
}

TextureRegion CTextureAtlas::RegionOf(const Box& inner) const
{
    const float page = kPageSize;
    return {float(inner.x) / page, float(inner.y) / page, float(inner.x + inner.width) / page,
            float(inner.y + inner.height) / page};
}

uint32_t CTextureAtlas::GetGLName()
{
    if (m_dirty)
    {
        m_page = std::make_unique<CTexture>();
        m_page->UploadPixels(kPageSize, kPageSize, m_pixels.data());
        m_dirty = false;
    }
    return m_page->GetGLName();
}
