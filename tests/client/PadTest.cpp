// Gamepads from end to end in process: SDL's virtual joysticks plugged in
// and pulled out under the "dummy" video driver, read by the real SDL
// devices, and turned into the player's actions by CInput or into the
// menus' keys by the window's event translation.
#include "client/Input.h"
#include "client/game/GameKeys.h"
#include "platform/sdl/SdlInputDevices.h"
#include "platform/sdl/Window.h"

#include "tests/support/SdlDummyVideo.h"
#include "tests/support/TempDir.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
using Actions = std::vector<uint32_t>;
// What the game sends for a frame without a held key.
const Actions kNothing{KEY_NONE};

// A pressed key as the menus get it, in words; events are listed one after
// another.
std::string Key(int key)
{
    return "key " + std::to_string(key) + " ";
}

class VirtualPads : public testing_support::SdlDummyVideo
{
protected:
    void TearDown() override
    {
        for (size_t pad = 0; pad < m_sticks.size(); ++pad)
            Pull(pad);
        m_devices.reset();
        SdlDummyVideo::TearDown();
    }

    // The devices and the input, as the client makes them at its start.
    void StartInput(const std::string& settingsFolder = {})
    {
        m_devices = std::make_unique<platform::CSdlInputDevices>(settingsFolder);
        m_input.Init(m_devices.get());
    }

    // Plugs in a pad with every SDL button and axis, its triggers at rest;
    // a pad of `type` other than a game controller comes without a mapping.
    size_t PlugIn(Uint16 type = SDL_JOYSTICK_TYPE_GAMECONTROLLER, Uint16 product = 1)
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
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        EXPECT_GE(index, 0) << SDL_GetError();
        m_sticks.push_back(SDL_JoystickOpen(index));
        // A virtual trigger spans the whole axis, so its rest is the minimum.
        Push(m_sticks.size() - 1, SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_JOYSTICK_AXIS_MIN);
        Push(m_sticks.size() - 1, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, SDL_JOYSTICK_AXIS_MIN);
        return m_sticks.size() - 1;
    }

    void Pull(size_t pad)
    {
        SDL_Joystick*& stick = m_sticks.at(pad);
        if (stick == nullptr)
            return;
        const SDL_JoystickID id = SDL_JoystickInstanceID(stick);
        SDL_JoystickClose(stick);
        stick = nullptr;
        for (int index = 0; index < SDL_NumJoysticks(); ++index)
            if (SDL_JoystickGetDeviceInstanceID(index) == id)
                SDL_JoystickDetachVirtual(index);
    }

    // The virtual pad's joystick buttons and axes are numbered as SDL's
    // controller buttons and axes, which is how SDL maps them.
    void Press(size_t pad, SDL_GameControllerButton button, bool down = true)
    {
        SDL_JoystickSetVirtualButton(m_sticks.at(pad), button, down ? SDL_PRESSED : SDL_RELEASED);
    }
    void Push(size_t pad, SDL_GameControllerAxis axis, int value)
    {
        SDL_JoystickSetVirtualAxis(m_sticks.at(pad), axis, static_cast<Sint16>(value));
    }

    // The actions of one frame, in the order the game sends them.
    Actions Held()
    {
        SDL_PumpEvents();
        uint8_t actions[kActionCount];
        m_input.PollActions(actions);
        return BuildKeyList(actions);
    }

    std::unique_ptr<platform::CSdlInputDevices> m_devices;
    CInput m_input;
    std::vector<SDL_Joystick*> m_sticks;
};

TEST_F(VirtualPads, SticksAndTriggersCountOnlyPastTheDeadZone)
{
    StartInput();
    PlugIn();
    ASSERT_EQ(Held(), kNothing) << "a pad at rest holds nothing";
    // A trigger's joystick value v reads as (v + 32768) / 2 on the pad.
    const struct
    {
        SDL_GameControllerAxis axis;
        int value;
        int rest;
        Actions held;
    } cases[] = {
        {SDL_CONTROLLER_AXIS_LEFTX, -32768, 0, {KEY_TURN_LEFT}},
        {SDL_CONTROLLER_AXIS_LEFTX, 12000, 0, {KEY_TURN_RIGHT}},
        {SDL_CONTROLLER_AXIS_LEFTX, -8000, 0, kNothing},
        {SDL_CONTROLLER_AXIS_LEFTX, 8000, 0, kNothing},
        {SDL_CONTROLLER_AXIS_LEFTY, -20000, 0, {KEY_THRUST}},
        {SDL_CONTROLLER_AXIS_LEFTY, 32767, 0, kNothing},
        {SDL_CONTROLLER_AXIS_RIGHTX, -32768, 0, kNothing},
        {SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767, SDL_JOYSTICK_AXIS_MIN, {KEY_CLOAK}},
        {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -6000, SDL_JOYSTICK_AXIS_MIN, {KEY_FIRE_PLASMA}},
        {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -20000, SDL_JOYSTICK_AXIS_MIN, kNothing},
    };
    for (const auto& c : cases)
    {
        Push(0, c.axis, c.value);
        EXPECT_EQ(Held(), c.held) << "axis " << c.axis << " at " << c.value;
        Push(0, c.axis, c.rest);
    }
    CBindings bindings;
    bindings.Bind(KEY_FIRE_MINE, PAD_RIGHT_Y_PLUS);
    m_input.SetBindings(bindings);
    Push(0, SDL_CONTROLLER_AXIS_RIGHTY, 30000);
    EXPECT_EQ(Held(), Actions{KEY_FIRE_MINE}) << "the right stick held through the player's binding";
}

