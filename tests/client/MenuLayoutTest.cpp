// The menu screens drawn through the recording backend on a 1024 x 768
// screen (half height 384): every text with its place and colour, read back
// from the glyph quads; the pictures and the gauge; and the selections.
#include "client/GLDisplay.h"
#include "client/menus/AddressEntry.h"
#include "client/menus/CreditsScreen.h"
#include "client/menus/InstructionsScreen.h"
#include "client/menus/MainMenu.h"
#include "client/menus/OptionsMenu.h"
#include "client/menus/ServerBrowser.h"
#include "gfx/Graphics.h"
#include "gfx/RecordingBackend.h"
#include "gfx/Text.h"
#include "tests/client/ShippedDrawing.h"
#include "tests/client/TextRuns.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace
{
constexpr float kHalfHeight = 384;
const RenderColour kGreen{0, 1, 0, 1};
const RenderColour kWhite{1, 1, 1, 1};

TextRun At(float x, float y, const RenderColour& colour, std::string text)
{
    return TextAt(x, y, colour, std::move(text));
}

TextRun Centred(float y, const RenderColour& colour, std::string text)
{
    float x = -5.0f * float(text.size());
    return {std::move(text), x, y, colour};
}

// Top to bottom, then left to right, so layouts compare in reading order.
std::vector<TextRun> InReadingOrder(std::vector<TextRun> runs)
{
    std::sort(runs.begin(), runs.end(),
              [](const TextRun& a, const TextRun& b) { return a.y != b.y ? a.y > b.y : a.x < b.x; });
    return runs;
}

class MenuLayoutTest : public ::testing::Test
{
protected:
    // Draws one frame of `screen` on a 1024 x 768 screen and returns its text.
    std::vector<TextRun> DrawFrame(CMenuScreen& screen)
    {
        m_backend.ClearFrame();
        screen.SetSize(1024, 768);
        EXPECT_TRUE(screen.Draw(0, 0));
        EXPECT_EQ(m_backend.FrontFill(), PolygonFill::Fill);
        EXPECT_EQ(m_backend.BackFill(), PolygonFill::Line);
        return TextRuns();
    }

    static uint32_t TextureName(const char* file) { return GetGraphics().GetTexture(file)->GetGLName(); }

    // Consecutive glyph quads on one baseline, 10 units apart, in one colour.
    std::vector<TextRun> TextRuns() const
    {
        uint32_t font = TextureName("Font2.tga");
        for (const CRecordingBackend::Quad& quad : m_backend.Quads())
        {
            if (font != 0 && quad.state.texture == font)
            {
                EXPECT_TRUE(quad.state.texturing) << "text drawn with texturing off";
            }
        }
        return ReadTextRuns(m_backend, font);
    }

    // Every quad that is not a glyph, in drawing order.
    std::vector<CRecordingBackend::Quad> OtherQuads() const
    {
        uint32_t font = TextureName("Font2.tga");
        std::vector<CRecordingBackend::Quad> quads;
        for (const CRecordingBackend::Quad& quad : m_backend.Quads())
            if (quad.state.texture != font || font == 0)
                quads.push_back(quad);
        return quads;
    }

    // A white, textured 32 x 32 picture of `file` centred on (x, y), its
    // first row at the top as the game objects draw pictures.
    static void ExpectPicture(const CRecordingBackend::Quad& quad, const char* file, float x, float y)
    {
        EXPECT_NE(TextureName(file), 0u) << file << " did not load";
        EXPECT_EQ(quad.state.texture, TextureName(file)) << file;
        EXPECT_TRUE(quad.state.texturing) << file;
        EXPECT_EQ(quad.state.colour, kWhite) << file;
        const RenderVertex &low = quad.vertices[0], &high = quad.vertices[2];
        EXPECT_EQ(std::vector<float>({low.x, low.y, low.u, low.v, high.x, high.y, high.u, high.v}),
                  std::vector<float>({x - 16, y - 16, 0, 1, x + 16, y + 16, 1, 0}))
            << file;
    }

    CShippedDrawing m_drawing;
    CRecordingBackend& m_backend = m_drawing.backend;
};

// An untextured rectangle from (left, bottom) to (right, top).
void ExpectRectangle(const CRecordingBackend::Quad& quad, float left, float right, float bottom, float top,
                     const RenderColour& colour)
{
    EXPECT_FALSE(quad.state.texturing);
    EXPECT_EQ(quad.state.colour, colour);
    const RenderVertex &low = quad.vertices[0], &high = quad.vertices[2];
    EXPECT_EQ(std::vector<float>({low.x, low.y, high.x, high.y}),
              std::vector<float>({left, bottom, right, top}));
}

// Fake system display modes, as the windowing library would list them.
std::vector<platform::RawVideoMode> FakeModes()
{
    return {
        {1024, 768, 32, 8, 60}, {800, 600, 32, 8, 60},  {1280, 1024, 16, 5, 60},
        {1600, 1200, 24, 8, 0}, {1152, 864, 32, 8, 75}, {1024, 768, 32, 8, 60},
    };
}

} // namespace

