// What the server allows its clients: shutting it down or changing its map
// (everyone, or the -admin list read strictly), text shown printable, and no
// more messages than a player's rate, a flood said once.
#include "server/session/Administrators.h"
#include "server/session/PrintableText.h"
#include "server/session/RateLimit.h"
#include "tests/server/SessionFixture.h"

#include <gtest/gtest.h>

using session::HostAddress;
using testing_support::TakeServerLogLines;

TEST(Administrators, EveryoneByDefaultElseOnlyTheListReadStrictlyAsDottedIpv4Addresses)
{
    EXPECT_EQ(CAdministrators::ParseList("127.0.0.5"), (std::vector<uint32_t>{0x7F000005}));
    EXPECT_EQ(CAdministrators::ParseList("192.168.1.20,0.0.0.0,255.255.255.255"),
              (std::vector<uint32_t>{0xC0A80114, 0, 0xFFFFFFFF}));
    for (const char* bad :
         {"", ",", "127.0.0.1,", ",127.0.0.1", "127.0.0.1,,10.0.0.1", "127.0.0", "127.0.0.1.2", "256.0.0.1",
          "127.0.0.01", "1234.0.0.1", "127.0.0.1 ", " 127.0.0.1", "127.0.0.1, 10.0.0.1", "localhost",
          "0x7f.0.0.1", "127.0.0.-1", "127..0.1", "::1", "127.0.0.1:3001"})
        EXPECT_FALSE(CAdministrators::ParseList(bad).has_value()) << '"' << bad << '"';
    CAdministrators administrators;
    HostAddress loopback{0x7F000001, 40000};
    EXPECT_TRUE(administrators.Allows(loopback));
    EXPECT_TRUE(administrators.Allows(std::nullopt));
    administrators.Restrict({0x7F000005, 0xC0A80114});
    EXPECT_FALSE(administrators.Allows(loopback)) << "loopback counts only when listed";
    EXPECT_TRUE(administrators.Allows(HostAddress{0x7F000005, 1}));
    EXPECT_TRUE(administrators.Allows(HostAddress{0xC0A80114, 3001}));
    EXPECT_FALSE(administrators.Allows(std::nullopt)) << "the host's own player, or one gone";
    administrators.Restrict({});
    EXPECT_TRUE(administrators.Allows(loopback));
}

TEST(PrintableText, ControlCharactersBecomeQuestionMarksAndTheRestStays)
{
    std::string controls;
    for (int c = 1; c < 32; ++c)
        controls += static_cast<char>(c);
    controls += '\x7f';
    EXPECT_EQ(PrintableText(controls.c_str()), std::string(32, '?'));
    EXPECT_EQ(PrintableText(" ~Caf\xc3\xa9"), " ~Caf\xc3\xa9") << "space, tilde and UTF-8 bytes stay";
    EXPECT_EQ(PrintableText(nullptr), "");
}

namespace
{
// Offers one message every `everyMs` from `start` for `forMs`; returns how
// many passed, and adds the log lines it caused to `log`.
int Flood(CRateLimit& limit, uint32_t start, uint32_t everyMs, uint32_t forMs, std::vector<std::string>& log)
{
    int passed = 0;
    for (uint32_t t = 0; t < forMs; t += everyMs)
    {
        passed += limit.Allow(start + t, "Ace") ? 1 : 0;
        for (std::string& line : TakeServerLogLines())
            log.push_back(line);
    }
    return passed;
}
} // namespace

TEST(RateLimit, AFloodPassesTheBurstThenTheRateAndIsLoggedOnceUntilTheBucketRefills)
{
    std::vector<std::string> log;
    TakeServerLogLines(); // what an earlier test left
    CRateLimit chat(kChatRule);
    int passed = Flood(chat, 5000, 10, 10000, log);
    EXPECT_TRUE(passed == 5 + 29 || passed == 5 + 30)
        << passed << ": the burst, then 3 a second for 10 seconds";
    EXPECT_EQ(log, std::vector<std::string>{"Dropping chat from Ace: more than 3 lines a second."});
    CRateLimit joins(kJoinRule);
    uint32_t start = 0xFFFFF000u; // across the clock's wrap: differences are taken modulo 2^32
    EXPECT_EQ(Flood(joins, start, 100, 1000, log), 3) << "the burst; the next one is due at 1000 ms";
    EXPECT_EQ(Flood(joins, start + 1000, 100, 2000, log), 2) << "still flooding: one a second, no new line";
    EXPECT_EQ(log.back(), "Dropping registrations from Ace: more than 1 registration a second.");
    EXPECT_EQ(log.size(), 2u);
    EXPECT_EQ(Flood(joins, start + 3000 + 3000, 100, 1000, log), 3) << "quiet long enough to fill the bucket";
    EXPECT_EQ(log.size(), 3u) << "a new flood is logged again";
    CRateLimit calm(kChatRule);
    EXPECT_EQ(Flood(calm, 100, 334, 20000, log), 60) << "within the rate nothing is dropped";
    EXPECT_EQ(log.size(), 3u);
    CMessageLog::DestroyServerLog();
}
