// Textures and the process-wide texture cache. Everything the game draws with
// a picture asks the cache for a texture by file name ("mine.tga"). The first
// request reads the file from the cache's folder ("Graphics") with the Targa
// reader when the name ends in lower-case "tga" and with the bitmap reader
// otherwise, converts it to RGBA and uploads it; the CTexture then lives in
// the cache until the process ends, and later requests for the same name
// (compared exactly, case included) get the same object. A file that cannot
// be read still leaves a cached, empty texture (name 0), so it is not tried
// again; drawing with it draws untextured. Every small picture is also
// placed on the cache's atlas page (see TextureAtlas.h), which game objects
// draw from.
#pragma once

#include "gfx/Image.h"
#include "platform/Files.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CTextureAtlas;

// A box of a texture in texture coordinates: u0, v0 at the picture's first
// texel, u1, v1 past its last.
struct TextureRegion
{
    float u0 = 0, v0 = 0, u1 = 1, v1 = 1;
    float U(float u) const { return u0 + u * (u1 - u0); }
    float V(float v) const { return v0 + v * (v1 - v0); }
};

// Where to draw a picture from: a texture name and the picture's box in it.
struct TextureSource
{
    uint32_t name = 0;
    TextureRegion region;
};

class CTexture
{
public:
    CTexture() = default;
    // Deletes the uploaded texture, if any.
    virtual ~CTexture();
    CTexture(const CTexture&) = delete;
    CTexture& operator=(const CTexture&) = delete;

    // Uploads a 32-bit RGBA image. Anything else (an empty image, another
    // depth) is not uploaded and leaves the texture empty. An error from the
    // graphics library is shown as a message box captioned
    // "OpenGL Error (CTexture)"; the texture is kept either way.
    void Upload(const CImage& image);
    // The same for `width` x `height` RGBA bytes.
    void UploadPixels(int32_t width, int32_t height, const uint8_t* rgba);
    void Bind() const;
    static void Unbind();

    void SetName(std::string name) { m_name = std::move(name); }
    const std::string& GetName() const { return m_name; }
    // Length of the name with its terminating NUL, as the game counts it.
    int32_t GetNameLength() const { return static_cast<int32_t>(m_name.size() + 1); }
    // The graphics library's name for the texture; 0 when nothing was uploaded.
    uint32_t GetGLName() const { return m_glName; }
    // The picture's place on the shared atlas page, if it has one.
    void SetAtlasRegion(const TextureRegion& region) { m_atlasRegion = region; }
    const std::optional<TextureRegion>& GetAtlasRegion() const { return m_atlasRegion; }
    // Where batched drawing takes the picture from: the atlas page when the
    // picture is on it, else its own texture as a whole.
    TextureSource Source() const;

private:
    std::string m_name;
    uint32_t m_glName = 0;
    std::optional<TextureRegion> m_atlasRegion;
};

class CTextureManager
{
public:
    // The cache of the process, created on first use and never destroyed.
    static CTextureManager& Get();

    // The cached texture for `name`, loading it on the first request.
    CTexture* GetTexture(const std::string& name);
    void SetDirectory(std::string directory) { m_directory = std::move(directory); }
    const std::string& GetDirectory() const { return m_directory; }
    int32_t GetCount() const { return static_cast<int32_t>(m_textures.size()); }
    // Deletes every texture. Only for tests and for a renderer being torn
    // down: the game itself keeps its textures for the whole run.
    void Clear();
    // The page every small picture is also placed on.
    CTextureAtlas& GetAtlas() { return *m_atlas; }

private:
    CTextureManager();
    std::unique_ptr<CTexture> Load(const std::string& name) const;

    std::vector<std::unique_ptr<CTexture>> m_textures;
    std::string m_directory = platform::kGraphicsFolder;
    std::unique_ptr<CTextureAtlas> m_atlas;
};
