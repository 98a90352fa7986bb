#include "gfx/Graphics.h"

#include "gfx/RenderBackend.h"
#include "platform/Files.h"

CGraphics::CGraphics() : m_textures(CTextureManager::Get())
{
    m_textures.SetDirectory(platform::kGraphicsFolder);
}

void CGraphics::Attach(platform::CWindow* window)
{
    if (!m_display)
        return;
    m_display->AttachWindow(window);
    // The context made while attaching is replaced by a fresh one, as the
    // window set-up has always done; its result is reported by the display.
    m_display->CreateContext();
    m_display->MakeCurrent();
    GetRenderBackend().SetBlending(true);
    m_display->ReleaseCurrent();
}

void CGraphics::SetView(const Viewport& pixels, float unitsWide, float unitsHigh, float pixelsPerUnit)
{
    if (!m_display)
        return;
    m_display->MakeCurrent();
    CRenderBackend& backend = GetRenderBackend();
    backend.SetViewport(pixels.x, pixels.y, pixels.width, pixels.height);
    backend.SetLineScale(pixelsPerUnit);
    m_display->SetProjection(unitsWide, unitsHigh);
    m_display->ReleaseCurrent();
}

void CGraphics::BeginFrame()
{
    if (!m_display)
        return;
    m_display->MakeCurrent();
    GetRenderBackend().Clear({0, 0, 0, 0});
}

void CGraphics::EndFrame()
{
    if (!m_display)
        return;
    GetRenderBackend().Flush();
    m_display->Swap();
    m_display->ReleaseCurrent();
}

void CGraphics::Shutdown()
{
    if (!m_display)
        return;
    m_display->RestoreMode();
    m_display = nullptr;
}

CGraphics& GetGraphics()
{
    static CGraphics* graphics = new CGraphics;
    return *graphics;
}
