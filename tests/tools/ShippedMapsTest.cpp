// The maps in data/Maps: the committed map files and overview pictures are
// exactly what the tool builds from their text, each map is a fair arena, and
// the game finds and loads each one by its name.
#include "tools/maptool/MapChecks.h"
#include "tools/maptool/MapGrid.h"
#include "tools/maptool/MapText.h"
#include "tools/maptool/Overview.h"

#include "game/Map.h"
#include "gfx/Graphics.h"
#include "gfx/RecordingBackend.h"
#include "platform/Files.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace maptool;
using testing_support::ReadFile;

namespace
{
const char* const kMapNames[] = {"Caves", "Fear", "HCPlayground"};

std::string MapsFolder()
{
    return std::string(QUORVEX_SOURCE_DIR) + "/data/Maps/";
}

MapGrid ParseShipped(const std::string& name)
{
    MapGrid grid;
    TextError error;
    std::string path = MapsFolder() + name + ".txt";
    EXPECT_TRUE(ParseMapText(ReadFile(path), grid, error)) << Describe(path, error);
    return grid;
}

std::string AsString(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}
} // namespace

TEST(ShippedMaps, CommittedFilesAreWhatTheToolBuilds)
{
    for (const char* name : kMapNames)
    {
        MapGrid grid = ParseShipped(name);
        EXPECT_EQ(grid.title, name) << "the server announces the title and clients load Maps/<title>.smp";
        const char* advice = ": run build/QuorvexMapTool build data/Maps/NAME.txt and commit the outputs";
        EXPECT_TRUE(ReadFile(MapsFolder() + name + ".smp") == AsString(EncodeMapFile(grid)))
            << name << advice;
        EXPECT_TRUE(ReadFile(MapsFolder() + name + ".bmp") ==
                    AsString(EncodeOverviewBitmap(RenderOverview(grid))))
            << name << advice;
    }
    EXPECT_EQ(platform::ListFiles(MapsFolder(), ".smp"),
              (std::vector<std::string>{"Caves.smp", "Fear.smp", "HCPlayground.smp"}));
}

TEST(ShippedMaps, EachIsAFairArena)
{
    for (const char* name : kMapNames)
    {
        MapGrid grid = ParseShipped(name);
        std::vector<std::string> problems = CheckArena(grid);
        EXPECT_TRUE(problems.empty()) << name << ": " << (problems.empty() ? "" : problems.front());
        EXPECT_TRUE(grid.columns >= 40 && grid.columns <= 80 && grid.rows >= 40 && grid.rows <= 80) << name;
        // More than the arena checks ask of any map: eight players' worth.
        ArenaCounts counts = CountTiles(grid);
        EXPECT_TRUE(counts.spawnPoints >= 8 && counts.spawners >= 4 && counts.fuelBlocks >= 8) << name;
        EXPECT_GE(counts.halfWalls, 20) << name;
        EXPECT_GE(*std::min_element(std::begin(counts.turrets), std::end(counts.turrets)), 2) << name;
    }
}

TEST(ShippedMaps, TheGameLoadsEachByNameWithItsOverviewPicture)
{
    testing_support::ScopedEnv data("QUORVEX_DATA", (std::string(QUORVEX_SOURCE_DIR) + "/data").c_str());
    CRecordingBackend backend;
    SetRenderBackend(&backend);
    GetGraphics().GetTextureManager().Clear();
    for (const char* name : kMapNames)
    {
        CMap map;
        ASSERT_TRUE(map.LoadFromFile(std::string("Maps\\") + name + ".smp")) << name;
        char title[128];
        map.GetName(title, sizeof title);
        EXPECT_STREQ(title, name);
        ArenaCounts counts = CountTiles(ParseShipped(name));
        EXPECT_EQ(map.GetSpawnCount(), counts.spawnPoints);
        EXPECT_EQ(map.GetTurretCells().size(),
                  size_t(counts.turrets[0] + counts.turrets[1] + counts.turrets[2] + counts.turrets[3]));
        // The side panel asks the texture cache for "..\Maps\<name>.bmp".
        size_t uploads = backend.Uploads().size();
        GetGraphics().GetTexture(std::string("..\\Maps\\") + name + ".bmp");
        ASSERT_EQ(backend.Uploads().size(), uploads + 1) << name;
        EXPECT_EQ(backend.Uploads().back().width, kOverviewSide);
        EXPECT_EQ(backend.Uploads().back().height, kOverviewSide);
    }
    GetGraphics().GetTextureManager().Clear();
    SetRenderBackend(nullptr);
}
