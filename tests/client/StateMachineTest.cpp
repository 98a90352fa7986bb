// The client around its screens. The screens behind one interface and the
// one dispatch loop: where each screen's keys lead, F9 from every screen, the
// window's own events, the options saved and the game joined, the command
// line, the controls screen binding the key pressed next, idle screens not
// drawn again; each test makes a client of its own (context, screens, window
// procedure, dispatcher). The
// player's settings in the settings store: the exact bytes each value is
// saved as, what loading does with missing, short and long values, and a
// value that cannot be written. The devices as the game reads them: the key
// map and text-entry mode; the keys the game screen sends, the display
// toggles and the frame clock; the display's mode list (the game's filter
// and the Linux normalisation before it), mode changes and projection.
#include "client/ClientMain.h"
#include "client/ClientScreens.h"
#include "client/GLDisplay.h"
#include "client/Input.h"
#include "client/ScreenDispatcher.h"
#include "client/Settings.h"
#include "client/WindowProc.h"
#include "client/controls/ControlsFile.h"
#include "client/game/FrameClock.h"
#include "client/game/GameKeys.h"
#include "common/MessageLog.h"
#include "game/Drawable.h"
#include "game/Ship.h"
#include "game/World.h"
#include "net/Client.h"
#include "net/GameIdentity.h"
#include "platform/Clock.h"
#include "tests/client/ShippedDrawing.h"
#include "tests/session/ServerThread.h"
#include "tests/support/Ports.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

namespace
{
using platform::WindowEvent;

// Keys held as a test sets them; the game reads no mouse.
class FakeDevices : public platform::IInputDevices
{
public:
    bool keyboard = true;
    std::vector<int> held;

    bool HasKeyboard() const override { return keyboard; }
    bool HasMouse() const override { return true; }
    bool ReadKeyboard(uint8_t (&state)[platform::kKeyCodeCount]) override
    {
        for (int code : held)
            state[code] = platform::kKeyDown;
        return true;
    }
    bool ReadMouse(platform::MouseState&) override { return false; }
};

constexpr int kF9 = 0x43, kApostrophe = 0x28, kJ = 0x24, kK = 0x25, kSpace = 0x39, kQ = 0x10, kV = 0x2F,
              kReturn = 0x1C, kUpArrow = 0xC8;

// The loop's time is the game's tick count, so a fake clock moves both.
struct TickTime : CFramePacer::ITime
{
    CFramePacer::Clock::time_point Now() override
    {
        return CFramePacer::Clock::time_point(std::chrono::milliseconds(GetTickCount()));
    }
    void SleepUntil(CFramePacer::Clock::time_point) override {}
};

std::vector<platform::RawVideoMode> FakeModes()
{
    return {{1024, 768, 24, 8, 0}, {1280, 1024, 32, 8, 60}};
}

platform::VideoMode FakeDesktop()
{
    return {1920, 1080, 32, 60};
}

// A whole client but its window, as the program builds it, with settings in
// a folder of the test's own; a search of the local network, should a
// screen make one, stays on loopback.
class ScreenStates : public ::testing::Test
{
protected:
    static constexpr const char* kFolder = "Tessaloon/Quorvex/Settings/";

    void SetUp() override { m_windowProc.HandleWindowEvent({WindowEvent::Type::Create}); }

    void Key(int key) { m_dispatcher.Dispatch({WindowEvent::Type::KeyDown, 0, 0, key}); }
    void Char(char c) { m_dispatcher.Dispatch({WindowEvent::Type::Char, 0, 0, 0, c}); }
    void Type(const std::string& text)
    {
        for (char c : text)
            Char(c);
    }
    void In(ScreenId screen) { m_dispatcher.SetCurrent(screen); }

    bool SettingsWritten() const { return std::filesystem::exists(m_config.File("Tessaloon")); }
    std::string Value(const char* name) const
    {
        return testing_support::ReadFile(m_config.File(std::string(kFolder) + name));
    }
    void WriteValue(const char* name, const std::string& bytes) const
    {
        m_config.Write(std::string(kFolder) + name, bytes);
    }
    size_t StoredCount() const
    {
        const auto values = std::filesystem::directory_iterator(m_config.File(kFolder));
        return size_t(std::distance(begin(values), end(values)));
    }

