// Any bytes as one received message: decoding must never read past the input,
// and whatever decodes must encode to exactly GetSize() bytes that decode to
// the same message again.
#include "net/Message.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace
{
std::vector<uint8_t> Encode(const CMessage& message)
{
    std::vector<uint8_t> bytes(message.GetSize());
    if (!message.Serialize(bytes.data(), bytes.size()))
        std::abort();
    return bytes;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMessage message;
    if (!message.Deserialize(data, size))
    {
        if (message.GetType() != MSG_NONE)
            std::abort(); // a dropped message must be left empty
        return 0;
    }
    if (message.GetSize() == 0)
        return 0; // a type without a layout: receivers ignore it
    if (message.GetSize() > size)
        std::abort(); // decoded fields cannot outgrow the bytes they came from
    std::vector<uint8_t> first = Encode(message);
    CMessage again;
    if (!again.Deserialize(first.data(), first.size()) || again.GetType() != message.GetType())
        std::abort();
    if (Encode(again) != first)
        std::abort();
    return 0;
}
