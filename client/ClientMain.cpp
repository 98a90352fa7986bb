#include "client/ClientMain.h"

#include "client/ClientState.h"
#include "client/GLDisplay.h"
#include "client/Input.h"
#include "client/ScreenLoops.h"
#include "client/Settings.h"
#include "client/WindowProc.h"
#include "client/menus/AddressEntry.h"
#include "client/menus/OptionsMenu.h"
#include "common/Version.h"
#include "gfx/Graphics.h"
#include "gfx/TargaImage.h"
#include "net/Client.h"
#include "platform/ConsoleControl.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/sdl/SdlInputDevices.h"
#include "platform/sdl/Window.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
constexpr const char* kWindowTitle = "Quorvex (OpenGL)";
constexpr const char* kIconPicture = "QuorvexIcon.tga";

constexpr const char* kUsage =
    "Usage: QuorvexClient [--connect HOST] [--windowed | --fullscreen] [--no-vsync] [--port N]\n"
    "                     [--version] [--help]\n"
    "Plays Quorvex: find a server on the local network or by address, fly, fight.\n"
    "\n"
    "  --connect HOST  skip the menus and join the first server found at HOST (a name or address)\n"
    "  --windowed      play in a window this time (Alt+Enter switches at any time)\n"
    "  --fullscreen    play full screen this time\n"
    "  --no-vsync      draw as fast as possible instead of at the display's refresh\n"
    "  --port N        search and join servers on UDP port N instead of 3001\n"
    "  --version       print the version and exit\n"
    "  --help          print this and exit\n"
    "\n"
    "Settings are kept in $XDG_CONFIG_HOME/Tessaloon/Quorvex/Settings/ (~/.config when unset).\n"
    "F9 quits from every screen.\n";

int Usage(const char* problem)
{
    std::fprintf(stderr, "QuorvexClient: %s\n\n%s", problem, kUsage);
    return 2;
}

bool ParsePort(const char* text, uint16_t& port)
{
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > 65535)
        return false;
    port = static_cast<uint16_t>(value);
    return true;
}

bool StopRequested(uint32_t)
{
    g_quit = true;
    return true;
}

void ShowDialog(const std::string& text, const std::string& caption)
{
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), nullptr);
}

// The options screen starts with what was saved.
void FillOptionsScreen()
{
    COptionsMenu& options = COptionsMenu::Get();
    options.SetText(g_playerName);
    options.SetShipType(g_shipType);
    options.SetResolution(g_resWidth, g_resHeight, g_resDepth, g_resFreq);
}

// Switches to the saved mode, or plays in a window when the display cannot
// show it full screen.
void ChooseInitialMode(CGLDisplay& display)
{
    bool windowed = g_options.windowedOverride >= 0 ? g_options.windowedOverride == 1 : g_windowed != 0;
    display.SetWindowed(windowed);
    if (!display.ChangeMode(g_resWidth, g_resHeight, g_resDepth, g_resFreq) && !windowed)
    {
        std::fprintf(stderr,
                     "QuorvexClient: the display cannot show %dx%dx%d at %d Hz full screen; "
                     "playing in a window (Alt+Enter switches, Options chooses another mode).\n",
                     g_resWidth, g_resHeight, g_resDepth, g_resFreq);
        display.SetWindowed(true);
        display.ChangeMode(g_windowWidth, g_windowHeight, g_resDepth, g_resFreq);
    }
    g_windowWidth = display.GetWidth();
    g_windowHeight = display.GetHeight();
}

void SetWindowIcon(platform::CWindow& window)
{
    CTargaImage icon;
    icon.Load(platform::DataPath(std::string(platform::kGraphicsFolder) + "/" + kIconPicture));
    // The reader keeps the file's blue-green-red order; the window wants RGBA.
    icon.ConvertFormat(PIXEL_FORMAT_RGBA);
    const std::vector<uint8_t>& pixels = icon.GetPixels();
    if (icon.GetBitsPerPixel() == 32 &&
        pixels.size() >= size_t(icon.GetWidth()) * size_t(icon.GetHeight()) * 4)
        window.SetIcon(icon.GetWidth(), icon.GetHeight(), pixels.data());
}