TEST_F(MenuLayoutTest, MainMenu)
{
    CMainMenu menu;
    EXPECT_TRUE(menu.LoadTextures());
    std::vector<TextRun> runs = DrawFrame(menu);
    ASSERT_EQ(runs.size(), 9u);
    const TextRun notice = runs.back();
    runs.pop_back();
    float hh = kHalfHeight;
    EXPECT_EQ(runs, InReadingOrder({
                        Centred(hh - 200, kWhite, "Quorvex!"),
                        At(-25, hh - 220, kWhite, "v1.02"),
                        Centred(hh - 332, kGreen, "Join a LAN Game"),
                        Centred(hh - 348, kWhite, "Join an Internet Game"),
                        Centred(hh - 364, kWhite, "Instructions"),
                        Centred(hh - 380, kWhite, "Options"),
                        Centred(hh - 396, kWhite, "Credits"),
                        Centred(hh - 412, kWhite, "Quit"),
                    }));
    // The notice is free text, but must be centred, white and in the font.
    EXPECT_FALSE(notice.text.empty());
    EXPECT_EQ(notice.text.find_first_of("_#"), std::string::npos) << notice.text;
    EXPECT_EQ(notice, Centred(16 - hh, kWhite, notice.text));

    // Up from the first item wraps to Quit; Down from Quit back to the first.
    EXPECT_EQ(menu.GetSelected(), CMainMenu::kJoinLan);
    menu.Previous();
    EXPECT_EQ(menu.GetSelected(), CMainMenu::kQuit);
    runs = DrawFrame(menu);
    EXPECT_EQ(runs[2], Centred(hh - 332, kWhite, "Join a LAN Game"));
    EXPECT_EQ(runs[7], Centred(hh - 412, kGreen, "Quit"));
    menu.Next();
    EXPECT_EQ(menu.GetSelected(), CMainMenu::kJoinLan);
    menu.Next();
    menu.Next();
    EXPECT_EQ(menu.GetSelected(), CMainMenu::kInstructions);
    menu.Previous();
    EXPECT_EQ(menu.GetSelected(), CMainMenu::kJoinInternet);
}

