// The master-server protocol that open shooters share: connectionless
// datagrams (four 0xFF bytes, then text) by which a game server announces
// itself to a master (heartbeat), answers anyone's getinfo and getstatus, and
// by which a client asks the master for the servers of a game (getservers).
// Only encoding and decoding live here; every decoder checks each byte it
// reads against the size it was given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace session::master
{

constexpr std::string_view kGameName = "Quorvex";
constexpr uint16_t kDefaultMasterPort = 27950;
constexpr size_t kMaxMasterDatagram = 1400;

using InfoPairs = std::vector<std::pair<std::string, std::string>>;

struct StatusPlayer
{
    int frags = 0;
    int ping = 0;
    std::string name;
};

struct ServerAddress
{
    uint32_t ipv4 = 0; // host byte order
    uint16_t port = 0;
    bool operator==(const ServerAddress&) const = default;
};

// A connectionless packet's command word and the rest of its first line.
struct Connectionless
{
    std::string command;
    std::string argument;
};

// False when the bytes are not a connectionless packet with a command word.
bool ParseConnectionless(const uint8_t* data, size_t size, Connectionless& out);

// `text` fit to be an info-string value or a status line's name: control
// characters, backslashes and double quotes, which would end a field or a
// line, become '?'.
std::string SafeInfoValue(std::string_view text);

// "\key\value\key\value"; keys and values pass through SafeInfoValue.
std::string EncodeInfoString(const InfoPairs& pairs);
// False on malformed text: not starting with a backslash, a key without a
// value, an empty key, or a control character.
bool DecodeInfoString(std::string_view text, InfoPairs& out);

std::vector<uint8_t> MakeGetInfo(std::string_view challenge);
std::vector<uint8_t> MakeGetStatus(std::string_view challenge);
std::vector<uint8_t> MakeInfoResponse(const InfoPairs& pairs);
std::vector<uint8_t> MakeStatusResponse(const InfoPairs& pairs, const std::vector<StatusPlayer>& players);
bool ParseInfoResponse(const uint8_t* data, size_t size, InfoPairs& out);

std::vector<uint8_t> MakeHeartbeat();

struct GetServersQuery
{
    std::string game;
    uint32_t protocol = 0;
    bool empty = false; // also list servers nobody plays on
    bool full = false;  // also list full servers
};

std::vector<uint8_t> MakeGetServers(uint32_t protocol, bool empty, bool full);
// False when the packet is not a getservers naming a game and a protocol.
bool ParseGetServers(const Connectionless& packet, GetServersQuery& out);

// The master's answer: as many datagrams of at most kMaxMasterDatagram bytes
// as the list needs (at least one); the last one carries the end marker.
std::vector<std::vector<uint8_t>> MakeGetServersResponses(const std::vector<ServerAddress>& servers);
// Appends the datagram's servers; `ended` true when it carried the end marker.
// False when malformed.
bool ParseGetServersResponse(const uint8_t* data, size_t size, std::vector<ServerAddress>& out, bool& ended);

} // namespace session::master
