// Stateless proof that a client receives at the address it sends from, asked
// for before joining so that a stranger who cannot receive there costs the
// server nothing (the cookie step of SessionWire.h).
//
// A cookie is a keyed hash (SipHash-2-4, libsodium's crypto_shorthash) of a
// secret drawn afresh for each run, the client's IPv4 address and port, and
// the time window it was issued in, cut to 32 bits. It is accepted in its own
// window and the next, so it lives kCookieWindowMs to twice that: longer than
// a client's whole connect takes.
#pragma once

#include "session/SessionTypes.h"

#include <array>
#include <cstdint>

namespace session
{

constexpr uint64_t kCookieWindowMs = 8000;

class CJoinCookies
{
public:
    CJoinCookies(); // a fresh random secret

    // Times are milliseconds of any clock that only moves forward.
    uint32_t Issue(const HostAddress& client, uint64_t nowMs) const;
    bool IsValid(uint32_t cookie, const HostAddress& client, uint64_t nowMs) const;

private:
    uint32_t ForWindow(const HostAddress& client, uint64_t window) const;

    std::array<uint8_t, 16> m_secret{};
};

} // namespace session
