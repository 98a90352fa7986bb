#include "client/game/GameFrame.h"

#include "client/game/Console.h"
#include "client/game/GameView.h"
#include "client/game/RoundOverScreen.h"
#include "client/game/SidePanel.h"
#include "game/ClientAdvance.h"
#include "game/Map.h"
#include "game/World.h"
#include "gfx/Graphics.h"
#include "gfx/RenderBackend.h"
#include "net/Client.h"

namespace
{
constexpr size_t kMapNameSize = 128;
constexpr RenderColour kWhite{1, 1, 1, 1};
constexpr RenderColour kGreen{0, 1, 0, 1};

void DrawHud(const ViewSize& viewSize, const HudFigures& hud)
{
    CRenderBackend& backend = GetRenderBackend();
    backend.SetTexturing(true);
    backend.SetColour(kWhite);
    float x = static_cast<float>(viewSize.width / 2 - 100);
    DrawText(GetGraphics(), x, static_cast<float>(viewSize.height / 2 - 20), "FPS: %d", hud.fps);
    DrawText(GetGraphics(), x, static_cast<float>(viewSize.height / 2 - 36), "Ping: %d", hud.ping);
    DrawConsole(static_cast<float>(-(viewSize.width / 2) + 210), static_cast<float>(-(viewSize.height / 2)));
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

void DrawWorldAndPanel(const ViewSize& viewSize, CGameView& view, CSidePanel& panel, int32_t frameTimeMs)
{
    CGameWorld& world = *view.GetWorld();
    const int32_t panelX = -(viewSize.width / 2) + 100;
    panel.SetSize(CSidePanel::kWidth, static_cast<float>(viewSize.height));
    if (CMap* map = world.GetMap())
    {
        AdvanceClientWorld(world, frameTimeMs);
        view.SetViewSize(viewSize.width, viewSize.height);
        view.UpdateCamera();
        // The panel covers the world's left edge; what it covers is never drawn.
        GetGraphics().ClipLeftOf(panel.ClipEdge(panelX));
        view.DrawWorld();
        GetGraphics().ClearClip();
        LoadPanelPictures(panel, *map);
    }
    panel.SetWorld(&world);
    panel.Draw(panelX, 0);
}
} // namespace

void DrawGameFrame(const ViewSize& viewSize, CGameView& view, CSidePanel& panel, bool connected,
                   int32_t frameTimeMs, const HudFigures& hud)
{
    GetGraphics().BeginFrame();
    if (connected && view.GetWorld())
        DrawWorldAndPanel(viewSize, view, panel, frameTimeMs);
    else
    {
        panel.ClearTextures();
        panel.SetWorld(nullptr);
    }
    DrawHud(viewSize, hud);
    GetGraphics().EndFrame();
}

void DrawRoundOverFrame(const ViewSize& viewSize, CGameWorld& world, const HudFigures& hud)
{
    GetGraphics().BeginFrame();
    CRenderBackend& backend = GetRenderBackend();
    backend.SetTexturing(true);
    backend.SetColour(kGreen);
    DrawRoundOver(world);
    DrawHud(viewSize, hud);
    GetGraphics().EndFrame();
}

CGameFrames::CGameFrames() : m_panel(std::make_unique<CSidePanel>()) {}

CGameFrames::~CGameFrames() = default;

void CGameFrames::SetWorld(CGameWorld* world)
{
    m_view.SetWorld(world);
}

void CGameFrames::StartGame(CGameWorld* world)
{
    m_view.SetWorld(world);
    m_panel = std::make_unique<CSidePanel>();
    m_roundOverSeen = false;
}

void CGameFrames::Draw(const CClient& session, const ViewSize& viewSize, int32_t frameTimeMs, int fps)
{
    const HudFigures hud{fps, session.GetPing()};
    if (session.IsRoundOver() && m_view.GetWorld())
    {
        DrawRoundOverFrame(viewSize, *m_view.GetWorld(), hud);
        m_roundOverSeen = true;
        return;
    }
    if (m_roundOverSeen)
    {
        // A new map: the panel loads its pictures again.
        m_roundOverSeen = false;
        m_panel = std::make_unique<CSidePanel>();
    }
    DrawGameFrame(viewSize, m_view, *m_panel, session.IsConnected(), frameTimeMs, hud);
}
