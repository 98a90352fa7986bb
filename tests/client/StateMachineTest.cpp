// The screen-state machine: window events in every state, F9 from every
// screen loop, and the states that end the program. Settings go to a
// temporary config folder; drawing goes to the recording backend.
#include "client/ClientMain.h"
#include "client/ClientState.h"
#include "client/GLDisplay.h"
#include "client/Input.h"
#include "client/ScreenLoops.h"
#include "client/WindowProc.h"
#include "client/menus/AddressEntry.h"
#include "client/menus/MainMenu.h"
#include "client/menus/OptionsMenu.h"
#include "client/menus/ServerBrowser.h"
#include "gfx/RecordingBackend.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
using platform::WindowEvent;

class HeldKeys : public platform::IInputDevices
{
public:
    std::vector<int> held;
    bool HasKeyboard() const override { return true; }
    bool HasMouse() const override { return false; }
    bool ReadKeyboard(uint8_t (&state)[platform::kKeyCodeCount]) override
    {
        for (int code : held)
            state[code] = platform::kKeyDown;
        return true;
    }
    bool ReadMouse(platform::MouseState&) override { return false; }
};

constexpr int kF9 = 0x43;

class ScreenStates : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", m_config.Path().c_str(), 1);
        SetRenderBackend(&m_backend);
        ResetClientState();
        CGLDisplay::Get().SetModeSource(
            [] {
                return std::vector<platform::RawVideoMode>{{1024, 768, 24, 8, 0}, {1280, 1024, 32, 8, 60}};
            });
        CInput::Get().Init(&m_keys);
        CInput::Get().SetMode(kKeyboardModeGame);
        CServerBrowser::Get().Clear();
        COptionsMenu::Get().SetText("");
        COptionsMenu::Get().SetShipType(0);
        COptionsMenu::Get().SetResolution(1024, 768, 32, 60);
        CAddressEntry::Get().SetText("");
        while (CMainMenu::Get().GetSelected() != 1)
            CMainMenu::Get().Next();
    }

    void TearDown() override
    {
        CInput::Destroy();
        CGLDisplay::Destroy();
        SetRenderBackend(nullptr);
        unsetenv("XDG_CONFIG_HOME");
    }

    static void Key(int key) { ClientWndProc({WindowEvent::Type::KeyDown, 0, 0, key}); }
    static void Char(char c) { ClientWndProc({WindowEvent::Type::Char, 0, 0, 0, c}); }
    static void Type(const std::string& text)
    {
        for (char c : text)
            Char(c);
    }
    // State after one event in `from`.
    static int After(int from, void (*event)())
    {
        g_screenState = from;
        event();
        return g_screenState;
    }
    bool SettingsWritten() const { return std::filesystem::exists(m_config.File("Tessaloon")); }

    testing_support::TempDir m_config;
    CRecordingBackend m_backend;
    HeldKeys m_keys;
};
} // namespace

TEST_F(ScreenStates, LettersAndEscapeLeadToTheMainMenu)
{
    for (int state :
         {SCREEN_INTRO, SCREEN_INSTRUCTIONS, SCREEN_CREDITS, SCREEN_LAN_BROWSER, SCREEN_INTERNET_BROWSER})
    {
        EXPECT_EQ(After(state, [] { Char('x'); }), SCREEN_MAIN_MENU) << state;
        EXPECT_EQ(After(state, [] { Key(platform::kVkEscape); }), SCREEN_MAIN_MENU) << state;
    }
    for (int state : {SCREEN_ADDRESS_ENTRY, SCREEN_GAME, SCREEN_OPTIONS})
        EXPECT_EQ(After(state, [] { Key(platform::kVkEscape); }), SCREEN_MAIN_MENU) << state;
    EXPECT_EQ(After(SCREEN_MAIN_MENU, [] { Key(platform::kVkEscape); }), SCREEN_MAIN_MENU);
    EXPECT_EQ(After(SCREEN_INTRO, [] { Char('#'); }), SCREEN_INTRO) << "not an accepted character";
    EXPECT_EQ(After(SCREEN_INTRO, [] { Char('\t'); }), SCREEN_INTRO);
    EXPECT_EQ(After(SCREEN_GAME, [] { Char('x'); }), SCREEN_GAME) << "no line is being typed";
}

