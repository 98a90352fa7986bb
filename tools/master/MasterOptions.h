// The command line of QuorvexMaster, the list of Quorvex servers on the
// internet that clients ask for the servers to show in their browsers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace master
{

struct MasterOptions
{
    uint16_t port = 27950;
    // Host byte order; 0 listens on every address of the machine.
    uint32_t bindIpv4 = 0;
    // How long a listed server stays listed without answering a challenge.
    uint32_t expiryS = 900;
    // How long a heartbeat's challenge waits for the server's answer.
    uint32_t challengeTimeoutS = 5;
};

constexpr int kExitBadArguments = 1;
constexpr int kExitSocket = 2;

extern const char* const kUsage;

enum class ParseResult
{
    Run,
    Help,
    Version,
    Mistake,
};

// Reads argv into `options`; on a Mistake `error` says what was wrong.
ParseResult ParseOptions(int argc, char** argv, MasterOptions& options, std::string& error);

} // namespace master
