// The side panel drawn through the recording backend with the shipped
// pictures: frame, fuel gauge, minimap (its texture coordinates and which way
// up the overview shows), score lines, minimap markers across the wrap, and
// the inventory icons with their counts. The panel sits where the game view
// puts it on a 1024 x 600 window: centre (-412, 0), so its top is at y = 300.
#include "client/game/SidePanel.h"
#include "game/Map.h"
#include "game/Powerup.h"
#include "game/Settings.h"
#include "game/Ship.h"
#include "game/World.h"
#include "gfx/Graphics.h"
#include "gfx/RecordingBackend.h"
#include "tests/client/ShippedDrawing.h"
#include "tests/client/TextRuns.h"
#include "tests/support/MapFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace
{
const RenderColour kGreen{0, 1, 0, 1};
const RenderColour kBlack{0, 0, 0, 1};
const RenderColour kWhite{1, 1, 1, 1};
const RenderColour kBlue{0, 0, 1, 1};
const RenderColour kRed{1, 0, 0, 1};

constexpr int32_t kCentreX = -412, kCentreY = 0;
constexpr float kTop = 300;
// The inventory row's base point: the panel's lower left corner, inside the
// border, plus half an icon.
constexpr float kBaseX = -494, kBaseY = -282;
// The test world: 32 x 16 cells of 32 units.
constexpr double kWorldWidth = 1024, kWorldHeight = 512;

// An axis-aligned quad as drawn: lower-left and upper-right corners.
struct Box
{
    float left = 0, bottom = 0, right = 0, top = 0;
    RenderColour colour;
    bool texturing = false;
    bool operator==(const Box&) const = default;
};

void PrintTo(const Box& box, std::ostream* out)
{
    const RenderColour& c = box.colour;
    *out << "(" << box.left << ", " << box.bottom << ")-(" << box.right << ", " << box.top << ") colour ("
         << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")" << (box.texturing ? " textured" : "");
}

Box Flat(float left, float bottom, float right, float top, const RenderColour& colour)
{
    return {left, bottom, right, top, colour, false};
}

Box BoxOf(const CRecordingBackend::Quad& quad)
{
    const RenderVertex &low = quad.vertices[0], &high = quad.vertices[2];
    return {low.x, low.y, high.x, high.y, quad.state.colour, quad.state.texturing};
}

// A 4 x 4, 24-bit bitmap, as a picture viewer shows it: the top-left pixel
// green, the bottom-right one white, the rest black. The file stores the
// bottom row first.
std::string CornerMarkedBitmap()
{
    std::string bytes;
    for (uint32_t field : {0x4D42u, 54u + 48u, 0u, 54u, 40u, 4u, 4u, 1u | 24u << 16, 0u, 48u, 0u, 0u, 0u, 0u})
        for (int i = field == 0x4D42u ? 2 : 4, shift = 0; i > 0; --i, shift += 8)
            bytes += char((field >> shift) & 0xFF);
    for (int row = 3; row >= 0; --row)
        for (int column = 0; column < 4; ++column)
        {
            bool green = row == 0 && column == 0, white = row == 3 && column == 3;
            bytes += char(white ? 255 : 0);
            bytes += char(white || green ? 255 : 0);
            bytes += char(white ? 255 : 0);
        }
    return bytes;
}

class SidePanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_settings = GameSettings{};
        LoadWorld();
        m_panel.SetSize(CSidePanel::kWidth, 600);
        m_panel.SetWorld(&m_world);
    }

    void TearDown() override { g_settings = GameSettings{}; }

    void LoadWorld()
    {
        std::vector<std::string> rows(16, std::string(32, '.'));
        auto* map = new CMap();
        ASSERT_TRUE(map->LoadFromFile(testing_support::MapFile(rows).WriteTo(m_dir.File("panel.smp"))));
        m_world.AttachMap(map);
    }

    // A ship in play at (x, y), added to the player list (the first is local).
    CShip* AddShip(const char* name, double x, double y)
    {
        auto* ship = new CShip();
        ship->SetName(name);
        ship->ForceRespawn(static_cast<float>(x), static_cast<float>(y));
        m_world.AddPlayer(ship);
        return ship;
    }

    void DrawPanel()
    {
        m_backend.ClearFrame();
        EXPECT_TRUE(m_panel.Draw(kCentreX, kCentreY));
    }

    static uint32_t TextureName(const char* file) { return GetGraphics().GetTexture(file)->GetGLName(); }

    std::vector<TextRun> Text() const { return ReadTextRuns(m_backend, TextureName("Font2.tga")); }

    // Every quad that is not a glyph, in drawing order.
    std::vector<CRecordingBackend::Quad> Shapes() const
    {
        uint32_t font = TextureName("Font2.tga");
        std::vector<CRecordingBackend::Quad> shapes;
        for (const CRecordingBackend::Quad& quad : m_backend.Quads())
            if (quad.state.texture != font || !quad.state.texturing)
                shapes.push_back(quad);
        return shapes;
    }

    // The quads `width` units wide (2 for markers, 32 for icons).
    std::vector<CRecordingBackend::Quad> ShapesOfWidth(float width) const
    {
        std::vector<CRecordingBackend::Quad> found;
        for (const CRecordingBackend::Quad& quad : Shapes())
            if (quad.vertices[2].x - quad.vertices[0].x == width)
                found.push_back(quad);
        return found;
    }

    // The 2 x 2 minimap markers, in drawing order.
    std::vector<Box> MarkerBoxes() const
    {
        std::vector<Box> boxes;
        for (const CRecordingBackend::Quad& quad : ShapesOfWidth(2))
            boxes.push_back(BoxOf(quad));
        return boxes;
    }

    // The minimap's pieces: the quads inside the square between the border
    // and the bar under it (one, or up to four where the world wraps).
    std::vector<CRecordingBackend::Quad> MinimapPieces() const
    {
        std::vector<CRecordingBackend::Quad> pieces;
        for (const CRecordingBackend::Quad& quad : Shapes())
            if (quad.vertices[0].y >= kTop - 202 && quad.vertices[2].y <= kTop - 2 &&
                quad.vertices[0].x >= -510 && quad.vertices[2].x <= -314 && quad.state.colour == kWhite)
                pieces.push_back(quad);
        return pieces;
    }

    // The minimap when it is one quad (black, or a picture that needs no split).
    CRecordingBackend::Quad Minimap() const
    {
        for (const CRecordingBackend::Quad& quad : Shapes())
            if (quad.vertices[0].y == kTop - 202 && quad.vertices[2].y == kTop - 2)
                return quad;
        ADD_FAILURE() << "no minimap drawn";
        return {};
    }

    // The texture coordinates at a point of the minimap: (fx, fy) run from 0
    // at the lower left to 1 at the upper right of the square.
    std::optional<std::pair<float, float>> TextureAt(float fx, float fy, uint32_t& texture) const
    {
        float x = -510 + 196 * fx, y = kTop - 202 + 200 * fy;
        for (const CRecordingBackend::Quad& piece : MinimapPieces())
        {
            const RenderVertex &low = piece.vertices[0], &high = piece.vertices[2];
            if (x < low.x || x > high.x || y < low.y || y > high.y)
                continue;
            texture = piece.state.texture;
            return std::make_pair(low.u + (high.u - low.u) * (x - low.x) / (high.x - low.x),
                                  low.v + (high.v - low.v) * (y - low.y) / (high.y - low.y));
        }
        return std::nullopt;
    }

    // The overview's colour at a point of the minimap, as nearest filtering
    // picks it from the uploaded rows.
    std::array<uint8_t, 4> ColourOnMinimap(float fx, float fy) const
    {
        uint32_t texture = 0;
        auto uv = TextureAt(fx, fy, texture);
        if (!uv)
        {
            ADD_FAILURE() << "no piece of the minimap at " << fx << ", " << fy;
            return {};
        }
        for (const CRecordingBackend::Upload& upload : m_backend.Uploads())
            if (upload.name == texture)
            {
                int column =
                    std::clamp(int(std::floor(uv->first * float(upload.width))), 0, upload.width - 1);
                int row =
                    std::clamp(int(std::floor(uv->second * float(upload.height))), 0, upload.height - 1);
                const uint8_t* p = &upload.rgba[size_t(row * upload.width + column) * 4];
                return {p[0], p[1], p[2], p[3]};
            }
        ADD_FAILURE() << "the minimap's texture was never uploaded";
        return {};
    }

    // A white icon of `file` centred on (x, y), its first row at the top.
    static void ExpectIcon(const CRecordingBackend::Quad& quad, const char* file, float x, float y)
    {
        EXPECT_NE(TextureName(file), 0u) << file << " did not load";
        EXPECT_EQ(quad.state.texture, TextureName(file)) << file;
        EXPECT_EQ(BoxOf(quad), (Box{x - 16, y - 16, x + 16, y + 16, kWhite, true})) << file;
        EXPECT_EQ(std::vector<float>(
                      {quad.vertices[0].u, quad.vertices[0].v, quad.vertices[2].u, quad.vertices[2].v}),
                  std::vector<float>({0, 1, 1, 0}))
            << file;
    }

    testing_support::TempDir m_dir;
    CShippedDrawing m_drawing;
    CRecordingBackend& m_backend = m_drawing.backend;
    CGameWorld m_world;
    CSidePanel m_panel;

