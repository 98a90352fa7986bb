#include "gfx/Texture.h"

#include "gfx/BitmapImage.h"
#include "gfx/RenderBackend.h"
#include "gfx/TargaImage.h"
#include "gfx/TextureAtlas.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"

CTexture::~CTexture()
{
    if (m_glName != 0)
        GetRenderBackend().DeleteTexture(m_glName);
}

void CTexture::Upload(const CImage& image)
{
    size_t bytes = size_t(image.GetWidth()) * size_t(image.GetHeight()) * 4;
    bool usable = !image.IsEmpty() && image.GetFormat() == PIXEL_FORMAT_RGBA &&
                  image.GetBitsPerPixel() == 32 && image.GetWidth() > 0 && image.GetHeight() > 0 &&
                  image.GetPixels().size() >= bytes;
    if (usable)
        UploadPixels(image.GetWidth(), image.GetHeight(), image.GetPixels().data());
}

void CTexture::UploadPixels(int32_t width, int32_t height, const uint8_t* rgba)
{
    CRenderBackend& backend = GetRenderBackend();
    TextureUpload result = backend.UploadTexture(width, height, rgba);
    m_glName = result.name;
    if (result.error != 0)
        platform::ShowMessageBox(backend.ErrorText(result.error), "OpenGL Error (CTexture)");
}

TextureSource CTexture::Source() const
{
    if (m_atlasRegion)
        return {CTextureManager::Get().GetAtlas().GetGLName(), *m_atlasRegion};
    return {m_glName, {}};
}

void CTexture::Bind() const
{
    GetRenderBackend().BindTexture(m_glName);
}

void CTexture::Unbind()
{
    GetRenderBackend().BindTexture(0);
}

CTextureManager& CTextureManager::Get()
{
    static CTextureManager* manager = new CTextureManager;
    return *manager;
}

CTextureManager::CTextureManager() : m_atlas(std::make_unique<CTextureAtlas>()) {}

void CTextureManager::Clear()
{
    m_textures.clear();
    m_atlas->Clear();
}

CTexture* CTextureManager::GetTexture(const std::string& name)
{
    for (const std::unique_ptr<CTexture>& texture : m_textures)
        if (texture->GetName() == name)
            return texture.get();
    std::unique_ptr<CTexture> texture = Load(name);
    GetRenderBackend().GetError();
    m_textures.push_back(std::move(texture));
    return m_textures.back().get();
}

// Reads, converts and uploads one picture. The texture is named after the
// part of the path behind its last backslash, so a name with a folder part
// ("..\Maps\x.bmp") never matches its earlier copy and loads again.
std::unique_ptr<CTexture> CTextureManager::Load(const std::string& name) const
{
    std::string path = m_directory + "\\" + name;
    bool targa = name.size() >= 3 && name.compare(name.size() - 3, 3, "tga") == 0;
    std::unique_ptr<CImage> image;
    if (targa)
        image = std::make_unique<CTargaImage>();
    else
        image = std::make_unique<CBitmapImage>();
    image->Load(platform::DataPath(path));
    if (image->IsCompressed())
        image->Decompress();
    image->ConvertFormat(PIXEL_FORMAT_RGBA);
    auto texture = std::make_unique<CTexture>();
    texture->Upload(*image);
    if (texture->GetGLName() != 0)
        if (auto region = m_atlas->Place(image->GetWidth(), image->GetHeight(), image->GetPixels().data()))
            texture->SetAtlasRegion(*region);
    texture->SetName(path.substr(path.find_last_of('\\') + 1));
    return texture;
}
