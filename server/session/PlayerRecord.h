// What the server knows of one connected player: its session id, the name and
// ship type it registered with, its ship's object id, the controls it holds
// down, and how much chat, how many registrations and how many refused
// requests it may still send.
#pragma once

#include "game/HeldKeys.h"
#include "game/ObjectId.h"
#include "server/session/RateLimit.h"
#include "session/SessionTypes.h"

#include <cstdint>
#include <string>

// Computer pilots have records too, with ids from here up. The session
// counts its players' ids up from 1 and would need two billion joins to get
// here, so a bot's id is never a session player's. A bot has no peer:
// nothing is sent to it, it has no outbox and it is no client.
constexpr session::PlayerId kFirstBotPlayer = 0x80000000u;
inline bool IsBotPlayer(session::PlayerId player)
{
    return player >= kFirstBotPlayer;
}

class CPlayerRecord
{
public:
    explicit CPlayerRecord(session::PlayerId player) : m_player(player) {}

    session::PlayerId GetPlayerId() const { return m_player; }
    bool IsBot() const { return IsBotPlayer(m_player); }

    // Empty until the player registers. Names are cut to 127 characters.
    const std::string& GetName() const { return m_name; }
    void SetName(const char* name);
    // The name for the server's log lines about the player: its name, or
    // "an unnamed player" while it has none.
    std::string GetLogName() const;
    bool IsRegistered() const { return m_shipId != 0; }

    uint32_t GetShipType() const { return m_shipType; }
    void SetShipType(uint32_t shipType) { m_shipType = shipType; }
    ObjectId GetShipId() const { return m_shipId; }
    void SetShipId(ObjectId shipId) { m_shipId = shipId; }

    // Stores at most the first kMaxHeldKeys codes; the remaining entries
    // become 0. The array stays where it is for the record's whole life: the
    // record's ship holds its address.
    void SetKeys(const uint32_t* codes, uint32_t count);
    const HeldKeys& GetKeys() const { return m_keys; }

    // Whether a chat line, or a registration, arriving at `now` (GetTickCount)
    // may pass, and whether a refused request may still be logged (see
    // CRateLimit).
    bool AllowChat(uint32_t now) { return m_chatLimit.Allow(now, GetLogName()); }
    bool AllowJoin(uint32_t now) { return m_joinLimit.Allow(now, GetLogName()); }
    bool AllowRefusalNotice(uint32_t now) { return m_refusalLimit.Allow(now, GetLogName()); }

private:
    session::PlayerId m_player;
    std::string m_name;
    uint32_t m_shipType = 0;
    ObjectId m_shipId = 0;
    HeldKeys m_keys{};
    CRateLimit m_chatLimit{kChatRule};
    CRateLimit m_joinLimit{kJoinRule};
    CRateLimit m_refusalLimit{kRefusalRule};
};