private:
};
} // namespace

TEST_F(SidePanelTest, FrameBarsAndFuelGauge)
{
    CShip* local = AddShip("Local", 512, 256);
    local->SetFuel(50);
    DrawPanel();
    std::vector<Box> frame;
    for (const CRecordingBackend::Quad& quad : Shapes())
        if (frame.size() < 7)
            frame.push_back(BoxOf(quad));
    // The gauge spans x from -500 to -324; half a tank fills (200 - 20) x 0.5
    // less the border at each end: 86 units.
    EXPECT_EQ(frame, (std::vector<Box>{
                         Flat(-512, -300, -312, 300, kGreen),
                         Flat(-510, -298, -314, 298, kBlack),
                         Flat(-512, 96, -312, 98, kGreen),
                         Flat(-501, 77, -323, 89, kWhite),
                         Flat(-500, 78, -324, 88, kBlack),
                         Flat(-500, 78, -414, 88, kBlue),
                         Flat(-512, 66, -312, 68, kGreen),
                     }));
    EXPECT_EQ(m_backend.BackFill(), PolygonFill::Fill) << "markers are drawn with both faces filled";

    local->SetFuel(100);
    local->PickUp(POWERUP_EXTRA_TANK);
    DrawPanel();
    EXPECT_EQ(BoxOf(Shapes()[5]), Flat(-500, 78, -414, 88, kBlue)) << "100 of 200";
    local->Kill();
    DrawPanel();
    // A dead ship's gauge is empty: no blue at all, not even a sliver.
    for (const CRecordingBackend::Quad& quad : Shapes())
        EXPECT_FALSE(quad.state.colour == kBlue);
}

