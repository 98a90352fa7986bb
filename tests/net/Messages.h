// Game messages and batches as the net and server tests make and read them:
// one message from one setter, its bytes, a batch's bytes, and a received
// packet's messages and their types.
#pragma once

#include "net/MessageBatch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

namespace testing_support
{

using Bytes = std::vector<uint8_t>;

// Msg(&CMessage::SetText, "hi"): a message made by one setter.
template <typename... Args> CMessage Msg(void (CMessage::*set)(Args...), std::type_identity_t<Args>... args)
{
    CMessage message;
    (message.*set)(args...);
    return message;
}

// "0A 07000000" as bytes; spaces only make the fields easier to read.
inline Bytes FromHex(std::string hex)
{
    std::erase(hex, ' ');
    Bytes bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

inline CMessage ShipStateMsg(ObjectId id, float fuel, int8_t frags = 0, CVector position = CVector(1, 2, 1))
{
    CMessage message;
    message.SetShipState(id, 0, fuel, 100, frags, 0, 0, 0, 0, position, CVector(), 0);
    return message;
}

inline CMessage ObjectStateMsg(ObjectId id, int32_t kind, CVector position = CVector(1, 2, 1),
                               int32_t subtype = 0)
{
    return Msg(&CMessage::SetObjectState, id, kind, position, CVector(10, -20, 0), 90.0f, subtype);
}

inline Bytes Serialized(const CMessage& message)
{
    Bytes bytes(message.GetSize());
    EXPECT_TRUE(message.Serialize(bytes.data(), bytes.size()));
    return bytes;
}

inline Bytes Written(const CMessageBatch& batch)
{
    Bytes bytes(batch.GetWireSize());
    EXPECT_TRUE(batch.Write(bytes.data(), bytes.size()));
    return bytes;
}

inline Bytes BatchBytes(const std::vector<CMessage>& messages)
{
    CMessageBatch batch;
    for (const CMessage& message : messages)
        EXPECT_TRUE(batch.Add(message));
    return Written(batch);
}

// The messages of a packet, as far as it parses.
inline std::vector<CMessage> Unbatched(const uint8_t* packet, size_t size)
{
    CMessageBatch batch;
    batch.Parse(packet, size);
    std::vector<CMessage> messages;
    while (const CMessage* message = batch.NextMessage())
        messages.push_back(*message);
    return messages;
}

inline std::vector<int32_t> Types(const std::vector<CMessage>& messages)
{
    std::vector<int32_t> types;
    for (const CMessage& message : messages)
        types.push_back(message.GetType());
    return types;
}

// The text of a MSG_TEXT, or the name a MSG_MAP announces.
inline std::string TextOf(const CMessage& message)
{
    char text[1024] = "";
    if (!message.GetText(text, sizeof text))
        message.GetMap(text, sizeof text);
    return text;
}

} // namespace testing_support
