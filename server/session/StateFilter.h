// CStateFilter remembers what one client (or every client of a broadcast)
// was last told about each ship, object and turret, and when, and decides
// whether a new state message for it needs to go. Most of what the world
// reports on every tick is already known to the client: turrets rarely
// change, a dead ship stays dead, and bullets fly straight, which the
// client's own advance follows from the last report. So a state goes
// - the first time, and again once the refresh time has passed since it was
//   last told, so that a lost datagram heals within that time;
// - at once when it differs from what the client makes of the last one told:
//   its position carried forward along the told velocity (as the client
//   does, for at most kMaxReportCarryMs) further than a small error the short way
//   round the wrapping world, its velocity, angle or fuel beyond small
//   tolerances, or any change of kind, subtype, flags, ammunition, frags,
//   direction or being in play.
// A ship reported dead is reported again only at the refresh time. Every
// other message always goes, and some make the client see an object anew
// (a ship put into play, an object gone, a new map), so what was told about
// it is forgotten.
#pragma once

#include "game/ClientAdvance.h"
#include "game/Vector.h"
#include "net/Message.h"

#include <array>
#include <cstdint>
#include <unordered_map>

class CStateFilter
{
public:
    // Long enough to save most of the repeats, short enough that a client
    // that lost a report is put right before a player would mind.
    static constexpr uint32_t kRefreshMs = 1000;
    static_assert(kRefreshMs < kMaxReportCarryMs, "the client carries a report until it is refreshed");
    // The client carries a report forward only once one came after a frame
    // without any; before that it holds on to the last report as it stands.
    // So a moving thing whose last report came close on the one before is
    // told again after this long, which is more than a frame.
    static constexpr uint32_t kSettleMs = 50;

    explicit CStateFilter(uint32_t refreshMs = kRefreshMs) : m_refreshMs(refreshMs) {}

    // The world's size, for offsets the short way round; 0 (the default)
    // compares positions as they stand.
    void SetWorldSize(float width, float height);
    // True when `message` must go to the client at `now` (the platform's
    // millisecond clock); a state that goes is remembered as told.
    bool Admit(const CMessage& message, uint32_t now);
    // Forgets everything told: a new round, or a newcomer who knows nothing.
    void Forget() { m_told.clear(); }

    // What a state message says, in the terms it is compared in.
    struct Snapshot
    {
        CVector position, velocity;
        float angle = 0, fuel = 0;
        std::array<int32_t, 8> exact{}; // fields any change of which goes at once
    };

private:
    struct Told
    {
        Snapshot state;
        uint32_t at = 0;
        bool settled = false; // the client carries it forward
    };

    bool IsDue(const Told& told, uint32_t now) const;
    bool Differs(const Told& told, const Snapshot& state, uint32_t now) const;
    bool AdmitState(uint64_t key, const Snapshot& state, uint32_t now);
    void NoteOther(const CMessage& message);

    uint32_t m_refreshMs;
    float m_width = 0, m_height = 0;
    std::unordered_map<uint64_t, Told> m_told;
};
