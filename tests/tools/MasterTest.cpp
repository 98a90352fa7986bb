// The master's list without a socket: who gets listed, for how long, who
// gets which servers, and the limits that keep forged traffic harmless.
#include "tools/master/MasterList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
namespace sm = session::master;
using master::CMasterList;
using master::MasterLimits;
using master::ServerAddress;

constexpr uint32_t kProtocol = 2;
constexpr uint64_t kSecond = 1000;

ServerAddress Loopback(uint16_t port, uint32_t lastByte = 1)
{
    return {0x7F000000u | lastByte, port};
}

struct ServerInfo
{
    uint32_t protocol = kProtocol;
    int clients = 1;
    int maxClients = 8;
    std::string game{sm::kGameName};
};

// A master that records what it sends and logs, and what clients and
// servers do to it.
class CMasterUnderTest : public master::IMasterSink
{
public:
    struct Sent
    {
        ServerAddress to;
        std::vector<uint8_t> bytes;
    };

    explicit CMasterUnderTest(const MasterLimits& limits = {}) : list(limits, 42, *this) {}

    void Send(const ServerAddress& to, const std::vector<uint8_t>& bytes) override
    {
        sent.push_back({to, bytes});
    }
    void Log(const std::string& line) override { log.push_back(line); }

    void Feed(const std::vector<uint8_t>& bytes, const ServerAddress& from, uint64_t now)
    {
        list.Receive(bytes.data(), bytes.size(), from, now);
    }

    // The challenge of the getinfo the heartbeat earned; "" when none came.
    std::string Heartbeat(const ServerAddress& from, uint64_t now = 0)
    {
        sent.clear();
        Feed(sm::MakeHeartbeat(), from, now);
        sm::Connectionless getinfo;
        if (sent.size() != 1 || !(sent[0].to == from) ||
            !sm::ParseConnectionless(sent[0].bytes.data(), sent[0].bytes.size(), getinfo))
            return "";
        EXPECT_EQ(getinfo.command, "getinfo");
        return getinfo.argument;
    }

    void Answer(const ServerAddress& from, const std::string& challenge, uint64_t now = 0,
                const ServerInfo& info = {})
    {
        Feed(sm::MakeInfoResponse({{"challenge", challenge},
                                   {"gamename", info.game},
                                   {"protocol", std::to_string(info.protocol)},
                                   {"hostname", "Quorvex Server"},
                                   {"clients", std::to_string(info.clients)},
                                   {"sv_maxclients", std::to_string(info.maxClients)}}),
             from, now);
    }

    void Register(const ServerAddress& from, uint64_t now = 0, const ServerInfo& info = {})
    {
        Answer(from, Heartbeat(from, now), now, info);
    }

    // Every server in the answers to a getservers from `from`.
    std::vector<ServerAddress> Query(const std::string& request, const ServerAddress& from, uint64_t now = 0)
    {
        sent.clear();
        std::vector<uint8_t> bytes = {0xFF, 0xFF, 0xFF, 0xFF};
        bytes.insert(bytes.end(), request.begin(), request.end());
        Feed(bytes, from, now);
        std::vector<ServerAddress> servers;
        bool ended = false;
        for (const Sent& datagram : sent)
            EXPECT_TRUE(
                sm::ParseGetServersResponse(datagram.bytes.data(), datagram.bytes.size(), servers, ended));
        EXPECT_EQ(ended, !sent.empty());
        return servers;
    }

    bool IsListed(const ServerAddress& server, uint64_t now = 0)
    {
        std::vector<ServerAddress> all = Query("getservers Quorvex 2 empty full", Loopback(9999, 200), now);
        return std::find(all.begin(), all.end(), server) != all.end();
    }

    std::vector<Sent> sent;
    std::vector<std::string> log;
    CMasterList list;
};

const ServerAddress kServer = Loopback(3001);
} // namespace

