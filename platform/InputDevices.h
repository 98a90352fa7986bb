// The keyboard and mouse as the game's input layer reads them: the immediate
// state of every key, indexed by the game's key codes (the DirectInput "DIK"
// numbering: Escape 0x01, F9 0x43, J 0x24, ...), and the mouse's motion since
// the last read. The platform's window layer provides the real devices; tests
// provide their own.
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
};

} // namespace platform
