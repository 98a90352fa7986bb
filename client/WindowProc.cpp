#include "client/WindowProc.h"

#include "client/ClientState.h"
#include "client/GLDisplay.h"
#include "client/GameScreen.h"
#include "client/Input.h"
#include "client/Settings.h"
#include "client/TypedText.h"
#include "client/menus/AddressEntry.h"
#include "client/menus/MainMenu.h"
#include "client/menus/OptionsMenu.h"
#include "client/menus/ServerBrowser.h"
#include "gfx/Graphics.h"
#include "platform/sdl/Window.h"

#include <cstring>
#include <string>

namespace
{
platform::CWindow* g_window = nullptr;
platform::IInputDevices* g_devices = nullptr;

using platform::WindowEvent;

// Edits a typed text the way every text field is edited: backspace drops the
// last character, others are appended below the length limit.
template <typename Field> void EditText(Field& field, char c)
{
    char text[kMaxTypedLength + 1];
    field.GetText(text, sizeof text);
    EditTypedLine(text, c);
    field.SetText(text);
}

struct Resolution
{
    int32_t width, height, depth, refresh;
    bool operator==(const Resolution&) const = default;
};

Resolution SavedResolution()
{
    return {g_resWidth, g_resHeight, g_resDepth, g_resFreq};
}

// After the options are saved with a new mode: switch to it and lay out
// every screen for the new size.
void ApplyNewResolution()
{
    CGLDisplay& display = CGLDisplay::Get();
    display.RestoreMode();
    display.ChangeMode(g_resWidth, g_resHeight, g_resDepth, g_resFreq);
    g_windowWidth = display.GetWidth();
    g_windowHeight = display.GetHeight();
    GetGraphics().Resize(g_windowWidth, g_windowHeight);
}

void OnOptionsChar(char c)
{
    if (c != platform::kCharReturn)
    {
        EditText(COptionsMenu::Get(), c);
        return;
    }
    Resolution before = SavedResolution();
    SaveSettings();
    if (!(SavedResolution() == before))
        ApplyNewResolution();
    g_screenState = SCREEN_MAIN_MENU;
}

void OnAddressChar(char c)
{
    if (c == platform::kCharReturn)
        g_screenState = SCREEN_INTERNET_BROWSER;
    else
        EditText(CAddressEntry::Get(), c);
}

void OnBrowserChar(char c)
{
    if (c != platform::kCharReturn)
    {
        g_screenState = SCREEN_MAIN_MENU;
        return;
    }
    CServerBrowser& browser = CServerBrowser::Get();
    if (!browser.HasServers())
        return;
    g_screenState = SCREEN_GAME;
    g_shipType = COptionsMenu::Get().GetShipType();
    COptionsMenu::Get().GetText(g_playerName, sizeof g_playerName);
    browser.GetSelectedName(g_serverName, sizeof g_serverName);
}

void OnMainMenuChar(char c)
{
    if (c != platform::kCharReturn)
        return;
    switch (CMainMenu::Get().GetSelected())
    {
    case CMainMenu::kJoinLan:
        g_screenState = SCREEN_LAN_BROWSER;
        break;
    case CMainMenu::kJoinInternet:
        g_screenState = SCREEN_ADDRESS_ENTRY;
        break;
    case CMainMenu::kInstructions:
        g_screenState = SCREEN_INSTRUCTIONS;
        break;
    case CMainMenu::kOptions:
        g_screenState = SCREEN_OPTIONS;
        break;
    case CMainMenu::kCredits:
        g_screenState = SCREEN_CREDITS;
        break;
    case CMainMenu::kQuit:
        g_quit = true;
        break;
    }
}

void OnChar(char c)
{
    if (!IsAcceptedCharacter(c))
        return;
    switch (g_screenState)
    {
    case SCREEN_GAME:
        if (CInput::Get().IsTextMode())
            GameScreenChar(c);
        break;
    case SCREEN_OPTIONS:
        OnOptionsChar(c);
        break;
    case SCREEN_ADDRESS_ENTRY:
        OnAddressChar(c);
        break;
    case SCREEN_LAN_BROWSER:
    case SCREEN_INTERNET_BROWSER:
        OnBrowserChar(c);
        break;
    case SCREEN_MAIN_MENU:
        OnMainMenuChar(c);
        break;
    default:
        g_screenState = SCREEN_MAIN_MENU;
        break;
    }
}

void OnOptionsKey(int key)
{
    COptionsMenu& options = COptionsMenu::Get();
    if (key == platform::kVkEscape)
        g_screenState = SCREEN_MAIN_MENU; // the edits stay selected, unsaved
    else if (key == platform::kVkLeft)
        options.PreviousShip();
    else if (key == platform::kVkRight)
        options.NextShip();
    else if (key == platform::kVkUp)
        options.PreviousResolution();
    else if (key == platform::kVkDown)
        options.NextResolution();
}

void OnKeyDown(int key)
{
    switch (g_screenState)
    {
    case SCREEN_OPTIONS:
        OnOptionsKey(key);
        break;
    case SCREEN_LAN_BROWSER:
    case SCREEN_INTERNET_BROWSER:
        if (key == platform::kVkEscape)
            g_screenState = SCREEN_MAIN_MENU;
        else if (key == platform::kVkUp)
            CServerBrowser::Get().Previous();
        else if (key == platform::kVkDown)
            CServerBrowser::Get().Next();
        break;
    case SCREEN_MAIN_MENU:
        if (key == platform::kVkUp)
            CMainMenu::Get().Previous();
        else if (key == platform::kVkDown)
            CMainMenu::Get().Next();
        break;
    default:
        if (key == platform::kVkEscape)
            g_screenState = SCREEN_MAIN_MENU;
        break;
    }
}

void OnCreate()
{
    GetGraphics().Attach(g_window);
    CInput::Get().Init(g_devices);
}

void OnSize(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return;
    CGLDisplay::Get().NoteWindowSize(width, height);
    g_windowWidth = width;
    g_windowHeight = height;
    GetGraphics().Resize(width, height);
}

void OnDestroy()
{
    GetGraphics().Shutdown();
    CInput::Destroy();
    g_quit = true;
}
} // namespace

void SetClientWindow(platform::CWindow* window, platform::IInputDevices* devices)
{
    g_window = window;
    g_devices = devices;
}

platform::CWindow* GetClientWindow()
{
    return g_window;
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

void ToggleWindowed()
{
    CGLDisplay& display = CGLDisplay::Get();
    bool windowed = !display.IsWindowed();
    display.SetWindowed(windowed);
    if (windowed)
    {
        if (g_window)
            g_window->EnterWindowed(display.GetWidth(), display.GetHeight());
    }
    else if (!display.ChangeMode(g_resWidth, g_resHeight, g_resDepth, g_resFreq))
    {
        // The saved mode cannot be shown full screen: stay in the window.
        display.SetWindowed(true);
        return;
    }
    g_windowed = windowed ? 1 : 0;
    g_options.windowedOverride = -1;
    SaveWindowedSetting();
}

void ClientWndProc(const WindowEvent& event)
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
    case WindowEvent::Type::KeyDown:
        OnKeyDown(event.key);
        break;
    case WindowEvent::Type::Char:
        OnChar(event.character);
        break;
    case WindowEvent::Type::ToggleFullscreen:
        ToggleWindowed();
        break;
    }
}
