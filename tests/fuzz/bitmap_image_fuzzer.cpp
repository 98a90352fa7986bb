// Any bytes as a bitmap file: the reader and its run-length decoder must
// finish without reading or writing out of bounds, and leave either an empty
// image or one whose pixel block holds at least every row it describes;
// conversion and upload (to the null backend) must then work on it.
#include "gfx/BitmapImage.h"
#include "gfx/Texture.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size >= 26 && HugePicture(int32_t(LittleEndian(data, 18, 4)), int32_t(LittleEndian(data, 22, 4))))
        return 0;
    CBitmapImage image;
    image.LoadFromMemory({data, size});
    if (image.IsEmpty())
        return 0;
    size_t rows = CImage::RowBytes(image.GetWidth(), image.GetBitsPerPixel()) * size_t(image.GetHeight());
    Check(image.GetPixels().size() >= rows && !image.IsCompressed());
    Check(image.GetBitsPerPixel() >= 24 || image.GetPalette().size() == size_t(image.GetPaletteCount()) * 4);
    image.ConvertFormat(PIXEL_FORMAT_RGBA);
    CTexture texture;
    texture.Upload(image);
    return 0;
}
