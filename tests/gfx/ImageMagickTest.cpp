// The readers against an independent encoder and decoder: ImageMagick writes
// Targa and bitmap files from a known picture, and the pixels our readers
// leave must equal ImageMagick's own decoding of the same file, pixel for
// pixel. Run-length 4-bit bitmaps, which ImageMagick cannot write, are
// encoded here and decoded by both.
#include "gfx/BitmapImage.h"
#include "gfx/TargaImage.h"
#include "tests/gfx/ImageBytes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

using testing_support::ReadFile;
using testing_support::TempDir;

namespace
{
constexpr int kWidth = 12;
constexpr int kHeight = 7;

struct Rgba
{
    uint8_t r, g, b, a;
    bool operator==(const Rgba&) const = default;
};
using Picture = std::vector<Rgba>; // top row first, as ImageMagick decodes

bool Convert(const std::string& arguments)
{
    std::string command = "convert " + arguments + " > /dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

void WriteBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A picture with varied colours, alpha, and runs of equal pixels.
Bytes SourceRgba()
{
    Bytes rgba;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
        {
            bool run = y == 2 || x < 3;
            rgba.insert(rgba.end(),
                        {uint8_t(run ? 200 : x * 21), uint8_t(run ? 40 : y * 36),
                         uint8_t(run ? 90 : (x * y * 13) & 0xFF), uint8_t((x + y) % 4 ? 255 : 77)});
        }
    return rgba;
}

// ImageMagick's decoding of a file, as RGBA bytes top row first. ImageMagick
// keeps a Targa file's rows in file order and records the descriptor's row
// order as the picture's orientation; -auto-orient applies it, so the result
// is the picture the format describes.
Picture Decode(const TempDir& dir, const std::string& file)
{
    std::string raw = dir.File(file + ".rgba");
    EXPECT_TRUE(Convert(dir.File(file) + " -auto-orient -depth 8 rgba:" + raw)) << file;
    std::string bytes = ReadFile(raw);
    Picture picture;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4)
        picture.push_back(
            {uint8_t(bytes[i]), uint8_t(bytes[i + 1]), uint8_t(bytes[i + 2]), uint8_t(bytes[i + 3])});
    return picture;
}

// Writes the source picture with ImageMagick using `options`; `coder` (such
// as "BMP3:") picks the exact format.
std::string Encode(const TempDir& dir, const std::string& name, const std::string& options,
                   const std::string& coder = "")
{
    std::string source = dir.File("source.rgba");
    WriteBytes(source, SourceRgba());
    std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
    EXPECT_TRUE(
        Convert("-size " + size + " -depth 8 rgba:" + source + " " + options + " " + coder + dir.File(name)))
        << "ImageMagick's convert is needed (Debian package imagemagick)";
    return name;
}

// Our Targa reader's result as RGBA, rows in the order it leaves them.
Picture ReadTarga(const std::string& path, uint8_t* descriptor)
{
    CTargaImage image;
    image.Load(path);
    *descriptor = image.GetImageDescriptor();
    image.ConvertFormat(PIXEL_FORMAT_RGBA);
    Picture picture;
    const Bytes& px = image.GetPixels();
    for (size_t i = 0; i + 4 <= px.size(); i += 4)
        picture.push_back({px[i], px[i + 1], px[i + 2], px[i + 3]});
    return picture;
}

Picture FlipRows(const Picture& picture, int width)
{
    Picture flipped;
    for (size_t row = picture.size() / width; row-- > 0;)
        flipped.insert(flipped.end(), picture.begin() + row * width, picture.begin() + (row + 1) * width);
    return flipped;
}

// Our bitmap reader's result as RGBA, top row first (the file and the reader
// keep the bottom row first). Paletted pictures are looked up by hand.
Picture ReadBitmap(const std::string& path, int expectCompression)
{
    CBitmapImage image;
    image.Load(path);
    EXPECT_EQ(image.GetCompression(), expectCompression) << path;
    Picture picture;
    int w = image.GetWidth(), h = image.GetHeight(), bits = image.GetBitsPerPixel();
    const Bytes& px = image.GetPixels();
    const Bytes& palette = image.GetPalette();
    size_t stride = CImage::RowBytes(w, bits);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
        {
            const uint8_t* row = px.data() + size_t(y) * stride;
            if (bits == 24)
            {
                picture.push_back({row[x * 3 + 2], row[x * 3 + 1], row[x * 3], 255});
                continue;
            }
            int index = bits == 8 ? row[x] : (x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F);
            const uint8_t* entry = palette.data() + size_t(index) * 4;
            picture.push_back({entry[2], entry[1], entry[0], 255});
        }
    return FlipRows(picture, w);
}

// Run-length 4-bit encoding of a 16-colour picture (indices, bottom row
// first): even rows as runs of two pixels, odd rows as one literal group.
Bytes EncodeRle4(const std::vector<int>& indices, int width, int height)
{
    Bytes out;
    for (int y = 0; y < height; ++y)
    {
        const int* row = indices.data() + size_t(y) * width;
        if (y % 2 == 0)
            for (int x = 0; x < width; x += 2)
                out.insert(out.end(), {uint8_t(x + 1 < width ? 2 : 1),
                                       uint8_t(row[x] << 4 | (x + 1 < width ? row[x + 1] : 0))});
        else
        {
            out.insert(out.end(), {0, uint8_t(width)});
            size_t start = out.size();
            for (int x = 0; x < width; x += 2)
                out.push_back(uint8_t(row[x] << 4 | (x + 1 < width ? row[x + 1] : 0)));
            if ((out.size() - start) % 2)
                out.push_back(0);
        }
        out.insert(out.end(), {0, 0});
    }
    out.insert(out.end(), {0, 1});
    return out;
}
} // namespace

