#include "session/SessionWire.h"

#include "platform/ByteIo.h"

#include <algorithm>
#include <cstring>

namespace session::wire
{
using platform::ByteReader;
using platform::ByteWriter;

namespace
{
constexpr char kQueryMagic[4] = {'Q', 'V', 'X', 'Q'};
constexpr char kAnswerMagic[4] = {'Q', 'V', 'X', 'A'};
constexpr char kCookieRequestMagic[4] = {'Q', 'V', 'X', 'C'};
constexpr char kCookieAnswerMagic[4] = {'Q', 'V', 'X', 'K'};
constexpr char kHelloMagic[4] = {'Q', 'V', 'X', 'H'};
constexpr char kWelcomeMagic[4] = {'Q', 'V', 'X', 'W'};

void WriteHeader(ByteWriter& out, const char (&magic)[4], uint8_t version = kVersion)
{
    out.Bytes(magic, 4);
    out.U8(version);
}

// The header's version, when the magic is `magic`.
std::optional<uint8_t> ReadAnyVersionHeader(ByteReader& in, const char (&magic)[4])
{
    char seen[4];
    in.Copy(seen, 4);
    uint8_t version = in.U8();
    return in.Ok() && std::memcmp(seen, magic, 4) == 0 ? std::optional(version) : std::nullopt;
}

bool ReadHeader(ByteReader& in, const char (&magic)[4])
{
    return ReadAnyVersionHeader(in, magic) == kVersion;
}

Guid ReadGuid(ByteReader& in)
{
    Guid guid;
    in.Copy(guid.bytes.data(), guid.bytes.size());
    return guid;
}

// Padded to `size`, so that no answer need be larger than its request.
std::vector<uint8_t> EncodeTokenRequest(const char (&magic)[4], const TokenRequest& request, size_t size)
{
    std::vector<uint8_t> bytes;
    ByteWriter out(bytes);
    WriteHeader(out, magic, request.version);
    out.Bytes(request.application.bytes.data(), 16);
    out.U32(request.token);
    out.Zeros(size - bytes.size());
    return bytes;
}

// A request of any version; the caller decides which it reads.
std::optional<TokenRequest> DecodeTokenRequest(const char (&magic)[4], size_t expectedSize,
                                               const uint8_t* data, size_t size)
{
    if (size != expectedSize)
        return std::nullopt;
    ByteReader in(data, size);
    std::optional<uint8_t> version = ReadAnyVersionHeader(in, magic);
    if (!version)
        return std::nullopt;
    TokenRequest request;
    request.version = *version;
    request.application = ReadGuid(in);
    request.token = in.U32();
    return in.Ok() ? std::optional(request) : std::nullopt;
}
} // namespace

std::vector<uint8_t> EncodeEnumQuery(const EnumQuery& query)
{
    return EncodeTokenRequest(kQueryMagic, query, kEnumQuerySize);
}

// A search of another version goes unanswered: its answer's layout may differ,
// and getinfo already tells such a client what this server plays.
std::optional<EnumQuery> DecodeEnumQuery(const uint8_t* data, size_t size)
{
    std::optional<EnumQuery> query = DecodeTokenRequest(kQueryMagic, kEnumQuerySize, data, size);
    return query && query->version == kVersion ? query : std::nullopt;
}

std::vector<uint8_t> EncodeEnumAnswer(const EnumAnswer& answer, size_t limit)
{
    const SessionDescription& session = answer.session;
    size_t room = limit > kEnumAnswerHeaderSize ? limit - kEnumAnswerHeaderSize : 0;
    size_t nameLength = std::min({session.sessionName.size(), room, size_t{0xFFFF}});
    std::vector<uint8_t> bytes;
    ByteWriter out(bytes);
    WriteHeader(out, kAnswerMagic);
    out.Bytes(session.application.bytes.data(), 16);
    out.Bytes(session.instance.bytes.data(), 16);
    out.U32(answer.token);
    out.U32(session.maxPlayers);
    out.U32(session.currentPlayers);
    out.U16(static_cast<uint16_t>(nameLength));
    out.Bytes(session.sessionName.data(), nameLength);
    return bytes;
}

std::optional<EnumAnswer> DecodeEnumAnswer(const uint8_t* data, size_t size)
{
    ByteReader in(data, size);
    if (!ReadHeader(in, kAnswerMagic))
        return std::nullopt;
    EnumAnswer answer;
    answer.session.application = ReadGuid(in);
    answer.session.instance = ReadGuid(in);
    answer.token = in.U32();
    answer.session.maxPlayers = in.U32();
    answer.session.currentPlayers = in.U32();
    answer.session.sessionName = in.String(in.U16());
    return in.Ok() ? std::optional(answer) : std::nullopt;
}

std::vector<uint8_t> EncodeCookieRequest(const CookieRequest& request)
{
    return EncodeTokenRequest(kCookieRequestMagic, request, kCookieRequestSize);
}

std::optional<CookieRequest> DecodeCookieRequest(const uint8_t* data, size_t size)
{
    return DecodeTokenRequest(kCookieRequestMagic, kCookieRequestSize, data, size);
}

std::vector<uint8_t> EncodeCookieAnswer(const CookieAnswer& answer)
{
    std::vector<uint8_t> bytes;
    ByteWriter out(bytes);
    WriteHeader(out, kCookieAnswerMagic, answer.version);
    out.U32(answer.token);
    out.U8(answer.status);
    out.U32(answer.cookie);
    return bytes;
}

std::optional<CookieAnswer> DecodeCookieAnswer(const uint8_t* data, size_t size)
{
    ByteReader in(data, size);
    if (!ReadHeader(in, kCookieAnswerMagic))
        return std::nullopt;
    CookieAnswer answer;
    answer.token = in.U32();
    uint8_t status = in.U8();
    answer.cookie = in.U32();
    if (!in.Ok() || in.Remaining() != 0 || status > kCookieBanned)
        return std::nullopt;
    answer.status = static_cast<CookieStatus>(status);
    return answer;
}

std::vector<uint8_t> EncodeHello(const Guid& application)
{
    std::vector<uint8_t> bytes;
    ByteWriter out(bytes);
    WriteHeader(out, kHelloMagic);
    out.Bytes(application.bytes.data(), 16);
    return bytes;
}

std::optional<Guid> DecodeHello(const uint8_t* data, size_t size)
{
    ByteReader in(data, size);
    if (!ReadHeader(in, kHelloMagic))
        return std::nullopt;
    Guid application = ReadGuid(in);
    return in.Ok() && in.Remaining() == 0 ? std::optional(application) : std::nullopt;
}

std::vector<uint8_t> EncodeWelcome(PlayerId player)
{
    std::vector<uint8_t> bytes;
    ByteWriter out(bytes);
    WriteHeader(out, kWelcomeMagic);
    out.U32(player);
    return bytes;
}

std::optional<PlayerId> DecodeWelcome(const uint8_t* data, size_t size)
{
    ByteReader in(data, size);
    if (!ReadHeader(in, kWelcomeMagic))
        return std::nullopt;
    PlayerId player = in.U32();
    return in.Ok() && in.Remaining() == 0 && player != 0 ? std::optional(player) : std::nullopt;
}

} // namespace session::wire
