// Process-wide state of the server program shared by its main thread, its
// server thread and the stop-signal handler.
#pragma once

#include <cstdint>
#include <string>

namespace server
{

constexpr uint32_t kGamePort = 3001;
constexpr size_t kMaxSessionName = 1023;
constexpr const char* kDefaultSessionName = "Quorvex Server";
constexpr const char* kMapsFolder = "Maps";

struct ServerOptions
{
    std::string sessionName;
    uint32_t port = kGamePort;
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

} // namespace server
