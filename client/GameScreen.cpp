#include "client/GameScreen.h"

#include "client/ClientState.h"
#include "client/ScreenLoops.h"
#include "gfx/Graphics.h"

// Until the game view exists the game screen shows an empty frame, and
// Escape (through the window procedure) leads back to the main menu.
void RunGame()
{
    while (StaysOn(SCREEN_GAME))
    {
        if (PollQuitKey())
            break;
        PumpWindowEvents();
        GetGraphics().BeginFrame();
        GetGraphics().EndFrame();
    }
}

void GameScreenChar(char)
{
}
