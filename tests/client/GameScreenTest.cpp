// The game screen's parts as a player sees them, drawn through the
// recording backend with the shipped pictures: the view on a small wrapping
// world (draw order, the seam, names and outlines), the side panel where the
// game puts it on a 1024 x 600 window (frame, fuel gauge, minimap, markers,
// scores, items held), the round-over screen's list and verdict, and the
// console: slash commands and what they print and send, typing and finishing
// the input line, and the console drawn. Console messages go to a fake
// sender; commands act on a session of the test's own that never connects;
// the console log is the process's.
#include "client/Input.h"
#include "client/game/CommandParser.h"
#include "client/game/Console.h"
#include "client/game/GameFrame.h"
#include "client/game/GameView.h"
#include "client/game/RoundOverScreen.h"
#include "client/game/SidePanel.h"
#include "common/MessageLog.h"
#include "game/Map.h"
#include "game/Powerup.h"
#include "game/Projectiles.h"
#include "game/Ship.h"
#include "game/World.h"
#include "net/Client.h"
#include "net/Message.h"
#include "tests/client/ShippedDrawing.h"
#include "tests/support/DefaultGameSettings.h"
#include "tests/support/MapFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace
{
// A world on an empty map of `columns` x `rows` cells of 32 units, drawn
// with the shipped pictures.
class WorldDrawing : public ::testing::Test
{
protected:
    void OpenMap(int columns, int rows)
    {
        const std::vector<std::string> cells(size_t(rows), std::string(size_t(columns), '.'));
        auto* map = new CMap();
        ASSERT_TRUE(map->LoadFromFile(m_dir.Write("open.smp", testing_support::MapFile(cells).Bytes())));
        m_world.AttachMap(map);
    }

    // A ship in play at (x, y); the first one added is the local ship.
    CShip* AddShip(const char* name, double x, double y)
    {
        auto* ship = new CShip();
        ship->SetName(name);
        ship->ForceRespawn(static_cast<float>(x), static_cast<float>(y));
        m_world.AddPlayer(ship);
        return ship;
    }

    testing_support::DefaultGameSettings m_settings;
    testing_support::TempDir m_dir;
    CShippedDrawing m_drawing;
    CRecordingBackend& m_backend = m_drawing.backend;
    CGameWorld m_world;
};

// The centre of each picture drawn: pictures are two triangles.
std::vector<std::pair<float, float>> PictureCentres(const CRecordingBackend& backend)
{
    std::vector<std::pair<float, float>> centres;
    const auto& triangles = backend.Triangles();
    for (size_t i = 0; i + 1 < triangles.size(); i += 2)
    {
        float x = 0, y = 0;
        for (const auto* t : {&triangles[i], &triangles[i + 1]})
            for (const RenderVertex& v : t->vertices)
                x += v.x / 6, y += v.y / 6;
        centres.emplace_back(std::round(x), std::round(y));
    }
    return centres;
}

// A 2048 x 2048 world seen through a 1024 x 768 view. Names and collision
// outlines follow the toggles; the local ship's name is never shown.
TEST_F(WorldDrawing, GameViewDrawOrderTheSeamTheEdgesNamesAndOutlines)
{
    GetDrawToggles() = DrawToggles{};
    OpenMap(64, 64);
    AddShip("Me", 2040, 1000)->SetLocal(true);
    AddShip("Across", 10, 1000); // 18 units right of the local ship, across the seam
    AddShip("Far", 1000, 1000);  // beyond half the view at every wrap position
    auto* debris = new CShrapnel();
    debris->ForceRespawn(2030, 1010);
    m_world.AddObject(debris);
    CGameView view;
    view.SetWorld(&m_world);
    view.SetViewSize(1024, 768);
    view.UpdateCamera();
    EXPECT_EQ(std::make_pair(view.GetCameraX(), view.GetCameraY()), std::make_pair(2040, 1000));
    view.DrawWorld();
    // Screen x = world x - view x + 100 (the panel's half width), y flipped:
    // the local ship first, again as the first of the players, the ship
    // across the seam at the left edge of the world, the objects last; the
    // far ship not at all.
    EXPECT_EQ(PictureCentres(m_backend),
              (std::vector<std::pair<float, float>>{{100, 0}, {100, 0}, {118, 0}, {90, -10}}));
    const std::vector<TextRun> names = InColour(ReadText(m_backend), kRed);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].text, "Across");
    EXPECT_TRUE(m_backend.LineLoops().empty());
    m_backend.ClearFrame();
    GetDrawToggles().names = false;
    GetDrawToggles().outlines = true;
    view.DrawWorld();
    EXPECT_TRUE(InColour(ReadText(m_backend), kRed).empty());
    EXPECT_FALSE(m_backend.LineLoops().empty());
    GetDrawToggles() = DrawToggles{};

    // Exactly half a view away is still in sight, on either axis.
    CShip* edge = m_world.FirstPlayer();
    const std::pair<CVector, bool> cases[] = {{{2040 - 512, 1000, 1}, true},
                                              {{2040 - 513, 1000, 1}, false},
                                              {{2040, 1000 + 384, 1}, true},
                                              {{2040, 1000 + 385, 1}, false}};
    for (const auto& [at, drawn] : cases)
    {
        edge->SetPosition(at);
        EXPECT_EQ(view.DrawObject(*edge), drawn) << at.GetX() << ", " << at.GetY();
    }
}

