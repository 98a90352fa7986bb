// The client's process-wide state: which screen runs, whether the program is
// ending, the window's size, the player's settings, the server picked in the
// browser, and the choices given on the command line. One thread uses all of
// it, except g_quit, which the signal handlers also set.
#pragma once

#include "net/GameIdentity.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

// Screen-state values. 1 and 5 are never set; any value not listed here ends
// the dispatch loop.
enum ScreenState : int
{
    SCREEN_INTRO = 0,
    SCREEN_LAN_BROWSER = 2,
    SCREEN_INTERNET_BROWSER = 3,
    SCREEN_ADDRESS_ENTRY = 4,
    SCREEN_INSTRUCTIONS = 6,
    SCREEN_MAIN_MENU = 7,
    SCREEN_OPTIONS = 8,
    SCREEN_CREDITS = 9,
    SCREEN_GAME = 10,
};

// The name holds at most this many characters (the buffer keeps a zero).
constexpr size_t kPlayerNameSize = 128;
constexpr size_t kServerNameSize = 1024;

extern int g_screenState;
extern std::atomic<bool> g_quit;
extern int g_windowWidth;
extern int g_windowHeight;
extern char g_playerName[kPlayerNameSize];
extern int g_shipType;
extern int g_resWidth;
extern int g_resHeight;
extern int g_resDepth;
extern int g_resFreq;
// A window instead of full screen; saved with the other settings.
extern int g_windowed;
extern char g_serverName[kServerNameSize];

// Command-line choices of this run.
struct ClientOptions
{
    uint16_t port = game_identity::kGamePort; // the UDP port to search and connect to
    int windowedOverride = -1;                // -1: the saved choice; 0: full screen; 1: window
    bool vsync = true;
    std::string connectHost; // --connect: join the first server found there
};
extern ClientOptions g_options;
// Set by --connect until the browser has acted on it: the first server found
// is joined as if the player had picked it.
extern bool g_joinFirstServer;

// Puts every global back to its value at program start (for tests).
void ResetClientState();