TEST(ImageMagick, TargaFilesInBothRowOrdersAndBothEncodings)
{
    TempDir dir;
    struct Case
    {
        const char* name;
        const char* options;
        uint8_t descriptor;
    };
    const Case cases[] = {
        {"plain-bottom.tga", "-compress None", 0x08},
        {"rle-bottom.tga", "-compress RLE", 0x08},
        {"plain-top.tga", "-orient TopLeft -compress None", 0x28},
        {"rle-top.tga", "-orient TopLeft -compress RLE", 0x28},
        {"plain-rgb.tga", "-alpha off -compress None", 0x00},
        {"rle-rgb.tga", "-alpha off -compress RLE", 0x00},
    };
    for (const Case& c : cases)
    {
        std::string file = Encode(dir, c.name, c.options);
        Picture theirs = Decode(dir, file);
        ASSERT_EQ(theirs.size(), size_t(kWidth * kHeight)) << c.name;
        uint8_t descriptor = 0;
        Picture ours = ReadTarga(dir.File(file), &descriptor);
        EXPECT_EQ(descriptor, c.descriptor) << c.name;
        // Bit 4 is clear in all of them, so the reader reverses the rows: a
        // bottom-first file comes out top row first, as ImageMagick shows it,
        // and a top-first file bottom row first.
        Picture expected = (descriptor & 0x20) ? FlipRows(theirs, kWidth) : theirs;
        EXPECT_TRUE(ours == expected) << c.name;
    }
}

TEST(ImageMagick, BitmapFilesPlainAndRunLength8)
{
    TempDir dir;
    // Rows of 12 pixels need no padding, which the reader does not skip.
    std::string plain = Encode(dir, "plain.bmp", "-alpha off", "BMP3:");
    EXPECT_TRUE(ReadBitmap(dir.File(plain), 0) == Decode(dir, plain));

    std::string rle = Encode(dir, "rle8.bmp", "-alpha off -colors 20 -type Palette -compress RLE", "BMP3:");
    EXPECT_TRUE(ReadBitmap(dir.File(rle), 1) == Decode(dir, rle));
}

TEST(ImageMagick, BitmapFilesRunLength4)
{
    TempDir dir;
    constexpr int width = 9, height = 5;
    std::vector<int> indices;
    for (int i = 0; i < width * height; ++i)
        indices.push_back((i * 7 + i / width) % 16);
    Bytes encoded = EncodeRle4(indices, width, height);
    BitmapSpec layout{.width = width,
                      .height = height,
                      .bits = 4,
                      .compression = 2,
                      .imageSize = uint32_t(encoded.size()),
                      .coloursUsed = 16,
                      .palette = RampPalette(16)};
    for (size_t i = 0; i < layout.palette.size(); i += 4)
        layout.palette[i] = uint8_t(255 - i);
    WriteBytes(dir.File("rle4.bmp"), Bitmap(layout, encoded));
    Picture ours = ReadBitmap(dir.File("rle4.bmp"), 2);
    ASSERT_EQ(ours.size(), size_t(width * height));
    EXPECT_TRUE(ours == Decode(dir, "rle4.bmp"));
}
