// The Targa reader: row order, run-length packets, the footer, and the files
// it must refuse. Its conversion to RGBA is checked on every upload
// (TextureTest) and on the shipped pictures' alpha (ArtworkTest).
#include "gfx/TargaImage.h"
#include "tests/gfx/ImageBytes.h"

#include <gtest/gtest.h>

namespace
{
CTargaImage LoadTarga(const Bytes& bytes)
{
    CTargaImage image;
    image.LoadFromMemory(bytes);
    return image;
}

// A 1 x 3 picture of 24-bit pixels whose bytes are all the row number + 1.
Bytes ThreeRows()
{
    return {1, 1, 1, 2, 2, 2, 3, 3, 3};
}
} // namespace

TEST(TargaImage, RowsAreReversedUnlessBitFourIsSet)
{
    for (uint8_t descriptor : {0x00, 0x08, 0x20, 0x28})
    {
        CTargaImage image =
            LoadTarga(Targa({.width = 1, .height = 3, .descriptor = descriptor}, ThreeRows()));
        EXPECT_EQ(image.GetPixels(), (Bytes{3, 3, 3, 2, 2, 2, 1, 1, 1})) << int(descriptor);
    }
    CTargaImage kept = LoadTarga(Targa({.width = 1, .height = 3, .descriptor = 0x10}, ThreeRows()));
    EXPECT_EQ(kept.GetPixels(), ThreeRows());
    EXPECT_EQ(kept.GetFormat(), PIXEL_FORMAT_TARGA);
}

TEST(TargaImage, RunLengthPacketsRepeatOrCarryUpTo128Pixels)
{
    Bytes repeat = {0xFF, 10, 20, 30};
    CTargaImage repeated =
        LoadTarga(Targa({.type = 10, .width = 128, .height = 1, .descriptor = 0x10}, repeat));
    ASSERT_EQ(repeated.GetPixels().size(), 128u * 3);
    for (size_t i = 0; i < 128; ++i)
        ASSERT_EQ(repeated.GetPixels()[i * 3 + 2], 30) << i;
    EXPECT_FALSE(repeated.IsCompressed());

    Bytes literal = {0x7F};
    for (int i = 0; i < 128; ++i)
        literal.insert(literal.end(), {uint8_t(i), uint8_t(i), uint8_t(i), uint8_t(255 - i)});
    CTargaImage literals =
        LoadTarga(Targa({.type = 10, .width = 64, .height = 2, .depth = 32, .descriptor = 0x18}, literal));
    ASSERT_EQ(literals.GetPixels().size(), 128u * 4);
    EXPECT_EQ(literals.GetPixels(), Bytes(literal.begin() + 1, literal.end()));
}

TEST(TargaImage, RunLengthStopsAtTheEndOfTheOutputOrTheInput)
{
    // Packets follow each other; a run longer than the picture is cut; a
    // packet cut short ends decoding.
    EXPECT_EQ(DecodeTargaRle(Bytes{0x00, 1, 2, 3, 0x81, 7, 8, 9, 0x00, 4, 5, 6}, 12, 3),
              (Bytes{1, 2, 3, 7, 8, 9, 7, 8, 9, 4, 5, 6}));
    EXPECT_EQ(DecodeTargaRle(Bytes{0x85, 7, 8, 9}, 6, 3), (Bytes{7, 8, 9, 7, 8, 9}));
    EXPECT_EQ(DecodeTargaRle(Bytes{0x00, 1, 2, 3, 0x02, 4, 5}, 9, 3), (Bytes{1, 2, 3, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(DecodeTargaRle(Bytes{0x81, 1, 2}, 6, 3), Bytes(6, 0));
    CTargaImage partial =
        LoadTarga(Targa({.type = 10, .width = 2, .height = 1, .descriptor = 0x10}, {0x00, 1, 2, 3}));
    EXPECT_EQ(partial.GetPixels(), (Bytes{1, 2, 3, 0, 0, 0}));
}

TEST(TargaImage, FooterAndImageIdBoundThePixelBlock)
{
    TargaSpec layout{.width = 1, .height = 1, .descriptor = 0x10, .id = {'h', 'i'}};
    Bytes file = Targa(layout, {1, 2, 3});
    uint32_t developer = uint32_t(file.size());
    file.insert(file.end(), {9, 9, 9, 9});
    AppendTargaFooter(file, 0, developer);
    CTargaImage image = LoadTarga(file);
    EXPECT_EQ(image.GetPixels(), (Bytes{1, 2, 3}));

    // The footer alone ends a run-length block: its bytes are not pixels.
    Bytes rle = Targa({.type = 10, .width = 3, .height = 1, .descriptor = 0x10}, {0x00, 1, 2, 3});
    AppendTargaFooter(rle, 0, 0);
    EXPECT_EQ(LoadTarga(rle).GetPixels(), (Bytes{1, 2, 3, 0, 0, 0, 0, 0, 0}));

    // A colour map in a true-colour file is skipped, not read as pixels.
    TargaSpec mapped{.width = 1,
                     .height = 1,
                     .descriptor = 0x10,
                     .colourMapType = 1,
                     .colourMapLength = 2,
                     .colourMapEntrySize = 24};
    EXPECT_EQ(LoadTarga(Targa(mapped, {0, 0, 0, 0, 0, 0, 5, 6, 7})).GetPixels(), (Bytes{5, 6, 7}));
}

TEST(TargaImage, UnusableFilesGiveAnEmptyImage)
{
    Bytes beyond = Targa({.width = 1, .height = 1}, {1, 2, 3});
    AppendTargaFooter(beyond, 0, 100000);
    Bytes before = Targa({.width = 1, .height = 1}, {1, 2, 3});
    AppendTargaFooter(before, 0, 5);
    const std::pair<const char*, Bytes> cases[] = {
        {"empty", {}},
        {"header cut short", Bytes(10, 0)},
        {"image ID beyond the file", Bytes{200, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0, 1, 2, 3}},
        {"colour-mapped type", Targa({.type = 1, .width = 1, .height = 1}, {1, 2, 3})},
        {"grey type", Targa({.type = 3, .width = 1, .height = 1}, {1, 2, 3})},
        {"run-length colour-mapped", Targa({.type = 9, .width = 1, .height = 1}, {1, 2, 3})},
        {"run-length grey", Targa({.type = 11, .width = 1, .height = 1}, {1, 2, 3})},
        {"16-bit pixels", Targa({.width = 1, .height = 1, .depth = 16}, {1, 2})},
        {"8-bit pixels", Targa({.width = 1, .height = 1, .depth = 8}, {1})},
        {"zero width", Targa({.width = 0, .height = 1}, {1, 2, 3})},
        {"too tall", Targa({.type = 10, .width = 1, .height = 8193}, {0xFF, 1, 2, 3})},
        {"too wide", Targa({.type = 10, .width = 65535, .height = 65535}, {0xFF, 1, 2, 3})},
        {"pixel block short", Targa({.width = 2, .height = 2}, {1, 2, 3})},
        {"developer directory beyond the file", beyond},
        {"developer directory inside the header", before},
    };
    for (const auto& [what, bytes] : cases)
    {
        CTargaImage image = LoadTarga(bytes);
        EXPECT_TRUE(image.IsEmpty() && image.GetWidth() == 0 && image.GetDataSize() == 0) << what;
    }
}
