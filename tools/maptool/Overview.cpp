#include "tools/maptool/Overview.h"

#include "game/Map.h"
#include "platform/ByteIo.h"

#include <algorithm>
#include <cstdlib>

namespace maptool
{
namespace
{
using namespace overview_colours;

constexpr int kSamples = 4;     // per pixel along each axis
constexpr int64_t kUnit = 1024; // fixed-point steps per cell
constexpr int64_t kSpawnRadius = kUnit * 85 / 100;
constexpr int64_t kSpawnerReach = kUnit * 110 / 100;
// A turret's triangle, about its cell centre: the base across the back at
// kTurretBack, the tip kTurretTip ahead, kTurretHalfBase to either side.
constexpr int64_t kTurretBack = kUnit * 70 / 100;
constexpr int64_t kTurretTip = kUnit * 90 / 100;
constexpr int64_t kTurretHalfBase = kUnit * 70 / 100;

// True when the offset (dx, dy) from a turret's cell centre lies in its
// triangle; (ax, ay) is the way it faces.
bool InTurret(int64_t dx, int64_t dy, int ax, int ay)
{
    int64_t along = dx * ax + dy * ay, across = std::abs(dx * ay - dy * ax);
    if (along < -kTurretBack || along > kTurretTip)
        return false;
    return across * (kTurretTip + kTurretBack) <= kTurretHalfBase * (kTurretTip - along);
}

// The way a turret code faces, y down.
void TurretDirection(uint8_t code, int& ax, int& ay)
{
    static const int directions[4][2] = {{0, -1}, {-1, 0}, {0, 1}, {1, 0}}; // up, left, down, right
    ax = directions[code - TILE_TURRET_UP][0];
    ay = directions[code - TILE_TURRET_UP][1];
}

// Where sample i of a side lies on a map side of `cells` cells, in 1/kUnit
// cells: the centres of kOverviewSide x kSamples equal steps.
std::vector<int64_t> SamplePositions(int32_t cells)
{
    const int64_t steps = int64_t(kOverviewSide) * kSamples;
    std::vector<int64_t> positions(static_cast<size_t>(steps));
    for (int64_t i = 0; i < steps; ++i)
        positions[size_t(i)] = ((2 * i + 1) * cells * kUnit) / (2 * steps);
    return positions;
}

// The colour of the point (fx, fy) within a cell of `code`, y down.
OverviewColour TileColour(uint8_t code, int64_t fx, int64_t fy)
{
    switch (code)
    {
    case TILE_WALL:
        return kWall;
    case TILE_WALL_LOWER_RIGHT:
        return fx + fy >= kUnit ? kHalfWall : kBackground;
    case TILE_WALL_LOWER_LEFT:
        return fy >= fx ? kHalfWall : kBackground;
    case TILE_WALL_UPPER_LEFT:
        return fx + fy < kUnit ? kHalfWall : kBackground;
    case TILE_WALL_UPPER_RIGHT:
        return fx > fy ? kHalfWall : kBackground;
    case TILE_FUEL:
        return kFuel;
    default:
        return kBackground;
    }
}

// Spawn points, turrets and spawners are drawn over their surroundings, in
// that order of precedence, a little larger than their cells so they show on
// a small panel. They are found among the cells around the sample (wrapped,
// so they continue across the seam).
bool MarkerColour(const MapGrid& grid, int64_t px, int64_t py, OverviewColour& colour)
{
    const int64_t cx = px / kUnit, cy = py / kUnit;
    int best = 0; // 3 spawn point, 2 turret, 1 spawner
    for (int64_t x = cx - 1; x <= cx + 1; ++x)
        for (int64_t y = cy - 1; y <= cy + 1; ++y)
        {
            uint8_t code = grid.Code(int32_t(x), int32_t(y));
            int64_t dx = px - (x * kUnit + kUnit / 2), dy = py - (y * kUnit + kUnit / 2);
            int ax = 0, ay = 0;
            if (IsTurretTile(code))
                TurretDirection(code, ax, ay);
            if (code == TILE_SPAWN_POINT && dx * dx + dy * dy <= kSpawnRadius * kSpawnRadius)
                best = 3;
            else if (IsTurretTile(code) && InTurret(dx, dy, ax, ay))
                best = std::max(best, 2);
            else if (code == TILE_POWERUP_SPAWNER && std::abs(dx) + std::abs(dy) <= kSpawnerReach)
                best = std::max(best, 1);
        }
    static const OverviewColour colours[4] = {kBackground, kSpawner, kTurret, kSpawnPoint};
    colour = colours[best];
    return best > 0;
}

OverviewColour SampleColour(const MapGrid& grid, int64_t px, int64_t py)
{
    OverviewColour colour;
    if (MarkerColour(grid, px, py, colour))
        return colour;
    uint8_t code = grid.Code(int32_t(px / kUnit), int32_t(py / kUnit));
    return TileColour(code, px % kUnit, py % kUnit);
}
} // namespace

std::vector<OverviewColour> RenderOverview(const MapGrid& grid)
{
    std::vector<OverviewColour> picture(size_t(kOverviewSide) * kOverviewSide, kBackground);
    if (grid.columns < 1 || grid.rows < 1)
        return picture;
    std::vector<int64_t> xs = SamplePositions(grid.columns), ys = SamplePositions(grid.rows);
    for (int32_t row = 0; row < kOverviewSide; ++row)
        for (int32_t column = 0; column < kOverviewSide; ++column)
        {
            int r = 0, g = 0, b = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx)
                {
                    OverviewColour c = SampleColour(grid, xs[size_t(column * kSamples + sx)],
                                                    ys[size_t(row * kSamples + sy)]);
                    r += c.r, g += c.g, b += c.b;
                }
            const int n = kSamples * kSamples;
            picture[size_t(row) * kOverviewSide + size_t(column)] =
                OverviewColour{uint8_t((r + n / 2) / n), uint8_t((g + n / 2) / n), uint8_t((b + n / 2) / n)};
        }
    return picture;
}

std::vector<uint8_t> EncodeOverviewBitmap(const std::vector<OverviewColour>& picture)
{
    const uint32_t imageBytes = uint32_t(kOverviewSide) * kOverviewSide * 3, headerBytes = 14 + 40;
    std::vector<uint8_t> bytes;
    platform::ByteWriter out(bytes);
    out.U16(0x4D42); // "BM"
    out.U32(headerBytes + imageBytes);
    out.U32(0);
    out.U32(headerBytes);
    out.U32(40);
    out.I32(kOverviewSide);
    out.I32(kOverviewSide); // positive: the bottom row comes first
    out.U16(1);
    out.U16(24);
    out.U32(0);
    out.U32(imageBytes);
    out.I32(2835); // 72 dots per inch
    out.I32(2835);
    out.U32(0);
    out.U32(0);
    for (int32_t row = kOverviewSide - 1; row >= 0; --row)
        for (int32_t column = 0; column < kOverviewSide; ++column)
        {
            const OverviewColour& c = picture[size_t(row) * kOverviewSide + size_t(column)];
            out.U8(c.b);
            out.U8(c.g);
            out.U8(c.r);
        }
    return bytes;
}

} // namespace maptool
