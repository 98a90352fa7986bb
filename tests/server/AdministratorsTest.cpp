// Who may shut the server down or change its map: everyone by default, else
// only the listed addresses, read strictly from the -admin list.
#include "server/session/Administrators.h"

#include <gtest/gtest.h>

using session::HostAddress;

TEST(Administrators, ListIsReadStrictlyAsDottedIpv4Addresses)
{
    EXPECT_EQ(CAdministrators::ParseList("127.0.0.5"), (std::vector<uint32_t>{0x7F000005}));
    EXPECT_EQ(CAdministrators::ParseList("192.168.1.20,0.0.0.0,255.255.255.255"),
              (std::vector<uint32_t>{0xC0A80114, 0, 0xFFFFFFFF}));
    for (const char* bad :
         {"", ",", "127.0.0.1,", ",127.0.0.1", "127.0.0.1,,10.0.0.1", "127.0.0", "127.0.0.1.2", "256.0.0.1",
          "127.0.0.01", "1234.0.0.1", "127.0.0.1 ", " 127.0.0.1", "127.0.0.1, 10.0.0.1", "localhost",
          "0x7f.0.0.1", "127.0.0.-1", "127..0.1", "::1", "127.0.0.1:3001"})
        EXPECT_FALSE(CAdministrators::ParseList(bad).has_value()) << '"' << bad << '"';
}

TEST(Administrators, EveryoneByDefaultOnlyTheListedOnesWhenRestricted)
{
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
