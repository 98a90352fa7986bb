// CBotRoster keeps computer pilots in the server's empty slots, so a lone
// player always has a game. Given a wanted number of ships, it lets a bot
// join while people and bots together are fewer, and lets the newest bot go
// when they are more (a person joined) and bots remain.
//
// A bot is a player like any other to the rest of the server: a record in
// the relay (with an id of the bots' range, see IsBotPlayer) that joins and
// leaves through the same paths a person's does, with the same lines and
// messages, so every client shows it unchanged. Its keys come from a CPilot,
// which the roster asks before each tick of the world.
#pragma once

#include "ai/NavGrid.h"
#include "ai/Pilot.h"
#include "session/SessionTypes.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

class CRoundController;
class CSessionRelay;

class CBotRoster
{
public:
    // Suffix of every bot's name, so nobody mistakes it for a person.
    static constexpr const char* kNameSuffix = " [bot]";

    CBotRoster(CSessionRelay& relay, CRoundController& rounds);

    // Ships the server keeps in play, people and bots together; 0 (the
    // default) means no bots.
    void SetWantedShips(uint32_t ships) { m_wantedShips = ships; }
    uint32_t GetWantedShips() const { return m_wantedShips; }
    size_t GetBotCount() const { return m_pilots.size(); }

    // Lets one bot join or leave when the count is off; at most one a call.
    void Balance();
    // Each bot's pilot chooses the keys its ship holds in the coming tick of
    // the round's world; `elapsed` is that tick's game time.
    void Fly(int32_t elapsed);

private:
    size_t CountPeople() const;
    void JoinBot();
    void RetireNewestBot();
    std::string PickName() const;

    CSessionRelay& m_relay;
    CRoundController& m_rounds;
    uint32_t m_wantedShips = 0;
    session::PlayerId m_nextBot;
    // By player id: the order bots joined in, so the newest is the last.
    std::map<session::PlayerId, CPilot> m_pilots;
    CNavGrid m_grid;
};
