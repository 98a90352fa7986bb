// CClientContext: what the client's screens share, in one object the program
// makes at start-up and hands to each screen. It holds the player's settings,
// the command line's choices, the server the game screen is to join, the
// window and the view's size, the display, the keyboard, the sound, the network
// session and whether the program is ending. Everything runs on the client's one thread;
// only the quit flag is also set from the signal handler, so it is atomic.
#pragma once

#include "client/FramePacer.h"
#include "client/GLDisplay.h"
#include "client/Input.h"
#include "client/Settings.h"
#include "client/ViewLayout.h"
#include "client/sound/SoundPlayer.h"
#include "net/GameIdentity.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class CClient;

namespace platform
{
class CWindow;
}

// Command-line choices of this run.
struct ClientOptions
{
    uint16_t port = game_identity::kGamePort; // the UDP port to search and connect to
    int windowedOverride = -1;                // -1: the saved choice; 0: full screen; 1: window
    bool vsync = true;
    std::string connectHost;       // --connect: join the first server found there
    bool mute = false;             // --mute: start with the sound off (M in the game turns it on)
    int maxFps = kDefaultFrameCap; // --max-fps: frames a second at most (0: no cap)
};

// The server the game screen joins: the one picked in the browser, by the
// address and port its line came from (two servers may share a name), or,
// with a host, the first server that answers a search of that host.
struct ServerChoice
{
    std::optional<session::HostAddress> picked;
    std::string host;
};

// Server names are listed by at most this many characters less one.
constexpr size_t kServerNameSize = 1024;

class CClientContext
{
public:
    // `modes` lists the system's display modes and `desktop` gives the
    // desktop's own (the windowing system's by default; tests give fakes).
    explicit CClientContext(CGLDisplay::ModeSource modes = {}, CGLDisplay::DesktopSource desktop = {});
    ~CClientContext();
    CClientContext(const CClientContext&) = delete;
    CClientContext& operator=(const CClientContext&) = delete;

    // The network session, made on first use for the options' port; it
    // keeps the servers its searches found until it ends.
    CClient& Session();
    bool HasSession() const { return m_session != nullptr; }
    // Closes the session; the next Session() makes a fresh one.
    void EndSession();
    // The session's share of a frame, when there is one.
    void RunSessionSlice();

    void RequestQuit() { m_quit = true; }
    bool QuitRequested() const { return m_quit; }
    // For the signal handler, which may touch nothing but this atomic.
    std::atomic<bool>& QuitFlag() { return m_quit; }

    ClientSettings settings;
    ClientOptions options;
    ServerChoice server;
    ViewSize viewSize;
    CGLDisplay display;
    CInput input;
    // The sound effects: silent until the program attaches the audio device.
    CSoundPlayer sound;
    // The game's window (null in tests: nothing to show on).
    platform::CWindow* window = nullptr;

private:
    std::unique_ptr<CClient> m_session;
    std::atomic<bool> m_quit{false};
};

// The network's share of each frame on the screens that use it.
constexpr uint32_t kNetworkSliceMs = 10;