// The panel's inside is left as cleared, so the world is clipped to its right
// from a pixel under its right border (198-199 at 1:1, 279-281 at 1.41:1);
// the panel and the HUD are not clipped.
TEST_F(WorldDrawing, GameFrameKeepsTheWorldOutOfThePanel)
{
    OpenMap(64, 64);
    AddShip("Me", 1000, 1000)->SetLocal(true);
    CGameView view;
    view.SetWorld(&m_world);
    const std::tuple<Viewport, ViewSize, int32_t> views[] = {{{0, 0, 1024, 768}, {1024, 768}, 199},
                                                             {{0, 0, 1920, 1080}, {1365, 768}, 281}};
    for (const auto& [pixels, units, clipX] : views)
    {
        GetGraphics().SetView(pixels, float(units.width), float(units.height), 1);
        CSidePanel panel;
        m_backend.ClearFrame();
        DrawGameFrame(units, view, panel, true, 0, HudFigures{60, 5});
        ASSERT_FALSE(m_backend.Triangles().empty());
        for (const auto& triangle : m_backend.Triangles())
            EXPECT_TRUE(triangle.state.clip && triangle.state.clip->x == clipX &&
                        triangle.state.clip->x + triangle.state.clip->width > pixels.width);
        for (const auto& quad : m_backend.Quads())
            EXPECT_FALSE(quad.state.clip.has_value()) << "panel and HUD";
    }
}

constexpr int32_t kCentreX = -412;
const Box kPanel{-512, -300, -312, 300};
// Inside the 2-unit border: left as the frame was cleared, black.
const Box kPanelInside{kPanel.left + 2, kPanel.bottom + 2, kPanel.right - 2, kPanel.top - 2};
// The test world: 32 x 16 cells of 32 units.
constexpr double kWorldWidth = 1024, kWorldHeight = 512;

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
            bytes += row == 3 && column == 3 ? "\xFF\xFF\xFF"
                                             : std::string(row + column ? "\0\0\0" : "\0\xFF\0", 3);
    return bytes;
}

// The panel's green border: four strips round its black inside.
constexpr size_t kBorderStrips = 4;

float Area(const Box& box)
{
    return box.Width() * (box.top - box.bottom);
}

class SidePanelTest : public WorldDrawing
{
protected:
    void SetUp() override
    {
        OpenMap(32, 16);
        m_panel.SetSize(CSidePanel::kWidth, 600);
        m_panel.SetWorld(&m_world);
    }

    void DrawPanel()
    {
        m_backend.ClearFrame();
        EXPECT_TRUE(m_panel.Draw(kCentreX, 0));
    }

    // The width of the gauge's fuel at `fuel` in the first player's tank,
    // which fills the gauge's black inside from its left.
    float GaugeLevel(float fuel)
    {
        m_world.FirstPlayer()->SetFuel(fuel);
        DrawPanel();
        const std::vector<Box> level = Flat(kBlue);
        EXPECT_LE(level.size(), 1u);
        if (level.empty())
            return 0;
        const Box inside = Flat(kBlack).at(0);
        EXPECT_TRUE(inside.Contains(level[0]) && level[0].left == inside.left) << fuel;
        return level[0].Width();
    }

