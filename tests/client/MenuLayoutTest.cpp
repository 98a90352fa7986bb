// The menu screens as a player sees them, drawn through the recording
// backend with the shipped font and pictures on a 1024 x 768 screen: every
// text in the font, on screen, clear of other text and of the pictures, and
// centred where the menus centre it; the highlighted line is the selected
// one and follows the selection; each screen shows what it is for.
#include "client/ClientContext.h"
#include "client/menus/AddressEntry.h"
#include "client/menus/CreditsScreen.h"
#include "client/menus/InstructionsScreen.h"
#include "client/menus/MainMenu.h"
#include "client/menus/OptionsMenu.h"
#include "client/menus/ServerBrowser.h"
#include "common/Version.h"
#include "game/Ship.h"
#include "gfx/Graphics.h"
#include "gfx/Text.h"
#include "tests/client/ShippedDrawing.h"
#include "tests/client/TextRuns.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
const RenderColour kGreen{0, 1, 0, 1};
const RenderColour kWhite{1, 1, 1, 1};
constexpr float kHalfWidth = 512, kHalfHeight = 384;

struct Box
{
    float left, bottom, right, top;
};

Box BoxOf(const CRecordingBackend::Quad& quad)
{
    Box box{quad.vertices[0].x, quad.vertices[0].y, quad.vertices[0].x, quad.vertices[0].y};
    for (const RenderVertex& v : quad.vertices)
        box = {std::min(box.left, v.x), std::min(box.bottom, v.y), std::max(box.right, v.x),
               std::max(box.top, v.y)};
    return box;
}

bool Overlap(const Box& a, const Box& b)
{
    return a.left < b.right && b.left < a.right && a.bottom < b.top && b.bottom < a.top;
}

bool OnScreen(const Box& box)
{
    return box.left >= -kHalfWidth && box.right <= kHalfWidth && box.bottom >= -kHalfHeight &&
           box.top <= kHalfHeight;
}

// Fake system display modes: the options screen lists 1024x768x32,
// 1280x1024x16, 1600x1200x32 (24 bits at an unknown rate count as 32 at
// 60 Hz) and 1024x768x32 again; 800 x 600 and 75 Hz are not offered.
std::vector<platform::RawVideoMode> FakeModes()
{
    return {{1024, 768, 32, 8, 60}, {800, 600, 32, 8, 60},  {1280, 1024, 16, 5, 60},
            {1600, 1200, 24, 8, 0}, {1152, 864, 32, 8, 75}, {1024, 768, 32, 8, 60}};
}

class MenuLayoutTest : public ::testing::Test
{
protected:
    // One frame of `screen` on the 1024 x 768 screen; its text.
    std::vector<TextRun> DrawFrame(CMenuScreen& screen)
    {
        m_backend.ClearFrame();
        screen.SetSize(2 * kHalfWidth, 2 * kHalfHeight);
        EXPECT_TRUE(screen.Draw(0, 0));
        EXPECT_EQ(m_backend.FrontFill(), PolygonFill::Fill);
        EXPECT_EQ(m_backend.BackFill(), PolygonFill::Line);
        return ReadTextRuns(m_backend, Font());
    }

    static uint32_t Font() { return GetGraphics().GetTexture("Font2.tga")->GetGLName(); }

    std::vector<CRecordingBackend::Quad> Glyphs() const { return QuadsWhere(true); }
    std::vector<CRecordingBackend::Quad> Pictures() const { return QuadsWhere(false); }

    std::vector<CRecordingBackend::Quad> QuadsWhere(bool glyphs) const
    {
        std::vector<CRecordingBackend::Quad> found;
        for (const CRecordingBackend::Quad& quad : m_backend.Quads())
            if ((quad.state.texture == Font() && quad.state.texturing) == glyphs)
                found.push_back(quad);
        return found;
    }

    // What every menu frame owes the player: text in the font and with
    // texturing on, on screen, clear of other text and of the pictures.
    void ExpectReadable(const std::vector<TextRun>& runs) const
    {
        EXPECT_FALSE(runs.empty());
        for (const TextRun& run : runs)
            EXPECT_EQ(run.text.find_first_of("_#"), std::string::npos) << "not in the font: " << run.text;
        const std::vector<CRecordingBackend::Quad> glyphs = Glyphs(), pictures = Pictures();
        for (size_t i = 0; i < glyphs.size(); ++i)
        {
            const Box box = BoxOf(glyphs[i]);
            EXPECT_TRUE(OnScreen(box)) << "glyph at " << box.left << ", " << box.bottom;
            for (size_t j = i + 1; j < glyphs.size(); ++j)
                EXPECT_FALSE(Overlap(box, BoxOf(glyphs[j])))
                    << "text on text at " << box.left << ", " << box.bottom;
            for (const CRecordingBackend::Quad& picture : pictures)
                EXPECT_FALSE(Overlap(box, BoxOf(picture)))
                    << "text on a picture at " << box.left << ", " << box.bottom;
        }
        for (const CRecordingBackend::Quad& picture : pictures)
            EXPECT_TRUE(OnScreen(BoxOf(picture)));
    }

