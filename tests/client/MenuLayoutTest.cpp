// The menu screens as a player sees them, drawn through the recording
// backend with the shipped font and pictures on a 1024 x 768 screen (the
// controls and the instructions' keys also on narrower ones): every
// text in the font, on screen, clear of other text and of the pictures, and
// centred where the menus centre it; the highlighted line is the selected
// one and follows the selection; each screen shows what it is for.
#include "client/ClientContext.h"
#include "client/controls/InputNames.h"
#include "client/menus/AddressEntry.h"
#include "client/menus/ControlsScreen.h"
#include "client/menus/CreditsScreen.h"
#include "client/menus/InstructionsScreen.h"
#include "client/menus/MainMenu.h"
#include "client/menus/OptionsMenu.h"
#include "client/menus/ServerBrowser.h"
#include "common/Version.h"
#include "game/Ship.h"
#include "tests/client/ShippedDrawing.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace
{
const Box kScreen{-512, -384, 512, 384};
const Box kSmallScreen{-400, -300, 400, 300};
// The instructions need more than 600 units of height: the narrowest
// window they are read in.
const Box kNarrowScreen{-400, -384, 400, 384};

// The display modes the options screen lists (which of the system's modes
// it lists is the display's business, tested with the other devices).
std::vector<platform::RawVideoMode> FakeModes()
{
    return {{1024, 768, 32, 8, 60}, {1280, 1024, 16, 5, 60}, {1600, 1200, 32, 8, 60}, {1024, 768, 32, 8, 60}};
}

// The run whose text starts with `start` (all of it when `whole`).
const TextRun* Find(const std::vector<TextRun>& runs, const std::string& start, bool whole = false)
{
    auto found = std::find_if(runs.begin(), runs.end(),
                              [&](const TextRun& run)
                              { return whole ? run.text == start : run.text.rfind(start, 0) == 0; });
    return found == runs.end() ? nullptr : &*found;
}

class MenuLayoutTest : public ::testing::Test
{
protected:
    // One frame of `screen` on `area` (1024 x 768 unless given); its text.
    std::vector<TextRun> DrawFrame(CMenuScreen& screen, const Box& area = kScreen)
    {
        m_area = area;
        m_backend.ClearFrame();
        screen.SetSize(area.Width(), area.top - area.bottom);
        EXPECT_TRUE(screen.Draw(0, 0));
        EXPECT_EQ(m_backend.FrontFill(), PolygonFill::Fill);
        EXPECT_EQ(m_backend.BackFill(), PolygonFill::Line);
        return ReadText(m_backend);
    }

    // What every menu frame owes the player: text in the font, on screen,
    // clear of other text and of the pictures; centred where asked.
    void ExpectReadable(const std::vector<TextRun>& runs, bool centred) const
    {
        EXPECT_FALSE(runs.empty());
        std::vector<Box> texts, shapes = PlainBoxes(m_backend);
        for (const TextRun& run : runs)
        {
            EXPECT_EQ(run.text.find_first_of("_#"), std::string::npos) << "not in the font: " << run.text;
            EXPECT_TRUE(!centred || run.x == -5.0f * float(run.text.size())) << "not centred: " << run.text;
            texts.push_back(run.Area());
        }
        for (const CRecordingBackend::Quad& picture : Pictures(m_backend))
            shapes.push_back(BoxOf(picture));
        for (size_t i = 0; i < texts.size(); ++i)
        {
            EXPECT_TRUE(m_area.Contains(texts[i])) << runs[i].text;
            for (size_t j = i + 1; j < texts.size(); ++j)
                EXPECT_FALSE(texts[i].Overlaps(texts[j])) << runs[i].text << " / " << runs[j].text;
            for (const Box& shape : shapes)
                EXPECT_FALSE(texts[i].Overlaps(shape)) << runs[i].text;
        }
        for (const Box& shape : shapes)
            EXPECT_TRUE(m_area.Contains(shape));
    }

    // Gives `action` exactly the keys named.
    void BindKeys(KeyAction action, const std::vector<const char*>& names)
    {
        CBindings bindings = m_context.input.Bindings();
        bindings.Clear(action);
        for (const char* name : names)
            EXPECT_TRUE(bindings.Bind(action, InputNamed(name).value_or(0)).bound) << name;
        m_context.input.SetBindings(bindings);
    }

    CShippedDrawing m_drawing;
    CRecordingBackend& m_backend = m_drawing.backend;
    CClientContext m_context{FakeModes, [] { return platform::VideoMode{2560, 1440, 32, 60}; }};
    Box m_area = kScreen;
};
} // namespace

