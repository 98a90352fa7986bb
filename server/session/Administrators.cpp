#include "server/session/Administrators.h"

#include <algorithm>

std::optional<std::vector<uint32_t>> CAdministrators::ParseList(std::string_view list)
{
    std::vector<uint32_t> addresses;
    for (;;)
    {
        size_t comma = list.find(',');
        std::optional<uint32_t> address = session::HostAddress::ParseIpv4(list.substr(0, comma));
        if (!address)
            return std::nullopt;
        addresses.push_back(*address);
        if (comma == std::string_view::npos)
            return addresses;
        list.remove_prefix(comma + 1);
    }
}

bool CAdministrators::Allows(const std::optional<session::HostAddress>& from) const
{
    if (!IsRestricted())
        return true;
    return from && std::find(m_addresses.begin(), m_addresses.end(), from->ipv4) != m_addresses.end();
}
