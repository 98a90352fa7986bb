// The command line of QuorvexImpair, the impairment relay for tests.
#pragma once

#include "tools/impair/ImpairSchedule.h"

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string>

namespace impair
{

struct ImpairOptions
{
    sockaddr_in listen{};
    sockaddr_in server{};
    Impairment impairment;
    uint64_t seed = 1;
    // Seconds; 0 means no limit.
    uint32_t durationS = 0;
    uint32_t impairAfterS = 0;
    uint32_t impairForS = 0;
    // Impair only what the server sends to the clients; their datagrams to
    // the server pass untouched.
    bool toClientsOnly = false;
};

constexpr int kExitBadArguments = 1;
constexpr int kExitSocket = 2;

extern const char* const kUsage;

// Parses argv; on a mistake returns nullopt and sets `error` to what was
// wrong. `--help` returns nullopt with an empty error.
std::optional<ImpairOptions> ParseOptions(int argc, char** argv, std::string& error);

// "127.0.0.1:3001".
std::string ToString(const sockaddr_in& address);

} // namespace impair
