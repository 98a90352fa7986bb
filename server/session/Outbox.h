// COutbox holds what the server has for one client between two sends when the
// server sends at a fixed rate instead of on every pass. It paces the sends
// (at most `perSecond` batches a second) and, while a batch waits, keeps it
// small without losing anything a client needs:
// - a state (ship, object or turret) replaces the waiting state of the same
//   object: the older one goes and the newer one joins at the end, so a state
//   never overtakes a message queued after the one it replaces;
// - an object's MSG_OBJECT_GONE drops the object's waiting states, and its
//   states queued after the GONE, before the next send, are dropped too
//   (ships and turrets are counted apart from objects, so only object states
//   are meant);
// - an exact repeat of a waiting message (a ship out of play is reported dead
//   on every tick) is kept once, at the place of the newest copy;
// - every other message, chat lines above all, is kept in its order;
// - a round's end or a new map is a barrier: what waits before it stays
//   before it, so no state of the round that ends follows it.
// At the send, a state the client already knows (see CStateFilter) stays out
// of the batch.
#pragma once

#include "game/ObjectId.h"
#include "net/Message.h"
#include "server/session/StateFilter.h"

#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <unordered_set>

class CMessageBatch;

class COutbox
{
public:
    // `perSecond` must be at least 1.
    explicit COutbox(uint32_t perSecond);

    void Queue(const CMessage& message);
    // Drops the waiting states and forgets the objects gone and what the
    // client was told: a new round begins, and its objects may take the old
    // ones' ids.
    void DropStates();
    // The client knows nothing yet (it has just joined): everything goes.
    void ForgetTold() { m_told.Forget(); }
    void SetWorldSize(float width, float height) { m_told.SetWorldSize(width, height); }
    bool IsEmpty() const { return m_waiting.empty(); }
    size_t GetCount() const { return m_waiting.size(); }

    // True when nothing was sent yet or a whole interval has passed since
    // the last send (`now` from the platform's millisecond clock).
    bool IsDue(uint32_t now) const;
    // Adds the waiting messages the client needs to `batch` in order,
    // empties the outbox and starts a new interval at `now`.
    void TakeBatch(CMessageBatch& batch, uint32_t now);

private:
    struct Entry
    {
        CMessage message;
        uint64_t stateKey = 0; // 0: not a state
        std::string repeatKey; // empty: not looked for as a repeat
    };
    using Waiting = std::list<Entry>;

    void QueueState(const CMessage& message, uint64_t key, ObjectId objectId);
    void QueueGone(const CMessage& message, ObjectId objectId);
    void QueueOnce(const CMessage& message);
    void QueueBarrier(const CMessage& message);
    void Erase(Waiting::iterator entry);

    uint32_t m_perSecond;
    bool m_sentOnce = false;
    uint32_t m_lastSend = 0;
    Waiting m_waiting;
    std::unordered_map<uint64_t, Waiting::iterator> m_states;
    std::unordered_map<std::string, Waiting::iterator> m_repeats;
    std::unordered_set<ObjectId> m_gone;
    CStateFilter m_told;
};
