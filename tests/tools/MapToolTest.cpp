// The map tool: the text form, the map file codec, the arena checks, and the
// program itself. The overview picture and the codec's round trip are checked
// on every shipped map (ShippedMapsTest) and by the program's build.
#include "tools/maptool/MapChecks.h"
#include "tools/maptool/MapGrid.h"
#include "tools/maptool/MapText.h"
#include "tools/maptool/Overview.h"

#include "game/Map.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace maptool;
using testing_support::ReadFile;

namespace
{
MapGrid Parse(const std::string& text)
{
    MapGrid grid;
    TextError error;
    EXPECT_TRUE(ParseMapText(text, grid, error)) << Describe("text", error);
    return grid;
}

TextError ParseError(const std::string& text)
{
    MapGrid grid;
    TextError error;
    EXPECT_FALSE(ParseMapText(text, grid, error)) << text;
    return error;
}

MapGrid ShippedGrid(const std::string& name)
{
    return Parse(ReadFile(std::string(QUORVEX_SOURCE_DIR) + "/data/Maps/" + name + ".txt"));
}

bool Mentions(const std::vector<std::string>& problems, const std::string& text)
{
    return std::any_of(problems.begin(), problems.end(),
                       [&](const std::string& p) { return p.find(text) != std::string::npos; });
}

// Runs the map tool; its exit status, and in `output` what it wrote: its
// standard output, then its errors.
int RunTool(const std::vector<std::string>& arguments, std::string* output = nullptr)
{
    testing_support::ChildProcess tool(testing_support::ProgramPath("QuorvexMapTool"), arguments);
    int status = tool.Wait(std::chrono::seconds(20)).value_or(-1);
    tool.DrainOutput(std::chrono::seconds(5));
    if (output)
    {
        output->clear();
        for (const std::string& line : tool.Lines())
            *output += line + "\n";
        *output += tool.Stderr();
    }
    return status;
}
} // namespace

// Cell lines set raw codes and states after the rows.
TEST(MapText, RowsRunDownTheMapAndCharactersAcrossIt)
{
    MapGrid grid = Parse("; a comment\n"
                         "title Small\n"
                         "\n"
                         "#7.9^\n"
                         "S1.3v  \r\n"
                         "; <\n"
                         "FP<>.\n"
                         "cell 2 1 200 7\n");
    EXPECT_EQ(grid.title, "Small");
    EXPECT_EQ(CodeForCharacter(' '), -1);
    EXPECT_EQ(CodeForCharacter('V'), -1) << "tile characters are case-sensitive";
    ASSERT_EQ(grid.columns, 5);
    ASSERT_EQ(grid.rows, 3);
    const char* rows[] = {"#7.9^", "S1.3v", "FP<>."};
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x)
            EXPECT_EQ(grid.Code(x, y), x == 2 && y == 1 ? 200 : CodeForCharacter(rows[y][x]))
                << x << ", " << y;
    EXPECT_EQ(std::pair(grid.Code(2, 1), grid.State(2, 1)), std::pair(uint8_t(200), uint8_t(7)));
}

TEST(MapText, ErrorsSayWhereAndWhatToDo)
{
    struct Case
    {
        const char* text;
        int line, column;
        const char* says;
    };
    const Case cases[] = {
        {"title A\n..x.\n", 2, 3, "'x' is not a tile character"},
        {"title A\n....\n...\n", 3, 4, "this row has 3 cells but the first row (line 2) has 4"},
        {"....\n", 1, 1, "before the title"},
        {"title A\n.\ntitle B\n", 3, 1, "a second title line"},
        {"title A\ntitle B\n.\n", 2, 1, "a second title line"},
        {"title\n.\n", 1, 1, "has no title"},
        {"title A\n", 0, 0, "no grid"},
        {"; nothing\n", 0, 0, "no title line"},
        {"title A\ncell 0 0 1 0\n.\n", 2, 1, "above the grid"},
        {"title A\n..\ncell 2 0 1 0\n", 3, 6, "a column X from 0 to 1"},
        {"title A\n..\ncell 0 0 256 0\n", 3, 10, "a tile CODE from 0 to 255"},
        {"title A\n..\ncell 0 0 1\n", 3, 11, "a STATE byte"},
        {"title A\n..\ncell 0 0 1 2 3\n", 3, 14, "unexpected text"},
        {"title A\n..\ncell 0 0 1 0\n..\n", 4, 1, "after the cell lines"},
        {"title A\x01\n.\n", 1, 8, "not printable"},
    };
    for (const Case& c : cases)
    {
        TextError error = ParseError(c.text);
        EXPECT_EQ(error.line, c.line) << c.text;
        EXPECT_EQ(error.column, c.column) << c.text;
        EXPECT_NE(error.message.find(c.says), std::string::npos) << c.text << " gave: " << error.message;
    }
    EXPECT_EQ(Describe("m.txt", TextError{2, 3, "bad."}), "m.txt:2:3: bad.");
    EXPECT_EQ(Describe("m.txt", TextError{0, 0, "bad."}), "m.txt: bad.");
}

