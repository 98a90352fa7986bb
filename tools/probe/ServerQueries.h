// What QuorvexProbe asks of servers and masters over the master protocol:
// a master's list of servers (getservers), and each server's line as the
// browsers show it (getinfo, timed for the ping). Plain UDP, no session.
#pragma once

#include "session/SessionTypes.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace probe
{

// One server as a browser lists it; "?" for what the server did not say.
struct ServerLine
{
    session::HostAddress address;
    std::string name = "?";
    std::string maxPlayers = "?";
    std::string people = "?";
    std::string map = "?";
    std::string bots = "?";
    std::string version = "?";
    std::optional<uint32_t> pingMs;
};

// The servers `master` lists for this game and protocol, in its order,
// without repeats; nullopt when the master did not answer in `timeoutMs`.
// Queries leave from `bindIpv4` (host byte order; 0: any) here and below.
std::optional<std::vector<session::HostAddress>> AskMaster(const session::HostAddress& master,
                                                           uint32_t bindIpv4, uint32_t timeoutMs);

// Asks every server for its info at once (again while unanswered) and fills
// in what each answer says, with the round trip of the query it answered.
void AskForInfo(std::vector<ServerLine>& servers, uint32_t bindIpv4, uint32_t timeoutMs);

// SERVER<TAB>name<TAB>max<TAB>people<TAB>map<TAB>bots<TAB>version<TAB>ping
// <TAB>address, ping in whole ms or "?".
void PrintServerLine(const ServerLine& server, std::FILE* out);

} // namespace probe
