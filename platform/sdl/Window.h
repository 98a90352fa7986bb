// The client's one window and its OpenGL context, on SDL2: what the game's
// window class, window, display-mode calls and WGL context were. It also
// lists the display's modes, switches between full screen and a window,
// translates SDL's events into WindowEvents, and gives the keyboard, mouse
// and gamepads to the input layer (SdlInputDevices.h).
//
// Only the client links this (target quorvex_platform_sdl); the dedicated
// server never does.
#pragma once

#include "platform/VideoModes.h"
#include "platform/WindowEvents.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

struct SDL_Window;
union SDL_Event;

namespace platform
{

// Starts SDL's video and game controllers (once per process). SDL's own
// signal handlers are left out: the program installs its own. False with the
// reason in `error` when no display can be opened; SDL's stand-in drivers
// that show nothing ("offscreen", "dummy") count as none unless the
// SDL_VIDEODRIVER variable names them. A system without game controllers is
// no failure.
bool InitVideo(std::string& error);
// Ends SDL's video and game controllers: the display gets its own mode back.
void ShutdownVideo();

// Every mode the main display offers, as SDL reports it, in SDL's order.
// Starts the video first when needed (the game lists modes before it opens
// its window); empty when there is no display.
std::vector<RawVideoMode> ListDisplayModes();
// The main display's desktop mode, normalised; all zero when there is no
// display.
VideoMode DesktopMode();

// The game's meaning of one SDL event, if it has one:
//   quit, window close             -> Destroy
//   window size changed            -> Size (the new size)
//   key down Escape/arrows         -> KeyDown (repeats included)
//   key down Return or keypad Enter-> Char 13, or ToggleFullscreen with Alt held
//   key down Backspace             -> Char 8
//   text input                     -> Char, for its first printable ASCII byte
//   pad D-pad                      -> KeyDown, the arrow's
//   pad A                          -> Char 13, as Return
//   pad B or Start                 -> KeyDown Escape
// Text input of several characters is delivered by PollEvent one Char each.
// Alt+Enter held down does not repeat: a repeated toggle would flicker
// between full screen and the window.
bool TranslateEvent(const SDL_Event& event, WindowEvent& out);

struct WindowSettings
{
    std::string title;
    int32_t width = 1024;
    int32_t height = 768;
    // Full screen in the given mode (a mode of ListDisplayModes, after
    // NormaliseMode), or at the desktop's own mode when `desktop` is set;
    // otherwise an ordinary resizable window of the size.
    bool fullscreen = true;
    bool desktop = true;
    VideoMode mode;
    bool vsync = true;
};

class CWindow
{
public:
    // Opens the window (hidden mouse cursor, text input on). Null with the
    // reason in `error` when it cannot be made.
    static std::unique_ptr<CWindow> Create(const WindowSettings& settings, std::string& error);
    ~CWindow();
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;

    // Makes a new OpenGL context (compatibility profile, double-buffered,
    // RGBA with the mode's colour bits, a depth buffer), replacing any
    // earlier one, and sets the swap interval (vsync). The new context is
    // left current. False with the reason.
    bool CreateContext(std::string& error);
    bool HasContext() const;
    bool MakeCurrent();
    void ReleaseCurrent();
    void Swap();
    // Whether the swaps wait for the display: vsync was asked for and the
    // driver reports a swap interval for the current context.
    bool VsyncInEffect() const { return m_vsyncInEffect; }
    // The refresh rate in Hz of the display the window is on; 0 when the
    // system does not say.
    int RefreshRate() const;

    // The window's icon, from `width` x `height` RGBA bytes, first row on top.
    void SetIcon(int32_t width, int32_t height, const uint8_t* rgba);

    // Full screen in `mode`; false (nothing changed) when the display cannot
    // show it.
    bool EnterFullscreen(const VideoMode& mode);
    // Full screen at the desktop's own mode: no mode switch, so it works
    // where modes cannot be switched (Wayland, many laptop panels).
    bool EnterDesktopFullscreen();
    // An ordinary resizable window of the given size.
    void EnterWindowed(int32_t width, int32_t height);
    bool IsFullscreen() const;
    // The drawable size in pixels.
    void GetSize(int32_t& width, int32_t& height) const;

    // The next pending event, translated; false when there is none. Events
    // that mean nothing to the game are skipped.
    bool PollEvent(WindowEvent& event);
    // Waits up to `timeoutMs` for an event, which stays pending for
    // PollEvent; false when none came.
    bool WaitForEvent(int timeoutMs);
    // Whether PollEvent met, since the last call, an event that may change
    // what the window should show, handed over or skipped: X may have lost
    // the contents of a window exposed, shown or restored, and keys without
    // a WindowEvent (Ctrl, Shift) and pad controls are read by polling.
    // Mouse motion is none: the game shows no pointer on the menus.
    bool TakeRedrawRequest();
    // Whether a pad's buttons give the menus' keys (on at first). The game
    // turns them off while it flies the ship with the pad: there B holds
    // the shields and must not leave the game.
    void SetPadMenuKeys(bool on) { m_padMenuKeys = on; }

    SDL_Window* Handle() const { return m_window; }

private:
    CWindow() = default;
    bool OpenWindow(const WindowSettings& settings, std::string& error);
    void DeleteContext();
    bool TakePendingChar(WindowEvent& event);

    SDL_Window* m_window = nullptr;
    void* m_context = nullptr;
    bool m_vsync = true;
    bool m_vsyncInEffect = false;
    int m_colourDepth = 32;
    // The depth buffer the window's pixel format was found with; the
    // context asks for the same.
    int m_depthBufferBits = 32;
    // Characters of a text input not yet handed out.
    std::deque<char> m_pendingChars;
    bool m_padMenuKeys = true;
    bool m_redrawRequested = false;
};

} // namespace platform
