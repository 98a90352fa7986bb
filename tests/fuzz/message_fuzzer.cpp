// Any bytes as one received message: decoding must never read past the input,
// and whatever decodes must encode to exactly GetSize() bytes that decode to
// the same message again.
#include "net/Message.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMessage message;
    if (!message.Deserialize(data, size))
    {
        Check(message.GetType() == MSG_NONE); // a dropped message must be left empty
        return 0;
    }
    if (message.GetSize() == 0)
        return 0;                     // a type without a layout: receivers ignore it
    Check(message.GetSize() <= size); // decoded fields cannot outgrow the bytes they came from
    std::vector<uint8_t> first = WrittenBytes(message, message.GetSize(), &CMessage::Serialize);
    CMessage again;
    Check(again.Deserialize(first.data(), first.size()) && again.GetType() == message.GetType());
    Check(WrittenBytes(again, again.GetSize(), &CMessage::Serialize) == first);
    return 0;
}
