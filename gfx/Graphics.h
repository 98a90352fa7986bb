// CGraphics is the renderer object every screen and game object draws
// through: here its texture access and its text drawing. The client adds its
// display, frame and world drawing to the same object; the server only ever
// asks it for textures (which its null backend never makes).
#pragma once

#include "gfx/Texture.h"

class CGraphics
{
public:
    // The texture cache's folder is set to "Graphics" when this is created.
    CGraphics();
    CGraphics(const CGraphics&) = delete;
    CGraphics& operator=(const CGraphics&) = delete;

    // The cached texture for a picture file name (see CTextureManager).
    CTexture* GetTexture(const std::string& name) { return m_textures.GetTexture(name); }
    CTextureManager& GetTextureManager() { return m_textures; }

private:
    CTextureManager& m_textures;
};

// The renderer of the process, created on first use.
CGraphics& GetGraphics();

// Draws printf-formatted text with the bitmap font "Font2.tga" (see Text.h).
void DrawText(CGraphics& graphics, float x, float y, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
