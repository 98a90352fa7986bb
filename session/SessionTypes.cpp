#include "session/SessionTypes.h"

#include <arpa/inet.h>
#include <cstdio>
#include <random>

namespace session
{
namespace
{
int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Byte order of the text form: the first three groups are little-endian
// numbers, as the 128-bit identifiers of the game's platform store them.
constexpr int kTextOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
} // namespace

std::optional<Guid> Guid::Parse(std::string_view text)
{
    if (text.size() != 38 || text.front() != '{' || text.back() != '}')
        return std::nullopt;
    std::string digits;
    for (size_t i = 1; i + 1 < text.size(); ++i)
    {
        bool dashPlace = i == 9 || i == 14 || i == 19 || i == 24;
        if (dashPlace != (text[i] == '-'))
            return std::nullopt;
        if (!dashPlace)
            digits += text[i];
    }
    Guid guid;
    for (int i = 0; i < 16; ++i)
    {
        int high = HexValue(digits[2 * i]), low = HexValue(digits[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        guid.bytes[kTextOrder[i]] = static_cast<uint8_t>(high * 16 + low);
    }
    return guid;
}

Guid Guid::Random()
{
    std::random_device device;
    Guid guid;
    for (uint8_t& byte : guid.bytes)
        byte = static_cast<uint8_t>(device());
    return guid;
}

std::string Guid::ToString() const
{
    std::string text = "{";
    for (int i = 0; i < 16; ++i)
    {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", bytes[kTextOrder[i]]);
        text += pair;
    }
    return text + "}";
}

bool Guid::IsNull() const
{
    return *this == Guid{};
}

// glibc's inet_pton takes exactly four decimal parts of 0 to 255, without
// leading zeros, and nothing else: no octal or hex, no fewer parts.
std::optional<uint32_t> HostAddress::ParseIpv4(std::string_view dotted)
{
    std::string text(dotted);
    in_addr address;
    if (dotted.find('\0') != std::string_view::npos || inet_pton(AF_INET, text.c_str(), &address) != 1)
        return std::nullopt;
    return ntohl(address.s_addr);
}

std::string HostAddress::ToString() const
{
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u:%u", (ipv4 >> 24) & 0xFF, (ipv4 >> 16) & 0xFF,
                  (ipv4 >> 8) & 0xFF, ipv4 & 0xFF, port);
    return text;
}

} // namespace session
