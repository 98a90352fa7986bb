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
#include "tests/client/FrameReading.h"
#include "tests/client/ShippedDrawing.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace
{
const RenderColour kGreen{0, 1, 0, 1};
const RenderColour kWhite{1, 1, 1, 1};
const Box kScreen{-512, -384, 512, 384};

// Fake system display modes: the options screen lists 1024x768x32,
// 1280x1024x16, 1600x1200x32 (24 bits at an unknown rate count as 32 at
// 60 Hz) and 1024x768x32 again; 800 x 600 and 75 Hz are not offered.
std::vector<platform::RawVideoMode> FakeModes()
{
    return {{1024, 768, 32, 8, 60}, {800, 600, 32, 8, 60},  {1280, 1024, 16, 5, 60},
            {1600, 1200, 24, 8, 0}, {1152, 864, 32, 8, 75}, {1024, 768, 32, 8, 60}};
}

const TextRun* Find(const std::vector<TextRun>& runs, const std::function<bool(const TextRun&)>& wanted)
{
    auto found = std::find_if(runs.begin(), runs.end(), wanted);
    return found == runs.end() ? nullptr : &*found;
}

bool StartsWith(const std::string& text, const std::string& start)
{
    return text.rfind(start, 0) == 0;
}

class MenuLayoutTest : public ::testing::Test
{
protected:
    // One frame of `screen` on the 1024 x 768 screen; its text.
    std::vector<TextRun> DrawFrame(CMenuScreen& screen)
    {
        m_backend.ClearFrame();
        screen.SetSize(kScreen.Width(), kScreen.top - kScreen.bottom);
        EXPECT_TRUE(screen.Draw(0, 0));
        EXPECT_EQ(m_backend.FrontFill(), PolygonFill::Fill);
        EXPECT_EQ(m_backend.BackFill(), PolygonFill::Line);
        return ReadTextRuns(m_backend, Font());
    }

    static uint32_t Font() { return GetGraphics().GetTexture("Font2.tga")->GetGLName(); }

    // The glyphs, or every other quad (pictures and plain shapes).
    std::vector<Box> Boxes(bool glyphs) const
    {
        std::vector<Box> found;
        for (const CRecordingBackend::Quad& quad : m_backend.Quads())
            if ((quad.state.texture == Font() && quad.state.texturing) == glyphs)
                found.push_back(BoxOf(quad));
        return found;
    }
    std::vector<CRecordingBackend::Quad> Pictures() const
    {
        std::vector<CRecordingBackend::Quad> found;
        for (const CRecordingBackend::Quad& quad : m_backend.Quads())
            if (quad.state.texturing && quad.state.texture != Font())
                found.push_back(quad);
        return found;
    }

    // What every menu frame owes the player: text in the font, on screen,
    // clear of other text and of the pictures; centred where asked.
    void ExpectReadable(const std::vector<TextRun>& runs, bool centred) const
    {
        EXPECT_FALSE(runs.empty());
        for (const TextRun& run : runs)
        {
            EXPECT_EQ(run.text.find_first_of("_#"), std::string::npos) << "not in the font: " << run.text;
            EXPECT_TRUE(!centred || run.x == -5.0f * float(run.text.size())) << "not centred: " << run.text;
        }
        const std::vector<Box> glyphs = Boxes(true), shapes = Boxes(false);
        for (size_t i = 0; i < glyphs.size(); ++i)
        {
            EXPECT_TRUE(kScreen.Contains(glyphs[i])) << glyphs[i].left << ", " << glyphs[i].bottom;
            for (size_t j = i + 1; j < glyphs.size(); ++j)
                EXPECT_FALSE(glyphs[i].Overlaps(glyphs[j])) << glyphs[i].left << ", " << glyphs[i].bottom;
            for (const Box& shape : shapes)
                EXPECT_FALSE(glyphs[i].Overlaps(shape)) << glyphs[i].left << ", " << glyphs[i].bottom;
        }
        for (const Box& shape : shapes)
            EXPECT_TRUE(kScreen.Contains(shape));
    }

    const std::vector<uint8_t>& Pixels(uint32_t texture) const { return PixelsOf(m_backend, texture); }
    const std::vector<uint8_t>& Pixels(const char* file) const
    {
        return Pixels(GetGraphics().GetTexture(file)->GetGLName());
    }

    CShippedDrawing m_drawing;
    CRecordingBackend& m_backend = m_drawing.backend;
    CClientContext m_context{FakeModes};
};
} // namespace

