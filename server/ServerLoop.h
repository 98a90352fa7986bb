// The server thread: set-up, the loop that asks the session to advance the
// round (the round controller decides when it ends and when the next starts),
// sends the queued messages, gives the session its time and broadcasts the
// console, and the ordered shut-down.
#pragma once

#include "server/Heartbeats.h"
#include "server/Notify.h"
#include "server/ServerProcess.h"
#include "server/ServerStats.h"
#include "server/console/ConsoleInput.h"
#include "server/console/ServerConsole.h"
#include "session/SessionTypes.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>

class CMessage;
class CServer;

class CServerLoop
{
public:
    // `out` receives the "Console: " lines.
    explicit CServerLoop(const server::ServerOptions& options, std::FILE* out = stdout);

    // Logs the start, hosts the session, collects the maps and starts the
    // first round; then sets the running flag. False, with the reason on the
    // console, when maps were found but none of them loads.
    bool SetUp();
    // One pass of the loop. False when the session has stopped running.
    bool RunPass();
    // Runs passes while the running flag is set.
    void Run();
    // Destroys the session, the log and the memory tracker, in that order.
    void ShutDown();

    uint32_t GetElapsed() const { return m_elapsed; }
    // False when the session could not be hosted (the port was taken).
    bool IsHosted() const { return m_hosted; }
    // After ShutDown: whether a client's request ended the session.
    bool WasHaltedByClient() const { return m_haltedByClient; }

private:
    void AddMaps();
    void ReportNoMap();
    void DoPassWork();
    void BroadcastConsole(CMessage& message);
    bool FinishPass();
    void Yield();
    void RecordPass(std::chrono::steady_clock::duration work);
    void PrintStats();
    void StartHeartbeats();
    server::GameSummary Summarize();
    void StartConsole();

    server::ServerOptions m_options;
    std::FILE* m_out;
    // The session, from SetUp until ShutDown destroys it.
    CServer* m_server = nullptr;
    uint32_t m_now = 0;
    uint32_t m_elapsed = 0;
    uint32_t m_updates = 0;
    uint32_t m_lastReport = 0;
    bool m_hosted = false;
    bool m_haltedByClient = false;
    // With -stats: the figures of the period since the last "Stats:" line.
    CServerStats m_stats;
    uint32_t m_statsStart = 0;
    session::SessionStats m_sentBefore;
    // With -master, once hosted.
    std::unique_ptr<server::CHeartbeats> m_heartbeats;
    // Readiness, status and watchdog for systemd.
    server::CServiceNotifier m_notifier;
    // Console commands, carried out between passes. The socket goes first
    // at shut-down: its clients wait on the console's answers.
    std::unique_ptr<server::CServerConsole> m_console;
    std::unique_ptr<server::CControlSocket> m_controlSocket;
};

// The process's status after a client's halt (MSG_SHUTDOWN): EX_TEMPFAIL of
// <sysexits.h>, "try again". The packaged unit restarts the server on it, so
// a player's halt cannot leave a public server down, while a stop by signal
// (systemctl stop) still ends with 0 and stays stopped.
constexpr int kExitHaltedByClient = 75;

// Body of the server thread: SetUp, Run, ShutDown. Returns 0 after a stop by
// signal, kExitHaltedByClient after a client's halt, or 1 when the session
// could not be hosted or no map could be loaded.
int RunServerThread(const server::ServerOptions& options);
