#include "tools/maptool/MapText.h"

#include "game/Map.h"

#include <charconv>
#include <vector>

namespace maptool
{
namespace
{
// Indexed by tile code.
constexpr char kAlphabet[TILE_CODE_COUNT + 1] = ".#3179FSP^<v>";

struct RawCell
{
    int32_t x, y, code, state;
    int line;
};

struct ParseState
{
    ParseState(MapGrid& g, TextError& e) : grid(g), error(e) {}

    MapGrid& grid;
    TextError& error;
    bool titleSeen = false;
    std::vector<std::string_view> rows;
    int firstRowLine = 0;
    std::vector<RawCell> cells;

    bool Fail(int line, int column, std::string message)
    {
        error = TextError{line, column, std::move(message)};
        return false;
    }
};

std::string_view TrimRight(std::string_view line)
{
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
        line.remove_suffix(1);
    return line;
}

// True when the line is `keyword` alone or followed by a space or tab.
bool StartsWithWord(std::string_view line, std::string_view keyword)
{
    return line.substr(0, keyword.size()) == keyword &&
           (line.size() == keyword.size() || line[keyword.size()] == ' ' || line[keyword.size()] == '\t');
}

// Skips spaces and tabs from `at`.
size_t SkipBlanks(std::string_view line, size_t at)
{
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    return at;
}

bool ParseTitle(ParseState& state, std::string_view line, int lineNumber)
{
    if (state.titleSeen)
        return state.Fail(lineNumber, 1,
                          "a second title line. Keep exactly one 'title NAME' above the grid.");
    size_t start = SkipBlanks(line, 5);
    if (start == line.size())
        return state.Fail(lineNumber, 1,
                          "the title line has no title. Write 'title NAME', e.g. 'title Caves'.");
    for (size_t i = start; i < line.size(); ++i)
        if (static_cast<unsigned char>(line[i]) < 32 || static_cast<unsigned char>(line[i]) > 126)
            return state.Fail(lineNumber, int(i) + 1,
                              "the title holds a byte that is not printable ASCII. Use plain letters.");
    state.grid.title = std::string(line.substr(start));
    state.titleSeen = true;
    return true;
}

// Reads the next whitespace-separated integer in [low, high] from `at`.
bool ReadNumber(ParseState& state, std::string_view line, size_t& at, int lineNumber, const char* what,
                int32_t low, int32_t high, int32_t& value)
{
    at = SkipBlanks(line, at);
    size_t end = at;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t')
        ++end;
    auto [stop, code] = std::from_chars(line.data() + at, line.data() + end, value);
    if (at == end || code != std::errc() || stop != line.data() + end || value < low || value > high)
        return state.Fail(lineNumber, int(at) + 1,
                          std::string("expected ") + what + " from " + std::to_string(low) + " to " +
                              std::to_string(high) + ". Cell lines read 'cell X Y CODE STATE'.");
    at = end;
    return true;
}

bool ParseCellLine(ParseState& state, std::string_view line, int lineNumber)
{
    if (state.rows.empty())
        return state.Fail(lineNumber, 1,
                          "a cell line above the grid. Put cell lines after the last grid row.");
    RawCell cell{0, 0, 0, 0, lineNumber};
    int32_t columns = int32_t(state.rows.front().size()), rows = int32_t(state.rows.size());
    size_t at = 4;
    if (!ReadNumber(state, line, at, lineNumber, "a column X", 0, columns - 1, cell.x) ||
        !ReadNumber(state, line, at, lineNumber, "a row Y", 0, rows - 1, cell.y) ||
        !ReadNumber(state, line, at, lineNumber, "a tile CODE", 0, 255, cell.code) ||
        !ReadNumber(state, line, at, lineNumber, "a STATE byte", 0, 255, cell.state))
        return false;
    if (SkipBlanks(line, at) != line.size())
        return state.Fail(lineNumber, int(SkipBlanks(line, at)) + 1,
                          "unexpected text after the state byte. Cell lines read 'cell X Y CODE STATE'.");
    state.cells.push_back(cell);
    return true;
}

bool ParseRow(ParseState& state, std::string_view line, int lineNumber)
{
    if (!state.titleSeen)
        return state.Fail(lineNumber, 1,
                          "the grid starts before the title. Put 'title NAME' above the grid.");
    if (!state.cells.empty())
        return state.Fail(lineNumber, 1,
                          "a grid row after the cell lines. Keep the grid in one block above them.");
    for (size_t i = 0; i < line.size(); ++i)
        if (CodeForCharacter(line[i]) < 0)
            return state.Fail(lineNumber, int(i) + 1,
                              "'" + std::string(1, line[i]) + "' is not a tile character. Use one of " +
                                  TileAlphabet() + " (QuorvexMapTool --help explains them).");
    if (line.size() > size_t(CMap::kMaxSide) || state.rows.size() >= size_t(CMap::kMaxSide))
        return state.Fail(lineNumber, 0,
                          "the grid is larger than " + std::to_string(CMap::kMaxSide) + " cells a side.");
    if (state.rows.empty())
        state.firstRowLine = lineNumber;
    else if (line.size() != state.rows.front().size())
        return state.Fail(lineNumber, int(std::min(line.size(), state.rows.front().size())) + 1,
                          "this row has " + std::to_string(line.size()) + " cells but the first row (line " +
                              std::to_string(state.firstRowLine) + ") has " +
                              std::to_string(state.rows.front().size()) +
                              ". Every row needs the same count.");
    state.rows.push_back(line);
    return true;
}

bool ParseLine(ParseState& state, std::string_view line, int lineNumber)
{
    line = TrimRight(line);
    if (line.empty() || line.front() == ';')
        return true;
    if (StartsWithWord(line, "title"))
        return ParseTitle(state, line, lineNumber);
    if (StartsWithWord(line, "cell"))
        return ParseCellLine(state, line, lineNumber);
    return ParseRow(state, line, lineNumber);
}

void BuildGrid(ParseState& state)
{
    MapGrid& grid = state.grid;
    grid.Resize(int32_t(state.rows.front().size()), int32_t(state.rows.size()));
    for (int32_t y = 0; y < grid.rows; ++y)
        for (int32_t x = 0; x < grid.columns; ++x)
            grid.Set(x, y, uint8_t(CodeForCharacter(state.rows[size_t(y)][size_t(x)])));
    for (const RawCell& cell : state.cells)
        grid.Set(cell.x, cell.y, uint8_t(cell.code), uint8_t(cell.state));
}
} // namespace

char TileCharacter(uint8_t code)
{
    return code < TILE_CODE_COUNT ? kAlphabet[code] : 0;
}

int CodeForCharacter(char c)
{
    for (int code = 0; code < TILE_CODE_COUNT; ++code)
        if (kAlphabet[code] == c)
            return code;
    return -1;
}

std::string TileAlphabet()
{
    std::string letters;
    for (int code = 0; code < TILE_CODE_COUNT; ++code)
        letters += std::string(code ? " " : "") + kAlphabet[code];
    return letters;
}

bool ParseMapText(std::string_view text, MapGrid& grid, TextError& error)
{
    ParseState state(grid, error);
    grid = MapGrid{};
    int lineNumber = 0;
    while (!text.empty())
    {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!ParseLine(state, line, ++lineNumber))
            return false;
    }
    if (!state.titleSeen)
        return state.Fail(0, 0, "no title line. Add 'title NAME' above the grid.");
    if (state.rows.empty())
        return state.Fail(0, 0, "no grid. Add rows of tile characters below the title line.");
    BuildGrid(state);
    return true;
}

