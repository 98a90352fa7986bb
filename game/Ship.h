// CShip is a player's ship: a game object with a fuel tank that pays for
// everything (thrust, shields, cloak, weapons, collisions and hits), a frag
// count, ammunition for the special weapons, rate-of-fire timers, a shield
// outline and the status bits the clients draw from. The same class serves
// the server's simulation and the client's copy of each player.
#pragma once

#include "game/GameObject.h"
#include "game/HeldKeys.h"
#include "game/KeyAction.h"

#include <cstdint>
#include <list>
#include <string>

class CGameWorld;

enum ShipStatus : uint8_t
{
    STATUS_FUELLING = 1,
    STATUS_EXTRA_TANK = 2,
    STATUS_TRIPLE_SHOT = 4,
    STATUS_CLOAK_HELD = 8,
    STATUS_SHIELDS = 16,
    STATUS_CLOAKED = 32,
};

enum FuelCost : int32_t
{
    COST_THRUST = 0,
    COST_SHIELD = 1,
    COST_CLOAK = 2,
    COST_REPULSE = 3,
    COST_WEAPON = 4,
    COST_TRIPLE_SHOT = 5,
    COST_COLLISION = 6,
    COST_BULLET_HIT = 7,
    COST_MISSILE_HIT = 8,
    COST_MINE_HIT = 9,
    COST_PLASMA_MINE_HIT = 10,
};

class CShip : public CGameObject
{
public:
    static constexpr int32_t kShipTypes = 6;
    static constexpr size_t kMaxName = 127;

    CShip();

    // The ship's picture, then "shield.tga" and "cloak.tga".
    bool LoadTextures() override;
    bool Draw(int32_t viewX, int32_t viewY) override;
    // What touching something does to the ship: pickups, bounces, hits.
    void OnCollide(CGameObject& other) override;
    // The default respawn, then a full tank, no status and the
    // starting ammunition, whether or not the respawn took place.
    void Respawn(float x, float y) override;
    // The ship's own test: the shield outline while shields are up, and two
    // shielded ships always collide once their circles meet.
    bool Collides(const CGameObject& other, float worldWidth, float worldHeight) const override;

    // The effect of a powerup of this type on the ship.
    void PickUp(int32_t powerupType);

    // Applies the held action codes for one tick, in order until the first 0,
    // then the shield and cloak upkeep.
    void ApplyControls(const uint32_t* codes, size_t count, int32_t elapsed, CGameWorld& world);

    // The controls the ship's player holds, which the server's tick applies:
    // the player's own array, set when the server makes the ship and valid
    // for the ship's whole life. Null for a ship no player controls (the
    // client's copies).
    void SetHeldKeys(const HeldKeys* keys) { m_heldKeys = keys; }
    const HeldKeys* GetHeldKeys() const { return m_heldKeys; }

    void SetShipType(int32_t type);
    int32_t GetShipType() const { return m_shipType; }
    // The picture of this ship type ("Triship.tga" for unknown types).
    static const char* TextureName(int32_t type);

    void SetName(const char* name);
    const std::string& GetName() const { return m_name; }
    // Copies at most size - 1 characters into a zero-filled buffer.
    void GetName(char* buffer, size_t size) const;

    int8_t GetFrags() const { return m_frags; }
    // Ignored unless -127 < value < 127.
    void SetFrags(int32_t value);
    // Ignored unless -127 < delta < 127; the sum is clamped into [-126, 127].
    void AddFrags(int32_t delta);

    float GetFuel() const { return m_fuel; }
    // Ignored unless 0 <= value <= capacity.
    void SetFuel(float value);
    // The sum is clamped into [0, capacity].
    void AddFuel(float amount);
    float GetCapacity() const { return m_capacity; }
    void SetCapacity(float capacity);
    // Pays the cost of `kind` times `scale` when the tank holds it.
    bool UseFuel(int32_t kind, float scale);

