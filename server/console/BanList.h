// The addresses the host has banned, kept in a file so that bans survive a
// restart. One line per ban: the IPv4 address, the Unix time it ends (0:
// never) and the reason. The file is written whole to a temporary file that
// then replaces it, so a crash never leaves half a list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace server
{

struct Ban
{
    uint32_t ipv4 = 0;   // host byte order
    int64_t expires = 0; // Unix time; 0 never expires
    std::string reason;

    bool operator==(const Ban&) const = default;
};

class CBanList
{
public:
    // Without a path the bans last until the server stops.
    explicit CBanList(std::string path = {}) : m_path(std::move(path)) {}

    // Reads the file; a missing file is an empty list. Lines that do not
    // parse are skipped and counted in `skipped`. False when it cannot be read.
    bool Load(size_t* skipped = nullptr);
    // False (and the reason in `error`) when the file cannot be written.
    bool Save(std::string* error = nullptr) const;

    // Replaces any ban of the same address.
    void Add(const Ban& ban);
    // False when the address was not banned.
    bool Remove(uint32_t ipv4);
    bool IsBanned(uint32_t ipv4, int64_t now) const;
    // Forgets expired bans; true when any went.
    bool DropExpired(int64_t now);
    const std::vector<Ban>& GetBans() const { return m_bans; }

    // One line of the file, and back.
    static std::string FormatLine(const Ban& ban);
    static bool ParseLine(const std::string& line, Ban& ban);

private:
    std::string m_path;
    std::vector<Ban> m_bans;
};

} // namespace server
