// What the client's window tells the game, in the shape its window procedure
// was designed around: created, resized, destroyed (closed or asked to
// quit), a navigation key pressed (with the platform's key repeat), and a
// typed character. The platform's window layer translates its own events
// into these; the game never sees the windowing library.
#pragma once

#include <cstdint>

namespace platform
{

// Virtual-key codes of the keys the menus react to.
constexpr int kVkTab = 0x09;
constexpr int kVkReturn = 0x0D;
constexpr int kVkEscape = 0x1B;
constexpr int kVkPageUp = 0x21;
constexpr int kVkPageDown = 0x22;
constexpr int kVkLeft = 0x25;
constexpr int kVkUp = 0x26;
constexpr int kVkRight = 0x27;
constexpr int kVkDown = 0x28;

// Characters that arrive as control codes rather than typed text.
constexpr char kCharBackspace = 8;
constexpr char kCharReturn = 13;

struct WindowEvent
{
    enum class Type
    {
        Create,           // the window exists and may be drawn on
        Size,             // width and height: the new drawable size in pixels
        Destroy,          // the window was closed or the program asked to quit
        KeyDown,          // key: one of the kVk codes above
        Char,             // character: printable ASCII, backspace or carriage return
        ToggleFullscreen, // Alt+Enter: full screen <-> window
    };

    Type type = Type::Create;
    int32_t width = 0;
    int32_t height = 0;
    int key = 0;
    char character = 0;
};

} // namespace platform
