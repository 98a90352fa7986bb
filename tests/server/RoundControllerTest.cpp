// The server's rounds: the rotation and map requests, the round's opening
// message, its limits, registering (again), and the held keys a ship flies by.
#include "server/session/RoundController.h"

#include "game/Settings.h"
#include "server/session/MapRotation.h"
#include "tests/server/SessionFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testing_support;

namespace
{
constexpr session::PlayerId kPlayer = 7;

class RoundControllerTest : public SessionFixture
{
protected:
    RoundControllerTest() { relay.AddPlayer(kPlayer); }
    // The maps every MSG_MAP sent so far announced, in order.
    std::vector<std::string> Announced()
    {
        std::vector<std::string> names;
        for (const SentPacket& packet : sender.packets)
            for (const CMessage& message : packet.messages)
                if (message.GetType() == MSG_MAP)
                    names.push_back(TextOf(message));
        return names;
    }
    void RequestMap(const char* name) { rounds.OnMapRequest(Msg(&CMessage::SetMap, name)); }
    CPlayerRecord& Join(const char* name) { return SessionFixture::Join(kPlayer, name); }
    CShip* ShipOf(const CPlayerRecord& record) { return rounds.GetWorld()->FindPlayer(record.GetShipId()); }
};
} // namespace

// The rotation holds the maps that exist, in the order added (the rounds'
// turn through it is the map request test's); a map leaving it keeps the
// turn of the others.
TEST_F(RoundControllerTest, AMapLeavingTheRotationKeepsTheTurnOfTheOthers)
{
    CMapRotation rotation;
    AddMaps({"Alpha", "Beta", "C"});
    for (const char* name : {"Alpha.smp", "Beta.smp", "C.smp", "D.smp"})
        rotation.Add(name);
    rotation.Remove("");
    EXPECT_EQ(rotation.Next(), "Maps\\Alpha.smp");
    EXPECT_EQ(rotation.Next(), "Maps\\Beta.smp");
    rotation.Remove("Maps\\Alpha.smp");
    EXPECT_EQ(rotation.Next(), "Maps\\C.smp") << "an earlier map leaving does not skip one";
    rotation.Remove("Maps\\C.smp");
    EXPECT_EQ(rotation.Next(), "Maps\\Beta.smp") << "the last map leaving wraps the turn round";
    rotation.Remove("maps\\beta.SMP");
    EXPECT_TRUE(rotation.IsEmpty()) << "a request's spelling finds the map";
    EXPECT_EQ(rotation.Next(), "");
}

// A new round drops what was queued and opens with its map; a welcome
// during the round's end says so last, and the end is queued for all after
// the round's map.
TEST_F(RoundControllerTest, NewRoundDropsWhatWasQueuedAndOpensWithItsMap)
{
    AddMaps({"Alpha"});
    relay.QueueMessage(0, Msg(&CMessage::SetText, "from the last round"));
    relay.QueueMessage(kPlayer, Msg(&CMessage::SetText, "also from the last round"));
    rounds.EndRound();
    EXPECT_TRUE(rounds.IsRoundOver());
    rounds.NewRound(nullptr);
    EXPECT_FALSE(rounds.IsRoundOver());
    rounds.EndRound();
    Join("Late");
    EXPECT_EQ(Sent(), (Packets{{kPlayer, {MSG_JOIN, MSG_MAP, MSG_ROUND_OVER}}}));
    relay.FlushBatches();
    EXPECT_EQ(Announced(), std::vector<std::string>{"Alpha"});
    EXPECT_EQ(Sent(), (Packets{{0, {MSG_MAP, MSG_ROUND_OVER}}}));
}

