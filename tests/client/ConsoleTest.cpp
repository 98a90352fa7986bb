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
#include "net/Client.h"
#include "net/Message.h"
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
        {"/name", "Player name set to , long live !|(note: If you're currently logged "
                  "into a server this|"
                  "       won't take effect until you log out and log|       back in.)|"},
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
                                "|Player name set to Big Al, long live Big Al!|",
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