TEST_F(MenuLayoutTest, ServerBrowser)
{
    CServerBrowser browser;
    float hh = kHalfHeight;
    const std::vector<TextRun> frame = {
        Centred(hh - 60, kGreen, "Select A Server To Play On"),
        Centred(100 - hh, kWhite, "Up and Down Arrow Moves Between Servers"),
        Centred(80 - hh, kWhite, "Enter Selects a Server"),
        Centred(60 - hh, kWhite, "Escape Returns to main menu"),
    };
    auto withFrame = [&frame](std::vector<TextRun> runs)
    {
        runs.insert(runs.end(), frame.begin(), frame.end());
        return InReadingOrder(runs);
    };

    browser.SetSearching(true);
    EXPECT_EQ(DrawFrame(browser),
              withFrame({Centred(hh - 132, kWhite, "Searching for hosts, please wait...")}));
    browser.SetSearching(false);
    EXPECT_EQ(DrawFrame(browser), withFrame({Centred(hh - 132, kWhite, "No Servers Found...")}));
    EXPECT_TRUE(m_backend.Lines().empty());
    EXPECT_FALSE(browser.HasServers());
    char name[16];
    std::fill(std::begin(name), std::end(name), 'x');
    browser.GetSelectedName(name, sizeof name);
    EXPECT_EQ(std::string(name, sizeof name), std::string(sizeof name, '\0'));
    browser.Previous();
    browser.Next();
    EXPECT_EQ(browser.GetSelected(), 1);

    // A server of 8 players with a limit of 16 arrives as 7 of 15: the
    // server's own player is not counted.
    browser.AddServer("Alpha", 15, 7);
    browser.AddServer("Beta Arena", 3, 0);
    browser.Next();
    EXPECT_EQ(DrawFrame(browser),
              withFrame({
                  At(-285, hh - 132, kWhite, "Server Name" + std::string(35, ' ') + "Players/Max"),
                  At(-285, hh - 152, kWhite, "Alpha" + std::string(47, ' ') + "07/15"),
                  At(-285, hh - 168, kGreen, "Beta Arena" + std::string(42, ' ') + "00/03"),
              }));
    ASSERT_EQ(m_backend.Lines().size(), 1u);
    const CRecordingBackend::Line& rule = m_backend.Lines()[0];
    EXPECT_EQ(std::make_pair(rule.from.x, rule.from.y), std::make_pair(-285.0f, hh - 134));
    EXPECT_EQ(std::make_pair(rule.to.x, rule.to.y), std::make_pair(285.0f, hh - 134));
    EXPECT_EQ(rule.state.colour, kWhite);

    // Selection wraps both ways; the name is cut to fit and stays terminated.
    EXPECT_EQ(browser.GetSelected(), 2);
    browser.GetSelectedName(name, sizeof name);
    EXPECT_STREQ(name, "Beta Arena");
    browser.GetSelectedName(name, 5);
    EXPECT_EQ(std::string(name, 5), std::string("Beta\0", 5));
    browser.Next();
    EXPECT_EQ(browser.GetSelected(), 1);
    browser.Previous();
    EXPECT_EQ(browser.GetSelected(), 2);

    // A new visit starts with an empty list at its first line.
    browser.Clear();
    EXPECT_FALSE(browser.HasServers());
    browser.AddServer("Gamma", 4, 1);
    browser.GetSelectedName(name, sizeof name);
    EXPECT_STREQ(name, "Gamma");
}

TEST_F(MenuLayoutTest, AddressEntry)
{
    CAddressEntry entry;
    float hh = kHalfHeight;
    std::vector<TextRun> layout = {
        Centred(hh - 100, kGreen, "Enter IP Address or Hostname"),
        Centred(60 - hh, kWhite, "Type To Enter an IP Address or Hostname"),
        Centred(40 - hh, kWhite, "Enter Confirms the IP Address or Hostname"),
        Centred(20 - hh, kWhite, "Escape Returns to Main Menu"),
    };
    EXPECT_EQ(DrawFrame(entry), InReadingOrder(layout));

    char text[8];
    std::fill(std::begin(text), std::end(text), 'x');
    entry.GetText(text, sizeof text);
    EXPECT_EQ(std::string(text, sizeof text), std::string(sizeof text, '\0'));

    entry.SetText("10.0.0.17");
    entry.SetText(nullptr);
    layout.push_back(Centred(hh - 120, kWhite, "10.0.0.17"));
    EXPECT_EQ(DrawFrame(entry), InReadingOrder(layout));
    entry.GetText(text, sizeof text);
    EXPECT_STREQ(text, "10.0.0.");
    entry.GetText(text, 1);
    EXPECT_EQ(text[0], '\0');
}

