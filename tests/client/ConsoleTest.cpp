// The console: slash commands and what they print and send, typing and
// finishing the input line, and the console as drawn through the recording
// backend. Messages go to a fake sender; the console log is the process's.
#include "client/game/Console.h"
#include "client/Input.h"
#include "client/game/CommandParser.h"
#include "common/MessageLog.h"
#include "game/World.h"
#include "gfx/Graphics.h"
#include "gfx/RecordingBackend.h"
#include "net/Client.h"
#include "net/Message.h"
#include "platform/WindowEvents.h"
#include "tests/client/ShippedDrawing.h"
#include "tests/client/TextRuns.h"

#include <gtest/gtest.h>

#include <cstdlib>
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

// Every test starts from an empty console with no input line and no session.
class ConsoleTest : public ::testing::Test
{
protected:
    void SetUp() override { ResetConsole(); }

    void TearDown() override
    {
        ResetConsole();
        CClient::Destroy();
        CInput::Destroy();
    }

    static void ResetConsole()
    {
        Log().SetMaxLines(5);
        Log().Clear();
        Log().CloseInputLine();
    }

    bool Parse(const char* line) { return CCommandParser(Recorder()).ParseCommand(line); }

    void Type(const std::string& text)
    {
        for (char c : text)
            TypeConsoleChar(c, Recorder());
    }

    CCommandParser::Sender Recorder()
    {
        return [this](const CMessage& message) { m_sent.push_back(message); };
    }

    std::vector<CMessage> m_sent;
};

using CommandParserTest = ConsoleTest;

TEST_F(CommandParserTest, HelpKeepsOnlyTheLastFiveLines)
{
    EXPECT_TRUE(Parse("/help"));
    EXPECT_EQ(LoggedLines(),
              (std::vector<std::string>{"   help", "", "Server Commands:", "   server halt", ""}));
    EXPECT_TRUE(m_sent.empty());
}

TEST_F(CommandParserTest, HelpPrintsTwelveLines)
{
    Log().SetMaxLines(20);
    Parse("/help");
    EXPECT_EQ(LoggedLines(),
              (std::vector<std::string>{"Client Commands:", "   name <your name>", "   clear",
                                        "   find servers", "   connect <server name>", "   disconnect",
                                        "   exit", "   help", "", "Server Commands:", "   server halt", ""}));
}

TEST_F(CommandParserTest, ChatIsNotACommand)
{
    EXPECT_FALSE(Parse("hello"));
    EXPECT_FALSE(Parse(" /help"));
    EXPECT_FALSE(Parse(""));
    EXPECT_TRUE(LoggedLines().empty());
    EXPECT_TRUE(m_sent.empty());
}

TEST_F(CommandParserTest, UnknownCommandsPrintAndSendNothing)
{
    EXPECT_TRUE(Parse("/hello"));
    EXPECT_TRUE(Parse("/Help"));
    EXPECT_EQ(LoggedLines(), (std::vector<std::string>{"Unrecognized command", "Unrecognized command"}));
    EXPECT_TRUE(m_sent.empty());
}

TEST_F(CommandParserTest, SlashAloneIsACommandThatDoesNothing)
{
    EXPECT_TRUE(Parse("/"));
    EXPECT_TRUE(Parse("/ = "));
    EXPECT_TRUE(LoggedLines().empty());
}

TEST_F(CommandParserTest, ServerNeedsASubCommand)
{
    Parse("/server");
    Parse("/server rename");
    EXPECT_EQ(LoggedLines(), (std::vector<std::string>{"Server must be followed by a sub-commmand.",
                                                       "Unrecognized server command."}));
    EXPECT_TRUE(m_sent.empty());
}

TEST_F(CommandParserTest, ServerHaltSendsShutdown)
{
    Parse("/server   halt");
    ASSERT_EQ(m_sent.size(), 1u);
    uint32_t value = 99;
    EXPECT_TRUE(m_sent[0].GetShutdown(value));
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(LoggedLines(), (std::vector<std::string>{"Attempting to shutdown server..."}));
}

TEST_F(CommandParserTest, ServerMapWithoutNameDoesNothing)
{
    Parse("/server map");
    Parse("/server map   ");
    EXPECT_TRUE(m_sent.empty());
    EXPECT_TRUE(LoggedLines().empty());
}

TEST_F(CommandParserTest, ServerMapRequestsTheMap)
{
    Parse("/server map Fear");
    // The map name ends at a space only; an "=" after "map" ends the sub-command.
    Parse("/server=map=Caves Two");
    Parse("/server map =x");
    ASSERT_EQ(m_sent.size(), 3u);
    std::vector<std::string> maps;
    for (const CMessage& message : m_sent)
    {
        char map[128];
        EXPECT_TRUE(message.GetMap(map, sizeof map));
        maps.push_back(map);
    }
    EXPECT_EQ(maps, (std::vector<std::string>{"Fear", "Caves", "=x"}));
    EXPECT_EQ(LoggedLines()[0], "Requesting server change to map \"Fear\"");
}

TEST_F(CommandParserTest, NameRenamesTheLocalShip)
{
    CGameWorld world;
    auto* ship = new CShip;
    ship->SetName("Player");
    world.AddPlayer(ship);
    CClient::Get().SetWorld(&world);

    Parse("/name=Ace");
    EXPECT_EQ(ship->GetName(), "Ace");
    Parse("/name Big Al");
    EXPECT_EQ(ship->GetName(), "Big Al");
    CClient::Get().SetWorld(nullptr);

    EXPECT_EQ(LoggedLines(), (std::vector<std::string>{
                                 "       back in.)", "Player name set to Big Al, long live Big Al!",
                                 "(note: If you're currently logged into a server this",
                                 "       won't take effect until you log out and log", "       back in.)"}));
    EXPECT_TRUE(m_sent.empty());
}