TEST(MapText, OversizedGridsAreRefused)
{
    EXPECT_NE(ParseError("title A\n" + std::string(4097, '.') + "\n").message.find("larger than 4096"),
              std::string::npos);
    std::string tall = "title A\n";
    for (int i = 0; i < 4097; ++i)
        tall += ".\n";
    EXPECT_EQ(ParseError(tall).line, 4098);
}

TEST(MapText, FormattedTextParsesBackToTheSameGrid)
{
    MapGrid grid = Parse("title Round\n#7S\n^<v\n>P9\n1F3\ncell 1 1 13 0\ncell 0 0 1 9\n");
    std::string text, error;
    ASSERT_TRUE(FormatMapText(grid, text, error));
    EXPECT_EQ(Parse(text), grid);
    EXPECT_NE(text.find("\n#7S\n^.v\n"), std::string::npos)
        << "codes without a character show as empty space";
    grid.title = "Two\nlines";
    EXPECT_FALSE(FormatMapText(grid, text, error));
    grid.title = "";
    EXPECT_FALSE(FormatMapText(grid, text, error));
}

TEST(MapFile, DecodingSaysWhatIsWrong)
{
    MapGrid grid = Parse("title Cut\n..\n..\n");
    std::vector<uint8_t> bytes = EncodeMapFile(grid);
    MapGrid decoded;
    std::string error;
    std::vector<uint8_t> cut(bytes.begin(), bytes.end() - 1);
    EXPECT_FALSE(DecodeMapFile(cut, decoded, error));
    EXPECT_EQ(error, "the cells end early: 3 of 4 are in the file");
    EXPECT_FALSE(DecodeMapFile(std::span(bytes).first(9), decoded, error));
    EXPECT_EQ(error, "the file ends before the map's size");
    bytes[0] = 0xFF;
    EXPECT_FALSE(DecodeMapFile(bytes, decoded, error));
    EXPECT_NE(error.find("too short for its title"), std::string::npos);
    std::vector<uint8_t> zero = EncodeMapFile(grid);
    zero[7] = 0; // columns = 0
    EXPECT_FALSE(DecodeMapFile(zero, decoded, error));
    EXPECT_EQ(error, "the size 0 x 2 is outside 1 to 4096 cells a side");
}

TEST(MapFile, UsableNamesCanNameFiles)
{
    for (const char* name : {"Caves", "HCPlayground", "map_2", "a-b"})
        EXPECT_TRUE(IsUsableMapName(name)) << name;
    for (const char* name : {"", "My Map", "../x", "a\\b", "a.b", "tab\t"})
        EXPECT_FALSE(IsUsableMapName(name)) << name;
    EXPECT_FALSE(IsUsableMapName(std::string(128, 'a')));
    EXPECT_TRUE(IsUsableMapName(std::string(127, 'a')));
}

TEST(MapChecks, AShippedMapPassesAndEachFlawIsNamed)
{
    MapGrid good = ShippedGrid("HCPlayground");
    EXPECT_EQ(CheckArena(good), std::vector<std::string>{});
    ArenaCounts counts = CountTiles(good);
    EXPECT_EQ(counts.spawnPoints, 8);

    MapGrid flawed = good; // spawn points at (9, 4) and (4, 11), mirrored
    flawed.Set(9, 4, TILE_EMPTY);
    flawed.Set(4, 12, TILE_WALL);
    auto problems = CheckArena(flawed);
    EXPECT_TRUE(Mentions(problems, "only 7 spawn points")) << problems.front();
    EXPECT_TRUE(Mentions(problems, "spawn point (4, 11) has a blocked cell at (4, 12)"));

    flawed = good;
    flawed.Set(19, 15, TILE_WALL); // in front of the turret at (19, 16)
    flawed.Set(30, 8, TILE_SPAWN_POINT);
    problems = CheckArena(flawed);
    EXPECT_TRUE(Mentions(problems, "the turret at (19, 16) faces up into a blocked cell"));
    EXPECT_TRUE(Mentions(problems, "spawn points (30, 4) and (30, 8) are closer than 8 cells"));

    flawed = good;
    flawed.Set(13, 16, TILE_SPAWN_POINT);
    problems = CheckArena(flawed);
    EXPECT_TRUE(Mentions(problems, "spawn point (13, 16) is within reach of the turret at (16, 19)"));
}

