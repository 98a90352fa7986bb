// The session side of CClient: searching, the server list, connecting,
// sending, ping, and the connection's own events. Applying what the server
// sends lives in ClientReceive.cpp.
#include "net/Client.h"

#include "common/MemoryTracker.h"
#include "common/MessageLog.h"
#include "game/World.h"
#include "net/GameIdentity.h"
#include "platform/Clock.h"
#include "session/SessionWire.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace
{
uint32_t WithoutHost(uint32_t players)
{
    return players == 0 ? 0 : players - 1;
}

// A session description in the session answer's terms (the host's own
// player counted) for a server known only by its getinfo answer.
session::SessionDescription DescriptionFromInfo(const session::ServerInfo& info)
{
    session::SessionDescription description;
    description.sessionName = info.name;
    description.maxPlayers = info.maxPlayers == 0 ? 0 : info.maxPlayers + 1;
    description.currentPlayers = info.people + 1;
    return description;
}

CServerLine LineOf(const CHostInfo& host)
{
    CServerLine line;
    line.name = host.description.sessionName;
    line.people = WithoutHost(host.description.currentPlayers);
    line.maxPlayers = WithoutHost(host.description.maxPlayers);
    line.address = host.address;
    if (const std::optional<session::ServerInfo>& info = host.info)
    {
        line.map = info->map;
        line.version = info->version;
        line.people = info->people;
        line.maxPlayers = info->maxPlayers;
        line.pingMs = static_cast<int32_t>(info->pingMs);
        line.otherVersion = info->protocol != session::wire::kVersion;
    }
    return line;
}

std::string SearchFailure(session::EnumResult result, const std::string& hostName)
{
    if (result == session::EnumResult::BadPort)
        return "\"" + hostName + "\" has no usable port: write host:port with a port from 1 to 65535.";
    if (result == session::EnumResult::UnknownHost)
        return "Could not find a computer called \"" + hostName + "\"; check the name and try again.";
    return "Could not search for servers: no network connection was found.";
}

// The console line for a join that failed, saying what the player can do
// about it: wait, pick another server, or update the game.
std::string JoinFailure(session::ConnectResult result, const session::HostAddress& server)
{
    using enum session::ConnectResult;
    switch (result)
    {
    case ServerFull:
        return "The server was full and rejected your request to join.";
    case WrongApplication:
        return "The server plays a different game or version and rejected your request to join.";
    case BadHandshake:
        return "The server refused your request to join: it did not understand this version's greeting.";
    case ServerClosing:
        return "The server refused your request to join: it is shutting down.";
    case Banned:
        return "You are banned from this server.";
    case Unreachable:
        return "No answer from the server at " + server.ToString() + ": it timed out or cannot be reached.";
    default:
        return "The server refused your request to join.";
    }
}
} // namespace

CClient::CClient()
    : m_session(std::make_unique<session::CSessionClient>(static_cast<session::ISessionClientEvents&>(*this)))
{
}

CClient::~CClient()
{
    m_session->Close();
}

bool CClient::Init()
{
    return true;
}

