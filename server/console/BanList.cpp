#include "server/console/BanList.h"

#include "session/SessionTypes.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>

namespace server
{
namespace
{
constexpr size_t kMostReasonLength = 200;

// Keeps a reason on its one line of the file.
std::string OneLine(const std::string& text)
{
    std::string line = text.substr(0, kMostReasonLength);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return line;
}
} // namespace

std::string CBanList::FormatLine(const Ban& ban)
{
    std::string line = session::HostAddress{ban.ipv4, 0}.ToString();
    line = line.substr(0, line.rfind(':'));
    return line + " " + std::to_string(ban.expires) + " " + OneLine(ban.reason);
}

bool CBanList::ParseLine(const std::string& line, Ban& ban)
{
    size_t firstSpace = line.find(' ');
    if (firstSpace == std::string::npos)
        return false;
    std::optional<uint32_t> address = session::HostAddress::ParseIpv4(line.substr(0, firstSpace).c_str());
    size_t secondSpace = line.find(' ', firstSpace + 1);
    std::string expiry = line.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    int64_t expires = -1;
    auto [end, error] = std::from_chars(expiry.data(), expiry.data() + expiry.size(), expires);
    if (!address || error != std::errc() || end != expiry.data() + expiry.size() || expires < 0)
        return false;
    ban = {*address, expires, secondSpace == std::string::npos ? "" : OneLine(line.substr(secondSpace + 1))};
    return true;
}

bool CBanList::Load(size_t* skipped)
{
    m_bans.clear();
    if (skipped)
        *skipped = 0;
    if (m_path.empty())
        return true;
    std::ifstream in(m_path);
    if (!in)
        return errno == ENOENT;
    std::string line;
    while (std::getline(in, line))
    {
        Ban ban;
        if (ParseLine(line, ban))
            Add(ban);
        else if (skipped && !line.empty())
            ++*skipped;
    }
    return true;
}

bool CBanList::Save(std::string* error) const
{
    if (m_path.empty())
        return true;
    std::string temporary = m_path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const Ban& ban : m_bans)
            out << FormatLine(ban) << '\n';
        out.flush();
        if (out && std::rename(temporary.c_str(), m_path.c_str()) == 0)
            return true;
    }
    if (error)
        *error = std::strerror(errno);
    std::remove(temporary.c_str());
    return false;
}

void CBanList::Add(const Ban& ban)
{
    Remove(ban.ipv4);
    m_bans.push_back(ban);
}

bool CBanList::Remove(uint32_t ipv4)
{
    return std::erase_if(m_bans, [ipv4](const Ban& ban) { return ban.ipv4 == ipv4; }) > 0;
}

bool CBanList::IsBanned(uint32_t ipv4, int64_t now) const
{
    return std::any_of(m_bans.begin(), m_bans.end(),
                       [ipv4, now](const Ban& ban)
                       { return ban.ipv4 == ipv4 && (ban.expires == 0 || ban.expires > now); });
}

bool CBanList::DropExpired(int64_t now)
{
    return std::erase_if(m_bans, [now](const Ban& ban) { return ban.expires != 0 && ban.expires <= now; }) >
           0;
}

} // namespace server
