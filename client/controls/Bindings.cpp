#include "client/controls/Bindings.h"

#include <algorithm>
#include <utility>

namespace
{
// Key codes of the game's keyboard numbering.
enum Key : InputId
{
    K_ESCAPE = 0x01,
    K_Q = 0x10,
    K_W = 0x11,
    K_E = 0x12,
    K_R = 0x13,
    K_T = 0x14,
    K_A = 0x1E,
    K_S = 0x1F,
    K_D = 0x20,
    K_F = 0x21,
    K_J = 0x24,
    K_K = 0x25,
    K_L = 0x26,
    K_APOSTROPHE = 0x28,
    K_Z = 0x2C,
    K_X = 0x2D,
    K_C = 0x2E,
    K_V = 0x2F,
    K_M = 0x32,
    K_SPACE = 0x39,
    K_F9 = 0x43,
    K_F11 = 0x57,
    K_F12 = 0x58,
    K_RCONTROL = 0x9D,
    K_RSHIFT = 0x36,
    K_HOME = 0xC7,
    K_UP = 0xC8,
    K_PAGE_UP = 0xC9,
    K_LEFT = 0xCB,
    K_RIGHT = 0xCD,
    K_END = 0xCF,
    K_DOWN = 0xD0,
    K_PAGE_DOWN = 0xD1,
    K_INSERT = 0xD2,
    K_DELETE = 0xD3,
};

struct PresetBinding
{
    KeyAction action;
    std::vector<InputId> inputs;
};

// The gamepad's defaults, the same in every preset: the left stick or the
// D-pad turns and thrusts, the face buttons fire, shield, fire missiles and
// fuel up, the shoulders lay mines and repulse, the triggers cloak and lay
// plasma mines.
const std::vector<PresetBinding> kPadDefaults = {
    {KEY_TURN_LEFT, {PAD_LEFT_X_MINUS, PAD_DPAD_LEFT}},
    {KEY_TURN_RIGHT, {PAD_LEFT_X_PLUS, PAD_DPAD_RIGHT}},
    {KEY_THRUST, {PAD_LEFT_Y_MINUS, PAD_DPAD_UP}},
    {KEY_FIRE_BULLET, {PAD_A}},
    {KEY_SHIELDS, {PAD_B}},
    {KEY_FIRE_MISSILE, {PAD_X}},
    {KEY_FUEL_UP, {PAD_Y}},
    {KEY_FIRE_MINE, {PAD_LEFT_SHOULDER}},
    {KEY_FIRE_REPULSOR, {PAD_RIGHT_SHOULDER}},
    {KEY_CLOAK, {PAD_LEFT_TRIGGER}},
    {KEY_FIRE_PLASMA, {PAD_RIGHT_TRIGGER}},
};

// The keys both keyboard presets share with the designed ones.
const std::vector<PresetBinding> kCommonKeys = {
    {KEY_TOGGLE_NAMES, {K_F11}},
    {KEY_TOGGLE_OUTLINES, {K_F12}},
    {KEY_TOGGLE_MUTE, {K_M}},
};

const std::vector<PresetBinding> kClassicKeys = {
    {KEY_TURN_LEFT, {K_J}},       {KEY_TURN_RIGHT, {K_L}},    {KEY_THRUST, {K_K}},
    {KEY_SHIELDS, {K_D}},         {KEY_FUEL_UP, {K_F}},       {KEY_CLOAK, {K_S}},
    {KEY_FIRE_BULLET, {K_SPACE}}, {KEY_FIRE_MISSILE, {K_V}},  {KEY_FIRE_MINE, {K_C}},
    {KEY_FIRE_PLASMA, {K_E}},     {KEY_FIRE_REPULSOR, {K_R}}, {KEY_CHAT, {K_APOSTROPHE}},
};

// The arrows turn and thrust; the rest lie around them: the right-hand
// modifiers fire, the block above the arrows does everything else.
const std::vector<PresetBinding> kArrowsKeys = {
    {KEY_TURN_LEFT, {K_LEFT}},
    {KEY_TURN_RIGHT, {K_RIGHT}},
    {KEY_THRUST, {K_UP}},
    {KEY_SHIELDS, {K_DOWN}},
    {KEY_FIRE_BULLET, {K_RCONTROL}},
    {KEY_FIRE_MISSILE, {K_RSHIFT}},
    {KEY_FIRE_MINE, {K_END}},
    {KEY_FIRE_PLASMA, {K_PAGE_DOWN}},
    {KEY_FIRE_REPULSOR, {K_DELETE}},
    {KEY_FUEL_UP, {K_INSERT}},
    {KEY_CLOAK, {K_HOME}},
    {KEY_CHAT, {K_APOSTROPHE}},
};

// W thrusts, A and D turn, S shields; the weapons sit around them and the
// mouse hand stays free; T opens the chat line, as in most shooters.
const std::vector<PresetBinding> kWasdKeys = {
    {KEY_TURN_LEFT, {K_A}}, {KEY_TURN_RIGHT, {K_D}},      {KEY_THRUST, {K_W}},
    {KEY_SHIELDS, {K_S}},   {KEY_FIRE_BULLET, {K_SPACE}}, {KEY_FIRE_MISSILE, {K_Q}},
    {KEY_FIRE_MINE, {K_E}}, {KEY_FIRE_PLASMA, {K_Z}},     {KEY_FIRE_REPULSOR, {K_X}},
    {KEY_FUEL_UP, {K_F}},   {KEY_CLOAK, {K_C}},           {KEY_CHAT, {K_T, K_APOSTROPHE}},
};

const std::vector<PresetBinding>& KeysOf(Preset preset)
{
    switch (preset)
    {
    case Preset::Arrows:
        return kArrowsKeys;
    case Preset::WASD:
        return kWasdKeys;
    case Preset::Classic:
        break;
    }
    return kClassicKeys;
}
} // namespace

