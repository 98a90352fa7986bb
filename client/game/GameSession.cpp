#include "client/game/GameSession.h"

#include "client/ClientContext.h"
#include "client/game/GameKeys.h"
#include "common/MessageLog.h"
#include "game/Ship.h"
#include "game/World.h"
#include "net/Client.h"
#include "net/Message.h"
#include "platform/Clock.h"

#include <vector>

namespace
{
// Where the first server the session's search found answered from; false
// when none answered.
bool FirstServerAddress(CClient& session, session::HostAddress& address)
{
    session.ResetHostCursor();
    char name[kServerNameSize];
    uint32_t limit = 0, count = 0;
    return session.NextHost(name, sizeof name, limit, count, &address);
}
} // namespace

CGameSession::CGameSession(CClientContext& context) : m_context(context) {}

// A world still given to the session must not outlive it.
CGameSession::~CGameSession()
{
    if (m_world)
        End();
}

CClient& CGameSession::Session()
{
    return m_context.Session();
}

void CGameSession::Start()
{
    m_keys.Reset();
    m_world = std::make_unique<CGameWorld>();
    auto* ship = new CShip;
    const char* name = m_context.settings.playerName;
    ship->SetName(name[0] ? name : "Player");
    ship->SetShipType(m_context.settings.shipType);
    m_world->AddPlayer(ship);
    ship->SetLocal(true);
    CClient& session = Session();
    session.SetWorld(m_world.get());
    session.SetMessageWatcher(m_watcher);
    session.DoWork(kNetworkSliceMs);
}

void CGameSession::Join(const ServerChoice& choice)
{
    if (!choice.host.empty())
    {
        JoinFirstServerAt(choice.host);
        return;
    }
    if (!choice.picked)
        return;
    Session().SelectAddress(*choice.picked);
    ConnectAndRemember();
}

// A server joined becomes the first favourite.
void CGameSession::ConnectAndRemember()
{
    session::HostAddress address;
    if (!Session().Connect() || !Session().GetSelectedAddress(address))
        return;
    RememberFavourite(m_context.settings.favourites, address);
    SaveFavourites(m_context.settings);
}

// A search that cannot be made says why on the console itself.
void CGameSession::JoinFirstServerAt(const std::string& host)
{
    CClient& session = Session();
    if (!session.SearchForServers(host.c_str()))
    {
        CMessageLog::GetConsoleLog().Print("Press escape to return to the main menu.");
        return;
    }
    session::HostAddress address;
    if (!FirstServerAddress(session, address))
    {
        CMessageLog::GetConsoleLog().Print("No servers found at %s.", host.c_str());
        CMessageLog::GetConsoleLog().Print("Press escape to return to the main menu.");
        return;
    }
    session.SelectAddress(address);
    ConnectAndRemember();
}

void CGameSession::SendKeys(const KeyActions& actions)
{
    std::vector<uint32_t> keys = BuildKeyList(actions);
    CShip* local = m_world ? m_world->FirstPlayer() : nullptr;
    CMessage message;
    message.SetKeys(local ? local->GetId() : 0, keys.data(), static_cast<uint32_t>(keys.size()));
    std::vector<uint8_t> bytes(message.GetSize());
    message.Serialize(bytes.data(), bytes.size());
    if (m_keys.Take(bytes, GetTickCount()))
        Session().Send(message);
}

bool CGameSession::Work()
{
    Session().DoWork(kNetworkSliceMs);
    if (!Session().IsTerminated())
        return false;
    End();
    Start();
    return true;
}

void CGameSession::End()
{
    if (m_context.HasSession())
        Session().SetMessageWatcher(nullptr);
    m_context.EndSession();
    m_world.reset();
}
