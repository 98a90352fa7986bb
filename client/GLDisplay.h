// CGLDisplay owns the screen: full screen at the desktop's own mode (the
// default: no mode switch) or in an exclusive display mode the player chose,
// or an ordinary window; the list of exclusive modes the options screen
// offers, the window's OpenGL context, and the 2-D projection.
//
// The mode list keeps the game's rule: 1024 x 768, 1152 x 864, 1280 x 1024
// or 1600 x 1200, at 16 or 32 bits, at exactly 60 Hz, at most 50 entries, in
// the system's order, duplicates kept. The system's modes are normalised
// first (see platform/VideoModes.h), so an X server's 24-bit true colour
// counts as 32 bits and an unknown refresh rate as 60 Hz.
#pragma once

#include "gfx/Display.h"
#include "platform/VideoModes.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class CGLDisplay : public CDisplay
{
public:
    static constexpr int kMaxModes = 50;
    using ModeSource = std::function<std::vector<platform::RawVideoMode>()>;
    using DesktopSource = std::function<platform::VideoMode()>;

    // `modes` lists the system's modes and `desktop` gives the desktop's own
    // (the windowing system's by default).
    explicit CGLDisplay(ModeSource modes = {}, DesktopSource desktop = {});
    ~CGLDisplay() override;
    CGLDisplay(const CGLDisplay&) = delete;
    CGLDisplay& operator=(const CGLDisplay&) = delete;

    // Replaces where the system's modes come from (tests give fake lists).
    void SetModeSource(ModeSource modes);

    // Windowed play: ChangeMode opens an ordinary window of the mode's size
    // instead of switching the display.
    void SetWindowed(bool windowed);
    bool IsWindowed() const { return m_windowed; }

    // Switches to full screen in this exclusive mode (or sizes the window,
    // when windowed). False, with nothing changed, when the display has no
    // such mode. Refresh is checked but not stored.
    bool ChangeMode(int32_t width, int32_t height, int32_t depth, int32_t refresh);
    // Full screen at the desktop's own mode from now on (when windowed: at
    // the next switch to full screen).
    void UseDesktopMode();
    bool UsesDesktopMode() const { return m_desktop; }
    // Full screen as chosen: the desktop's mode, or the exclusive mode
    // `chosen`; a mode the display no longer offers falls back to the
    // desktop's, with a line on stderr.
    void EnterFullscreen(bool desktop, const platform::VideoMode& chosen);
    // The desktop's own mode; zeros when the system does not say.
    platform::VideoMode DesktopMode() const { return m_desktopSource(); }
    bool RestoreMode() override;
    void EnumerateModes();
    int GetModeCount() const { return m_modeCount; }
    int32_t GetModeWidth(int index) const;
    int32_t GetModeHeight(int index) const;
    int32_t GetModeDepth(int index) const;
    int32_t GetModeRefresh(int index) const;
    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    int32_t GetDepth() const { return m_depth; }
    // The full-screen mode in force (or wanted, before the window exists).
    platform::VideoMode GetMode() const;

    void AttachWindow(platform::CWindow* window) override;
    platform::CWindow* GetWindow() const { return m_window; }
    bool CreateContext() override;
    void MakeCurrent() override;
    void ReleaseCurrent() override;
    void Swap() override;
    bool SetProjection(float width, float height) override;

    // The window's drawable size changed (kept in windowed play and at the
    // desktop's mode, where the system decides the size).
    void NoteWindowSize(int32_t width, int32_t height);

private:
    std::vector<platform::VideoMode> SystemModes() const;

    ModeSource m_source;
    DesktopSource m_desktopSource;
    int32_t m_width = 1024;
    int32_t m_height = 768;
    int32_t m_depth = 32;
    int32_t m_refresh = 60;
    bool m_windowed = false;
    bool m_desktop = true;
    platform::CWindow* m_window = nullptr;
    std::array<platform::VideoMode, kMaxModes> m_modes{};
    int m_modeCount = 0;
};
