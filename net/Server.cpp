#include "net/Server.h"

#include "common/MemoryTracker.h"
#include "common/MessageLog.h"
#include "game/Settings.h"
#include "net/GameIdentity.h"
#include "platform/Random.h"

namespace
{
CServer* g_server = nullptr;
constexpr size_t kTextLimit = 1024;
} // namespace

CServer& CServer::Get()
{
    if (!g_server)
        g_server = new CServer();
    return *g_server;
}

bool CServer::Exists()
{
    return g_server != nullptr;
}

void CServer::Destroy()
{
    delete g_server;
    g_server = nullptr;
}

CServer::CServer()
    : m_session(
          std::make_unique<platform::CSessionServer>(static_cast<platform::ISessionServerEvents&>(*this)))
{
    platform::SeedRandFromTime();
}

CServer::~CServer()
{
    m_session->Close();
    m_world.reset();
}

void CServer::SetName(const char* name)
{
    if (name && *name)
        m_name = name;
}

bool CServer::Init()
{
    return true;
}

bool CServer::Host()
{
    platform::SessionHostParams params;
    params.port = static_cast<uint16_t>(m_port);
    params.application = game_identity::ApplicationGuid();
    params.sessionName = m_name;
    int limit = g_settings.MaxPlayers;
    params.maxPlayers = limit <= 0 ? 0 : static_cast<uint32_t>(limit) + 1; // the host's own player counts
    if (!m_session->Host(params))
    {
        CMessageLog::GetServerLog().Print(
            "Unable to host the session on UDP port %u; is another server using it?", m_port);
        return false;
    }
    CLockGuard guard(m_stateLock);
    m_running = true;
    return true;
}

bool CServer::IsRunning()
{
    CLockGuard guard(m_stateLock);
    return m_running;
}

bool CServer::IsRoundOver()
{
    CLockGuard guard(m_roundLock);
    return m_roundOver;
}

void CServer::EndRound()
{
    CLockGuard guard(m_roundLock);
    m_roundOver = true;
    CMessage message;
    message.SetRoundOver();
    QueueMessage(0, message);
}

void CServer::QueueMessage(uint32_t target, const CMessage& message)
{
    CLockGuard guard(m_roundLock);
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

void CServer::FlushBatches()
{
    CLockGuard guard(m_roundLock);
    if (m_players.size() >= 2)
        for (const CMessageBatch& batch : m_batches)
            if (batch.GetCount() > 0)
                SendBatch(batch);
    // The broadcast batch is emptied rather than destroyed, so its storage
    // is not grown again from nothing on every pass.
    m_batches.remove_if([](const CMessageBatch& batch) { return batch.GetTarget() != 0; });
    for (CMessageBatch& batch : m_batches)
        batch.Clear();
}

void CServer::SendBatch(const CMessageBatch& batch)
{
    size_t size = batch.GetWireSize();
    CMemoryTracker& tracker = CMemoryTracker::Get();
    auto* buffer = static_cast<uint8_t*>(tracker.Alloc(size));
    if (!buffer)
        return;
    if (batch.Write(buffer, size))
        m_session->SendTo(batch.GetTarget(), buffer, size);
    tracker.Free(buffer);
}

void CServer::SendNow(uint32_t target, const CMessage& message)
{
    CMessageBatch batch;
    batch.SetTarget(target);
    if (batch.Add(message))
        SendBatch(batch);
}

void CServer::DoWork(uint32_t sliceMs)
{
    m_session->DoWork(sliceMs);
}

CPlayerRecord* CServer::FindPlayer(platform::PlayerId player)
{
    for (CPlayerRecord& record : m_players)
        if (record.GetPlayerId() == player)
            return &record;
    return nullptr;
}

CPlayerRecord* CServer::FindPlayerByShipId(uint32_t shipId)
{
    for (CPlayerRecord& record : m_players)
        if (record.GetShipId() == shipId && shipId != 0)
            return &record;
    return nullptr;
}

void CServer::OnCreatePlayer(platform::PlayerId player)
{
    m_players.emplace_back(player);
}

void CServer::OnDestroyPlayer(platform::PlayerId player)
{
    CPlayerRecord* record = FindPlayer(player);
    if (!record)
        return;
    CMessageLog::GetServerLog().Print("%s has left the game", record->GetName().c_str());
    uint32_t shipId = record->GetShipId();
    m_players.remove_if([player](const CPlayerRecord& r) { return r.GetPlayerId() == player; });
    RetireShip(shipId);
}

void CServer::OnReceive(platform::PlayerId sender, const uint8_t* data, size_t size)
{
    CMessage message;
    if (!message.Deserialize(data, size))
        return;
    switch (message.GetType())
    {
    case MSG_TEXT:
        OnText(sender, message);
        break;
    case MSG_JOIN:
        OnJoin(sender, message);
        break;
    case MSG_MAP:
        OnMapRequest(message);
        break;
    case MSG_KEYS:
        OnKeys(sender, message);
        break;
    case MSG_SHUTDOWN:
        OnShutdown();
        break;
    case MSG_PING:
        OnPing(sender, message);
        break;
    default:
        break;
    }
}

void CServer::OnText(platform::PlayerId sender, const CMessage& message)
{
    CPlayerRecord* record = FindPlayer(sender);
    char text[kTextLimit];
    message.GetText(text, sizeof text);
    CMessageLog::GetServerLog().Print("%s: %s", record ? record->GetName().c_str() : "Unknown", text);
}

void CServer::OnShutdown()
{
    CLockGuard guard(m_stateLock);
    m_running = false;
    CMessageLog::GetServerLog().Print("Server is shutting down...");
}

void CServer::OnPing(platform::PlayerId sender, const CMessage& message)
{
    uint32_t clock = 0;
    message.GetPing(clock);
    CMessage pong;
    pong.SetPong(clock);
    SendNow(sender, pong);
}
