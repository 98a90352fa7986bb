// The keyboard, mouse and gamepads as the game's input layer reads them: the
// immediate state of every key, indexed by the game's key codes (the
// DirectInput "DIK" numbering: Escape 0x01, F9 0x43, J 0x24, ...), the
// mouse's motion since the last read, and the gamepads' buttons and axes.
// The platform's window layer provides the real devices; tests provide their
// own.
#pragma once

#include <cstdint>

namespace platform
{

constexpr int kKeyCodeCount = 256;
// A key that is down has this bit set in its state byte.
constexpr uint8_t kKeyDown = 0x80;

struct MouseState
{
    int32_t dx = 0;
    int32_t dy = 0; // positive downwards, as the device reports it
    int32_t wheel = 0;
    uint8_t buttons[4] = {}; // kKeyDown when held: left, right, middle, fourth
};

// Buttons and axes are numbered as SDL's GameController API numbers them:
// buttons A, B, X, Y, Back, Guide, Start, the two stick clicks, the two
// shoulders, then the D-pad's up, down, left and right (bits 0 to 14; newer
// pads may set higher bits); axes left X, left Y, right X, right Y (each
// -32768 to 32767, Y positive downwards), then the left and right triggers
// (0 to 32767).
constexpr int kPadAxisCount = 6;

struct PadState
{
    bool connected = false;
    uint32_t buttons = 0; // bit n: button n held
    int16_t axes[kPadAxisCount] = {};
};

class IInputDevices
{
public:
    virtual ~IInputDevices() = default;
    virtual bool HasKeyboard() const = 0;
    virtual bool HasMouse() const = 0;
    // The state of all 256 key codes; false when it cannot be read (the
    // window is not in the foreground, for instance).
    virtual bool ReadKeyboard(uint8_t (&state)[kKeyCodeCount]) = 0;
    virtual bool ReadMouse(MouseState& state) = 0;
    // Every connected pad as one: a button any of them holds, each axis as
    // the pad that pushes it furthest. False (and `connected` false) when
    // there is none; devices without pads need not override it.
    virtual bool ReadPad(PadState& state)
    {
        state = PadState{};
        return false;
    }
};

} // namespace platform