TEST_F(SidePanelTest, MinimapIsCentredOnTheLocalShip)
{
    AddShip("Local", 256, 384);
    m_panel.SetMapName("Caves");
    ASSERT_TRUE(m_panel.LoadTextures());
    DrawPanel();
    // px = 0.25, py = 0.75: u runs from -0.25 to 0.75 and v from -0.25 (lower
    // edge) to 0.75 (upper edge); both runs cross the picture's edge, so the
    // square is drawn in four pieces that each stay inside the picture.
    std::vector<CRecordingBackend::Quad> pieces = MinimapPieces();
    ASSERT_EQ(pieces.size(), 4u);
    float area = 0;
    for (const CRecordingBackend::Quad& piece : pieces)
    {
        EXPECT_EQ(piece.state.texture, m_panel.GetTexture(CSidePanel::kOverviewSlot)->GetGLName());
        EXPECT_TRUE(piece.state.texturing);
        area += (piece.vertices[2].x - piece.vertices[0].x) * (piece.vertices[2].y - piece.vertices[0].y);
        for (const RenderVertex& vertex : piece.vertices)
        {
            EXPECT_GE(vertex.u, 0);
            EXPECT_LE(vertex.u, 1);
            EXPECT_GE(vertex.v, 0);
            EXPECT_LE(vertex.v, 1);
        }
    }
    EXPECT_FLOAT_EQ(area, 196 * 200) << "the pieces tile the square";
    uint32_t texture = 0;
    auto centre = TextureAt(0.5f, 0.5f, texture);
    ASSERT_TRUE(centre);
    EXPECT_FLOAT_EQ(centre->first, 0.25f) << "the ship's place in the picture";
    EXPECT_FLOAT_EQ(centre->second, 0.25f);
}

