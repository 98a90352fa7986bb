#include "client/ScreenLoops.h"

#include "client/ClientState.h"
#include "client/GameScreen.h"
#include "client/Input.h"
#include "client/TypedText.h"
#include "client/WindowProc.h"
#include "client/menus/AddressEntry.h"
#include "client/menus/CreditsScreen.h"
#include "client/menus/InstructionsScreen.h"
#include "client/menus/MainMenu.h"
#include "client/menus/OptionsMenu.h"
#include "client/menus/ServerBrowser.h"
#include "net/Client.h"
#include "platform/sdl/Window.h"

#include <algorithm>

namespace
{
constexpr uint32_t kNetworkSliceMs = 10;

// The common menu loop; `usesNetwork` gives the session its time slice.
void RunMenu(int state, CMenuScreen& screen, bool usesNetwork)
{
    while (StaysOn(state))
    {
        if (usesNetwork)
            CClient::Get().DoWork(kNetworkSliceMs);
        if (PollQuitKey())
            break;
        PumpWindowEvents();
        // Every frame, so a resized window lays the screen out again.
        screen.SetSize(static_cast<float>(g_windowWidth), static_cast<float>(g_windowHeight));
        screen.Draw(0, 0);
    }
}

// The search of the browser's first frame; a failed search leaves the list
// empty, which shows "No Servers Found...".
void SearchForServers(bool internet)
{
    char address[kMaxTypedLength + 1] = {};
    if (internet)
        CAddressEntry::Get().GetText(address, sizeof address);
    try
    {
        CClient::Get().EnumHosts(address);
    }
    catch (const CSearchError&)
    {
    }
}

void FillServerList(CServerBrowser& browser)
{
    CClient& client = CClient::Get();
    client.ResetHostCursor();
    char name[kServerNameSize];
    uint32_t limit = 0, count = 0;
    while (client.NextHost(name, sizeof name, limit, count))
        browser.AddServer(name, static_cast<int32_t>(limit), static_cast<int32_t>(count));
}
// --connect: the first server found is picked as if with carriage return;
// with none, the browser stays and says so.
void JoinFirstServerIfAsked(const CServerBrowser& browser)
{
    if (!g_joinFirstServer)
        return;
    g_joinFirstServer = false;
    if (browser.HasServers())
        ClientWndProc({platform::WindowEvent::Type::Char, 0, 0, 0, platform::kCharReturn});
}
} // namespace

bool StaysOn(int state)
{
    return !g_quit && g_screenState == state;
}

bool PollQuitKey()
{
    uint8_t actions[kActionCount];
    CInput::Get().PollActions(actions);
    if (actions[KEY_QUIT])
        g_quit = true;
    return g_quit;
}

void PumpWindowEvents()
{
    platform::CWindow* window = GetClientWindow();
    platform::WindowEvent event;
    while (window && window->PollEvent(event))
        ClientWndProc(event);
}

void RunMainMenu()
{
    RunMenu(SCREEN_MAIN_MENU, CMainMenu::Get(), false);
}

void RunOptions()
{
    RunMenu(SCREEN_OPTIONS, COptionsMenu::Get(), true);
}

void RunAddressEntry()
{
    RunMenu(SCREEN_ADDRESS_ENTRY, CAddressEntry::Get(), true);
}

void RunInstructions()
{
    RunMenu(SCREEN_INSTRUCTIONS, CInstructionsScreen::Get(), false);
}

void RunCredits()
{
    RunMenu(SCREEN_CREDITS, CCreditsScreen::Get(), false);
}

void RunServerBrowser(bool internet)
{
    int state = internet ? SCREEN_INTERNET_BROWSER : SCREEN_LAN_BROWSER;
    CServerBrowser& browser = CServerBrowser::Get();
    browser.Clear();
    // A fresh session, so that servers which stopped answering since the
    // last visit are not listed again.
    CClient::Destroy();
    CClient& client = CClient::Get();
    client.SetPort(g_options.port);
    client.Init();
    // frame stops counting at 2: only the first two frames differ.
    for (int frame = 0; StaysOn(state); frame = std::min(frame + 1, 2))
    {
        browser.SetSearching(frame == 0);
        client.DoWork(kNetworkSliceMs);
        if (PollQuitKey())
            break;
        PumpWindowEvents();
        browser.SetSize(static_cast<float>(g_windowWidth), static_cast<float>(g_windowHeight));
        browser.Draw(0, 0);
        if (frame == 0 && StaysOn(state))
            SearchForServers(internet);
        else if (frame == 1)
        {
            FillServerList(browser);
            JoinFirstServerIfAsked(browser);
        }
    }
}

bool RunCurrentScreen()
{
    switch (g_screenState)
    {
    case SCREEN_GAME:
        RunGame();
        return true;
    case SCREEN_INTRO:
        RunIntro();
        return true;
    case SCREEN_LAN_BROWSER:
        RunServerBrowser(false);
        return true;
    case SCREEN_INTERNET_BROWSER:
        RunServerBrowser(true);
        return true;
    case SCREEN_ADDRESS_ENTRY:
        RunAddressEntry();
        return true;
    case SCREEN_MAIN_MENU:
        RunMainMenu();
        return true;
    case SCREEN_OPTIONS:
        RunOptions();
        return true;
    case SCREEN_INSTRUCTIONS:
        RunInstructions();
        return true;
    case SCREEN_CREDITS:
        RunCredits();
        return true;
    default:
        return false;
    }
}

void RunScreens()
{
    while (!g_quit)
        if (!RunCurrentScreen())
            g_quit = true;
}
