// Process-wide state of the server program shared by its main thread, its
// server thread and the stop-signal handler.
#pragma once

#include "net/GameIdentity.h"
#include "server/Heartbeats.h"

#include <cstdint>
#include <string>
#include <vector>

namespace server
{

constexpr size_t kMaxSessionName = 1023;
constexpr const char* kDefaultSessionName = "Quorvex Server";

struct ServerOptions
{
    std::string sessionName;
    uint32_t port = game_identity::kGamePort;
    // Batches a second for each client; 0 sends on every pass.
    uint32_t sendRate = 0;
    // Seconds between two "Stats:" lines; 0 prints none.
    uint32_t statsSeconds = 0;
    // IPv4 addresses (host byte order) whose clients may shut the server
    // down or change its map; empty lets every client.
    std::vector<uint32_t> administrators{};
    // Ships kept in play, computer pilots filling in for missing people; 0: no bots.
    uint32_t bots = 0;
    // The one local IPv4 address (host byte order) the session listens on,
    // for game traffic and searches alike; 0 listens on every address.
    uint32_t bindIpv4 = 0;
    // Master servers to send heartbeats to; empty: the server is not listed.
    std::vector<MasterServer> masters{};
    // The console's Unix socket; empty: none.
    std::string controlPath{};
    // The file that keeps bans across restarts; empty: bans last one run.
    std::string banListPath{};

    bool operator==(const ServerOptions&) const = default;
};

// The console control handler: clears the running flag for the stop events
// and reports them handled. Safe to call from a signal handler.
bool OnConsoleControl(uint32_t event);

// True while the loop should run. Set by the server thread just before its
// loop starts (unless a stop already arrived), cleared only by the handler.
bool IsRunningFlagSet();
void SetRunningFlag();
// Forgets any stop that arrived, for a fresh run of the loop (tests).
void ResetStopRequest();

// The report request handler (SIGUSR1): asks the server thread for one
// "Stats:" line. Safe to call from a signal handler.
void OnReportRequest();
// True once for each request that arrived since the last call.
bool TakeReportRequest();

} // namespace server