    std::vector<TextRun> Text() const { return ReadText(m_backend); }
    std::vector<Box> Flat(const RenderColour& colour) const { return PlainBoxes(m_backend, &colour); }

    // The minimap's square: inside the border, above the bar under it.
    Box MinimapSquare() const
    {
        const Box bar = Flat(kGreen).at(kBorderStrips);
        return {kPanel.left + 2, bar.top, kPanel.right - 2, kPanel.top - 2};
    }

    // The overview's colour at (fx, fy) of the minimap (0 at its lower left,
    // 1 at its upper right), as nearest filtering picks it.
    std::array<uint8_t, 4> ColourOnMinimap(float fx, float fy) const
    {
        const Box square = MinimapSquare();
        const float x = square.left + square.Width() * fx,
                    y = square.bottom + (square.top - square.bottom) * fy;
        for (const CRecordingBackend::Quad& piece : Pictures(m_backend))
        {
            const RenderVertex &low = piece.vertices[0], &high = piece.vertices[2];
            if (x < low.x || x > high.x || y < low.y || y > high.y)
                continue;
            const float u = low.u + (high.u - low.u) * (x - low.x) / (high.x - low.x);
            const float v = low.v + (high.v - low.v) * (y - low.y) / (high.y - low.y);
            const std::vector<uint8_t>& rgba = PixelsOf(m_backend, piece.state.texture);
            const int column = std::clamp(int(u * 4), 0, 3), row = std::clamp(int(v * 4), 0, 3);
            if (rgba.size() < 64)
                break;
            const uint8_t* p = &rgba[size_t(row * 4 + column) * 4];
            return {p[0], p[1], p[2], p[3]};
        }
        ADD_FAILURE() << "no picture on the minimap at " << fx << ", " << fy;
        return {};
    }

    CSidePanel m_panel;
};

TEST_F(SidePanelTest, FramedInGreenWithTheGaugeGrowingWithTheFuel)
{
    CShip* local = AddShip("Local", 512, 256);
    EXPECT_EQ(GaugeLevel(0), 0) << "an empty tank shows no sliver of fuel";
    const std::vector<Box> green = Flat(kGreen), white = Flat(kWhite), black = Flat(kBlack);
    // The border's strips fill the panel's edge, 2 units wide, each pixel
    // once (overlapping strips would add up to more); the inside is left as
    // the frame was cleared.
    ASSERT_GE(green.size(), kBorderStrips);
    float covered = 0;
    for (size_t i = 0; i < kBorderStrips; ++i)
    {
        EXPECT_TRUE(kPanel.Contains(green[i]) && !green[i].Overlaps(kPanelInside)) << i;
        covered += Area(green[i]);
    }
    EXPECT_EQ(covered, Area(kPanel) - Area(kPanelInside));
    ASSERT_EQ(white.size(), 1u) << "the gauge's frame";
    EXPECT_TRUE(white[0].Contains(black.at(0)));
    EXPECT_EQ(m_backend.BackFill(), PolygonFill::Fill) << "markers are drawn with both faces filled";
    float previous = 0;
    for (float fuel : {25.0f, 50.0f, 100.0f})
    {
        const float level = GaugeLevel(fuel);
        EXPECT_GT(level, previous) << "the gauge grows with the fuel";
        previous = level;
    }
    EXPECT_EQ(previous, black[0].Width()) << "a full tank fills the gauge";
    const float half = GaugeLevel(50);
    local->PickUp(POWERUP_EXTRA_TANK);
    EXPECT_EQ(GaugeLevel(100), half) << "100 of the extra tank's 200 is half";
    local->Kill();
    EXPECT_EQ(GaugeLevel(100), 0) << "a dead ship's gauge is empty";
}

