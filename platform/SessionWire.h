// The session service's own wire format: server search, joining and refusal.
// Game messages travel beside it unchanged. Every integer is little-endian.
//
// Server search (plain UDP datagrams to the game port, answered from it):
//
//   query, client to server, always exactly kEnumQuerySize bytes
//     0   4  "QVXQ"
//     4   1  wire version (1)
//     5  16  application GUID (all zero: any application)
//    21   4  search token, echoed in the answer
//    25   .  zero padding to kEnumQuerySize
//
//   answer, server to client, never larger than the query it answers
//     0   4  "QVXA"
//     4   1  wire version (1)
//     5  16  application GUID
//    21  16  instance GUID of this run of the server
//    37   4  search token from the query
//    41   4  maximum players, the host's own included (0 = no limit)
//    45   4  current players, the host's own included
//    49   2  session name length L
//    51   L  session name (cut to fit the query's size)
//
//   Padding the query keeps a spoofed search from being amplified, and a
//   server answers one source address at most kEnumAnswersPerSecond times a
//   second.
//
// Joining (over ENet, on control channel 0, reliable):
//
//   the ENet connect request carries kConnectMagic as its data word;
//   hello, client to server, once the ENet connection is up:
//     0   4  "QVXH"   4  1  wire version (1)   5  16  application GUID
//   welcome, server to client, when the player is admitted:
//     0   4  "QVXW"   4  1  wire version (1)   5   4  the player's id
//   refusal: the server disconnects the ENet peer with a RefuseReason as the
//   disconnect data word. A server closing its session disconnects every
//   client with kSessionClosed.
//
// Game data travels on channel 1 as unreliable, unsequenced ENet packets; a
// packet larger than one datagram is sent as unreliable fragments, so it
// arrives whole or not at all and is never resent.
#pragma once

#include "platform/SessionTypes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform::wire
{

constexpr uint8_t kVersion = 1;
constexpr size_t kEnumQuerySize = 1100;
constexpr size_t kEnumAnswerHeaderSize = 51;
constexpr int kEnumAnswersPerSecond = 10;
constexpr uint32_t kConnectMagic = 0x31585651; // "QVX1"
constexpr uint8_t kControlChannel = 0;
constexpr uint8_t kDataChannel = 1;
constexpr size_t kChannelCount = 2;

enum RefuseReason : uint32_t
{
    kNotRefused = 0,
    kServerFull = 1,
    kWrongApplication = 2,
    kBadHandshake = 3,
    kSessionClosed = 4,
};

struct EnumQuery
{
    Guid application;
    uint32_t token = 0;
};

struct EnumAnswer
{
    SessionDescription session;
    uint32_t token = 0;
};

std::vector<uint8_t> EncodeEnumQuery(const EnumQuery& query);
std::optional<EnumQuery> DecodeEnumQuery(const uint8_t* data, size_t size);

// The answer cut to at most `limit` bytes by shortening the session name.
std::vector<uint8_t> EncodeEnumAnswer(const EnumAnswer& answer, size_t limit);
std::optional<EnumAnswer> DecodeEnumAnswer(const uint8_t* data, size_t size);

std::vector<uint8_t> EncodeHello(const Guid& application);
std::optional<Guid> DecodeHello(const uint8_t* data, size_t size);

std::vector<uint8_t> EncodeWelcome(PlayerId player);
std::optional<PlayerId> DecodeWelcome(const uint8_t* data, size_t size);

} // namespace platform::wire
