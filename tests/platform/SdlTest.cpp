#include "platform/sdl/SdlInputDevices.h"
#include "platform/sdl/Window.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <map>
#include <optional>

using platform::ScancodeToKeyCode;
using platform::WindowEvent;
using EventType = platform::WindowEvent::Type;

namespace
{
SDL_Event KeyDown(SDL_Keycode sym, SDL_Scancode scancode, Uint16 modifiers = KMOD_NONE, Uint8 repeat = 0)
{
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.repeat = repeat;
    event.key.keysym.sym = sym;
    event.key.keysym.scancode = scancode;
    event.key.keysym.mod = modifiers;
    return event;
}

SDL_Event TextInput(const char* text)
{
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    std::strncpy(event.text.text, text, sizeof(event.text.text) - 1);
    return event;
}

SDL_Event WindowChange(SDL_WindowEventID change, int data1 = 0, int data2 = 0)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = change;
    event.window.data1 = data1;
    event.window.data2 = data2;
    return event;
}

SDL_Event OfType(SDL_EventType type)
{
    SDL_Event event{};
    event.type = type;
    return event;
}

std::optional<WindowEvent> Translate(const SDL_Event& event)
{
    WindowEvent out;
    if (!platform::TranslateEvent(event, out))
        return std::nullopt;
    return out;
}

void ExpectKeyDown(const SDL_Event& event, int virtualKey)
{
    auto out = Translate(event);
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(out->type, EventType::KeyDown);
    EXPECT_EQ(out->key, virtualKey);
}

void ExpectChar(const SDL_Event& event, char character)
{
    auto out = Translate(event);
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(out->type, EventType::Char);
    EXPECT_EQ(out->character, character);
}

void ExpectToggle(const SDL_Event& event)
{
    auto out = Translate(event);
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(out->type, EventType::ToggleFullscreen);
}

// Every key of a PC 105-key (ISO) keyboard. X reports the ISO key left of
// Return as the backslash key.
constexpr SDL_Scancode kFullKeyboard[] = {
    SDL_SCANCODE_ESCAPE,
    SDL_SCANCODE_F1,
    SDL_SCANCODE_F2,
    SDL_SCANCODE_F3,
    SDL_SCANCODE_F4,
    SDL_SCANCODE_F5,
    SDL_SCANCODE_F6,
    SDL_SCANCODE_F7,
    SDL_SCANCODE_F8,
    SDL_SCANCODE_F9,
    SDL_SCANCODE_F10,
    SDL_SCANCODE_F11,
    SDL_SCANCODE_F12,
    SDL_SCANCODE_GRAVE,
    SDL_SCANCODE_1,
    SDL_SCANCODE_2,
    SDL_SCANCODE_3,
    SDL_SCANCODE_4,
    SDL_SCANCODE_5,
    SDL_SCANCODE_6,
    SDL_SCANCODE_7,
    SDL_SCANCODE_8,
    SDL_SCANCODE_9,
    SDL_SCANCODE_0,
    SDL_SCANCODE_MINUS,
    SDL_SCANCODE_EQUALS,
    SDL_SCANCODE_BACKSPACE,
    SDL_SCANCODE_TAB,
    SDL_SCANCODE_Q,
    SDL_SCANCODE_W,
    SDL_SCANCODE_E,
    SDL_SCANCODE_R,
    SDL_SCANCODE_T,
    SDL_SCANCODE_Y,
    SDL_SCANCODE_U,
    SDL_SCANCODE_I,
    SDL_SCANCODE_O,
    SDL_SCANCODE_P,
    SDL_SCANCODE_LEFTBRACKET,
    SDL_SCANCODE_RIGHTBRACKET,
    SDL_SCANCODE_CAPSLOCK,
    SDL_SCANCODE_A,
    SDL_SCANCODE_S,
    SDL_SCANCODE_D,
    SDL_SCANCODE_F,
    SDL_SCANCODE_G,
    SDL_SCANCODE_H,
    SDL_SCANCODE_J,
    SDL_SCANCODE_K,
    SDL_SCANCODE_L,
    SDL_SCANCODE_SEMICOLON,
    SDL_SCANCODE_APOSTROPHE,
    SDL_SCANCODE_BACKSLASH,
    SDL_SCANCODE_RETURN,
    SDL_SCANCODE_LSHIFT,
    SDL_SCANCODE_NONUSBACKSLASH,
    SDL_SCANCODE_Z,
    SDL_SCANCODE_X,
    SDL_SCANCODE_C,
    SDL_SCANCODE_V,
    SDL_SCANCODE_B,
    SDL_SCANCODE_N,
    SDL_SCANCODE_M,
    SDL_SCANCODE_COMMA,
    SDL_SCANCODE_PERIOD,
    SDL_SCANCODE_SLASH,
    SDL_SCANCODE_RSHIFT,
    SDL_SCANCODE_LCTRL,
    SDL_SCANCODE_LGUI,
    SDL_SCANCODE_LALT,
    SDL_SCANCODE_SPACE,
    SDL_SCANCODE_RALT,
    SDL_SCANCODE_RGUI,
    SDL_SCANCODE_APPLICATION,
    SDL_SCANCODE_RCTRL,
    SDL_SCANCODE_PRINTSCREEN,
    SDL_SCANCODE_SCROLLLOCK,
    SDL_SCANCODE_PAUSE,
    SDL_SCANCODE_INSERT,
    SDL_SCANCODE_HOME,
    SDL_SCANCODE_PAGEUP,
    SDL_SCANCODE_DELETE,
    SDL_SCANCODE_END,
    SDL_SCANCODE_PAGEDOWN,
    SDL_SCANCODE_UP,
    SDL_SCANCODE_LEFT,
    SDL_SCANCODE_DOWN,
    SDL_SCANCODE_RIGHT,
    SDL_SCANCODE_NUMLOCKCLEAR,
    SDL_SCANCODE_KP_DIVIDE,
    SDL_SCANCODE_KP_MULTIPLY,
    SDL_SCANCODE_KP_MINUS,
    SDL_SCANCODE_KP_7,
    SDL_SCANCODE_KP_8,
    SDL_SCANCODE_KP_9,
    SDL_SCANCODE_KP_PLUS,
    SDL_SCANCODE_KP_4,
    SDL_SCANCODE_KP_5,
    SDL_SCANCODE_KP_6,
    SDL_SCANCODE_KP_1,
    SDL_SCANCODE_KP_2,
    SDL_SCANCODE_KP_3,
    SDL_SCANCODE_KP_ENTER,
    SDL_SCANCODE_KP_0,
    SDL_SCANCODE_KP_PERIOD,
};
} // namespace