TEST_F(SidePanelTest, MinimapShowsTheMapTheRightWayUpOrBlackWithoutAPicture)
{
    testing_support::TempDir data;
    std::filesystem::create_directories(data.Path() + "/Graphics");
    std::filesystem::create_directories(data.Path() + "/Maps");
    std::ofstream(data.Path() + "/Maps/Corners.bmp", std::ios::binary) << CornerMarkedBitmap();
    CShippedDrawing::UseData(data.Path());
    CShip* local = AddShip("Local", kWorldWidth / 2, kWorldHeight / 2);
    EXPECT_FALSE(m_panel.LoadTextures()) << "no map name";
    m_panel.SetMapName("NoSuchMap");
    EXPECT_TRUE(m_panel.LoadTextures()) << "a missing picture is no graphics error";
    DrawPanel();
    EXPECT_TRUE(Pictures(m_backend).empty());
    const Box square = MinimapSquare();
    const std::vector<Box> black = Flat(kBlack);
    EXPECT_NE(std::find_if(black.begin(), black.end(),
                           [&](const Box& box) { return box.Contains(square) && square.Contains(box); }),
              black.end());
    m_panel.SetMapName(nullptr);
    m_panel.ClearTextures();
    EXPECT_FALSE(m_panel.LoadTextures());
    EXPECT_FALSE(m_panel.HasTextures());

    m_panel.SetMapName("Corners");
    ASSERT_TRUE(m_panel.LoadTextures());
    using Rgba = std::array<uint8_t, 4>;
    const Rgba green{0, 255, 0, 255}, white{255, 255, 255, 255};
    struct Case
    {
        double x, y;
        float fx, fy;
        Rgba colour;
    } cases[] = {
        // From the world's centre the whole picture shows as a viewer shows it.
        {kWorldWidth / 2, kWorldHeight / 2, 0.125f, 0.875f, green},
        {kWorldWidth / 2, kWorldHeight / 2, 0.875f, 0.125f, white},
        {kWorldWidth / 2, kWorldHeight / 2, 0.875f, 0.875f, {0, 0, 0, 255}},
        // Near a corner of the world the square's centre shows that corner.
        {128, 64, 0.5f, 0.5f, green},
        {kWorldWidth - 128, kWorldHeight - 64, 0.5f, 0.5f, white},
        // The world wraps: across both seams from the top-left corner lies
        // the bottom-right one, not the picture's clamped edge.
        {128, 64, 0.3f, 0.7f, white},
    };
    for (const Case& c : cases)
    {
        local->SetPosition(CVector(c.x, c.y, 0));
        DrawPanel();
        EXPECT_EQ(ColourOnMinimap(c.fx, c.fy), c.colour)
            << c.x << ", " << c.y << " at " << c.fx << ", " << c.fy;
    }
}

