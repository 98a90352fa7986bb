// Any bytes as one received server batch: parsing must never read past the
// packet, and the messages it keeps must batch up and parse back unchanged.
#include "net/MessageBatch.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace
{
std::vector<uint8_t> Write(const CMessageBatch& batch)
{
    std::vector<uint8_t> bytes(batch.GetWireSize());
    if (!batch.Write(bytes.data(), bytes.size()))
        std::abort();
    return bytes;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMessageBatch received;
    received.Parse(data, size);
    if (received.GetCount() > size / 5)
        std::abort(); // every kept record took a length and a type byte at least

    CMessageBatch resent;
    uint32_t kept = 0;
    received.ResetCursor();
    while (const CMessage* message = received.NextMessage())
        kept += resent.Add(message) ? 1 : 0;
    if (received.NextMessage() != nullptr)
        std::abort();

    std::vector<uint8_t> packet = Write(resent);
    CMessageBatch reparsed;
    if (!reparsed.Parse(packet.data(), packet.size()) || reparsed.GetCount() != kept)
        std::abort();
    CMessageBatch rewritten;
    while (const CMessage* message = reparsed.NextMessage())
        rewritten.Add(message);
    if (Write(rewritten) != packet)
        std::abort();
    return 0;
}
