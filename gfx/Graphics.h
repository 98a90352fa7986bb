// CGraphics is the renderer object every screen and game object draws
// through: its texture access and its text drawing, and, in the client, the
// frame operations on the display (attach, resize, begin and end a frame).
// The server gives it no display, so it only ever asks for textures (which
// its null backend never makes).
#pragma once

#include "gfx/Display.h"
#include "gfx/Texture.h"

#include <cstdint>

// A box of the window's drawable, in pixels from its lower left corner.
struct Viewport
{
    int32_t x = 0, y = 0, width = 0, height = 0;
};

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

    // Client frame operations. Without a display they do nothing.
    // The display to draw on; the caller keeps it alive (nullptr: none).
    void SetDisplay(CDisplay* display) { m_display = display; }
    CDisplay* GetDisplay() const { return m_display; }
    // Attaches the display to the window, makes its context once more and
    // turns blending on.
    void Attach(platform::CWindow* window);
    // Draws into `pixels` of the window, which shows `unitsWide` x
    // `unitsHigh` drawing units with (0, 0) at the centre; lines and points
    // are drawn `pixelsPerUnit` wide (at least one pixel).
    void SetView(const Viewport& pixels, float unitsWide, float unitsHigh, float pixelsPerUnit);
    // Keeps what is drawn next to the right of `left`, a view unit's x, in
    // the window's pixels: from the first pixel whose centre lies at or right
    // of it, as a filled rectangle's edge there covers them.
    void ClipLeftOf(float left);
    // Draws everywhere again.
    void ClearClip();
    // Makes the context current and clears to black.
    void BeginFrame();
    // Swaps the buffers and releases the context.
    void EndFrame();
    // What destroying the design's renderer does: the display mode is put
    // back and the display is let go.
    void Shutdown();

private:
    CTextureManager& m_textures;
    CDisplay* m_display = nullptr;
    // The view as SetView last gave it.
    Viewport m_viewPixels{0, 0, 1024, 768};
    float m_unitsWide = 1024;
};

// The renderer of the process, created on first use.
CGraphics& GetGraphics();

// Draws printf-formatted text with the bitmap font "Font2.tga" (see Text.h).
void DrawText(CGraphics& graphics, float x, float y, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