TEST_F(MenuLayoutTest, EveryScreenIsReadableAndCentred)
{
    COptionsMenu options(m_context);
    options.SetText("Ace");
    CAddressEntry address(m_context);
    for (char c : std::string("10.0.0.17x\b"))
        address.OnChar(c);
    CServerBrowser browser(m_context, options, nullptr);
    browser.AddServer(std::string(50, 'N').c_str(), 15, 7); // the longest name the list lines up
    CMainMenu menu(m_context);
    CCreditsScreen credits(m_context);
    for (CMenuScreen* screen : std::vector<CMenuScreen*>{&menu, &options, &address, &browser, &credits})
    {
        SCOPED_TRACE(int(screen->Id()));
        ExpectReadable(DrawFrame(*screen), true);
    }
    std::vector<TextRun> runs = DrawFrame(address);
    EXPECT_EQ(runs[0].colour, kGreen) << "the heading, and under it what was typed";
    EXPECT_EQ(runs[1], (TextRun{"10.0.0.17", -45, runs[1].y, kWhite}));
}

TEST_F(MenuLayoutTest, MainMenuHighlightsTheItemReturnOpens)
{
    CMainMenu menu(m_context);
    const std::pair<std::string, ScreenId> opens[] = {{"Join a LAN Game", ScreenId::LanBrowser},
                                                      {"Join an Internet Game", ScreenId::InternetBrowser},
                                                      {"Instructions", ScreenId::Instructions},
                                                      {"Options", ScreenId::Options},
                                                      {"Credits", ScreenId::Credits}};
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
    EXPECT_TRUE(Find(DrawFrame(menu), version, true));
}