TEST(TranslateEvent, QuitAndWindowCloseDestroy)
{
    EXPECT_EQ(Translate(OfType(SDL_QUIT))->type, EventType::Destroy);
    EXPECT_EQ(Translate(WindowChange(SDL_WINDOWEVENT_CLOSE))->type, EventType::Destroy);
}

TEST(TranslateEvent, SizeChangeCarriesTheNewSize)
{
    auto out = Translate(WindowChange(SDL_WINDOWEVENT_SIZE_CHANGED, 800, 600));
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(out->type, EventType::Size);
    EXPECT_EQ(out->width, 800);
    EXPECT_EQ(out->height, 600);
    // SDL follows every resize with a size change; one Size event is enough.
    EXPECT_FALSE(Translate(WindowChange(SDL_WINDOWEVENT_RESIZED, 800, 600)));
    EXPECT_FALSE(Translate(WindowChange(SDL_WINDOWEVENT_MOVED, 10, 10)));
    EXPECT_FALSE(Translate(WindowChange(SDL_WINDOWEVENT_FOCUS_LOST)));
}

TEST(TranslateEvent, NavigationKeysAndTheirRepeats)
{
    for (Uint8 repeat : {0, 1})
    {
        ExpectKeyDown(KeyDown(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, KMOD_NONE, repeat), platform::kVkEscape);
        ExpectKeyDown(KeyDown(SDLK_LEFT, SDL_SCANCODE_LEFT, KMOD_NONE, repeat), platform::kVkLeft);
        ExpectKeyDown(KeyDown(SDLK_RIGHT, SDL_SCANCODE_RIGHT, KMOD_NONE, repeat), platform::kVkRight);
        ExpectKeyDown(KeyDown(SDLK_UP, SDL_SCANCODE_UP, KMOD_NONE, repeat), platform::kVkUp);
        ExpectKeyDown(KeyDown(SDLK_DOWN, SDL_SCANCODE_DOWN, KMOD_NONE, repeat), platform::kVkDown);
    }
    // Modifiers do not change what a navigation key means.
    ExpectKeyDown(KeyDown(SDLK_UP, SDL_SCANCODE_UP, KMOD_LSHIFT), platform::kVkUp);
}

