// One frame of the game screen: the world around the local ship with the
// side panel (or, while a round is over, the score screen), then the HUD
// (frames per second, ping) and the console. The game loop and the
// frame-time benchmark draw through these.
#pragma once

#include <cstdint>

class CGameView;
class CGameWorld;
class CSidePanel;

// What the HUD shows.
struct HudFigures
{
    int fps = 0;
    int ping = 0;
};

// Advances the world by `frameTimeMs` and draws the view and the panel when
// connected with a map; the HUD and the console always. Begins and ends the
// frame.
void DrawGameFrame(CGameView& view, CSidePanel& panel, bool connected, int32_t frameTimeMs,
                   const HudFigures& hud);
// The score screen of a finished round, the HUD and the console.
void DrawRoundOverFrame(CGameWorld& world, const HudFigures& hud);
