// What a client is told again: states it already knows or predicts wait for
// the refresh time, changes and mispredictions go at once, and messages that
// make the client take a thing anew make it news again.
#include "server/session/StateFilter.h"

#include "game/GameObject.h"
#include "tests/net/Messages.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace
{
constexpr uint32_t kRefresh = CStateFilter::kRefreshMs;
constexpr uint32_t kSettle = CStateFilter::kSettleMs;

CMessage Bullet(ObjectId id, CVector position, CVector velocity, int32_t subtype = 0)
{
    return Msg(&CMessage::SetObjectState, id, KIND_BULLET, position, velocity, 0.0f, subtype);
}
CMessage Turret(ObjectId id, uint8_t inPlay)
{
    return Msg(&CMessage::SetTurretState, id, 2, inPlay, CVector(48, 48, 1));
}
const auto Died = [](ObjectId id) { return Msg(&CMessage::SetShipDied, id); };

struct Offer
{
    uint32_t at;
    CMessage message;
    bool goes;
};
} // namespace

TEST(StateFilter, TellsWhatTheClientCannotKnowAndRefreshesTheRest)
{
    const CVector v(100, 0, 0); // 5 units per 50 ms
    const struct
    {
        const char* what;
        std::vector<Offer> offers;
    } cases[] = {
        {"an unchanged turret waits for the refresh time",
         {{0, Turret(3, 1), true},
          {500, Turret(3, 1), false},
          {kRefresh - 1, Turret(3, 1), false},
          {kRefresh, Turret(3, 1), true},
          {kRefresh + 1, Turret(3, 1), false}}},
        {"a turret's change goes at once", {{0, Turret(3, 1), true}, {10, Turret(3, 0), true}}},
        {"a bullet flying straight is told once more so the client carries it forward, then only refreshed",
         {{0, Bullet(5, CVector(100, 100, 1), v), true},
          {kSettle, Bullet(5, CVector(105, 100, 1), v), true},
          {kSettle + kRefresh - 1, Bullet(5, CVector(204.9, 100, 1), v), false},
          {kSettle + kRefresh, Bullet(5, CVector(205, 100, 1), v), true}}},
        {"a bounce goes at once",
         {{0, Bullet(5, CVector(100, 100, 1), v), true},
          {10, Bullet(5, CVector(101, 100, 1), CVector(-100, 0, 0)), true}}},
        {"pushed aside",
         {{0, Turret(3, 1), true}, {10, Msg(&CMessage::SetTurretState, 3, 2, 1, CVector()), true}}},
        {"a new subtype",
         {{0, Bullet(5, CVector(), CVector()), true}, {10, Bullet(5, CVector(), CVector(), 1), true}}},
        {"across the world's edge the short way round",
         {{0, Bullet(5, CVector(985, 10, 1), v), true},
          {kSettle, Bullet(5, CVector(990, 10, 1), v), true},
          {kSettle + 100, Bullet(5, CVector(1000 - 1000, 10, 1), v), false}}},
        {"a dead ship is told again at the refresh time, a death after a life at once",
         {{0, Died(2), true},
          {100, Died(2), false},
          {kRefresh, Died(2), true},
          {kRefresh + 1, ShipStateMsg(2, 50), true},
          {kRefresh + 2, Died(2), true}}},
        {"a ship's fuel within a sliver is known",
         {{0, ShipStateMsg(2, 50), true},
          {10, ShipStateMsg(2, 50.5f), false},
          {20, ShipStateMsg(2, 48), true},
          {30, ShipStateMsg(2, 48, 1), true}}},
        {"an object gone, its id is news",
         {{0, Turret(3, 1), true},
          {0, Bullet(3, CVector(), CVector()), true},
          {1, Msg(&CMessage::SetObjectGone, 3), true},
          {2, Bullet(3, CVector(), CVector()), true},
          {3, Turret(3, 1), false}}},
        {"a ship put into play or gone is news",
         {{0, ShipStateMsg(2, 50), true},
          {1, Msg(&CMessage::SetShipInfo, 2, 0, 0, 0, "Ace"), true},
          {2, ShipStateMsg(2, 50), true},
          {3, Msg(&CMessage::SetPlayerLeft, 2), true},
          {4, Died(2), true}}},
        {"a new map is news for everything",
         {{0, Turret(3, 1), true}, {1, Msg(&CMessage::SetMap, "Caves"), true}, {2, Turret(3, 1), true}}},
    };
    for (const auto& [what, offers] : cases)
    {
        CStateFilter filter;
        filter.SetWorldSize(1000, 1000);
        for (size_t i = 0; i < offers.size(); ++i)
            EXPECT_EQ(filter.Admit(offers[i].message, offers[i].at), offers[i].goes)
                << what << ", offer " << i;
    }
}

TEST(StateFilter, ForgettingTellsEverythingAgainAcrossTheClockWrap)
{
    CStateFilter filter;
    const uint32_t start = 0xFFFFFF00u;
    EXPECT_TRUE(filter.Admit(Turret(3, 1), start));
    EXPECT_FALSE(filter.Admit(Turret(3, 1), start + 500));
    filter.Forget();
    EXPECT_TRUE(filter.Admit(Turret(3, 1), start + 501));
    EXPECT_FALSE(filter.Admit(Turret(3, 1), start + 502));
    EXPECT_TRUE(filter.Admit(Turret(3, 1), start + 501 + kRefresh)) << "past the wrap";
    EXPECT_TRUE(filter.Admit(Msg(&CMessage::SetText, "chat"), 0)) << "other messages always go";
    EXPECT_TRUE(filter.Admit(Msg(&CMessage::SetText, "chat"), 0));
}