TEST(TranslateEvent, ReturnKeysAndBackspaceAreControlCharacters)
{
    ExpectChar(KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN), platform::kCharReturn);
    ExpectChar(KeyDown(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER), platform::kCharReturn);
    ExpectChar(KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_NONE, 1), platform::kCharReturn);
    ExpectChar(KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LCTRL | KMOD_LSHIFT), platform::kCharReturn);
    ExpectChar(KeyDown(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE), platform::kCharBackspace);
    ExpectChar(KeyDown(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, KMOD_NONE, 1), platform::kCharBackspace);
}

TEST(TranslateEvent, AltEnterTogglesFullscreenOncePerPress)
{
    ExpectToggle(KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT));
    ExpectToggle(KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_RALT));
    ExpectToggle(KeyDown(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, KMOD_LALT | KMOD_NUM));
    EXPECT_FALSE(Translate(KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT, 1)))
        << "holding Alt+Enter must not flip the mode back and forth";
}

TEST(TranslateEvent, TextInputGivesPrintableAsciiOnly)
{
    ExpectChar(TextInput("a"), 'a');
    ExpectChar(TextInput(" "), ' ');
    ExpectChar(TextInput("~"), '~');
    ExpectChar(TextInput("'"), '\'');
    ExpectChar(TextInput("xyz"), 'x');
    // UTF-8 bytes are skipped, never taken as characters of their own.
    ExpectChar(TextInput("\xC3\xA9!"), '!');
    EXPECT_FALSE(Translate(TextInput("\xC3\xA9")));
    EXPECT_FALSE(Translate(TextInput("\x7F")));
    EXPECT_FALSE(Translate(TextInput("\t")));
    EXPECT_FALSE(Translate(TextInput("")));
}

TEST(TranslateEvent, UnrelatedEventsMeanNothing)
{
    EXPECT_FALSE(Translate(KeyDown(SDLK_a, SDL_SCANCODE_A))) << "letters arrive as text input";
    EXPECT_FALSE(Translate(KeyDown(SDLK_F9, SDL_SCANCODE_F9)));
    EXPECT_FALSE(Translate(KeyDown(SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT)));
    SDL_Event release = KeyDown(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    release.type = SDL_KEYUP;
    EXPECT_FALSE(Translate(release));
    EXPECT_FALSE(Translate(OfType(SDL_MOUSEMOTION)));
    EXPECT_FALSE(Translate(OfType(SDL_MOUSEBUTTONDOWN)));
    EXPECT_FALSE(Translate(OfType(SDL_TEXTEDITING)));
    EXPECT_FALSE(Translate(OfType(SDL_KEYMAPCHANGED)));
}

TEST(ScancodeToKeyCode, TheGameKeys)
{
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_F9), 0x43);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_F12), 0x58);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_F11), 0x57);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_APOSTROPHE), 0x28);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_J), 0x24);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_L), 0x26);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_K), 0x25);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_D), 0x20);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_SPACE), 0x39);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_V), 0x2F);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_C), 0x2E);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_E), 0x12);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_R), 0x13);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_F), 0x21);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_S), 0x1F);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_ESCAPE), 0x01);
}

TEST(ScancodeToKeyCode, StandardCodesOfOtherKeys)
{
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_1), 0x02);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_0), 0x0B);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_Q), 0x10);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_RETURN), 0x1C);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_GRAVE), 0x29);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_BACKSLASH), 0x2B);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_NONUSHASH), 0x2B);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_NONUSBACKSLASH), 0x56);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_F1), 0x3B);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_F10), 0x44);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_F13), 0x64);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_F15), 0x66);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_KP_0), 0x52);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_KP_7), 0x47);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_KP_ENTER), 0x9C);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_KP_DIVIDE), 0xB5);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_KP_MULTIPLY), 0x37);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_UP), 0xC8);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_LEFT), 0xCB);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_RIGHT), 0xCD);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_DOWN), 0xD0);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_INSERT), 0xD2);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_DELETE), 0xD3);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_HOME), 0xC7);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_PAGEDOWN), 0xD1);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_LCTRL), 0x1D);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_RCTRL), 0x9D);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_LALT), 0x38);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_RALT), 0xB8);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_RSHIFT), 0x36);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_LGUI), 0xDB);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_CAPSLOCK), 0x3A);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_NUMLOCKCLEAR), 0x45);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_SCROLLLOCK), 0x46);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_PRINTSCREEN), 0xB7);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_PAUSE), 0xC5);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_APPLICATION), 0xDD);
}

