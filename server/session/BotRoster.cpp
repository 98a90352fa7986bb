#include "server/session/BotRoster.h"

#include "game/Settings.h"
#include "game/Ship.h"
#include "net/Message.h"
#include "platform/Random.h"
#include "server/session/PlayerRecord.h"
#include "server/session/RoundController.h"
#include "server/session/SessionRelay.h"

#include <algorithm>
#include <iterator>

namespace
{
const char* const kPilotNames[] = {"Vega",  "Orion", "Lyra",  "Rigel", "Altair", "Deneb",  "Sirius", "Nova",
                                   "Atlas", "Juno",  "Talon", "Ember", "Zephyr", "Cobalt", "Quasar", "Halo"};
} // namespace

CBotRoster::CBotRoster(CSessionRelay& relay, CRoundController& rounds)
    : m_relay(relay), m_rounds(rounds), m_nextBot(kFirstBotPlayer)
{
}

// People are the players who registered a ship; the host's own player and
// clients still joining have none.
size_t CBotRoster::CountPeople() const
{
    const auto& players = m_relay.GetPlayers();
    return static_cast<size_t>(std::count_if(players.begin(), players.end(),
                                             [](const CPlayerRecord& record)
                                             { return record.IsRegistered() && !record.IsBot(); }));
}

void CBotRoster::Balance()
{
    size_t ships = CountPeople() + m_pilots.size();
    if (ships < m_wantedShips)
        JoinBot();
    else if (ships > m_wantedShips && !m_pilots.empty())
        RetireNewestBot();
}

// The bot registers as a client's MSG_JOIN would have it.
void CBotRoster::JoinBot()
{
    session::PlayerId player = m_nextBot++;
    m_relay.AddPlayer(player);
    CPlayerRecord* record = m_relay.FindPlayer(player);
    if (!record)
        return;
    uint32_t shipType = static_cast<uint32_t>(platform::Rand() % CShip::kShipTypes);
    CMessage join;
    join.SetJoin(0, shipType, PickName().c_str());
    m_rounds.OnJoin(*record, join);
    uint32_t seed = static_cast<uint32_t>(platform::Rand()) << 15 | static_cast<uint32_t>(platform::Rand());
    m_pilots.emplace(player, CPilot(record->GetShipId(), seed));
}

// As a person's departure: the ship goes first, then the record.
void CBotRoster::RetireNewestBot()
{
    auto newest = std::prev(m_pilots.end());
    if (CPlayerRecord* record = m_relay.FindPlayer(newest->first))
        m_rounds.RetireShip(record->GetShipId());
    m_relay.RemovePlayer(newest->first);
    m_pilots.erase(newest);
}

// A pilot name no bot in the game has yet, drawn from the game's generator.
std::string CBotRoster::PickName() const
{
    constexpr size_t kNames = std::size(kPilotNames);
    size_t first = static_cast<size_t>(platform::Rand()) % kNames;
    for (size_t i = 0; i < kNames; ++i)
    {
        std::string name = std::string(kPilotNames[(first + i) % kNames]) + kNameSuffix;
        const auto& players = m_relay.GetPlayers();
        bool taken = std::any_of(players.begin(), players.end(),
                                 [&](const CPlayerRecord& record) { return record.GetName() == name; });
        if (!taken)
            return name;
    }
    return std::string(kPilotNames[first]) + kNameSuffix;
}

void CBotRoster::Fly(int32_t elapsed)
{
    CGameWorld* world = m_rounds.GetWorld();
    if (!world || !world->GetMap() || m_pilots.empty())
        return;
    m_grid.Follow(*world->GetMap(), g_settings.FuelRange);
    for (auto& [player, pilot] : m_pilots)
    {
        CPlayerRecord* record = m_relay.FindPlayer(player);
        if (!record)
            continue;
        const HeldKeys& keys = pilot.Think(*world, m_grid, elapsed);
        record->SetKeys(keys.data(), static_cast<uint32_t>(keys.size()));
    }
}
