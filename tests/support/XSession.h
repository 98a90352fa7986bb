// A virtual X display for one end-to-end test of the real client: an Xvfb
// server of its own (1024x768, 24-bit, no TCP), real key presses sent to it
// with xdotool, and screenshots of the whole screen taken with ImageMagick
// and read back as pictures, so a test can count the pixels of a colour
// where it expects them. Every tool runs with this display only, whatever
// DISPLAY the test itself inherited.
#pragma once

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testing_support
{

struct Colour
{
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Colour&) const = default;
};

inline constexpr Colour kWhite{255, 255, 255};
inline constexpr Colour kGreen{0, 255, 0};
inline constexpr Colour kBlue{0, 0, 255};

// Screen pixels from the top-left corner, rows going down.
struct PixelRect
{
    int x = 0, y = 0, width = 0, height = 0;
};

// An RGB picture in memory.
class Picture
{
public:
    // Reads any picture file ImageMagick knows; nullopt when it cannot.
    static std::optional<Picture> Load(const std::string& path);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Black outside the picture.
    Colour At(int x, int y) const;
    // Pixels of exactly this colour inside the rectangle (clipped to the picture).
    int Count(const PixelRect& area, Colour colour) const;

private:
    static std::optional<Picture> LoadPpm(const std::string& path);

    int m_width = 0;
    int m_height = 0;
    std::vector<uint8_t> m_rgb;
};

class XSession
{
public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;

    XSession();  // starts Xvfb and waits for its display number
    ~XSession(); // stops it

    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    bool Ready() const { return !m_display.empty(); }
    // ":N", or empty when the server did not start.
    const std::string& Display() const { return m_display; }
    // What Xvfb reported, for a failure message.
    std::string Problem();

    // xdotool key presses ("F9", "alt+Return", "Down Down"): true on success.
    bool Key(const std::string& keys);
    // Types text one character at a time, 30 ms apart.
    bool Type(const std::string& text) { return Xdotool({"type", "--delay", "30", text}).has_value(); }
    // Runs xdotool with these arguments; its standard output, or nullopt when it failed.
    std::optional<std::string> Xdotool(const std::vector<std::string>& args);

    // Saves the whole screen as a PNG and reads that same picture back.
    std::optional<Picture> Capture(const std::string& pngPath);

private:
    std::optional<std::string> RunTool(std::vector<std::string> args);

    std::unique_ptr<ChildProcess> m_server;
    std::string m_display;
};

} // namespace testing_support
