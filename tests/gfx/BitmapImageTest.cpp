// The bitmap reader, its run-length decoder, and the pixel-format
// conversions every texture goes through.
#include "gfx/BitmapImage.h"
#include "gfx/BitmapRle.h"
#include "tests/gfx/ImageBytes.h"

#include <gtest/gtest.h>

namespace
{
CBitmapImage LoadBitmap(const Bytes& bytes)
{
    CBitmapImage image;
    image.LoadFromMemory(bytes);
    return image;
}

Bytes Sequence(size_t count, uint8_t first = 1)
{
    Bytes out(count);
    for (size_t i = 0; i < count; ++i)
        out[i] = uint8_t(first + i);
    return out;
}
} // namespace

TEST(BitmapImage, RowsAreTakenWithoutPadding)
{
    CBitmapImage four = LoadBitmap(Bitmap({.width = 4, .height = 2}, Sequence(24)));
    ASSERT_FALSE(four.IsEmpty());
    EXPECT_EQ(four.GetDataSize(), 24);
    EXPECT_EQ(four.GetPixels(), Sequence(24));
    EXPECT_EQ(four.GetFormat(), PIXEL_FORMAT_BGR);

    // Width 5 at 24 bits: the file pads rows to 16 bytes, the reader takes 15,
    // so the second row starts with the first row's padding byte.
    Bytes padded = Sequence(15, 1);
    padded.push_back(0xAA);
    Bytes second = Sequence(15, 101);
    padded.insert(padded.end(), second.begin(), second.end());
    padded.push_back(0xBB);
    CBitmapImage five = LoadBitmap(Bitmap({.width = 5, .height = 2, .imageSize = 32}, padded));
    ASSERT_EQ(five.GetPixels().size(), 30u);
    EXPECT_EQ(five.GetPixels()[15], 0xAA);
    EXPECT_EQ(five.GetPixels()[16], 101);
}

// A version 5 information header is longer than the classic 40 bytes; a
// palette of "0 colours used" holds as many as the depth allows.
TEST(BitmapImage, LongerHeadersAndFullPalettesAreSteppedOver)
{
    CBitmapImage longer = LoadBitmap(Bitmap({.width = 4, .height = 1, .infoSize = 124}, Sequence(12)));
    EXPECT_EQ(longer.GetPixels(), Sequence(12));
    BitmapSpec paletted{.width = 4, .height = 1, .bits = 8, .palette = RampPalette(256)};
    CBitmapImage image = LoadBitmap(Bitmap(paletted, {7, 8, 9, 10}));
    EXPECT_EQ(image.GetPixels(), (Bytes{7, 8, 9, 10}));
}

TEST(BitmapImage, BadFilesGiveAnEmptyImage)
{
    Bytes good = Bitmap({.width = 4, .height = 2}, Sequence(24));
    EXPECT_FALSE(LoadBitmap(good).IsEmpty());

    Bytes wrongType = good;
    wrongType[0] = 'X';
    Bytes shortFile(good.begin(), good.end() - 1);
    const std::pair<const char*, Bytes> cases[] = {
        {"wrong type", wrongType},
        {"short pixel data", shortFile},
        {"header only", Bytes(good.begin(), good.begin() + 30)},
        {"empty", {}},
        {"too wide", Bitmap({.width = 8193, .height = 1}, Sequence(24))},
        {"negative height", Bitmap({.width = 4, .height = -2}, Sequence(24))},
        {"zero width", Bitmap({.width = 0, .height = 2}, Sequence(24))},
        {"huge area", Bitmap({.width = 0x7FFFFFFF, .height = 0x7FFFFFFF}, Sequence(24))},
        {"small information header", Bitmap({.infoSize = 12}, Sequence(24))},
        {"odd depth", Bitmap({.bits = 7}, Sequence(24))},
        {"run-length 8 on 24 bits", Bitmap({.compression = 1}, Sequence(24))},
        {"bit fields", Bitmap({.bits = 32, .compression = 3}, Sequence(32))},
        {"image size below the picture", Bitmap({.imageSize = 4}, Sequence(24))},
        {"palette beyond the file", Bitmap({.bits = 8, .coloursUsed = 200}, Sequence(8))},
        {"palette too large", Bitmap({.bits = 8, .coloursUsed = 100000}, Sequence(8))},
    };
    for (const auto& [what, bytes] : cases)
    {
        CBitmapImage image = LoadBitmap(bytes);
        EXPECT_TRUE(image.IsEmpty() && image.GetWidth() == 0 && image.GetDataSize() == 0) << what;
    }
}

TEST(BitmapImage, RunLengthEndOfPictureFirstGivesAZeroPicture)
{
    BitmapSpec layout{.width = 3,
                      .height = 2,
                      .bits = 8,
                      .compression = 1,
                      .imageSize = 2,
                      .coloursUsed = 4,
                      .palette = RampPalette(4)};
    CBitmapImage image = LoadBitmap(Bitmap(layout, {0, 1}));
    ASSERT_FALSE(image.IsEmpty());
    EXPECT_EQ(image.GetPixels(), Bytes(6, 0));
    EXPECT_EQ(image.GetDataSize(), 6);
    EXPECT_FALSE(image.IsCompressed());
}

