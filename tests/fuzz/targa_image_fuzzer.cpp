// Any bytes as a Targa file: the reader must finish without reading or
// writing out of bounds, and leave either an empty image or one whose pixel
// block holds exactly the picture it describes; conversion and upload (to the
// null backend) must then work on it.
#include "gfx/TargaImage.h"
#include "gfx/Texture.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size >= 16 && HugePicture(LittleEndian(data, 12, 2), LittleEndian(data, 14, 2)))
        return 0;
    CTargaImage image;
    image.LoadFromMemory({data, size});
    if (image.IsEmpty())
        return 0;
    size_t pixels = size_t(image.GetWidth()) * size_t(image.GetHeight());
    size_t picture = pixels * size_t(image.GetBitsPerPixel() / 8);
    Check(image.GetPixels().size() == picture && size_t(image.GetDataSize()) == picture &&
          !image.IsCompressed());
    image.ConvertFormat(PIXEL_FORMAT_RGBA);
    Check(image.GetBitsPerPixel() == 32 && image.GetPixels().size() == pixels * 4);
    CTexture texture;
    texture.Upload(image);
    return 0;
}