bool IsBindableInput(InputId input)
{
    return (IsKeyInput(input) || IsPadInput(input)) && input != K_F9 && input != K_ESCAPE &&
           input != PAD_START;
}

const BindableAction* FindBindable(KeyAction action)
{
    for (const BindableAction& bindable : kBindableActions)
        if (bindable.action == action)
            return &bindable;
    return nullptr;
}

std::optional<KeyAction> ActionNamed(std::string_view name)
{
    for (const BindableAction& bindable : kBindableActions)
        if (name == bindable.name)
            return bindable.action;
    return std::nullopt;
}

void CBindings::Apply(Preset preset)
{
    m_actionOf.fill(KEY_NONE);
    m_boundAt.fill(0);
    for (const auto* list : {&KeysOf(preset), &kCommonKeys, &kPadDefaults})
        for (const PresetBinding& binding : *list)
            for (InputId input : binding.inputs)
                Bind(binding.action, input);
}

std::vector<InputId> CBindings::InputsOf(KeyAction action) const
{
    std::vector<InputId> inputs;
    for (InputId input = 1; input < static_cast<InputId>(kInputCount); ++input)
        if (m_actionOf[static_cast<size_t>(input)] == action)
            inputs.push_back(input);
    // Keys before pad controls, each in the order the player bound them.
    std::stable_sort(inputs.begin(), inputs.end(),
                     [this](InputId a, InputId b)
                     {
                         return std::pair(IsPadInput(a), m_boundAt[static_cast<size_t>(a)]) <
                                std::pair(IsPadInput(b), m_boundAt[static_cast<size_t>(b)]);
                     });
    return inputs;
}

KeyAction CBindings::ActionOf(InputId input) const
{
    return input >= 0 && input < static_cast<InputId>(kInputCount) ? m_actionOf[static_cast<size_t>(input)]
                                                                   : KEY_NONE;
}

CBindings::BindResult CBindings::Bind(KeyAction action, InputId input)
{
    if (!IsBindableInput(input) || !FindBindable(action))
        return {};
    const auto slot = static_cast<size_t>(input);
    const KeyAction before = m_actionOf[slot];
    m_actionOf[slot] = action;
    if (before != action)
        m_boundAt[slot] = m_nextStamp++;
    return {true, before == action ? KEY_NONE : before};
}

void CBindings::Clear(KeyAction action)
{
    for (size_t slot = 0; slot < kInputCount; ++slot)
        if (m_actionOf[slot] == action)
            m_actionOf[slot] = KEY_NONE;
}
