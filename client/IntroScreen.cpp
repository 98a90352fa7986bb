// The intro: two captions of three seconds each, then the main menu. Any
// key that types a character, or Escape, ends it early (window procedure).
#include "client/ClientState.h"
#include "client/ScreenLoops.h"
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

void RunIntro()
{
    CGraphics& graphics = GetGraphics();
    bool started = false;
    uint32_t start = 0;
    while (StaysOn(SCREEN_INTRO))
    {
        if (PollQuitKey())
            break;
        PumpWindowEvents();
        graphics.BeginFrame();
        GetRenderBackend().SetTexturing(true);
        GetRenderBackend().SetColour({1, 1, 1, 1});
        if (!started)
            start = GetTickCount(), started = true;
        if (!DrawIntroFrame(GetTickCount() - start))
            g_screenState = SCREEN_MAIN_MENU;
        graphics.EndFrame();
    }
}
