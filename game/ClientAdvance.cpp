#include "game/ClientAdvance.h"

#include "game/World.h"

#include <cmath>

namespace
{
// An offset along one axis of the torus, taken the short way round. A
// non-finite offset (a corrupt report) is dropped rather than followed.
double ShortWay(double offset, int32_t size)
{
    return std::isfinite(offset) ? WrapOffset(offset, static_cast<float>(size)) : 0.0;
}

// When updates come every pass, a report lands before every frame. When a
// frame goes by without one, updates are sparse: the last report is then up
// to a send interval old, so it is carried forward along its velocity before
// the gap to it is closed, and the gap is closed faster, since between sparse
// reports the dead reckoning misses every bounce and turn for longer.
constexpr double kSparseClosingPerSecond = 12;

// Notes whether a report came for this frame; true while updates are sparse.
bool NoteReport(CGameObject::ReportTiming& timing, int32_t dt)
{
    int32_t step = dt > 0 ? dt : 0;
    if (timing.fresh)
    {
        // The report came at some moment during the frame just gone.
        timing.sparse = timing.missedFrame;
        timing.missedFrame = false;
        timing.fresh = false;
        timing.ageMs = step / 2;
    }
    else if (step > 0)
    {
        timing.missedFrame = true;
        timing.ageMs = timing.ageMs + step < kMaxReportCarryMs ? timing.ageMs + step : kMaxReportCarryMs;
    }
    return timing.sparse;
}

CVector ShortGap(const CVector& from, const CVector& to, int32_t width, int32_t height)
{
    CVector gap = to - from;
    gap.Set(ShortWay(gap.GetX(), width), ShortWay(gap.GetY(), height), 0.0);
    return gap;
}

// Where a sparse report says the object is now.
CVector CarriedForward(const CGameObject& object)
{
    return object.GetReportedPosition() +
           object.GetVelocity() * static_cast<double>(object.GetReportTiming().ageMs) / 1000.0;
}

// The dead reckoning as it has always been: along the velocity, then the
// whole gap to the report per second.
CVector FollowDense(const CGameObject& object, CVector position, int32_t dt, int32_t width, int32_t height)
{
    if (dt > 0)
        position = position + object.GetVelocity() * static_cast<double>(dt) / 1000.0;
    CVector gap = ShortGap(position, object.GetReportedPosition(), width, height);
    if (dt > 0)
        position = position + gap * static_cast<double>(dt) / 1000.0;
    return position;
}

CVector FollowSparse(const CGameObject& object, CVector position, int32_t dt, int32_t width, int32_t height)
{
    if (dt <= 0)
        return position;
    position = position + object.GetVelocity() * static_cast<double>(dt) / 1000.0;
    CVector gap = ShortGap(position, CarriedForward(object), width, height);
    double share = kSparseClosingPerSecond * dt / 1000.0;
    return position + gap * (share < 1 ? share : 1.0);
}

// Moves one object in play for one frame: onto its reported position when
// the world says so, otherwise by dead reckoning towards it.
void Follow(CGameObject& object, bool snap, int32_t dt, int32_t width, int32_t height)
{
    bool sparse = NoteReport(object.GetReportTiming(), dt);
    CVector position = object.GetPosition();
    if (snap)
        position = sparse ? CarriedForward(object) : object.GetReportedPosition();
    else if (sparse)
        position = FollowSparse(object, position, dt, width, height);
    else
        position = FollowDense(object, position, dt, width, height);
    object.SetPosition(position);
    object.WrapPosition(width, height);
}

// A fuelling ship draws its fuel line to the centre of the block it uses.
void NoteFuelSource(CGameWorld& world, CShip& ship)
{
    int32_t column = 0, row = 0;
    if (!ship.TestStatusBits(STATUS_FUELLING) || !world.FindFuelTile(ship, column, row))
        return;
    const CMap& map = *world.GetMap();
    int32_t tileWidth = map.GetTileWidth(), tileHeight = map.GetTileHeight();
    ship.SetFuelSource(column * tileWidth + tileWidth / 2, row * tileHeight + tileHeight / 2);
}

void AdvanceTurrets(CGameWorld& world, int32_t dt)
{
    for (CTurret& turret : world.Turrets())
    {
        if (turret.IsActive())
            continue;
        turret.AddDeadTime(dt);
        if (turret.CanRespawn())
            turret.Respawn(0, 0);
    }
}

bool TakeUpdateFlag(CGameWorld& world)
{
    CLockGuard guard(world.GetClientLock());
    return world.GetUpdateFlag();
}
} // namespace

void AdvanceClientWorld(CGameWorld& world, int32_t dt)
{
    bool snap = TakeUpdateFlag(world);
    CLockGuard guard(world.GetLock());
    if (!world.GetMap())
        return;
    int32_t width = world.GetWorldWidth(), height = world.GetWorldHeight();
    for (CShip& ship : world.Players())
    {
        if (!ship.IsActive())
            continue;
        Follow(ship, snap, dt, width, height);
        NoteFuelSource(world, ship);
    }
    AdvanceTurrets(world, dt);
    for (CGameObject& object : world.Objects())
        if (object.IsActive())
            Follow(object, snap, dt, width, height);
    world.RemoveInactiveObjects();
    CLockGuard clientGuard(world.GetClientLock());
    world.SetUpdateFlag(false);
}
