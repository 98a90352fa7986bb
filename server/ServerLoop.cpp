#include "server/ServerLoop.h"

#include "common/DebugLog.h"
#include "common/Lock.h"
#include "common/MemoryTracker.h"
#include "common/MessageLog.h"
#include "game/Settings.h"
#include "net/Message.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "server/session/Server.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace
{
// Taken only by the server thread, around the end of each pass.
CLock& ProcessLock()
{
    static CLock* lock = new CLock;
    return *lock;
}

// Settings that are durations must not turn into huge unsigned waits.
uint32_t NonNegative(int value)
{
    return static_cast<uint32_t>(std::max(value, 0));
}
// Long enough to let an empty server sleep, short enough for its timers
// (heartbeats, the watchdog, console commands) to keep their times.
constexpr uint32_t kIdleWaitMs = 40;

uint64_t SteadyMs()
{
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
} // namespace

CServerLoop::CServerLoop(const server::ServerOptions& options, std::FILE* out)
    : m_options(options), m_out(out)
{
}

bool CServerLoop::SetUp()
{
    CMessageLog& log = CMessageLog::GetServerLog();
    log.Clear();
    log.Print("starting up server");
    CDebugLog::Get();

    CServer& server = CServer::Get();
    m_server = &server;
    server.SetPort(m_options.port);
    server.SetBindAddress(m_options.bindIpv4);
    server.SetName(m_options.sessionName.c_str());
    server.SetSendRate(m_options.sendRate);
    server.SetAdministrators(m_options.administrators);
    server.SetWantedShips(m_options.bots);
    server.Init();
    m_hosted = server.Host();
    StartHeartbeats();
    AddMaps();
    StartConsole();
    if (!server.StartRound())
    {
        ReportNoMap();
        return false;
    }

    m_now = GetTickCount();
    m_elapsed = 0;
    m_updates = 0;
    m_lastReport = 0;
    m_statsStart = m_now;
    m_sentBefore = server.GetSessionStats();
    server::SetRunningFlag();
    m_notifier.Ready();
    return true;
}

void CServerLoop::StartHeartbeats()
{
    if (!m_hosted || m_options.masters.empty())
        return;
    CServer* server = m_server;
    m_heartbeats = std::make_unique<server::CHeartbeats>(
        m_options.masters,
        [server](const session::HostAddress& to, const std::vector<uint8_t>& bytes)
        { server->SendDatagram(to, bytes); },
        [](const std::string& line) { CMessageLog::GetServerLog().Print("%s", line.c_str()); });
}

server::GameSummary CServerLoop::Summarize()
{
    session::ServerStatus status = m_server->DescribeStatus();
    return {status.mapName, status.people, status.maxPlayers, status.bots};
}

void CServerLoop::StartConsole()
{
    m_console = std::make_unique<server::CServerConsole>(*m_server, m_options.banListPath);
    if (m_options.controlPath.empty())
        return;
    m_controlSocket = std::make_unique<server::CControlSocket>(server::ProcessCommandQueue());
    std::string error;
    if (!m_controlSocket->ListenOn(m_options.controlPath, error))
    {
        std::fprintf(m_out, "Cannot make the control socket \"%s\": %s\n", m_options.controlPath.c_str(),
                     error.c_str());
        m_controlSocket.reset();
    }
}

void CServerLoop::AddMaps()
{
    std::string folder = platform::DataPath(platform::kMapsFolder);
    for (const std::string& name : platform::ListFiles(folder, ".smp"))
    {
        m_server->AddMap(name.c_str());
        CDebugLog::Get().Print(0, "Found Map: %s", name.c_str());
    }
}

void CServerLoop::ReportNoMap()
{
    CMessageLog::GetServerLog().Print(
        "No map in \"%s\" could be loaded. Put a good map file (.smp) there, or set QUORVEX_DATA to a "
        "data folder whose Maps folder holds one, and start the server again.",
        platform::DataPath(platform::kMapsFolder).c_str());
    CMessage message;
    BroadcastConsole(message);
}

bool CServerLoop::RunPass()
{
    auto start = std::chrono::steady_clock::now();
    DoPassWork();
    RecordPass(std::chrono::steady_clock::now() - start);
    return FinishPass();
}

void CServerLoop::DoPassWork()
{
    m_server->AdvanceRound(m_now, static_cast<int32_t>(m_elapsed));
    m_server->FlushBatches();
    m_server->DoWork(NonNegative(g_settings.ServerDPTimeSlice));
    uint64_t steadyNow = SteadyMs();
    if (m_heartbeats)
        m_heartbeats->Tick(steadyNow, m_server->GetClientCount());
    m_notifier.Tick(steadyNow, [this] { return Summarize(); });
    server::ProcessCommandQueue().Serve([this](const std::string& line) { return m_console->Run(line); });
    CMessage message;
    BroadcastConsole(message);
    // After the broadcast: the log holds few lines, and a pass's own lines
    // (the set-up's, in the first) must not push the bot's out.
    m_server->BalanceBots();
}

// A "Stats:" line every -stats seconds, and one for each SIGUSR1. The figures
// are kept even without -stats, so an admin can ask a running server for them.
void CServerLoop::RecordPass(std::chrono::steady_clock::duration work)
{
    auto micros = std::chrono::duration_cast<std::chrono::microseconds>(work).count();
    m_stats.AddPass(static_cast<uint32_t>(std::clamp<int64_t>(micros, 0, UINT32_MAX)));
    bool due = m_options.statsSeconds > 0 && m_now - m_statsStart >= m_options.statsSeconds * 1000;
    if (server::TakeReportRequest() || due)
        PrintStats();
}

void CServerLoop::PrintStats()
{
    uint32_t now = GetTickCount();
    session::SessionStats sent = m_server->GetSessionStats();
    CServerStats::Sends sends;
    sends.datagrams = sent.datagramsSent - m_sentBefore.datagramsSent;
    sends.bytes = sent.bytesSent - m_sentBefore.bytesSent;
    sends.clients = m_server->GetClientCount();
    sends.largestBatch = m_server->TakeLargestBatch();
    std::fprintf(m_out, "%s\n", m_stats.TakeLine(now - m_statsStart, sends).c_str());
    std::fflush(m_out);
    m_statsStart = now;
    m_sentBefore = sent;
}

void CServerLoop::BroadcastConsole(CMessage& message)
{
    CMessageLog& log = CMessageLog::GetServerLog();
    char line[CMessageLog::kLineSize];
    log.ResetCursor();
    while (log.NextLine(line, sizeof line))
    {
        message.Clear();
        message.SetText(line);
        m_server->QueueMessage(0, message);
        std::fprintf(m_out, "Console: %s\n", line);
    }
    std::fflush(m_out);
    log.Clear();
}

bool CServerLoop::FinishPass()
{
    CLockGuard guard(ProcessLock());
    if (!m_server->IsRunning())
        return false;
    uint32_t previous = m_now;
    m_now = GetTickCount();
    m_elapsed = m_now - previous;
    ++m_updates;
    if (m_now - m_lastReport >= 1000)
    {
        m_lastReport = m_now;
        CDebugLog::Get().Print(0, "%u: %u UPS", m_now, m_updates);
        m_updates = 0;
    }
    Yield();
    return true;
}

// With nobody to serve, a pass has nothing to do until a datagram comes (a
// search, a status query, a join) or a timer falls due, so the server waits
// on its socket instead of waking a thousand times a second; what arrives
// wakes it at once. Anyone playing keeps the short yield between passes.
void CServerLoop::Yield()
{
    if (m_hosted && m_server->IsIdle())
        m_server->WaitForTraffic(kIdleWaitMs);
    else
        Sleep(NonNegative(g_settings.ServerYield));
}

void CServerLoop::Run()
{
    while (server::IsRunningFlagSet())
        if (!RunPass())
            break;
}

void CServerLoop::ShutDown()
{
    m_notifier.Stopping();
    m_haltedByClient = m_server && m_server->WasHaltedByClient();
    m_heartbeats.reset();
    m_controlSocket.reset();
    m_console.reset();
    m_server = nullptr;
    CServer::Destroy();
    CMessageLog::DestroyServerLog();
    CMemoryTracker::Destroy();
}

int RunServerThread(const server::ServerOptions& options)
{
    static bool readingInput = false; // the reader stays for the rest of the process
    if (!std::exchange(readingInput, true))
        server::ReadStandardInput(server::ProcessCommandQueue());
    CServerLoop loop(options);
    bool started = loop.SetUp();
    if (started)
        loop.Run();
    loop.ShutDown();
    if (!started || !loop.IsHosted())
        return 1;
    return loop.WasHaltedByClient() ? kExitHaltedByClient : 0;
}