TEST_F(MenuLayoutTest, Options)
{
    CGLDisplay::Get().SetModeSource(FakeModes);
    COptionsMenu options;
    float hh = kHalfHeight;

    // Ship selection 1..6 stands for the types 0, 5, 2, 3, 4, 1; Right on
    // the sixth goes to the first and Left back to the sixth.
    for (int type : {0, 5, 2, 3, 4, 1})
    {
        EXPECT_EQ(options.GetShipType(), type);
        options.NextShip();
    }
    EXPECT_EQ(options.GetShipSelection(), 1);
    options.PreviousShip();
    EXPECT_EQ(options.GetShipSelection(), 6);
    const std::pair<int, int> selectionOfType[] = {{0, 1}, {1, 6},  {2, 3}, {3, 4}, {4, 5},
                                                   {5, 2}, {-1, 1}, {6, 1}, {99, 1}};
    for (auto [type, selection] : selectionOfType)
    {
        options.SetShipType(type);
        EXPECT_EQ(options.GetShipSelection(), selection) << type;
    }

    // The fake list keeps 1024x768x32, 1280x1024x16, 1600x1200 (24 bits of an
    // unknown rate count as 32 at 60 Hz) and 1024x768x32 again.
    int32_t width, height, depth, refresh;
    options.SetResolution(1024, 768, 32, 60);
    EXPECT_EQ(options.GetResolutionIndex(), 3) << "the last matching mode";
    options.SetResolution(1600, 1200, 32, 0);
    options.SetResolution(1152, 864, 32, 75);
    EXPECT_EQ(options.GetResolutionIndex(), 3);
    options.SetResolution(1600, 1200, 32, 60);
    options.GetResolution(width, height, depth, refresh);
    EXPECT_EQ(std::vector<int32_t>({width, height, depth, refresh}),
              std::vector<int32_t>({1600, 1200, 32, 60}));
    options.NextResolution();
    options.NextResolution();
    EXPECT_EQ(options.GetResolutionIndex(), 0);
    options.PreviousResolution();
    EXPECT_EQ(options.GetResolutionIndex(), 3);
    options.NextResolution();
    options.NextResolution();

    options.SetShipType(5);
    options.SetText("Ace");
    EXPECT_EQ(DrawFrame(options),
              InReadingOrder({
                  Centred(hh - 70, kGreen, "Choose Your Ship"),
                  Centred(hh - 200, kGreen, "Enter Your Name"),
                  Centred(hh - 232, kWhite, "Ace"),
                  Centred(hh - 300, kGreen, "Resolutions"),
                  At(-60, hh - 340, kWhite, "1024x 768x32"),
                  At(-60, hh - 360, kGreen, "1280x1024x16"),
                  At(-60, hh - 380, kWhite, "1600x1200x32"),
                  At(-60, hh - 400, kWhite, "1024x 768x32"),
                  Centred(80 - hh, kWhite, "Left and Right Arrow Select Ship"),
                  Centred(60 - hh, kWhite, "Up and Down Arrow Selects Resolution"),
                  Centred(40 - hh, kWhite, "Enter Saves Changes and Returns to Main Menu"),
                  Centred(20 - hh, kWhite, "Escape Discards Changes and Returns to Main Menu"),
              }));
    // Each selection shows its ship type's picture; the shield covers the chosen one.
    std::vector<CRecordingBackend::Quad> pictures = OtherQuads();
    ASSERT_EQ(pictures.size(), 7u);
    const char* files[] = {"Triship.tga", "Twoship.tga", "TrekShip.tga",
                           "XShip.tga",   "YShip.tga",   "CurveShip.tga"};
    for (size_t i = 0; i < 6; ++i)
        ExpectPicture(pictures[i], files[i], -160.0f + 64.0f * float(i), hh - 106);
    ExpectPicture(pictures[6], "shield.tga", -96, hh - 106);

    // The selection may fall off a shorter list: it then reads as zeros.
    CGLDisplay::Get().SetModeSource(
        [] {
            return std::vector<platform::RawVideoMode>{{1024, 768, 32, 8, 60}};
        });
    options.GetResolution(width, height, depth, refresh);
    EXPECT_EQ(std::vector<int32_t>({width, height, depth, refresh}), std::vector<int32_t>({0, 0, 0, 0}));
    CGLDisplay::Get().SetModeSource([] { return std::vector<platform::RawVideoMode>{}; });
    options.NextResolution();
    options.GetResolution(width, height, depth, refresh);
    EXPECT_EQ(width, 0);

    // Pictures that cannot be read are drawn as plain white squares.
    testing_support::TempDir empty;
    CShippedDrawing::UseData(empty.Path());
    COptionsMenu unloaded;
    DrawFrame(unloaded);
    // The glyphs, without their font, still come with texturing on.
    std::vector<CRecordingBackend::Quad> squares;
    for (const CRecordingBackend::Quad& quad : m_backend.Quads())
        if (!quad.state.texturing)
            squares.push_back(quad);
    ASSERT_EQ(squares.size(), 7u);
    for (const CRecordingBackend::Quad& quad : squares)
    {
        EXPECT_EQ(quad.state.texture, 0u);
        EXPECT_EQ(quad.state.colour, kWhite);
        EXPECT_FLOAT_EQ(quad.vertices[2].x - quad.vertices[0].x, 32);
    }
    EXPECT_TRUE(m_backend.CurrentState().texturing) << "text after a missing picture needs texturing";
    CGLDisplay::Get().SetModeSource({});
}

