#include "platform/sdl/Window.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace platform
{
namespace
{
constexpr int kMainDisplay = 0;
constexpr int kHighColourDepth = 16;
// Depth buffers to ask for, best first. Mesa's software renderer under a
// virtual X server offers no 32-bit depth buffer, so the window falls back.
constexpr int kDepthBufferBits[] = {32, 24, 16};

WindowEvent EventOfType(WindowEvent::Type type)
{
    WindowEvent event;
    event.type = type;
    return event;
}

WindowEvent CharEvent(char character)
{
    WindowEvent event = EventOfType(WindowEvent::Type::Char);
    event.character = character;
    return event;
}

WindowEvent KeyDownEvent(int virtualKey)
{
    WindowEvent event = EventOfType(WindowEvent::Type::KeyDown);
    event.key = virtualKey;
    return event;
}

bool IsPrintableAscii(unsigned char byte)
{
    return byte >= 32 && byte <= 126;
}

// The printable ASCII bytes of a text input, in order. Bytes of multi-byte
// UTF-8 characters are all 0x80 or above, so dropping them never splits
// anything the game could show.
std::string PrintableAsciiOf(const SDL_TextInputEvent& text)
{
    std::string printable;
    for (size_t i = 0; i < sizeof(text.text) && text.text[i] != '\0'; ++i)
    {
        if (IsPrintableAscii(static_cast<unsigned char>(text.text[i])))
            printable += text.text[i];
    }
    return printable;
}

bool TranslateWindowEvent(const SDL_WindowEvent& window, WindowEvent& out)
{
    switch (window.event)
    {
    case SDL_WINDOWEVENT_CLOSE:
        out = EventOfType(WindowEvent::Type::Destroy);
        return true;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        out = EventOfType(WindowEvent::Type::Size);
        out.width = window.data1;
        out.height = window.data2;
        return true;
    default:
        return false;
    }
}

bool TranslateReturn(const SDL_KeyboardEvent& key, WindowEvent& out)
{
    if ((key.keysym.mod & KMOD_ALT) == 0)
    {
        out = CharEvent(kCharReturn);
        return true;
    }
    if (key.repeat != 0)
        return false;
    out = EventOfType(WindowEvent::Type::ToggleFullscreen);
    return true;
}

// An SDL key or pad button and the menu key it gives.
struct MenuKey
{
    int32_t code;
    int virtualKey;
};

constexpr MenuKey kKeyboardMenuKeys[] = {
    {SDLK_ESCAPE, kVkEscape}, {SDLK_LEFT, kVkLeft},     {SDLK_RIGHT, kVkRight},       {SDLK_UP, kVkUp},
    {SDLK_DOWN, kVkDown},     {SDLK_PAGEUP, kVkPageUp}, {SDLK_PAGEDOWN, kVkPageDown}, {SDLK_TAB, kVkTab},
};

// On a pad the D-pad moves, and B and Start go back as Escape does.
constexpr MenuKey kPadMenuKeys[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, kVkUp},     {SDL_CONTROLLER_BUTTON_DPAD_DOWN, kVkDown},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, kVkLeft}, {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, kVkRight},
    {SDL_CONTROLLER_BUTTON_B, kVkEscape},       {SDL_CONTROLLER_BUTTON_START, kVkEscape},
};

bool TranslateMenuKey(std::span<const MenuKey> keys, int32_t code, WindowEvent& out)
{
    for (const MenuKey& key : keys)
    {
        if (key.code == code)
        {
            out = KeyDownEvent(key.virtualKey);
            return true;
        }
    }
    return false;
}

// Key repeats count like presses: the menus scroll while an arrow is held.
bool TranslateKeyDown(const SDL_KeyboardEvent& key, WindowEvent& out)
{
    switch (key.keysym.sym)
    {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return TranslateReturn(key, out);
    case SDLK_BACKSPACE:
        out = CharEvent(kCharBackspace);
        return true;
    default:
        return TranslateMenuKey(kKeyboardMenuKeys, key.keysym.sym, out);
    }
}

