// QuorvexMapTool: builds the game's map files from their text form, turns a
// map file back into text, draws a map's overview picture and checks that a
// map makes a fair arena.
#include "tools/maptool/MapChecks.h"
#include "tools/maptool/MapGrid.h"
#include "tools/maptool/MapText.h"
#include "tools/maptool/Overview.h"

#include "platform/Files.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

using namespace maptool;

namespace
{
constexpr size_t kMaxInputBytes = 64u << 20;

const char kUsage[] = "Usage: QuorvexMapTool COMMAND FILE [--out PATH]\n"
                      "\n"
                      "Commands:\n"
                      "  build MAP.txt [--out FOLDER]   text form -> FOLDER/NAME.smp and FOLDER/NAME.bmp,\n"
                      "                                 NAME being the map's title (default FOLDER: the\n"
                      "                                 text file's folder); prints arena warnings\n"
                      "  text MAP.smp [--out FILE.txt]  map file -> text form (default: standard output)\n"
                      "  picture MAP [--out FILE.bmp]   map file or text form -> overview picture\n"
                      "                                 (default: beside MAP, named like it)\n"
                      "  check MAP                      map file or text form: lists what keeps it from\n"
                      "                                 being a fair arena, or a title that differs from\n"
                      "                                 the file name; exit status 1 if anything does\n"
                      "  --help                         this text\n"
                      "\n"
                      "Files ending in .smp (any case) are read as map files, anything else as text.\n"
                      "\n"
                      "THE TEXT FORM\n"
                      "One line per map row, one character per cell. The first grid line is row 0,\n"
                      "the top of the map (the game's y grows downwards), and each line's first\n"
                      "character is column 0. All rows have the same length, 1 to 4096 cells; there\n"
                      "are 1 to 4096 rows. The map wraps: the right edge joins the left, the bottom\n"
                      "joins the top. Each cell is 32 x 32 world units.\n"
                      "\n"
                      "  .  empty space                          code 0\n"
                      "  #  wall                                 code 1\n"
                      "  3  half wall, solid lower right half    code 2 (right angle at largest x, y)\n"
                      "  1  half wall, solid lower left half     code 3 (right angle at smallest x,\n"
                      "                                                  largest y)\n"
                      "  7  half wall, solid upper left half     code 4 (right angle at smallest x, y)\n"
                      "  9  half wall, solid upper right half    code 5 (right angle at largest x,\n"
                      "                                                  smallest y)\n"
                      "  F  fuel block: solid; ships refuel near it (FuelRange, 2 cells by default)  code 6\n"
                      "  S  ship spawn point                     code 7\n"
                      "  P  powerup spawner                      code 8\n"
                      "  ^  turret facing up (towards row 0)     code 9\n"
                      "  <  turret facing left                   code 10\n"
                      "  v  turret facing down                   code 11\n"
                      "  >  turret facing right                  code 12\n"
                      "\n"
                      "The half-wall digits sit where their solid corner is on a numeric keypad;\n"
                      "each cell looks like this (# solid, . open):\n"
                      "  7: ####   9: ####   1: #...   3: ...#\n"
                      "     ###.      .###      ##..      ..##\n"
                      "     ##..      ..##      ###.      .###\n"
                      "     #...      ...#      ####      ####\n"
                      "A turret shoots at ships in the half-plane it faces, within 8 cells; put a\n"
                      "wall behind it and open space in front.\n"
                      "\n"
                      "Other lines:\n"
                      "  title NAME            required, once, above the grid. NAME is the map's name:\n"
                      "                        the server announces it and clients load Maps/NAME.smp\n"
                      "                        and Maps/NAME.bmp, so build needs 1 to 127 letters,\n"
                      "                        digits, '_' or '-'.\n"
                      "  ; anything            a comment (the line must start with ';')\n"
                      "  (empty line)          ignored\n"
                      "  cell X Y CODE STATE   after the grid: sets cell (X, Y) to the raw tile CODE\n"
                      "                        and state byte STATE (0-255 each). 'text' writes these\n"
                      "                        for codes 13-255 (empty space to the game) and for\n"
                      "                        non-zero state bytes, so nothing is lost.\n"
                      "Trailing spaces, tabs and carriage returns are ignored.\n"
                      "\n"
                      "Example (an 8 x 4 room whose edges wrap):\n"
                      "  ; a tiny test room\n"
                      "  title Tiny\n"
                      "  #7....9#\n"
                      "  ..S..P..\n"
                      "  F>....<F\n"
                      "  #1....3#\n"
                      "\n"
                      "THE OVERVIEW PICTURE\n"
                      "A 256 x 256, 24-bit bitmap of the whole map (row 0 at the top) that the client\n"
                      "shows as its minimap: walls blue, half walls light blue, fuel blocks amber,\n"
                      "turrets magenta triangles pointing where they shoot, powerup spawners green\n"
                      "diamonds, spawn points white discs, on a dark background.\n"
                      "\n"
                      "Rebuilding the shipped maps: QuorvexMapTool build data/Maps/Caves.txt\n";

bool IsMapFile(const std::string& path)
{
    return path.size() >= 4 &&
           platform::CompareNoCase(std::string_view(path).substr(path.size() - 4), ".smp") == 0;
}

bool Fail(const std::string& message)
{
    std::fprintf(stderr, "QuorvexMapTool: %s\n", message.c_str());
    return false;
}

// Reads a map file or a text form into `grid`, reporting any problem.
bool LoadGrid(const std::string& path, MapGrid& grid)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, kMaxInputBytes))
        return Fail(path + ": cannot read it (missing, unreadable, or larger than 64 MB). Check the path.");
    if (IsMapFile(path))
    {
        std::string error;
        if (!DecodeMapFile(bytes, grid, error))
            return Fail(path + ": not a usable map file: " + error + ".");
        return true;
    }
    TextError error;
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!ParseMapText(text, grid, error))
        return Fail(Describe(path, error));
    return true;
}

