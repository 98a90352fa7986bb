// Every screen of the client, made for one context: the program runs them
// through the dispatcher, and tests drive them the same way.
#pragma once

#include "client/Screen.h"
#include "client/game/GameScreen.h"
#include "client/menus/AddressEntry.h"
#include "client/menus/ControlsScreen.h"
#include "client/menus/CreditsScreen.h"
#include "client/menus/InstructionsScreen.h"
#include "client/menus/IntroScreen.h"
#include "client/menus/MainMenu.h"
#include "client/menus/OptionsMenu.h"
#include "client/menus/ServerBrowser.h"

#include <vector>

class CClientContext;

class CClientScreens
{
public:
    // The options screen starts with the context's settings.
    explicit CClientScreens(CClientContext& context);

    std::vector<CScreen*> All();

    CIntroScreen intro;
    CMainMenu mainMenu;
    COptionsMenu options;
    CControlsScreen controls;
    CAddressEntry addressEntry;
    CServerBrowser lanBrowser;
    CServerBrowser internetBrowser;
    CInstructionsScreen instructions;
    CCreditsScreen credits;
    CGameScreen game;
};
