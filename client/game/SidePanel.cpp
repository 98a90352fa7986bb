#include "client/game/SidePanel.h"

#include "common/Lock.h"
#include "game/Powerup.h"
#include "game/Ship.h"
#include "game/World.h"
#include "gfx/Graphics.h"
#include "gfx/RenderBackend.h"
#include "gfx/Texture.h"

#include <array>
#include <cmath>
#include <optional>
#include <vector>

namespace
{
constexpr RenderColour kGreen{0, 1, 0, 1};
constexpr RenderColour kBlack{0, 0, 0, 1};
constexpr RenderColour kWhite{1, 1, 1, 1};
constexpr RenderColour kBlue{0, 0, 1, 1};
constexpr RenderColour kRed{1, 0, 0, 1};

constexpr float kIconSize = 32;
constexpr float kLineHeight = 16;
// Names in the score list are cut so that "%-14s" always leaves a gap.
constexpr size_t kScoreNameLength = 13;

// An untextured rectangle between the two x and the two y, counter-clockwise
// so that it is a front face.
void DrawRectangle(float left, float right, float bottom, float top, const RenderColour& colour)
{
    CRenderBackend& backend = GetRenderBackend();
    backend.SetColour(colour);
    const RenderVertex quad[4] = {
        {left, bottom, 0, 0, 0}, {right, bottom, 0, 0, 0}, {right, top, 0, 0, 0}, {left, top, 0, 0, 0}};
    backend.DrawQuads(quad, 4);
}

// A 2 x 2 minimap marker centred on (x, y).
void DrawMarker(double x, double y, const RenderColour& colour)
{
    float fx = static_cast<float>(x), fy = static_cast<float>(y);
    DrawRectangle(fx - 1, fx + 1, fy - 1, fy + 1, colour);
}

// Brings an offset across a wrapping axis of `size` into [-size/2, size/2],
// so a ship just across the seam shows next to the local one.
double WrapShortWay(double offset, double size)
{
    // Positions arrive from the network: never loop on a wild one.
    if (!std::isfinite(offset))
        return 0;
    offset = std::fmod(offset, size);
    while (offset > size / 2)
        offset -= size;
    while (offset < -size / 2)
        offset += size;
    return offset;
}

// The texture slot of each powerup kind's icon; full fuel has none.
std::optional<size_t> IconSlot(int kind)
{
    switch (kind)
    {
    case POWERUP_TRIPLE_SHOT:
        return CSidePanel::kTripleSlot;
    case POWERUP_MISSILES:
        return CSidePanel::kMissileSlot;
    case POWERUP_MINES:
        return CSidePanel::kMineSlot;
    case POWERUP_PLASMA_MINES:
        return CSidePanel::kPlasmaSlot;
    case POWERUP_EXTRA_TANK:
        return CSidePanel::kTankSlot;
    case POWERUP_CLOAK:
        return CSidePanel::kCloakSlot;
    case POWERUP_REPULSE:
        return CSidePanel::kRepulseSlot;
    default:
        return std::nullopt;
    }
}

// An ammunition item of the inventory row: where its icon and count go,
// relative to the row's base point.
struct AmmoItem
{
    int kind;
    float iconX, iconY;
    float countX, countY;
    int8_t (CShip::*count)() const;
};

constexpr std::array<AmmoItem, 4> kAmmoItems = {{
    {POWERUP_MISSILES, 96, 0, 77, 6, &CShip::GetMissiles},
    {POWERUP_MINES, 128, 0, 109, 6, &CShip::GetMines},
    {POWERUP_PLASMA_MINES, 160, 0, 141, 6, &CShip::GetPlasmaMines},
    {POWERUP_REPULSE, 160, 32, 141, 38, &CShip::GetRepulses},
}};
// A part of a unit-long run of texture coordinates that starts at t0: the
// part of the side it covers (from, to, as fractions) and its coordinates
// moved into [0, 1].
struct WrapSpan
{
    float from, to;
    float t0, t1;
};

// The run from t0 to t0 + 1 split where it crosses a whole number.
std::vector<WrapSpan> SplitAtWrap(double t0)
{
    double start = std::isfinite(t0) ? t0 - std::floor(t0) : 0;
    auto a = static_cast<float>(start);
    if (a <= 0 || a >= 1)
        return {{0, 1, 0, 1}};
    return {{0, 1 - a, a, 1}, {1 - a, 1, 0, a}};
}
} // namespace

void CSidePanel::SetSize(float width, float height)
{
    m_width = width;
    m_height = height;
}

void CSidePanel::SetMapName(const char* name)
{
    if (name)
        m_mapName = name;
    else
        m_mapName.reset();
}

