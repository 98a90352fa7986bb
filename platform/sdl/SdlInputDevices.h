// The real keyboard, mouse and gamepads, read from SDL: the keyboard's
// immediate state mapped from SDL scancodes to the game's key codes (the
// DirectInput "DIK" numbering) for every key a PC keyboard has, the mouse's
// relative motion and buttons, and the pads (SdlGamepads.h).
#pragma once

#include "platform/InputDevices.h"
#include "platform/sdl/SdlGamepads.h"

#include <array>
#include <cstdint>
#include <string>

namespace platform
{

// The game's key code for an SDL scancode; 0 for keys it has no code for.
uint8_t ScancodeToKeyCode(int scancode);
// The SDL scancode of a game key code; 0 for codes no key has.
int KeyCodeToScancode(uint8_t keyCode);

class CSdlInputDevices : public IInputDevices
{
public:
    // Watches SDL's key and pad events from now on (see ReadKeyboard). The
    // pads' extra mappings come from kPadMappingFileName in
    // `settingsFolder`, when it has one.
    explicit CSdlInputDevices(const std::string& settingsFolder = {});
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
    bool ReadPad(PadState& state) override { return m_pads.Read(state); }

    // Notes a key press, a pad plugged in or pulled out, a pad's button
    // press; SDL's event watch calls it.
    void NoteEvent(const SDL_Event& event);

private:
    std::array<bool, kKeyCodeCount> m_tapped{};
    CSdlGamepads m_pads;
};

} // namespace platform
