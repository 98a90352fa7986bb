// CBitmapImage reads and writes Windows bitmap files (".bmp"): the 14-byte
// file header, the 40-byte information header, an optional palette and the
// pixel rows, bottom row first as the file stores them. Rows are taken as
// exactly RowBytes(width, bits) bytes: the 4-byte row padding of the format
// is not skipped, so only pictures whose rows need none come out straight.
// Run-length files (8-bit and 4-bit) are decoded while loading.
#pragma once

#include "gfx/Image.h"

#include <array>

namespace platform
{
class ByteReader;
}

class CBitmapImage : public CImage
{
public:
    // The information header fields, as the format lays them out.
    struct InfoHeader
    {
        uint32_t size = 0;
        int32_t width = 0;
        int32_t height = 0;
        uint16_t planes = 0;
        uint16_t bitsPerPixel = 0;
        uint32_t compression = 0;
        uint32_t imageSize = 0;
        int32_t xPelsPerMeter = 0;
        int32_t yPelsPerMeter = 0;
        uint32_t coloursUsed = 0;
        uint32_t coloursImportant = 0;
    };

    CBitmapImage() { m_typeName = "BMP"; }

    // True while the pixels hold run-length data.
    bool IsCompressed() const override { return m_info.compression != 0; }
    void Decompress() override;
    // Writes an uncompressed file with 40-byte information header. The image
    // is converted to format 3 for writing and back once every write worked.
    bool Save(const std::string& path) override;
    // The reader on bytes already in memory (used by Load and by tests).
    void LoadFromMemory(std::span<const uint8_t> bytes) override;

    // The compression value of the file as loaded (0, 1 or 2).
    int32_t GetCompression() const { return m_compression; }
    const InfoHeader& GetInfoHeader() const { return m_info; }

private:
    void Clear() override;
    bool ReadHeaders(platform::ByteReader& reader);
    bool HeadersUsable() const;
    bool ReadPalette(platform::ByteReader& reader);
    bool ReadPixels(platform::ByteReader& reader);
    std::vector<uint8_t> BuildHeaders() const;

    int32_t m_compression = 0;
    uint16_t m_fileType = 0;
    uint32_t m_fileHeaderSize = 0;
    uint32_t m_pixelOffset = 0;
    InfoHeader m_info;
};
