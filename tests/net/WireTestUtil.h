// Helpers for codec tests: read fields back at fixed offsets, independently
// of the codec under test, and build byte strings by hand.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "net/Message.h"

#include <gtest/gtest.h>

using Bytes = std::vector<uint8_t>;

inline uint32_t U32At(const Bytes& bytes, size_t offset)
{
    return uint32_t(bytes.at(offset)) | uint32_t(bytes.at(offset + 1)) << 8 |
           uint32_t(bytes.at(offset + 2)) << 16 | uint32_t(bytes.at(offset + 3)) << 24;
}

inline float F32At(const Bytes& bytes, size_t offset)
{
    return std::bit_cast<float>(U32At(bytes, offset));
}

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
