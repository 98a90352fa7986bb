// The player's controls: which keys and gamepad controls hold each bindable
// action. The designed keys ("Classic") are the defaults; "Arrows" and "WASD"
// are presets beside them. A key or pad control holds at most one action:
// binding it to another moves it there. Quit (F9) and leaving the game
// (Escape) are not bindable and their keys cannot be bound.
//
// The bindings are kept in "controls.cfg" in the settings folder, one line
// per action, `action = Name, Name` (client/controls/ControlsFile.h).
#pragma once

#include "game/KeyAction.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One thing a player presses: a key, by the game's key code (1 to 255, the
// keyboard's DirectInput numbering), or a gamepad control from kPadBase on.
using InputId = int;

constexpr InputId kPadBase = 256;
// The gamepad's controls: the buttons in SDL's GameController order, then
// each stick axis in each direction, then the two triggers.
enum PadInput : InputId
{
    PAD_A = kPadBase,
    PAD_B,
    PAD_X,
    PAD_Y,
    PAD_BACK,
    PAD_GUIDE,
    PAD_START,
    PAD_LEFT_STICK,
    PAD_RIGHT_STICK,
    PAD_LEFT_SHOULDER,
    PAD_RIGHT_SHOULDER,
    PAD_DPAD_UP,
    PAD_DPAD_DOWN,
    PAD_DPAD_LEFT,
    PAD_DPAD_RIGHT,
    PAD_LEFT_X_MINUS,
    PAD_LEFT_X_PLUS,
    PAD_LEFT_Y_MINUS, // the stick pushed up
    PAD_LEFT_Y_PLUS,
    PAD_RIGHT_X_MINUS,
    PAD_RIGHT_X_PLUS,
    PAD_RIGHT_Y_MINUS,
    PAD_RIGHT_Y_PLUS,
    PAD_LEFT_TRIGGER,
    PAD_RIGHT_TRIGGER,
    kPadEnd,
};
constexpr size_t kInputCount = kPadEnd;
constexpr size_t kPadButtonCount = PAD_DPAD_RIGHT - PAD_A + 1;

constexpr bool IsKeyInput(InputId input)
{
    return input > 0 && input < kPadBase;
}
constexpr bool IsPadInput(InputId input)
{
    return input >= kPadBase && input < kPadEnd;
}

// A bindable action: its key action, its name in controls.cfg, and its
// label on the controls and instructions screens.
struct BindableAction
{
    KeyAction action;
    const char* name;
    const char* label;
};

// In the order the controls screen lists them.
constexpr std::array<BindableAction, 15> kBindableActions = {{
    {KEY_TURN_LEFT, "turn_left", "Turn Left"},
    {KEY_TURN_RIGHT, "turn_right", "Turn Right"},
    {KEY_THRUST, "thrust", "Thrust"},
    {KEY_SHIELDS, "shields", "Shields"},
    {KEY_FUEL_UP, "fuel_up", "Fuel Up"},
    {KEY_CLOAK, "cloak", "Activate Cloaking Device"},
    {KEY_FIRE_BULLET, "fire_bullets", "Fire Bullets"},
    {KEY_FIRE_MISSILE, "fire_missiles", "Fire Missiles"},
    {KEY_FIRE_MINE, "fire_mines", "Fire Mines"},
    {KEY_FIRE_PLASMA, "fire_plasma_mines", "Fire Plasma Mines"},
    {KEY_FIRE_REPULSOR, "fire_repulsor", "Fire Repulsor"},
    {KEY_CHAT, "chat", "Chat"},
    {KEY_TOGGLE_NAMES, "toggle_names", "Toggle Player Names"},
    {KEY_TOGGLE_OUTLINES, "toggle_outlines", "Toggle Outlines"},
    {KEY_TOGGLE_MUTE, "mute", "Sound Off and On"},
}};

enum class Preset
{
    Classic,
    Arrows,
    WASD,
};

class CBindings
{
public:
    // The designed keys, with the default gamepad controls.
    CBindings() { Apply(Preset::Classic); }

    void Apply(Preset preset);

    // The inputs that hold `action`, keys first, in the order they were bound.
    std::vector<InputId> InputsOf(KeyAction action) const;
    // The action `input` holds, KEY_NONE when none.
    KeyAction ActionOf(InputId input) const;

    // Binds `input` to `action` (added beside its other inputs). An input
    // that held another action leaves it, and the result names that action.
    // An input that cannot be bound (F9, Escape, out of range) or an action
    // that is not bindable changes nothing (`bound` false).
    struct BindResult
    {
        bool bound = false;
        KeyAction lost = KEY_NONE; // the action that lost the input, if any
    };
    BindResult Bind(KeyAction action, InputId input);
    // Takes every input off `action`.
    void Clear(KeyAction action);

    // The same input holds the same action in both (the order they were
    // bound in aside).
    bool operator==(const CBindings& other) const { return m_actionOf == other.m_actionOf; }

private:
    std::array<KeyAction, kInputCount> m_actionOf{};
    // The order inputs were bound in, so a file keeps the player's order.
    std::array<unsigned, kInputCount> m_boundAt{};
    unsigned m_nextStamp = 1;
};

// Whether the player may bind this input at all.
bool IsBindableInput(InputId input);
// The bindable action of a name in controls.cfg.
std::optional<KeyAction> ActionNamed(std::string_view name);
const BindableAction* FindBindable(KeyAction action);
