// CSessionRelay is the server's list of connected players and its way of
// talking to them. It keeps one CPlayerRecord per session player, from the
// session's create-player event to its destroy-player event; queues outgoing
// messages into one batch per target, which the server loop flushes once per
// pass; sends single messages at once; and answers what concerns the sender
// alone: a chat line goes into the server's log (a few a second from each
// player at most), a ping gets its pong.
//
// The records live in a list, so a record stays where it is until its player
// leaves: its ship holds the address of the record's held keys.
//
// With a send rate set, each client (every player but the host's own, which
// never receives) has an outbox instead: what is queued for it waits there,
// coalesced, and a flush sends it only once its interval has passed.
//
// Either way a state a client already knows is not sent again (see
// CStateFilter): each outbox remembers what its client was told; without a
// send rate the one broadcast batch a pass has one memory for everyone,
// forgotten whenever someone connects or joins so the newcomer is told
// everything at once.
#pragma once

#include "common/Lock.h"
#include "game/ObjectId.h"
#include "net/Message.h"
#include "net/MessageBatch.h"
#include "server/session/Outbox.h"
#include "server/session/PlayerRecord.h"
#include "server/session/StateFilter.h"
#include "session/SessionTypes.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <map>

// Where the relay's packets go: the session, or a test's recorder.
class IPacketSender
{
public:
    virtual ~IPacketSender() = default;
    // One packet for a player, or for every player with target 0.
    virtual void SendPacket(session::PlayerId target, const uint8_t* data, size_t size) = 0;
};

class CSessionRelay
{
public:
    // The target of a message for every player.
    static constexpr session::PlayerId kEveryPlayer = 0;

    // `queueLock` guards the batch queue. The server shares it with the round
    // controller, which holds it while it queues a round's first messages.
    CSessionRelay(IPacketSender& sender, CLock& queueLock);
    CSessionRelay(const CSessionRelay&) = delete;
    CSessionRelay& operator=(const CSessionRelay&) = delete;

    // Sends each client at most `perSecond` batches a second through its
    // outbox; 0 (the default) sends what was queued on every flush.
    void SetSendRate(uint32_t perSecond);
    // The session's own player: it gets no outbox.
    void SetHostPlayer(session::PlayerId player);
    // Players but the host's own and the bots.
    size_t GetClientCount() const;
    // The largest batch sent since the last call, in bytes; starts again at 0.
    size_t TakeLargestBatch();

    // A new record for a player the session created, the host's own
    // included, or for a bot.
    void AddPlayer(session::PlayerId player);
    // Forgets the player's record, saying "<name> has left the game" in the
    // server's log. Its ship must be retired first.
    void RemovePlayer(session::PlayerId player);
    CPlayerRecord* FindPlayer(session::PlayerId player);
    // The record whose ship has this id; null for 0 or an unknown id.
    CPlayerRecord* FindPlayerByShipId(ObjectId shipId);
    const std::list<CPlayerRecord>& GetPlayers() const { return m_players; }
    size_t GetPlayerCount() const { return m_players.size(); }

    // Queues a message for one player, or for every player.
    void QueueMessage(session::PlayerId target, const CMessage& message);
    // Sends what was queued since the last flush when at least one client is
    // connected (the host's own player is always there); drops it otherwise.
    // The broadcast batch is kept, emptied; the targeted ones go. With a send
    // rate, sends each client's outbox whose interval has passed instead.
    void FlushBatches();
    // Drops everything queued, the broadcast batch too. With a send rate,
    // drops only the waiting states: they belong to the round that ends, and
    // the other messages (a round's end not sent yet) must still come first.
    // Either way the clients are taken to know nothing of the new round.
    void DropQueued();
    // A new round's world size, for comparing positions the short way round.
    void SetWorldSize(float width, float height);
    // The player has just joined and knows nothing of the world yet.
    void OnJoined(session::PlayerId player);
    // Sends one message to `target` at once, outside the queue.
    void SendNow(session::PlayerId target, const CMessage& message);
    void SendBatch(const CMessageBatch& batch);

    // A chat line: "<name>: <text>" in the server's log ("Unknown" for a
    // sender without a record), its control characters shown as "?"; dropped
    // beyond the sender's chat rate.
    void OnText(session::PlayerId sender, const CMessage& message);
    // A ping: a pong with the same clock, to the sender at once.
    void OnPing(session::PlayerId sender, const CMessage& message);

private:
    // A player with a peer of its own: not the host's, not a bot.
    bool IsClient(session::PlayerId player) const;
    // The records of computer pilots (see IsBotPlayer).
    size_t BotCount() const;
    void QueueInOutboxes(session::PlayerId target, const CMessage& message);
    void FlushOutboxes();
    void AddOutbox(session::PlayerId player);

    IPacketSender& m_sender;
    CLock& m_queueLock;
    std::list<CPlayerRecord> m_players;
    std::list<CMessageBatch> m_batches;
    uint32_t m_sendRate = 0;
    session::PlayerId m_hostPlayer = 0;
    std::map<session::PlayerId, COutbox> m_outboxes;
    CStateFilter m_broadcastTold; // without a send rate
    float m_worldWidth = 0, m_worldHeight = 0;
    CMessageBatch m_outgoing; // reused for every outbox's batch
    size_t m_largestBatch = 0;
};
