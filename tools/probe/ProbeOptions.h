// The command line of QuorvexProbe, a scriptable client for tests, debugging
// and load.
#pragma once

#include "net/GameIdentity.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace probe
{

struct ProbeOptions
{
    std::string host = "127.0.0.1";
    bool hostGiven = false;
    uint16_t port = game_identity::kGamePort;
    // The local IPv4 address to send from (host byte order); 0: any.
    uint32_t bindIpv4 = 0;
    bool enumerate = false;
    // --master HOST[:PORT]: list that master's servers instead.
    std::optional<std::string> masterHost;
    uint16_t masterPort = 27950;
    std::string name = "Probe";
    uint32_t shipType = 0;
    bool join = false;
    std::vector<uint32_t> keys;
    std::optional<std::string> chat;
    std::vector<std::vector<uint8_t>> sends;
    // 0: the --send packets go once; otherwise again every this many ms.
    uint32_t sendEveryMs = 0;
    bool ping = false;
    uint32_t durationMs = 3000;
    int bots = 0;
    bool world = false;
};

// Exit statuses.
constexpr int kExitBadArguments = 1;
constexpr int kExitRefused = 2;
constexpr int kExitUnreachable = 3;
constexpr int kExitTerminated = 4;
constexpr int kExitBanned = 5;

extern const char* const kUsage;

// Parses argv; on a mistake returns nullopt and sets `error` to a message that
// says what was wrong. `--help` returns nullopt with an empty error.
std::optional<ProbeOptions> ParseOptions(int argc, char** argv, std::string& error);

} // namespace probe
