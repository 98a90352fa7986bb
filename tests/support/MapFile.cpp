#include "tests/support/MapFile.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string_view>

namespace testing_support
{
namespace
{
// A cell's code is its character's place here; '?' marks codes no test uses.
constexpr std::string_view kCells = ".#/\\??F789LDR";

uint8_t CodeFor(char c)
{
    size_t code = c == '?' ? std::string_view::npos : kCells.find(c);
    return code == std::string_view::npos ? 0 : static_cast<uint8_t>(code);
}

void PutInt(std::string& out, int32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
}
} // namespace

MapFile::MapFile(std::vector<std::string> rows, std::string title)
    : m_rows(std::move(rows)), m_title(std::move(title))
{
}

std::string MapFile::Bytes(Ending ending) const
{
    int32_t height = static_cast<int32_t>(m_rows.size());
    int32_t width = height ? static_cast<int32_t>(m_rows[0].size()) : 0;
    std::string out;
    PutInt(out, static_cast<int32_t>(m_title.size()));
    out += m_title;
    PutInt(out, width);
    PutInt(out, height);
    // Cells go column by column: x outer, y inner.
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
        {
            out += static_cast<char>(CodeFor(m_rows[y][x]));
            out += '\0';
        }
    if (ending == Ending::Truncated)
        out.resize(out.size() - std::max<size_t>(1, size_t(width) * size_t(height)));
    return out;
}

std::string MapFile::WriteTo(const std::string& path, Ending ending) const
{
    std::ofstream(path, std::ios::binary) << Bytes(ending);
    return path;
}

} // namespace testing_support
