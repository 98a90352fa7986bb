// The master-server codec: what other programs of the protocol send and
// expect byte for byte, and the malformed packets a public port receives.
#include "session/MasterWire.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace session::master;

namespace
{
std::vector<uint8_t> Bytes(std::string_view text)
{
    return {text.begin(), text.end()};
}

std::string Text(const std::vector<uint8_t>& bytes)
{
    return {bytes.begin(), bytes.end()};
}
} // namespace

TEST(MasterWire, PacketsCarryTheWordsOtherProgramsExpect)
{
    EXPECT_EQ(Text(MakeHeartbeat()), "\xFF\xFF\xFF\xFFheartbeat DarkPlaces\n");
    EXPECT_EQ(Text(MakeGetInfo("abc")), "\xFF\xFF\xFF\xFFgetinfo abc");
    EXPECT_EQ(Text(MakeGetServers(2, true, false)), "\xFF\xFF\xFF\xFFgetservers Quorvex 2 empty");
    EXPECT_EQ(Text(MakeStatusResponse({{"mapname", "arena"}}, {{3, 48, "A\\b\"c\n"}, {-1, 0, "Bot"}})),
              "\xFF\xFF\xFF\xFFstatusResponse\n\\mapname\\arena\n3 48 \"A?b?c?\"\n-1 0 \"Bot\"\n");
}

TEST(MasterWire, ConnectionlessPacketsAreSplitIntoCommandAndArgument)
{
    struct Case
    {
        std::string_view bytes;
        bool valid;
        std::string command, argument;
    };
    const Case cases[] = {
        {"\xFF\xFF\xFF\xFFgetinfo xyz\nrest", true, "getinfo", "xyz"},
        {"\xFF\xFF\xFF\xFFgetstatus", true, "getstatus", ""},
        {"\xFF\xFF\xFF\xFFgetserversResponse\\\x7F", true, "getserversResponse", ""},
        {"\xFF\xFF\xFF\xFF", false, "", ""},
        {"\xFF\xFF\xFF\xFF getinfo", false, "", ""},
        {"\xFF\xFF\xFFgetinfo", false, "", ""},
    };
    for (const Case& c : cases)
    {
        Connectionless packet;
        std::vector<uint8_t> bytes = Bytes(c.bytes);
        ASSERT_EQ(ParseConnectionless(bytes.data(), bytes.size(), packet), c.valid) << c.bytes;
        if (c.valid)
        {
            EXPECT_EQ(std::pair(packet.command, packet.argument), std::pair(c.command, c.argument));
        }
    }
}

TEST(MasterWire, InfoStringsSurvivePlayerTextAndRejectMalformed)
{
    InfoPairs pairs{{"hostname", "a\\b\"c\nd"}, {"clients", "3"}, {"empty", ""}};
    std::vector<uint8_t> response = MakeInfoResponse(pairs);
    InfoPairs decoded;
    ASSERT_TRUE(ParseInfoResponse(response.data(), response.size(), decoded));
    EXPECT_EQ(decoded, (InfoPairs{{"hostname", "a?b?c?d"}, {"clients", "3"}, {"empty", ""}}));

    for (std::string_view bad : {"key\\value", "\\key", "\\\\value", "\\k\\v\\", "\\k\\v\nx"})
        EXPECT_FALSE(DecodeInfoString(bad, decoded)) << bad;
}

TEST(MasterWire, GetServersNamesGameProtocolAndFilters)
{
    struct Case
    {
        std::string argument;
        bool valid;
        GetServersQuery query;
    };
    const Case cases[] = {
        {"Quorvex 2", true, {"Quorvex", 2, false, false}},
        {"Quorvex 7 full gametype=1 empty", true, {"Quorvex", 7, true, true}},
        {"Quorvex", false, {}},
        {"Quorvex 2x", false, {}},
        {"Quorvex 99999999999", false, {}},
    };
    for (const Case& c : cases)
    {
        GetServersQuery query;
        ASSERT_EQ(ParseGetServers({"getservers", c.argument}, query), c.valid) << c.argument;
        EXPECT_EQ(std::tuple(query.game, query.protocol, query.empty, query.full),
                  std::tuple(c.query.game, c.query.protocol, c.query.empty, c.query.full));
    }
    std::vector<uint8_t> sent = MakeGetServers(3, false, true);
    Connectionless packet;
    GetServersQuery query;
    ASSERT_TRUE(ParseConnectionless(sent.data(), sent.size(), packet) && ParseGetServers(packet, query));
    EXPECT_EQ(std::tuple(query.game, query.protocol, query.full), std::tuple("Quorvex", 3u, true));
}

TEST(MasterWire, ServerListsSplitIntoDatagramsAndEndOnce)
{
    for (size_t count : {0, 1, 195, 196, 500})
    {
        std::vector<ServerAddress> servers;
        for (size_t i = 0; i < count; ++i)
            servers.push_back({0x7F000001u + uint32_t(i), uint16_t(26000 + i)});
        std::vector<ServerAddress> received;
        bool ended = false;
        for (const std::vector<uint8_t>& datagram : MakeGetServersResponses(servers))
        {
            EXPECT_FALSE(ended) << "end marker before the last datagram";
            EXPECT_LE(datagram.size(), kMaxMasterDatagram);
            ASSERT_TRUE(ParseGetServersResponse(datagram.data(), datagram.size(), received, ended));
        }
        EXPECT_TRUE(ended);
        EXPECT_EQ(received, servers);
    }
    std::vector<uint8_t> one = MakeGetServersResponses({{0x0A000102, 27960}})[0];
    EXPECT_EQ(std::vector<uint8_t>(one.begin() + 22, one.begin() + 29),
              (std::vector<uint8_t>{'\\', 10, 0, 1, 2, 0x6D, 0x38}));
    std::vector<ServerAddress> ignored;
    bool ended = false;
    for (size_t cut : {size_t(23), one.size() - 3})
        EXPECT_FALSE(ParseGetServersResponse(one.data(), cut, ignored, ended)) << cut;
}