    static void ExpectCentred(const std::vector<TextRun>& runs)
    {
        for (const TextRun& run : runs)
            EXPECT_FLOAT_EQ(run.x, -5.0f * float(run.text.size())) << run.text;
    }

    static std::vector<TextRun> InColour(const std::vector<TextRun>& runs, const RenderColour& colour)
    {
        std::vector<TextRun> found;
        std::copy_if(runs.begin(), runs.end(), std::back_inserter(found),
                     [&colour](const TextRun& run) { return run.colour == colour; });
        return found;
    }

    // The picture a quad shows, as its pixels: screens and the game load the
    // same file under differently spelt names.
    const std::vector<uint8_t>& PixelsOf(uint32_t texture) const
    {
        static const std::vector<uint8_t> kNone;
        for (const CRecordingBackend::Upload& upload : m_backend.Uploads())
            if (upload.name == texture)
                return upload.rgba;
        return kNone;
    }
    const std::vector<uint8_t>& PixelsOf(const char* file) const
    {
        return PixelsOf(GetGraphics().GetTexture(file)->GetGLName());
    }

    CShippedDrawing m_drawing;
    CRecordingBackend& m_backend = m_drawing.backend;
    CClientContext m_context{FakeModes};
};

float CentreX(const CRecordingBackend::Quad& quad)
{
    return (BoxOf(quad).left + BoxOf(quad).right) / 2;
}
} // namespace

TEST_F(MenuLayoutTest, EveryScreenIsReadableAndCentred)
{
    CMainMenu menu(m_context);
    COptionsMenu options(m_context);
    options.SetText("Ace");
    CAddressEntry address(m_context);
    address.SetText("quorvex.example.org");
    CServerBrowser browser(m_context, options, nullptr);
    browser.AddServer(std::string(50, 'N').c_str(), 15, 7);
    browser.AddServer("Beta Arena", 3, 0);
    CCreditsScreen credits(m_context);
    CInstructionsScreen instructions(m_context);
    for (CMenuScreen* screen : std::vector<CMenuScreen*>{&menu, &options, &address, &browser, &credits})
    {
        SCOPED_TRACE(int(screen->Id()));
        std::vector<TextRun> runs = DrawFrame(*screen);
        ExpectReadable(runs);
        ExpectCentred(runs);
    }
    ExpectReadable(DrawFrame(instructions));
    browser.SetSearching(true);
    browser.Clear();
    ExpectCentred(DrawFrame(browser));
}

TEST_F(MenuLayoutTest, MainMenuHighlightsTheItemReturnOpens)
{
    CMainMenu menu(m_context);
    const std::vector<std::pair<std::string, ScreenId>> opens = {
        {"Join a LAN Game", ScreenId::LanBrowser},
        {"Join an Internet Game", ScreenId::AddressEntry},
        {"Instructions", ScreenId::Instructions},
        {"Options", ScreenId::Options},
        {"Credits", ScreenId::Credits},
    };
    float previousY = kHalfHeight;
    for (const auto& [item, screen] : opens)
    {
        std::vector<TextRun> green = InColour(DrawFrame(menu), kGreen);
        ASSERT_EQ(green.size(), 1u);
        EXPECT_EQ(green[0].text, item);
        EXPECT_LT(green[0].y, previousY) << "the items read top to bottom";
        previousY = green[0].y;
        EXPECT_EQ(menu.OnChar('\r'), screen) << item;
        menu.OnKey(platform::kVkDown);
    }
    EXPECT_EQ(InColour(DrawFrame(menu), kGreen)[0].text, "Quit");
    EXPECT_EQ(menu.OnChar('\r'), ScreenId::MainMenu);
    EXPECT_TRUE(m_context.QuitRequested());
    menu.OnKey(platform::kVkDown);
    EXPECT_EQ(InColour(DrawFrame(menu), kGreen)[0].text, opens[0].first) << "Down on Quit wraps";
    menu.OnKey(platform::kVkUp);
    EXPECT_EQ(menu.GetSelected(), CMainMenu::kQuit) << "Up on the first item wraps";

    char version[16];
    std::snprintf(version, sizeof version, "v%0.2f", double(kGameVersion));
    std::vector<TextRun> runs = DrawFrame(menu);
    EXPECT_NE(std::find_if(runs.begin(), runs.end(), [&](const TextRun& run) { return run.text == version; }),
              runs.end());
}

