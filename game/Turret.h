// CTurret is a fixed gun the map places on a turret cell. It faces one of
// four directions, fires at a random ship in the half-plane it faces and
// within range, can be shot down, and comes back in place after 15 seconds.
#pragma once

#include "game/GameObject.h"

#include <cstdint>

class CShip;

enum TurretFacing : int32_t
{
    FACING_UP = 0, // towards smaller y, the top of the map
    FACING_RIGHT = 1,
    FACING_DOWN = 2,
    FACING_LEFT = 3,
};

class CTurret : public CGameObject
{
public:
    static constexpr int32_t kRespawnDelay = 15000;

    CTurret();

    bool LoadTextures() override;
    // Drawn in play or not: alive picture while active, dead one while not.
    bool Draw(int32_t viewX, int32_t viewY) override;
    // Any collision shoots the turret down.
    void OnCollide(CGameObject& other) override;
    // Back in play in place once the delay has passed; the point is ignored.
    void Respawn(float x, float y) override;

    // Facing, gun offset and outline; also radius 32, range 256, 3 shots/s.
    void SetFacing(int32_t facing);
    int32_t GetFacing() const { return m_facing; }
    const CVector& GetGunOffset() const { return m_gunOffset; }
    void SetRateOfFire(float shotsPerSecond);
    void SetRange(float range);

    bool CanFire() const;
    void MarkFired();
    // In range and in the faced half-plane, measured without wrapping.
    bool InRange(const CGameObject& ship) const;

    // The map code of a turret cell for a facing, and the facing of a code
    // (-1 for codes that are not turrets).
    static int32_t FacingForTileCode(int32_t code);

private:
    int32_t m_facing = FACING_UP;
    CVector m_gunOffset;
    float m_rateOfFire = 3;
    float m_range = 256;
    float m_rangeSquared = 256 * 256;
    uint32_t m_lastShot = 0;
};