// Every player's score on a line that fits; a marker for each ship in sight;
// the items the local ship holds, with their counts.
TEST_F(SidePanelTest, ScoresMarkersAndItemsHeld)
{
    CShip* local = AddShip("Local", 100, 100);
    local->SetFrags(5);
    local->SetStatusBits(STATUS_EXTRA_TANK | STATUS_CLOAK_HELD | STATUS_TRIPLE_SHOT);
    local->SetMissiles(2);
    local->SetMines(3);
    local->SetPlasmaMines(1);
    local->SetRepulses(4);
    AddShip("AVeryLongPilotName", 1000, 500)->SetFrags(12); // -124 and -112 the short way
    CShip* cloaked = AddShip("Neg", 200, 100);
    cloaked->SetFrags(-3);
    cloaked->SetStatusBits(STATUS_CLOAKED);
    AddShip("Dead", 300, 100)->Kill();
    m_panel.SetMapName("Caves");
    ASSERT_TRUE(m_panel.LoadTextures());
    DrawPanel();
    const std::vector<TextRun> lines = InColour(Text(), kWhite);
    ASSERT_EQ(lines.size(), 4u);
    // Long names are cut, not run into the score; the scores line up.
    const std::pair<std::string, std::string> shown[] = {
        {"Local ", " 5"}, {"AVeryLongPilo ", " 12"}, {"Neg ", " -3"}, {"Dead ", " 0"}};
    for (size_t i = 0; i < lines.size(); ++i)
    {
        const std::string& text = lines[i].text;
        EXPECT_EQ(text.rfind(shown[i].first, 0), 0u) << text;
        EXPECT_EQ(text.substr(text.size() - shown[i].second.size()), shown[i].second) << text;
        EXPECT_EQ(text.size(), lines[0].text.size()) << text;
        EXPECT_TRUE(kPanelInside.Contains(lines[i].Area())) << text;
        EXPECT_LT(lines[i].Area().top, Flat(kWhite).at(0).bottom) << "under the gauge";
    }

    const Box square = MinimapSquare();
    const Box marker = Flat(kGreen).back();
    const std::vector<Box> others = Flat(kRed);
    EXPECT_EQ(marker.Width(), 2);
    EXPECT_FLOAT_EQ(marker.CentreX(), square.CentreX());
    EXPECT_FLOAT_EQ(marker.CentreY(), square.CentreY());
    ASSERT_EQ(others.size(), 1u) << "neither the cloaked ship nor the dead one";
    // Half the world across maps onto half the panel's width.
    const float half = kPanel.Width() / 2;
    EXPECT_FLOAT_EQ(others[0].CentreX(), square.CentreX() - 124.0f / 512.0f * half);
    EXPECT_FLOAT_EQ(others[0].CentreY(), square.CentreY() + 112.0f / 256.0f * half);

    const std::vector<TextRun> counts = InColour(Text(), kGreen);
    EXPECT_EQ(counts.size(), 4u);
    const size_t minimapPieces = Pictures(m_backend).size() - 7;
    std::vector<Box> icons;
    const std::pair<const char*, const char*> items[] = {{"tank", ""},     {"cloak", ""}, {"triple", ""},
                                                         {"missile", "2"}, {"mine", "3"}, {"plasma", "1"},
                                                         {"repulse", "4"}};
    for (const auto& [kind, count] : items)
    {
        const std::vector<Box> shown = PicturesShowing(m_backend, "pup_" + std::string(kind) + ".tga");
        ASSERT_EQ(shown.size(), 1u) << kind;
        const Box& icon = shown[0];
        EXPECT_TRUE(kPanel.Contains(icon) && icon.top < lines.back().y)
            << kind << " is in the panel, under the scores";
        for (const Box& other : icons)
            EXPECT_FALSE(icon.Overlaps(other)) << kind;
        icons.push_back(icon);
        // A count starts just left of its weapon's icon.
        auto shownCount = std::find_if(counts.begin(), counts.end(),
                                       [&icon](const TextRun& run)
                                       {
                                           return run.x <= icon.left && icon.left < run.x + kGlyphWidth &&
                                                  icon.bottom <= run.y && run.y <= icon.top;
                                       });
        EXPECT_EQ(shownCount == counts.end() ? "" : shownCount->text, count) << kind;
    }

    local->SetStatus(0);
    local->SetMissiles(-1);
    local->SetMines(0);
    local->SetPlasmaMines(0);
    local->SetRepulses(0);
    DrawPanel();
    EXPECT_EQ(Pictures(m_backend).size(), minimapPieces) << "only the minimap";
    EXPECT_TRUE(InColour(Text(), kGreen).empty());
    // Full fuel has no icon, nor has any kind outside the powerups.
    for (int kind : {-1, int(POWERUP_FUEL), 8})
    {
        m_backend.ClearFrame();
        m_panel.DrawIcon(kind, 0, 0);
        EXPECT_TRUE(m_backend.Quads().empty()) << "kind " << kind;
    }

    m_panel.SetWorld(nullptr);
    DrawPanel();
    EXPECT_TRUE(Flat(kRed).empty());
    EXPECT_EQ(Flat(kGreen).back().CentreX(), marker.CentreX()) << "the local marker stays";
    EXPECT_TRUE(Text().empty());
}

// A world of the players in `scores` ("name frags|..."); the first is the
// local ship.
void AddPlayers(CGameWorld& world, const std::string& scores)
{
    std::istringstream entries(scores);
    for (std::string entry; std::getline(entries, entry, '|');)
    {
        auto* ship = new CShip();
        ship->SetName(entry.substr(0, entry.rfind(' ')).c_str());
        ship->SetFrags(std::stoi(entry.substr(entry.rfind(' '))));
        world.AddPlayer(ship);
    }
}

// The frame's text, each run ended by "|"; all of it in `colour`.
std::string DrawnText(CGameWorld& world, const RenderColour& colour)
{
    CShippedDrawing drawing;
    DrawRoundOver(world);
    EXPECT_TRUE(drawing.backend.CurrentState().texturing);
    std::string text;
    for (const TextRun& run : ReadText(drawing.backend))
    {
        text += run.text + "|";
        EXPECT_EQ(run.colour, colour) << run.text;
        EXPECT_EQ(run.x, run.text.size() == 8 ? -40 : -100) << "the verdict centred, the scores in a column";
    }
    return text;
}

