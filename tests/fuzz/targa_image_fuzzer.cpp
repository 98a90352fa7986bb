// Any bytes as a Targa file: the reader must finish without reading or
// writing out of bounds, and leave either an empty image or one whose pixel
// block holds exactly the picture it describes; conversion and upload (to the
// null backend) must then work on it.
#include "gfx/TargaImage.h"
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
    if (size < 16)
        return false;
    uint32_t width = data[12] | (data[13] << 8), height = data[14] | (data[15] << 8);
    return uint64_t(width) * height > (1u << 20);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (Huge(data, size))
        return 0;
    CTargaImage image;
    image.LoadFromMemory({data, size});
    if (image.IsEmpty())
        return 0;
    size_t picture =
        size_t(image.GetWidth()) * size_t(image.GetHeight()) * size_t(image.GetBitsPerPixel() / 8);
    if (image.GetPixels().size() != picture || size_t(image.GetDataSize()) != picture || image.IsCompressed())
        std::abort();
    image.ConvertFormat(PIXEL_FORMAT_RGBA);
    if (image.GetBitsPerPixel() != 32 ||
        image.GetPixels().size() != size_t(image.GetWidth()) * size_t(image.GetHeight()) * 4)
        std::abort();
    CTexture texture;
    texture.Upload(image);
    return 0;
}
