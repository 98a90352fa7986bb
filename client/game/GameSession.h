// The game screen's connection: the client's copy of the world (owning the
// local ship, named and typed from the settings), the session that fills it,
// joining the chosen server, and the held keys sent to it. When
// the server ends the session, an unconnected world and session take its
// place, so the console stays on screen until the player leaves.
#pragma once

#include "client/Screen.h"
#include "client/game/GameKeys.h"

#include <memory>
#include <string>

class CClient;
class CClientContext;
class CGameWorld;
class IMessageWatcher;
struct ServerChoice;

class CGameSession
{
public:
    explicit CGameSession(CClientContext& context);
    ~CGameSession();

    // A new world with the local ship, and the context's session given that
    // world: the browser's, which knows the servers it found, or a new one.
    void Start();
    // Joins the server picked in the browser (by its address), or the first
    // server that answers at the chosen host. The console tells what went
    // wrong.
    void Join(const ServerChoice& choice);
    // The held controls, as one MSG_KEYS for the local ship, when they are
    // due (CKeysCadence).
    void SendKeys(const KeyActions& actions);
    // The network's share of the frame; true when the server had ended the
    // session and a fresh world and session took its place.
    bool Work();
    // The session goes first: it refers to the world.
    void End();

    CClient& Session();
    // Every session of this screen shows its messages to `watcher` (null: none).
    void SetWatcher(IMessageWatcher* watcher) { m_watcher = watcher; }
    CGameWorld* World() const { return m_world.get(); }

private:
    void JoinFirstServerAt(const std::string& host);
    void ConnectAndRemember();

    CClientContext& m_context;
    std::unique_ptr<CGameWorld> m_world;
    IMessageWatcher* m_watcher = nullptr;
    CKeysCadence m_keys;
};