TEST_F(MenuLayoutTest, BrowserListsServersAndHighlightsTheSelectedOne)
{
    COptionsMenu options(m_context);
    CServerBrowser browser(m_context, options, nullptr);
    browser.SetSearching(true);
    std::vector<TextRun> runs = DrawFrame(browser);
    EXPECT_EQ(InColour(runs, kGreen).size(), 1u) << "the heading only";
    EXPECT_EQ(runs[1].text, "Searching for hosts, please wait...");
    browser.SetSearching(false);
    EXPECT_EQ(DrawFrame(browser)[1].text, "No Servers Found...");
    EXPECT_TRUE(m_backend.Lines().empty());
    browser.Next();
    EXPECT_EQ(browser.GetSelected(), 1) << "an empty list has nothing to walk";

    // A server of 8 players with a limit of 16 answers 7 of 15: the server's
    // own player is not counted.
    browser.AddServer("Alpha", 15, 7);
    browser.AddServer("Beta Arena", 3, 0);
    runs = DrawFrame(browser);
    std::vector<TextRun> green = InColour(runs, kGreen);
    ASSERT_EQ(green.size(), 2u);
    EXPECT_EQ(green[1].text, "Alpha" + std::string(47, ' ') + "07/15") << "\"%-50s  %02d/%02d\"";
    ASSERT_EQ(m_backend.Lines().size(), 1u) << "the rule under the header";
    const CRecordingBackend::Line& rule = m_backend.Lines()[0];
    EXPECT_GT(runs[1].y, rule.from.y) << runs[1].text;
    EXPECT_LT(green[1].y + kGlyphHeight, runs[1].y);
    EXPECT_EQ(rule.from.x, runs[1].x);
    EXPECT_EQ(rule.to.x, runs[1].x + kGlyphWidth * float(runs[1].text.size()));

    browser.OnKey(platform::kVkDown);
    green = InColour(DrawFrame(browser), kGreen);
    EXPECT_EQ(green[1].text.substr(0, 10), "Beta Arena");
    browser.OnKey(platform::kVkDown);
    EXPECT_EQ(browser.GetSelected(), 1) << "Down on the last server wraps";
    browser.OnKey(platform::kVkUp);
    char name[8];
    browser.GetSelectedName(name, sizeof name);
    EXPECT_EQ(std::string(name, sizeof name), std::string("Beta Ar\0", 8)) << "cut, and still terminated";
    browser.Clear();
    browser.AddServer("Gamma", 4, 1);
    EXPECT_EQ(browser.GetSelected(), 1) << "a new list starts at its first line";
}

