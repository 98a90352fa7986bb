#include "net/SessionRelay.h"

#include "common/MemoryTracker.h"
#include "common/MessageLog.h"

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

void CSessionRelay::AddPlayer(platform::PlayerId player)
{
    m_players.emplace_back(player);
}

void CSessionRelay::RemovePlayer(platform::PlayerId player)
{
    CPlayerRecord* record = FindPlayer(player);
    if (!record)
        return;
    CMessageLog::GetServerLog().Print("%s has left the game", record->GetName().c_str());
    m_players.remove_if([player](const CPlayerRecord& r) { return r.GetPlayerId() == player; });
}

CPlayerRecord* CSessionRelay::FindPlayer(platform::PlayerId player)
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

void CSessionRelay::QueueMessage(platform::PlayerId target, const CMessage& message)
{
    CLockGuard guard(m_queueLock);
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

void CSessionRelay::FlushBatches()
{
    CLockGuard guard(m_queueLock);
    if (m_players.size() >= kPlayersToSendTo)
        for (const CMessageBatch& batch : m_batches)
            if (batch.GetCount() > 0)
                SendBatch(batch);
    // The broadcast batch is emptied rather than destroyed, so its storage
    // is not grown again from nothing on every pass.
    m_batches.remove_if([](const CMessageBatch& batch) { return batch.GetTarget() != kEveryPlayer; });
    for (CMessageBatch& batch : m_batches)
        batch.Clear();
}

void CSessionRelay::DropQueued()
{
    CLockGuard guard(m_queueLock);
    m_batches.clear();
}

void CSessionRelay::SendNow(platform::PlayerId target, const CMessage& message)
{
    CMessageBatch batch;
    batch.SetTarget(target);
    if (batch.Add(message))
        SendBatch(batch);
}

void CSessionRelay::SendBatch(const CMessageBatch& batch)
{
    size_t size = batch.GetWireSize();
    CMemoryTracker& tracker = CMemoryTracker::Get();
    auto* buffer = static_cast<uint8_t*>(tracker.Alloc(size));
    if (!buffer)
        return;
    if (batch.Write(buffer, size))
        m_sender.SendPacket(batch.GetTarget(), buffer, size);
    tracker.Free(buffer);
}

void CSessionRelay::OnText(platform::PlayerId sender, const CMessage& message)
{
    CPlayerRecord* record = FindPlayer(sender);
    char text[kTextLimit];
    message.GetText(text, sizeof text);
    CMessageLog::GetServerLog().Print("%s: %s", record ? record->GetName().c_str() : "Unknown", text);
}

void CSessionRelay::OnPing(platform::PlayerId sender, const CMessage& message)
{
    uint32_t clock = 0;
    message.GetPing(clock);
    CMessage pong;
    pong.SetPong(clock);
    SendNow(sender, pong);
}
