// The player's controls: controls.cfg read and written, its bad lines
// reported with their line numbers and skipped, a key bound twice moving to
// its new action, the presets, and the held keys going out in the designed
// order whatever keys hold them.
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
