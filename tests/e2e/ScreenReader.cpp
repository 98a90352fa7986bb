// The screen reader's pieces that need the tools: ImageMagick to read
// pictures, Xvfb and xdotool for the display.
#include "tests/e2e/ScreenReader.h"

#include "tests/support/ServerUnderTest.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <fstream>
#include <sstream>

using namespace std::chrono_literals;

namespace testing_support
{
// The file is converted to a binary PPM (P6, 8 bits per channel): a header
// of four fields, one whitespace byte, the pixels.
std::optional<Picture> Picture::Load(const std::string& path)
{
    TempDir scratch;
    ChildProcess convert(kEnv, {"convert", path, "-depth", "8", "ppm:" + scratch.File("picture.ppm")});
    bool converted = Finish(convert) == 0;
    std::ifstream in(scratch.File("picture.ppm"), std::ios::binary);
    std::string magic;
    int maximum = 0;
    Picture p;
    if (!converted || !(in >> magic >> p.m_width >> p.m_height >> maximum) || magic != "P6" ||
        maximum != 255 || p.m_width <= 0 || p.m_height <= 0 || p.m_width > 8192 || p.m_height > 8192)
        return std::nullopt;
    in.get();
    p.m_rgb.resize(size_t(p.m_width) * size_t(p.m_height) * 3);
    if (!in.read(reinterpret_cast<char*>(p.m_rgb.data()), std::streamsize(p.m_rgb.size())))
        return std::nullopt;
    return p;
}

int Picture::Count(const PixelRect& area, Colour colour) const
{
    int count = 0;
    for (int y = std::max(area.y, 0); y < std::min(area.y + area.height, m_height); ++y)
        for (int x = std::max(area.x, 0); x < std::min(area.x + area.width, m_width); ++x)
            count += At(x, y) == colour ? 1 : 0;
    return count;
}

// -displayfd lets Xvfb pick a free display number and write it to standard
// output once it accepts connections.
XSession::XSession(const std::string& size)
    : m_server(kEnv,
               {"Xvfb", "-displayfd", "1", "-screen", "0", size + "x24", "-nolisten", "tcp", "-noreset"})
{
    while (std::optional<std::string> line = m_server.ReadLine(15s))
        if (!line->empty() && line->find_first_not_of("0123456789") == std::string::npos)
        {
            m_display = ":" + *line;
            break;
        }
}

// A clean stop removes the display's lock file and socket.
XSession::~XSession()
{
    m_server.Signal(SIGTERM);
    m_server.Wait(5s);
}

bool XSession::Key(const std::string& keys)
{
    std::vector<std::string> args{"key"};
    std::istringstream words(keys);
    for (std::string key; words >> key;)
        args.push_back(key);
    return Xdotool(args).has_value();
}

std::optional<std::string> XSession::Xdotool(std::vector<std::string> args)
{
    args.insert(args.begin(), "xdotool");
    return Run(args);
}

std::optional<Picture> XSession::Capture(const std::string& pngPath)
{
    if (!Run({"import", "-display", m_display, "-window", "root", pngPath}))
        return std::nullopt;
    return Picture::Load(pngPath);
}

std::optional<std::string> XSession::Run(std::vector<std::string> args)
{
    args.insert(args.begin(), "DISPLAY=" + m_display);
    ChildProcess tool(kEnv, args);
    if (Finish(tool, 20s) != 0)
        return std::nullopt;
    std::string output;
    for (const std::string& line : tool.Lines())
        output += line + "\n";
    return output;
}

double Scale(const Picture& p)
{
    return p.Height() / double(kViewHeight);
}

PixelRect UnitArea(const Picture& p, double x, double y, double width, double height)
{
    const double s = Scale(p);
    auto column = [&](double units) { return int(std::ceil(p.Width() / 2.0 + units * s - 0.5)); };
    auto row = [&](double units) { return int(std::ceil(p.Height() / 2.0 - units * s - 0.5)); };
    return {column(x), row(y + height), column(x + width) - column(x), row(y) - row(y + height)};
}

PixelRect TextArea(const Picture& p, int x, int y, int length)
{
    return UnitArea(p, x, y, 10 * length, 16);
}

bool Blank(const Picture& picture, const PixelRect& area)
{
    return picture.Count(area, kWhite) == 0 && picture.Count(area, kGreen) == 0;
}

bool ShowsAt(const Picture& picture, int x, int y, std::string_view text, Colour colour)
{
    const Colour other = colour == kGreen ? kWhite : kGreen;
    const int length = int(text.size());
    if (!Blank(picture, TextArea(picture, x - 10, y, 1)) ||
        !Blank(picture, TextArea(picture, x + 10 * length, y, 1)))
        return false;
    for (int i = 0; i < length; ++i)
    {
        PixelRect cell = TextArea(picture, x + 10 * i, y, 1);
        bool coloured = picture.Count(cell, colour) >= 2 && picture.Count(cell, other) == 0;
        if (text[size_t(i)] == ' ' ? !Blank(picture, cell) : !coloured)
            return false;
    }
    return true;
}

bool ShowsCentred(const Picture& picture, int y, std::string_view text, Colour colour)
{
    return ShowsAt(picture, -5 * int(text.size()), y, text, colour);
}

bool SameGlyph(const Picture& p, const PixelRect& a, const PixelRect& b)
{
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (!(p.At(a.x + x, a.y + y) == p.At(b.x + x, b.y + y)))
                return false;
    return true;
}

} // namespace testing_support
