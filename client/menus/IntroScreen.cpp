#include "client/menus/IntroScreen.h"

#include "gfx/Graphics.h"
#include "gfx/RenderBackend.h"
#include "platform/Clock.h"

#include <cstring>

namespace
{
constexpr uint32_t kPhaseMs = 3000;

// Centred: each character is 10 units wide.
void DrawCentredLine(const char* text, float y)
{
    DrawText(GetGraphics(), -5.0f * static_cast<float>(std::strlen(text)), y, "%s", text);
}

// One intro frame for `elapsed` ms; false once the intro is over.
bool DrawIntroFrame(uint32_t elapsed)
{
    if (elapsed < kPhaseMs)
    {
        DrawCentredLine("Tessaloon", 20);
        DrawCentredLine("presents", -20);
        return true;
    }
    if (elapsed < 2 * kPhaseMs)
    {
        DrawCentredLine("a", 20);
        DrawCentredLine("Brindlecap", 0);
        DrawCentredLine("production", -20);
        return true;
    }
    return false;
}
} // namespace

void CIntroScreen::Enter()
{
    m_start = GetTickCount();
}

ScreenId CIntroScreen::Frame(const KeyActions&)
{
    CGraphics& graphics = GetGraphics();
    graphics.BeginFrame();
    GetRenderBackend().SetTexturing(true);
    GetRenderBackend().SetColour({1, 1, 1, 1});
    bool showing = DrawIntroFrame(GetTickCount() - m_start);
    graphics.EndFrame();
    return showing ? Id() : ScreenId::MainMenu;
}

uint32_t CIntroScreen::RestMs() const
{
    const uint32_t elapsed = GetTickCount() - m_start;
    return kPhaseMs - elapsed % kPhaseMs;
}
