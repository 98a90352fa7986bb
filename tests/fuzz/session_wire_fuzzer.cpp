// Any bytes as a datagram reaching the session service: every decoder of its
// wire format and the server's look at an ENet header must stay within the
// input, and whatever decodes must encode back to something that decodes the
// same.
#include "session/EnetDatagram.h"
#include "session/SessionWire.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace session;

namespace
{
void CheckSearch(const uint8_t* data, size_t size)
{
    if (std::optional<wire::EnumQuery> query = wire::DecodeEnumQuery(data, size))
    {
        std::vector<uint8_t> again = wire::EncodeEnumQuery(*query);
        Check(wire::DecodeEnumQuery(again.data(), again.size())->token == query->token);
    }
    if (std::optional<wire::EnumAnswer> answer = wire::DecodeEnumAnswer(data, size))
    {
        Check(answer->session.sessionName.size() + wire::kEnumAnswerHeaderSize <= size);
        std::vector<uint8_t> again = wire::EncodeEnumAnswer(*answer, size);
        Check(wire::DecodeEnumAnswer(again.data(), again.size())->session.sessionName ==
              answer->session.sessionName);
    }
}

void CheckJoin(const uint8_t* data, size_t size)
{
    if (std::optional<wire::CookieRequest> request = wire::DecodeCookieRequest(data, size))
    {
        std::vector<uint8_t> answer =
            wire::EncodeCookieAnswer({request->token, wire::kCookieGranted, 1, request->version});
        Check(answer.size() <= size && answer[4] == data[4]); // never an amplifier, in the request's version
    }
    if (std::optional<wire::CookieAnswer> answer = wire::DecodeCookieAnswer(data, size))
        Check(wire::EncodeCookieAnswer(*answer) == std::vector<uint8_t>(data, data + size));
    if (std::optional<Guid> hello = wire::DecodeHello(data, size))
        Check(wire::EncodeHello(*hello) == std::vector<uint8_t>(data, data + size));
    if (std::optional<PlayerId> player = wire::DecodeWelcome(data, size))
        Check(*player != 0 && wire::EncodeWelcome(*player) == std::vector<uint8_t>(data, data + size));
}

void CheckEnetHeader(const uint8_t* data, size_t size)
{
    enet::DatagramInspection seen = enet::InspectDatagram(data, size);
    if (seen.kind == enet::DatagramKind::Connect)
        Check(size == 50 || size == 52); // one whole CONNECT, with or without the sent time
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckSearch(data, size);
    CheckJoin(data, size);
    CheckEnetHeader(data, size);
    return 0;
}