    testing_support::TempDir m_config;
    testing_support::ScopedEnv m_configHome{"XDG_CONFIG_HOME", m_config.Path().c_str()};
    testing_support::ScopedEnv m_broadcast{"QUORVEX_BROADCAST", "127.255.255.255"};
    CShippedDrawing m_drawing;
    FakeDevices m_keys;
    CClientContext m_context{FakeModes, FakeDesktop};
    CWindowProc m_windowProc{m_context, &m_keys};
    CClientScreens m_screens{m_context};
    CScreenDispatcher m_dispatcher{m_context, m_windowProc, m_screens.All()};
    COptionsMenu& m_options = m_screens.options;
    ClientSettings& m_settings = m_context.settings;
};

TEST_F(ScreenStates, EachScreensKeysLeadToTheDesignedScreen)
{
    using enum ScreenId;
    // Where a letter, Escape and carriage return lead from each screen. A
    // browser with no servers joins nothing; the game has no line open.
    struct Row
    {
        ScreenId from, letter, escape, enter;
    };
    const Row rows[] = {{Intro, MainMenu, MainMenu, MainMenu},
                        {Instructions, MainMenu, MainMenu, MainMenu},
                        {Credits, MainMenu, MainMenu, MainMenu},
                        {LanBrowser, MainMenu, MainMenu, LanBrowser},
                        {InternetBrowser, MainMenu, MainMenu, AddressEntry}, // its first line
                        {AddressEntry, AddressEntry, MainMenu, InternetBrowser},
                        {Options, Options, MainMenu, MainMenu},
                        {MainMenu, MainMenu, MainMenu, LanBrowser},
                        {Game, Game, MainMenu, Game},
                        {Controls, Controls, Options, Controls}};
    auto after = [this](ScreenId from, auto input)
    {
        In(from);
        input();
        return m_dispatcher.GetCurrent();
    };
    for (const Row& row : rows)
    {
        EXPECT_EQ(after(row.from, [&] { Char('x'); }), row.letter) << int(row.from);
        EXPECT_EQ(after(row.from, [&] { Key(platform::kVkEscape); }), row.escape) << int(row.from);
        EXPECT_EQ(after(row.from, [&] { Char('\r'); }), row.enter) << int(row.from);
    }
    for (char refused : {'#', '\t'})
        EXPECT_EQ(after(Intro, [&] { Char(refused); }), Intro) << "not a character the window takes";
    Key(platform::kVkDown);
    EXPECT_EQ(after(MainMenu, [&] { Char('\r'); }), LanBrowser) << "Down acts in the main menu only";
    EXPECT_FALSE(m_context.QuitRequested());
}

// Two servers of one name: the line picked is the server joined.
TEST_F(ScreenStates, BrowserJoinsTheSelectedServerWithTheOptionsShipAndName)
{
    CClientScreens& screens = m_screens;
    screens.options.SetText(std::string(200, 'n').c_str());
    screens.options.SetShipType(3);
    const session::HostAddress second{0x7F000002, 3001};
    screens.internetBrowser.AddServer("Twin", 4, 1, {0x7F000001, 3001});
    screens.internetBrowser.AddServer("Twin", 8, 2, second);
    CServerBrowser::Entry newer;
    newer.version = "9.99";
    newer.otherVersion = true;
    screens.internetBrowser.AddLine(newer);
    In(ScreenId::InternetBrowser);
    Key(platform::kVkUp); // wraps from the type-an-address line to the last
    Char('\r');
    EXPECT_EQ(m_dispatcher.GetCurrent(), ScreenId::InternetBrowser) << "another version is not joined";
    EXPECT_TRUE(screens.internetBrowser.Notice().starts_with("That server plays another version (9.99)"));
    Key(platform::kVkUp);
    Char('\r');
    EXPECT_EQ(m_dispatcher.GetCurrent(), ScreenId::Game);
    const CClientContext& context = m_context;
    EXPECT_EQ(context.server.picked, second);
    EXPECT_EQ(context.server.host, "");
    EXPECT_EQ(context.settings.shipType, 3);
    EXPECT_EQ(std::string(context.settings.playerName), std::string(127, 'n')) << "at most 127 characters";
    EXPECT_FALSE(SettingsWritten()) << "joining saves nothing";
}

// Two servers of one name on one port, at two loopback addresses: picking the
// second line joins the server that line came from, and not the other.
TEST_F(ScreenStates, LanBrowserJoinsTheServerOnThePickedLineOfTwoOfOneName)
{
    using testing_support::ServerThread;
    const uint16_t port = testing_support::FreeUdpPort();
    ServerThread atOne(game_identity::ApplicationGuid(), 8, "Twin", 0x7F000001, port);
    ServerThread atTwo(game_identity::ApplicationGuid(), 8, "Twin", 0x7F000002, port);
    ASSERT_TRUE(atOne.hosted && atTwo.hosted);
    testing_support::ScopedEnv both{"QUORVEX_BROADCAST", "127.0.0.1,127.0.0.2"};
    m_context.options.port = port;
    In(ScreenId::LanBrowser);
    EXPECT_TRUE(m_dispatcher.RunFrame()); // searches
    m_drawing.backend.ClearFrame();
    EXPECT_TRUE(m_dispatcher.RunFrame()); // lists, and rests on the list
    const std::vector<CServerBrowser::Entry>& lines = m_screens.lanBrowser.Entries();
    ASSERT_EQ(lines.size(), 2u);
    const std::vector<TextRun> shown = ReadText(m_drawing.backend);
    EXPECT_EQ(std::count_if(shown.begin(), shown.end(),
                            [](const TextRun& run) { return run.text.starts_with("Twin"); }),
              2);
    ServerThread& picked = lines[1].address.ipv4 == 0x7F000002 ? atTwo : atOne;
    ServerThread& other = &picked == &atTwo ? atOne : atTwo;
    Key(platform::kVkDown);
    Char('\r');
    EXPECT_TRUE(m_dispatcher.RunFrame()); // the game screen joins
    EXPECT_TRUE(m_context.Session().IsConnected());
    // Player 1 is each server's own; the first to join is 2.
    EXPECT_TRUE(testing_support::PollUntil([&] { return picked.Saw("create 2"); },
                                           [this] { m_context.RunSessionSlice(); }));
    EXPECT_FALSE(other.Saw("create 2"));
}

// F9 is held from the start, so the browsers end before they search.
TEST_F(ScreenStates, F9EndsEveryScreenButNotWhileTyping)
{
    m_keys.held = {kF9};
    m_context.input.SetMode(kKeyboardModeText);
    In(ScreenId::Credits);
    EXPECT_TRUE(m_dispatcher.RunFrame());
    EXPECT_FALSE(m_context.QuitRequested());
    m_context.input.SetMode(kKeyboardModeGame);
    for (ScreenId screen : {ScreenId::Intro, ScreenId::MainMenu, ScreenId::Options, ScreenId::AddressEntry,
                            ScreenId::Instructions, ScreenId::Credits, ScreenId::LanBrowser,
                            ScreenId::InternetBrowser, ScreenId::Game, ScreenId::Controls})
    {
        m_context.QuitFlag() = false;
        In(screen);
        EXPECT_FALSE(m_dispatcher.RunFrame()) << int(screen);
        EXPECT_TRUE(m_context.QuitRequested()) << int(screen);
    }
}

// A screen whose picture has not changed is not drawn again: each intro
// caption is drawn once, an idle menu once a visit, and then only after a
// key or a size event.
TEST_F(ScreenStates, IdleScreensDrawOnlyWhenTheirPictureChanges)
{
    platform::FakeClock clock;
    TickTime time;
    CScreenDispatcher dispatcher{m_context, m_windowProc, m_screens.All(), time};
    auto drawnAfter = [&](uint32_t ms)
    {
        clock.Advance(ms);
        m_drawing.backend.ClearFrame();
        EXPECT_TRUE(dispatcher.RunFrame());
        return !m_drawing.backend.Quads().empty();
    };
    EXPECT_TRUE(drawnAfter(0) && !drawnAfter(2999) && drawnAfter(1)) << "the intro's captions";
    drawnAfter(3000);
    EXPECT_TRUE(drawnAfter(0)) << "the main menu's first frame";
    for (const WindowEvent& event : {WindowEvent{WindowEvent::Type::KeyDown, 0, 0, platform::kVkDown},
                                     WindowEvent{WindowEvent::Type::Size, 800, 600}})
    {
        EXPECT_FALSE(drawnAfter(60000)) << "idle";
        dispatcher.Dispatch(event);
        EXPECT_TRUE(drawnAfter(0)) << int(event.type);
    }
    EXPECT_FALSE(drawnAfter(0)) << "once";
    EXPECT_EQ(m_screens.mainMenu.GetSelected(), 2);
}

TEST_F(ScreenStates, AnIdWithoutAScreenAndTheWindowsEvents)
{
    In(static_cast<ScreenId>(5));
    m_dispatcher.Run();
    EXPECT_TRUE(m_context.QuitRequested()) << "an id without a screen ends the program";
    m_context.QuitFlag() = false;
    In(ScreenId::MainMenu);
    m_dispatcher.Dispatch({WindowEvent::Type::Size, 1920, 1080});
    EXPECT_EQ(std::make_pair(m_context.viewSize.width, m_context.viewSize.height), std::make_pair(1365, 768))
        << "laid out in view units";
    m_dispatcher.Dispatch({WindowEvent::Type::Size, 0, 600});
    EXPECT_EQ(m_context.viewSize.width, 1365) << "no empty window";
    m_dispatcher.Dispatch({WindowEvent::Type::Destroy});
    EXPECT_TRUE(m_context.QuitRequested());
    EXPECT_FALSE(m_context.input.IsInitialised());
}

// The game says there is no server at the host; the chat key opens the
// console line, and Escape leaves while typing with the keys given back.
TEST_F(ScreenStates, GameWithNoServerAtTheHostSaysSoAndEscapeLeavesEvenWhileTyping)
{
    CMessageLog& log = CMessageLog::GetConsoleLog();
    log.Clear();
    m_context.options.port = testing_support::FreeUdpPort();
    m_context.server = {std::nullopt, "127.0.0.1"};
    m_context.settings.shipType = 2;
    In(ScreenId::Game);
    EXPECT_TRUE(m_dispatcher.RunFrame());
    const CShip* local = m_screens.game.Session().World()->FirstPlayer();
    EXPECT_TRUE(local->IsLocal() && local->GetShipType() == 2 && local->GetName() == "Player") << "unnamed";
    char line[CMessageLog::kLineSize];
    log.ResetCursor();
    for (const char* newest : {"Press escape to return to the main menu.", "No servers found at 127.0.0.1."})
        EXPECT_TRUE(log.NextLine(line, sizeof line) && std::string(line) == newest) << newest;
    EXPECT_FALSE(m_context.Session().IsConnected());
    m_keys.held = {kApostrophe};
    EXPECT_TRUE(m_dispatcher.RunFrame());
    EXPECT_TRUE(m_context.input.IsTextMode());
    Type("hi");
    Key(platform::kVkEscape);
    EXPECT_TRUE(m_dispatcher.RunFrame());
    EXPECT_EQ(m_dispatcher.GetCurrent(), ScreenId::MainMenu);
    EXPECT_FALSE(m_context.HasSession()) << "leaving the game closes its session";
    EXPECT_FALSE(m_context.input.IsTextMode());
    EXPECT_FALSE(log.IsInputActive());
}

// Tab leaves the options as they are, the volume heard too. On the controls
// screen, the key pressed after carriage return is bound, whether a window
// event comes with it or not; the carriage return itself, typed letters and
// Escape are not; each change is in force and saved at once.
TEST_F(ScreenStates, ControlsFromTheOptionsBindTheKeyPressedNextAndSaveEachChange)
{
    In(ScreenId::Options);
    Type("Ace");
    Key(platform::kVkPageUp);
    Key(platform::kVkTab);
    EXPECT_EQ(m_dispatcher.GetCurrent(), ScreenId::Controls);
    EXPECT_EQ(m_context.sound.Volume(), 8);
    Key(platform::kVkEscape);
    EXPECT_EQ(m_dispatcher.GetCurrent(), ScreenId::Options);
    char name[8];
    m_options.GetText(name, sizeof name);
    EXPECT_STREQ(name, "Ace");

    CControlsScreen& controls = m_screens.controls;
    const CInput& input = m_context.input;
    In(ScreenId::Controls);
    Key(platform::kVkDown);
    Key(platform::kVkDown);
    ASSERT_EQ(kBindableActions[2].action, KEY_THRUST);
    m_keys.held = {kReturn};
    Char('\r');
    EXPECT_TRUE(m_dispatcher.RunFrame());
    m_keys.held = {};
    Char('x');
    EXPECT_TRUE(controls.IsListening() && m_dispatcher.GetCurrent() == ScreenId::Controls);
    m_keys.held = {kV}; // a key with no window event
    EXPECT_TRUE(m_dispatcher.RunFrame());
    EXPECT_FALSE(controls.IsListening());
    EXPECT_EQ(input.GetKeyAction(kV), KEY_THRUST);
    EXPECT_EQ(input.GetKeyAction(kK), KEY_NONE) << "V took K's place";
    EXPECT_EQ(input.Bindings().ActionOf(PAD_DPAD_UP), KEY_THRUST) << "the pad's controls stay";
    EXPECT_TRUE(input.Bindings().InputsOf(KEY_FIRE_MISSILE).size() == 1) << "V left the missiles";
    std::string shown;
    for (const TextRun& run : ReadText(m_drawing.backend))
        shown += run.text + "|";
    EXPECT_NE(shown.find("|V moved from Fire Missiles to Thrust|"), std::string::npos) << shown;
    EXPECT_EQ(LoadControls(), input.Bindings());

    Char('\r');
    Key(platform::kVkEscape);
    EXPECT_FALSE(controls.IsListening());
    Char('\r');
    m_keys.held = {kUpArrow}; // a navigation key is bound, not obeyed
    Key(platform::kVkUp);
    EXPECT_EQ(input.Bindings().InputsOf(KEY_THRUST)[0], kUpArrow);
    EXPECT_EQ(controls.GetSelected(), 2);

    for (int line = 2; line >= 0; --line) // Up round to the last line
        Key(platform::kVkUp);
    Char('\r');
    CBindings wasd;
    wasd.Apply(Preset::WASD);
    EXPECT_EQ(input.Bindings(), wasd) << "the last line";
    EXPECT_EQ(LoadControls(), wasd);

    Key(platform::kVkDown);
    Char('\r');
    m_keys.held = {kF9};
    EXPECT_FALSE(m_dispatcher.RunFrame()) << "F9 quits while the screen listens";
}

TEST(ClientOptions, CommandLine)
{
    std::string printed;
    ClientOptions options;
    auto parse = [&printed, &options](std::vector<std::string> args)
    {
        options = ClientOptions{};
        args.insert(args.begin(), "QuorvexClient");
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        int status = ParseClientOptions(static_cast<int>(argv.size()), argv.data(), options);
        printed = testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        return status;
    };
    EXPECT_EQ(options.maxFps, kDefaultFrameCap) << "no --max-fps: the saved cap or the default";
    EXPECT_EQ(
        parse({"--windowed", "--no-vsync", "--port", "4000", "--connect", "10.0.0.9", "--max-fps", "0"}), -1);
    EXPECT_EQ(options.maxFps, kNoFrameCap);
    EXPECT_EQ(options.windowedOverride, 1);
    EXPECT_FALSE(options.vsync);
    EXPECT_EQ(options.port, 4000);
    EXPECT_EQ(options.connectHost, "10.0.0.9");
    CClientContext context;
    context.options = options;
    EXPECT_EQ(FirstScreen(context), ScreenId::Game) << "--connect skips the menus";
    EXPECT_EQ(context.server.host, "10.0.0.9");
    EXPECT_EQ(parse({"--windowed", "--fullscreen"}), -1);
    EXPECT_EQ(options.windowedOverride, 0) << "the last choice wins";
    context.options = options;
    EXPECT_EQ(FirstScreen(context), ScreenId::Intro);
    EXPECT_EQ(parse({"--help"}), 0);
    EXPECT_NE(printed.find("--version"), std::string::npos) << "the help lists --version";
    EXPECT_EQ(parse({"--windowed", "--version", "--port", "0"}), 0) << "--version ends before later options";
    EXPECT_EQ(printed, "QuorvexClient 1.02\n");
    const std::vector<std::string> refused[] = {
        {"--port"},    {"--port", "0"},       {"--port", "70000"}, {"--port", "12x"},
        {"--connect"}, {"--connect", ""},     {"-name"},           {"x"},
        {"--max-fps"}, {"--max-fps", "1001"}, {"--max-fps", "-1"}, {"--max-fps", "60 "}};
    for (const std::vector<std::string>& bad : refused)
        EXPECT_EQ(parse(bad), 2) << bad[0] << " " << bad.back();
}

// The settings tests save what carriage return on the options screen saves.
using Settings = ScreenStates;

std::string Bytes(std::initializer_list<unsigned char> bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

ClientSettings Loaded()
{
    ClientSettings loaded;
    LoadSettings(loaded);
    return loaded;
}

std::vector<int> Numbers(const ClientSettings& s)
{
    return {s.shipType, s.resWidth, s.resHeight, s.resDepth, s.resFreq, s.resDesktop, s.windowed, s.maxFps};
}

TEST_F(Settings, LoadingKeepsWhatIsMissingOrNotFourBytesAndTheWindowedChoiceIsSavedAlone)
{
    EXPECT_EQ(Numbers(Loaded()), std::vector<int>({0, 1024, 768, 32, 60, 1, 0, -1}))
        << "first start: the defaults, full screen at the desktop's mode";
    EXPECT_STREQ(Loaded().playerName, "");
    EXPECT_TRUE(std::filesystem::is_empty(m_config.Path())) << "not even the folder appears";
    m_settings.windowed = 1;
    SaveWindowedSetting(m_settings);
    EXPECT_EQ(StoredCount(), 1u);
    EXPECT_EQ(Value("Windowed"), Bytes({1, 0, 0, 0}));
    EXPECT_EQ(Numbers(Loaded()), std::vector<int>({0, 1024, 768, 32, 60, 1, 1, -1}))
        << "the others stay missing";

    // Numbers are four little-endian signed bytes; other sizes are ignored.
    WriteValue("ResWidth", Bytes({0x78, 0x56, 0x34, 0x12}));
    WriteValue("ResHeight", Bytes({0xff, 0xff, 0xff, 0xff}));
    WriteValue("ResFreq", Bytes({0x00, 0x00, 0x00, 0x80}));
    WriteValue("ShipType", Bytes({3, 0}));
    WriteValue("Windowed", Bytes({0, 5, 0, 0, 0, 0, 0, 0}));
    WriteValue("ResDepth", "");
    WriteValue("MaxFps", Bytes({0x78, 0, 0, 0}));
    WriteValue("PlayerName", std::string(127, 'n') + "cut");
    ClientSettings loaded;
    loaded.shipType = 4;
    std::memset(loaded.playerName, 'x', sizeof loaded.playerName);
    LoadSettings(loaded);
    EXPECT_EQ(Numbers(loaded), std::vector<int>({4, 0x12345678, -1, 32, INT32_MIN, 1, 0, 120}));
    EXPECT_EQ(std::string(loaded.playerName), std::string(127, 'n'))
        << "a long name keeps its first 127 bytes";
}

TEST_F(Settings, OptionsEscapePutsTheSavedChoicesBackAndReturnSavesThemAsExactBytesAndAppliesThem)
{
    auto edit = [this]
    {
        In(ScreenId::Options);
        Type("Acex\b");
        Key(platform::kVkRight);
        Key(platform::kVkDown); // the desktop -> 1024x768
        Key(platform::kVkDown); // -> 1280x1024
    };
    edit();
    Key(platform::kVkPageUp);
    EXPECT_EQ(m_context.sound.Volume(), 8) << "the volume is heard at once";
    Key(platform::kVkEscape);
    EXPECT_EQ(m_dispatcher.GetCurrent(), ScreenId::MainMenu);
    EXPECT_FALSE(SettingsWritten()) << "Escape saves nothing";
    EXPECT_STREQ(m_settings.playerName, "");
    EXPECT_EQ(m_context.sound.Volume(), 7) << "and puts the saved volume back";
    char name[8];
    m_options.GetText(name, sizeof name);
    EXPECT_EQ(std::tuple(std::string(name), m_options.GetShipType(), m_options.GetResolutionIndex(),
                         m_options.GetVolume()),
              std::tuple(std::string(), 0, 0, 7))
        << "the next visit shows what is saved";

    m_settings.windowed = 1;
    edit();
    for (int key : {platform::kVkPageDown, platform::kVkPageDown, platform::kVkPageDown})
        Key(key);
    Char('\r');
    EXPECT_EQ(m_dispatcher.GetCurrent(), ScreenId::MainMenu);
    EXPECT_EQ(Value("PlayerName"), "Ace") << "the name's bytes, no terminating zero";
    EXPECT_EQ(Value("ShipType"), Bytes({5, 0, 0, 0})) << "the second ship";
    EXPECT_EQ(Value("ResDepth"), Bytes({32, 0, 0, 0}));
    EXPECT_EQ(Value("Windowed"), Bytes({1, 0, 0, 0}));
    EXPECT_EQ(Value("SoundVolume"), Bytes({4, 0, 0, 0}));
    EXPECT_EQ(StoredCount(), 10u) << "no temporary files are left";
    for (const ClientSettings& settings : {Loaded(), m_settings})
    {
        EXPECT_STREQ(settings.playerName, "Ace");
        EXPECT_EQ(Numbers(settings), std::vector<int>({5, 1280, 1024, 32, 60, 0, 1, -1}));
    }
    const CClientContext& context = m_context;
    EXPECT_EQ(std::make_pair(context.viewSize.width, context.viewSize.height), std::make_pair(960, 768))
        << "a 5:4 window shows the view's 768 units of height";
    EXPECT_EQ(context.display.GetWidth(), 1280) << "the window has the new mode's size";

    // Full screen, back to the desktop's own mode: the top line.
    m_context.display.SetWindowed(false);
    In(ScreenId::Options);
    Key(platform::kVkUp);
    Key(platform::kVkUp);
    Char('\r');
    EXPECT_EQ(Value("ResDesktop"), Bytes({1, 0, 0, 0}));
    EXPECT_EQ(Numbers(Loaded()), std::vector<int>({5, 1280, 1024, 32, 60, 1, 1, -1})) << "the mode is kept";
    EXPECT_TRUE(context.display.UsesDesktopMode());
    EXPECT_EQ(std::make_pair(context.viewSize.width, context.display.GetWidth()), std::make_pair(1365, 1920));
}

// Return keeps the saved mode unless the player chose a listed one: a saved
// mode the display lacks stays saved and is not switched to, and with no
// modes listed Down chooses nothing. A folder that cannot be made saves
// nothing, but the choices hold for this run.
TEST_F(Settings, ReturnKeepsTheSavedModeUnlessAListedOneIsChosenAndAFolderThatCannotBeMade)
{
    // Unlisted, and listed at another rate.
    m_settings.resDesktop = 0;
    for (auto [width, height, refresh] : {std::tuple{800, 600, 60}, {1280, 1024, 75}})
    {
        std::tie(m_settings.resWidth, m_settings.resHeight, m_settings.resFreq) =
            std::tie(width, height, refresh);
        m_options.ShowSettings(m_settings);
        m_options.OnChar('\r');
        EXPECT_EQ(Numbers(Loaded()), std::vector<int>({0, width, height, 32, refresh, 0, 0, -1})) << width;
        EXPECT_EQ(m_context.display.GetWidth(), 1024) << "the mode in force stays";
    }
    m_settings.resFreq = 60;
    m_context.display.SetModeSource([] { return std::vector<platform::RawVideoMode>{}; });
    m_options.OnKey(platform::kVkDown);
    m_options.OnChar('\r');
    EXPECT_EQ(Numbers(Loaded()), std::vector<int>({0, 1280, 1024, 32, 60, 1, 0, -1}))
        << "with no modes listed only the desktop's is chosen; never 0 x 0 x 0 at 0 Hz";

    std::filesystem::remove_all(m_config.File("Tessaloon"));
    m_config.Write("Tessaloon/Quorvex", "a file where a folder should be");
    m_options.SetText("Ace");
    m_options.SetShipType(3);
    m_options.OnChar('\r');
    EXPECT_STREQ(m_settings.playerName, "Ace");
    EXPECT_EQ(m_settings.shipType, 3);
    EXPECT_EQ(m_settings.maxFps, -1);
    EXPECT_FALSE(std::filesystem::exists(m_config.File(kFolder)));
}

// A value that cannot be written (a folder stands where it goes) is skipped:
// the values after it are still saved, and no temporary file is left.
TEST_F(Settings, AValueThatCannotBeWrittenIsSkipped)
{
    std::filesystem::create_directories(m_config.File(std::string(kFolder) + "PlayerName"));
    m_options.SetText("Ace");
    m_options.SetShipType(4);
    m_options.OnChar('\r');
    EXPECT_STREQ(m_settings.playerName, "Ace");
    EXPECT_EQ(Loaded().shipType, 4);
    EXPECT_EQ(Value("MaxFps"), Bytes({0xff, 0xff, 0xff, 0xff})) << "the last value";
    EXPECT_EQ(StoredCount(), 10u);
}

std::vector<int> SetActions(CInput& input)
{
    uint8_t actions[kActionCount];
    input.PollActions(actions);
    std::vector<int> set;
    for (int i = 0; i < kActionCount; ++i)
        if (actions[i])
            set.push_back(i);
    return set;
}

struct Actions
{
    uint8_t held[kActionCount] = {};
    Actions(std::initializer_list<int> keys)
    {
        for (int key : keys)
            held[key] = 1;
    }
};

using platform::RawVideoMode;

// 16 bits is 5-6-5; 8 bits is a palette with no colour channels.
RawVideoMode Mode(int32_t width, int32_t height, int32_t bpp, int32_t refresh)
{
    return {width, height, bpp, bpp == 16 ? 6 : bpp == 8 ? 0 : 8, refresh};
}

CGLDisplay::ModeSource Modes(std::vector<RawVideoMode> modes)
{
    return [modes] { return modes; };
}

std::vector<platform::VideoMode> Listed(CGLDisplay& display)
{
    display.EnumerateModes();
    std::vector<platform::VideoMode> listed;
    for (int i = 0; i < display.GetModeCount(); ++i)
        listed.push_back({display.GetModeWidth(i), display.GetModeHeight(i), display.GetModeDepth(i),
                          display.GetModeRefresh(i)});
    return listed;
}

TEST(Input, HeldKeysBecomeTheirActionsExceptWhileTyping)
{
    FakeDevices devices;
    CInput input;
    input.Init(&devices);
    EXPECT_EQ(input.GetMode(), kKeyboardModeGame);
    devices.held = {kJ, kSpace};
    EXPECT_EQ(SetActions(input), (std::vector<int>{KEY_TURN_LEFT, KEY_FIRE_BULLET}));
    devices.held = {kQ};
    EXPECT_EQ(SetActions(input), std::vector<int>{KEY_NONE}) << "an unmapped key only touches entry 0";
    // The whole map: seventeen keys (the instructions name each).
    int mapped = 0;
    for (int code = 0; code < platform::kKeyCodeCount; ++code)
        mapped += input.GetKeyAction(code) != KEY_NONE;
    EXPECT_EQ(mapped, 17);
    EXPECT_EQ(input.GetKeyAction(0x32), KEY_TOGGLE_MUTE) << "M";
    EXPECT_EQ(input.GetKeyAction(0x01), KEY_MENU);
    EXPECT_EQ(input.GetKeyAction(0x12), KEY_FIRE_PLASMA);
    EXPECT_EQ(input.GetKeyAction(-1), KEY_NONE);

    devices.held = {kF9, kK};
    input.SetMode(kKeyboardModeText);
    EXPECT_TRUE(SetActions(input).empty()) << "F9 does not quit and K does not thrust while typing";
    input.SetMode(kKeyboardModeGame);
    EXPECT_EQ(SetActions(input), (std::vector<int>{KEY_QUIT, KEY_THRUST}));
    devices.keyboard = false;
    EXPECT_TRUE(SetActions(input).empty());
    CInput uninitialised;
    EXPECT_TRUE(SetActions(uninitialised).empty());
}

TEST(GameKeys, HeldControlsGoOutInTheFixedOrder)
{
    EXPECT_EQ(BuildKeyList(Actions{}.held), std::vector<uint32_t>{0}) << "keys go out even when none is held";
    EXPECT_EQ(BuildKeyList(Actions{KEY_FIRE_BULLET, KEY_THRUST, KEY_TURN_LEFT}.held),
              (std::vector<uint32_t>{7, 9, 11}));
    Actions all{KEY_QUIT, KEY_CHAT, KEY_MENU, KEY_TOGGLE_NAMES};
    for (int action = KEY_TURN_LEFT; action <= static_cast<int>(KEY_CLOAK); ++action)
        all.held[action] = 1;
    EXPECT_EQ(BuildKeyList(all.held), (std::vector<uint32_t>{7, 8, 9, 16, 11, 12, 13, 14, 10, 17, 15}))
        << "only the eleven controls, in the server's order";
}

TEST(GameKeys, HeldToggleFlipsOncePerSecond)
{
    DrawToggles& toggles = GetDrawToggles();
    toggles = DrawToggles{};
    CDisplayToggleKeys keys;
    int flips = 0;
    bool last = toggles.names;
    // 2.5 s of 16 ms frames with F11 held.
    for (int elapsed = 0; elapsed < 2500; elapsed += 16)
    {
        keys.Apply(Actions{KEY_TOGGLE_NAMES}.held);
        flips += toggles.names != last;
        last = toggles.names;
        keys.Elapse(16);
    }
    EXPECT_EQ(flips, 3) << "at 0, about 1 and about 2 seconds";
    toggles = DrawToggles{};
    CDisplayToggleKeys both;
    both.Apply(Actions{KEY_TOGGLE_NAMES, KEY_TOGGLE_OUTLINES}.held);
    EXPECT_TRUE(toggles.outlines);
    EXPECT_TRUE(toggles.names) << "holding both flips only the outlines";
    toggles = DrawToggles{};
}

TEST(GameKeys, FrameClockTimesFramesAndCountsThemEachSecond)
{
    platform::FakeClock time(5000);
    CFrameClock clock;
    CClient unconnected;
    for (int frame = 1; frame <= 63; ++frame)
    {
        clock.CountFrame();
        time.Advance(16);
        clock.EndFrame(unconnected);
        EXPECT_EQ(clock.FrameTime(), 16);
        EXPECT_EQ(clock.Fps(), frame < 63 ? 0 : 63) << "after " << frame * 16 << " ms";
    }
}

TEST(DisplayModes, OnlyTheOfferedSizesAtSixtyHertzAfterTheLinuxModesAreNormalisedAndAFailedChangeKeepsTheMode)
{
    // An X server's 24-bit true colour at an unknown refresh rate (Xvfb)
    // counts as 32 bits at 60 Hz.
    CGLDisplay display(Modes({Mode(800, 600, 32, 60), Mode(1024, 768, 16, 75), Mode(1024, 768, 32, 60),
                              Mode(1024, 768, 32, 75), Mode(1024, 768, 16, 60), Mode(1280, 800, 32, 60),
                              Mode(1600, 1200, 24, 0), Mode(1024, 768, 32, 60), Mode(1152, 864, 8, 60),
                              Mode(1152, 864, 16, 0)}),
                       [] {
                           return platform::VideoMode{2560, 1440, 32, 60};
                       });
    EXPECT_EQ(Listed(display), (std::vector<platform::VideoMode>{{1024, 768, 32, 60},
                                                                 {1024, 768, 16, 60},
                                                                 {1600, 1200, 32, 60},
                                                                 {1024, 768, 32, 60},
                                                                 {1152, 864, 16, 60}}))
        << "system order, duplicates kept";
    EXPECT_EQ(display.GetModeWidth(-1), 0);
    EXPECT_EQ(display.GetModeWidth(display.GetModeCount()), 0);
    EXPECT_EQ(display.GetModeRefresh(99), 0);

    // A failed change keeps the mode in force; a window may have any size.
    ASSERT_TRUE(display.ChangeMode(1600, 1200, 32, 60));
    EXPECT_FALSE(display.ChangeMode(1280, 1024, 32, 60)) << "not a mode of the system";
    EXPECT_FALSE(display.ChangeMode(1600, 1200, 32, 75)) << "wrong refresh";
    EXPECT_EQ(std::make_pair(display.GetWidth(), display.GetHeight()), std::make_pair(1600, 1200));
    EXPECT_FALSE(display.UsesDesktopMode()) << "an exclusive mode is in force";
    display.EnterFullscreen(false, {1280, 1024, 32, 60});
    EXPECT_TRUE(display.UsesDesktopMode() && display.GetWidth() == 2560)
        << "a mode no longer offered falls back to the desktop's";
    display.SetWindowed(true);
    EXPECT_TRUE(display.ChangeMode(1280, 1024, 32, 60));
    EXPECT_FALSE(display.ChangeMode(0, 0, 0, 0)) << "saved zeros";
    EXPECT_EQ(display.GetWidth(), 1280);

    display.SetModeSource(Modes(std::vector<RawVideoMode>(51, Mode(1280, 1024, 32, 60))));
    EXPECT_EQ(Listed(display).size(), 50u) << "at most fifty";
    display.SetModeSource(Modes({}));
    EXPECT_TRUE(Listed(display).empty()) << "enumerating again starts from nothing";
}

// Every window shows 768 units of height, at most 16:9 and at least 5:4 of
// them wide; the rest of a wider or narrower window is bars.
TEST(DisplayModes, TheViewIs768UnitsHighInAnyWindow)
{
    struct Row
    {
        int pixelWidth, pixelHeight, unitsWide;
        Viewport pixels;
    };
    const Row rows[] = {{1024, 768, 1024, {0, 0, 1024, 768}},     {1920, 1080, 1365, {0, 0, 1920, 1080}},
                        {3840, 2160, 1365, {0, 0, 3840, 2160}},   {800, 600, 1024, {0, 0, 800, 600}},
                        {2560, 1080, 1365, {320, 0, 1920, 1080}}, {1280, 1024, 960, {0, 0, 1280, 1024}},
                        {1000, 1600, 960, {0, 400, 1000, 800}},   {1, 1, 960, {0, 0, 1, 1}}};
    for (const Row& row : rows)
    {
        const ViewLayout layout = LayoutForWindow(row.pixelWidth, row.pixelHeight);
        const Viewport& got = layout.pixels;
        EXPECT_EQ(
            std::vector<int>({layout.units.width, layout.units.height, got.x, got.y, got.width, got.height}),
            std::vector<int>(
                {row.unitsWide, 768, row.pixels.x, row.pixels.y, row.pixels.width, row.pixels.height}))
            << row.pixelWidth << "x" << row.pixelHeight;
    }

    CRecordingBackend backend;
    SetRenderBackend(&backend);
    CGLDisplay display(Modes({}));
    GetGraphics().SetDisplay(&display);
    ViewSize view;
    FitViewToWindow(view, 2560, 1080);
    const CRecordingBackend::Projection& p = backend.LastProjection();
    EXPECT_EQ(std::vector<double>({p.left, p.right, p.bottom, p.top, p.nearZ, p.farZ}),
              std::vector<double>({-682.5, 682.5, -384, 384, -100, 100}));
    EXPECT_EQ(backend.LastViewport().x, 320);
    EXPECT_FLOAT_EQ(backend.LineScale(), 1080.0f / 768) << "lines keep their weight";
    GetGraphics().SetDisplay(nullptr);
    SetRenderBackend(nullptr);
}
} // namespace

// Favourites are read strictly (bad lines skipped, repeats and extras
// dropped) and a join puts its server first.
TEST(Favourites, ReadStrictlyAndTheLatestJoinComesFirst)
{
    using session::HostAddress;
    std::vector<HostAddress> read =
        ParseFavourites("10.0.0.1:3001\nbad\n10.0.0.2:0\n10.0.0.1:3001\n"
                        " 10.0.0.3:4000\r\n10.0.0.4:1\n10.0.0.5:2\n10.0.0.6:3\n10.0.0.7:4\n");
    EXPECT_EQ(
        read,
        (std::vector<HostAddress>{
            {0x0A000001, 3001}, {0x0A000003, 4000}, {0x0A000004, 1}, {0x0A000005, 2}, {0x0A000006, 3}}));
    RememberFavourite(read, {0x0A000004, 1});
    RememberFavourite(read, {0x0A000009, 9});
    EXPECT_EQ(
        read,
        (std::vector<HostAddress>{
            {0x0A000009, 9}, {0x0A000004, 1}, {0x0A000001, 3001}, {0x0A000003, 4000}, {0x0A000005, 2}}));
    EXPECT_EQ(ParseFavourites(FormatFavourites(read)), read);
    EXPECT_EQ(ParseMasters("master.example:27950\n\n  10.1.1.1 \nbad line\n"),
              (std::vector<std::string>{"master.example:27950", "10.1.1.1"}));
}
