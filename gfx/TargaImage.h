// CTargaImage reads Truevision Targa files (".tga"): true-colour pictures of
// 24 or 32 bits, uncompressed (image type 2) or run-length encoded (type 10),
// with or without the version 2 footer. The pixels stay in the file's blue,
// green, red (alpha) order (format 4) until ConvertFormat.
//
// Row order: the rows are reversed unless bit 4 (0x10) of the image
// descriptor is set. So a file stored bottom row first (descriptor 0x00 or
// 0x08) comes out top row first, and one stored top row first (0x20, 0x28)
// comes out bottom row first; only 0x10 keeps the file's order. The game's
// pictures are stored with this in mind (see tools/artgen).
//
// Anything else (other image types or depths, sizes of 0 or above kMaxSide,
// blocks that run past the end of the file) leaves an empty image.
#pragma once

#include "gfx/Image.h"

namespace platform
{
class ByteReader;
}

class CTargaImage : public CImage
{
public:
    static constexpr uint8_t kTypeTrueColour = 2;
    static constexpr uint8_t kTypeTrueColourRle = 10;
    static constexpr uint8_t kKeepRowOrder = 0x10;

    CTargaImage() { m_typeName = "TGA"; }

    bool IsCompressed() const override { return m_compressed; }
    // Run-length decodes the pixel block (the reader does this itself).
    void Decompress() override;
    // Targa files are only read; this does nothing and returns false.
    bool Save(const std::string& path) override
    {
        (void)path;
        return false;
    }
    // The reader on bytes already in memory (used by Load and by tests).
    void LoadFromMemory(std::span<const uint8_t> bytes) override;

    uint8_t GetImageType() const { return m_imageType; }
    uint8_t GetImageDescriptor() const { return m_imageDescriptor; }
    const std::vector<uint8_t>& GetImageId() const { return m_imageId; }
    uint32_t GetExtensionOffset() const { return m_extensionOffset; }
    uint32_t GetDeveloperOffset() const { return m_developerOffset; }

private:
    void Clear() override;
    void ReadFooter(std::span<const uint8_t> bytes);
    bool ReadHeader(platform::ByteReader& reader);
    bool HeaderUsable() const;
    bool ReadPixelBlock(platform::ByteReader& reader, std::span<const uint8_t> bytes);
    void ReverseRows();
    size_t PictureBytes() const;

    uint8_t m_idLength = 0;
    uint8_t m_colourMapType = 0;
    uint8_t m_imageType = 0;
    int16_t m_colourMapFirst = 0;
    uint16_t m_colourMapLength = 0;
    uint8_t m_colourMapEntrySize = 0;
    int16_t m_xOrigin = 0;
    int16_t m_yOrigin = 0;
    uint8_t m_imageDescriptor = 0;
    std::vector<uint8_t> m_imageId;
    uint32_t m_extensionOffset = 0;
    uint32_t m_developerOffset = 0;
    bool m_compressed = false;
    bool m_hasFooter = false;
};

// Run-length decoding of a Targa pixel block: packets of a header byte h and
// (h & 0x7F) + 1 pixels, one repeated value when h & 0x80, else literal
// values. The output has `outputBytes` bytes (zero where the input ran out);
// decoding stops at the end of the input or of the output.
std::vector<uint8_t> DecodeTargaRle(std::span<const uint8_t> input, size_t outputBytes, size_t bytesPerPixel);