TEST(Master, ListsOnlyAServerThatEchoesItsChallenge)
{
    const std::string quorvex(sm::kGameName);
    struct Case
    {
        const char* what;
        bool answerRight;
        ServerAddress answerFrom;
        uint64_t answerAt;
        std::string game;
        bool listed;
    } cases[] = {
        {"the right answer", true, kServer, 4 * kSecond, quorvex, true},
        {"a forged heartbeat: a guessed challenge", false, kServer, 0, quorvex, false},
        {"the answer from another port", true, Loopback(3002), 0, quorvex, false},
        {"another game", true, kServer, 0, "OtherGame", false},
        {"an answer after the timeout", true, kServer, 5 * kSecond, quorvex, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        CMasterUnderTest master;
        std::string challenge = master.Heartbeat(kServer);
        ASSERT_EQ(challenge.size(), 12u);
        master.list.Expire(c.answerAt);
        ServerInfo info;
        info.game = c.game;
        master.Answer(c.answerFrom, c.answerRight ? challenge : "guessed", c.answerAt, info);
        EXPECT_EQ(master.IsListed(kServer, c.answerAt), c.listed);
        std::vector<std::string> log;
        if (c.listed)
            log.push_back("Listed 127.0.0.1:3001 (Quorvex Server)");
        EXPECT_EQ(master.log, log);
    }
}

// A later heartbeat while the challenge waits gets the same one again, so a
// forged heartbeat cannot spoil the answer the real server is sending.
TEST(Master, ARepeatedHeartbeatKeepsTheWaitingChallenge)
{
    CMasterUnderTest master;
    std::string challenge = master.Heartbeat(kServer, 0);
    EXPECT_EQ(master.Heartbeat(kServer, 1 * kSecond), challenge);
    master.Answer(kServer, challenge, 2 * kSecond);
    EXPECT_TRUE(master.IsListed(kServer, 2 * kSecond));
    EXPECT_NE(master.Heartbeat(kServer, 3 * kSecond), challenge)
        << "a listed server's refresh gets a new one";
}

TEST(Master, DropsAServerThatStopsAnsweringAfterTheExpiry)
{
    CMasterUnderTest master;
    master.Register(kServer, 0);
    master.Register(Loopback(3002), 0);
    master.Heartbeat(Loopback(3002), 600 * kSecond); // a heartbeat alone refreshes nothing
    master.Register(kServer, 600 * kSecond);
    master.list.Expire(899 * kSecond);
    EXPECT_TRUE(master.IsListed(Loopback(3002), 899 * kSecond));
    master.list.Expire(900 * kSecond);
    EXPECT_FALSE(master.IsListed(Loopback(3002), 900 * kSecond));
    EXPECT_TRUE(master.IsListed(kServer, 900 * kSecond));
    EXPECT_EQ(master.log.back(), "Dropped 127.0.0.1:3002: not heard from for 900 s");
    master.list.Expire(1500 * kSecond);
    EXPECT_FALSE(master.IsListed(kServer, 1500 * kSecond));
}

TEST(Master, GetServersFiltersByProtocolPeopleAndRoom)
{
    CMasterUnderTest master;
    const ServerAddress playing = Loopback(3001), empty = Loopback(3002), full = Loopback(3003),
                        older = Loopback(3004);
    master.Register(playing, 0, {kProtocol, 3, 8});
    master.Register(empty, 0, {kProtocol, 0, 8});
    master.Register(full, 0, {kProtocol, 8, 8});
    master.Register(older, 0, {kProtocol - 1, 3, 8});
    struct Case
    {
        const char* request;
        std::vector<ServerAddress> expected;
    } cases[] = {
        {"getservers Quorvex 2", {playing}},
        {"getservers Quorvex 2 empty", {playing, empty}},
        {"getservers Quorvex 2 full", {playing, full}},
        {"getservers Quorvex 2 empty full", {playing, empty, full}},
        {"getservers Quorvex 1 empty full", {older}},
        {"getservers OtherGame 2 empty full", {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.request);
        std::vector<ServerAddress> servers = master.Query(c.request, Loopback(5000, 9));
        auto byPort = [](const ServerAddress& a, const ServerAddress& b) { return a.port < b.port; };
        std::sort(servers.begin(), servers.end(), byPort);
        EXPECT_EQ(servers, c.expected);
    }
}

TEST(Master, BoundsServersChallengesAndAnswers)
{
    MasterLimits limits;
    limits.serversPerIpv4 = 3;
    limits.servers = 5;
    limits.pendingChallenges = 4;
    limits.answersPerSecond = 6;

    CMasterUnderTest perAddress(limits);
    for (uint16_t port = 1; port <= 4; ++port)
        perAddress.Register(Loopback(port), 0);
    perAddress.Register(Loopback(1, 2), 0);
    EXPECT_EQ(perAddress.list.ListedCount(), 4u) << "three from 127.0.0.1, one from 127.0.0.2";
    EXPECT_FALSE(perAddress.IsListed(Loopback(4)));

    CMasterUnderTest total(limits);
    for (uint32_t host = 1; host <= 6; ++host)
        total.Register(Loopback(3001, host), 0);
    EXPECT_EQ(total.list.ListedCount(), 5u);

    CMasterUnderTest pending(limits);
    std::string first = pending.Heartbeat(Loopback(1, 1));
    for (uint32_t host = 2; host <= 5; ++host)
        pending.Heartbeat(Loopback(1, host));
    EXPECT_EQ(pending.list.PendingCount(), 4u);
    pending.Answer(Loopback(1, 1), first);
    EXPECT_FALSE(pending.IsListed(Loopback(1, 1))) << "the oldest challenge made way";

    CMasterUnderTest budget(limits);
    int answered = 0;
    for (uint16_t port = 1; port <= 10; ++port)
        answered += !budget.Heartbeat(Loopback(port, 7), 0).empty();
    EXPECT_EQ(answered, 6);
    EXPECT_EQ(budget.Heartbeat(Loopback(11, 7), 999), "");
    budget.Query("getservers Quorvex 2 empty full", Loopback(12, 7), 999);
    EXPECT_TRUE(budget.sent.empty()) << "queries draw on the same budget";
    EXPECT_NE(budget.Heartbeat(Loopback(11, 7), kSecond), "") << "the next second brings a new budget";
}

// Every cut of valid datagrams, and bytes that are no datagram of the
// protocol, are ignored without a reply.
TEST(Master, IgnoresTruncatedAndForeignDatagrams)
{
    CMasterUnderTest master;
    std::vector<std::vector<uint8_t>> datagrams = {
        sm::MakeHeartbeat(),
        {0xFF, 0xFF, 0xFF, 0xFF, 'h', 'e', 'a', 'r', 't', 'b', 'e', 'a', 't', ' ', 'Q', '3'},
        {'h', 'e', 'a', 'r', 't', 'b', 'e', 'a', 't'},
    };
    for (const std::vector<uint8_t>& whole : datagrams)
        for (size_t size = 0; size + 1 < whole.size(); ++size)
            master.list.Receive(whole.data(), size, Loopback(uint16_t(size + 1), 3), 0);
    EXPECT_TRUE(master.sent.empty());
    EXPECT_EQ(master.list.PendingCount(), 0u);
}
