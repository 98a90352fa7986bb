// The SDL stand-ins: SDL's events as the game's window events, scancodes as
// the game's key codes, the keyboard read, the display on SDL's "dummy"
// video driver (no display needed), and gamepads on its virtual joysticks.
#include "platform/sdl/SdlInputDevices.h"
#include "platform/sdl/Window.h"

#include "tests/support/TempDir.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using platform::ScancodeToKeyCode;
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

SDL_Event PadButton(SDL_GameControllerButton button, Uint32 type = SDL_CONTROLLERBUTTONDOWN)
{
    SDL_Event event{};
    event.type = type;
    event.cbutton.button = static_cast<Uint8>(button);
    return event;
}

SDL_Event KeyUp(SDL_Keycode sym, SDL_Scancode scancode)
{
    SDL_Event event = KeyDown(sym, scancode);
    event.type = SDL_KEYUP;
    return event;
}

// What the game gets from an SDL event, in words: "none", "destroy",
// "size WxH", "key N", "char N" or "toggle".
std::string Translated(const SDL_Event& event)
{
    platform::WindowEvent out;
    if (!platform::TranslateEvent(event, out))
        return "none";
    switch (out.type)
    {
    case EventType::Destroy:
        return "destroy";
    case EventType::Size:
        return "size " + std::to_string(out.width) + "x" + std::to_string(out.height);
    case EventType::KeyDown:
        return "key " + std::to_string(out.key);
    case EventType::Char:
        return "char " + std::to_string(int(out.character));
    case EventType::ToggleFullscreen:
        return "toggle";
    default:
        return "create";
    }
}

std::string Key(int code)
{
    return "key " + std::to_string(code);
}

std::string Char(char character)
{
    return "char " + std::to_string(int(character));
}
} // namespace

TEST(TranslateEvent, WindowChangesQuitsAndOtherEvents)
{
    const std::pair<SDL_Event, std::string> cases[] = {
        {OfType(SDL_QUIT), "destroy"},
        {WindowChange(SDL_WINDOWEVENT_CLOSE), "destroy"},
        {WindowChange(SDL_WINDOWEVENT_SIZE_CHANGED, 800, 600), "size 800x600"},
        // SDL follows every resize with a size change; one Size event is enough.
        {WindowChange(SDL_WINDOWEVENT_RESIZED, 800, 600), "none"},
        {WindowChange(SDL_WINDOWEVENT_MOVED, 10, 10), "none"},
        {OfType(SDL_MOUSEMOTION), "none"},
    };
    for (const auto& [event, expected] : cases)
        EXPECT_EQ(Translated(event), expected) << "SDL event type " << event.type;
}

// Navigation keys repeat; Return and Backspace are control characters with
// or without repeats and modifiers; Alt+Enter toggles once per press; letters
// come as text input, and releases mean nothing. A pad's D-pad moves, A
// chooses, B and Start go back.
TEST(TranslateEvent, KeysAndPadButtons)
{
    const std::pair<SDL_Event, std::string> cases[] = {
        {KeyDown(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), Key(platform::kVkEscape)},
        {KeyDown(SDLK_LEFT, SDL_SCANCODE_LEFT, KMOD_NONE, 1), Key(platform::kVkLeft)},
        {KeyDown(SDLK_RIGHT, SDL_SCANCODE_RIGHT), Key(platform::kVkRight)},
        {KeyDown(SDLK_UP, SDL_SCANCODE_UP, KMOD_LSHIFT), Key(platform::kVkUp)},
        {KeyDown(SDLK_DOWN, SDL_SCANCODE_DOWN, KMOD_NONE, 1), Key(platform::kVkDown)},
        {KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN), Char(platform::kCharReturn)},
        {KeyDown(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER), Char(platform::kCharReturn)},
        {KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_NONE, 1), Char(platform::kCharReturn)},
        {KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LCTRL | KMOD_LSHIFT), Char(platform::kCharReturn)},
        {KeyDown(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, KMOD_NONE, 1), Char(platform::kCharBackspace)},
        {KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT), "toggle"},
        {KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_RALT), "toggle"},
        {KeyDown(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, KMOD_LALT | KMOD_NUM), "toggle"},
        // Holding Alt+Enter must not flip the mode back and forth.
        {KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT, 1), "none"},
        {KeyDown(SDLK_a, SDL_SCANCODE_A), "none"},
        {KeyDown(SDLK_F9, SDL_SCANCODE_F9), "none"},
        {KeyDown(SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT), "none"},
        {KeyUp(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), "none"},
        {PadButton(SDL_CONTROLLER_BUTTON_DPAD_UP), Key(platform::kVkUp)},
        {PadButton(SDL_CONTROLLER_BUTTON_DPAD_DOWN), Key(platform::kVkDown)},
        {PadButton(SDL_CONTROLLER_BUTTON_DPAD_LEFT), Key(platform::kVkLeft)},
        {PadButton(SDL_CONTROLLER_BUTTON_DPAD_RIGHT), Key(platform::kVkRight)},
        {PadButton(SDL_CONTROLLER_BUTTON_A), Char(platform::kCharReturn)},
        {PadButton(SDL_CONTROLLER_BUTTON_B), Key(platform::kVkEscape)},
        {PadButton(SDL_CONTROLLER_BUTTON_START), Key(platform::kVkEscape)},
        {PadButton(SDL_CONTROLLER_BUTTON_X), "none"},
        {PadButton(SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLERBUTTONUP), "none"},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(Translated(cases[i].first), cases[i].second) << "case " << i;
}