TEST_F(SidePanelTest, MinimapShowsTheMapTheRightWayUp)
{
    testing_support::TempDir data;
    std::filesystem::create_directories(data.Path() + "/Graphics");
    std::filesystem::create_directories(data.Path() + "/Maps");
    std::ofstream(data.Path() + "/Maps/Corners.bmp", std::ios::binary) << CornerMarkedBitmap();
    CShippedDrawing::UseData(data.Path());
    CShip* local = AddShip("Local", kWorldWidth / 2, kWorldHeight / 2);
    m_panel.SetMapName("Corners");
    ASSERT_TRUE(m_panel.LoadTextures());
    ASSERT_NE(m_panel.GetTexture(CSidePanel::kOverviewSlot)->GetGLName(), 0u) << "Corners.bmp did not load";
    using Rgba = std::array<uint8_t, 4>;
    const Rgba green{0, 255, 0, 255}, white{255, 255, 255, 255}, black{0, 0, 0, 255};

    // From the world's centre the whole picture shows as a viewer shows it.
    DrawPanel();
    EXPECT_EQ(ColourOnMinimap(0.125f, 0.875f), green);
    EXPECT_EQ(ColourOnMinimap(0.875f, 0.125f), white);
    EXPECT_EQ(ColourOnMinimap(0.875f, 0.875f), black);
    // Near a corner of the world the square's centre shows that corner.
    local->SetPosition(CVector(128, 64, 0));
    DrawPanel();
    EXPECT_EQ(ColourOnMinimap(0.5f, 0.5f), green);
    local->SetPosition(CVector(kWorldWidth - 128, kWorldHeight - 64, 0));
    DrawPanel();
    EXPECT_EQ(ColourOnMinimap(0.5f, 0.5f), white);
    // The world wraps, so across both seams from the top-left corner lies
    // the bottom-right one, not the picture's clamped edge.
    local->SetPosition(CVector(128, 64, 0));
    DrawPanel();
    EXPECT_EQ(ColourOnMinimap(0.3f, 0.7f), white);
}

TEST_F(SidePanelTest, NoMapNameOrNoPictureLeavesTheMinimapBlack)
{
    AddShip("Local", 512, 256);
    EXPECT_FALSE(m_panel.LoadTextures()) << "no map name";
    EXPECT_FALSE(m_panel.HasTextures());
    DrawPanel();
    EXPECT_EQ(BoxOf(Minimap()), Flat(-510, 98, -314, 298, kBlack));

    m_panel.SetMapName("NoSuchMap");
    EXPECT_TRUE(m_panel.LoadTextures()) << "a missing picture is no graphics error";
    EXPECT_TRUE(m_panel.HasTextures());
    DrawPanel();
    EXPECT_EQ(BoxOf(Minimap()), Flat(-510, 98, -314, 298, kBlack));

    m_panel.SetMapName(nullptr);
    m_panel.ClearTextures();
    EXPECT_FALSE(m_panel.HasTextures());
    EXPECT_FALSE(m_panel.LoadTextures());
}