void CClient::Print(const char* format, ...)
{
    char line[CMessageLog::kLineSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    CMessageLog::GetConsoleLog().Print("%s", line);
    if (m_echo)
        m_echo(line);
}

bool CClient::EnumHosts(const char* hostName)
{
    return EnumHosts(hostName, {});
}

bool CClient::EnumHosts(const char* hostName, const std::vector<session::HostAddress>& hosts)
{
    session::EnumParams params;
    params.hostName = hostName ? hostName : "";
    params.hosts = hosts;
    params.port = static_cast<uint16_t>(m_port);
    params.application = game_identity::ApplicationGuid();
    session::EnumResult result = m_session->EnumHosts(params);
    if (result != session::EnumResult::Ok)
        throw CSearchError(SearchFailure(result, params.hostName));
    return true;
}

bool CClient::SearchForServers(const char* hostName)
{
    try
    {
        return EnumHosts(hostName);
    }
    catch (const CSearchError& error)
    {
        Print("%s", error.what());
        return false;
    }
}

void CClient::OnEnumHostsResponse(const session::SessionDescription& session,
                                  const session::HostAddress& address)
{
    CLockGuard guard(m_hostLock);
    for (CHostInfo& host : m_hosts)
    {
        if (host.description.instance == session.instance)
            return;
        // Its getinfo answer came first.
        if (host.address == address && host.description.instance.IsNull())
        {
            host.description = session;
            return;
        }
    }
    if (m_hosts.size() < kMaxHosts)
        m_hosts.push_back(CHostInfo{session, address, std::nullopt});
}

void CClient::OnServerInfo(const session::ServerInfo& info, const session::HostAddress& address)
{
    CLockGuard guard(m_hostLock);
    for (CHostInfo& host : m_hosts)
        if (host.address == address)
        {
            // Of two answers the quicker says more truly what the link costs.
            if (!host.info || info.pingMs < host.info->pingMs)
                host.info = info;
            return;
        }
    if (m_hosts.size() < kMaxHosts)
        m_hosts.push_back(CHostInfo{DescriptionFromInfo(info), address, info});
}

std::vector<CServerLine> CClient::ServerLines() const
{
    CLockGuard guard(m_hostLock);
    std::vector<CServerLine> lines;
    for (const CHostInfo& host : m_hosts)
        lines.push_back(LineOf(host));
    return lines;
}

void CClient::ListServers()
{
    CLockGuard guard(m_hostLock);
    if (m_hosts.empty())
        Print("No servers found...");
    for (const CHostInfo& host : m_hosts)
        Print("Server: %s", host.description.sessionName.c_str());
}

bool CClient::SelectServer(const char* name)
{
    CLockGuard guard(m_hostLock);
    if (m_hosts.empty())
    {
        Print("No servers to select from.");
        return false;
    }
    std::string wanted = name ? name : "";
    for (const CHostInfo& host : m_hosts)
        if (wanted.compare(0, host.description.sessionName.size(), host.description.sessionName) == 0)
        {
            SelectAddress(host.address);
            return true;
        }
    Print("Server \"%s\" not found...", wanted.c_str());
    return false;
}

void CClient::SelectAddress(const session::HostAddress& address)
{
    m_hostAddress = address;
    m_selected = true;
}

bool CClient::GetSelectedAddress(session::HostAddress& address) const
{
    if (m_selected)
        address = m_hostAddress;
    return m_selected;
}

bool CClient::Connect()
{
    if (!m_selected)
        return m_connected = false;
    session::ConnectResult result = m_session->Connect(m_hostAddress, game_identity::ApplicationGuid());
    m_connected = result == session::ConnectResult::Connected;
    return m_connected;
}

void CClient::OnConnectComplete(session::ConnectResult result)
{
    if (result != session::ConnectResult::Connected)
    {
        Print("%s", JoinFailure(result, m_hostAddress).c_str());
        Print("Press escape to return to the main menu.");
        return;
    }
    m_connected = true;
    Print("Registering with server...");
    SendJoin();
}

// Registers the local player: its ship type and name, from the world's first
// ship; the server answers with the ship's id.
void CClient::SendJoin()
{
    CGameWorld* world = GetWorld();
    CShip* ship = world ? world->FirstPlayer() : nullptr;
    std::string name = ship ? ship->GetName().substr(0, kMaxPlayerName) : "";
    CMessage join;
    join.SetJoin(0, ship ? static_cast<uint32_t>(ship->GetShipType()) : 0, name.c_str());
    Send(join);
}

void CClient::OnTerminateSession()
{
    Print("The server has terminated your connection.  Sorry.");
    Print("Press escape to return to the main menu.");
    m_terminated = true;
    m_connected = false;
}

void CClient::ResetHostCursor()
{
    CLockGuard guard(m_hostLock);
    m_hostCursor = 0;
}

bool CClient::NextHost(char* name, size_t size, uint32_t& maxPlayers, uint32_t& currentPlayers,
                       session::HostAddress* address)
{
    CLockGuard guard(m_hostLock);
    if (!name || size == 0 || m_hostCursor >= m_hosts.size())
        return false;
    const CHostInfo& host = m_hosts[m_hostCursor++];
    const session::SessionDescription& session = host.description;
    if (address)
        *address = host.address;
    std::memset(name, 0, size);
    std::strncpy(name, session.sessionName.c_str(), size - 1);
    maxPlayers = WithoutHost(session.maxPlayers);
    currentPlayers = WithoutHost(session.currentPlayers);
    return true;
}

void CClient::Send(const CMessage& message)
{
    size_t size = message.GetSize();
    if (size == 0)
        return;
    CMemoryTracker& tracker = CMemoryTracker::Get();
    auto* buffer = static_cast<uint8_t*>(tracker.Alloc(size));
    if (!buffer)
        return;
    if (message.Serialize(buffer, size))
        m_session->Send(buffer, size);
    tracker.Free(buffer);
}

void CClient::SendPing()
{
    CMessage ping;
    ping.SetPing(GetTickCount());
    Send(ping);
    // Stamped now, so it leaves now: waiting for the next DoWork would add a
    // frame to every round trip measured.
    m_session->Flush();
}

void CClient::DoWork(uint32_t sliceMs)
{
    m_session->DoWork(sliceMs);
}

void CClient::WaitForTraffic(uint32_t timeoutMs)
{
    m_session->WaitForTraffic(timeoutMs);
}

void CClient::SetWorld(CGameWorld* world)
{
    CLockGuard guard(m_hostLock);
    m_world = world;
}

CGameWorld* CClient::GetWorld()
{
    CLockGuard guard(m_hostLock);
    return m_world;
}

void CClient::ClearRoundOver()
{
    m_roundOver = false;
    if (CGameWorld* world = GetWorld())
        world->Reset();
}
