// The map's overview picture: the whole map scaled onto one square picture
// that the client's side panel shows as its minimap, row 0 of the map at the
// top. Written as a 24-bit uncompressed bitmap the game's own reader takes:
// the side is a power of two and a multiple of four, so rows need no padding.
//
// Drawn to read on a small panel: a dark background, walls blue, half walls a
// lighter blue in their real shape, fuel blocks amber, turrets magenta
// triangles pointing the way they shoot (not red: the minimap marks other
// players red), powerup spawners green diamonds and spawn
// points white discs (both a little larger than their cell so they show).
// Each pixel averages 4 x 4 samples, in integers, so the bytes are the same
// on every machine.
#pragma once

#include "tools/maptool/MapGrid.h"

#include <array>
#include <cstdint>
#include <vector>

namespace maptool
{

constexpr int32_t kOverviewSide = 256;

struct OverviewColour
{
    uint8_t r, g, b;
    bool operator==(const OverviewColour&) const = default;
};

namespace overview_colours
{
constexpr OverviewColour kBackground{10, 12, 28};
constexpr OverviewColour kWall{34, 64, 160};
constexpr OverviewColour kHalfWall{86, 132, 230};
constexpr OverviewColour kFuel{250, 190, 30};
constexpr OverviewColour kTurret{245, 70, 210};
constexpr OverviewColour kSpawner{60, 225, 90};
constexpr OverviewColour kSpawnPoint{255, 255, 255};
} // namespace overview_colours

// The picture as rows of RGB pixels, the top row (map row 0) first.
std::vector<OverviewColour> RenderOverview(const MapGrid& grid);
// The bitmap file of RenderOverview's picture.
std::vector<uint8_t> EncodeOverviewBitmap(const std::vector<OverviewColour>& picture);

} // namespace maptool