TEST_F(SidePanelTest, ScoreLinesListEveryPlayerInOrder)
{
    AddShip("Local", 512, 256)->SetFrags(5);
    AddShip("AVeryLongPilotName", 0, 0)->SetFrags(12);
    AddShip("Neg", 0, 0)->SetFrags(-3);
    DrawPanel();
    // Names are cut at 13 characters and padded to 14, scores right-aligned
    // in 3, from 26 units under the gauge's bar down 16 a line.
    EXPECT_EQ(Text(), (std::vector<TextRun>{
                          TextAt(-500, 40, kWhite, "Local            5"),
                          TextAt(-500, 24, kWhite, "AVeryLongPilo   12"),
                          TextAt(-500, 8, kWhite, "Neg             -3"),
                      }));
}

TEST_F(SidePanelTest, MarkersShowVisiblePlayersTheShortWayAcrossTheSeam)
{
    AddShip("Local", 100, 100);
    AddShip("Across", 1000, 500); // -124 and -112 the short way
    AddShip("Cloaked", 200, 100)->SetStatusBits(STATUS_CLOAKED);
    AddShip("Dead", 300, 100)->Kill();
    DrawPanel();
    // The minimap's centre is (-412, 198); half the world maps onto 100 units.
    const float x = -412.0f - 124.0f / 512.0f * 100.0f, y = 198.0f + 100.0f * 112.0f / 256.0f;
    const Box local = Flat(-413, 197, -411, 199, kGreen);
    EXPECT_EQ(MarkerBoxes(), (std::vector<Box>{local, Flat(x - 1, y - 1, x + 1, y + 1, kRed)}));

    m_panel.SetWorld(nullptr);
    DrawPanel();
    EXPECT_EQ(MarkerBoxes(), (std::vector<Box>{local}));
    EXPECT_TRUE(Text().empty());
}

TEST_F(SidePanelTest, InventoryShowsHeldItemsWithCounts)
{
    CShip* local = AddShip("Local", 512, 256);
    local->SetStatusBits(STATUS_EXTRA_TANK | STATUS_CLOAK_HELD | STATUS_TRIPLE_SHOT);
    local->SetMissiles(2);
    local->SetMines(3);
    local->SetPlasmaMines(1);
    local->SetRepulses(4);
    m_panel.SetMapName("Caves");
    ASSERT_TRUE(m_panel.LoadTextures());
    DrawPanel();

    std::vector<CRecordingBackend::Quad> icons = ShapesOfWidth(32);
    ASSERT_EQ(icons.size(), 7u);
    const float bx = kBaseX, by = kBaseY;
    ExpectIcon(icons[0], "pup_tank.tga", bx, by);
    ExpectIcon(icons[1], "pup_cloak.tga", bx + 32, by);
    ExpectIcon(icons[2], "pup_triple.tga", bx + 64, by);
    ExpectIcon(icons[3], "pup_missile.tga", bx + 96, by);
    ExpectIcon(icons[4], "pup_mine.tga", bx + 128, by);
    ExpectIcon(icons[5], "pup_plasma.tga", bx + 160, by);
    ExpectIcon(icons[6], "pup_repulse.tga", bx + 160, by + 32);
    std::vector<TextRun> counts = Text();
    counts.erase(counts.begin()); // the score line
    EXPECT_EQ(counts, (std::vector<TextRun>{
                          TextAt(bx + 141, by + 38, kGreen, "4"),
                          TextAt(bx + 77, by + 6, kGreen, "2"),
                          TextAt(bx + 109, by + 6, kGreen, "3"),
                          TextAt(bx + 141, by + 6, kGreen, "1"),
                      }));

    local->SetStatus(0);
    local->SetMissiles(-1);
    local->SetMines(0);
    local->SetPlasmaMines(0);
    local->SetRepulses(0);
    DrawPanel();
    EXPECT_TRUE(ShapesOfWidth(32).empty());
    EXPECT_EQ(Text().size(), 1u) << "only the score line";
    // Full fuel has no icon, nor has any kind outside the powerups.
    for (int kind : {-1, int(POWERUP_FUEL), 8})
    {
        m_backend.ClearFrame();
        m_panel.DrawIcon(kind, 0, 0);
        EXPECT_TRUE(m_backend.Quads().empty()) << "kind " << kind;
    }
}