bool CSidePanel::LoadTextures()
{
    if (!m_mapName)
        return false;
    // The cache looks in "Graphics"; the overview lives beside the map file.
    const std::string overview = "..\\Maps\\" + *m_mapName + ".bmp";
    const std::array<const char*, 9> names = {
        overview.c_str(), "pup_cloak.tga", "pup_missile.tga", "pup_mine.tga",    "pup_plasma.tga",
        "pup_tank.tga",   "pup_fuel.tga",  "pup_triple.tga",  "pup_repulse.tga",
    };
    return AddTexturesByName(names);
}

bool CSidePanel::Draw(int32_t x, int32_t y)
{
    std::optional<CLockGuard> guard;
    if (m_world)
        guard.emplace(m_world->GetLock());
    const CShip* local = m_world ? m_world->FirstPlayer() : nullptr;
    const Anchor at{static_cast<float>(x), static_cast<float>(y), static_cast<float>(y) + m_height / 2};

    CRenderBackend& backend = GetRenderBackend();
    backend.LoadIdentity();
    backend.SetPolygonMode(PolygonFill::Fill, PolygonFill::Line);
    backend.SetTexturing(false);
    DrawFrame(at);
    DrawFuelGauge(at, local);
    DrawMinimap(at, local);
    DrawScores(at);
    DrawMarkers(at, local);
    if (local)
        DrawInventory(at, *local);
    return true;
}

void CSidePanel::DrawFrame(const Anchor& at) const
{
    const float w = m_width, h = m_height, b = m_border;
    const float left = at.x - w / 2, right = at.x + w / 2, bottom = at.y - h / 2, top = at.y + h / 2;
    // The green border as four strips round the inside, which stays as
    // cleared: no pixel is filled twice, and a software renderer pays for
    // every one.
    DrawRectangle(left, left + b, bottom, top, kGreen);
    DrawRectangle(right - b, right, bottom, top, kGreen);
    DrawRectangle(left + b, right - b, bottom, bottom + b, kGreen);
    DrawRectangle(left + b, right - b, top - b, top, kGreen);
    // The bar under the minimap.
    DrawRectangle(left, right, at.top - w - 2 * b, at.top - w - b, kGreen);
}

void CSidePanel::DrawFuelGauge(const Anchor& at, const CShip* local) const
{
    const float w = m_width, b = m_border;
    const float left = at.x - w / 2 + 10 + b, right = at.x + w / 2 - 10 - b;
    const float upper = at.top - w - b - 10, lower = at.top - w - b - 20;
    float fraction = 0;
    if (local && local->IsActive() && local->GetCapacity() > 0)
        fraction = local->GetFuel() / local->GetCapacity();
    DrawRectangle(left - 1, right + 1, lower - 1, upper + 1, kWhite);
    DrawRectangle(left, right, lower, upper, kBlack);
    // Nearly empty, the bar's right edge would fall left of its left edge and
    // the reversed quad would show as a thin outline, like a sliver of fuel.
    const float level = at.x - w / 2 + 10 + (w - 20) * fraction - b;
    if (level > left)
        DrawRectangle(left, level, lower, upper, kBlue);
    // The bar that closes the gauge's strip below.
    DrawRectangle(at.x - w / 2, at.x + w / 2, at.top - (w + 32) - b, at.top - (w + 32), kGreen);
}

// The overview picture is a bitmap, stored and loaded bottom row first, and
// uploaded with its first loaded row at v = 0: v = 0 is the map's last row
// (world y = height) and v = 1 its row 0 (world y = 0), so the ship sits at
// v = 1 - py. Giving the square's upper edge v = 1.5 - py and its lower edge
// 0.5 - py centres the ship and keeps the map's row 0 (the top of the world,
// whose y grows downwards) towards the top of the screen, as in the view.
void CSidePanel::DrawMinimap(const Anchor& at, const CShip* local) const
{
    const float w = m_width, b = m_border;
    const float left = at.x - w / 2 + b, right = at.x + w / 2 - b, upper = at.top - b, lower = at.top - w - b;
    const CTexture* overview = GetTexture(kOverviewSlot);
    // A missing picture leaves an empty texture in the cache: show black.
    if (!overview || overview->GetGLName() == 0)
    {
        DrawRectangle(left, right, lower, upper, kBlack);
        return;
    }
    double px = 0, py = 0;
    WorldFraction(local, px, py);
    CRenderBackend& backend = GetRenderBackend();
    backend.SetTexturing(true);
    backend.SetColour(kWhite);
    backend.BindTexture(overview->GetGLName());
    // The picture is clamped at its edges, but the world wraps: the square
    // is drawn in up to four pieces, each showing its own part of the map.
    for (const WrapSpan& across : SplitAtWrap(px - 0.5))
        for (const WrapSpan& up : SplitAtWrap(0.5 - py))
        {
            const float x0 = left + (right - left) * across.from, x1 = left + (right - left) * across.to;
            const float y0 = lower + (upper - lower) * up.from, y1 = lower + (upper - lower) * up.to;
            const RenderVertex quad[4] = {{x0, y0, 0, across.t0, up.t0},
                                          {x1, y0, 0, across.t1, up.t0},
                                          {x1, y1, 0, across.t1, up.t1},
                                          {x0, y1, 0, across.t0, up.t1}};
            backend.DrawQuads(quad, 4);
        }
    backend.BindTexture(0);
    backend.SetTexturing(false);
}

