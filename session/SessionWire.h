// The session service's own wire format: server search, joining and refusal.
// Game messages travel beside it unchanged. Every integer of ours is
// little-endian; ENet's own header, which carries the join cookie, is big-endian.
//
// Server search (plain UDP datagrams to the game port, answered from it):
//
//   query, client to server, always exactly kEnumQuerySize bytes
//     0   4  "QVXQ"
//     4   1  wire version (3)
//     5  16  application GUID (all zero: any application)
//    21   4  search token, echoed in the answer
//    25   .  zero padding to kEnumQuerySize
//
//   answer, server to client, never larger than the query it answers
//     0   4  "QVXA"
//     4   1  wire version (3)
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
// Joining, step one: a cookie (plain UDP datagrams to the game port, sent
// from the very socket the client's ENet host then connects from):
//
//   cookie request, client to server, always exactly kCookieRequestSize bytes
//     0   4  "QVXC"
//     4   1  wire version (3; the server reads any)
//     5  16  application GUID
//    21   4  request token, echoed in the answer
//    25   .  zero padding to kCookieRequestSize
//
//   cookie answer, server to client, kCookieAnswerSize bytes (no larger than
//   the request)
//     0   4  "QVXK"
//     4   1  wire version (3)
//     5   4  request token from the request
//     9   1  CookieStatus: 0 join with this cookie, 1 the server is full,
//              2 the server plays another application, 3 the address is
//              banned
//    10   4  the cookie (0 unless granted)
//
//   The request and its answer keep this layout in every version: a server
//   answers a request of another version in that version, with status 2,
//   so that an older or newer client is told it cannot join instead of
//   waiting out its time-out.
//
//   The cookie proves that the client receives at the address (IPv4 and
//   port) the request came from; the server keeps nothing for it (see
//   JoinCookie.h). A client asks again while no answer comes, within its
//   connect time-out; a server answers one source address at most
//   kCookieAnswersPerSecond times a second.
//
// Joining, step two (over ENet, on control channel 0, reliable):
//
//   the ENet connect request carries the cookie as its data word (big-endian
//   like all of ENet's header: bytes 48-51 of the 52-byte datagram); the
//   datagram must hold that one CONNECT command, from peer id 0xFFF. The
//   server drops any datagram from a peer it does not know that is not such
//   a connect with a cookie valid for its source address, before ENet makes
//   a peer for it (EnetDatagram.h);
//   hello, client to server, once the ENet connection is up:
//     0   4  "QVXH"   4  1  wire version (3)   5  16  application GUID
//   welcome, server to client, when the player is admitted:
//     0   4  "QVXW"   4  1  wire version (3)   5   4  the player's id
//   refusal: the server disconnects the ENet peer with a RefuseReason as the
//   disconnect data word. A server closing its session disconnects every
//   client with kSessionClosed.
//
// Game data travels on channel 1 as unreliable, unsequenced ENet packets; a
// packet larger than one datagram is sent as unreliable fragments, so it
// arrives whole or not at all and is never resent.
#pragma once

#include "session/SessionTypes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace session::wire
{

// 3: the server compresses its ENet datagrams (EnetSupport.h), which a
// client of version 2 cannot read.
constexpr uint8_t kVersion = 3;
constexpr size_t kEnumQuerySize = 1100;
constexpr size_t kEnumAnswerHeaderSize = 51;
constexpr int kEnumAnswersPerSecond = 10;
constexpr size_t kCookieRequestSize = 32;
constexpr size_t kCookieAnswerSize = 14;
constexpr int kCookieAnswersPerSecond = 20;
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
    kKicked = 5, // the host removed the player (the reason went as a console line)
};

enum CookieStatus : uint8_t
{
    kCookieGranted = 0,
    kCookieServerFull = 1,
    kCookieWrongApplication = 2,
    kCookieBanned = 3,
};

// A search query and a cookie request say the same: which application, and
// a token for the answer to echo. They differ in magic and padded size.
struct TokenRequest
{
    Guid application;
    uint32_t token = 0;
    uint8_t version = kVersion; // a cookie request's may be another
};
using CookieRequest = TokenRequest;
using EnumQuery = TokenRequest;

struct CookieAnswer
{
    uint32_t token = 0;
    CookieStatus status = kCookieGranted;
    uint32_t cookie = 0;
    uint8_t version = kVersion; // the request's, when refusing another version
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

std::vector<uint8_t> EncodeCookieRequest(const CookieRequest& request);
// Reads a request of any version; only the server's own may be granted.
std::optional<CookieRequest> DecodeCookieRequest(const uint8_t* data, size_t size);

std::vector<uint8_t> EncodeCookieAnswer(const CookieAnswer& answer);
std::optional<CookieAnswer> DecodeCookieAnswer(const uint8_t* data, size_t size);

std::vector<uint8_t> EncodeHello(const Guid& application);
std::optional<Guid> DecodeHello(const uint8_t* data, size_t size);

std::vector<uint8_t> EncodeWelcome(PlayerId player);
std::optional<PlayerId> DecodeWelcome(const uint8_t* data, size_t size);

} // namespace session::wire