bool Write(const std::string& path, const std::vector<uint8_t>& bytes)
{
    if (!WriteWholeFile(path, bytes))
        return Fail(path + ": cannot write it. Check that the folder exists and is writable.");
    return true;
}

void PrintWarnings(const std::string& path, const MapGrid& grid, std::FILE* out, const char* prefix)
{
    for (const std::string& problem : CheckArena(grid))
        std::fprintf(out, "%s: %s%s\n", path.c_str(), prefix, problem.c_str());
}

bool Build(const std::string& path, std::string folder)
{
    MapGrid grid;
    if (!LoadGrid(path, grid))
        return false;
    if (!IsUsableMapName(grid.title))
        return Fail(path + ": the title \"" + grid.title +
                    "\" cannot name the map's files. The server announces the title and clients load "
                    "Maps/<title>.smp, so use 1 to 127 letters, digits, '_' or '-'.");
    if (folder.empty())
        folder = std::filesystem::path(path).parent_path().string();
    std::filesystem::path base = std::filesystem::path(folder.empty() ? "." : folder) / grid.title;
    std::string mapPath = base.string() + ".smp", picturePath = base.string() + ".bmp";
    if (!Write(mapPath, EncodeMapFile(grid)) ||
        !Write(picturePath, EncodeOverviewBitmap(RenderOverview(grid))))
        return false;
    ArenaCounts counts = CountTiles(grid);
    std::printf(
        "Wrote %s and %s: %d x %d cells, %d spawn points, %d powerup spawners, %d turrets, %d fuel "
        "blocks\n",
        mapPath.c_str(), picturePath.c_str(), grid.columns, grid.rows, counts.spawnPoints, counts.spawners,
        counts.turrets[0] + counts.turrets[1] + counts.turrets[2] + counts.turrets[3], counts.fuelBlocks);
    PrintWarnings(path, grid, stderr, "warning: ");
    return true;
}

bool ToText(const std::string& path, const std::string& out)
{
    MapGrid grid;
    std::string text, error;
    if (!LoadGrid(path, grid))
        return false;
    if (!FormatMapText(grid, text, error))
        return Fail(path + ": " + error + ".");
    if (out.empty())
        return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    return Write(out, std::vector<uint8_t>(text.begin(), text.end()));
}

bool ToPicture(const std::string& path, std::string out)
{
    MapGrid grid;
    if (!LoadGrid(path, grid))
        return false;
    if (out.empty())
        out = std::filesystem::path(path).replace_extension(".bmp").string();
    if (!Write(out, EncodeOverviewBitmap(RenderOverview(grid))))
        return false;
    std::printf("Wrote %s\n", out.c_str());
    return true;
}

// Fails when the map has problems, or is named other than its file.
bool Check(const std::string& path)
{
    MapGrid grid;
    if (!LoadGrid(path, grid))
        return false;
    bool fair = CheckArena(grid).empty();
    PrintWarnings(path, grid, stdout, "");
    std::string stem = std::filesystem::path(path).stem().string();
    if (grid.title != stem)
    {
        std::printf("%s: the title \"%s\" differs from the file name; clients will look for Maps/%s.smp\n",
                    path.c_str(), grid.title.c_str(), grid.title.c_str());
        fair = false;
    }
    if (fair)
        std::printf("%s: a fair arena\n", path.c_str());
    return fair;
}

int Usage(const char* problem)
{
    std::fprintf(stderr,
                 "QuorvexMapTool: %s\nRun 'QuorvexMapTool --help' for the commands and the text form.\n",
                 problem);
    return 2;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0))
    {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc != 3 && !(argc == 5 && std::strcmp(argv[3], "--out") == 0))
        return Usage("expected a command, a file and optionally --out PATH.");
    std::string command = argv[1], path = argv[2], out = argc == 5 ? argv[4] : "";
    bool ok;
    if (command == "build")
        ok = Build(path, out);
    else if (command == "text")
        ok = ToText(path, out);
    else if (command == "picture")
        ok = ToPicture(path, out);
    else if (command == "check" && out.empty())
        ok = Check(path);
    else
        return Usage(("unknown command '" + command + "'.").c_str());
    return ok ? 0 : 1;
}
