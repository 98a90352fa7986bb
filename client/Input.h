// CInput turns the keyboard into the game's key actions: each frame a screen
// polls a 256-entry array, one byte per KeyAction, set for every mapped key
// that is down. While the player types a chat line (text-entry mode) no
// actions are delivered at all; typed characters then arrive as window
// events instead. Menu navigation and text entry never use it.
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

    // Sets every action byte: 1 for a mapped key held now, else 0. All zero
    // in text-entry mode or without a keyboard.
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

    // The player's bindings (the designed keys until set); F9 always quits
    // and Escape always leaves the game.
    void SetBindings(const CBindings& bindings);
    const CBindings& Bindings() const { return m_bindings; }

private:
    void BuildKeyMap();

    platform::IInputDevices* m_devices = nullptr;
    int m_mode = 0;
    bool m_initialised = false;
    CBindings m_bindings;
    std::array<int, platform::kKeyCodeCount> m_keyMap{};
    bool m_mouseEnabled = true;
    int m_mouseLimitX = 1;
    int m_mouseLimitY = 1;
    int m_mouseX = 0;
    int m_mouseY = 0;
    bool m_lastLeft = false;
    bool m_lastRight = false;

public:
    // The keys that went down since the last call, by key code, in any
    // mode: the controls screen learns from them which key the player
    // pressed. The first call after a pause also reports keys held since
    // the call before, so a caller that starts listening calls it once and
    // drops the answer.
    std::vector<InputId> NewPresses();

private:
    std::array<bool, platform::kKeyCodeCount> m_downAtLastPresses{};
};
