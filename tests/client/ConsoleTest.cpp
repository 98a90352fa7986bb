// The console: slash commands and what they print and send, typing and
// finishing the input line, and the console as drawn through the recording
// backend. Messages go to a fake sender; commands act on a session of the
// test's own that never connects; the console log is the process's.
#include "client/game/Console.h"
#include "client/Input.h"
#include "client/game/CommandParser.h"
#include "common/MessageLog.h"
#include "game/Ship.h"
#include "game/World.h"
#include "gfx/Graphics.h"
#include "net/Client.h"
#include "net/Message.h"
#include "platform/WindowEvents.h"
#include "tests/client/FrameReading.h"
#include "tests/client/ShippedDrawing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
CMessageLog& Log()
{
    return CMessageLog::GetConsoleLog();
}

// The log's lines, oldest first, as they read on screen from top to bottom.
std::vector<std::string> LoggedLines()
{
    std::vector<std::string> lines;
    char line[CMessageLog::kLineSize];
    Log().ResetCursor();
    while (Log().NextLine(line, sizeof line))
        lines.insert(lines.begin(), line);
    return lines;
}

std::string InputLine()
{
    char line[CMessageLog::kLineSize];
    return Log().GetInputLine(line, sizeof line) ? line : "<none>";
}

std::string TextOf(const CMessage& message)
{
    char text[CMessageLog::kLineSize];
    return message.GetText(text, sizeof text) ? text : "<not text>";
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

    std::vector<CMessage> m_sent;
    CClient m_session;
    CInput m_input;
    CConsole m_console{m_input, Recorder()};
};

using CommandParserTest = ConsoleTest;

TEST_F(CommandParserTest, CommandsThatOnlyPrint)
{
    const std::vector<std::string> notImplemented(1, "Not implemented yet, try again later.");
    struct Case
    {
        const char* line;
        std::vector<std::string> printed;
    } cases[] = {
        {"/help",
         {"Client Commands:", "   name <your name>", "   clear", "   find servers",
          "   connect <server name>", "   disconnect", "   exit", "   help", "",
          "Server Commands:", "   server halt", ""}},
        {"/hello", {"Unrecognized command"}},
        {"/Help", {"Unrecognized command"}},
        {"/", {}},
        {"/ = ", {}},
        {"/server", {"Server must be followed by a sub-commmand."}},
        {"/server rename", {"Unrecognized server command."}},
        {"/server map", {}},
        {"/server map   ", {}},
        {"/disconnect", notImplemented},
        {"/exit", notImplemented},
        {"/name",
         {"Player name set to , long live !", "(note: If you're currently logged into a server this",
          "       won't take effect until you log out and log", "       back in.)"}},
        {"/connect Arena", {"Attempting to connect to \"Arena\"...", "No servers to select from."}},
    };
    for (const Case& c : cases)
    {
        Log().Clear();
        EXPECT_TRUE(Parse(c.line)) << c.line;
        EXPECT_EQ(LoggedLines(), c.printed) << c.line;
    }
    EXPECT_TRUE(m_sent.empty());
    EXPECT_FALSE(m_session.IsConnected());
}

TEST_F(CommandParserTest, ChatIsNotACommand)
{
    for (const char* line : {"hello", " /help", ""})
        EXPECT_FALSE(Parse(line)) << line;
    EXPECT_TRUE(LoggedLines().empty());
    EXPECT_TRUE(m_sent.empty());
}

TEST_F(CommandParserTest, TheLogKeepsItsNewestLines)
{
    Log().SetMaxLines(5);
    Parse("/help");
    EXPECT_EQ(LoggedLines(),
              (std::vector<std::string>{"   help", "", "Server Commands:", "   server halt", ""}));
    EXPECT_TRUE(Parse("/clear"));
    EXPECT_EQ(Log().GetLineCount(), 0);
}

TEST_F(CommandParserTest, ServerHaltAndMapSendTheirMessages)
{
    Parse("/server   halt");
    Parse("/server map Fear");
    // The map name ends at a space only; an "=" after "map" ends the sub-command.
    Parse("/server=map=Caves Two");
    Parse("/server map =x");
    ASSERT_EQ(m_sent.size(), 4u);
    uint32_t value = 99;
    EXPECT_TRUE(m_sent[0].GetShutdown(value));
    EXPECT_EQ(value, 0u);
    std::vector<std::string> maps;
    for (size_t i = 1; i < m_sent.size(); ++i)
    {
        char map[128];
        EXPECT_TRUE(m_sent[i].GetMap(map, sizeof map));
        maps.push_back(map);
    }
    EXPECT_EQ(maps, (std::vector<std::string>{"Fear", "Caves", "=x"}));
    EXPECT_EQ(LoggedLines()[0], "Attempting to shutdown server...");
    EXPECT_EQ(LoggedLines()[1], "Requesting server change to map \"Fear\"");
}