TEST(BitmapRle, EightBitPacketsRunsLiteralsLinesAndMoves)
{
    Bytes input = {
        3, 9,             // three pixels of 9
        0, 0,             // end of line (row 0 is 4 wide: moves to row 1)
        0, 3, 1, 2, 3, 0, // three literal pixels, padded to an even byte
        0, 2, 2, 1,       // two right and one row on: from row 1, column 3 to row 3, column 1
        2, 7,             // two pixels of 7
        0, 1,             // end of picture
        5, 5,             // never read
    };
    Bytes out = DecodeBitmapRle(input, 4, 4, 8);
    Bytes expected = {9, 9, 9, 0, 1, 2, 3, 0, 0, 0, 0, 0, 0, 7, 7, 0};
    EXPECT_EQ(out, expected);
}

TEST(BitmapRle, FourBitPacketsAlternateNibbles)
{
    // Width 5 gives 3-byte rows; the last nibble of each row is unused. The
    // literal group of five nibbles takes three bytes and a padding byte.
    Bytes input = {5, 0x12, 0, 0, 0, 5, 0xAB, 0xCD, 0xE0, 0, 0, 0, 2, 0x34, 0, 1};
    Bytes out = DecodeBitmapRle(input, 5, 3, 4);
    EXPECT_EQ(out, (Bytes{0x12, 0x12, 0x10, 0xAB, 0xCD, 0xE0, 0x34, 0, 0}));
}

TEST(BitmapRle, StopsAtTheEndOfTheOutputOrTheInput)
{
    EXPECT_EQ(DecodeBitmapRle(Bytes{255, 4, 255, 4}, 2, 2, 8), Bytes(4, 4));
    EXPECT_EQ(DecodeBitmapRle(Bytes{0, 2, 255, 255, 3, 1}, 2, 2, 8), Bytes(4, 0));
    // A literal group cut short by the end of the input writes nothing.
    EXPECT_EQ(DecodeBitmapRle(Bytes{1, 6, 0, 9, 1, 2}, 4, 1, 8), (Bytes{6, 0, 0, 0}));
    EXPECT_EQ(DecodeBitmapRle(Bytes{0, 3, 1, 2, 3}, 4, 1, 8), (Bytes{1, 2, 3, 0}));
    EXPECT_EQ(DecodeBitmapRle(Bytes{2}, 2, 1, 4), Bytes(1, 0));
    EXPECT_EQ(DecodeBitmapRle(Bytes{0, 2, 1}, 2, 1, 8), Bytes(2, 0));
}

TEST(ConvertFormat, BitmapToRgbaSwapsRedAndBlueAndAddsAlpha)
{
    CBitmapImage image = LoadBitmap(Bitmap({.width = 4, .height = 1}, Sequence(12)));
    image.ConvertFormat(PIXEL_FORMAT_RGBA);
    EXPECT_EQ(image.GetFormat(), PIXEL_FORMAT_RGBA);
    EXPECT_EQ(image.GetBitsPerPixel(), 32);
    EXPECT_EQ(image.GetDataSize(), 16);
    EXPECT_EQ(image.GetPixels(), (Bytes{3, 2, 1, 255, 6, 5, 4, 255, 9, 8, 7, 255, 12, 11, 10, 255}));

    image.ConvertFormat(PIXEL_FORMAT_RGB);
    EXPECT_EQ(image.GetBitsPerPixel(), 24);
    EXPECT_EQ(image.GetPixels(), (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
    image.ConvertFormat(PIXEL_FORMAT_BGR);
    EXPECT_EQ(image.GetPixels(), Sequence(12));
    image.ConvertFormat(PIXEL_FORMAT_TARGA); // no such conversion
    EXPECT_EQ(image.GetFormat(), PIXEL_FORMAT_BGR);
    image.ConvertFormat(PIXEL_FORMAT_NONE);
    EXPECT_EQ(image.GetFormat(), PIXEL_FORMAT_BGR);
}

TEST(ConvertFormat, PalettedImagesConvertTheirPaletteOnly)
{
    BitmapSpec layout{
        .width = 2, .height = 1, .bits = 8, .coloursUsed = 2, .palette = {1, 2, 3, 0, 4, 5, 6, 0}};
    CBitmapImage image = LoadBitmap(Bitmap(layout, {1, 0}));
    image.ConvertFormat(PIXEL_FORMAT_RGBA);
    EXPECT_EQ(image.GetPalette(), (Bytes{3, 2, 1, 255, 6, 5, 4, 255}));
    EXPECT_EQ(image.GetPixels(), (Bytes{1, 0}));
    EXPECT_EQ(image.GetBitsPerPixel(), 8);
}
