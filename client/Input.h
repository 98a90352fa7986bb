// CInput turns the keyboard and the gamepads into the game's key actions:
// each frame a screen polls a 256-entry array, one byte per KeyAction, set
// for every bound key or pad control that is held (a stick pushed or a
// trigger pulled past kPadDeadZone). While the player types a chat line
// (text-entry mode) no actions are delivered at all; typed characters then
// arrive as window events instead. Menu navigation and text entry never use
// it.
//
// The devices are the platform's (platform/InputDevices.h). Diagnostics go to
// the debug log, which keeps nothing.
#pragma once

#include "client/controls/Bindings.h"
#include "game/KeyAction.h"
#include "platform/InputDevices.h"

#include <array>
#include <cstdint>
#include <vector>

// Keyboard modes: game keys (actions delivered) and text entry (none).
constexpr int kKeyboardModeGame = 1;
constexpr int kKeyboardModeText = 3;

constexpr int kActionCount = 256;

// How far a stick must be pushed, or a trigger pulled, to count as held:
// about 30 % of full scale, so a worn stick that does not centre never steers.
constexpr int kPadDeadZone = 9830;

class CInput
{
public:
    CInput() = default;
    ~CInput();
    CInput(const CInput&) = delete;
    CInput& operator=(const CInput&) = delete;

    // Takes the devices (the caller keeps them alive; null: none), builds
    // the key map from the bindings and enters game-key mode.
    void Init(platform::IInputDevices* devices);
    bool IsInitialised() const { return m_initialised; }
    // Lets go of the devices (the window is gone): nothing is delivered
    // until the next Init.
    void Release();

    // Sets every action byte: 1 for a bound key or pad control held now,
    // else 0. All zero in text-entry mode or without devices.
    void PollActions(uint8_t (&actions)[kActionCount]);
    void SetMode(int mode);
    int GetMode() const { return m_mode; }
    bool IsTextMode() const { return m_mode == kKeyboardModeText; }
    void Reacquire();
    // Mouse motion since the last poll added to the position (y upwards),
    // each coordinate clamped from above to its limit; the buttons and
    // whether each changed since the last poll.
    void PollMouse(int& x, int& y, bool& leftDown, bool& leftChanged, bool& rightDown, bool& rightChanged);

    // The action a key code is mapped to (KEY_NONE for unmapped codes).
    int GetKeyAction(int keyCode) const;

    // The player's bindings (the designed keys until set); F9 always quits,
    // and Escape and the pad's Start always leave the game.
    void SetBindings(const CBindings& bindings);
    const CBindings& Bindings() const { return m_bindings; }

private:
    void BuildKeyMap();
    void AddKeyActions(const uint8_t (&state)[platform::kKeyCodeCount],
                       uint8_t (&actions)[kActionCount]) const;
    void AddPadActions(const platform::PadState& pad, uint8_t (&actions)[kActionCount]) const;
    // The pad controls held: buttons, sticks and triggers past the dead zone.
    static std::vector<InputId> HeldPadInputs(const platform::PadState& pad);

    platform::IInputDevices* m_devices = nullptr;
    int m_mode = 0;
    bool m_initialised = false;
    CBindings m_bindings;
    std::array<int, platform::kKeyCodeCount> m_keyMap{};
    std::array<int, kPadEnd - kPadBase> m_padMap{};
    bool m_mouseEnabled = true;
    int m_mouseLimitX = 1;
    int m_mouseLimitY = 1;
    int m_mouseX = 0;
    int m_mouseY = 0;
    bool m_lastLeft = false;
    bool m_lastRight = false;

public:
    // The keys and pad controls that went down since the last call, in any
    // mode: the controls screen learns from them which key the player
    // pressed. The first call after a pause also reports keys held since
    // the call before, so a caller that starts listening calls it once and
    // drops the answer.
    std::vector<InputId> NewPresses();

private:
    std::array<bool, kInputCount> m_downAtLastPresses{};
};
