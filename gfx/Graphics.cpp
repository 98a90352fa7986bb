#include "gfx/Graphics.h"

#include "gfx/RenderBackend.h"
#include "platform/Files.h"

#include <algorithm>
#include <cmath>

namespace
{
// Far past any window's size, and small enough to add up without overflow.
constexpr double kFarAway = 1 << 20;
} // namespace

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
    m_viewPixels = pixels;
    m_unitsWide = unitsWide;
    if (!m_display)
        return;
    m_display->MakeCurrent();
    CRenderBackend& backend = GetRenderBackend();
    backend.SetViewport(pixels.x, pixels.y, pixels.width, pixels.height);
    backend.SetLineScale(pixelsPerUnit);
    m_display->SetProjection(unitsWide, unitsHigh);
    m_display->ReleaseCurrent();
}

void CGraphics::ClipLeftOf(float left)
{
    // The view's x from its centre, in pixels from the window's left edge.
    const double scale = m_unitsWide > 0 ? m_viewPixels.width / static_cast<double>(m_unitsWide) : 1;
    const double edge = m_viewPixels.x + (left + m_unitsWide / 2.0) * scale;
    const auto first = static_cast<int32_t>(std::clamp(std::ceil(edge - 0.5), -kFarAway, kFarAway));
    // Up, down and to the right the box reaches past anything the window shows.
    const PixelBox box{first, static_cast<int32_t>(-kFarAway), static_cast<int32_t>(2 * kFarAway),
                       static_cast<int32_t>(2 * kFarAway)};
    GetRenderBackend().SetClip(&box);
}

void CGraphics::ClearClip()
{
    GetRenderBackend().SetClip(nullptr);
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