void CSidePanel::WorldFraction(const CShip* local, double& fx, double& fy) const
{
    fx = fy = 0;
    if (!m_world || !local || m_world->GetWorldWidth() <= 0 || m_world->GetWorldHeight() <= 0)
        return;
    fx = local->GetPosition().GetX() / m_world->GetWorldWidth();
    fy = local->GetPosition().GetY() / m_world->GetWorldHeight();
}

// White, so the scores read on the black panel whether or not the minimap
// drew its picture.
void CSidePanel::DrawScores(const Anchor& at) const
{
    if (!m_world)
        return;
    CRenderBackend& backend = GetRenderBackend();
    backend.SetTexturing(true);
    backend.SetColour(kWhite);
    const float x = at.x - m_width / 2 + 10 + m_border;
    float y = at.top - (m_width + 32) - m_border - 26;
    for (const CShip& ship : m_world->Players())
    {
        const std::string name = ship.GetName().substr(0, kScoreNameLength);
        DrawText(GetGraphics(), x, y, "%-14s %3d", name.c_str(), static_cast<int>(ship.GetFrags()));
        y -= kLineHeight;
    }
}

void CSidePanel::DrawMarkers(const Anchor& at, const CShip* local) const
{
    CRenderBackend& backend = GetRenderBackend();
    backend.SetTexturing(false);
    backend.SetPolygonMode(PolygonFill::Fill, PolygonFill::Fill);
    const double half = m_width / 2, centreY = at.top - half - m_border;
    DrawMarker(at.x, centreY, kGreen);
    const double worldWidth = m_world ? m_world->GetWorldWidth() : 0;
    const double worldHeight = m_world ? m_world->GetWorldHeight() : 0;
    if (!local || worldWidth <= 0 || worldHeight <= 0)
        return;
    for (const CShip& ship : m_world->Players())
    {
        if (&ship == local || !ship.IsActive() || ship.TestStatusBits(STATUS_CLOAKED))
            continue;
        const CVector d = ship.GetPosition() - local->GetPosition();
        const double dx = WrapShortWay(d.GetX(), worldWidth), dy = WrapShortWay(d.GetY(), worldHeight);
        DrawMarker(at.x + dx / (worldWidth / 2) * half, centreY - half * dy / (worldHeight / 2), kRed);
    }
}

void CSidePanel::DrawInventory(const Anchor& at, const CShip& local) const
{
    const float bx = at.x - m_width / 2 + m_border + 16, by = at.y - m_height / 2 + m_border + 16;
    GetRenderBackend().SetTexturing(true);
    if (local.TestStatusBits(STATUS_EXTRA_TANK))
        DrawIcon(POWERUP_EXTRA_TANK, bx, by);
    if (local.TestStatusBits(STATUS_CLOAK_HELD))
        DrawIcon(POWERUP_CLOAK, bx + 32, by);
    if (local.TestStatusBits(STATUS_TRIPLE_SHOT))
        DrawIcon(POWERUP_TRIPLE_SHOT, bx + 64, by);
    for (const AmmoItem& item : kAmmoItems)
    {
        const int count = (local.*item.count)();
        if (count <= 0)
            continue;
        DrawIcon(item.kind, bx + item.iconX, by + item.iconY);
        GetRenderBackend().SetColour(kGreen);
        DrawText(GetGraphics(), bx + item.countX, by + item.countY, "%d", count);
    }
}

void CSidePanel::DrawIcon(int kind, float x, float y) const
{
    const std::optional<size_t> slot = IconSlot(kind);
    const CTexture* texture = slot ? GetTexture(*slot) : nullptr;
    if (!texture)
        return;
    CRenderBackend& backend = GetRenderBackend();
    backend.SetTexturing(true);
    backend.SetColour(kWhite);
    backend.BindTexture(texture->GetGLName());
    const float half = kIconSize / 2;
    // The first row of a picture belongs at the top, as the game objects
    // draw them: v = 0 on the upper edge.
    const RenderVertex quad[4] = {{x - half, y - half, 0, 0, 1},
                                  {x + half, y - half, 0, 1, 1},
                                  {x + half, y + half, 0, 1, 0},
                                  {x - half, y + half, 0, 0, 0}};
    backend.DrawQuads(quad, 4);
    backend.BindTexture(0);
}
