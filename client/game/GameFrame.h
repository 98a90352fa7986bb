// One frame of the game screen: the world around the local ship with the
// side panel (or, while a round is over, the score screen), then the HUD
// (frames per second, ping) and the console, laid out for the view's size
// (see client/ViewLayout.h).
// The game screen draws through CGameFrames, the frame-time benchmark
// through the functions beneath it.
#pragma once

#include "client/ViewLayout.h"
#include "client/game/GameView.h"

#include <cstdint>
#include <memory>

class CClient;
class CGameWorld;
class CSidePanel;

// What the HUD shows.
struct HudFigures
{
    int fps = 0;
    int ping = 0;
};

// What the game screen shows of its world each frame: the view and the
// panel while a round runs, the score screen while it is over.
class CGameFrames
{
public:
    CGameFrames();
    ~CGameFrames();

    // The world to show, from now on; a new game also gets a new panel.
    void SetWorld(CGameWorld* world);
    void StartGame(CGameWorld* world);
    // The frame for what `session` reports: connected, the round over, the
    // ping.
    void Draw(const CClient& session, const ViewSize& viewSize, int32_t frameTimeMs, int fps);

private:
    CGameView m_view;
    std::unique_ptr<CSidePanel> m_panel;
    bool m_roundOverSeen = false;
};

// Advances the world by `frameTimeMs` and draws the view and the panel when
// connected with a map; the HUD and the console always. Begins and ends the
// frame.
void DrawGameFrame(const ViewSize& viewSize, CGameView& view, CSidePanel& panel, bool connected,
                   int32_t frameTimeMs, const HudFigures& hud);
// The score screen of a finished round, the HUD and the console.
void DrawRoundOverFrame(const ViewSize& viewSize, CGameWorld& world, const HudFigures& hud);
