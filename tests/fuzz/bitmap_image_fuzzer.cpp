// Any bytes as a bitmap file: the reader and its run-length decoder must
// finish without reading or writing out of bounds, and leave either an empty
// image or one whose pixel block holds at least every row it describes;
// conversion and upload (to the null backend) must then work on it.
#include "gfx/BitmapImage.h"
#include "gfx/Texture.h"

#include <cstdint>
#include <cstdlib>

namespace
{
// Headers that claim pictures above a million pixels are legal but make
// every run allocate and clear hundreds of megabytes; they teach the fuzzer
// nothing the smaller ones do not.
bool Huge(const uint8_t* data, size_t size)
{
    if (size < 26)
        return false;
    auto read32 = [data](size_t at)
    {
        return int64_t(
            int32_t(data[at] | (data[at + 1] << 8) | (data[at + 2] << 16) | (uint32_t(data[at + 3]) << 24)));
    };
    int64_t width = read32(18), height = read32(22);
    return width > 0 && height > 0 && width * height > (1 << 20);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (Huge(data, size))
        return 0;
    CBitmapImage image;
    image.LoadFromMemory({data, size});
    if (image.IsEmpty())
        return 0;
    size_t rows = CImage::RowBytes(image.GetWidth(), image.GetBitsPerPixel()) * size_t(image.GetHeight());
    if (image.GetPixels().size() < rows || image.IsCompressed())
        std::abort();
    if (image.GetBitsPerPixel() < 24 && image.GetPalette().size() != size_t(image.GetPaletteCount()) * 4)
        std::abort();
    image.ConvertFormat(PIXEL_FORMAT_RGBA);
    CTexture texture;
    texture.Upload(image);
    return 0;
}
