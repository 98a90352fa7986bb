// The game screen: a new world with the local ship and a connection to the
// chosen server (client/game/GameSession.h), and then, frame by frame, the
// held keys to the server, the server's messages applied, the world advanced
// and drawn with the side panel, the HUD and the console (or the score
// screen while a round is over). The chat key opens the console line, which
// takes the typed characters; Escape returns to the main menu. Leaving the
// screen closes the connection, so every game starts with a fresh one.
#pragma once

#include "client/ClientContext.h"
#include "client/Screen.h"
#include "client/game/Console.h"
#include "client/game/FrameClock.h"
#include "client/game/GameFrame.h"
#include "client/game/GameKeys.h"
#include "client/game/GameSession.h"
#include "client/sound/GameSounds.h"

class CGameScreen : public CScreen
{
public:
    explicit CGameScreen(CClientContext& context);

    // Joins the server the context names.
    void Enter() override;
    void Leave() override;
    ScreenId Frame(const KeyActions& actions) override;
    ScreenId OnChar(char c) override;

    CGameSession& Session() { return m_session; }

private:
    CClientContext& m_context;
    CGameSession m_session;
    CConsole m_console;
    CGameFrames m_frames;
    CDisplayToggleKeys m_toggles;
    CFrameClock m_clock;
    CGameSounds m_sounds;
};
