#include "tests/support/XSession.h"

#include "tests/support/ServerUnderTest.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <sstream>

using namespace std::chrono_literals;

namespace testing_support
{
namespace
{

// Tools are started through env(1): it finds them on PATH and sets DISPLAY
// for them, replacing whatever the test inherited.
constexpr const char* kEnv = "/usr/bin/env";

} // namespace

std::optional<Picture> Picture::Load(const std::string& path)
{
    TempDir scratch;
    const std::string ppm = scratch.File("picture.ppm");
    ChildProcess convert(kEnv, {"convert", path, "-depth", "8", "ppm:" + ppm});
    if (Finish(convert) != 0)
        return std::nullopt;
    return LoadPpm(ppm);
}

// A binary PPM (P6, 8 bits per channel) as convert writes it: a header of
// four fields, one whitespace byte, the pixels.
std::optional<Picture> Picture::LoadPpm(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maximum = 0;
    Picture picture;
    if (!(in >> magic >> picture.m_width >> picture.m_height >> maximum) || magic != "P6" || maximum != 255 ||
        picture.m_width <= 0 || picture.m_height <= 0 || picture.m_width > 8192 || picture.m_height > 8192)
        return std::nullopt;
    in.get();
    picture.m_rgb.resize(size_t(picture.m_width) * size_t(picture.m_height) * 3);
    if (!in.read(reinterpret_cast<char*>(picture.m_rgb.data()), std::streamsize(picture.m_rgb.size())))
        return std::nullopt;
    return picture;
}

Colour Picture::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return {};
    size_t at = (size_t(y) * size_t(m_width) + size_t(x)) * 3;
    return {m_rgb[at], m_rgb[at + 1], m_rgb[at + 2]};
}

int Picture::Count(const PixelRect& area, Colour colour) const
{
    int count = 0;
    for (int y = std::max(area.y, 0); y < std::min(area.y + area.height, m_height); ++y)
        for (int x = std::max(area.x, 0); x < std::min(area.x + area.width, m_width); ++x)
            count += At(x, y) == colour ? 1 : 0;
    return count;
}

XSession::XSession()
{
    // -displayfd lets Xvfb pick a free display number and write it to
    // standard output once it accepts connections.
    m_server = std::make_unique<ChildProcess>(kEnv, std::vector<std::string>{"Xvfb", "-displayfd", "1",
                                                                             "-screen", "0", "1024x768x24",
                                                                             "-nolisten", "tcp", "-noreset"});
    while (std::optional<std::string> line = m_server->ReadLine(15s))
        if (!line->empty() && line->find_first_not_of("0123456789") == std::string::npos)
        {
            m_display = ":" + *line;
            break;
        }
}

XSession::~XSession()
{
    // A clean stop removes the display's lock file and socket.
    m_server->Signal(SIGTERM);
    m_server->Wait(5s);
}

std::string XSession::Problem()
{
    return Ready() ? "" : "Xvfb did not start (package xvfb): " + m_server->Stderr();
}

std::optional<std::string> XSession::RunTool(std::vector<std::string> args)
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

std::optional<std::string> XSession::Xdotool(const std::vector<std::string>& args)
{
    std::vector<std::string> command{"xdotool"};
    command.insert(command.end(), args.begin(), args.end());
    return RunTool(command);
}

bool XSession::Key(const std::string& keys)
{
    std::vector<std::string> args{"key"};
    std::istringstream words(keys);
    for (std::string key; words >> key;)
        args.push_back(key);
    return Xdotool(args).has_value();
}

std::optional<Picture> XSession::Capture(const std::string& pngPath)
{
    if (!RunTool({"import", "-display", m_display, "-window", "root", pngPath}))
        return std::nullopt;
    return Picture::Load(pngPath);
}

} // namespace testing_support
