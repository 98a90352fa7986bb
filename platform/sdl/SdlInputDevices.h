// The real keyboard and mouse, read from SDL: the keyboard's immediate state
// mapped from SDL scancodes to the game's key codes (the DirectInput "DIK"
// numbering) for every key a PC keyboard has, and the mouse's relative
// motion and buttons.
#pragma once

#include "platform/InputDevices.h"

#include <array>
#include <cstdint>

namespace platform
{

// The game's key code for an SDL scancode; 0 for keys it has no code for.
uint8_t ScancodeToKeyCode(int scancode);
// The SDL scancode of a game key code; 0 for codes no key has.
int KeyCodeToScancode(uint8_t keyCode);

class CSdlInputDevices : public IInputDevices
{
public:
    // Watches SDL's key events from now on (see ReadKeyboard).
    CSdlInputDevices();
    ~CSdlInputDevices() override;
    CSdlInputDevices(const CSdlInputDevices&) = delete;
    CSdlInputDevices& operator=(const CSdlInputDevices&) = delete;

    bool HasKeyboard() const override { return true; }
    bool HasMouse() const override { return true; }
    // Always true. Focus is not required: SDL releases every key itself when
    // the window loses the focus, and under an X server without a window
    // manager no focus event may ever arrive. SDL's events are not pumped
    // here: the window's event loop does that.
    // A key pressed and released again since the last read counts as held
    // for this read: a quick tap (or a key sent by a tool, down and up at
    // once) between two frames would otherwise never be seen.
    bool ReadKeyboard(uint8_t (&state)[kKeyCodeCount]) override;
    bool ReadMouse(MouseState& state) override;

    // Notes a key press; SDL's event watch calls it.
    void NotePressed(int scancode);

private:
    std::array<bool, kKeyCodeCount> m_tapped{};
};

} // namespace platform
