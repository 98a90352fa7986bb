#include "session/JoinCookie.h"

#include "platform/ByteIo.h"

#include <sodium.h>

namespace session
{
using platform::ByteReader;
using platform::ByteWriter;


CJoinCookies::CJoinCookies()
{
    static_assert(std::tuple_size_v<decltype(m_secret)> == crypto_shorthash_KEYBYTES);
    // Needed once before randombytes; repeated calls do nothing. On a system
    // without a source of random numbers libsodium stops the program itself.
    [[maybe_unused]] int started = sodium_init();
    randombytes_buf(m_secret.data(), m_secret.size());
}

uint32_t CJoinCookies::Issue(const HostAddress& client, uint64_t nowMs) const
{
    return ForWindow(client, nowMs / kCookieWindowMs);
}

bool CJoinCookies::IsValid(uint32_t cookie, const HostAddress& client, uint64_t nowMs) const
{
    uint64_t window = nowMs / kCookieWindowMs;
    return cookie == ForWindow(client, window) || (window > 0 && cookie == ForWindow(client, window - 1));
}

uint32_t CJoinCookies::ForWindow(const HostAddress& client, uint64_t window) const
{
    uint8_t message[14];
    ByteWriter out(message, sizeof message);
    out.U32(client.ipv4);
    out.U16(client.port);
    out.U32(static_cast<uint32_t>(window));
    out.U32(static_cast<uint32_t>(window >> 32));
    uint8_t hash[crypto_shorthash_BYTES];
    crypto_shorthash(hash, message, sizeof message, m_secret.data());
    return ByteReader(hash, sizeof hash).U32();
}

} // namespace session