// A chooses as Return does. Pads have no key repeat.
bool TranslatePadButton(const SDL_ControllerButtonEvent& button, WindowEvent& out)
{
    if (button.button != SDL_CONTROLLER_BUTTON_A)
        return TranslateMenuKey(kPadMenuKeys, button.button, out);
    out = CharEvent(kCharReturn);
    return true;
}

int32_t LargestColourChannelBits(uint32_t pixelFormat)
{
    int bitsPerPixel = 0;
    Uint32 red = 0, green = 0, blue = 0, alpha = 0;
    if (SDL_PixelFormatEnumToMasks(pixelFormat, &bitsPerPixel, &red, &green, &blue, &alpha) == SDL_FALSE)
        return 0;
    return std::max({std::popcount(red), std::popcount(green), std::popcount(blue)});
}

RawVideoMode ToRawMode(const SDL_DisplayMode& mode)
{
    RawVideoMode raw;
    raw.width = mode.w;
    raw.height = mode.h;
    raw.bitsPerPixel = static_cast<int32_t>(SDL_BITSPERPIXEL(mode.format));
    raw.bitsPerChannel = LargestColourChannelBits(mode.format);
    raw.refresh = mode.refresh_rate;
    return raw;
}

// The display's own mode that the game knows as `wanted`.
bool FindDisplayMode(const VideoMode& wanted, SDL_DisplayMode& found)
{
    const int count = SDL_GetNumDisplayModes(kMainDisplay);
    for (int i = 0; i < count; ++i)
    {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(kMainDisplay, i, &mode) == 0 && NormaliseMode(ToRawMode(mode)) == wanted)
        {
            found = mode;
            return true;
        }
    }
    return false;
}

void SetFramebufferAttributes(int colourDepth, int depthBufferBits)
{
    const bool highColour = colourDepth == kHighColourDepth;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, highColour ? 5 : 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, highColour ? 6 : 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, highColour ? 5 : 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, highColour ? 0 : 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBufferBits);
}

SDL_Window* CreateSdlWindow(const WindowSettings& settings)
{
    if (!settings.fullscreen)
    {
        return SDL_CreateWindow(settings.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                settings.width, settings.height, SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE);
    }
    if (settings.desktop)
    {
        return SDL_CreateWindow(settings.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                settings.width, settings.height,
                                SDL_WINDOW_OPENGL | SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    const bool hasMode = settings.mode.width > 0 && settings.mode.height > 0;
    const int width = hasMode ? settings.mode.width : settings.width;
    const int height = hasMode ? settings.mode.height : settings.height;
    // Hidden until the display mode is set, so the display switches once.
    return SDL_CreateWindow(settings.title.c_str(), 0, 0, width, height,
                            SDL_WINDOW_OPENGL | SDL_WINDOW_FULLSCREEN | SDL_WINDOW_HIDDEN);
}

// Whether SDL's video driver setting (the SDL_VIDEODRIVER variable, or the
// same hint set by the program; one name, or several separated by commas)
// names `driver`.
bool VideoDriverAskedFor(std::string_view driver)
{
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    std::string_view names = asked ? asked : "";
    while (!names.empty())
    {
        const size_t comma = names.find(',');
        if (names.substr(0, comma) == driver)
            return true;
        names = comma == std::string_view::npos ? std::string_view{} : names.substr(comma + 1);
    }
    return false;
}

// SDL falls back to drivers that show nothing when no display answers; a
// client on one would draw unseen, as fast as it can, until it is killed.
// They serve only when asked for by name (tests record through them).
bool ShowsNothing(std::string_view driver)
{
    return (driver == "offscreen" || driver == "dummy") && !VideoDriverAskedFor(driver);
}
} // namespace

bool InitVideo(std::string& error)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0)
        return true;
    // The program's own SIGINT and SIGTERM handlers end it cleanly; SDL's
    // would replace them with a quit event only the window loop sees.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Pads are read whatever the focus, as the keyboard is: under an X
    // server without a window manager the window may never get the focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
    {
        error = SDL_GetError();
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && ShowsNothing(driver))
    {
        error = std::string("SDL found only its ") + driver + " video driver, which shows nothing";
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    // The game plays without pads when the system offers none.
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
    return true;
}

