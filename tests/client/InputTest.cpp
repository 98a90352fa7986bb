// The devices as the game reads them: CInput's key map, text-entry mode, no
// keyboard, and the mouse; the keys the game screen sends every frame, the
// display toggles with their cooldown, and the game screen's clock; the
// display's mode list (the game's filter and the Linux normalisation before
// it, against fake lists), mode changes and projection.
#include "client/Input.h"
#include "client/GLDisplay.h"
#include "client/game/FrameClock.h"
#include "client/game/GameKeys.h"
#include "game/Drawable.h"
#include "gfx/RecordingBackend.h"
#include "net/Client.h"
#include "platform/Clock.h"

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

struct Actions
{
    uint8_t held[kActionCount] = {};
    Actions(std::initializer_list<int> keys)
    {
        for (int key : keys)
            held[key] = 1;
    }
};

using platform::RawVideoMode;

// 16 bits is 5-6-5; 8 bits is a palette with no colour channels.
RawVideoMode Mode(int32_t width, int32_t height, int32_t bpp, int32_t refresh)
{
    return {width, height, bpp, bpp == 16 ? 6 : bpp == 8 ? 0 : 8, refresh};
}

CGLDisplay::ModeSource Modes(std::vector<RawVideoMode> modes)
{
    return [modes] { return modes; };
}

std::vector<platform::VideoMode> Listed(CGLDisplay& display)
{
    display.EnumerateModes();
    std::vector<platform::VideoMode> listed;
    for (int i = 0; i < display.GetModeCount(); ++i)
        listed.push_back({display.GetModeWidth(i), display.GetModeHeight(i), display.GetModeDepth(i),
                          display.GetModeRefresh(i)});
    return listed;
}
} // namespace

TEST(Input, HeldKeysBecomeTheirActionsExceptWhileTypingAndTheMouseIsClampedFromAboveOnly)
{
    FakeDevices devices;
    CInput input;
    input.Init(&devices);
    EXPECT_EQ(input.GetMode(), kKeyboardModeGame);
    devices.held = {kJ, kSpace};
    EXPECT_EQ(SetActions(input), (std::vector<int>{KEY_TURN_LEFT, KEY_FIRE_BULLET}));
    devices.held = {kQ};
    EXPECT_EQ(SetActions(input), std::vector<int>{KEY_NONE}) << "an unmapped key only touches entry 0";
    // The whole map: sixteen keys (the instructions name each).
    int mapped = 0;
    for (int code = 0; code < platform::kKeyCodeCount; ++code)
        mapped += input.GetKeyAction(code) != KEY_NONE;
    EXPECT_EQ(mapped, 16);
    EXPECT_EQ(input.GetKeyAction(0x01), KEY_MENU);
    EXPECT_EQ(input.GetKeyAction(0x28), KEY_CHAT);
    EXPECT_EQ(input.GetKeyAction(0x12), KEY_FIRE_PLASMA);
    EXPECT_EQ(input.GetKeyAction(-1), KEY_NONE);

    devices.held = {kF9, kK};
    input.SetMode(kKeyboardModeText);
    EXPECT_TRUE(SetActions(input).empty()) << "F9 does not quit and K does not thrust while typing";
    input.SetMode(kKeyboardModeGame);
    EXPECT_EQ(SetActions(input), (std::vector<int>{KEY_QUIT, KEY_THRUST}));
    devices.keyboard = false;
    EXPECT_TRUE(SetActions(input).empty());

    // The mouse: motion is clamped from above only.
    int x, y;
    bool left, leftChanged, right, rightChanged;
    devices.mouse.dx = 5;
    devices.mouse.dy = 7; // downwards
    devices.mouse.buttons[0] = platform::kKeyDown;
    input.PollMouse(x, y, left, leftChanged, right, rightChanged);
    EXPECT_EQ(x, 1) << "clamped to the limit";
    EXPECT_EQ(y, -7) << "y grows upwards, no lower clamp";
    EXPECT_TRUE(left && leftChanged && !right && !rightChanged);
    input.PollMouse(x, y, left, leftChanged, right, rightChanged);
    EXPECT_EQ(y, -14);
    EXPECT_TRUE(left && !leftChanged) << "still held";
    devices.mouse.dy = -20;
    input.PollMouse(x, y, left, leftChanged, right, rightChanged);
    EXPECT_EQ(y, 1) << "clamped to the limit upwards too";
    input.Release();
    EXPECT_FALSE(input.IsInitialised());
    CInput uninitialised;
    EXPECT_TRUE(SetActions(uninitialised).empty());
}

TEST(GameKeys, HeldControlsGoOutInTheFixedOrder)
{
    EXPECT_EQ(BuildKeyList(Actions{}.held), std::vector<uint32_t>{0}) << "keys go out even when none is held";
    EXPECT_EQ(BuildKeyList(Actions{KEY_FIRE_BULLET, KEY_THRUST, KEY_TURN_LEFT}.held),
              (std::vector<uint32_t>{7, 9, 11}));
    Actions all{KEY_QUIT, KEY_CHAT, KEY_MENU, KEY_TOGGLE_NAMES};
    for (int action = KEY_TURN_LEFT; action <= static_cast<int>(KEY_CLOAK); ++action)
        all.held[action] = 1;
    EXPECT_EQ(BuildKeyList(all.held), (std::vector<uint32_t>{7, 8, 9, 16, 11, 12, 13, 14, 10, 17, 15}))
        << "only the eleven controls, in the server's order";
}