TEST_F(MenuLayoutTest, EveryScreenIsReadableAndCentred)
{
    COptionsMenu options(m_context);
    options.SetText("Ace");
    CAddressEntry address(m_context);
    address.SetText("quorvex.example.org");
    CServerBrowser browser(m_context, options, nullptr);
    browser.AddServer(std::string(50, 'N').c_str(), 15, 7); // the longest name the list lines up
    browser.AddServer("Beta Arena", 3, 0);
    CMainMenu menu(m_context);
    CCreditsScreen credits(m_context);
    CInstructionsScreen instructions(m_context);
    for (CMenuScreen* screen : std::vector<CMenuScreen*>{&menu, &options, &address, &browser, &credits})
    {
        SCOPED_TRACE(int(screen->Id()));
        ExpectReadable(DrawFrame(*screen), true);
    }
    ExpectReadable(DrawFrame(instructions), false);
    browser.Clear();
    browser.SetSearching(true);
    ExpectReadable(DrawFrame(browser), true);
}

TEST_F(MenuLayoutTest, MainMenuHighlightsTheItemReturnOpens)
{
    CMainMenu menu(m_context);
    const std::pair<std::string, ScreenId> opens[] = {
        {"Join a LAN Game", ScreenId::LanBrowser},
        {"Join an Internet Game", ScreenId::AddressEntry},
        {"Instructions", ScreenId::Instructions},
        {"Options", ScreenId::Options},
        {"Credits", ScreenId::Credits},
    };
    float previousY = kScreen.top;
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
    EXPECT_TRUE(Find(DrawFrame(menu), [&](const TextRun& run) { return run.text == version; }));
}

TEST_F(MenuLayoutTest, BrowserListsServersAndHighlightsTheSelectedOne)
{
    COptionsMenu options(m_context);
    CServerBrowser browser(m_context, options, nullptr);
    browser.SetSearching(true);
    EXPECT_EQ(DrawFrame(browser)[1].text, "Searching for hosts, please wait...");
    browser.SetSearching(false);
    std::vector<TextRun> runs = DrawFrame(browser);
    EXPECT_EQ(runs[1].text, "No Servers Found...");
    EXPECT_EQ(InColour(runs, kGreen).size(), 1u) << "the heading only";
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
    EXPECT_TRUE(runs[1].y > rule.from.y && rule.from.y > green[1].y + kGlyphHeight);
    EXPECT_EQ(rule.from.x, runs[1].x);
    EXPECT_EQ(rule.to.x, runs[1].x + kGlyphWidth * float(runs[1].text.size()));

    browser.OnKey(platform::kVkDown);
    EXPECT_TRUE(StartsWith(InColour(DrawFrame(browser), kGreen)[1].text, "Beta Arena"));
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
    for (size_t i = 0; i < 6; ++i)
    {
        options.SetShipType(0);
        for (size_t step = 0; step < i; ++step)
            options.NextShip();
        EXPECT_FALSE(Pixels(pictures[i].state.texture).empty());
        EXPECT_EQ(Pixels(pictures[i].state.texture), Pixels(CShip::TextureName(options.GetShipType()))) << i;
        EXPECT_TRUE(i == 0 || BoxOf(pictures[i - 1]).right <= BoxOf(pictures[i]).left) << "left to right";
    }
    EXPECT_EQ(Pixels(pictures[6].state.texture), Pixels("shield.tga"));
    EXPECT_EQ(BoxOf(pictures[6]).CentreX(), BoxOf(pictures[5]).CentreX()) << "over the chosen, sixth ship";

    std::vector<std::string> listed;
    for (const TextRun& run : runs)
        if (run.text.size() == 12 && run.text[4] == 'x')
            listed.push_back(run.text);
    EXPECT_EQ(listed,
              (std::vector<std::string>{"1024x 768x32", "1280x1024x16", "1600x1200x32", "1024x 768x32"}));
    ASSERT_EQ(InColour(runs, kGreen).size(), 4u) << "three headings and the chosen mode";
    EXPECT_EQ(InColour(runs, kGreen)[3].text, "1280x1024x16");
    options.OnKey(platform::kVkDown);
    EXPECT_EQ(InColour(DrawFrame(options), kGreen)[3].text, "1600x1200x32");
    options.SetResolution(1024, 768, 32, 60);
    EXPECT_EQ(options.GetResolutionIndex(), 3) << "the last matching mode";
    options.OnKey(platform::kVkDown);
    EXPECT_EQ(options.GetResolutionIndex(), 0) << "Down on the last mode wraps";
    options.OnKey(platform::kVkUp);
    options.SetResolution(1600, 1200, 32, 0);
    EXPECT_EQ(options.GetResolutionIndex(), 3) << "Up on the first wraps; refresh 0 selects nothing";
}

