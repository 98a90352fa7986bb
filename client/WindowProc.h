// The client's window procedure: what the window's own events do (created,
// resized, closed, Alt+Enter), and the door through which navigation keys
// and typed characters reach the current screen, which decides what they
// mean. Game keys are polled through CInput instead. The platform's window
// layer turns its events into WindowEvents; the dispatcher hands them over
// one by one.
#pragma once

#include "client/Screen.h"
#include "platform/InputDevices.h"
#include "platform/WindowEvents.h"

class CClientContext;

class CWindowProc
{
public:
    // `devices` are attached to the input when the window is created (null
    // in tests: nothing to attach).
    CWindowProc(CClientContext& context, platform::IInputDevices* devices);

    // Keys, and the characters IsAcceptedCharacter takes, go to `screen`;
    // the answer is the screen to show next (`screen` itself for every other
    // event).
    ScreenId Handle(const platform::WindowEvent& event, CScreen& screen);
    // The window's own events: create, size, destroy, Alt+Enter.
    void HandleWindowEvent(const platform::WindowEvent& event);
    // Switches between full screen and a window (Alt+Enter) and saves the
    // choice.
    void ToggleWindowed();

private:
    void OnCreate();
    void OnSize(int32_t width, int32_t height);
    void OnDestroy();

    CClientContext& m_context;
    platform::IInputDevices* m_devices;
};

// The characters the window procedure takes: a-z, A-Z, 0-9, the punctuation
// of "!_.,@\":+-=()@'/ ?", backspace and carriage return.
bool IsAcceptedCharacter(char c);
