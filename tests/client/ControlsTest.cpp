// The player's controls: controls.cfg read and written, its bad lines
// reported with their line numbers and skipped, a key bound twice moving to
// its new action, the presets, and the held keys going out in the designed
// order whatever keys hold them, and the pad's controls held through them.
#include "client/Input.h"
#include "client/controls/ControlsFile.h"
#include "client/controls/InputNames.h"
#include "client/game/GameKeys.h"

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace
{
InputId Named(const char* name)
{
    return InputNamed(name).value_or(0);
}

std::vector<std::string> Names(const CBindings& bindings, KeyAction action)
{
    std::vector<std::string> names;
    for (InputId input : bindings.InputsOf(action))
        names.push_back(InputName(input));
    return names;
}

using Strings = std::vector<std::string>;

TEST(Controls, FileRoundTripsAndNamesReadWithoutCase)
{
    CBindings bindings;
    bindings.Apply(Preset::WASD);
    bindings.Bind(KEY_THRUST, Named("Up"));
    CBindings read;
    EXPECT_TRUE(ParseControls(FormatControls(bindings), "c", read).empty());
    EXPECT_EQ(read, bindings);
    EXPECT_EQ(Names(read, KEY_THRUST), (Strings{"W", "Up", "Pad Left Stick Up", "Pad Up"}));
    EXPECT_TRUE(ParseControls("THRUST = k\n", "c", read).size() == 1) << "action names are exact";
    EXPECT_TRUE(ParseControls("thrust = k, pad a , RIGHT CTRL\n", "c", read).empty());
    EXPECT_EQ(Names(read, KEY_THRUST), (Strings{"K", "Right Ctrl", "Pad A"}));
    EXPECT_TRUE(read.InputsOf(KEY_FIRE_BULLET) == (std::vector<InputId>{Named("Space")}))
        << "Pad A left the bullets";
}

TEST(Controls, BadLinesAreReportedWithTheirNumbersAndTheRestLoads)
{
    CBindings read;
    const Strings problems = ParseControls("# a comment\n\nthrust = Up\nwarp = W\nshields D\n"
                                           "cloak = Q, NoSuchKey, F9\nfire_mines = Escape\n",
                                           "controls.cfg", read);
    EXPECT_EQ(problems, (Strings{"controls.cfg:4: unknown action \"warp\"; skipped",
                                 "controls.cfg:5: not \"action = keys\"; skipped",
                                 "controls.cfg:6: unknown or reserved key \"NoSuchKey\", \"F9\"; skipped",
                                 "controls.cfg:7: unknown or reserved key \"Escape\"; skipped"}));
    EXPECT_EQ(Names(read, KEY_THRUST)[0], "Up");
    EXPECT_EQ(Names(read, KEY_CLOAK)[0], "Q") << "the good names of a line still bind";
    EXPECT_EQ(Names(read, KEY_SHIELDS)[0], "D") << "a skipped line leaves the designed key";
    EXPECT_EQ(Names(read, KEY_FIRE_MINE)[0], "C");
}

TEST(Controls, AKeyBoundElsewhereMovesAndThePresetsAreWhole)
{
    CBindings bindings;
    CBindings::BindResult result = bindings.Bind(KEY_THRUST, Named("V"));
    EXPECT_TRUE(result.bound);
    EXPECT_EQ(result.lost, KEY_FIRE_MISSILE);
    EXPECT_TRUE(bindings.InputsOf(KEY_FIRE_MISSILE) == std::vector<InputId>{PAD_X});
    EXPECT_FALSE(bindings.Bind(KEY_THRUST, Named("F9")).bound);
    EXPECT_FALSE(bindings.Bind(KEY_QUIT, Named("Q")).bound);
    bindings.Apply(Preset::Classic);
    EXPECT_EQ(bindings, CBindings()) << "Classic is the reset";
    for (Preset preset : {Preset::Classic, Preset::Arrows, Preset::WASD})
    {
        bindings.Apply(preset);
        for (const BindableAction& bindable : kBindableActions)
            EXPECT_TRUE(IsKeyInput(bindings.InputsOf(bindable.action).at(0)))
                << bindable.name << " has a key in every preset";
    }
    bindings.Apply(Preset::Arrows);
    EXPECT_EQ(Names(bindings, KEY_TURN_LEFT)[0], "Left");
    EXPECT_EQ(Names(bindings, KEY_THRUST)[0], "Up");
}

struct HeldKeyboard : platform::IInputDevices
{
    std::vector<int> held;
    platform::PadState pad;
    bool HasKeyboard() const override { return true; }
    bool HasMouse() const override { return false; }
    bool ReadKeyboard(uint8_t (&state)[platform::kKeyCodeCount]) override
    {
        std::fill(std::begin(state), std::end(state), 0);
        for (int code : held)
            state[code] = platform::kKeyDown;
        return true;
    }
    bool ReadMouse(platform::MouseState&) override { return false; }
    bool ReadPad(platform::PadState& state) override
    {
        state = pad;
        return pad.connected;
    }
};

TEST(Controls, HeldKeysGoOutInTheDesignedOrderWhateverKeysHoldThem)
{
    HeldKeyboard keyboard;
    CInput input;
    input.Init(&keyboard);
    CBindings arrows;
    arrows.Apply(Preset::Arrows);
    input.SetBindings(arrows);
    keyboard.held = {Named("Right Ctrl"), Named("Up"), Named("Left"), Named("K"), Named("F9")};
    uint8_t actions[kActionCount];
    input.PollActions(actions);
    EXPECT_EQ(BuildKeyList(actions), (std::vector<uint32_t>{KEY_TURN_LEFT, KEY_THRUST, KEY_FIRE_BULLET}))
        << "K thrusts no more";
    EXPECT_TRUE(actions[KEY_QUIT]) << "F9 quits whatever the bindings";
}

// Held keys go when they change and are repeated only after the refresh
// time, whatever the frame rate; a new session sends its first keys at once.
TEST(Controls, HeldKeysGoWhenTheyChangeAndAgainEveryRefresh)
{
    const std::vector<uint8_t> thrust{1}, none{0};
    CKeysCadence cadence;
    struct
    {
        uint32_t now;
        const std::vector<uint8_t>& keys;
        bool sent;
    } frames[] = {
        {1000, thrust, true}, {1004, thrust, false}, {1019, thrust, false}, {1020, thrust, true},
        {1021, none, true},   {1022, thrust, true},  {1041, thrust, false},
    };
    for (const auto& frame : frames)
        EXPECT_EQ(cadence.Take(frame.keys, frame.now), frame.sent) << "at " << frame.now;
    cadence.Reset();
    EXPECT_TRUE(cadence.Take(thrust, 1042)) << "a new session";
}

std::vector<uint32_t> HeldNow(CInput& input)
{
    uint8_t actions[kActionCount];
    input.PollActions(actions);
    std::vector<uint32_t> held = BuildKeyList(actions);
    if (actions[KEY_MENU])
        held.push_back(KEY_MENU);
    return held;
}

// Sticks and triggers hold only past the dead zone, buttons through the
// bindings; Start leaves the game; nothing while typing; without the pad
// the keyboard still flies.
TEST(Controls, PadControlsHoldTheirActionsPastTheDeadZone)
{
    HeldKeyboard devices;
    CInput input;
    input.Init(&devices);
    devices.pad.connected = true;
    const struct
    {
        int axis;
        int16_t value;
        std::vector<uint32_t> held;
    } cases[] = {
        {0, -32768, {KEY_TURN_LEFT}}, {0, 12000, {KEY_TURN_RIGHT}}, {0, -9000, {KEY_NONE}},
        {0, 9000, {KEY_NONE}},        {1, -20000, {KEY_THRUST}},    {1, 32767, {KEY_NONE}},
        {2, -32768, {KEY_NONE}},      {4, 12000, {KEY_CLOAK}},      {5, 32767, {KEY_FIRE_PLASMA}},
        {5, 9000, {KEY_NONE}},
    };
    for (const auto& c : cases)
    {
        devices.pad.axes[c.axis] = c.value;
        EXPECT_EQ(HeldNow(input), c.held) << "axis " << c.axis << " at " << c.value;
        devices.pad.axes[c.axis] = 0;
    }
    devices.pad.buttons = 1u << (PAD_A - kPadBase) | 1u << (PAD_DPAD_UP - kPadBase);
    EXPECT_EQ(HeldNow(input), (std::vector<uint32_t>{KEY_THRUST, KEY_FIRE_BULLET}));
    CBindings bindings;
    bindings.Bind(KEY_FIRE_MINE, PAD_A);
    bindings.Bind(KEY_SHIELDS, PAD_RIGHT_Y_PLUS);
    input.SetBindings(bindings);
    devices.pad.axes[3] = 30000;
    EXPECT_EQ(HeldNow(input), (std::vector<uint32_t>{KEY_THRUST, KEY_FIRE_MINE, KEY_SHIELDS}));
    devices.pad.buttons = 1u << (PAD_START - kPadBase);
    EXPECT_EQ(HeldNow(input).back(), KEY_MENU);
    input.SetMode(kKeyboardModeText);
    EXPECT_EQ(HeldNow(input), std::vector<uint32_t>{KEY_NONE}) << "typing";
    input.SetMode(kKeyboardModeGame);
    input.NewPresses();
    devices.pad.buttons = 1u << (PAD_B - kPadBase);
    devices.held = {Named("K")};
    EXPECT_EQ(input.NewPresses(), (std::vector<InputId>{Named("K"), PAD_B}))
        << "what the controls screen binds";
    devices.pad = {};
    EXPECT_EQ(HeldNow(input), std::vector<uint32_t>{KEY_THRUST}) << "the pad pulled out";
}

TEST(Controls, SavedAndLoadedFromTheSettingsFolder)
{
    TempDir config;
    ScopedEnv home("XDG_CONFIG_HOME", config.Path().c_str());
    EXPECT_EQ(LoadControls(), CBindings()) << "no file: the designed keys";
    CBindings bindings;
    bindings.Bind(KEY_THRUST, Named("Up"));
    ASSERT_TRUE(SaveControls(bindings));
    EXPECT_EQ(LoadControls(), bindings);
    EXPECT_NE(ReadFile(config.File("Tessaloon/Quorvex/Settings/controls.cfg")).find("thrust = K, Up"),
              std::string::npos);
}
} // namespace