TEST_F(MenuLayoutTest, BrowserListsServersAndHighlightsTheSelectedOne)
{
    COptionsMenu options(m_context);
    CServerBrowser browser(m_context, options, nullptr);
    browser.SetSearching(true);
    std::vector<TextRun> runs = DrawFrame(browser);
    ExpectReadable(runs, true);
    EXPECT_EQ(runs[1].text, "Searching for hosts, please wait...");
    browser.SetSearching(false);
    runs = DrawFrame(browser);
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
    EXPECT_TRUE(green[1].text.starts_with("Alpha ")) << green[1].text;
    EXPECT_NE(green[1].text.find(" 07/15      - "), std::string::npos) << "players/limit, no ping measured";
    ASSERT_EQ(m_backend.Lines().size(), 1u) << "the rule under the header";
    const CRecordingBackend::Line& rule = m_backend.Lines()[0];
    EXPECT_TRUE(runs[1].y > rule.from.y && rule.from.y > green[1].y + kGlyphHeight);
    EXPECT_EQ(rule.from.x, runs[1].x);
    EXPECT_EQ(rule.to.x, runs[1].x + kGlyphWidth * float(runs[1].text.size()));

    browser.OnKey(platform::kVkDown);
    EXPECT_TRUE(Find(InColour(DrawFrame(browser), kGreen), "Beta Arena"));
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

    const std::vector<CRecordingBackend::Quad> pictures = Pictures(m_backend);
    ASSERT_EQ(pictures.size(), 7u) << "six ships and the shield";
    options.SetShipType(0);
    for (size_t i = 0; i < 6; options.NextShip(), ++i)
    {
        EXPECT_FALSE(PixelsOf(m_backend, pictures[i].state.texture).empty());
        EXPECT_EQ(PixelsOf(m_backend, pictures[i].state.texture),
                  PixelsOf(m_backend, CShip::TextureName(options.GetShipType())))
            << i;
        EXPECT_TRUE(i == 0 || BoxOf(pictures[i - 1]).right <= BoxOf(pictures[i]).left) << "left to right";
    }
    EXPECT_EQ(PixelsOf(m_backend, pictures[6].state.texture), PixelsOf(m_backend, "shield.tga"));
    EXPECT_EQ(BoxOf(pictures[6]).CentreX(), BoxOf(pictures[5]).CentreX()) << "over the chosen, sixth ship";

    std::string modes;
    for (const TextRun& run : runs)
        modes += run.text.size() == 12 && run.text[4] == 'x' ? run.text + "|" : "";
    EXPECT_EQ(modes, "1024x 768x32|1280x1024x16|1600x1200x32|1024x 768x32|");
    const auto heading =
        std::find_if(runs.begin(), runs.end(), [](auto& run) { return run.text == "Resolutions"; });
    ASSERT_TRUE(heading != runs.end() && heading + 1 != runs.end());
    EXPECT_EQ(heading[1].text, "Desktop (2560 x 1440)") << "the desktop's own mode comes first";
    ASSERT_EQ(InColour(runs, kGreen).size(), 5u) << "four headings and the chosen mode";
    EXPECT_EQ(InColour(runs, kGreen)[2].text, "Sound Volume 7 of 10");
    EXPECT_EQ(InColour(runs, kGreen)[4].text, "1280x1024x16");
    options.OnKey(platform::kVkDown);
    options.OnKey(platform::kVkPageUp);
    EXPECT_EQ(InColour(DrawFrame(options), kGreen)[4].text, "1600x1200x32");
    EXPECT_EQ(InColour(DrawFrame(options), kGreen)[2].text, "Sound Volume 8 of 10");
    options.SetResolution(1024, 768, 32, 60);
    EXPECT_EQ(options.GetResolutionIndex(), 4) << "the last matching mode, after the desktop's line";
    options.OnKey(platform::kVkDown);
    EXPECT_EQ(options.GetResolutionIndex(), 0) << "Down on the last mode wraps to the desktop's";
    EXPECT_EQ(InColour(DrawFrame(options), kGreen)[4].text, "Desktop (2560 x 1440)");
    options.OnKey(platform::kVkUp);
    options.SetResolution(1600, 1200, 32, 0);
    EXPECT_EQ(options.GetResolutionIndex(), 4) << "Up on the first wraps; refresh 0 selects nothing";

    // Pictures that cannot be read are white squares.
    testing_support::TempDir empty;
    CShippedDrawing::UseData(empty.Path());
    COptionsMenu unreadable(m_context);
    DrawFrame(unreadable);
    const std::vector<Box> squares = PlainBoxes(m_backend, &kWhite);
    EXPECT_EQ(squares.size(), 7u);
    EXPECT_TRUE(
        std::all_of(squares.begin(), squares.end(), [](const Box& box) { return box.Width() == 32; }));
    EXPECT_TRUE(m_backend.CurrentState().texturing) << "text after a missing picture needs texturing";
}

TEST_F(MenuLayoutTest, InstructionsNameThePlayersKeysAndShowEachPowerup)
{
    CInstructionsScreen screen(m_context);
    std::vector<TextRun> runs = DrawFrame(screen);
    // The designed keys: each action's is explained, but the outlines' (for developers).
    for (const BindableAction& bindable : kBindableActions)
        EXPECT_TRUE(bindable.action == KEY_TOGGLE_OUTLINES ||
                    Find(runs, InputName(m_context.input.Bindings().InputsOf(bindable.action)[0]) + " "))
            << bindable.label;

    // Each line shows the first one or two of its action's keys, as many
    // as fit, spelled out where the font has no character; pad controls
    // are not keys.
    struct Row
    {
        KeyAction action;
        std::vector<const char*> keys;
        std::string shown;
    };
    const Row rows[] = {{KEY_THRUST, {"Right Ctrl", "Up", "W"}, "Right Ctrl, Up"},
                        {KEY_TURN_LEFT, {"Right Shift", "Left Shift"}, "Right Shift"},
                        {KEY_FIRE_BULLET, {"Keypad *"}, "Keypad Star"},
                        {KEY_FUEL_UP, {";"}, "Semicolon"},
                        {KEY_CHAT, {"T", "'"}, "T, '"},
                        {KEY_SHIELDS, {"Pad B"}, "(none)"}};
    for (const Row& row : rows)
        BindKeys(row.action, row.keys);
    runs = DrawFrame(screen, kNarrowScreen);
    ExpectReadable(runs, false);
    for (const Row& row : rows)
    {
        const TextRun* line = Find(runs, row.shown + " ");
        const std::string label = FindBindable(row.action)->label;
        ASSERT_TRUE(line) << label;
        EXPECT_EQ(line->text.substr(line->text.size() - label.size()), label);
    }
    EXPECT_FALSE(Find(runs, "K ")) << "the thrust key is no longer K";
    BindKeys(KEY_TOGGLE_MUTE, {"Right Alt"});
    EXPECT_TRUE(Find(DrawFrame(screen, kNarrowScreen), "Right... ")) << "the sound's key column is narrow";
    EXPECT_TRUE(Find(runs, "F9 ") && Find(runs, "ESC ")) << "the keys no one binds";

    // Each powerup's picture sits on its label's line, left of it.
    std::istringstream powerups(
        "Cloaking Device=cloak|Extra Fuel Tank=tank|Full Fuel=fuel|Triple Shot=triple|"
        "Homing Missile=missile|Mine=mine|Plasma Mine=plasma|Repulsor=repulse|");
    for (std::string label, icon; std::getline(powerups, label, '=') && std::getline(powerups, icon, '|');)
    {
        const TextRun* run = Find(runs, label, true);
        const std::vector<Box> shown = PicturesShowing(m_backend, "pup_" + icon + ".tga");
        ASSERT_TRUE(run && shown.size() == 1) << label;
        EXPECT_TRUE(shown[0].right <= run->x && shown[0].bottom <= run->y && run->y <= shown[0].top) << label;
    }
    EXPECT_EQ(PicturesShowing(m_backend, "FuelBlockIcon.tga").size(), 1u) << "beside \"Fuel Source\"";
}