TEST(GameKeys, HeldToggleFlipsOncePerSecond)
{
    DrawToggles& toggles = GetDrawToggles();
    toggles = DrawToggles{};
    CDisplayToggleKeys keys;
    int flips = 0;
    bool last = toggles.names;
    // 2.5 s of 16 ms frames with F11 held.
    for (int elapsed = 0; elapsed < 2500; elapsed += 16)
    {
        keys.Apply(Actions{KEY_TOGGLE_NAMES}.held);
        flips += toggles.names != last;
        last = toggles.names;
        keys.Elapse(16);
    }
    EXPECT_EQ(flips, 3) << "at 0, about 1 and about 2 seconds";
    toggles = DrawToggles{};
    CDisplayToggleKeys both;
    both.Apply(Actions{KEY_TOGGLE_NAMES, KEY_TOGGLE_OUTLINES}.held);
    EXPECT_TRUE(toggles.outlines);
    EXPECT_TRUE(toggles.names) << "holding both flips only the outlines";
    EXPECT_EQ(both.Cooldown(), CDisplayToggleKeys::kCooldownMs);
    toggles = DrawToggles{};
}

TEST(GameKeys, FrameClockTimesFramesAndCountsThemEachSecond)
{
    platform::FakeClock time(5000);
    CFrameClock clock;
    CClient unconnected;
    for (int frame = 1; frame <= 63; ++frame)
    {
        clock.CountFrame();
        time.Advance(16);
        clock.EndFrame(unconnected);
        EXPECT_EQ(clock.FrameTime(), 16);
        EXPECT_EQ(clock.Fps(), frame < 63 ? 0 : 63) << "after " << frame * 16 << " ms";
    }
}

TEST(DisplayModes, OnlyTheOfferedSizesAtSixtyHertzAfterTheLinuxModesAreNormalised)
{
    // An X server's 24-bit true colour at an unknown refresh rate (Xvfb)
    // counts as 32 bits at 60 Hz.
    CGLDisplay display(Modes({Mode(800, 600, 32, 60), Mode(1024, 768, 16, 75), Mode(1024, 768, 32, 60),
                              Mode(1024, 768, 32, 75), Mode(1024, 768, 16, 60), Mode(1280, 800, 32, 60),
                              Mode(1600, 1200, 24, 0), Mode(1024, 768, 32, 60), Mode(1152, 864, 8, 60),
                              Mode(1152, 864, 16, 0)}));
    EXPECT_EQ(Listed(display), (std::vector<platform::VideoMode>{{1024, 768, 32, 60},
                                                                 {1024, 768, 16, 60},
                                                                 {1600, 1200, 32, 60},
                                                                 {1024, 768, 32, 60},
                                                                 {1152, 864, 16, 60}}))
        << "system order, duplicates kept";
    EXPECT_TRUE(display.ChangeMode(1600, 1200, 32, 60));
    EXPECT_EQ(display.GetModeWidth(-1), 0);
    EXPECT_EQ(display.GetModeWidth(display.GetModeCount()), 0);
    EXPECT_EQ(display.GetModeRefresh(99), 0);

    display.SetModeSource(Modes(std::vector<RawVideoMode>(51, Mode(1280, 1024, 32, 60))));
    EXPECT_EQ(Listed(display).size(), 50u) << "at most fifty";
    display.SetModeSource(Modes({}));
    EXPECT_TRUE(Listed(display).empty()) << "enumerating again starts from nothing";
}

TEST(DisplayModes, AFailedChangeKeepsTheModeInForce)
{
    CGLDisplay display(Modes({Mode(1280, 1024, 32, 60), Mode(1024, 768, 32, 60)}));
    ASSERT_TRUE(display.ChangeMode(1280, 1024, 32, 60));
    EXPECT_FALSE(display.ChangeMode(1600, 1200, 32, 60)) << "not offered";
    EXPECT_FALSE(display.ChangeMode(1024, 768, 32, 75)) << "wrong refresh";
    EXPECT_EQ(std::make_pair(display.GetWidth(), display.GetHeight()), std::make_pair(1280, 1024));
    display.SetWindowed(true);
    EXPECT_TRUE(display.ChangeMode(1600, 1200, 32, 60)) << "a window of any size";
    EXPECT_FALSE(display.ChangeMode(0, 0, 0, 0)) << "saved zeros";
    EXPECT_EQ(display.GetWidth(), 1600);
}

TEST(DisplayModes, ProjectionHalfExtents)
{
    CRecordingBackend backend;
    SetRenderBackend(&backend);
    CGLDisplay display(Modes({}));
    const float cases[][4] = {{800, 0, 400, 300}, {0, 0, 512, 384}, {0, 600, 400, 300}, {640, 480, 320, 240}};
    for (const auto& [width, height, hw, hh] : cases)
    {
        EXPECT_TRUE(display.SetProjection(width, height));
        const CRecordingBackend::Projection& p = backend.LastProjection();
        EXPECT_EQ(std::vector<double>({p.left, p.right, p.bottom, p.top, p.nearZ, p.farZ}),
                  std::vector<double>({-hw, hw, -hh, hh, -100, 100}))
            << width << "x" << height;
    }
    backend.SetPendingError(1282);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(display.SetProjection(0, 0));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "OpenGL Error: recorded error 1282\n");
    SetRenderBackend(nullptr);
}
