// Encoding and decoding of a typical server batch: one tick of a four-player
// game with 200 objects in flight and 10 turrets. Figures are messages per
// second (items_per_second); the send buffer is a tracked block, as the
// server's flush uses.
#include "common/MemoryTracker.h"
#include "net/MessageBatch.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{
std::vector<CMessage> TickMessages()
{
    std::vector<CMessage> messages(4 + 200 + 10);
    size_t next = 0;
    for (uint32_t id = 1; id <= 4; ++id)
        messages[next++].SetShipState(id, 0x10, 87.5f, 300.0f, 2, 3, 1, 0, 2, CVector(id * 512.25, 740.5, 1),
                                      CVector(-120.5, 33.0, 0), 45.0f * id);
    for (uint32_t id = 1; id <= 200; ++id)
        messages[next++].SetObjectState(id, 2 + id % 7, CVector(id * 9.5, 2048 - id, 1), CVector(600, -id, 0),
                                        static_cast<float>(id % 360), id % 7 == 4 ? 3 : 0);
    for (uint32_t id = 1; id <= 10; ++id)
        messages[next++].SetTurretState(id, id % 4, 1, CVector(id * 64.0 + 16, 16, 1));
    return messages;
}

// Encodes `messages` into `batch` and writes it into a tracked block, which
// `use` gets before the block is freed.
template <typename Use> void Encode(const std::vector<CMessage>& messages, CMessageBatch& batch, Use use)
{
    batch.Clear();
    for (const CMessage& message : messages)
        batch.Add(message);
    auto* block = static_cast<uint8_t*>(CMemoryTracker::Get().Alloc(batch.GetWireSize()));
    batch.Write(block, batch.GetWireSize());
    use(block, batch.GetWireSize());
    CMemoryTracker::Get().Free(block);
}

// Parses a packet and reads the id of every state in it, as a client does.
uint32_t Decode(CMessageBatch& batch, const uint8_t* packet, size_t size)
{
    batch.Parse(packet, size);
    uint32_t sum = 0, id = 0;
    int32_t kind = 0, subtype = 0;
    CVector position, velocity;
    float angle = 0;
    CMessage::ShipState ship;
    while (const CMessage* message = batch.NextMessage())
    {
        if (message->GetObjectState(id, kind, position, velocity, angle, subtype))
            sum += id;
        else if (message->GetShipState(ship))
            sum += ship.objectId;
    }
    return sum;
}

// Encodes, or else decodes, one tick's batch per iteration.
void ServerBatch(benchmark::State& state, bool encode)
{
    const std::vector<CMessage> messages = TickMessages();
    CMessageBatch batch, received;
    std::vector<uint8_t> packet;
    Encode(messages, batch, [&](const uint8_t* bytes, size_t size) { packet.assign(bytes, bytes + size); });
    for (auto _ : state)
        if (encode)
            Encode(messages, batch, [](const uint8_t* bytes, size_t) { benchmark::DoNotOptimize(bytes[0]); });
        else
            benchmark::DoNotOptimize(Decode(received, packet.data(), packet.size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * messages.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * packet.size()));
    state.counters["wire_bytes"] = static_cast<double>(packet.size());
}
} // namespace

BENCHMARK_CAPTURE(ServerBatch, EncodeServerBatch, true)->Name("BM_EncodeServerBatch");
BENCHMARK_CAPTURE(ServerBatch, DecodeServerBatch, false)->Name("BM_DecodeServerBatch");
