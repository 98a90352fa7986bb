// The committed pictures: every file the game names is there (in either
// spelling) and usable, the generator still makes exactly these files (so a
// change to any drawing shows here), each ship's silhouette matches its
// collision outline, and the font's glyphs stand the way the text is drawn.
#include "game/Ship.h"
#include "gfx/TargaImage.h"
#include "gfx/Text.h"
#include "platform/Files.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <list>
#include <utility>

using testing_support::ReadFile;

namespace
{
struct Pixels
{
    int width = 0, height = 0;
    std::vector<uint8_t> rgba; // as loaded: the first row is texture row t = 0
    uint8_t Alpha(int x, int y) const { return rgba[(size_t(y) * width + x) * 4 + 3]; }
    bool Opaque(int x, int y) const { return Alpha(x, y) >= 128; }
};

std::string SourceData()
{
    return std::string(QUORVEX_SOURCE_DIR) + "/data";
}

Pixels Load(const std::string& name)
{
    testing_support::ScopedEnv data("QUORVEX_DATA", SourceData().c_str());
    CTargaImage image;
    image.Load(platform::DataPath("Graphics\\" + name));
    image.ConvertFormat(PIXEL_FORMAT_RGBA);
    return {image.GetWidth(), image.GetHeight(), image.GetPixels()};
}

// clang-format off
const char* const kPictureNames[] = {
    "Triship.tga", "Curveship.tga", "Trekship.tga", "Xship.tga", "Yship.tga", "Twoship.tga", "CurveShip.tga",
    "TrekShip.tga", "XShip.tga", "YShip.tga", "shield.tga", "cloak.tga", "missile.tga", "mine.tga",
    "plasmamine.tga", "shrapnel1.tga", "shrapnel2.tga", "pup_triple.tga", "pup_missile.tga", "pup_mine.tga",
    "pup_plasma.tga", "pup_tank.tga", "pup_fuel.tga", "pup_cloak.tga", "pup_repulse.tga", "turret_ok_up.tga",
    "turret_dead_up.tga", "turret_ok_left.tga", "turret_dead_left.tga", "turret_ok_down.tga",
    "turret_dead_down.tga", "turret_ok_right.tga", "turret_dead_right.tga", "FuelBlock.tga",
    "FuelBlockIcon.tga"};
// clang-format on

using Point = CollisionPolygon::Point;

float SegmentDistance(float px, float py, Point a, Point b)
{
    float dx = b.x - a.x, dy = b.y - a.y;
    float t = std::clamp(((px - a.x) * dx + (py - a.y) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    return std::hypot(px - (a.x + t * dx), py - (a.y + t * dy));
}

// Signed distance from the outline: negative inside any polygon.
float OutlineDistance(const std::list<CollisionPolygon>& polygons, float x, float y)
{
    float best = 1e9f;
    bool inside = false;
    for (const CollisionPolygon& polygon : polygons)
    {
        const std::vector<Point>& points = polygon.GetPoints();
        bool in = true;
        for (size_t i = 0; i < points.size(); ++i)
        {
            Point a = points[i], b = points[(i + 1) % points.size()];
            in = in && (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x) >= 0;
            best = std::min(best, SegmentDistance(x, y, a, b));
        }
        inside = inside || in;
    }
    return inside ? -best : best;
}
} // namespace

TEST(Artwork, EveryNamedPictureLoadsInEitherSpelling)
{
    for (const char* name : kPictureNames)
    {
        Pixels picture = Load(name);
        EXPECT_EQ(picture.width, 32) << name;
        EXPECT_EQ(picture.height, 32) << name;
        EXPECT_EQ(picture.rgba.size(), 32u * 32 * 4) << name;
    }
    Pixels font = Load("Font2.tga");
    EXPECT_EQ(font.width, 512);
    EXPECT_EQ(font.height, 128);
}

TEST(Artwork, GeneratorMakesTheCommittedFiles)
{
    testing_support::TempDir dir;
    testing_support::ChildProcess generator(testing_support::ProgramPath("QuorvexArtGen"),
                                            {"--out", dir.Path()});
    ASSERT_EQ(generator.Wait(std::chrono::seconds(60)), 0);
    std::vector<std::string> made = platform::ListFiles(dir.Path(), ".tga");
    EXPECT_EQ(made, platform::ListFiles(SourceData() + "/Graphics", ".tga"));
    for (const std::string& name : made)
        EXPECT_TRUE(ReadFile(dir.File(name)) == ReadFile(SourceData() + "/Graphics/" + name))
            << name
            << " differs from what tools/artgen makes: run build/QuorvexArtGen and commit data/Graphics";
}

// Texture row r holds ship space y = r - 16 (+0.5 at the pixel's centre) and
// column c holds x = c - 16, as the game's quad maps them.
TEST(Artwork, ShipSilhouettesMatchTheirCollisionOutlines)
{
    for (int32_t type = 0; type < CShip::kShipTypes; ++type)
    {
        CShip ship;
        ship.SetShipType(type);
        const char* name = CShip::TextureName(type);
        Pixels picture = Load(name);
        ASSERT_EQ(picture.width, 32) << name;
        int opaque = 0, inside = 0;
        for (int row = 0; row < 32; ++row)
            for (int column = 0; column < 32; ++column)
            {
                float d = OutlineDistance(ship.GetOutline(), column - 16 + 0.5f, row - 16 + 0.5f);
                bool solid = picture.Opaque(column, row);
                opaque += solid;
                inside += d < 0;
                if (d < -1.0f)
                {
                    EXPECT_TRUE(solid) << name << ": hole at column " << column << ", row " << row;
                }
                if (d > 1.0f)
                {
                    EXPECT_EQ(picture.Alpha(column, row), 0)
                        << name << ": paint outside at " << column << ", " << row;
                }
            }
        EXPECT_NEAR(opaque, inside, inside / 10) << name;
    }
}

// The text drawing puts a cell's first loaded row at the bottom of the glyph
// on screen; so "_" is lit in the cell's first rows and '"' in its last.
TEST(Artwork, FontCellsHoldUprightGlyphs)
{
    Pixels font = Load("Font2.tga");
    ASSERT_EQ(font.width, 512);
    auto lit = [&](GlyphCell cell, int fromRow, int toRow)
    {
        int count = 0;
        for (int y = cell.row * 16 + fromRow; y < cell.row * 16 + toRow; ++y)
            for (int x = cell.column * 10; x < cell.column * 10 + 10; ++x)
                count += font.Alpha(x, y) == 255;
        return count;
    };
    for (char c = 33; c < 127; ++c)
    {
        if (c != '?' && (FindGlyph(c).column != 10 || c == '_'))
        {
            EXPECT_GT(lit(FindGlyph(c), 0, 16), 3) << "no glyph for " << c;
        }
    }
    EXPECT_EQ(lit(FindGlyph(' '), 0, 16), 0) << "the space cell must stay blank";
    EXPECT_GT(lit(FindGlyph('_'), 0, 4), 0);
    EXPECT_EQ(lit(FindGlyph('_'), 4, 16), 0);
    EXPECT_EQ(lit(FindGlyph('"'), 0, 8), 0);
    EXPECT_GT(lit(FindGlyph('"'), 8, 16), 0);
    EXPECT_GT(lit(FindGlyph('g'), 0, 4), 0) << "descender";
    EXPECT_EQ(lit(FindGlyph('a'), 0, 4), 0);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 512; x += 10)
            EXPECT_EQ(font.Alpha(x, y), 0) << "glyph touches the left edge of its cell at " << x << ", " << y;
}
