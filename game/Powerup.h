// A drifting pickup: spawned at the map's spawner cells, bounced by walls and
// shielded ships, picked up by a ship with its shields down, and gone after
// PowerupLifetime.
#pragma once

#include "game/GameObject.h"

#include <cstdint>

enum PowerupType : int32_t
{
    POWERUP_TRIPLE_SHOT = 0,
    POWERUP_MISSILES = 1,
    POWERUP_MINES = 2,
    POWERUP_PLASMA_MINES = 3,
    POWERUP_EXTRA_TANK = 4,
    POWERUP_FUEL = 5,
    POWERUP_CLOAK = 6,
    POWERUP_REPULSE = 7,
};

class CPowerup : public CTimedObject
{
public:
    static constexpr int32_t kTypes = 8;

    CPowerup();
    // All eight pictures in type order, so a texture's index is its type:
    // the default Draw, which shows the picture at the state subtype, shows
    // the picture of the type.
    bool LoadTextures() override;
    // Out of play once PowerupLifetime has passed since creation.
    void Update(int32_t elapsed) override;
    // Picked up (killed) by a ship with its shields down; bounced by anything
    // else, a shielded ship included.
    void OnCollide(CGameObject& other) override;
    int32_t GetStateSubtype() const override { return m_type; }

    // Types outside 1 to 7 become 0; the octagon outline is rebuilt.
    void SetType(int32_t type);
    int32_t GetType() const { return m_type; }
    // The picture of a type ("pup_triple.tga" for types out of range).
    static const char* TextureName(int32_t type);

private:
    // Types 0 to 7.
    static bool IsValidType(int32_t type);

    int32_t m_type = 0;
};