void ShutdownVideo()
{
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER | SDL_INIT_VIDEO);
}

std::vector<RawVideoMode> ListDisplayModes()
{
    std::string ignored;
    if (!InitVideo(ignored))
        return {};
    std::vector<RawVideoMode> modes;
    const int count = SDL_GetNumDisplayModes(kMainDisplay);
    for (int i = 0; i < count; ++i)
    {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(kMainDisplay, i, &mode) == 0)
            modes.push_back(ToRawMode(mode));
    }
    return modes;
}

VideoMode DesktopMode()
{
    std::string ignored;
    SDL_DisplayMode mode;
    if (!InitVideo(ignored) || SDL_GetDesktopDisplayMode(kMainDisplay, &mode) != 0)
        return VideoMode{};
    return NormaliseMode(ToRawMode(mode));
}

bool TranslateEvent(const SDL_Event& event, WindowEvent& out)
{
    switch (event.type)
    {
    case SDL_QUIT:
        out = EventOfType(WindowEvent::Type::Destroy);
        return true;
    case SDL_WINDOWEVENT:
        return TranslateWindowEvent(event.window, out);
    case SDL_KEYDOWN:
        return TranslateKeyDown(event.key, out);
    case SDL_CONTROLLERBUTTONDOWN:
        return TranslatePadButton(event.cbutton, out);
    case SDL_TEXTINPUT:
    {
        const std::string printable = PrintableAsciiOf(event.text);
        if (printable.empty())
            return false;
        out = CharEvent(printable.front());
        return true;
    }
    default:
        return false;
    }
}

std::unique_ptr<CWindow> CWindow::Create(const WindowSettings& settings, std::string& error)
{
    if (!InitVideo(error))
        return nullptr;
    std::unique_ptr<CWindow> window(new CWindow());
    window->m_vsync = settings.vsync;
    window->m_colourDepth = settings.mode.depth == kHighColourDepth ? kHighColourDepth : 32;
    if (!window->OpenWindow(settings, error))
        return nullptr;
    // The game draws its own pointer where it needs one, and takes its
    // typed text from text input events.
    SDL_ShowCursor(SDL_DISABLE);
    SDL_StartTextInput();
    return window;
}

bool CWindow::OpenWindow(const WindowSettings& settings, std::string& error)
{
    for (int depthBits : kDepthBufferBits)
    {
        SetFramebufferAttributes(m_colourDepth, depthBits);
        m_window = CreateSdlWindow(settings);
        if (m_window != nullptr)
        {
            m_depthBufferBits = depthBits;
            break;
        }
    }
    if (m_window == nullptr)
    {
        error = SDL_GetError();
        return false;
    }
    SDL_DisplayMode mode;
    if (settings.fullscreen && !settings.desktop && FindDisplayMode(settings.mode, mode))
        SDL_SetWindowDisplayMode(m_window, &mode);
    SDL_ShowWindow(m_window);
    return true;
}

CWindow::~CWindow()
{
    if (m_window == nullptr)
        return;
    DeleteContext();
    SDL_DestroyWindow(m_window);
    SDL_StopTextInput();
    SDL_ShowCursor(SDL_ENABLE);
}

bool CWindow::CreateContext(std::string& error)
{
    DeleteContext();
    // The context's pixel format must match the window's; smaller depth
    // buffers are tried only if the driver still refuses it.
    for (int depthBits : kDepthBufferBits)
    {
        if (depthBits > m_depthBufferBits)
            continue;
        SetFramebufferAttributes(m_colourDepth, depthBits);
        m_context = SDL_GL_CreateContext(m_window);
        if (m_context != nullptr)
        {
            m_depthBufferBits = depthBits;
            // Without swap control the driver keeps its own default; the
            // game runs either way, and paces itself when the swaps do not.
            SDL_GL_SetSwapInterval(m_vsync ? 1 : 0);
            m_vsyncInEffect = m_vsync && SDL_GL_GetSwapInterval() != 0;
            return true;
        }
    }
    error = SDL_GetError();
    return false;
}