TEST_F(CommandParserTest, NameWithoutWorldOnlyPrints)
{
    Parse("/name");
    EXPECT_EQ(LoggedLines().at(0), "Player name set to , long live !");
}

TEST_F(CommandParserTest, ClearEmptiesTheLog)
{
    Log().Print("one");
    Log().Print("two");
    EXPECT_TRUE(Parse("/clear"));
    EXPECT_EQ(Log().GetLineCount(), 0);
}

TEST_F(CommandParserTest, DisconnectAndExitAreNotImplemented)
{
    Parse("/disconnect");
    Parse("/exit");
    EXPECT_EQ(LoggedLines(), (std::vector<std::string>{"Not implemented yet, try again later.",
                                                       "Not implemented yet, try again later."}));
}

TEST_F(CommandParserTest, ConnectWithoutServers)
{
    Parse("/connect Arena");
    EXPECT_EQ(LoggedLines(), (std::vector<std::string>{"Attempting to connect to \"Arena\"...",
                                                       "No servers to select from."}));
    EXPECT_FALSE(CClient::Get().IsConnected());
}

TEST_F(CommandParserTest, ListAndConnectUseTheKnownServers)
{
    session::SessionDescription session;
    session.sessionName = "Arena";
    CClient::Get().OnEnumHostsResponse(session, session::HostAddress{0x7F000001, 1});
    Parse("/list");
    Parse("/connect Lobby");
    EXPECT_EQ(LoggedLines(),
              (std::vector<std::string>{"Server: Arena", "Attempting to connect to \"Lobby\"...",
                                        "Server \"Lobby\" not found..."}));
    EXPECT_FALSE(CClient::Get().IsConnected());
}

TEST_F(ConsoleTest, OpeningStartsAnEmptyLineInTextMode)
{
    Log().OpenInputLine("stale");
    OpenConsoleLine();
    EXPECT_EQ(InputLine(), "");
    EXPECT_TRUE(Log().IsInputActive());
    EXPECT_EQ(CInput::Get().GetMode(), kKeyboardModeText);
}

TEST_F(ConsoleTest, TypingEditsTheLine)
{
    OpenConsoleLine();
    Type("hix");
    TypeConsoleChar(platform::kCharBackspace, Recorder());
    EXPECT_EQ(InputLine(), "hi");
    Type(std::string(3, platform::kCharBackspace));
    EXPECT_EQ(InputLine(), "");
    EXPECT_TRUE(m_sent.empty());
}

TEST_F(ConsoleTest, LineStopsAt1023Characters)
{
    OpenConsoleLine();
    Type(std::string(1022, 'a'));
    Type("bcd");
    EXPECT_EQ(InputLine(), std::string(1022, 'a') + "b");
    TypeConsoleChar(platform::kCharBackspace, Recorder());
    EXPECT_EQ(InputLine(), std::string(1022, 'a'));
}

TEST_F(ConsoleTest, ReturnSendsChatAndClosesTheLine)
{
    OpenConsoleLine();
    Type("hello\r");
    ASSERT_EQ(m_sent.size(), 1u);
    EXPECT_EQ(m_sent[0].GetType(), MSG_TEXT);
    EXPECT_EQ(TextOf(m_sent[0]), "hello");
    EXPECT_EQ(InputLine(), "<none>");
    EXPECT_FALSE(Log().IsInputActive());
    EXPECT_EQ(CInput::Get().GetMode(), kKeyboardModeGame);
    EXPECT_TRUE(LoggedLines().empty());
}

TEST_F(ConsoleTest, EmptyLineIsSentAsEmptyChat)
{
    OpenConsoleLine();
    Type("\r");
    ASSERT_EQ(m_sent.size(), 1u);
    EXPECT_EQ(TextOf(m_sent[0]), "");
}

TEST_F(ConsoleTest, ReturnRunsACommandInsteadOfChat)
{
    OpenConsoleLine();
    Type("/server halt\r");
    ASSERT_EQ(m_sent.size(), 1u);
    EXPECT_EQ(m_sent[0].GetType(), MSG_SHUTDOWN);
    EXPECT_EQ(LoggedLines(), (std::vector<std::string>{"Attempting to shutdown server..."}));
    EXPECT_EQ(CInput::Get().GetMode(), kKeyboardModeGame);
}

TEST_F(ConsoleTest, ClosingSendsNothing)
{
    OpenConsoleLine();
    Type("half a thought");
    CloseConsoleLine();
    EXPECT_TRUE(m_sent.empty());
    EXPECT_EQ(InputLine(), "<none>");
    EXPECT_FALSE(Log().IsInputActive());
    EXPECT_EQ(CInput::Get().GetMode(), kKeyboardModeGame);
}

// Drawn on the recording backend with the shipped font, in white.
class ConsoleDrawingTest : public ConsoleTest
{
protected:
    void SetUp() override
    {
        ConsoleTest::SetUp();
        m_backend.SetColour(kWhite);
    }

    std::vector<TextRun> Draw(float x, float y)
    {
        m_backend.ClearFrame();
        DrawConsole(x, y);
        return ReadTextRuns(m_backend, GetGraphics().GetTexture("Font2.tga")->GetGLName());
    }

    static constexpr RenderColour kWhite{1, 1, 1, 1};
    CShippedDrawing m_drawing;
    CRecordingBackend& m_backend = m_drawing.backend;
};

TEST_F(ConsoleDrawingTest, InputLineBelowTheNewestFiveLines)
{
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
