// Any bytes as a connectionless datagram of the master protocol, reaching a
// game server's port, a master or a client: every reader must stay within the
// input, and what reads must write back to something that reads the same.
#include "session/MasterWire.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <string_view>
#include <vector>

using namespace session::master;

namespace
{
void CheckInfo(const uint8_t* data, size_t size)
{
    InfoPairs pairs;
    if (DecodeInfoString(std::string_view(reinterpret_cast<const char*>(data), size), pairs))
    {
        InfoPairs again;
        Check(DecodeInfoString(EncodeInfoString(pairs), again) && again.size() == pairs.size());
    }
    pairs.clear();
    if (ParseInfoResponse(data, size, pairs))
    {
        std::vector<uint8_t> response = MakeInfoResponse(pairs);
        InfoPairs again;
        Check(ParseInfoResponse(response.data(), response.size(), again) && again.size() == pairs.size());
    }
}

void CheckQueries(const uint8_t* data, size_t size)
{
    Connectionless packet;
    if (!ParseConnectionless(data, size, packet))
        return;
    Check(!packet.command.empty() && packet.command.size() + packet.argument.size() < size);
    GetServersQuery query;
    if (ParseGetServers(packet, query))
        Check(!query.game.empty());
}

void CheckServerList(const uint8_t* data, size_t size)
{
    std::vector<ServerAddress> servers;
    bool ended = false;
    if (!ParseGetServersResponse(data, size, servers, ended))
        return;
    std::vector<ServerAddress> again;
    bool againEnded = false;
    for (const std::vector<uint8_t>& datagram : MakeGetServersResponses(servers))
        Check(ParseGetServersResponse(datagram.data(), datagram.size(), again, againEnded));
    Check(againEnded && again == servers);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckInfo(data, size);
    CheckQueries(data, size);
    CheckServerList(data, size);
    return 0;
}