// A tap between two frames counts once; Start leaves the game whatever the
// bindings; nothing fires while a line is typed, not even afterwards.
TEST_F(VirtualPads, ButtonsGiveTheirActionsAndTapsCountOnce)
{
    StartInput();
    PlugIn();
    Press(0, SDL_CONTROLLER_BUTTON_A);
    Press(0, SDL_CONTROLLER_BUTTON_DPAD_UP);
    EXPECT_EQ(Held(), (Actions{KEY_THRUST, KEY_FIRE_BULLET}));
    Press(0, SDL_CONTROLLER_BUTTON_A, false);
    Press(0, SDL_CONTROLLER_BUTTON_DPAD_UP, false);
    Press(0, SDL_CONTROLLER_BUTTON_B);
    SDL_PumpEvents();
    Press(0, SDL_CONTROLLER_BUTTON_B, false);
    EXPECT_EQ(Held(), Actions{KEY_SHIELDS}) << "the tap between frames";
    EXPECT_EQ(Held(), kNothing) << "and only once";

    Press(0, SDL_CONTROLLER_BUTTON_START);
    uint8_t actions[kActionCount];
    SDL_PumpEvents();
    m_input.PollActions(actions);
    EXPECT_TRUE(actions[KEY_MENU]);
    Press(0, SDL_CONTROLLER_BUTTON_START, false);

    m_input.SetMode(kKeyboardModeText);
    Press(0, SDL_CONTROLLER_BUTTON_X);
    SDL_PumpEvents();
    Press(0, SDL_CONTROLLER_BUTTON_X, false);
    Push(0, SDL_CONTROLLER_AXIS_LEFTX, -32768);
    EXPECT_EQ(Held(), kNothing) << "typing";
    m_input.SetMode(kKeyboardModeGame);
    EXPECT_EQ(Held(), Actions{KEY_TURN_LEFT}) << "the tap made while typing is gone";
}

// Any pad's control counts; pulling one out mid-game leaves the other and
// the keyboard working.
TEST_F(VirtualPads, PadsMergeAndAPulledPadLeavesTheRestWorking)
{
    StartInput();
    PlugIn();
    Held();
    const size_t second = PlugIn(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2);
    Press(second, SDL_CONTROLLER_BUTTON_Y);
    Push(0, SDL_CONTROLLER_AXIS_LEFTX, 20000);
    Push(second, SDL_CONTROLLER_AXIS_LEFTX, -30000);
    Push(0, SDL_CONTROLLER_AXIS_LEFTY, -30000);
    Push(second, SDL_CONTROLLER_AXIS_LEFTY, 15000);
    EXPECT_EQ(Held(), (Actions{KEY_TURN_LEFT, KEY_THRUST, KEY_FUEL_UP})) << "the stick pushed further wins";
    Push(0, SDL_CONTROLLER_AXIS_LEFTY, 0);
    Pull(second);
    EXPECT_EQ(Held(), Actions{KEY_TURN_RIGHT});

    Pull(0);
    EXPECT_EQ(Held(), kNothing);
    SDL_Event press{};
    press.type = SDL_KEYDOWN;
    press.key.keysym.scancode = SDL_SCANCODE_K;
    SDL_PushEvent(&press);
    EXPECT_EQ(Held(), Actions{KEY_THRUST}) << "the keyboard still flies";
    PlugIn();
    Press(2, SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(Held(), Actions{KEY_FIRE_BULLET}) << "a pad plugged in again";
}

// A pad SDL has no mapping for works once the player's gamecontrollerdb.txt
// has its line.
TEST_F(VirtualPads, MappingsComeFromTheSettingsFolder)
{
    const size_t pad = PlugIn(SDL_JOYSTICK_TYPE_UNKNOWN, 3);
    char guid[33];
    SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(m_sticks[pad]), guid, sizeof guid);
    testing_support::TempDir settings;
    settings.Write(platform::kPadMappingFileName, std::string("# a pad with A and B swapped\n") + guid +
                                                      ",Odd Pad,a:b1,b:b0,leftx:a0,platform:Linux,");
    StartInput(settings.Path());
    Press(pad, SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(Held(), Actions{KEY_SHIELDS});
}

// The menus' keys from a pad's events as SDL queues them.
TEST_F(VirtualPads, PadButtonsGiveTheMenusKeys)
{
    StartInput();
    PlugIn();
    Held();
    using platform::kVkEscape;
    const std::pair<SDL_GameControllerButton, std::string> cases[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_UP, Key(platform::kVkUp)},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, Key(platform::kVkDown)},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, Key(platform::kVkLeft)},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, Key(platform::kVkRight)},
        {SDL_CONTROLLER_BUTTON_A, "char 13 "},
        {SDL_CONTROLLER_BUTTON_B, Key(kVkEscape)},
        {SDL_CONTROLLER_BUTTON_START, Key(kVkEscape)},
        {SDL_CONTROLLER_BUTTON_X, ""},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, ""},
    };
    for (const auto& [button, expected] : cases)
    {
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        Press(0, button);
        SDL_PumpEvents();
        Press(0, button, false);
        SDL_PumpEvents();
        std::string translated;
        SDL_Event event;
        platform::WindowEvent out;
        while (SDL_PollEvent(&event) != 0)
            if (platform::TranslateEvent(event, out))
                translated += out.type == platform::WindowEvent::Type::Char
                                  ? "char " + std::to_string(out.character) + " "
                                  : Key(out.key);
        EXPECT_EQ(translated, expected) << SDL_GameControllerGetStringForButton(button);
    }
}
} // namespace
