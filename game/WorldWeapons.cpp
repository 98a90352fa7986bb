// What the ships' controls and the turrets do in the world: bullets,
// missiles, mines, the repulsor, refuelling and turret fire.
#include "game/World.h"

#include <algorithm>

void CGameWorld::FireBullets(CShip&) {}

void CGameWorld::FireMissile(CShip&) {}

void CGameWorld::DropMine(CShip&, int32_t) {}

void CGameWorld::FireRepulsor(CShip&) {}

bool CGameWorld::FindFuelTile(const CShip& ship, int32_t& column, int32_t& row)
{
    CLockGuard guard(m_lock);
    if (!m_map || m_map->GetColumns() <= 0 || m_map->GetRows() <= 0)
        return false;
    int32_t columns = m_map->GetColumns(), rows = m_map->GetRows();
    CVector position = ship.GetPosition();
    int32_t cx = static_cast<int32_t>(position.GetX() / m_map->GetTileWidth());
    int32_t cy = static_cast<int32_t>(position.GetY() / m_map->GetTileHeight());
    // Only whether a block is near matters to the game, so a range wider than
    // the map searches no further than the map.
    int32_t range = std::min(ship.GetFuelRange(), std::max(columns, rows));
    for (int32_t dx = -range; dx <= range; ++dx)
        for (int32_t dy = -range; dy <= range; ++dy)
            if (m_map->GetTile(cx + dx, cy + dy) == 6)
            {
                column = ((cx + dx) % columns + columns) % columns;
                row = ((cy + dy) % rows + rows) % rows;
                return true;
            }
    return false;
}

void CGameWorld::TurretFire(CTurret&, const CShip&) {}

void CGameWorld::SpawnPowerups() {}