TEST(MapChecks, PassagesMustCrossBothSeamsAndJoinEverySpawnPoint)
{
    MapGrid walled = ShippedGrid("HCPlayground");
    for (int32_t i = 0; i < 40; ++i)
    {
        walled.Set(i, 0, TILE_WALL);
        walled.Set(0, i, TILE_WALL);
    }
    auto problems = CheckArena(walled);
    EXPECT_TRUE(Mentions(problems, "no passage two cells wide across the left and right edges"));
    EXPECT_TRUE(Mentions(problems, "across the top and bottom edges"));

    MapGrid boxed = ShippedGrid("HCPlayground");
    for (int32_t d = -2; d <= 2; ++d)
        for (int32_t e : {-2, 2})
        {
            boxed.Set(9 + d, 4 + e, TILE_WALL);
            boxed.Set(9 + e, 4 + d, TILE_WALL);
        }
    EXPECT_TRUE(Mentions(CheckArena(boxed), "cannot be reached"));
    EXPECT_TRUE(ReachableBlocks(boxed, 9, 4)[boxed.Index(8, 3)]);
    EXPECT_FALSE(ReachableBlocks(boxed, 9, 4)[boxed.Index(20, 8)]);
}

TEST(MapTool, HelpDocumentsTheTextForm)
{
    std::string help;
    ASSERT_EQ(RunTool({"--help"}, &help), 0);
    // One line a tile character, and the other lines of the text form.
    for (int code = 0; code < TILE_CODE_COUNT; ++code)
        EXPECT_NE(help.find(std::string("  ") + TileCharacter(uint8_t(code)) + "  "), std::string::npos)
            << code;
    for (const char* needle : {"title NAME", "; anything", "cell X Y CODE STATE", "row 0"})
        EXPECT_NE(help.find(needle), std::string::npos) << needle;
}

TEST(MapTool, BuildWritesTheNamedFilesAndTextComesBack)
{
    testing_support::TempDir dir;
    std::string text = "title Tiny\n#7..9#\n.S..P.\n", errors;
    ASSERT_EQ(RunTool({"build", dir.Write("src/tiny.txt", text), "--out", dir.Path()}, &errors), 0) << errors;
    std::vector<uint8_t> map = EncodeMapFile(Parse(text)),
                         picture = EncodeOverviewBitmap(RenderOverview(Parse(text)));
    EXPECT_EQ(ReadFile(dir.File("Tiny.smp")), std::string(map.begin(), map.end())) << "named after the title";
    EXPECT_EQ(ReadFile(dir.File("Tiny.bmp")), std::string(picture.begin(), picture.end()));
    EXPECT_NE(errors.find("warning: only 1 spawn points"), std::string::npos);

    ASSERT_EQ(RunTool({"text", dir.File("Tiny.smp"), "--out", dir.File("back.txt")}, &errors), 0) << errors;
    EXPECT_EQ(Parse(ReadFile(dir.File("back.txt"))), Parse(text));
    EXPECT_EQ(RunTool({"check", dir.File("Tiny.smp")}), 1) << "a two-player toy is no arena";
}

TEST(MapTool, ProblemsNameTheFileAndPlace)
{
    testing_support::TempDir dir;
    const struct
    {
        std::vector<std::string> arguments;
        int status;
        std::string says;
    } cases[] = {
        {{"build", dir.Write("bad.txt", "title A\n..\n.x\n")}, 1, "bad.txt:3:2: 'x' is not a tile character"},
        {{"build", dir.Write("spaced.txt", "title My Map\n..\n")}, 1, "cannot name the map's files"},
        {{"text", dir.File("none.smp")}, 1, "none.smp: cannot read it"},
        {{"frobnicate", "x"}, 2, "--help"},
    };
    for (const auto& c : cases)
    {
        std::string errors;
        EXPECT_EQ(RunTool(c.arguments, &errors), c.status) << c.arguments[0];
        EXPECT_NE(errors.find(c.says), std::string::npos) << errors;
    }
}
