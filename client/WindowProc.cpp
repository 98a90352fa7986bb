#include "client/WindowProc.h"

#include "client/ClientContext.h"
#include "client/Settings.h"
#include "gfx/Graphics.h"
#include "platform/WindowEvents.h"

#include <cstring>

using platform::WindowEvent;

CWindowProc::CWindowProc(CClientContext& context, platform::IInputDevices* devices)
    : m_context(context), m_devices(devices)
{
}

ScreenId CWindowProc::Handle(const WindowEvent& event, CScreen& screen)
{
    if (event.type == WindowEvent::Type::KeyDown)
        return screen.OnKey(event.key);
    if (event.type == WindowEvent::Type::Char)
        return IsAcceptedCharacter(event.character) ? screen.OnChar(event.character) : screen.Id();
    HandleWindowEvent(event);
    return screen.Id();
}

void CWindowProc::HandleWindowEvent(const WindowEvent& event)
{
    switch (event.type)
    {
    case WindowEvent::Type::Create:
        OnCreate();
        break;
    case WindowEvent::Type::Size:
        OnSize(event.width, event.height);
        break;
    case WindowEvent::Type::Destroy:
        OnDestroy();
        break;
    case WindowEvent::Type::ToggleFullscreen:
        ToggleWindowed();
        break;
    case WindowEvent::Type::KeyDown:
    case WindowEvent::Type::Char:
        break;
    }
}

void CWindowProc::OnCreate()
{
    GetGraphics().Attach(m_context.window);
    m_context.input.Init(m_devices);
}

void CWindowProc::OnSize(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return;
    m_context.display.NoteWindowSize(width, height);
    FitViewToWindow(m_context.viewSize, width, height);
}

void CWindowProc::OnDestroy()
{
    GetGraphics().Shutdown();
    m_context.input.Release();
    m_context.RequestQuit();
}

void CWindowProc::ToggleWindowed()
{
    CGLDisplay& display = m_context.display;
    ClientSettings& settings = m_context.settings;
    const bool windowed = !display.IsWindowed();
    display.SetWindowed(windowed);
    // The window takes the saved mode's size, as the first start does.
    if (windowed)
        display.ChangeMode(settings.resWidth, settings.resHeight, settings.resDepth, settings.resFreq);
    else
        display.EnterFullscreen(settings.resDesktop != 0, SavedMode(settings));
    settings.windowed = windowed ? 1 : 0;
    m_context.options.windowedOverride = -1;
    SaveWindowedSetting(settings);
}

bool IsAcceptedCharacter(char c)
{
    static constexpr char kRanges[] = "azAZ09";
    for (size_t i = 0; i + 1 < sizeof kRanges - 1; i += 2)
        if (c >= kRanges[i] && c <= kRanges[i + 1])
            return true;
    return (c != '\0' && std::strchr("!_.,@\":+-=()@'/ ?", c) != nullptr) || c == platform::kCharBackspace ||
           c == platform::kCharReturn;
}