TEST_F(CommandParserTest, NameRenamesTheLocalShipOnly)
{
    CGameWorld world;
    auto* ship = new CShip;
    ship->SetName("Player");
    world.AddPlayer(ship);
    m_session.SetWorld(&world);
    Parse("/name=Ace");
    EXPECT_EQ(ship->GetName(), "Ace");
    Parse("/name Big Al");
    EXPECT_EQ(ship->GetName(), "Big Al");
    m_session.SetWorld(nullptr);
    EXPECT_EQ(LoggedLines()[4], "Player name set to Big Al, long live Big Al!");
    EXPECT_TRUE(m_sent.empty());
}

TEST_F(CommandParserTest, ListAndConnectUseTheKnownServers)
{
    session::SessionDescription session;
    session.sessionName = "Arena";
    m_session.OnEnumHostsResponse(session, session::HostAddress{0x7F000001, 1});
    Parse("/list");
    Parse("/connect Lobby");
    EXPECT_EQ(LoggedLines(),
              (std::vector<std::string>{"Server: Arena", "Attempting to connect to \"Lobby\"...",
                                        "Server \"Lobby\" not found..."}));
    EXPECT_FALSE(m_session.IsConnected());
}

TEST_F(ConsoleTest, OpeningStartsAnEmptyLineInTextMode)
{
    Log().OpenInputLine("stale");
    m_console.Open();
    EXPECT_EQ(InputLine(), "");
    EXPECT_TRUE(Log().IsInputActive());
    EXPECT_EQ(m_input.GetMode(), kKeyboardModeText);
}

TEST_F(ConsoleTest, TypingEditsTheLineUpTo1023Characters)
{
    m_console.Open();
    Type("hix\b");
    EXPECT_EQ(InputLine(), "hi");
    Type(std::string(3, platform::kCharBackspace));
    EXPECT_EQ(InputLine(), "");
    Type(std::string(1022, 'a') + "bcd");
    EXPECT_EQ(InputLine(), std::string(1022, 'a') + "b");
    Type("\b");
    EXPECT_EQ(InputLine(), std::string(1022, 'a'));
    EXPECT_TRUE(m_sent.empty());
}

TEST_F(ConsoleTest, ReturnSendsChatOrRunsACommandAndClosesTheLine)
{
    struct Case
    {
        const char* typed;
        MessageType sent;
        const char* text;
        std::vector<std::string> printed;
    } cases[] = {
        {"hello\r", MSG_TEXT, "hello", {}},
        {"\r", MSG_TEXT, "", {}}, // an empty line is sent as empty chat
        {"/server halt\r", MSG_SHUTDOWN, nullptr, {"Attempting to shutdown server..."}},
    };
    for (const Case& c : cases)
    {
        m_sent.clear();
        Log().Clear();
        m_console.Open();
        Type(c.typed);
        ASSERT_EQ(m_sent.size(), 1u) << c.typed;
        EXPECT_EQ(m_sent[0].GetType(), c.sent);
        if (c.text)
        {
            EXPECT_EQ(TextOf(m_sent[0]), c.text);
        }
        EXPECT_EQ(LoggedLines(), c.printed);
        EXPECT_EQ(InputLine(), "<none>");
        EXPECT_FALSE(Log().IsInputActive());
        EXPECT_EQ(m_input.GetMode(), kKeyboardModeGame);
    }
}

TEST_F(ConsoleTest, ClosingSendsNothing)
{
    m_console.Open();
    Type("half a thought");
    m_console.Close();
    EXPECT_TRUE(m_sent.empty());
    EXPECT_EQ(InputLine(), "<none>");
    EXPECT_FALSE(Log().IsInputActive());
    EXPECT_EQ(m_input.GetMode(), kKeyboardModeGame);
}

// Drawn on the recording backend with the shipped font, in white.
class ConsoleDrawingTest : public ConsoleTest
{
protected:
    std::vector<TextRun> Draw(float x, float y)
    {
        m_backend.ClearFrame();
        m_backend.SetColour(kWhite);
        DrawConsole(x, y);
        return ReadTextRuns(m_backend, GetGraphics().GetTexture("Font2.tga")->GetGLName());
    }

    static constexpr RenderColour kWhite{1, 1, 1, 1};
    CShippedDrawing m_drawing;
    CRecordingBackend& m_backend = m_drawing.backend;
};

TEST_F(ConsoleDrawingTest, InputLineBelowTheNewestFiveLines)
{
    Log().SetMaxLines(5);
    for (int i = 1; i <= 6; ++i)
        Log().Print("line %d", i);
    Log().OpenInputLine("say hi");
    EXPECT_EQ(Draw(-302, -384), (std::vector<TextRun>{
                                    TextAt(-302, -288, kWhite, "line 2"),
                                    TextAt(-302, -304, kWhite, "line 3"),
                                    TextAt(-302, -320, kWhite, "line 4"),
                                    TextAt(-302, -336, kWhite, "line 5"),
                                    TextAt(-302, -352, kWhite, "line 6"),
                                    TextAt(-302, -384, kWhite, ":say hi"),
                                }));
}

TEST_F(ConsoleDrawingTest, LinesAreTextNotFormats)
{
    Log().Print("%s", "5%d off");
    EXPECT_EQ(Draw(0, 0), (std::vector<TextRun>{TextAt(0, 32, kWhite, "5_d off")}));
}
} // namespace