void CWindow::DeleteContext()
{
    m_vsyncInEffect = false;
    if (m_context == nullptr)
        return;
    SDL_GL_MakeCurrent(m_window, nullptr);
    SDL_GL_DeleteContext(m_context);
    m_context = nullptr;
}

bool CWindow::HasContext() const
{
    return m_context != nullptr;
}

bool CWindow::MakeCurrent()
{
    return m_context != nullptr && SDL_GL_MakeCurrent(m_window, m_context) == 0;
}

void CWindow::ReleaseCurrent()
{
    SDL_GL_MakeCurrent(m_window, nullptr);
}

void CWindow::Swap()
{
    SDL_GL_SwapWindow(m_window);
}

int CWindow::RefreshRate() const
{
    SDL_DisplayMode mode;
    const int display = SDL_GetWindowDisplayIndex(m_window);
    if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0)
        return 0;
    return mode.refresh_rate;
}

void CWindow::SetIcon(int32_t width, int32_t height, const uint8_t* rgba)
{
    if (rgba == nullptr || width <= 0 || height <= 0)
        return;
    // SDL only reads the pixels, and copies them before the surface is freed.
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(rgba), width, height, 32,
                                                           width * 4, SDL_PIXELFORMAT_RGBA32);
    if (icon == nullptr)
        return;
    SDL_SetWindowIcon(m_window, icon);
    SDL_FreeSurface(icon);
}

bool CWindow::EnterFullscreen(const VideoMode& mode)
{
    SDL_DisplayMode sdlMode;
    if (!FindDisplayMode(mode, sdlMode))
        return false;
    if (SDL_SetWindowDisplayMode(m_window, &sdlMode) != 0)
        return false;
    return SDL_SetWindowFullscreen(m_window, SDL_WINDOW_FULLSCREEN) == 0;
}

bool CWindow::EnterDesktopFullscreen()
{
    return SDL_SetWindowFullscreen(m_window, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
}

void CWindow::EnterWindowed(int32_t width, int32_t height)
{
    SDL_SetWindowFullscreen(m_window, 0);
    SDL_SetWindowResizable(m_window, SDL_TRUE);
    SDL_SetWindowSize(m_window, width, height);
    SDL_SetWindowPosition(m_window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

bool CWindow::IsFullscreen() const
{
    return (SDL_GetWindowFlags(m_window) & SDL_WINDOW_FULLSCREEN) != 0;
}

void CWindow::GetSize(int32_t& width, int32_t& height) const
{
    int drawableWidth = 0;
    int drawableHeight = 0;
    SDL_GL_GetDrawableSize(m_window, &drawableWidth, &drawableHeight);
    width = drawableWidth;
    height = drawableHeight;
}

bool CWindow::TakePendingChar(WindowEvent& event)
{
    if (m_pendingChars.empty())
        return false;
    event = CharEvent(m_pendingChars.front());
    m_pendingChars.pop_front();
    return true;
}

bool CWindow::PollEvent(WindowEvent& event)
{
    if (TakePendingChar(event))
        return true;
    SDL_Event sdlEvent;
    while (SDL_PollEvent(&sdlEvent) != 0)
    {
        if (sdlEvent.type != SDL_MOUSEMOTION)
            m_redrawRequested = true;
        if (sdlEvent.type == SDL_TEXTINPUT)
        {
            const std::string printable = PrintableAsciiOf(sdlEvent.text);
            m_pendingChars.insert(m_pendingChars.end(), printable.begin(), printable.end());
            if (TakePendingChar(event))
                return true;
            continue;
        }
        if (sdlEvent.type == SDL_CONTROLLERBUTTONDOWN && !m_padMenuKeys)
            continue;
        if (TranslateEvent(sdlEvent, event))
            return true;
    }
    return false;
}

bool CWindow::WaitForEvent(int timeoutMs)
{
    // A null event leaves the one that came in the queue.
    return SDL_WaitEventTimeout(nullptr, timeoutMs) != 0;
}

bool CWindow::TakeRedrawRequest()
{
    return std::exchange(m_redrawRequested, false);
}

} // namespace platform
