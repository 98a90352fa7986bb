#include "client/GLDisplay.h"

#include "gfx/RenderBackend.h"
#include "platform/MessageBox.h"
#include "platform/sdl/Window.h"

#include <cstdio>
#include <memory>
#include <string>

namespace
{
// The sizes the game offers; other sizes never reach the options screen.
bool OfferedSize(int32_t width, int32_t height)
{
    return (width == 1024 && height == 768) || (width == 1152 && height == 864) ||
           (width == 1280 && height == 1024) || (width == 1600 && height == 1200);
}

constexpr int32_t kOfferedRefresh = 60;
constexpr int kMaxReportedErrors = 8;
} // namespace

CGLDisplay::CGLDisplay(ModeSource modes, DesktopSource desktop)
    : m_source(std::move(modes)), m_desktopSource(std::move(desktop))
{
    if (!m_source)
        m_source = platform::ListDisplayModes;
    if (!m_desktopSource)
        m_desktopSource = platform::DesktopMode;
}

CGLDisplay::~CGLDisplay()
{
    if (m_window)
        m_window->ReleaseCurrent();
}

void CGLDisplay::SetModeSource(ModeSource modes)
{
    m_source = modes ? std::move(modes) : ModeSource(platform::ListDisplayModes);
}

void CGLDisplay::SetWindowed(bool windowed)
{
    m_windowed = windowed;
}

std::vector<platform::VideoMode> CGLDisplay::SystemModes() const
{
    std::vector<platform::VideoMode> modes;
    for (const platform::RawVideoMode& raw : m_source())
        modes.push_back(platform::NormaliseMode(raw));
    return modes;
}

bool CGLDisplay::ChangeMode(int32_t width, int32_t height, int32_t depth, int32_t refresh)
{
    platform::VideoMode wanted{width, height, depth, refresh};
    if (m_windowed)
    {
        // A window of the mode's size: any sensible size will do.
        if (width <= 0 || height <= 0)
            return false;
        if (m_window)
            m_window->EnterWindowed(width, height);
    }
    else
    {
        bool offered = false;
        for (const platform::VideoMode& mode : SystemModes())
            offered = offered || mode == wanted;
        if (!offered || (m_window && !m_window->EnterFullscreen(wanted)))
            return false;
        m_desktop = false;
    }
    m_width = width;
    m_height = height;
    m_depth = depth;
    return true;
}

void CGLDisplay::UseDesktopMode()
{
    m_desktop = true;
    if (m_windowed)
        return;
    const platform::VideoMode desktop = DesktopMode();
    if (desktop.width > 0 && desktop.height > 0)
        m_width = desktop.width, m_height = desktop.height;
    if (m_window)
        m_window->EnterDesktopFullscreen();
}

void CGLDisplay::EnterFullscreen(bool desktop, const platform::VideoMode& chosen)
{
    m_windowed = false;
    if (!desktop && ChangeMode(chosen.width, chosen.height, chosen.depth, chosen.refresh))
        return;
    if (!desktop)
        std::fprintf(stderr,
                     "QuorvexClient: the display does not offer %dx%dx%d at %d Hz full screen; "
                     "playing full screen at the desktop's own mode (Options chooses another).\n",
                     chosen.width, chosen.height, chosen.depth, chosen.refresh);
    UseDesktopMode();
}

bool CGLDisplay::RestoreMode()
{
    // Leaving full screen gives the desktop its own mode back.
    if (m_window && m_window->IsFullscreen())
        m_window->EnterWindowed(m_width, m_height);
    return true;
}

void CGLDisplay::EnumerateModes()
{
    m_modeCount = 0;
    for (const platform::VideoMode& mode : SystemModes())
    {
        bool depthOk = mode.depth == 32 || mode.depth == 16;
        if (depthOk && m_modeCount < kMaxModes && OfferedSize(mode.width, mode.height) &&
            mode.refresh == kOfferedRefresh)
            m_modes[m_modeCount++] = {mode.width, mode.height, mode.depth, kOfferedRefresh};
    }
}

int32_t CGLDisplay::GetModeWidth(int index) const
{
    return index >= 0 && index < m_modeCount ? m_modes[index].width : 0;
}

int32_t CGLDisplay::GetModeHeight(int index) const
{
    return index >= 0 && index < m_modeCount ? m_modes[index].height : 0;
}

int32_t CGLDisplay::GetModeDepth(int index) const
{
    return index >= 0 && index < m_modeCount ? m_modes[index].depth : 0;
}

int32_t CGLDisplay::GetModeRefresh(int index) const
{
    return index >= 0 && index < m_modeCount ? m_modes[index].refresh : 0;
}

platform::VideoMode CGLDisplay::GetMode() const
{
    return {m_width, m_height, m_depth, m_refresh};
}

void CGLDisplay::AttachWindow(platform::CWindow* window)
{
    m_window = window;
    CreateContext();
}

bool CGLDisplay::CreateContext()
{
    if (!m_window)
        return false;
    std::string error;
    if (!m_window->CreateContext(error))
    {
        platform::ShowMessageBox("Unable to create OpenGL rendering context (" + error + ")", "Error");
        return false;
    }
    if (!m_window->MakeCurrent())
    {
        platform::ShowMessageBox("Unable to make the newly created rendering context \"current\".", "Error");
        return false;
    }
    GetRenderBackend().SetFixedState();
    m_window->ReleaseCurrent();
    return true;
}

void CGLDisplay::MakeCurrent()
{
    if (m_window)
        m_window->MakeCurrent();
}

void CGLDisplay::ReleaseCurrent()
{
    if (m_window)
        m_window->ReleaseCurrent();
}

void CGLDisplay::Swap()
{
    if (m_window)
        m_window->Swap();
}

bool CGLDisplay::SetProjection(float width, float height)
{
    const float hw = width / 2, hh = height / 2;
    CRenderBackend& backend = GetRenderBackend();
    backend.SetOrthoProjection(-hw, hw, -hh, hh, -100, 100);
    bool ok = true;
    // Bounded: a library without a current context may report an error on
    // every call.
    int reported = 0;
    for (uint32_t error = backend.GetError(); error != 0 && reported < kMaxReportedErrors;
         error = backend.GetError(), ++reported)
    {
        platform::ShowMessageBox(backend.ErrorText(error), "OpenGL Error");
        ok = false;
    }
    return ok;
}

void CGLDisplay::NoteWindowSize(int32_t width, int32_t height)
{
    if ((m_windowed || m_desktop) && width > 0 && height > 0)
        m_width = width, m_height = height;
}