TEST_F(ScreenStates, MainMenuItems)
{
    const int expected[] = {SCREEN_LAN_BROWSER, SCREEN_ADDRESS_ENTRY, SCREEN_INSTRUCTIONS, SCREEN_OPTIONS,
                            SCREEN_CREDITS};
    for (int item = 1; item <= 5; ++item)
    {
        g_screenState = SCREEN_MAIN_MENU;
        ASSERT_EQ(CMainMenu::Get().GetSelected(), item);
        Char('\r');
        EXPECT_EQ(g_screenState, expected[item - 1]) << "item " << item;
        Key(platform::kVkDown); // ignored outside the main menu
        g_screenState = SCREEN_MAIN_MENU;
        Key(platform::kVkDown);
    }
    EXPECT_EQ(CMainMenu::Get().GetSelected(), CMainMenu::kQuit);
    Char('q');
    EXPECT_FALSE(g_quit) << "only carriage return acts";
    Char('\r');
    EXPECT_TRUE(g_quit);
    Key(platform::kVkDown);
    EXPECT_EQ(CMainMenu::Get().GetSelected(), 1) << "Down on Quit wraps";
    Key(platform::kVkUp);
    EXPECT_EQ(CMainMenu::Get().GetSelected(), CMainMenu::kQuit) << "Up on the first item wraps";
}

TEST_F(ScreenStates, BrowserStartsTheGameOnlyWithServers)
{
    EXPECT_EQ(After(SCREEN_LAN_BROWSER, [] { Char('\r'); }), SCREEN_LAN_BROWSER) << "empty list";
    COptionsMenu::Get().SetText(std::string(200, 'n').c_str());
    COptionsMenu::Get().SetShipType(3);
    CServerBrowser::Get().AddServer("Alpha", 4, 1);
    CServerBrowser::Get().AddServer("Bravo", 8, 2);
    g_screenState = SCREEN_INTRO;
    Key(platform::kVkDown); // only acts in a browser state
    g_screenState = SCREEN_INTERNET_BROWSER;
    Key(platform::kVkDown);
    Char('\r');
    EXPECT_EQ(g_screenState, SCREEN_GAME);
    EXPECT_STREQ(g_serverName, "Bravo");
    EXPECT_EQ(g_shipType, 3);
    EXPECT_EQ(std::string(g_playerName), std::string(127, 'n')) << "at most 127 characters";
}

TEST_F(ScreenStates, AddressEntryTypesAndAsks)
{
    g_screenState = SCREEN_ADDRESS_ENTRY;
    Type("127.0.0.2x\b");
    char text[64];
    CAddressEntry::Get().GetText(text, sizeof text);
    EXPECT_STREQ(text, "127.0.0.2");
    Char('\r');
    EXPECT_EQ(g_screenState, SCREEN_INTERNET_BROWSER);
}

TEST_F(ScreenStates, OptionsKeepEditsOnEscapeAndSaveOnReturn)
{
    g_screenState = SCREEN_OPTIONS;
    Type("Acex\b");
    Key(platform::kVkRight);
    Key(platform::kVkEscape);
    EXPECT_EQ(g_screenState, SCREEN_MAIN_MENU);
    EXPECT_FALSE(SettingsWritten()) << "Escape saves nothing";

    g_screenState = SCREEN_OPTIONS; // the next visit shows the edits
    char name[32];
    COptionsMenu::Get().GetText(name, sizeof name);
    EXPECT_STREQ(name, "Ace");
    EXPECT_EQ(COptionsMenu::Get().GetShipSelection(), 2);
    Char('\r');
    EXPECT_EQ(g_screenState, SCREEN_MAIN_MENU);
    EXPECT_TRUE(SettingsWritten());
    EXPECT_STREQ(g_playerName, "Ace");
    EXPECT_EQ(g_shipType, 5);
}

