#include "client/Input.h"

#include "common/DebugLog.h"

#include <cstring>
#include <memory>

namespace
{
// The keys that are never bound: F9 quits, Escape leaves the game.
constexpr int kQuitKey = 0x43;
constexpr int kMenuKey = 0x01;

// The sticks' four axes come first in PadState, as their inputs do in
// PadInput (each axis's minus direction, then its plus); the two triggers
// follow them.
constexpr int kStickAxisCount = 4;
constexpr int kLeftTriggerAxis = 4;

bool IsHeld(const platform::PadState& pad, size_t button)
{
    return (pad.buttons & (uint32_t{1} << button)) != 0;
}

// The stick direction an axis value holds, if it is past the dead zone.
InputId StickInput(int axis, int value)
{
    if (value < -kPadDeadZone)
        return PAD_LEFT_X_MINUS + 2 * axis;
    if (value > kPadDeadZone)
        return PAD_LEFT_X_PLUS + 2 * axis;
    return 0;
}

constexpr int kInitLevel = 0;
constexpr int kTraceLevel = 5;
} // namespace

CInput::~CInput() = default;

void CInput::Init(platform::IInputDevices* devices)
{
    m_mouseEnabled = true;
    m_mouseLimitX = m_mouseLimitY = 1;
    m_mouseX = m_mouseY = 0;
    m_lastLeft = m_lastRight = false;
    m_devices = devices;
    CDebugLog& log = CDebugLog::Get();
    if (!devices || !devices->HasKeyboard())
        log.Print(kInitLevel, "Input Error: Failed to create DI keyboard");
    else
        log.Print(kInitLevel, "Now using DirectInput for all keyboard interaction");
    if (!devices || !devices->HasMouse())
        log.Print(kInitLevel, "Input Error: Failed to create DI mouse");
    BuildKeyMap();
    SetMode(kKeyboardModeGame);
    m_initialised = true;
}

void CInput::Release()
{
    m_devices = nullptr;
    m_initialised = false;
}

void CInput::BuildKeyMap()
{
    for (int code = 0; code < platform::kKeyCodeCount; ++code)
        m_keyMap[static_cast<size_t>(code)] = m_bindings.ActionOf(code);
    m_keyMap[kQuitKey] = KEY_QUIT;
    m_keyMap[kMenuKey] = KEY_MENU;
    for (InputId input = kPadBase; input < kPadEnd; ++input)
        m_padMap[static_cast<size_t>(input - kPadBase)] = m_bindings.ActionOf(input);
    m_padMap[PAD_START - kPadBase] = KEY_MENU;
}

void CInput::SetBindings(const CBindings& bindings)
{
    m_bindings = bindings;
    BuildKeyMap();
}

int CInput::GetKeyAction(int keyCode) const
{
    return keyCode >= 0 && keyCode < platform::kKeyCodeCount ? m_keyMap[keyCode] : static_cast<int>(KEY_NONE);
}

void CInput::SetMode(int mode)
{
    m_mode = mode;
    if (!m_devices || !m_devices->HasKeyboard())
        return;
    // The keyboard is only ever read as an immediate state; the buffered
    // mode is traced for the record, as it always was.
    bool buffered = mode == 0 || mode == 1;
    CDebugLog::Get().Print(kTraceLevel, buffered ? "Setting keyboard to buffered mode"
                                                 : "Setting keybaord to unbuffered mode");
}

// Both devices are read in text-entry mode too, so that what was pressed
// while the player typed is not taken for a press once the typing ends.
void CInput::PollActions(uint8_t (&actions)[kActionCount])
{
    std::memset(actions, 0, sizeof actions);
    if (!m_devices)
        return;
    uint8_t state[platform::kKeyCodeCount] = {};
    bool keyboardRead = false;
    if (m_devices->HasKeyboard())
    {
        Reacquire();
        keyboardRead = m_devices->ReadKeyboard(state);
    }
    platform::PadState pad;
    m_devices->ReadPad(pad);
    if (m_mode != kKeyboardModeGame)
        return;
    if (keyboardRead)
        AddKeyActions(state, actions);
    AddPadActions(pad, actions);
}