TEST_F(MenuLayoutTest, CreditsNameEveryMapWithHeadingsInGreen)
{
    CCreditsScreen screen(m_context);
    std::vector<TextRun> runs = DrawFrame(screen);
    EXPECT_EQ(runs.front(), (TextRun{"Quorvex!", -40, runs.front().y, kGreen}));
    EXPECT_GE(InColour(runs, kGreen).size(), 8u);
    for (const auto& map :
         std::filesystem::directory_iterator(std::string(QUORVEX_SOURCE_DIR) + "/data/Maps"))
    {
        const TextRun* credit = Find(runs, map.path().stem().string() + ": ");
        EXPECT_TRUE(map.path().extension() != ".smp" || (credit && credit->colour == kWhite)) << map.path();
    }
    // The ship and powerup pictures are loaded for the game; none is drawn.
    EXPECT_EQ(screen.GetTextureCount(), 15);
    EXPECT_TRUE(Pictures(m_backend).empty());
}

TEST_F(MenuLayoutTest, ControlsHighlightTheSelectedLineAndFitTheSmallestScreen)
{
    CControlsScreen controls(m_context);
    // Walking down: each action's label in the list's order, then the three
    // presets, one highlighted line at a time, top to bottom, and round.
    float previousY = kScreen.top;
    for (size_t line = 0; line < size_t(CControlsScreen::kLineCount);
         ++line, controls.OnKey(platform::kVkDown))
    {
        std::vector<TextRun> green = InColour(DrawFrame(controls), kGreen);
        const bool onAction = line < kBindableActions.size();
        ASSERT_EQ(green.size(), onAction ? 3u : 2u) << "the heading, label, inputs";
        EXPECT_TRUE(!onAction || green[1].text == kBindableActions[line].label) << green[1].text;
        EXPECT_LT(green[1].y, previousY) << line;
        previousY = green[1].y;
    }
    EXPECT_EQ(controls.GetSelected(), 0) << "Down on the last line wraps";

    // The longest label with more inputs than its line holds, and the
    // prompt while the screen listens for its key.
    BindKeys(KEY_CLOAK, {"Right Ctrl", "Right Shift", "PageDown", "PageUp", "Insert", "Delete", "Home"});
    for (int line = 0; line < 5; ++line)
        controls.OnKey(platform::kVkDown);
    ASSERT_EQ(kBindableActions[5].action, KEY_CLOAK);
    controls.OnChar('\r');
    for (const Box& screen : {kScreen, kSmallScreen})
    {
        std::vector<TextRun> runs = DrawFrame(controls, screen);
        ExpectReadable(runs, false);
        std::vector<TextRun> green = InColour(runs, kGreen);
        ASSERT_EQ(green.size(), 4u) << "the heading, label, inputs and prompt";
        EXPECT_EQ(green[2].text.substr(green[2].text.size() - 3), "...") << "cut where the line ends";
        EXPECT_NE(green[3].text.find(kBindableActions[5].label), std::string::npos) << green[3].text;
    }
}