TEST_F(RoundControllerTest, MapRequestEndsTheRoundAtOnceAndPicksTheNextMap)
{
    AddMaps({"Alpha", "Beta", "Gamma"});
    rounds.NewRound(nullptr);
    const std::pair<const char*, const char*> requests[] = {
        {"Gamma", "Gamma"}, {"NoSuchMap", "Beta"}, {"..\\Maps\\Alpha", "Gamma"}, {"Maps/Beta", "Alpha"}};
    for (const auto& [name, next] : requests)
    {
        Sent();
        RequestMap(name);
        EXPECT_TRUE(rounds.IsRoundOver()) << name;
        EXPECT_EQ(Sent(), (Packets{{0, {MSG_ROUND_OVER}}})) << name << ": sent, not queued";
        rounds.NewRound(nullptr);
        EXPECT_EQ(PlayedMap(), next) << name;
    }
}

// A map that does not load or has no title, from the rotation or asked for,
// is reported and dropped from the rotation, and the next is played.
TEST_F(RoundControllerTest, AMapThatDoesNotLoadIsReportedDroppedAndTheNextPlayed)
{
    CMessageLog::GetServerLog().SetMaxLines(100);
    AddMaps({"Alpha", "Beta", "Gamma", "Broken"});
    WriteMap("Alpha", "Alpha", Ending::Truncated);
    WriteMap("Gamma", "");
    WriteMap("Broken", "Broken", Ending::Truncated);
    EXPECT_TRUE(rounds.NewRound(nullptr));
    EXPECT_EQ(PlayedMap(), "Beta");
    RequestMap("broken");
    EXPECT_TRUE(rounds.NewRound(nullptr));
    EXPECT_EQ(PlayedMap(), "Beta") << "the asked-for map and the untitled one are dropped";
    std::vector<std::string> lines = TakeServerLogLines();
    for (std::string map : {"Alpha", "broken", "Gamma"})
    {
        std::string line =
            "Map \"Maps\\" + map + ".smp\" could not be loaded; dropping it from the rotation.";
        EXPECT_EQ(std::count(lines.begin(), lines.end(), line), 1) << map;
    }
    EXPECT_EQ(rounds.GetRotation(), std::vector<std::string>{"Maps\\Beta.smp"});
}

// Only a server that never had a map plays the empty arena; once no map
// loads any more, the round that ended goes on afresh on its own map.
TEST_F(RoundControllerTest, WhenNoMapLoadsAnyMoreTheRoundGoesOnAfresh)
{
    EXPECT_TRUE(rounds.NewRound(nullptr));
    EXPECT_EQ(PlayedMap(), "");
    CRoundController broken(relay, lock);
    WriteMap("Broken", "Broken", Ending::Truncated);
    broken.AddMap("Broken.smp");
    EXPECT_FALSE(broken.NewRound(nullptr));
    EXPECT_EQ(broken.GetWorld(), nullptr);
    AddMaps({"Alpha"});
    rounds.NewRound(nullptr);
    CGameWorld* world = rounds.GetWorld();
    ShipOf(Join("Ace"))->SetFrags(5);
    rounds.EndRound();
    WriteMap("Alpha", "Alpha", Ending::Truncated);
    relay.FlushBatches();
    sender.packets.clear();
    TakeServerLogLines();
    EXPECT_TRUE(rounds.NewRound(nullptr));
    EXPECT_EQ(std::tuple(rounds.GetWorld(), PlayedMap(), rounds.IsRoundOver()),
              std::tuple(world, "Alpha", false))
        << "the world is kept";
    EXPECT_EQ(ShipOf(*relay.FindPlayer(kPlayer))->GetFrags(), 0) << "or the frag limit would end it again";
    EXPECT_EQ(TakeServerLogLines().back(), "No map could be loaded; the round on \"Alpha\" goes on.");
    relay.FlushBatches();
    EXPECT_EQ(Announced(), std::vector<std::string>{"Alpha"}) << "clients leave the round's end";
    EXPECT_TRUE(rounds.NewRound(nullptr)) << "and again at the next round's end";
    EXPECT_EQ(rounds.GetWorld(), world);
}