std::unique_ptr<platform::CWindow> OpenWindow(const CGLDisplay& display)
{
    platform::WindowSettings settings;
    settings.title = kWindowTitle;
    settings.width = g_windowWidth;
    settings.height = g_windowHeight;
    settings.fullscreen = !display.IsWindowed();
    settings.mode = display.GetMode();
    settings.vsync = g_options.vsync;
    std::string error;
    std::unique_ptr<platform::CWindow> window = platform::CWindow::Create(settings, error);
    if (!window)
        platform::ShowMessageBox("Unable to open the game's window: " + error, "Error");
    return window;
}

// What the window's creation and first size report do.
void StartWindow(platform::CWindow& window, platform::IInputDevices& devices)
{
    SetWindowIcon(window);
    SetClientWindow(&window, &devices);
    ClientWndProc({platform::WindowEvent::Type::Create});
    platform::WindowEvent size{platform::WindowEvent::Type::Size};
    window.GetSize(size.width, size.height);
    ClientWndProc(size);
}

// The intro, or with --connect the browser asking that host.
void StartScreen()
{
    g_screenState = SCREEN_INTRO;
    if (g_options.connectHost.empty())
        return;
    CAddressEntry::Get().SetText(g_options.connectHost.c_str());
    g_joinFirstServer = true;
    g_screenState = SCREEN_INTERNET_BROWSER;
}

void Shutdown(std::unique_ptr<platform::CWindow>& window)
{
    CGLDisplay::Get().RestoreMode();
    if (CClient::Exists())
        CClient::Destroy();
    GetGraphics().SetDisplay(nullptr);
    SetClientWindow(nullptr, nullptr);
    CInput::Destroy();
    CGLDisplay::Destroy();
    window.reset();
    platform::ShutdownVideo();
}
} // namespace

int ParseClientOptions(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
    {
        std::string option = argv[i];
        if (option == "--help" || option == "-h")
            return std::fputs(kUsage, stdout), 0;
        if (option == "--version")
            return std::printf("QuorvexClient %0.2f\n", kGameVersion), 0;
        if (option == "--windowed")
            g_options.windowedOverride = 1;
        else if (option == "--fullscreen")
            g_options.windowedOverride = 0;
        else if (option == "--no-vsync")
            g_options.vsync = false;
        else if (option == "--connect")
        {
            if (i + 1 >= argc || argv[i + 1][0] == '\0')
                return Usage("--connect needs a host name or address");
            g_options.connectHost = argv[++i];
        }
        else if (option == "--port")
        {
            if (i + 1 >= argc || !ParsePort(argv[++i], g_options.port))
                return Usage("--port needs a UDP port number from 1 to 65535");
        }
        else
            return Usage(("unknown option \"" + option + "\"").c_str());
    }
    return -1;
}

int ClientMain(int argc, char** argv)
{
    int status = ParseClientOptions(argc, argv);
    if (status >= 0)
        return status;
    LoadSettings();
    std::string error;
    if (!platform::InitVideo(error))
    {
        platform::ShowMessageBox("Unable to open the display: " + error, "Error");
        return 1;
    }
    platform::SetMessageDialog(ShowDialog);
    CGLDisplay& display = CGLDisplay::Get();
    GetGraphics().SetDisplay(&display);
    FillOptionsScreen();
    ChooseInitialMode(display);
    std::unique_ptr<platform::CWindow> window = OpenWindow(display);
    if (!window)
    {
        Shutdown(window);
        return 1;
    }
    platform::CSdlInputDevices devices;
    StartWindow(*window, devices);
    StartScreen();
    g_quit = false;
    platform::InstallConsoleControlHandler(StopRequested);
    RunScreens();
    Shutdown(window);
    return 0;
}