// UTF-8 bytes are skipped, never taken as characters of their own.
TEST(TranslateEvent, TextInputGivesItsFirstPrintableAsciiCharacter)
{
    const std::pair<const char*, std::string> cases[] = {
        {"a", Char('a')},     {" ", Char(' ')},   {"~", Char('~')},
        {"'", Char('\'')},    {"xyz", Char('x')}, {"\xC3\xA9!", Char('!')},
        {"\xC3\xA9", "none"}, {"\x7F", "none"},   {"\t", "none"},
        {"", "none"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(Translated(TextInput(text)), expected) << text;
}

// The game's key codes are DirectInput's: a fixed table the game's key
// bindings depend on.
TEST(ScancodeToKeyCode, KeysHaveTheirDirectInputCodes)
{
    // clang-format off
    const std::pair<SDL_Scancode, int> codes[] = {
        {SDL_SCANCODE_F9, 0x43}, {SDL_SCANCODE_F12, 0x58}, {SDL_SCANCODE_F11, 0x57},
        {SDL_SCANCODE_APOSTROPHE, 0x28}, {SDL_SCANCODE_J, 0x24}, {SDL_SCANCODE_L, 0x26},
        {SDL_SCANCODE_K, 0x25}, {SDL_SCANCODE_D, 0x20}, {SDL_SCANCODE_SPACE, 0x39}, {SDL_SCANCODE_V, 0x2F},
        {SDL_SCANCODE_C, 0x2E}, {SDL_SCANCODE_E, 0x12}, {SDL_SCANCODE_R, 0x13}, {SDL_SCANCODE_F, 0x21},
        {SDL_SCANCODE_S, 0x1F}, {SDL_SCANCODE_ESCAPE, 0x01}, {SDL_SCANCODE_1, 0x02}, {SDL_SCANCODE_0, 0x0B},
        {SDL_SCANCODE_Q, 0x10}, {SDL_SCANCODE_RETURN, 0x1C}, {SDL_SCANCODE_GRAVE, 0x29},
        {SDL_SCANCODE_BACKSLASH, 0x2B}, {SDL_SCANCODE_NONUSHASH, 0x2B}, {SDL_SCANCODE_NONUSBACKSLASH, 0x56},
        {SDL_SCANCODE_F1, 0x3B}, {SDL_SCANCODE_F10, 0x44}, {SDL_SCANCODE_F13, 0x64}, {SDL_SCANCODE_F15, 0x66},
        {SDL_SCANCODE_KP_0, 0x52}, {SDL_SCANCODE_KP_7, 0x47}, {SDL_SCANCODE_KP_ENTER, 0x9C},
        {SDL_SCANCODE_KP_DIVIDE, 0xB5}, {SDL_SCANCODE_KP_MULTIPLY, 0x37}, {SDL_SCANCODE_UP, 0xC8},
        {SDL_SCANCODE_LEFT, 0xCB}, {SDL_SCANCODE_RIGHT, 0xCD}, {SDL_SCANCODE_DOWN, 0xD0},
        {SDL_SCANCODE_INSERT, 0xD2}, {SDL_SCANCODE_DELETE, 0xD3}, {SDL_SCANCODE_HOME, 0xC7},
        {SDL_SCANCODE_PAGEDOWN, 0xD1}, {SDL_SCANCODE_LCTRL, 0x1D}, {SDL_SCANCODE_RCTRL, 0x9D},
        {SDL_SCANCODE_LALT, 0x38}, {SDL_SCANCODE_RALT, 0xB8}, {SDL_SCANCODE_RSHIFT, 0x36},
        {SDL_SCANCODE_LGUI, 0xDB}, {SDL_SCANCODE_CAPSLOCK, 0x3A}, {SDL_SCANCODE_NUMLOCKCLEAR, 0x45},
        {SDL_SCANCODE_SCROLLLOCK, 0x46}, {SDL_SCANCODE_PRINTSCREEN, 0xB7}, {SDL_SCANCODE_PAUSE, 0xC5},
        {SDL_SCANCODE_APPLICATION, 0xDD},
    };
    // clang-format on

    for (const auto& [scancode, code] : codes)
        EXPECT_EQ(ScancodeToKeyCode(scancode), code) << SDL_GetScancodeName(scancode);
    for (int unknown : {int(SDL_SCANCODE_UNKNOWN), -1, int(SDL_NUM_SCANCODES), int(SDL_SCANCODE_KBDILLUMUP)})
        EXPECT_EQ(ScancodeToKeyCode(unknown), 0) << unknown;
}

// Every key of a PC 105-key (ISO) keyboard has a code: SDL numbers them from
// A to the menu key, then the eight modifiers. No two scancodes share a code
// but the ISO hash key, which X reports as the backslash key it is.
TEST(ScancodeToKeyCode, EveryKeyHasACodeOfItsOwn)
{
    std::vector<int> keyboard;
    for (int scancode = SDL_SCANCODE_A; scancode <= SDL_SCANCODE_APPLICATION; ++scancode)
        if (scancode != SDL_SCANCODE_NONUSHASH)
            keyboard.push_back(scancode);
    for (int scancode = SDL_SCANCODE_LCTRL; scancode <= SDL_SCANCODE_RGUI; ++scancode)
        keyboard.push_back(scancode);
    ASSERT_EQ(keyboard.size(), 105u);
    for (int scancode : keyboard)
        EXPECT_NE(ScancodeToKeyCode(scancode), 0) << SDL_GetScancodeName(SDL_Scancode(scancode));
    std::map<uint8_t, int> owner;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode)
    {
        const uint8_t code = ScancodeToKeyCode(scancode);
        if (code == 0 || scancode == SDL_SCANCODE_NONUSHASH)
            continue;
        EXPECT_TRUE(owner.emplace(code, scancode).second)
            << "scancodes " << scancode << " and " << owner[code] << " share " << int(code);
    }
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

TEST_F(SdlDummyVideo, InitIsIdempotentLeavesSignalsAloneAndDescribesTheModes)
{
    std::string error;
    EXPECT_TRUE(platform::InitVideo(error));
    for (int signal : {SIGINT, SIGTERM})
    {
        struct sigaction action = {};
        sigaction(signal, nullptr, &action);
        EXPECT_EQ(action.sa_handler, SIG_DFL) << "SDL took over signal " << signal;
    }
    EXPECT_FALSE(platform::ListDisplayModes().empty());
    EXPECT_EQ(platform::DesktopMode().depth, 32) << "the dummy display's 24-bit true colour";
    EXPECT_EQ(platform::DesktopMode().refresh, 60);

    platform::WindowSettings settings;
    settings.fullscreen = false;
    EXPECT_EQ(platform::CWindow::Create(settings, error), nullptr);
    EXPECT_FALSE(error.empty()) << "a failed window says why";
}

TEST_F(SdlDummyVideo, AKeyTappedBetweenTwoReadsCountsAsHeldOnce)
{
    platform::CSdlInputDevices devices;
    SDL_Event press = KeyDown(SDLK_F9, SDL_SCANCODE_F9);
    SDL_Event release = KeyUp(SDLK_F9, SDL_SCANCODE_F9);
    SDL_PushEvent(&press);
    SDL_PushEvent(&release);
    SDL_PumpEvents();

    uint8_t state[platform::kKeyCodeCount];
    std::memset(state, 0xFF, sizeof(state));
    EXPECT_TRUE(devices.ReadKeyboard(state));
    EXPECT_EQ(state[0x43], platform::kKeyDown) << "the tap is seen";
    state[0x43] = 0;
    for (uint8_t byte : state)
        EXPECT_EQ(byte, 0) << "no other key is down, whatever the buffer held";
    EXPECT_TRUE(devices.ReadKeyboard(state));
    EXPECT_EQ(state[0x43], 0) << "and only once";
}

namespace
{
// A virtual pad whose joystick buttons and axes are numbered as SDL's
// controller buttons and axes; SDL has no mapping for one whose `type` is
// not a game controller. A virtual trigger spans the whole axis, so its rest
// is the minimum.
SDL_Joystick* PlugInPad(Uint16 product, Uint16 type = SDL_JOYSTICK_TYPE_GAMECONTROLLER)
{
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = type;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.vendor_id = 0x1234;
    desc.product_id = product;
    desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
    desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
    SDL_Joystick* pad = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_JOYSTICK_AXIS_MIN);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, SDL_JOYSTICK_AXIS_MIN);
    return pad;
}

void PullOut(SDL_Joystick* pad)
{
    const SDL_JoystickID id = SDL_JoystickInstanceID(pad);
    SDL_JoystickClose(pad);
    for (int index = 0; index < SDL_NumJoysticks(); ++index)
        if (SDL_JoystickGetDeviceInstanceID(index) == id)
            SDL_JoystickDetachVirtual(index);
}

platform::PadState ReadPads(platform::CSdlInputDevices& devices)
{
    SDL_PumpEvents();
    platform::PadState state;
    EXPECT_EQ(devices.ReadPad(state), state.connected);
    return state;
}
} // namespace

