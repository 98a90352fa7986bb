// CAdministrators says who may shut the server down (MSG_SHUTDOWN) or change
// its map (MSG_MAP). By default every connected client may, as games on a LAN
// expect. A public server names the addresses of its administrators instead
// (QuorvexServer -admin): then only clients whose packets come from one of
// them are obeyed. Loopback is no exception; it counts only when listed.
#pragma once

#include "session/SessionTypes.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

class CAdministrators
{
public:
    // "ADDR[,ADDR...]": dotted IPv4 addresses, nothing else (no spaces, no
    // empty items); host byte order. nullopt when any item is not one.
    static std::optional<std::vector<uint32_t>> ParseList(std::string_view list);

    // Only these addresses from now on; an empty list lets everyone in again.
    void Restrict(std::vector<uint32_t> addresses) { m_addresses = std::move(addresses); }
    bool IsRestricted() const { return !m_addresses.empty(); }

    // Whether a request from a client at `from` is obeyed. A player whose
    // address is unknown (nullopt) is obeyed only while nobody is listed.
    bool Allows(const std::optional<session::HostAddress>& from) const;

private:
    std::vector<uint32_t> m_addresses;
};