TEST_F(MenuLayoutTest, OptionsShowEachShipAsTheGameDrawsItAndTheModes)
{
    COptionsMenu options(m_context);
    const std::pair<int, int> selectionOfType[] = {{0, 1}, {1, 6},  {2, 3}, {3, 4}, {4, 5},
                                                   {5, 2}, {-1, 1}, {6, 1}, {99, 1}};
    for (auto [type, selection] : selectionOfType)
    {
        options.SetShipType(type);
        EXPECT_EQ(options.GetShipSelection(), selection) << type;
    }
    options.OnKey(platform::kVkLeft);
    EXPECT_EQ(options.GetShipSelection(), 6) << "Left on the first ship wraps";
    options.OnKey(platform::kVkRight);
    EXPECT_EQ(options.GetShipSelection(), 1) << "Right on the sixth ship wraps";
    options.OnKey(platform::kVkLeft);
    options.SetResolution(1280, 1024, 16, 60);
    std::vector<TextRun> runs = DrawFrame(options);

    const std::vector<CRecordingBackend::Quad> pictures = Pictures();
    ASSERT_EQ(pictures.size(), 7u) << "six ships and the shield";
    for (int selection = 1; selection <= COptionsMenu::kShipCount; ++selection)
    {
        options.SetShipType(0);
        for (int i = 1; i < selection; ++i)
            options.NextShip();
        const std::vector<uint8_t>& shown = PixelsOf(pictures[size_t(selection - 1)].state.texture);
        EXPECT_FALSE(shown.empty());
        EXPECT_EQ(shown, PixelsOf(CShip::TextureName(options.GetShipType()))) << "selection " << selection;
        if (selection > 1)
        {
            EXPECT_LT(CentreX(pictures[size_t(selection - 2)]), CentreX(pictures[size_t(selection - 1)]));
        }
    }
    EXPECT_EQ(PixelsOf(pictures[6].state.texture), PixelsOf("shield.tga"));
    EXPECT_EQ(CentreX(pictures[6]), CentreX(pictures[5])) << "the shield covers the chosen (sixth) ship";

    const std::vector<std::string> modes = {"1024x 768x32", "1280x1024x16", "1600x1200x32", "1024x 768x32"};
    std::vector<std::string> listed;
    for (const TextRun& run : runs)
        if (run.text.size() == 12 && run.text[4] == 'x')
            listed.push_back(run.text);
    EXPECT_EQ(listed, modes);
    ASSERT_EQ(InColour(runs, kGreen).size(), 4u);
    EXPECT_EQ(InColour(runs, kGreen)[3].text, "1280x1024x16");
    options.OnKey(platform::kVkDown);
    EXPECT_EQ(InColour(DrawFrame(options), kGreen)[3].text, "1600x1200x32");
    options.SetResolution(1024, 768, 32, 60);
    EXPECT_EQ(options.GetResolutionIndex(), 3) << "the last matching mode";
    options.OnKey(platform::kVkDown);
    EXPECT_EQ(options.GetResolutionIndex(), 0) << "Down on the last mode wraps";
    options.OnKey(platform::kVkUp);
    EXPECT_EQ(options.GetResolutionIndex(), 3);
    options.SetResolution(1600, 1200, 32, 0);
    EXPECT_EQ(options.GetResolutionIndex(), 3) << "refresh 0 selects nothing";
}

TEST_F(MenuLayoutTest, OptionsModeOffTheListReadsAsZeros)
{
    COptionsMenu options(m_context);
    options.SetResolution(1600, 1200, 32, 60);
    int32_t width, height, depth, refresh;
    options.GetResolution(width, height, depth, refresh);
    EXPECT_EQ(std::vector<int32_t>({width, height, depth, refresh}),
              std::vector<int32_t>({1600, 1200, 32, 60}));
    m_context.display.SetModeSource(
        [] {
            return std::vector<platform::RawVideoMode>{{1024, 768, 32, 8, 60}};
        });
    options.GetResolution(width, height, depth, refresh);
    EXPECT_EQ(std::vector<int32_t>({width, height, depth, refresh}), std::vector<int32_t>({0, 0, 0, 0}));
    m_context.display.SetModeSource([] { return std::vector<platform::RawVideoMode>{}; });
    options.NextResolution();
    options.GetResolution(width, height, depth, refresh);
    EXPECT_EQ(width, 0);
}

TEST_F(MenuLayoutTest, PicturesThatCannotBeReadAreWhiteSquares)
{
    testing_support::TempDir empty;
    CShippedDrawing::UseData(empty.Path());
    COptionsMenu options(m_context);
    DrawFrame(options);
    std::vector<CRecordingBackend::Quad> squares;
    for (const CRecordingBackend::Quad& quad : m_backend.Quads())
        if (!quad.state.texturing)
            squares.push_back(quad);
    ASSERT_EQ(squares.size(), 7u);
    for (const CRecordingBackend::Quad& quad : squares)
    {
        EXPECT_EQ(quad.state.colour, kWhite);
        EXPECT_FLOAT_EQ(BoxOf(quad).right - BoxOf(quad).left, 32);
    }
    EXPECT_TRUE(m_backend.CurrentState().texturing) << "text after a missing picture needs texturing";
}