// Pads plugged in mid-game are read as one, each axis as the pad that pushes
// it furthest, a tap between two reads counts once, and a pad pulled out no
// longer counts.
TEST_F(SdlDummyVideo, PadsArePluggedInReadAsOneAndPulledOut)
{
    platform::CSdlInputDevices devices;
    SDL_Joystick* first = PlugInPad(1);
    EXPECT_TRUE(ReadPads(devices).connected);
    SDL_Joystick* second = PlugInPad(2);
    SDL_JoystickSetVirtualButton(second, SDL_CONTROLLER_BUTTON_Y, SDL_PRESSED);
    SDL_JoystickSetVirtualAxis(first, SDL_CONTROLLER_AXIS_LEFTX, 20000);
    SDL_JoystickSetVirtualAxis(second, SDL_CONTROLLER_AXIS_LEFTX, -30000);
    SDL_JoystickSetVirtualAxis(first, SDL_CONTROLLER_AXIS_LEFTY, -30000);
    SDL_JoystickSetVirtualAxis(second, SDL_CONTROLLER_AXIS_LEFTY, 15000);
    platform::PadState state = ReadPads(devices);
    EXPECT_EQ(state.buttons, 1u << SDL_CONTROLLER_BUTTON_Y);
    EXPECT_EQ(state.axes[SDL_CONTROLLER_AXIS_LEFTX], -30000);
    EXPECT_EQ(state.axes[SDL_CONTROLLER_AXIS_LEFTY], -30000);

    SDL_JoystickSetVirtualButton(first, SDL_CONTROLLER_BUTTON_B, SDL_PRESSED);
    SDL_PumpEvents();
    SDL_JoystickSetVirtualButton(first, SDL_CONTROLLER_BUTTON_B, SDL_RELEASED);
    EXPECT_EQ(ReadPads(devices).buttons, (1u << SDL_CONTROLLER_BUTTON_B | 1u << SDL_CONTROLLER_BUTTON_Y));
    EXPECT_EQ(ReadPads(devices).buttons, 1u << SDL_CONTROLLER_BUTTON_Y) << "the tap only once";
    PullOut(second);
    state = ReadPads(devices);
    EXPECT_EQ(state.buttons, 0u);
    EXPECT_EQ(state.axes[SDL_CONTROLLER_AXIS_LEFTX], 20000);
    PullOut(first);
    EXPECT_FALSE(ReadPads(devices).connected);
}

// A pad SDL has no mapping for is read once the player's
// gamecontrollerdb.txt has its line (the file's lines name their platform).
TEST_F(SdlDummyVideo, PadMappingsComeFromTheSettingsFolder)
{
    SDL_Joystick* pad = PlugInPad(3, SDL_JOYSTICK_TYPE_UNKNOWN);
    char guid[33];
    SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(pad), guid, sizeof guid);
    testing_support::TempDir settings;
    settings.Write(platform::kPadMappingFileName, std::string(guid) + ",Odd Pad,a:b1,b:b0,platform:Linux,");
    {
        platform::CSdlInputDevices devices(settings.Path());
        SDL_JoystickSetVirtualButton(pad, 0, SDL_PRESSED);
        EXPECT_EQ(ReadPads(devices).buttons, 1u << SDL_CONTROLLER_BUTTON_B) << "A and B swapped";
    }
    PullOut(pad);
}
