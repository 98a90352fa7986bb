// The controls a player holds down: the action codes of its last MSG_KEYS,
// in the order they came, 0 in the unused entries. The server keeps at most
// this many codes per player, and the client never sends more.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

constexpr size_t kMaxHeldKeys = 32;
using HeldKeys = std::array<uint32_t, kMaxHeldKeys>;
