#include "server/session/SessionRelay.h"

#include "common/MemoryTracker.h"
#include "common/MessageLog.h"
#include "platform/Clock.h"
#include "server/session/PrintableText.h"

#include <algorithm>
#include <utility>

namespace
{
constexpr size_t kTextLimit = 1024;
// The host's own player and one client.
constexpr size_t kPlayersToSendTo = 2;
} // namespace

CSessionRelay::CSessionRelay(IPacketSender& sender, CLock& queueLock)
    : m_sender(sender), m_queueLock(queueLock)
{
}

void CSessionRelay::SetSendRate(uint32_t perSecond)
{
    CLockGuard guard(m_queueLock);
    m_sendRate = perSecond;
    m_outboxes.clear();
    if (m_sendRate == 0)
        return;
    for (const CPlayerRecord& record : m_players)
        if (IsClient(record.GetPlayerId()))
            AddOutbox(record.GetPlayerId());
}

void CSessionRelay::AddOutbox(session::PlayerId player)
{
    auto outbox = m_outboxes.emplace(player, COutbox(m_sendRate)).first;
    outbox->second.SetWorldSize(m_worldWidth, m_worldHeight);
}

void CSessionRelay::SetHostPlayer(session::PlayerId player)
{
    CLockGuard guard(m_queueLock);
    m_hostPlayer = player;
    m_outboxes.erase(player);
}

size_t CSessionRelay::GetClientCount() const
{
    return static_cast<size_t>(std::count_if(m_players.begin(), m_players.end(),
                                             [this](const CPlayerRecord& r)
                                             { return IsClient(r.GetPlayerId()); }));
}

bool CSessionRelay::IsClient(session::PlayerId player) const
{
    return player != m_hostPlayer && !IsBotPlayer(player);
}

size_t CSessionRelay::BotCount() const
{
    return static_cast<size_t>(
        std::count_if(m_players.begin(), m_players.end(), [](const CPlayerRecord& r) { return r.IsBot(); }));
}

size_t CSessionRelay::TakeLargestBatch()
{
    return std::exchange(m_largestBatch, 0);
}

void CSessionRelay::AddPlayer(session::PlayerId player)
{
    m_players.emplace_back(player);
    if (!IsClient(player))
        return;
    CLockGuard guard(m_queueLock);
    if (m_sendRate != 0)
        AddOutbox(player);
    else
        m_broadcastTold.Forget();
}

void CSessionRelay::RemovePlayer(session::PlayerId player)
{
    CPlayerRecord* record = FindPlayer(player);
    if (!record)
        return;
    CMessageLog::GetServerLog().Print("%s has left the game", record->GetName().c_str());
    m_players.remove_if([player](const CPlayerRecord& r) { return r.GetPlayerId() == player; });
    CLockGuard guard(m_queueLock);
    m_outboxes.erase(player);
}

CPlayerRecord* CSessionRelay::FindPlayer(session::PlayerId player)
{
    for (CPlayerRecord& record : m_players)
        if (record.GetPlayerId() == player)
            return &record;
    return nullptr;
}

CPlayerRecord* CSessionRelay::FindPlayerByShipId(ObjectId shipId)
{
    for (CPlayerRecord& record : m_players)
        if (record.GetShipId() == shipId && shipId != 0)
            return &record;
    return nullptr;
}

void CSessionRelay::QueueMessage(session::PlayerId target, const CMessage& message)
{
    CLockGuard guard(m_queueLock);
    if (m_sendRate != 0)
    {
        QueueInOutboxes(target, message);
        return;
    }
    if (target == kEveryPlayer && !m_broadcastTold.Admit(message, GetTickCount()))
        return;
    for (CMessageBatch& batch : m_batches)
        if (batch.GetTarget() == target)
        {
            batch.Add(message);
            return;
        }
    m_batches.emplace_back();
    m_batches.back().SetTarget(target);
    m_batches.back().Add(message);
}

