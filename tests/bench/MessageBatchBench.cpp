// Encoding and decoding of a typical server batch: one tick of a four-player
// game with 200 objects in flight and 10 turrets. Figures are messages per
// second (items_per_second); the send buffer is a tracked block, as the
// server's flush uses.
#include "common/MemoryTracker.h"
#include "net/MessageBatch.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
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

void Encode(const std::vector<CMessage>& messages, CMessageBatch& batch)
{
    batch.Clear();
    for (const CMessage& message : messages)
        batch.Add(message);
}

uint32_t Decode(CMessageBatch& batch, const uint8_t* packet, size_t size)
{
    batch.Parse(packet, size);
    uint32_t sum = 0;
    uint32_t id = 0;
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

void SetRates(benchmark::State& state, size_t messages, size_t bytes)
{
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * messages));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
} // namespace

static void BM_EncodeServerBatch(benchmark::State& state)
{
    const std::vector<CMessage> messages = TickMessages();
    CMessageBatch batch;
    CMemoryTracker& tracker = CMemoryTracker::Get();
    for (auto _ : state)
    {
        Encode(messages, batch);
        auto* block = static_cast<uint8_t*>(tracker.Alloc(batch.GetWireSize()));
        batch.Write(block, batch.GetWireSize());
        benchmark::DoNotOptimize(block);
        tracker.Free(block);
    }
    SetRates(state, messages.size(), batch.GetWireSize());
}
BENCHMARK(BM_EncodeServerBatch);

static void BM_DecodeServerBatch(benchmark::State& state)
{
    const std::vector<CMessage> messages = TickMessages();
    CMessageBatch batch;
    Encode(messages, batch);
    std::vector<uint8_t> packet(batch.GetWireSize());
    batch.Write(packet.data(), packet.size());
    CMessageBatch received;
    for (auto _ : state)
        benchmark::DoNotOptimize(Decode(received, packet.data(), packet.size()));
    SetRates(state, messages.size(), packet.size());
}
BENCHMARK(BM_DecodeServerBatch);

static void BM_EncodeDecodeServerBatch(benchmark::State& state)
{
    const std::vector<CMessage> messages = TickMessages();
    CMessageBatch batch;
    CMessageBatch received;
    CMemoryTracker& tracker = CMemoryTracker::Get();
    for (auto _ : state)
    {
        Encode(messages, batch);
        const size_t size = batch.GetWireSize();
        auto* block = static_cast<uint8_t*>(tracker.Alloc(size));
        batch.Write(block, size);
        benchmark::DoNotOptimize(Decode(received, block, size));
        tracker.Free(block);
    }
    SetRates(state, messages.size(), batch.GetWireSize());
    state.counters["wire_bytes"] = static_cast<double>(batch.GetWireSize());
}
BENCHMARK(BM_EncodeDecodeServerBatch);
