// Helpers for codec tests: byte strings built by hand, and a message's bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "net/Message.h"

#include <gtest/gtest.h>

using Bytes = std::vector<uint8_t>;

inline void PutU32(Bytes& bytes, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<uint8_t>(value >> shift));
}

inline Bytes Serialized(const CMessage& message)
{
    Bytes bytes(message.GetSize());
    EXPECT_TRUE(message.Serialize(bytes.data(), bytes.size()));
    return bytes;
}