TEST_F(MenuLayoutTest, Instructions)
{
    CInstructionsScreen screen;
    float hh = kHalfHeight, lx = -492, rx = 142;
    std::vector<TextRun> expected = {
        Centred(hh - 60, kGreen, "Instructions"),
        At(lx, hh - 120, kGreen, "Controlling Your Ship"),
        At(lx + 20, hh - 140, kWhite, "J        Turn Left"),
        At(lx + 20, hh - 160, kWhite, "K        Thrust"),
        At(lx + 20, hh - 180, kWhite, "L        Turn Right"),
        At(lx + 20, hh - 220, kWhite, "D        Shields"),
        At(lx + 20, hh - 240, kWhite, "F        Fuel Up"),
        At(lx + 20, hh - 260, kWhite, "S        Activate Cloaking Device"),
        At(lx + 20, hh - 300, kWhite, "SPACE    Fire Bullets"),
        At(lx + 20, hh - 320, kWhite, "V        Fire Missiles"),
        At(lx + 20, hh - 340, kWhite, "C        Fire Mines"),
        At(lx + 20, hh - 360, kWhite, "E        Fire Plasma Mines"),
        At(lx + 20, hh - 380, kWhite, "R        Fire Repulsor"),
        At(lx, hh - 420, kGreen, "Miscellaneous"),
        At(lx + 20, hh - 440, kWhite, "F9       Quick Exit"),
        At(lx + 20, hh - 460, kWhite, "F11      Toggle Player Names"),
        At(lx + 20, hh - 480, kWhite, "'        Chat"),
        At(lx + 20, hh - 500, kWhite, "ESC      (in-game) Return to Main Menu"),
        At(lx, hh - 540, kGreen, "Fuel"),
        At(lx + 236, hh - 563, kWhite, "Current Fuel Level"),
        At(lx + 236, hh - 608, kWhite, "Fuel Source"),
        At(rx, hh - 120, kGreen, "Powerups"),
    };
    const std::pair<const char*, const char*> powerups[] = {
        {"Cloaking Device", "pup_cloak.tga"},  {"Extra Fuel Tank", "pup_tank.tga"},
        {"Full Fuel", "pup_fuel.tga"},         {"Triple Shot", "pup_triple.tga"},
        {"Homing Missile", "pup_missile.tga"}, {"Mine", "pup_mine.tga"},
        {"Plasma Mine", "pup_plasma.tga"},     {"Repulsor", "pup_repulse.tga"},
    };
    for (size_t i = 0; i < 8; ++i)
        expected.push_back(At(rx + 52, hh - 148 - 40 * float(i), kWhite, powerups[i].first));
    EXPECT_EQ(DrawFrame(screen), InReadingOrder(expected));
    EXPECT_EQ(screen.GetTextureCount(), 16);
    EXPECT_EQ(screen.GetTexture(15), GetGraphics().GetTexture("FuelBlockIcon.tga"));

    std::vector<CRecordingBackend::Quad> textured, plain;
    for (const CRecordingBackend::Quad& quad : OtherQuads())
        (quad.state.texturing ? textured : plain).push_back(quad);
    ASSERT_EQ(textured.size(), 9u);
    for (size_t i = 0; i < 8; ++i)
        ExpectPicture(textured[i], powerups[i].second, rx + 26, hh - 148 - 40 * float(i) + 8);
    ExpectPicture(textured[8], "FuelBlockIcon.tga", lx + 36, hh - 600);
    // The sample gauge: frame, inside, then the level over it.
    ASSERT_EQ(plain.size(), 3u);
    ExpectRectangle(plain[0], lx + 20, lx + 200, hh - 561, hh - 549, kWhite);
    ExpectRectangle(plain[1], lx + 21, lx + 199, hh - 560, hh - 550, RenderColour{0, 0, 0, 1});
    ExpectRectangle(plain[2], lx + 21, lx + 170, hh - 560, hh - 550, RenderColour{0, 0, 1, 1});
}