// Both limits may be reached in one pass: the round ends once for each, the
// frag limit's line first.
TEST_F(RoundControllerTest, AdvanceEndsTheRoundWhenALimitIsReached)
{
    AddMaps({"Alpha"});
    const struct
    {
        int32_t frags;
        uint32_t minutes;
        std::vector<std::string> lines;
    } cases[] = {
        {4, 14, {}},
        {5, 0, {"Frag Limit Hit!"}},
        {0, 15, {"Time Limit Hit!"}},
        {5, 15, {"Frag Limit Hit!", "Time Limit Hit!"}},
    };
    for (const auto& limits : cases)
    {
        ASSERT_TRUE(rounds.StartRound());
        ShipOf(Join("Ace"))->SetFrags(limits.frags);
        clock.Advance(limits.minutes * 60000);
        TakeServerLogLines();
        relay.FlushBatches();
        Sent();
        int flights = 0;
        rounds.Advance(GetTickCount(), 0, [&] { ++flights; });
        EXPECT_EQ(TakeServerLogLines(), limits.lines)
            << limits.frags << " frags, " << limits.minutes << " min";
        EXPECT_EQ(rounds.IsRoundOver(), !limits.lines.empty());
        EXPECT_EQ(flights, limits.lines.empty() ? 1 : 0) << "the pilots fly only while the round runs";
        relay.FlushBatches();
        Packets sent = Sent();
        EXPECT_EQ(!sent.empty() && sent[0].second.back() == MSG_ROUND_OVER, !limits.lines.empty())
            << "a round's end is told to all";
        clock.Advance(1000);
    }
}

// Keys held before a ship are ignored; registering again retires the old
// ship before the welcome; every registered player gets a ship in the next
// round. (That ships fly by their players' held keys is the end-to-end game
// tests'.)
TEST_F(RoundControllerTest, RegisteringAgainRetiresTheOldShip)
{
    AddMaps({"Alpha"});
    rounds.NewRound(nullptr);
    CPlayerRecord& record = *relay.FindPlayer(kPlayer);
    const uint32_t thrust[] = {KEY_THRUST};
    rounds.OnKeys(record, Msg(&CMessage::SetKeys, 0u, thrust, 1u));
    EXPECT_EQ(record.GetKeys()[0], 0u) << "no ship yet: the keys are ignored";
    Join("First");
    EXPECT_EQ(record.GetShipId(), 1u);
    Sent();
    Join("Again");
    EXPECT_EQ(record.GetShipId(), 2u);
    CGameWorld& world = *rounds.GetWorld();
    EXPECT_EQ(world.GetPlayerCount(), 1u);
    EXPECT_EQ(world.FindPlayer(1), nullptr);
    ASSERT_NE(world.FindPlayer(2), nullptr);
    EXPECT_EQ(std::tuple(world.FindPlayer(2)->GetName(), world.FindPlayer(2)->GetShipType()),
              std::tuple("Again", 2));
    uint32_t left = 0;
    EXPECT_TRUE(sender.packets.at(0).messages.at(0).GetPlayerLeft(left));
    EXPECT_EQ(left, 1u);
    EXPECT_EQ(Sent(), (Packets{{0, {MSG_PLAYER_LEFT}}, {kPlayer, {MSG_JOIN, MSG_MAP}}}))
        << "the retired ship is not shown";
    rounds.NewRound(nullptr);
    EXPECT_NE(ShipOf(record), nullptr);
}

TEST_F(RoundControllerTest, RegistrationsBeyondTheRateMakeNoShipAndTextArrivesPrintable)
{
    AddMaps({"Alpha"});
    rounds.NewRound(nullptr);
    TakeServerLogLines();
    CPlayerRecord& record = *relay.FindPlayer(kPlayer);
    for (int i = 0; i < 10; ++i)
        Join("Bad\r\nName");
    EXPECT_EQ(record.GetShipId(), 3u) << "three ships, the burst";
    EXPECT_EQ(ShipOf(record)->GetName(), "Bad??Name");
    TakeServerLogLines();
    RequestMap("Alpha\x1b[2J");
    EXPECT_EQ(TakeServerLogLines(), std::vector<std::string>{"Alpha?[2J has been requested"});
}
