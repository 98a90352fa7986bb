// Display modes as the game expects to see them. The game offers full-screen
// modes of 16 or 32 colour bits at exactly 60 Hz; Linux describes modes
// differently: an X server's 24-bit depth (8 bits per channel, no alpha) is
// reported as 24 bits per pixel, and the refresh rate may be unknown (0, as
// under a virtual X server). NormaliseMode maps such a mode to what the game
// expects before the game's own filter runs, or the mode list would always
// be empty on Linux.
#pragma once

#include <cstdint>

namespace platform
{

struct VideoMode
{
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 0;   // colour bits per pixel
    int32_t refresh = 0; // Hz
    bool operator==(const VideoMode&) const = default;
};

// A mode as the windowing library reports it.
struct RawVideoMode
{
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0;
    int32_t bitsPerChannel = 0; // largest colour channel; 8 for true colour
    int32_t refresh = 0;        // 0: unknown
};

// A mode with 8 bits per colour channel counts as depth 32 whatever its bits
// per pixel; an unknown refresh rate counts as 60 Hz. Anything else is kept.
VideoMode NormaliseMode(const RawVideoMode& raw);

} // namespace platform
