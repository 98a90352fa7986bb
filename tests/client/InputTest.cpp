// CInput: the game key map, text-entry mode, no keyboard, and the mouse.
#include "client/Input.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace
{
class FakeDevices : public platform::IInputDevices
{
public:
    bool keyboard = true;
    std::vector<int> held;
    platform::MouseState mouse;

    bool HasKeyboard() const override { return keyboard; }
    bool HasMouse() const override { return true; }
    bool ReadKeyboard(uint8_t (&state)[platform::kKeyCodeCount]) override
    {
        for (int code : held)
            state[code] = platform::kKeyDown;
        return true;
    }
    bool ReadMouse(platform::MouseState& state) override
    {
        state = mouse;
        return true;
    }
};

constexpr int kJ = 0x24, kK = 0x25, kSpace = 0x39, kF9 = 0x43, kQ = 0x10;

std::vector<int> SetActions(CInput& input)
{
    uint8_t actions[kActionCount];
    input.PollActions(actions);
    std::vector<int> set;
    for (int i = 0; i < kActionCount; ++i)
        if (actions[i])
            set.push_back(i);
    return set;
}
} // namespace

TEST(Input, HeldKeysBecomeTheirActions)
{
    FakeDevices devices;
    CInput input;
    input.Init(&devices);
    EXPECT_EQ(input.GetMode(), kKeyboardModeGame);
    devices.held = {kJ, kSpace};
    EXPECT_EQ(SetActions(input), (std::vector<int>{KEY_TURN_LEFT, KEY_FIRE_BULLET}));
    devices.held = {kQ};
    EXPECT_EQ(SetActions(input), std::vector<int>{KEY_NONE}) << "an unmapped key only touches entry 0";

    // The whole map: sixteen keys, codes 4 and 6 never produced.
    int mapped = 0;
    for (int code = 0; code < platform::kKeyCodeCount; ++code)
        mapped += input.GetKeyAction(code) != KEY_NONE;
    EXPECT_EQ(mapped, 16);
    EXPECT_EQ(input.GetKeyAction(0x01), KEY_MENU);
    EXPECT_EQ(input.GetKeyAction(0x28), KEY_CHAT);
    EXPECT_EQ(input.GetKeyAction(0x12), KEY_FIRE_PLASMA);
    EXPECT_EQ(input.GetKeyAction(-1), KEY_NONE);
}

TEST(Input, TextEntryAndMissingKeyboardDeliverNothing)
{
    FakeDevices devices;
    CInput input;
    input.Init(&devices);
    devices.held = {kF9, kK};
    input.SetMode(kKeyboardModeText);
    EXPECT_TRUE(input.IsTextMode());
    EXPECT_TRUE(SetActions(input).empty()) << "F9 does not quit and K does not thrust while typing";
    input.SetMode(kKeyboardModeGame);
    EXPECT_EQ(SetActions(input), (std::vector<int>{KEY_QUIT, KEY_THRUST}));

    devices.keyboard = false;
    EXPECT_TRUE(SetActions(input).empty());
    CInput uninitialised;
    EXPECT_TRUE(SetActions(uninitialised).empty());
}

TEST(Input, MouseMotionIsClampedFromAboveOnly)
{
    FakeDevices devices;
    CInput input;
    input.Init(&devices);
    int x, y;
    bool left, leftChanged, right, rightChanged;
    devices.mouse.dx = 5;
    devices.mouse.dy = 7; // downwards
    devices.mouse.buttons[0] = platform::kKeyDown;
    input.PollMouse(x, y, left, leftChanged, right, rightChanged);
    EXPECT_EQ(x, 1) << "clamped to the limit";
    EXPECT_EQ(y, -7) << "y grows upwards, no lower clamp";
    EXPECT_TRUE(left);
    EXPECT_TRUE(leftChanged);
    EXPECT_FALSE(right);
    EXPECT_FALSE(rightChanged);
    input.PollMouse(x, y, left, leftChanged, right, rightChanged);
    EXPECT_EQ(y, -14);
    EXPECT_TRUE(left);
    EXPECT_FALSE(leftChanged) << "still held";
}
