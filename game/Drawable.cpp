#include "game/Drawable.h"

#include "gfx/Graphics.h"
#include "gfx/RenderBackend.h"

#include <algorithm>

DrawToggles& GetDrawToggles()
{
    static DrawToggles toggles;
    return toggles;
}

void CDrawable::AddTexture(CTexture* texture)
{
    if (std::find(m_textures.begin(), m_textures.end(), texture) == m_textures.end())
        m_textures.push_back(texture);
}

bool CDrawable::CheckGraphicsError()
{
    m_lastError = GetRenderBackend().GetError();
    return m_lastError == 0;
}

bool CDrawable::AddTextureByName(const char* name)
{
    AddTexture(GetGraphics().GetTexture(name));
    return CheckGraphicsError();
}

bool CDrawable::AddTexturesByName(std::span<const char* const> names)
{
    bool ok = true;
    for (const char* name : names)
        ok = AddTextureByName(name) && ok;
    return ok;
}