// The list, highest score first, then names byte by byte, cut to 14; the
// local player wins in green when no one scored more.
TEST(RoundOver, ScoresInOrderAndTiedLeadersBothWinInGreenAndALowerScoreLosesInRed)
{
    CGameWorld world, empty;
    AddPlayers(world, "Zed 3|Low -2|ace 3|Top 7|Bob 3|\xC3\xA9tienne 3|ABCDEFGHIJKLMNOPQ 1| 1");
    std::string listed;
    for (const ScoreEntry& entry : BuildScoreList(world))
        listed += entry.name + " " + std::to_string(entry.score) + "|";
    // A byte above 127 sorts after ASCII.
    EXPECT_EQ(listed, "Top 7|Bob 3|Zed 3|ace 3|\xC3\xA9tienne 3| 1|ABCDEFGHIJKLMN 1|Low -2|");
    EXPECT_TRUE(BuildScoreList(empty).empty());

    for (const char* players : {"Ace 5|Bob 5", "Bob 5|Ace 5"})
    {
        CGameWorld tied;
        AddPlayers(tied, players);
        EXPECT_EQ(DrawnText(tied, kGreen), "You Won!|Ace                5|Bob                5|") << players;
    }
    CGameWorld lost;
    AddPlayers(lost, "Me -1|AChampionOfTheSkies 12|Other 0");
    EXPECT_EQ(DrawnText(lost, kRed),
              "You Lost|AChampionOfThe    12|Other              0|Me                -1|");
}

CMessageLog& Log()
{
    return CMessageLog::GetConsoleLog();
}

// The log's lines, oldest first as they read on screen, each ended by "|".
std::string LoggedLines()
{
    std::string lines;
    char line[CMessageLog::kLineSize];
    Log().ResetCursor();
    while (Log().NextLine(line, sizeof line))
        lines.insert(0, std::string(line) + "|");
    return lines;
}

std::string InputLine()
{
    char line[CMessageLog::kLineSize];
    return Log().GetInputLine(line, sizeof line) ? line : "<none>";
}

// Every test starts from an empty console with no input line.
class ConsoleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Log().SetMaxLines(20);
        Log().Clear();
        Log().CloseInputLine();
        m_input.Init(nullptr);
    }

    bool Parse(const char* line) { return CCommandParser(m_session, Recorder()).ParseCommand(line); }
    void Type(const std::string& text)
    {
        for (char c : text)
            m_console.Type(c, m_session);
    }
    CCommandParser::Sender Recorder()
    {
        return [this](const CMessage& message) { m_sent.push_back(message); };
    }

    // What went out, each message as "kind:value|".
    std::string Sent() const
    {
        std::string sent;
        for (const CMessage& message : m_sent)
        {
            char text[CMessageLog::kLineSize];
            uint32_t value = 0;
            if (message.GetText(text, sizeof text))
                sent += "text:" + std::string(text) + "|";
            else if (message.GetMap(text, sizeof text))
                sent += "map:" + std::string(text) + "|";
            else
                sent += message.GetShutdown(value) ? "shutdown:" + std::to_string(value) + "|" : "other|";
        }
        return sent;
    }

    std::vector<CMessage> m_sent;
    CClient m_session;
    CInput m_input;
    CConsole m_console{m_input, Recorder()};
};

using CommandParserTest = ConsoleTest;

TEST_F(CommandParserTest, CommandsThatOnlyPrint)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/help", "Client Commands:|   name <your name>|   clear|   find servers|   "
                  "connect <server name>|"
                  "   disconnect|   exit|   help||Server Commands:|   server halt||"},
        {"/Help", "Unrecognized command|"},
        {"/ = ", ""},
        {"/server", "Server must be followed by a sub-commmand.|"},
        {"/server rename", "Unrecognized server command.|"},
        {"/server map   ", ""},
        {"/disconnect", "Not implemented yet, try again later.|"},
        {"/exit", "Not implemented yet, try again later.|"},
        {"/connect Arena", "Attempting to connect to \"Arena\"...|No servers to select from.|"}};
    for (const auto& [line, printed] : cases)
    {
        Log().Clear();
        EXPECT_TRUE(Parse(line)) << line;
        EXPECT_EQ(LoggedLines(), printed) << line;
    }
    EXPECT_TRUE(Parse("/clear"));
    EXPECT_EQ(Log().GetLineCount(), 0);
    for (const char* chat : {"hello", " /help", ""})
        EXPECT_FALSE(Parse(chat)) << "chat, not a command: " << chat;
    EXPECT_EQ(LoggedLines(), "");
    EXPECT_TRUE(m_sent.empty());
    EXPECT_FALSE(m_session.IsConnected());
}

