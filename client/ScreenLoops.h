// The screen-state machine: one loop per screen, each drawing a frame per
// iteration until the program ends or the screen state names another screen,
// and the dispatcher that runs the loop of the current state.
//
// Every loop iteration: the network's time slice (screens that use it), the
// key actions (F9 ends the program), the window's events, one frame. There
// is no frame limiter; the display's vertical sync paces the frames.
#pragma once

// Runs screens until g_quit is set or the state names no screen.
void RunScreens();
// Runs the loop of the current state once (until it changes); false when the
// state names no screen (the program then ends).
bool RunCurrentScreen();

void RunIntro();
void RunMainMenu();
void RunOptions();
void RunAddressEntry();
// `internet`: ask the typed address instead of searching the local network.
void RunServerBrowser(bool internet);
void RunInstructions();
void RunCredits();

// Shared steps of every loop: polls the key actions and sets g_quit on F9;
// true when the program is to end.
bool PollQuitKey();
// Hands every pending window event to the window procedure.
void PumpWindowEvents();
// True while the loop of `state` should go on.
bool StaysOn(int state);
