#include "client/ClientState.h"

#include <cstring>

int g_screenState = SCREEN_INTRO;
std::atomic<bool> g_quit{false};
int g_windowWidth = 1024;
int g_windowHeight = 768;
char g_playerName[kPlayerNameSize] = {};
int g_shipType = 0;
int g_resWidth = 1024;
int g_resHeight = 768;
int g_resDepth = 32;
int g_resFreq = 60;
int g_windowed = 0;
char g_serverName[kServerNameSize] = {};
ClientOptions g_options;
bool g_joinFirstServer = false;

void ResetClientState()
{
    g_screenState = SCREEN_INTRO;
    g_quit = false;
    g_windowWidth = 1024;
    g_windowHeight = 768;
    std::memset(g_playerName, 0, sizeof g_playerName);
    g_shipType = 0;
    g_resWidth = 1024;
    g_resHeight = 768;
    g_resDepth = 32;
    g_resFreq = 60;
    g_windowed = 0;
    std::memset(g_serverName, 0, sizeof g_serverName);
    g_options = ClientOptions{};
    g_joinFirstServer = false;
}