bool FormatMapText(const MapGrid& grid, std::string& text, std::string& error)
{
    bool printable = !grid.title.empty() && grid.title.front() != ' ' && grid.title.back() != ' ';
    for (char c : grid.title)
        printable = printable && static_cast<unsigned char>(c) >= 32 && static_cast<unsigned char>(c) <= 126;
    if (!printable)
    {
        error = "the map's title is empty or not plain printable text, so the text form cannot hold it";
        return false;
    }
    text = "; " + grid.title + ": " + std::to_string(grid.columns) + " x " + std::to_string(grid.rows) +
           " cells. Rebuild with: QuorvexMapTool build FILE.txt\ntitle " + grid.title + "\n";
    std::string cellLines;
    for (int32_t y = 0; y < grid.rows; ++y)
    {
        for (int32_t x = 0; x < grid.columns; ++x)
        {
            char c = TileCharacter(grid.Code(x, y));
            text += c ? c : '.';
            if (!c || grid.State(x, y) != 0)
                cellLines += "cell " + std::to_string(x) + " " + std::to_string(y) + " " +
                             std::to_string(grid.Code(x, y)) + " " + std::to_string(grid.State(x, y)) + "\n";
        }
        text += '\n';
    }
    text += cellLines;
    return true;
}

std::string Describe(const std::string& file, const TextError& error)
{
    std::string where = file;
    if (error.line > 0)
        where += ":" + std::to_string(error.line);
    if (error.line > 0 && error.column > 0)
        where += ":" + std::to_string(error.column);
    return where + ": " + error.message;
}

} // namespace maptool