TEST(ScancodeToKeyCode, EveryKeyOfAFullKeyboardHasItsOwnCode)
{
    static_assert(std::size(kFullKeyboard) == 105);
    std::map<uint8_t, SDL_Scancode> owner;
    for (SDL_Scancode scancode : kFullKeyboard)
    {
        const uint8_t code = ScancodeToKeyCode(scancode);
        EXPECT_NE(code, 0) << SDL_GetScancodeName(scancode);
        EXPECT_TRUE(owner.emplace(code, scancode).second)
            << SDL_GetScancodeName(scancode) << " shares " << int(code) << " with "
            << SDL_GetScancodeName(owner[code]);
    }
}

TEST(ScancodeToKeyCode, NoTwoScancodesShareACode)
{
    std::map<uint8_t, int> owner;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode)
    {
        const uint8_t code = ScancodeToKeyCode(scancode);
        // The ISO hash key is the backslash key under another name.
        if (code == 0 || scancode == SDL_SCANCODE_NONUSHASH)
            continue;
        EXPECT_TRUE(owner.emplace(code, scancode).second)
            << "scancodes " << scancode << " and " << owner[code] << " share " << int(code);
    }
}

TEST(ScancodeToKeyCode, UnknownScancodesHaveNoCode)
{
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(ScancodeToKeyCode(-1), 0);
    EXPECT_EQ(ScancodeToKeyCode(SDL_NUM_SCANCODES), 0);
    EXPECT_EQ(ScancodeToKeyCode(SDL_SCANCODE_KBDILLUMUP), 0);
}

TEST(SdlInputDevices, KeyboardReadClearsStaleState)
{
    platform::CSdlInputDevices devices;
    uint8_t state[platform::kKeyCodeCount];
    std::memset(state, 0xFF, sizeof(state));
    // No key is down before SDL has seen any keyboard.
    EXPECT_TRUE(devices.ReadKeyboard(state));
    for (uint8_t byte : state)
        EXPECT_EQ(byte, 0);
}

// SDL's "dummy" video driver needs no display: one 1024 x 768 true-colour
// mode, and no OpenGL.
class SdlDummyVideo : public testing::Test
{
protected:
    void SetUp() override
    {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
        std::string error;
        ASSERT_TRUE(platform::InitVideo(error)) << error;
    }
    void TearDown() override
    {
        platform::ShutdownVideo();
        SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    }
};

TEST_F(SdlDummyVideo, InitIsIdempotentAndLeavesSignalsAlone)
{
    std::string error;
    EXPECT_TRUE(platform::InitVideo(error));
    struct sigaction interrupt = {};
    struct sigaction terminate = {};
    sigaction(SIGINT, nullptr, &interrupt);
    sigaction(SIGTERM, nullptr, &terminate);
    EXPECT_EQ(interrupt.sa_handler, SIG_DFL) << "SDL took over SIGINT";
    EXPECT_EQ(terminate.sa_handler, SIG_DFL) << "SDL took over SIGTERM";
}

TEST_F(SdlDummyVideo, ModesAreDescribedForNormalising)
{
    auto modes = platform::ListDisplayModes();
    ASSERT_FALSE(modes.empty());
    // The dummy display is 24-bit true colour, as an X server reports it.
    EXPECT_EQ(modes.front().bitsPerPixel, 24);
    EXPECT_EQ(modes.front().bitsPerChannel, 8);
    EXPECT_EQ(platform::DesktopMode().depth, 32);
    EXPECT_EQ(platform::DesktopMode().refresh, 60);
}

TEST_F(SdlDummyVideo, WindowWithoutOpenGlFailsWithAReason)
{
    platform::WindowSettings settings;
    settings.fullscreen = false;
    std::string error;
    EXPECT_EQ(platform::CWindow::Create(settings, error), nullptr);
    EXPECT_FALSE(error.empty());
}

TEST_F(SdlDummyVideo, AKeyTappedBetweenTwoReadsCountsAsHeldOnce)
{
    platform::CSdlInputDevices devices;
    SDL_Event press = {};
    press.type = SDL_KEYDOWN;
    press.key.keysym.scancode = SDL_SCANCODE_F9;
    SDL_Event release = press;
    release.type = SDL_KEYUP;
    SDL_PushEvent(&press);
    SDL_PushEvent(&release);
    SDL_PumpEvents();

    uint8_t state[platform::kKeyCodeCount];
    EXPECT_TRUE(devices.ReadKeyboard(state));
    EXPECT_EQ(state[0x43], platform::kKeyDown) << "the tap is seen";
    EXPECT_TRUE(devices.ReadKeyboard(state));
    EXPECT_EQ(state[0x43], 0) << "and only once";
}
