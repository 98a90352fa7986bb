#include "common/MessageLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
std::vector<std::string> Walk(CMessageLog& log)
{
    std::vector<std::string> lines;
    char buffer[CMessageLog::kLineSize];
    log.ResetCursor();
    while (log.NextLine(buffer, sizeof buffer))
        lines.emplace_back(buffer);
    return lines;
}

class MessageLogTest : public ::testing::Test
{
protected:
    void SetUp() override { CMessageLog::DestroyServerLog(); }
    void TearDown() override { CMessageLog::DestroyServerLog(); }
    CMessageLog& log() { return CMessageLog::GetServerLog(); }
};
} // namespace

// Five lines by default; a new limit trims at once, and one below 1 is ignored.
TEST_F(MessageLogTest, KeepsTheNewestLinesAndWalksNewestFirst)
{
    for (int i = 1; i <= 6; ++i)
        log().Print("line %d", i);
    EXPECT_EQ(log().GetLineCount(), 5);
    EXPECT_EQ(Walk(log()), (std::vector<std::string>{"line 6", "line 5", "line 4", "line 3", "line 2"}));
    EXPECT_EQ(Walk(log()).size(), 5u) << "a second walk starts over";
    log().SetMaxLines(0);
    EXPECT_EQ(log().GetLineCount(), 5);
    log().SetMaxLines(2);
    EXPECT_EQ(Walk(log()), (std::vector<std::string>{"line 6", "line 5"}));
}

// A line is kept up to 1023 characters and read up to the buffer's size.
TEST_F(MessageLogTest, LinesAreBoundedAndReadIntoTheBuffer)
{
    log().Print("abcdef");
    char small[4] = {'x', 'x', 'x', 'x'};
    log().ResetCursor();
    ASSERT_TRUE(log().NextLine(small, sizeof small));
    EXPECT_STREQ(small, "abc");
    EXPECT_FALSE(log().NextLine(small, sizeof small)) << "cursor moved past the only line";
    log().ResetCursor();
    EXPECT_FALSE(log().NextLine(nullptr, 10));

    log().Print("%s", std::string(5000, 'q').c_str());
    char buffer[2048];
    log().ResetCursor();
    ASSERT_TRUE(log().NextLine(buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer).size(), 1023u);
}

TEST_F(MessageLogTest, NullFormatAddsNothingAndClearEmpties)
{
    const char* noFormat = nullptr;
    log().Print(noFormat);
    EXPECT_EQ(log().GetLineCount(), 0);
    log().Print("one");
    log().Print("two");
    log().ResetCursor();
    log().Clear();
    EXPECT_EQ(log().GetLineCount(), 0);
    EXPECT_TRUE(Walk(log()).empty());
}

TEST_F(MessageLogTest, CursorOnDroppedLineEndsTheWalk)
{
    log().SetMaxLines(2);
    log().Print("a");
    log().Print("b");
    log().ResetCursor();
    char buffer[16];
    ASSERT_TRUE(log().NextLine(buffer, sizeof buffer)); // cursor now on "a", the oldest
    log().Print("c");                                   // drops "a"
    EXPECT_FALSE(log().NextLine(buffer, sizeof buffer));
}

TEST_F(MessageLogTest, InputLineOpensReadsAndCloses)
{
    char buffer[8];
    EXPECT_FALSE(log().GetInputLine(buffer, sizeof buffer));
    log().OpenInputLine("hello world");
    EXPECT_TRUE(log().IsInputActive());
    ASSERT_TRUE(log().GetInputLine(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "hello w");
    log().SetInputActive(false);
    EXPECT_FALSE(log().GetInputLine(buffer, sizeof buffer));
    log().OpenInputLine("again");
    log().CloseInputLine();
    EXPECT_FALSE(log().IsInputActive());
    EXPECT_FALSE(log().GetInputLine(buffer, sizeof buffer));
}
