// CDrawable is the root of everything that draws with textures: game objects
// and the client's menu screens. It keeps references to the textures it uses;
// the textures themselves belong to the texture cache.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class CTexture;

// Client drawing switches shared by every object's Draw.
struct DrawToggles
{
    bool outlines = false; // collision outlines in red
    bool names = true;     // other players' names above their ships
};
DrawToggles& GetDrawToggles();

class CDrawable
{
public:
    virtual ~CDrawable() = default;

    // Fetches the textures this thing draws with from the texture cache,
    // before its first Draw. True when the graphics library reported no error.
    virtual bool LoadTextures() { return true; }
    // Draws this thing for one frame, with the view point at (viewX, viewY)
    // world units.
    virtual bool Draw(int32_t viewX, int32_t viewY) = 0;

    // Adds a texture unless it is already there.
    void AddTexture(CTexture* texture);
    CTexture* GetTexture(size_t index) const
    {
        return index < m_textures.size() ? m_textures[index] : nullptr;
    }
    int32_t GetTextureCount() const { return static_cast<int32_t>(m_textures.size()); }
    // Forgets every texture reference (the cache keeps the textures).
    void ClearTextures() { m_textures.clear(); }
    uint32_t GetLastError() const { return m_lastError; }

protected:
    // Reads the graphics library's pending error into the last error; true
    // when there was none.
    bool CheckGraphicsError();
    // Fetches a picture by name from the texture cache and adds it.
    bool AddTextureByName(const char* name);
    // Adds every picture in order, so that index i draws names[i]; true when
    // all of them loaded without a graphics error.
    bool AddTexturesByName(std::span<const char* const> names);

private:
    uint32_t m_lastError = 0;
    std::vector<CTexture*> m_textures;
};
