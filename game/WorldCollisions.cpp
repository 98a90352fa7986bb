// Collisions, damage and kills: walls, the pair passes, mines, the line of
// sight and the shrapnel of a dead ship.
#include "game/World.h"

void CGameWorld::CollideWithWalls(CGameObject&, int32_t, float, float) {}

void CGameWorld::CollideShipsWithShips(float, float) {}

void CGameWorld::CollideShipsWithTurrets(float, float) {}

void CGameWorld::CollideShipsWithObjects(float, float) {}

void CGameWorld::CollideTurretsWithObjects(float, float) {}

void CGameWorld::TriggerMines() {}

void CGameWorld::ExplodeMines() {}

bool CGameWorld::HasClearLine(const CGameObject&, const CGameObject&) { return true; }

void CGameWorld::SpawnShrapnel(const CVector&, int32_t) {}
