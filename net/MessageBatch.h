// CMessageBatch is one server packet: any number of game messages for one
// target player (0 for every player). The server adds messages and writes the
// batch into a send buffer; a client parses a received packet into messages
// and walks them in order.
//
// Wire layout (little-endian, no padding):
//
//   u32 message count
//   then, per message: u32 byte length M, then the M bytes of one message
//                      serialised as described at the top of Message.h
//
// An empty batch is the 4 bytes 00 00 00 00; one holding only MSG_ROUND_OVER
// is 01 00 00 00 01 00 00 00 04.
//
// Parsing untrusted bytes keeps every message before the first bad record (a
// length or count that runs past the packet, or a message that does not
// decode) and drops that record and everything after it. Bytes after the
// last counted record are ignored.
#pragma once

#include "net/Message.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CMessageBatch
{
public:
    void SetTarget(uint32_t target) { m_target = target; }
    uint32_t GetTarget() const { return m_target; }

    // Appends one message. False, leaving the batch as it was, for a null
    // message, an empty one (type outside 1 to 17) or when memory runs out.
    bool Add(const CMessage* message);
    bool Add(const CMessage& message) { return Add(&message); }
    // Number of messages added, or parsed.
    uint32_t GetCount() const { return m_count; }

    // Bytes Write needs: the buffered records plus the u32 count.
    size_t GetWireSize() const { return m_buffer.size() + 4; }
    // Writes the count and the records. False, writing nothing, when
    // `destination` is null or smaller than GetWireSize().
    bool Write(uint8_t* destination, size_t size) const;

    // Empties the batch, then decodes `packet` into messages and rewinds the
    // cursor. True when the whole packet was sound; false when a bad record
    // cut it short (the messages before it are kept).
    bool Parse(const uint8_t* packet, size_t size);
    void ResetCursor() { m_cursor = 0; }
    // The next parsed message, or null after the last one.
    const CMessage* NextMessage();

    // Empties the batch for reuse; the target stays.
    void Clear();

private:
    uint32_t m_target = 0;
    std::vector<uint8_t> m_buffer;
    uint32_t m_count = 0;
    std::vector<CMessage> m_messages;
    size_t m_cursor = 0;
};