// Halt and map send their messages; name renames the local ship only; list
// and connect use the servers found.
TEST_F(CommandParserTest, CommandsThatSendOrAct)
{
    CGameWorld world;
    auto* ship = new CShip;
    ship->SetName("Player");
    world.AddPlayer(ship);
    m_session.SetWorld(&world);
    session::SessionDescription found;
    found.sessionName = "Arena";
    m_session.OnEnumHostsResponse(found, session::HostAddress{0x7F000001, 1});
    Parse("/server   halt");
    Parse("/server map Fear");
    // The map name ends at a space only; an "=" after "map" ends the sub-command.
    Parse("/server=map=Caves Two");
    Parse("/server map =x");
    Parse("/name=Ace");
    EXPECT_EQ(ship->GetName(), "Ace");
    Parse("/name Big Al");
    EXPECT_EQ(ship->GetName(), "Big Al");
    m_session.SetWorld(nullptr);
    Parse("/list");
    Parse("/connect Lobby");
    EXPECT_FALSE(m_session.IsConnected());
    EXPECT_EQ(Sent(), "shutdown:0|map:Fear|map:Caves|map:=x|");
    const std::string logged = LoggedLines();
    for (const char* printed : {"Attempting to shutdown server...|Requesting "
                                "server change to map \"Fear\"|",
                                "|Player name set to Big Al, long live Big Al!|(note: ",
                                "|Server: Arena|Attempting to connect to "
                                "\"Lobby\"...|Server \"Lobby\" not found...|"})
        EXPECT_NE(logged.find(printed), std::string::npos) << printed;
    EXPECT_EQ(logged.rfind("Attempting to shutdown", 0), 0u);
}

// Opening starts an empty line, typing edits it up to 1023 characters;
// closing ends it unsent, return sends chat (an empty line too) or runs a
// command, and either gives the keyboard back to the game.
TEST_F(ConsoleTest, TypingEditsTheLineAndReturnSendsChatOrRunsACommand)
{
    Log().OpenInputLine("stale");
    m_console.Open();
    EXPECT_EQ(InputLine(), "");
    EXPECT_EQ(m_input.GetMode(), kKeyboardModeText);
    Type("hix\b");
    EXPECT_EQ(InputLine(), "hi");
    Type("\b\b\b");
    EXPECT_EQ(InputLine(), "");
    Type(std::string(1022, 'a') + "bcd");
    EXPECT_EQ(InputLine(), std::string(1022, 'a') + "b");
    Type("\b");
    EXPECT_EQ(InputLine(), std::string(1022, 'a'));
    m_console.Close();
    EXPECT_EQ(InputLine(), "<none>");
    EXPECT_EQ(m_input.GetMode(), kKeyboardModeGame);
    for (const char* typed : {"hello\r", "\r", "/server halt\r"})
    {
        m_console.Open();
        Type(typed);
        EXPECT_EQ(InputLine(), "<none>");
        EXPECT_EQ(m_input.GetMode(), kKeyboardModeGame);
    }
    EXPECT_EQ(Sent(), "text:hello|text:|shutdown:0|") << "closing sent nothing";
    EXPECT_EQ(LoggedLines(), "Attempting to shutdown server...|") << "chat is not printed here";
}

// Drawn on the recording backend with the shipped font, in white.
TEST_F(ConsoleTest, DrawnAsTextWithTheInputLineBelowTheNewestFiveLines)
{
    CShippedDrawing drawing;
    drawing.backend.SetColour(kWhite);
    Log().SetMaxLines(5);
    for (int i = 1; i <= 6; ++i)
        Log().Print("line %d", i);
    Log().Print("%s", "5%d off");
    Log().OpenInputLine("say hi");
    DrawConsole(-302, -384);
    std::vector<TextRun> expected;
    for (const char* line : {"line 3", "line 4", "line 5", "line 6", "5_d off"})
        expected.push_back({line, -302, -288 - 16 * float(expected.size()), kWhite});
    expected.push_back({":say hi", -302, -384, kWhite});
    EXPECT_EQ(ReadText(drawing.backend), expected) << "lines are text, not formats";
}
} // namespace
