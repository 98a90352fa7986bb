// Value types shared by the two sides of the session service: identifiers,
// addresses and the description a server gives of its session.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace session
{

// A session player: never 0, never reused within one run of a server.
using PlayerId = uint32_t;

// A 128-bit identifier, written as "{1A0FA2EB-7FEB-44C0-999E-E930A50FFE80}".
struct Guid
{
    std::array<uint8_t, 16> bytes{};

    // Parses the braced text form; nullopt when it is not one.
    static std::optional<Guid> Parse(std::string_view text);
    // A fresh random identifier.
    static Guid Random();
    std::string ToString() const;
    bool IsNull() const;
    bool operator==(const Guid&) const = default;
};

// An IPv4 address and UDP port.
struct HostAddress
{
    uint32_t ipv4 = 0; // host byte order: 127.0.0.1 is 0x7F000001
    uint16_t port = 0;

    std::string ToString() const; // "127.0.0.1:3001"
    bool operator==(const HostAddress&) const = default;

    // A dotted IPv4 address ("127.0.0.5"), strictly: four decimal numbers
    // from 0 to 255 without leading zeros, nothing around them; host byte
    // order. nullopt for anything else.
    static std::optional<uint32_t> ParseIpv4(std::string_view dotted);
};

// What a server says about its session when asked.
struct SessionDescription
{
    Guid application; // the game this session plays
    Guid instance;    // this run of this server
    std::string sessionName;
    uint32_t maxPlayers = 0;     // including the host's own player; 0 = no limit
    uint32_t currentPlayers = 0; // including the host's own player
};

// Traffic counters of a session's socket, for measurements.
struct SessionStats
{
    uint64_t datagramsSent = 0;
    uint64_t bytesSent = 0;
    uint64_t datagramsReceived = 0;
    uint64_t bytesReceived = 0;
};

} // namespace session
