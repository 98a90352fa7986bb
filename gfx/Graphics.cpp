#include "gfx/Graphics.h"

CGraphics::CGraphics() : m_textures(CTextureManager::Get())
{
    m_textures.SetDirectory("Graphics");
}

CGraphics& GetGraphics()
{
    static CGraphics* graphics = new CGraphics;
    return *graphics;
}
