#include "client/ClientMain.h"

#include "client/ClientContext.h"
#include "client/ClientScreens.h"
#include "client/ScreenDispatcher.h"
#include "client/Settings.h"
#include "client/WindowProc.h"
#include "client/controls/ControlsFile.h"
#include "client/sound/SoundDevice.h"
#include "common/ExactNumber.h"
#include "common/Version.h"
#include "gfx/Graphics.h"
#include "gfx/TargaImage.h"
#include "platform/ConsoleControl.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/SettingsStore.h"
#include "platform/sdl/SdlInputDevices.h"
#include "platform/sdl/Window.h"

#include <SDL2/SDL.h>

#include <atomic>
#include <cstdio>
#include <string>

namespace
{
constexpr const char* kWindowTitle = "Quorvex (OpenGL)";
constexpr const char* kIconPicture = "QuorvexIcon.tga";

constexpr const char* kUsage =
    "Usage: QuorvexClient [--connect HOST] [--windowed | --fullscreen] [--no-vsync] [--max-fps N]\n"
    "                     [--port N] [--mute] [--version] [--help]\n"
    "Plays Quorvex: find a server on the local network or by address, fly, fight.\n"
    "\n"
    "  --connect HOST  skip the menus and join the first server found at HOST (a name or address)\n"
    "  --windowed      play in a window this time (Alt+Enter switches at any time)\n"
    "  --fullscreen    play full screen this time\n"
    "  --no-vsync      do not wait for the display's refresh (frames are capped at twice its rate)\n"
    "  --max-fps N     draw at most N frames a second, 0 to 1000 (0: no cap)\n"
    "  --port N        search and join servers on UDP port N instead of 3001\n"
    "  --mute          start with the sound off (M in the game turns it on and off)\n"
    "  --version       print the version and exit\n"
    "  --help          print this and exit\n"
    "\n"
    "Settings are kept in $XDG_CONFIG_HOME/Tessaloon/Quorvex/Settings/ (~/.config when unset).\n"
    "The sound volume is set on the options screen; without an audio device the game plays silently.\n"
    "F9 quits from every screen.\n";

int Usage(const char* problem)
{
    std::fprintf(stderr, "QuorvexClient: %s\n\n%s", problem, kUsage);
    return 2;
}

// The value after option `i`, a whole number from `lowest` to `highest`.
template <typename Number>
bool ParseValueAfter(int& i, int argc, char** argv, int lowest, int highest, Number& out)
{
    int value = 0;
    if (i + 1 >= argc || !ParseExactNumber(argv[++i], value) || value < lowest || value > highest)
        return false;
    out = static_cast<Number>(value);
    return true;
}

// The stop signals' way to the quit flag of the running client: the one
// piece of client state outside its context, as a signal handler can reach
// nothing else. Atomic itself, so the handler may read it at any moment.
std::atomic<std::atomic<bool>*> g_stopFlag{nullptr};

bool StopRequested(uint32_t)
{
    if (std::atomic<bool>* quit = g_stopFlag.load())
        *quit = true;
    return true;
}

void ShowDialog(const std::string& text, const std::string& caption)
{
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), nullptr);
}

