// What the server's world reports while it ticks. The server session turns
// each report into the game message its players receive; the client's world
// has no host.
#pragma once

#include <cstdint>

class CGameObject;
class CShip;
class CTurret;

class IWorldHost
{
public:
    virtual ~IWorldHost() = default;

    // A ship was put into play (spawn or respawn).
    virtual void OnShipInPlay(const CShip& ship) = 0;
    // A ship in play, after this tick's move.
    virtual void OnShipState(const CShip& ship) = 0;
    // A ship out of play; reported every tick until it respawns.
    virtual void OnShipOutOfPlay(const CShip& ship) = 0;
    // An object in play, after this tick's move; `subtype` is the powerup's
    // type or the shrapnel's variant, else 0.
    virtual void OnObjectState(const CGameObject& object, int32_t subtype) = 0;
    // An object left play and is about to be deleted.
    virtual void OnObjectGone(const CGameObject& object) = 0;
    // Every turret, in play or not.
    virtual void OnTurretState(const CTurret& turret) = 0;
};
