// CImage is the picture every texture starts from: sizes, a pixel format, an
// optional palette (4 bytes an entry: blue, green, red, reserved) and one
// block of pixel rows without padding between rows. The bitmap and Targa
// readers fill it; ConvertFormat turns it into the red-green-blue-alpha
// layout that the texture upload takes.
//
// Loading never throws and never reports: anything wrong with a file leaves
// an empty image (no pixels), which uploads as an empty texture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

enum PixelFormat : int32_t
{
    PIXEL_FORMAT_NONE = 0,
    PIXEL_FORMAT_RGB = 1,   // red, green, blue (24-bit)
    PIXEL_FORMAT_RGBA = 2,  // red, green, blue, alpha (32-bit)
    PIXEL_FORMAT_BGR = 3,   // blue, green, red, as bitmaps store it
    PIXEL_FORMAT_TARGA = 4, // blue, green, red (and alpha), as Targa files store it
};

class CImage
{
public:
    // Pictures larger than this on either side are refused: no texture the
    // game uses comes near it, and it bounds what a file can make us allocate.
    static constexpr int32_t kMaxSide = 8192;
    // Files larger than the largest picture plus generous room for headers
    // are not read at all.
    static constexpr size_t kMaxFileBytes = size_t(kMaxSide) * kMaxSide * 4 + (64u << 20);

    CImage() = default;
    virtual ~CImage() = default;
    CImage(const CImage&) = delete;
    CImage& operator=(const CImage&) = delete;
    CImage(CImage&&) = default;
    CImage& operator=(CImage&&) = default;

    // True while the pixels still hold run-length data (the readers decode
    // while loading, so this is false after any Load).
    virtual bool IsCompressed() const { return false; }
    // Replaces run-length pixels by the decoded picture; nothing otherwise.
    virtual void Decompress() {}
    // Reads the file at the native path and decodes it with LoadFromMemory,
    // naming the image after the file; a file that cannot be read, or that the
    // reader refuses, leaves an empty image.
    void Load(const std::string& path);
    // Decodes a whole file already in memory; the base class reads nothing.
    virtual void LoadFromMemory(std::span<const uint8_t> bytes) { (void)bytes; }
    // Writes the file; the base class does nothing and returns false.
    virtual bool Save(const std::string& path)
    {
        (void)path;
        return false;
    }

    // Converts pixels (or palette) from the current format to `target`; see
    // the table in Image.cpp. Nothing happens for equal formats, format 0, or
    // pairs without a conversion.
    void ConvertFormat(int32_t target);

    bool IsEmpty() const { return m_pixels.empty(); }
    const std::string& GetName() const { return m_name; }
    const std::string& GetTypeName() const { return m_typeName; }
    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    int32_t GetBitsPerPixel() const { return m_bitsPerPixel; }
    int32_t GetFormat() const { return m_format; }
    int32_t GetFileSize() const { return m_fileSize; }
    int32_t GetDataSize() const { return m_dataSize; }
    int32_t GetPaletteSize() const { return m_paletteSize; }
    int32_t GetPaletteCount() const { return m_paletteCount; }
    const std::vector<uint8_t>& GetPalette() const { return m_palette; }
    const std::vector<uint8_t>& GetPixels() const { return m_pixels; }

    // Bytes in one row of `width` pixels of `bits` each, rounded up: the
    // stride both readers use (no padding between rows).
    static size_t RowBytes(int32_t width, int32_t bits) { return (size_t(width) * size_t(bits) + 7) / 8; }

protected:
    // Height, width, file size, bits per pixel and data size become 0; the
    // pixels and the palette are freed.
    void ClearImage();
    // Forgets the picture and everything a reader kept of its file.
    virtual void Clear() { ClearImage(); }
    // Reads a whole file into `bytes`; false when it cannot be opened, read,
    // or is larger than kMaxFileBytes.
    static bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes);
    // The file name after the last '/' or '\\'.
    static std::string BaseName(const std::string& path);
    // Replaces the pixel block, adjusting data size and file size together.
    void ReplacePixels(std::vector<uint8_t> pixels);

    std::string m_name;
    std::string m_typeName;
    int32_t m_height = 0;
    int32_t m_width = 0;
    int32_t m_bitsPerPixel = 0;
    int32_t m_format = PIXEL_FORMAT_NONE;
    int32_t m_fileSize = 0;
    int32_t m_dataSize = 0;
    int32_t m_paletteSize = 0;
    int32_t m_paletteCount = 0;
    std::vector<uint8_t> m_palette;
    std::vector<uint8_t> m_pixels;

private:
    void SwapRedBlue();
    void AddAlpha();
    void DropAlpha();
};
