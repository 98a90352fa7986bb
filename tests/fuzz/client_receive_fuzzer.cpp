// Any bytes as one packet from a server, applied by the client session to a
// world holding the local ship, then advanced as the game loop advances it.
// Nothing may read out of bounds or hang, and everything in play must end up
// at a finite position inside the world.
#include "game/ClientAdvance.h"
#include "game/World.h"
#include "net/Client.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cmath>

namespace
{
void CheckInside(const CGameObject& object, int32_t width, int32_t height)
{
    double x = object.GetPosition().GetX(), y = object.GetPosition().GetY();
    if (object.IsActive() && width > 0 && height > 0)
        Check(std::isfinite(x) && std::isfinite(y) && x >= 0 && x <= width && y >= 0 && y <= height);
}

void CheckWorld(CGameWorld& world)
{
    CLockGuard guard(world.GetLock());
    int32_t width = world.GetWorldWidth(), height = world.GetWorldHeight();
    for (const CShip& ship : world.Players())
        CheckInside(ship, width, height);
    for (const CGameObject& object : world.Objects())
        CheckInside(object, width, height);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CGameWorld world;
    auto* local = new CShip();
    local->SetName("Fuzz");
    local->SetLocal(true);
    world.AddPlayer(local);
    CClient client;
    client.SetWorld(&world);
    // Twice: the first pass creates what the packet names, the second updates it.
    for (int pass = 0; pass < 2; ++pass)
    {
        client.OnReceive(data, size);
        AdvanceClientWorld(world, 16);
        Check(world.FirstPlayer() == local); // the local ship is never removed
    }
    CheckWorld(world);
    return 0;
}