TEST_F(MenuLayoutTest, OptionsModeOffTheListReadsAsZeros)
{
    COptionsMenu options(m_context);
    options.SetResolution(1600, 1200, 32, 60);
    auto chosen = [&options]
    {
        int32_t width, height, depth, refresh;
        options.GetResolution(width, height, depth, refresh);
        return std::vector<int32_t>{width, height, depth, refresh};
    };
    EXPECT_EQ(chosen(), std::vector<int32_t>({1600, 1200, 32, 60}));
    m_context.display.SetModeSource(
        [] {
            return std::vector<platform::RawVideoMode>{{1024, 768, 32, 8, 60}};
        });
    EXPECT_EQ(chosen(), std::vector<int32_t>({0, 0, 0, 0}));
    m_context.display.SetModeSource([] { return std::vector<platform::RawVideoMode>{}; });
    options.NextResolution();
    EXPECT_EQ(chosen(), std::vector<int32_t>({0, 0, 0, 0}));
}

TEST_F(MenuLayoutTest, PicturesThatCannotBeReadAreWhiteSquares)
{
    testing_support::TempDir empty;
    CShippedDrawing::UseData(empty.Path());
    COptionsMenu options(m_context);
    DrawFrame(options);
    int squares = 0;
    for (const CRecordingBackend::Quad& quad : m_backend.Quads())
        if (!quad.state.texturing)
        {
            ++squares;
            EXPECT_EQ(quad.state.colour, kWhite);
            EXPECT_FLOAT_EQ(BoxOf(quad).Width(), 32);
        }
    EXPECT_EQ(squares, 7);
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
        const std::string start = std::string(label) + " ";
        EXPECT_TRUE(Find(runs, [&](const TextRun& run) { return StartsWith(run.text, start); })) << label;
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
        const TextRun* run = Find(runs, [label = label](const TextRun& r) { return r.text == label; });
        auto icon = std::find_if(pictures.begin(), pictures.end(),
                                 [&, file = file](const CRecordingBackend::Quad& q)
                                 { return Pixels(q.state.texture) == Pixels(file); });
        ASSERT_TRUE(run && icon != pictures.end()) << label;
        const Box box = BoxOf(*icon);
        EXPECT_TRUE(box.right <= run->x && box.bottom <= run->y && run->y <= box.top) << label;
    }
    // The sample gauge: a white frame around a black inside, partly blue.
    std::vector<Box> gauge;
    std::vector<RenderColour> colours;
    for (const CRecordingBackend::Quad& quad : m_backend.Quads())
        if (!quad.state.texturing)
            gauge.push_back(BoxOf(quad)), colours.push_back(quad.state.colour);
    EXPECT_EQ(colours, (std::vector<RenderColour>{kWhite, {0, 0, 0, 1}, {0, 0, 1, 1}}));
    ASSERT_EQ(gauge.size(), 3u);
    EXPECT_TRUE(gauge[0].Contains(gauge[1]) && gauge[1].Contains(gauge[2]));
    EXPECT_TRUE(gauge[1].left > gauge[0].left && gauge[1].top < gauge[0].top) << "a frame shows around it";
    EXPECT_LT(gauge[2].right, gauge[1].right);
}

TEST_F(MenuLayoutTest, CreditsNameEveryMapWithHeadingsInGreen)
{
    CCreditsScreen screen(m_context);
    std::vector<TextRun> runs = DrawFrame(screen);
    EXPECT_EQ(runs.front(), TextAt(-40, runs.front().y, kGreen, "Quorvex!"));
    EXPECT_GE(InColour(runs, kGreen).size(), 8u);
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(QUORVEX_SOURCE_DIR) + "/data/Maps"))
    {
        const std::string credit = entry.path().stem().string() + ": ";
        const bool credited = Find(runs, [&](const TextRun& run)
                                   { return StartsWith(run.text, credit) && run.colour == kWhite; });
        EXPECT_TRUE(credited || entry.path().extension() != ".smp") << credit;
    }
    // The ship and powerup pictures are loaded for the game; none is drawn.
    EXPECT_EQ(screen.GetTextureCount(), 15);
    EXPECT_TRUE(Pictures().empty());
}

TEST_F(MenuLayoutTest, AddressEntryShowsTheTypedTextUnderItsHeading)
{
    CAddressEntry entry(m_context);
    const size_t lines = DrawFrame(entry).size();
    for (char c : std::string("10.0.0.17x\b"))
        entry.OnChar(c);
    std::vector<TextRun> typed = DrawFrame(entry);
    ASSERT_EQ(typed.size(), lines + 1);
    EXPECT_EQ(typed[0].colour, kGreen) << "the heading above it";
    EXPECT_EQ(typed[1].text, "10.0.0.17");
    EXPECT_EQ(typed[1].colour, kWhite);
    char text[8];
    entry.GetText(text, sizeof text);
    EXPECT_STREQ(text, "10.0.0.") << "cut, and still terminated";
}
