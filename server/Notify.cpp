#include "server/Notify.h"

#ifdef QUORVEX_HAVE_SYSTEMD
#include <systemd/sd-daemon.h>
#endif

namespace server
{
namespace
{
constexpr uint64_t kStatusCheckMs = 1000;

uint64_t WatchdogIntervalMs()
{
#ifdef QUORVEX_HAVE_SYSTEMD
    uint64_t micros = 0;
    if (sd_watchdog_enabled(0, &micros) > 0)
        return micros / 1000;
#endif
    return 0;
}
} // namespace

std::string StatusLine(const GameSummary& game)
{
    std::string line = game.mapName.empty() ? std::string("no map") : game.mapName;
    line += ", " + std::to_string(game.people);
    if (game.maxPlayers > 0)
        line += " of " + std::to_string(game.maxPlayers);
    line += game.people == 1 && game.maxPlayers == 0 ? " player" : " players";
    line += ", " + std::to_string(game.bots) + (game.bots == 1 ? " bot" : " bots");
    return line;
}

CServiceNotifier::CServiceNotifier() : m_watchdogMs(WatchdogIntervalMs()) {}

void CServiceNotifier::Ready()
{
    Send("READY=1");
}

void CServiceNotifier::Stopping()
{
    Send("STOPPING=1");
}

void CServiceNotifier::Tick(uint64_t nowMs, const std::function<GameSummary()>& summarize)
{
    // Half the interval, as sd_watchdog_enabled(3) advises, so one slow pass
    // does not get the server killed.
    if (m_watchdogMs > 0 && nowMs - m_lastPingMs >= m_watchdogMs / 2)
    {
        m_lastPingMs = nowMs;
        Send("WATCHDOG=1");
    }
    if (m_statusChecked && nowMs - m_lastStatusMs < kStatusCheckMs)
        return;
    m_statusChecked = true;
    m_lastStatusMs = nowMs;
    std::string status = StatusLine(summarize());
    if (status == m_status)
        return;
    m_status = status;
    Send("STATUS=" + status);
}

void CServiceNotifier::Send(const std::string& state)
{
#ifdef QUORVEX_HAVE_SYSTEMD
    sd_notify(0, state.c_str());
#else
    (void)state;
#endif
}

} // namespace server