TEST_F(ScreenStates, SavedNewResolutionSwitchesTheMode)
{
    g_screenState = SCREEN_OPTIONS;
    CGLDisplay::Get().EnumerateModes();
    Key(platform::kVkDown); // 1024x768 -> 1280x1024
    Char('\r');
    EXPECT_EQ(g_resWidth, 1280);
    EXPECT_EQ(g_windowWidth, 1280);
    EXPECT_EQ(g_windowHeight, 1024);
    EXPECT_EQ(CGLDisplay::Get().GetWidth(), 1280);
}

TEST_F(ScreenStates, F9EndsEveryScreenButNotWhileTyping)
{
    m_keys.held = {kF9};
    for (int state :
         {SCREEN_INTRO, SCREEN_MAIN_MENU, SCREEN_OPTIONS, SCREEN_ADDRESS_ENTRY, SCREEN_INSTRUCTIONS,
          SCREEN_CREDITS, SCREEN_LAN_BROWSER, SCREEN_INTERNET_BROWSER, SCREEN_GAME})
    {
        g_quit = false;
        g_screenState = state;
        EXPECT_TRUE(RunCurrentScreen());
        EXPECT_TRUE(g_quit) << state;
    }
    g_quit = false;
    CInput::Get().SetMode(kKeyboardModeText);
    EXPECT_FALSE(PollQuitKey());
    EXPECT_FALSE(g_quit);
}

TEST_F(ScreenStates, UnknownStatesEndTheProgram)
{
    for (int state : {1, 5, 11, -1})
    {
        g_quit = false;
        g_screenState = state;
        EXPECT_FALSE(RunCurrentScreen());
        RunScreens();
        EXPECT_TRUE(g_quit) << state;
    }
}

TEST_F(ScreenStates, WindowEvents)
{
    ClientWndProc({WindowEvent::Type::Size, 800, 600});
    EXPECT_EQ(g_windowWidth, 800);
    EXPECT_EQ(g_windowHeight, 600);
    ClientWndProc({WindowEvent::Type::Destroy});
    EXPECT_TRUE(g_quit);
    EXPECT_FALSE(CInput::Exists());
}

TEST(ClientOptions, CommandLine)
{
    std::string printed;
    auto parse = [&printed](std::vector<std::string> args)
    {
        ResetClientState();
        args.insert(args.begin(), "QuorvexClient");
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        int status = ParseClientOptions(static_cast<int>(argv.size()), argv.data());
        printed = testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        return status;
    };
    EXPECT_EQ(parse({"--windowed", "--no-vsync", "--port", "4000", "--connect", "10.0.0.9"}), -1);
    EXPECT_EQ(g_options.windowedOverride, 1);
    EXPECT_FALSE(g_options.vsync);
    EXPECT_EQ(g_options.port, 4000);
    EXPECT_EQ(g_options.connectHost, "10.0.0.9");
    EXPECT_EQ(parse({"--windowed", "--fullscreen"}), -1);
    EXPECT_EQ(g_options.windowedOverride, 0) << "the last choice wins";
    EXPECT_EQ(parse({"--help"}), 0);
    EXPECT_NE(printed.find("--version"), std::string::npos) << "the help lists --version";
    EXPECT_EQ(parse({"--windowed", "--version", "--port", "0"}), 0) << "--version ends before later options";
    EXPECT_EQ(printed, "QuorvexClient 1.02\n");
    for (std::vector<std::string> bad : {std::vector<std::string>{"--port"},
                                         {"--port", "0"},
                                         {"--port", "70000"},
                                         {"--port", "12x"},
                                         {"--connect"},
                                         {"--connect", ""},
                                         {"-name"},
                                         {"x"}})
        EXPECT_EQ(parse(bad), 2) << bad[0];
    ResetClientState();
}
