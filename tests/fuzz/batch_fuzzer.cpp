// Any bytes as one received server batch: parsing must never read past the
// packet, and the messages it keeps must batch up and parse back unchanged.
#include "net/MessageBatch.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMessageBatch received;
    received.Parse(data, size);
    Check(received.GetCount() <= size / 5); // every kept record took a length and a type byte at least

    CMessageBatch resent;
    uint32_t kept = 0;
    received.ResetCursor();
    while (const CMessage* message = received.NextMessage())
        kept += resent.Add(message) ? 1 : 0;
    Check(received.NextMessage() == nullptr);

    std::vector<uint8_t> packet = WrittenBytes(resent, resent.GetWireSize(), &CMessageBatch::Write);
    CMessageBatch reparsed;
    Check(reparsed.Parse(packet.data(), packet.size()) && reparsed.GetCount() == kept);
    CMessageBatch rewritten;
    while (const CMessage* message = reparsed.NextMessage())
        rewritten.Add(message);
    Check(WrittenBytes(rewritten, rewritten.GetWireSize(), &CMessageBatch::Write) == packet);
    return 0;
}