    uint8_t GetStatus() const { return m_status; }
    void SetStatus(uint8_t status) { m_status = status; }
    void SetStatusBits(uint8_t bits) { m_status |= bits; }
    void ClearStatusBits(uint8_t bits) { m_status &= static_cast<uint8_t>(~bits); }
    bool TestStatusBits(uint8_t bits) const { return (m_status & bits) != 0; }
    bool ShieldsUp() const { return TestStatusBits(STATUS_SHIELDS); }

    int8_t GetMissiles() const { return m_missiles; }
    int8_t GetMines() const { return m_mines; }
    int8_t GetPlasmaMines() const { return m_plasmaMines; }
    int8_t GetRepulses() const { return m_repulses; }
    void SetMissiles(int32_t count) { m_missiles = static_cast<int8_t>(count); }
    void SetMines(int32_t count) { m_mines = static_cast<int8_t>(count); }
    void SetPlasmaMines(int32_t count) { m_plasmaMines = static_cast<int8_t>(count); }
    void SetRepulses(int32_t count) { m_repulses = static_cast<int8_t>(count); }

    void SetBulletRate(float rate);
    void SetMissileRate(float rate);
    void SetMineRate(float rate);
    void SetRepulseRate(float rate);

    // Rate-of-fire checks: true once more than 1000 / rate ms have passed
    // since the last shot, which then restarts the timer. Bullets, missiles
    // and mines cannot fire through raised shields.
    bool CanFireBullet();
    bool CanFireMissile();
    bool CanFireMine();
    bool CanFireRepulse();

    uint32_t GetCloakStart() const { return m_cloakStart; }
    void SetCloakStart(uint32_t tick) { m_cloakStart = tick; }
    int32_t GetFuelRange() const { return m_fuelRange; }
    void SetFuelRange(int32_t range) { m_fuelRange = range; }
    const CVector& GetMuzzle() const { return m_muzzle; }
    const std::list<CollisionPolygon>& GetShieldOutline() const { return m_shieldOutline; }

    // The client's own ship, and the fuel block it draws its fuel line to.
    bool IsLocal() const { return m_local; }
    void SetLocal(bool local) { m_local = local; }
    void SetFuelSource(int32_t x, int32_t y) { m_fuelSourceX = x, m_fuelSourceY = y; }

private:
    bool CanFire(uint32_t& last, float rate);
    void ApplyControl(uint32_t code, int32_t elapsed, bool& shieldsWanted, CGameWorld& world);
    void FireBulletControl(CGameWorld& world);
    void RefuelControl(int32_t elapsed, CGameWorld& world);
    void CloakUpkeep(int32_t elapsed);
    void Bounce(const CGameObject& other);
    void TakeHit(int32_t costKind);
    void DrawFuelLine(int32_t viewX, int32_t viewY) const;
    void DrawName(int32_t viewX, int32_t viewY) const;
    void BuildOutline(int32_t type);
    void BuildShieldOutline();

    int32_t m_shipType = 4;
    float m_fuel = 0;
    float m_capacity = 0;
    float m_bulletRate = 0;
    float m_repulseRate = 0;
    float m_missileRate = 0;
    float m_mineRate = 0;
    CVector m_muzzle;
    std::string m_name;
    int8_t m_frags = 0;
    uint8_t m_status = 0;
    int8_t m_missiles = 0;
    int8_t m_mines = 0;
    int8_t m_plasmaMines = 0;
    int8_t m_repulses = 0;
    uint32_t m_lastBullet = 0;
    uint32_t m_lastMissile = 0;
    uint32_t m_lastMine = 0;
    uint32_t m_lastRepulse = 0;
    uint32_t m_cloakStart = 0;
    int32_t m_fuelRange = 0;
    int32_t m_fuelSourceX = 0;
    int32_t m_fuelSourceY = 0;
    std::list<CollisionPolygon> m_shieldOutline;
    CRotatedOutline m_rotatedShield;
    bool m_local = false;
    const HeldKeys* m_heldKeys = nullptr;
};
