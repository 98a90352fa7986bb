// Tells systemd what the server is doing when it runs as a notify service:
// ready once the first round is up, a one-line status that follows the game
// (map, people, bots), and the watchdog pings that prove the loop still turns.
// Without a service manager (no NOTIFY_SOCKET), or in a build without
// libsystemd, every call does nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace server
{

struct GameSummary
{
    std::string mapName;
    uint32_t people = 0;
    uint32_t maxPlayers = 0; // 0 = no limit
    uint32_t bots = 0;
};

// "Caves, 3 of 8 players, 2 bots"; "Caves, 1 player, 0 bots" without a limit.
std::string StatusLine(const GameSummary& game);

class CServiceNotifier
{
public:
    CServiceNotifier();

    void Ready();
    void Stopping();
    // Called every pass: pings the watchdog when half its interval has passed
    // and, once a second, sends the status `summarize` gives if it changed.
    void Tick(uint64_t nowMs, const std::function<GameSummary()>& summarize);

private:
    void Send(const std::string& state);

    uint64_t m_watchdogMs = 0; // 0: no watchdog wanted
    uint64_t m_lastPingMs = 0;
    uint64_t m_lastStatusMs = 0;
    bool m_statusChecked = false;
    std::string m_status;
};

} // namespace server
