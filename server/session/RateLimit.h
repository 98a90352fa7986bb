// CRateLimit keeps one player from sending more of one kind of message than
// the server will take: a token bucket that holds up to `burst` messages and
// fills at `perSecond` a second. A message that finds the bucket empty is
// dropped.
//
// The first message dropped says so once in the server's log, naming the
// player and what is dropped; the dropping then lasts until the bucket is full
// again, which a player who keeps flooding never lets happen, so a flood is
// one line in the log, not one per message.
//
// Time comes from the caller, in the platform's milliseconds (GetTickCount),
// so the differences survive the clock's wrap and tests need not wait.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class CRateLimit
{
public:
    struct Rule
    {
        uint32_t perSecond; // at least 1
        uint32_t burst;     // at least 1
        const char* what;   // "chat": what the log line says is dropped
        const char* unit;   // "line": one message, for "more than 3 lines a second"
    };

    explicit CRateLimit(const Rule& rule);

    // True when a message from `sender` that arrives at `now` may pass.
    bool Allow(uint32_t now, const std::string& sender);

private:
    void Refill(uint32_t now);

    Rule m_rule;
    uint64_t m_milliTokens; // thousandths of a message, so a millisecond adds perSecond
    std::optional<uint32_t> m_lastRefill;
    bool m_dropping = false;
};

// Chat: a few lines a second, a few more in a burst.
inline constexpr CRateLimit::Rule kChatRule{3, 5, "chat", "line"};
// Registering again makes a new ship each time.
inline constexpr CRateLimit::Rule kJoinRule{1, 3, "registrations", "registration"};
// Each refused shut-down or map request is a line in the log.
inline constexpr CRateLimit::Rule kRefusalRule{1, 3, "requests", "refused request"};
