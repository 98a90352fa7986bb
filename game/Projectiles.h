// The things ships fire and wrecks leave behind: bullets, homing missiles,
// mines, plasma mines and shrapnel. The world creates them, moves them every
// tick, collides them with walls and ships, and deletes them once they are
// out of play; each class keeps its own outline, lifetime, texture and, for
// missiles and mines, its steering and bouncing.
#pragma once

#include "game/GameObject.h"

#include <cstdint>

// A 2 x 2 white point, killed by any collision, expiring after BulletLifetime.
class CBullet : public CTimedObject
{
public:
    CBullet();
    bool Draw(int32_t viewX, int32_t viewY) override;
    void Update(int32_t elapsed) override;
};

// Homes on its target while the target is in play, and ages out only then;
// without a live target it is inert and flies straight on.
class CMissile : public CTimedObject
{
public:
    CMissile();
    bool LoadTextures() override;
    void Update(int32_t elapsed) override;

    // The object to home on (not owned); null for none.
    void SetTarget(const CGameObject* target) { m_target = target; }
    const CGameObject* GetTarget() const { return m_target; }
    // Drops the target if it is `gone`: whoever deletes an object that a
    // missile may be homing on calls this first, so no missile keeps a
    // dangling reference. The missile then flies on as one without a target.
    void ForgetTarget(const CGameObject* gone);
    // Turns by `degrees`, cut to at most turn rate x elapsed / 1000 with its
    // sign kept, then brings the angle into [0, 360). Non-finite turns and
    // negative times turn nothing.
    void TurnBy(float degrees, int32_t elapsed);
    // The world's size, for aiming the short way round the torus; the world
    // sets it at launch. While it is 0 offsets are taken as they are.
    void SetWorldSize(float width, float height) { m_worldWidth = width, m_worldHeight = height; }

private:
    const CGameObject* m_target = nullptr;
    float m_worldWidth = 0;
    float m_worldHeight = 0;
};

// Bounces off walls and everything else but ships, which kill it, and expires
// after MineLifetime; the world sets it off and makes it explode.
class CMine : public CTimedObject
{
public:
    CMine();
    bool LoadTextures() override;
    void Update(int32_t elapsed) override;
    void OnCollide(CGameObject& other) override;

protected:
    explicit CMine(int32_t kind);
};

// A mine with a bigger blast (the world's business) and its own picture.
class CPlasmaMine : public CMine
{
public:
    CPlasmaMine();
    bool LoadTextures() override;
};

// A fragment of a dead ship, in one of two shapes, expiring after
// ShrapnelLifespan. LoadTextures fetches both pictures in shape order, so the
// texture at a shape's index is that shape's whatever the order of SetShape
// and loading: the default Draw, which shows the picture at the state
// subtype, shows the picture of the shape.
class CShrapnel : public CTimedObject
{
public:
    CShrapnel();
    bool LoadTextures() override;
    void Update(int32_t elapsed) override;
    int32_t GetStateSubtype() const override { return m_variant; }

    static constexpr int32_t kShapes = 2;
    // Shape 0 or 1 (anything else becomes 0): outline, radius 8, and the
    // picture it draws with.
    void SetShape(int32_t variant);
    int32_t GetShape() const { return m_variant; }

private:
    int32_t m_variant = 0;
};

// Reflects a velocity off the first edge that one of `other`'s outline
// polygons, placed at other's position, reports towards `position`; reverses
// it when none does. Mines and powerups bounce this way.
CVector BounceOff(const CGameObject& other, const CVector& position, const CVector& velocity);