// A message for a player without an outbox (the host's own, or one gone)
// is dropped, as a batch for nobody would be.
void CSessionRelay::QueueInOutboxes(session::PlayerId target, const CMessage& message)
{
    if (target != kEveryPlayer)
    {
        auto outbox = m_outboxes.find(target);
        if (outbox != m_outboxes.end())
            outbox->second.Queue(message);
        return;
    }
    for (auto& [player, outbox] : m_outboxes)
        outbox.Queue(message);
}

void CSessionRelay::FlushBatches()
{
    CLockGuard guard(m_queueLock);
    if (m_sendRate != 0)
    {
        FlushOutboxes();
        return;
    }
    if (m_players.size() - BotCount() >= kPlayersToSendTo)
        for (const CMessageBatch& batch : m_batches)
            if (batch.GetCount() > 0)
                SendBatch(batch);
    // The broadcast batch is emptied rather than destroyed, so its storage
    // is not grown again from nothing on every pass.
    m_batches.remove_if([](const CMessageBatch& batch) { return batch.GetTarget() != kEveryPlayer; });
    for (CMessageBatch& batch : m_batches)
        batch.Clear();
}

void CSessionRelay::FlushOutboxes()
{
    uint32_t now = GetTickCount();
    for (auto& [player, outbox] : m_outboxes)
    {
        if (outbox.IsEmpty() || !outbox.IsDue(now))
            continue;
        m_outgoing.Clear();
        m_outgoing.SetTarget(player);
        outbox.TakeBatch(m_outgoing, now);
        if (m_outgoing.GetCount() > 0)
            SendBatch(m_outgoing);
    }
}

void CSessionRelay::DropQueued()
{
    CLockGuard guard(m_queueLock);
    m_batches.clear();
    m_broadcastTold.Forget();
    for (auto& [player, outbox] : m_outboxes)
        outbox.DropStates();
}

void CSessionRelay::SetWorldSize(float width, float height)
{
    CLockGuard guard(m_queueLock);
    m_worldWidth = width;
    m_worldHeight = height;
    m_broadcastTold.SetWorldSize(width, height);
    for (auto& [player, outbox] : m_outboxes)
        outbox.SetWorldSize(width, height);
}

void CSessionRelay::OnJoined(session::PlayerId player)
{
    CLockGuard guard(m_queueLock);
    m_broadcastTold.Forget();
    auto outbox = m_outboxes.find(player);
    if (outbox != m_outboxes.end())
        outbox->second.ForgetTold();
}

void CSessionRelay::SendNow(session::PlayerId target, const CMessage& message)
{
    CMessageBatch batch;
    batch.SetTarget(target);
    if (batch.Add(message))
        SendBatch(batch);
}

void CSessionRelay::SendBatch(const CMessageBatch& batch)
{
    if (IsBotPlayer(batch.GetTarget()))
        return;
    size_t size = batch.GetWireSize();
    CMemoryTracker& tracker = CMemoryTracker::Get();
    auto* buffer = static_cast<uint8_t*>(tracker.Alloc(size));
    if (!buffer)
        return;
    if (batch.Write(buffer, size))
    {
        m_largestBatch = std::max(m_largestBatch, size);
        m_sender.SendPacket(batch.GetTarget(), buffer, size);
    }
    tracker.Free(buffer);
}

void CSessionRelay::OnText(session::PlayerId sender, const CMessage& message)
{
    CPlayerRecord* record = FindPlayer(sender);
    if (record && !record->AllowChat(GetTickCount()))
        return;
    char text[kTextLimit];
    message.GetText(text, sizeof text);
    CMessageLog::GetServerLog().Print("%s: %s", record ? record->GetName().c_str() : "Unknown",
                                      PrintableText(text).c_str());
}

void CSessionRelay::OnPing(session::PlayerId sender, const CMessage& message)
{
    uint32_t clock = 0;
    message.GetPing(clock);
    CMessage pong;
    pong.SetPong(clock);
    SendNow(sender, pong);
}
