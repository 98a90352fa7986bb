#include "server/session/Server.h"

#include "common/MessageLog.h"
#include "common/Version.h"
#include "game/Settings.h"
#include "net/GameIdentity.h"
#include "net/MapName.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Random.h"

#include <algorithm>
#include <cstdio>

CServer::CServer()
    : m_session(
          std::make_unique<session::CSessionServer>(static_cast<session::ISessionServerEvents&>(*this))),
      m_relay(*this, m_roundLock), m_rounds(m_relay, m_roundLock), m_bots(m_relay, m_rounds)
{
    platform::SeedRandFromTime();
}

CServer::~CServer()
{
    m_session->Close();
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
    session::SessionHostParams params;
    params.port = static_cast<uint16_t>(m_port);
    params.application = game_identity::ApplicationGuid();
    params.sessionName = m_name;
    int limit = g_settings.MaxPlayers;
    params.maxPlayers = limit <= 0 ? 0 : static_cast<uint32_t>(limit) + 1; // the host's own player counts
    params.bindIpv4 = m_bindIpv4;
    if (!m_session->Host(params))
    {
        ReportNotHosted();
        return false;
    }
    m_relay.SetHostPlayer(m_session->GetHostPlayer());
    m_session->SetStatusSource(this);
    CLockGuard guard(m_stateLock);
    m_running = true;
    return true;
}

// With an address, the address itself may be the fault: not one of this
// machine's.
void CServer::ReportNotHosted()
{
    if (m_bindIpv4 == 0)
    {
        CMessageLog::GetServerLog().Print(
            "Unable to host the session on UDP port %u; is another server using it?", m_port);
        return;
    }
    std::string address = session::HostAddress{m_bindIpv4, static_cast<uint16_t>(m_port)}.ToString();
    CMessageLog::GetServerLog().Print(
        "Unable to host the session on %s; is another server using it, or is the "
        "address not one of this machine's?",
        address.c_str());
}

bool CServer::IsRunning()
{
    CLockGuard guard(m_stateLock);
    return m_running;
}

void CServer::DoWork(uint32_t sliceMs)
{
    m_session->DoWork(sliceMs);
}

void CServer::OnCreatePlayer(session::PlayerId player)
{
    m_relay.AddPlayer(player);
}

void CServer::OnDestroyPlayer(session::PlayerId player)
{
    CPlayerRecord* record = m_relay.FindPlayer(player);
    if (!record)
        return;
    // The ship goes before the record whose keys it holds.
    m_rounds.RetireShip(record->GetShipId());
    m_relay.RemovePlayer(player);
}

void CServer::OnReceive(session::PlayerId sender, const uint8_t* data, size_t size)
{
    CMessage message;
    if (!message.Deserialize(data, size))
        return;
    switch (message.GetType())
    {
    case MSG_TEXT:
        m_relay.OnText(sender, message);
        break;
    case MSG_JOIN:
        if (CPlayerRecord* record = m_relay.FindPlayer(sender))
            OnJoin(*record, message);
        break;
    case MSG_MAP:
        if (ObeysRequest(sender, "map"))
            m_rounds.OnMapRequest(message);
        break;
    case MSG_KEYS:
        if (CPlayerRecord* record = m_relay.FindPlayer(sender))
            m_rounds.OnKeys(*record, message);
        break;
    case MSG_SHUTDOWN:
        if (ObeysRequest(sender, "shut-down"))
        {
            m_haltedByClient = true;
            OnShutdown();
        }
        break;
    case MSG_PING:
        m_relay.OnPing(sender, message);
        break;
    default:
        break;
    }
}

void CServer::SendPacket(session::PlayerId target, const uint8_t* data, size_t size)
{
    m_session->SendTo(target, data, size);
}

void CServer::OnShutdown()
{
    CLockGuard guard(m_stateLock);
    m_running = false;
    CMessageLog::GetServerLog().Print("Server is shutting down...");
}

