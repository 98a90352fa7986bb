// Reads the real client's screen as a player would: a virtual X display of
// the test's own, key presses sent to it, screenshots of it, and the texts
// the client draws, found by their pure colours in 10 x 16 glyph cells at
// the places its layout gives them in view units.
#pragma once

#include "tests/support/ChildProcess.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support
{
// The client's view is this many units high whatever the screen's size; the
// menus and the HUD are laid out from its centre.
constexpr int kViewHeight = 768, kHalfHeight = kViewHeight / 2;

// Tools are started through env(1): it finds them on PATH and sets DISPLAY
// for them, replacing whatever the test inherited.
constexpr const char* kEnv = "/usr/bin/env";

struct Colour
{
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Colour&) const = default;
};
constexpr Colour kWhite{255, 255, 255}, kGreen{0, 255, 0}, kBlue{0, 0, 255};

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
    Colour At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height)
            return {};
        size_t at = (size_t(y) * size_t(m_width) + size_t(x)) * 3;
        return {m_rgb[at], m_rgb[at + 1], m_rgb[at + 2]};
    }
    // Pixels of exactly this colour inside the rectangle (clipped to the picture).
    int Count(const PixelRect& area, Colour colour) const;

private:
    int m_width = 0, m_height = 0;
    std::vector<uint8_t> m_rgb;
};

// A virtual X display for one test: an Xvfb server of its own (1024x768
// unless told, 24-bit, no TCP), real key presses sent to it with xdotool, and screenshots
// of the whole screen taken with ImageMagick. Every tool runs with this
// display only, whatever DISPLAY the test itself inherited.
class XSession
{
public:
    explicit XSession(const std::string& size = "1024x768");
    ~XSession();

    // The display is ":N", or empty when the server did not start.
    bool Ready() const { return !m_display.empty(); }
    const std::string& Display() const { return m_display; }
    std::string Problem() { return "Xvfb did not start (package xvfb): " + m_server.Stderr(); }

    // xdotool key presses ("F9", "alt+Return", "Down Down"): true on success.
    bool Key(const std::string& keys);
    // Types text one character at a time, 30 ms apart.
    bool Type(const std::string& text) { return Xdotool({"type", "--delay", "30", text}).has_value(); }
    std::optional<std::string> Xdotool(std::vector<std::string> args);
    // Saves the whole screen as a PNG and reads that same picture back.
    std::optional<Picture> Capture(const std::string& pngPath);

private:
    // Runs a tool on this display: its standard output, or nullopt when it failed.
    std::optional<std::string> Run(std::vector<std::string> args);

    ChildProcess m_server;
    std::string m_display;
};

// Screen pixels a view unit spans. The tests' screens are between 4:3 and
// 16:9, where the view fills the screen.
double Scale(const Picture& p);

// The pixels whose centres lie in the box of view units with its lower-left
// corner at (x, y): origin at the screen centre, y up.
PixelRect UnitArea(const Picture& p, double x, double y, double width, double height);

// Where the client draws a text of `length` glyphs whose first glyph has its
// lower-left corner at (x, y). The glyphs go up from y, in 10 x 16 cells.
PixelRect TextArea(const Picture& p, int x, int y, int length);

// Texts are white or green here (a menu's selected line green, the others
// white): a cell is blank when it holds neither colour.
bool Blank(const Picture& picture, const PixelRect& area);

// The client draws its texts in pure colours, in 10 x 16 glyph cells. The
// text with its first glyph's lower-left corner at (x, y): every glyph's
// cell holds some of the colour and none of the other text colour, every
// space's cell and the cells on either side are blank. Another text of
// another length or with its spaces elsewhere, at the same place, does not
// pass.
bool ShowsAt(const Picture& picture, int x, int y, std::string_view text, Colour colour);

// Centred the client's way: x = -5 x length.
bool ShowsCentred(const Picture& picture, int y, std::string_view text, Colour colour);

// Whether two glyph cells hold the same pixels.
bool SameGlyph(const Picture& p, const PixelRect& a, const PixelRect& b);

} // namespace testing_support