// Full screen as saved (the desktop's own mode unless the player chose an
// exclusive one), or a window of the saved size.
void ChooseInitialMode(CClientContext& context)
{
    const ClientSettings& saved = context.settings;
    CGLDisplay& display = context.display;
    const int overridden = context.options.windowedOverride;
    const bool windowed = overridden >= 0 ? overridden == 1 : saved.windowed != 0;
    display.SetWindowed(windowed);
    if (windowed)
        display.ChangeMode(saved.resWidth, saved.resHeight, saved.resDepth, saved.resFreq);
    else
        display.EnterFullscreen(saved.resDesktop != 0, SavedMode(saved));
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

std::unique_ptr<platform::CWindow> OpenWindow(const CClientContext& context)
{
    platform::WindowSettings settings;
    settings.title = kWindowTitle;
    settings.width = context.display.GetWidth();
    settings.height = context.display.GetHeight();
    settings.fullscreen = !context.display.IsWindowed();
    settings.desktop = context.display.UsesDesktopMode();
    settings.mode = context.display.GetMode();
    settings.vsync = context.options.vsync;
    std::string error;
    std::unique_ptr<platform::CWindow> window = platform::CWindow::Create(settings, error);
    if (!window)
        platform::ShowMessageBox("Unable to open the game's window: " + error, "Error");
    return window;
}

// What the window's creation and first size report do.
void StartWindow(CClientContext& context, CWindowProc& windowProc, platform::CWindow& window)
{
    SetWindowIcon(window);
    context.window = &window;
    windowProc.HandleWindowEvent({platform::WindowEvent::Type::Create});
    platform::WindowEvent size{platform::WindowEvent::Type::Size};
    window.GetSize(size.width, size.height);
    windowProc.HandleWindowEvent(size);
}

// The screens until the program ends, in the window `window`.
void RunScreens(CClientContext& context, platform::CWindow& window)
{
    platform::CSdlInputDevices devices(platform::SettingsFolder(kSettingsKey));
    CWindowProc windowProc(context, &devices);
    StartWindow(context, windowProc, window);
    CClientScreens screens(context);
    CScreenDispatcher dispatcher(context, windowProc, screens.All());
    dispatcher.SetCurrent(FirstScreen(context));
    // The address entry offers the host --connect asked.
    if (!context.options.connectHost.empty())
        screens.addressEntry.SetText(context.options.connectHost.c_str());
    g_stopFlag = &context.QuitFlag();
    platform::InstallConsoleControlHandler(StopRequested);
    dispatcher.Run();
    g_stopFlag = nullptr;
    context.input.Release();
}

// Gives the display its mode back whatever happened, and lets go of the
// window before it closes.
void Shutdown(CClientContext& context)
{
    context.display.RestoreMode();
    context.EndSession();
    GetGraphics().SetDisplay(nullptr);
    context.window = nullptr;
}

// Everything between opening the display and closing it: the window outlives
// the context, whose display lets go of the window's OpenGL context.
int PlayWithVideo(const ClientOptions& options)
{
    std::unique_ptr<platform::CWindow> window;
    CClientContext context;
    context.options = options;
    LoadSettings(context.settings);
    context.input.SetBindings(LoadControls());
    context.sound.Attach(OpenSoundDevice());
    context.sound.SetVolume(context.settings.soundVolume);
    context.sound.SetMuted(options.mute);
    GetGraphics().SetDisplay(&context.display);
    ChooseInitialMode(context);
    window = OpenWindow(context);
    if (window)
        RunScreens(context, *window);
    Shutdown(context);
    return window ? 0 : 1;
}
} // namespace

int ParseClientOptions(int argc, char** argv, ClientOptions& options)
{
    for (int i = 1; i < argc; ++i)
    {
        std::string option = argv[i];
        if (option == "--help" || option == "-h")
            return std::fputs(kUsage, stdout), 0;
        if (option == "--version")
            return std::printf("QuorvexClient %0.2f\n", kGameVersion), 0;
        if (option == "--windowed")
            options.windowedOverride = 1;
        else if (option == "--fullscreen")
            options.windowedOverride = 0;
        else if (option == "--no-vsync")
            options.vsync = false;
        else if (option == "--mute")
            options.mute = true;
        else if (option == "--connect")
        {
            if (i + 1 >= argc || argv[i + 1][0] == '\0')
                return Usage("--connect needs a host name or address");
            options.connectHost = argv[++i];
        }
        else if (option == "--port")
        {
            if (!ParseValueAfter(i, argc, argv, 1, 65535, options.port))
                return Usage("--port needs a UDP port number from 1 to 65535");
        }
        else if (option == "--max-fps")
        {
            if (!ParseValueAfter(i, argc, argv, kNoFrameCap, kMaxFrameCap, options.maxFps))
                return Usage("--max-fps needs a number of frames a second from 0 (no cap) to 1000");
        }
        else
            return Usage(("unknown option \"" + option + "\"").c_str());
    }
    return -1;
}

ScreenId FirstScreen(CClientContext& context)
{
    const std::string& host = context.options.connectHost;
    if (host.empty())
        return ScreenId::Intro;
    context.server = {std::nullopt, host};
    return ScreenId::Game;
}

int ClientMain(int argc, char** argv)
{
    ClientOptions options;
    int status = ParseClientOptions(argc, argv, options);
    if (status >= 0)
        return status;
    std::string error;
    if (!platform::InitVideo(error))
    {
        // No dialog: there is nothing to show one on.
        std::fprintf(stderr, "QuorvexClient: no display (%s)\n", error.c_str());
        return 1;
    }
    platform::SetMessageDialog(ShowDialog);
    status = PlayWithVideo(options);
    platform::ShutdownVideo();
    return status;
}