bool CServer::ObeysRequest(session::PlayerId sender, const char* request)
{
    std::optional<session::HostAddress> from = m_session->GetPlayerAddress(sender);
    if (m_administrators.Allows(from))
        return true;
    // Only a connected client has a record and an address.
    CPlayerRecord* record = m_relay.FindPlayer(sender);
    if (!record || !from || !record->AllowRefusalNotice(GetTickCount()))
        return false;
    CMessageLog::GetServerLog().Print("Refused a %s request from %s (%s): not an administrator.", request,
                                      from->ToString().c_str(), record->GetLogName().c_str());
    return false;
}

session::ServerStatus CServer::GetServerStatus()
{
    session::ServerStatus status;
    char version[16];
    std::snprintf(version, sizeof version, "%.2f", kGameVersion);
    status.gameVersion = version;
    status.mapName = m_rounds.WorldMapName();
    status.people = static_cast<uint32_t>(m_relay.GetClientCount());
    status.bots = static_cast<uint32_t>(m_bots.GetBotCount());
    status.maxPlayers = static_cast<uint32_t>(std::max(g_settings.MaxPlayers, 0));
    CGameWorld* world = m_rounds.GetWorld();
    if (!world)
        return status;
    CLockGuard guard(world->GetLock());
    for (const CPlayerRecord& record : m_relay.GetPlayers())
    {
        CShip* ship = record.IsRegistered() ? world->FindPlayer(record.GetShipId()) : nullptr;
        if (ship)
            status.players.push_back({ship->GetFrags(),
                                      static_cast<int>(m_session->GetPlayerPing(record.GetPlayerId())),
                                      record.GetName()});
    }
    return status;
}

// The server's own log (not the console every player sees) keeps the address
// of each join, so that a host can firewall or ban a griefer.
void CServer::OnJoin(CPlayerRecord& record, const CMessage& message)
{
    bool first = record.GetShipId() == 0;
    m_rounds.OnJoin(record, message);
    std::optional<session::HostAddress> from = m_session->GetPlayerAddress(record.GetPlayerId());
    if (first && record.GetShipId() != 0 && from)
        std::printf("Join: player %u \"%s\" from %s\n", record.GetPlayerId(), record.GetName().c_str(),
                    from->ToString().c_str());
}

std::vector<ConsolePlayer> CServer::ListPlayers()
{
    std::vector<ConsolePlayer> players;
    CGameWorld* world = m_rounds.GetWorld();
    for (const CPlayerRecord& record : m_relay.GetPlayers())
    {
        if (record.GetPlayerId() == m_session->GetHostPlayer())
            continue;
        ConsolePlayer player{record.GetPlayerId(), record.GetName(), "", 0, 0, record.IsBot()};
        if (std::optional<session::HostAddress> from = m_session->GetPlayerAddress(record.GetPlayerId()))
            player.address = from->ToString();
        player.ping = m_session->GetPlayerPing(record.GetPlayerId());
        if (CShip* ship = world && record.IsRegistered() ? world->FindPlayer(record.GetShipId()) : nullptr)
            player.frags = ship->GetFrags();
        players.push_back(std::move(player));
    }
    return players;
}

bool CServer::Kick(session::PlayerId player, const std::string& reason)
{
    if (IsBotPlayer(player) || !m_relay.FindPlayer(player))
        return false;
    CMessage message;
    message.SetText(("You were kicked from the server: " + reason).c_str());
    m_relay.QueueMessage(player, message);
    m_relay.FlushBatches();
    return m_session->Kick(player);
}

bool CServer::RequestMap(const std::string& name)
{
    if (!map_name::IsPlain(name))
        return false;
    const std::vector<std::string>& rotation = m_rounds.GetRotation();
    std::string wanted = map_name::MapPath(name);
    bool known = std::any_of(rotation.begin(), rotation.end(),
                             [&wanted](const std::string& path)
                             { return platform::CompareNoCase(path, wanted) == 0; });
    if (!known)
        return false;
    CMessage request;
    request.SetMap(name.c_str());
    m_rounds.OnMapRequest(request);
    return true;
}
