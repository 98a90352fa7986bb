#include "client/game/GameFrame.h"

#include "client/ClientState.h"
#include "client/game/Console.h"
#include "client/game/GameView.h"
#include "client/game/RoundOverScreen.h"
#include "client/game/SidePanel.h"
#include "game/ClientAdvance.h"
#include "game/Map.h"
#include "game/World.h"
#include "gfx/Graphics.h"
#include "gfx/RenderBackend.h"

namespace
{
constexpr size_t kMapNameSize = 128;
constexpr RenderColour kWhite{1, 1, 1, 1};
constexpr RenderColour kGreen{0, 1, 0, 1};

void DrawHud(const HudFigures& hud)
{
    CRenderBackend& backend = GetRenderBackend();
    backend.SetTexturing(true);
    backend.SetColour(kWhite);
    float x = static_cast<float>(g_windowWidth / 2 - 100);
    DrawText(GetGraphics(), x, static_cast<float>(g_windowHeight / 2 - 20), "FPS: %d", hud.fps);
    DrawText(GetGraphics(), x, static_cast<float>(g_windowHeight / 2 - 36), "Ping: %d", hud.ping);
    DrawConsole(static_cast<float>(-(g_windowWidth / 2) + 210), static_cast<float>(-(g_windowHeight / 2)));
}

// The panel loads the pictures of the map it shows once the map is known.
void LoadPanelPictures(CSidePanel& panel, const CMap& map)
{
    if (panel.HasTextures())
        return;
    char mapName[kMapNameSize];
    map.GetName(mapName, sizeof mapName);
    panel.SetMapName(mapName);
    panel.LoadTextures();
}

void DrawWorldAndPanel(CGameView& view, CSidePanel& panel, int32_t frameTimeMs)
{
    CGameWorld& world = *view.GetWorld();
    if (CMap* map = world.GetMap())
    {
        AdvanceClientWorld(world, frameTimeMs);
        view.SetViewSize(g_windowWidth, g_windowHeight);
        view.UpdateCamera();
        view.DrawWorld();
        LoadPanelPictures(panel, *map);
    }
    panel.SetWorld(&world);
    panel.SetSize(CSidePanel::kWidth, static_cast<float>(g_windowHeight));
    panel.Draw(-(g_windowWidth / 2) + 100, 0);
}
} // namespace

void DrawGameFrame(CGameView& view, CSidePanel& panel, bool connected, int32_t frameTimeMs,
                   const HudFigures& hud)
{
    GetGraphics().BeginFrame();
    if (connected && view.GetWorld())
        DrawWorldAndPanel(view, panel, frameTimeMs);
    else
    {
        panel.ClearTextures();
        panel.SetWorld(nullptr);
    }
    DrawHud(hud);
    GetGraphics().EndFrame();
}

void DrawRoundOverFrame(CGameWorld& world, const HudFigures& hud)
{
    GetGraphics().BeginFrame();
    CRenderBackend& backend = GetRenderBackend();
    backend.SetTexturing(true);
    backend.SetColour(kGreen);
    DrawRoundOver(world);
    DrawHud(hud);
    GetGraphics().EndFrame();
}
