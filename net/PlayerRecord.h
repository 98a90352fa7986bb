// What the server knows of one connected player: its session id, the name and
// ship type it registered with, its ship's object id, and the controls it
// holds down.
#pragma once

#include "platform/SessionTypes.h"

#include <array>
#include <cstdint>
#include <string>

class CPlayerRecord
{
public:
    static constexpr size_t kMaxKeys = 32;

    explicit CPlayerRecord(platform::PlayerId player) : m_player(player) {}

    platform::PlayerId GetPlayerId() const { return m_player; }

    // Empty until the player registers. Names are cut to 127 characters.
    const std::string& GetName() const { return m_name; }
    void SetName(const char* name);
    bool IsRegistered() const { return m_shipId != 0; }

    uint32_t GetShipType() const { return m_shipType; }
    void SetShipType(uint32_t shipType) { m_shipType = shipType; }
    uint32_t GetShipId() const { return m_shipId; }
    void SetShipId(uint32_t shipId) { m_shipId = shipId; }

    // Stores at most the first 32 codes; the remaining entries become 0.
    void SetKeys(const uint32_t* codes, uint32_t count);
    const std::array<uint32_t, kMaxKeys>& GetKeys() const { return m_keys; }

private:
    platform::PlayerId m_player;
    std::string m_name;
    uint32_t m_shipType = 0;
    uint32_t m_shipId = 0;
    std::array<uint32_t, kMaxKeys> m_keys{};
};
