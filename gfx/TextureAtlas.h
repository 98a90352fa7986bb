// One texture holding every small picture the game draws objects with, so a
// frame full of ships, shrapnel, powerups and bullets binds one texture and a
// render backend can send them all as one draw. A software renderer pays for
// each bind and each draw far more than for the pixels of a 32 x 32 picture.
//
// Pictures are packed in shelves (rows of pictures, each row as tall as its
// tallest) on a fixed page. Each picture is surrounded by a gutter that
// repeats its edge texels, so a sample that strays just past the edge of a
// rotated or scaled picture finds what the picture's own clamped texture
// would give, never a neighbour. Textures keep nearest filtering, so the
// picture drawn from the page has the same pixels as from its own texture.
// The page is uploaded when first bound after a picture was added.
#pragma once

#include "gfx/Texture.h"

#include <cstdint>
#include <optional>
#include <vector>

class CTextureAtlas
{
public:
    static constexpr int32_t kPageSize = 512;
    // Texels of repeated edge around each picture.
    static constexpr int32_t kGutter = 2;
    // Larger pictures (fonts, map overviews) keep their own textures.
    static constexpr int32_t kMaxPicture = 128;

    CTextureAtlas();
    CTextureAtlas(const CTextureAtlas&) = delete;
    CTextureAtlas& operator=(const CTextureAtlas&) = delete;

    // Copies a `width` x `height` RGBA picture onto the page; its region, or
    // nothing when it is too large or the page is full.
    std::optional<TextureRegion> Place(int32_t width, int32_t height, const uint8_t* rgba);
    // A fully white, opaque region, for untextured white shapes drawn in the
    // same batch as the pictures.
    const TextureRegion& WhiteRegion() const { return m_white; }
    // The page's texture name, uploading the page first if it changed.
    uint32_t GetGLName();
    // The page's RGBA texels, first row at v = 0.
    const std::vector<uint8_t>& GetPixels() const { return m_pixels; }
    // Empties the page (and deletes its texture).
    void Clear();

private:
    struct Box
    {
        int32_t x, y, width, height;
    };
    std::optional<Box> Reserve(int32_t width, int32_t height);
    void Copy(const Box& box, int32_t width, int32_t height, const uint8_t* rgba);
    TextureRegion RegionOf(const Box& inner) const;

    std::vector<uint8_t> m_pixels;
    TextureRegion m_white;
    std::unique_ptr<CTexture> m_page;
    bool m_dirty = true;
    int32_t m_shelfX = 0, m_shelfY = 0, m_shelfHeight = 0;
};