TEST_F(MenuLayoutTest, Credits)
{
    CCreditsScreen screen;
    std::vector<TextRun> runs = DrawFrame(screen);
    float hh = kHalfHeight;
    const std::pair<float, const char*> headings[] = {
        {60, "Quorvex!"},
        {100, "Created By"},
        {160, "Additional Programming"},
        {220, "Special Thanks To"},
        {320, "Level Design"},
        {420, "Testers"},
        {540, "Hardcore Linear Algebra Guru"},
        {600, "Tessaloon Game Production Faculty and Staff"},
    };
    const float lineDrops[] = {120, 180, 240, 260, 280, 340, 360, 380,
                               440, 460, 480, 500, 560, 620, 640, 660};
    ASSERT_EQ(runs.size(), std::size(headings) + std::size(lineDrops));
    for (const auto& [drop, text] : headings)
        EXPECT_NE(std::find(runs.begin(), runs.end(), Centred(hh - drop, kGreen, text)), runs.end()) << text;
    for (float drop : lineDrops)
    {
        auto line =
            std::find_if(runs.begin(), runs.end(), [&](const TextRun& run) { return run.y == hh - drop; });
        ASSERT_NE(line, runs.end()) << drop;
        EXPECT_EQ(*line, Centred(hh - drop, kWhite, line->text));
        EXPECT_EQ(line->text.find_first_of("_#"), std::string::npos) << line->text;
    }
    // One line per map: its name, a colon and who made it.
    EXPECT_EQ(runs[10].text, "Caves: the Quorvex team");
    EXPECT_EQ(runs[11].text, "Fear: the Quorvex team");
    EXPECT_EQ(runs[12].text, "HCPlayground: the Quorvex team");

    // The pictures are loaded for later; the credits draw none of them.
    EXPECT_EQ(screen.GetTextureCount(), 15);
    EXPECT_TRUE(OtherQuads().empty());
}
