#include "client/GameScreen.h"

#include "client/ClientState.h"
#include "client/Input.h"
#include "client/ScreenLoops.h"
#include "client/game/Console.h"
#include "client/game/GameFrame.h"
#include "client/game/GameKeys.h"
#include "client/game/GameView.h"
#include "client/game/SidePanel.h"
#include "common/MessageLog.h"
#include "game/Ship.h"
#include "game/World.h"
#include "net/Client.h"
#include "net/Message.h"
#include "platform/Clock.h"

#include <memory>

namespace
{
constexpr uint32_t kNetworkSliceMs = 10;
constexpr uint32_t kFpsPeriodMs = 1000;
constexpr int kConsoleLines = 5;

// The client's copy of the game: its world (owning the local ship) and the
// session that fills it.
struct GameSession
{
    std::unique_ptr<CGameWorld> world;

    // A new world with a new local ship, and a fresh session given that
    // world, not connected yet.
    void Start()
    {
        world = std::make_unique<CGameWorld>();
        auto* ship = new CShip;
        ship->SetName(g_playerName[0] ? g_playerName : "Player");
        ship->SetShipType(g_shipType);
        world->AddPlayer(ship);
        ship->SetLocal(true);
        CClient& client = CClient::Get();
        client.SetPort(g_options.port);
        client.Init();
        client.SetWorld(world.get());
        client.DoWork(kNetworkSliceMs);
    }

    // The session goes first: it refers to the world.
    void End()
    {
        CClient::Destroy();
        world.reset();
    }
};

// Frame counting for the FPS line, and the once-a-second ping.
struct FrameClock
{
    uint32_t previousTick = 1;
    // Now, not 0: the first frame's time would otherwise be the whole tick
    // count, and the world would be advanced by days at once.
    uint32_t currentTick = GetTickCount();
    int32_t frameTime = 0;
    uint32_t fpsUpdate = GetTickCount();
    int frames = 0;
    HudFigures hud;

    void EndFrame(CClient& client)
    {
        previousTick = currentTick;
        currentTick = GetTickCount();
        frameTime = static_cast<int32_t>(currentTick - previousTick);
        if (currentTick - fpsUpdate < kFpsPeriodMs)
            return;
        hud.fps = frames;
        frames = 0;
        fpsUpdate = currentTick;
        if (client.IsConnected())
            client.SendPing();
    }
};

void SendKeys(CClient& client, CGameWorld& world, const uint8_t (&actions)[kActionCount])
{
    std::vector<uint32_t> keys = BuildKeyList(actions);
    CShip* local = world.FirstPlayer();
    CMessage message;
    message.SetKeys(local ? local->GetId() : 0, keys.data(), static_cast<uint32_t>(keys.size()));
    client.Send(message);
}

std::unique_ptr<CSidePanel> NewSidePanel()
{
    auto panel = std::make_unique<CSidePanel>();
    panel->SetSize(CSidePanel::kWidth, static_cast<float>(g_windowHeight));
    return panel;
}
} // namespace

void RunGame()
{
    CMessageLog::GetConsoleLog().SetMaxLines(kConsoleLines);
    GameSession session;
    session.Start();
    CClient::Get().SelectServer(g_serverName);
    CClient::Get().Connect();
    CGameView view;
    view.SetWorld(session.world.get());
    std::unique_ptr<CSidePanel> panel = NewSidePanel();
    CDisplayToggleKeys toggles;
    FrameClock clock;
    bool roundOverSeen = false;
    while (StaysOn(SCREEN_GAME))
    {
        ++clock.frames;
        uint8_t actions[kActionCount];
        CInput::Get().PollActions(actions);
        if (actions[KEY_QUIT])
        {
            g_quit = true;
            break;
        }
        if (actions[KEY_CHAT])
            OpenConsoleLine();
        toggles.Apply(actions);
        if (actions[KEY_MENU])
        {
            g_screenState = SCREEN_MAIN_MENU;
            break;
        }
        CClient* client = &CClient::Get();
        SendKeys(*client, *session.world, actions);
        client->DoWork(kNetworkSliceMs);
        if (client->IsTerminated())
        {
            // The server ended the session: an unconnected session and world
            // stay, showing the console, until the player leaves.
            session.End();
            session.Start();
            view.SetWorld(session.world.get());
            client = &CClient::Get();
        }
        if (client->IsRoundOver())
        {
            clock.hud.ping = client->GetPing();
            DrawRoundOverFrame(*session.world, clock.hud);
            roundOverSeen = true;
        }
        else
        {
            if (roundOverSeen)
            {
                // A new map: the panel loads its pictures again.
                roundOverSeen = false;
                panel = NewSidePanel();
            }
            clock.hud.ping = client->GetPing();
            DrawGameFrame(view, *panel, client->IsConnected(), clock.frameTime, clock.hud);
        }
        clock.EndFrame(*client);
        toggles.Elapse(clock.frameTime);
        PumpWindowEvents();
    }
    // Leaving while a line was being typed ends the typing too, so the menus
    // get their keys (F9) back and the next game starts without the line.
    if (CInput::Get().IsTextMode())
        CloseConsoleLine();
    session.End();
}

void GameScreenChar(char c)
{
    TypeConsoleChar(c);
}
