// The client's window procedure: what each window event does in each screen
// state. Menu navigation and every typed character arrive here (game keys
// are polled through CInput instead). The platform's window layer turns its
// events into WindowEvents; the screen loops hand them over one by one.
#pragma once

#include "platform/InputDevices.h"
#include "platform/WindowEvents.h"

namespace platform
{
class CWindow;
}

// The window and input devices the procedure attaches on Create (null in
// tests: nothing to attach).
void SetClientWindow(platform::CWindow* window, platform::IInputDevices* devices);
platform::CWindow* GetClientWindow();

void ClientWndProc(const platform::WindowEvent& event);

// The characters the window procedure takes: a-z, A-Z, 0-9, the punctuation
// of "!_.,@\":+-=()@'/ ?", backspace and carriage return.
bool IsAcceptedCharacter(char c);

// Switches between full screen and a window (Alt+Enter) and saves the choice.
void ToggleWindowed();