TEST_F(MenuLayoutTest, InstructionsNameEveryGameKeyAndShowEachPowerup)
{
    CInstructionsScreen screen(m_context);
    std::vector<TextRun> runs = DrawFrame(screen);
    // F12 (collision outlines) is a developer's key and not listed.
    const std::pair<int, const char*> keys[] = {
        {0x24, "J"}, {0x25, "K"},     {0x26, "L"},   {0x20, "D"}, {0x21, "F"},
        {0x1F, "S"}, {0x39, "SPACE"}, {0x2F, "V"},   {0x2E, "C"}, {0x12, "E"},
        {0x13, "R"}, {0x43, "F9"},    {0x57, "F11"}, {0x28, "'"}, {0x01, "ESC"},
    };
    CInput input;
    input.Init(nullptr);
    for (const auto& [code, label] : keys)
    {
        EXPECT_NE(input.GetKeyAction(code), KEY_NONE) << label;
        auto listed = std::find_if(runs.begin(), runs.end(),
                                   [label](const TextRun& run)
                                   { return run.text.rfind(std::string(label) + " ", 0) == 0; });
        EXPECT_NE(listed, runs.end()) << label << " is not explained";
    }

    // Each powerup's picture sits on its label's line, left of it.
    const std::pair<const char*, const char*> powerups[] = {
        {"Cloaking Device", "pup_cloak.tga"},  {"Extra Fuel Tank", "pup_tank.tga"},
        {"Full Fuel", "pup_fuel.tga"},         {"Triple Shot", "pup_triple.tga"},
        {"Homing Missile", "pup_missile.tga"}, {"Mine", "pup_mine.tga"},
        {"Plasma Mine", "pup_plasma.tga"},     {"Repulsor", "pup_repulse.tga"},
        {"Fuel Source", "FuelBlockIcon.tga"},
    };
    const std::vector<CRecordingBackend::Quad> pictures = Pictures();
    for (const auto& [label, file] : powerups)
    {
        auto run =
            std::find_if(runs.begin(), runs.end(), [label](const TextRun& r) { return r.text == label; });
        ASSERT_NE(run, runs.end()) << label;
        auto icon = std::find_if(pictures.begin(), pictures.end(),
                                 [&](const CRecordingBackend::Quad& q) {
                                     return q.state.texturing && PixelsOf(q.state.texture) == PixelsOf(file);
                                 });
        ASSERT_NE(icon, pictures.end()) << file;
        const Box box = BoxOf(*icon);
        EXPECT_LE(box.right, run->x) << label;
        EXPECT_TRUE(box.bottom <= run->y && run->y <= box.top) << label;
    }
    // The sample gauge: a white frame around a black inside, partly blue.
    std::vector<Box> gauge;
    for (const CRecordingBackend::Quad& quad : pictures)
        if (!quad.state.texturing)
            gauge.push_back(BoxOf(quad));
    ASSERT_EQ(gauge.size(), 3u);
    EXPECT_TRUE(gauge[0].left < gauge[1].left && gauge[1].right < gauge[0].right);
    EXPECT_TRUE(gauge[0].bottom < gauge[1].bottom && gauge[1].top < gauge[0].top);
    EXPECT_EQ(gauge[2].left, gauge[1].left);
    EXPECT_LT(gauge[2].right, gauge[1].right);
}

TEST_F(MenuLayoutTest, CreditsNameEveryMapWithHeadingsInGreen)
{
    CCreditsScreen screen(m_context);
    std::vector<TextRun> runs = DrawFrame(screen);
    EXPECT_EQ(runs.front().text, "Quorvex!");
    EXPECT_EQ(runs.front().colour, kGreen);
    EXPECT_GE(InColour(runs, kGreen).size(), 8u);
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(QUORVEX_SOURCE_DIR) + "/data/Maps"))
    {
        if (entry.path().extension() != ".smp")
            continue;
        const std::string map = entry.path().stem().string() + ": ";
        EXPECT_NE(std::find_if(runs.begin(), runs.end(),
                               [&](const TextRun& run)
                               { return run.text.rfind(map, 0) == 0 && run.colour == kWhite; }),
                  runs.end())
            << map;
    }
    // The ship and powerup pictures are loaded for the game; none is drawn.
    EXPECT_EQ(screen.GetTextureCount(), 15);
    EXPECT_TRUE(Pictures().empty());
}

TEST_F(MenuLayoutTest, AddressEntryShowsTheTypedTextUnderItsHeading)
{
    CAddressEntry entry(m_context);
    std::vector<TextRun> runs = DrawFrame(entry);
    for (char c : std::string("10.0.0.17x\b"))
        entry.OnChar(c);
    std::vector<TextRun> typed = DrawFrame(entry);
    ASSERT_EQ(typed.size(), runs.size() + 1);
    EXPECT_EQ(typed[1].text, "10.0.0.17");
    EXPECT_EQ(typed[1].colour, kWhite);
    EXPECT_EQ(typed[0].colour, kGreen) << "the heading above it";
    char text[8];
    entry.GetText(text, sizeof text);
    EXPECT_STREQ(text, "10.0.0.") << "cut, and still terminated";
}