void CInput::AddKeyActions(const uint8_t (&state)[platform::kKeyCodeCount],
                           uint8_t (&actions)[kActionCount]) const
{
    for (int code = 0; code < platform::kKeyCodeCount; ++code)
        if (state[code] & platform::kKeyDown)
            actions[m_keyMap[code]] = 1;
}

std::vector<InputId> CInput::HeldPadInputs(const platform::PadState& pad)
{
    std::vector<InputId> held;
    for (size_t button = 0; button < kPadButtonCount; ++button)
        if (IsHeld(pad, button))
            held.push_back(PAD_A + static_cast<InputId>(button));
    for (int axis = 0; axis < kStickAxisCount; ++axis)
        if (InputId input = StickInput(axis, pad.axes[axis]))
            held.push_back(input);
    for (int trigger = 0; trigger < 2; ++trigger)
        if (pad.axes[kLeftTriggerAxis + trigger] > kPadDeadZone)
            held.push_back(PAD_LEFT_TRIGGER + trigger);
    return held;
}

void CInput::AddPadActions(const platform::PadState& pad, uint8_t (&actions)[kActionCount]) const
{
    for (InputId input : HeldPadInputs(pad))
        actions[m_padMap[static_cast<size_t>(input - kPadBase)]] = 1;
}

void CInput::Reacquire()
{
    // The platform's devices follow the window's focus by themselves;
    // reacquiring is only traced.
    CDebugLog::Get().Print(kTraceLevel, "Attempting to reacquire DI devices...");
    if (m_devices && m_devices->HasKeyboard())
        CDebugLog::Get().Print(kTraceLevel, "DI Keyboard reacquired");
}

void CInput::PollMouse(int& x, int& y, bool& leftDown, bool& leftChanged, bool& rightDown, bool& rightChanged)
{
    x = y = 0;
    leftDown = leftChanged = rightDown = rightChanged = false;
    platform::MouseState state;
    if (!m_devices || !m_devices->HasMouse() || !m_devices->ReadMouse(state))
    {
        CDebugLog::Get().Print(kTraceLevel, "mouse poll failed: Not acquired");
        return;
    }
    m_mouseX += state.dx;
    m_mouseY -= state.dy; // y grows upwards
    // Clamped from above only, as the game always did.
    if (m_mouseX > m_mouseLimitX)
        m_mouseX = m_mouseLimitX;
    if (m_mouseY > m_mouseLimitY)
        m_mouseY = m_mouseLimitY;
    x = m_mouseX;
    y = m_mouseY;
    leftDown = (state.buttons[0] & platform::kKeyDown) != 0;
    rightDown = (state.buttons[1] & platform::kKeyDown) != 0;
    leftChanged = leftDown != m_lastLeft;
    rightChanged = rightDown != m_lastRight;
    m_lastLeft = leftDown;
    m_lastRight = rightDown;
}

std::vector<InputId> CInput::NewPresses()
{
    uint8_t state[platform::kKeyCodeCount] = {};
    // A keyboard that cannot be read (the window lost the focus) keeps the
    // last state, so nothing counts twice when it comes back.
    if (!m_devices || !m_devices->HasKeyboard() || !m_devices->ReadKeyboard(state))
        return {};
    std::array<bool, kInputCount> down{};
    for (int code = 1; code < platform::kKeyCodeCount; ++code)
        down[static_cast<size_t>(code)] = (state[code] & platform::kKeyDown) != 0;
    platform::PadState pad;
    if (m_devices->ReadPad(pad))
        for (InputId input : HeldPadInputs(pad))
            down[static_cast<size_t>(input)] = true;
    std::vector<InputId> pressed;
    for (size_t input = 1; input < kInputCount; ++input)
        if (down[input] && !m_downAtLastPresses[input])
            pressed.push_back(static_cast<InputId>(input));
    m_downAtLastPresses = down;
    return pressed;
}
