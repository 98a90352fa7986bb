// CGameObject is everything that lives in the game world: the map, ships,
// bullets, missiles, mines, plasma mines, powerups, turrets and shrapnel. It
// gives them one position, velocity and heading model, one collision model (a
// bounding circle plus convex outline polygons), one respawn model (an active
// flag with a dead timer) and the nine operations through which the world
// updates, collides, kills, respawns, draws and deletes objects without
// knowing their kinds.
#pragma once

#include "game/CollisionPolygon.h"
#include "game/Drawable.h"
#include "game/ObjectId.h"
#include "game/Vector.h"

#include <cstdint>
#include <list>

enum ObjectKind : int32_t
{
    KIND_MAP = 0,
    KIND_SHIP = 1,
    KIND_BULLET = 2,
    KIND_MISSILE = 3,
    KIND_MINE = 4,
    KIND_PLASMA_MINE = 5,
    KIND_POWERUP = 6,
    KIND_TURRET = 7,
    KIND_SHRAPNEL = 8,
};

// An outline turned to an angle, kept until the angle or the outline changes:
// most objects never turn, and a tick tests outlines many times.
class CRotatedOutline
{
public:
    // `source` turned by `angle` (brought into [0, 360) first); the source
    // itself at angle 0.
    const std::list<CollisionPolygon>& Get(const std::list<CollisionPolygon>& source, float angle) const;
    // The source changed.
    void Invalidate() { m_valid = false; }

private:
    mutable bool m_valid = false;
    mutable float m_angle = 0;
    mutable std::list<CollisionPolygon> m_rotated;
};

class CGameObject : public CDrawable
{
public:
    static constexpr int32_t kDefaultRespawnDelay = 5000;

    explicit CGameObject(int32_t kind = KIND_MAP, int32_t respawnDelay = kDefaultRespawnDelay);
    ~CGameObject() override = default;

    // Draws the object while it is in play: the quad with the picture at the
    // index of its state subtype (the first picture for most objects), and
    // the collision outline when outlines are switched on.
    bool Draw(int32_t viewX, int32_t viewY) override;
    // Advances the object by `elapsed` ms of game time; nothing by default.
    virtual void Update(int32_t elapsed) { (void)elapsed; }
    // What touching `other` does to this object; by default it dies.
    virtual void OnCollide(CGameObject& other);
    // Takes the object out of play and starts its dead time.
    virtual void Kill();
    // Puts the object back in play at (x, y), unturned and at rest, once its
    // dead time has reached the respawn delay; nothing happens before then.
    virtual void Respawn(float x, float y);
    // Puts the object back in play at (x, y) whatever its dead time.
    virtual void ForceRespawn(float x, float y);
    // True when this object and `other` touch: their bounding circles meet
    // across the wrap of a world of that size, and their outlines overlap.
    virtual bool Collides(const CGameObject& other, float worldWidth, float worldHeight) const;
    // The extra number a state report carries: a powerup's type or a
    // shrapnel's variant; 0 for everything else.
    virtual int32_t GetStateSubtype() const { return 0; }

    ObjectId GetId() const { return m_id; }
    void SetId(ObjectId id) { m_id = id; }
    int32_t GetKind() const { return m_kind; }
    // 0: no owner.
    ObjectId GetOwnerId() const { return m_ownerId; }
    void SetOwnerId(ObjectId ownerId) { m_ownerId = ownerId; }
    bool IsActive() const { return m_active; }

    CVector GetPosition() const { return m_position; }
    // Positions always carry z = 1.
    void SetPosition(const CVector& position);
    CVector GetVelocity() const { return m_velocity; }
    void SetVelocity(const CVector& velocity) { m_velocity = velocity; }
    // The client's last position reported by the server for this object.
    CVector GetReportedPosition() const { return m_reportedPosition; }
    void SetReportedPosition(const CVector& position)
    {
        m_reportedPosition = position;
        m_reportTiming.fresh = true;
    }
    // How the client's reports for this object arrive, kept by the client's
    // advance (game/ClientAdvance.cpp) to tell sparse updates from ones that
    // come before every frame.
    struct ReportTiming
    {
        bool fresh = false;       // a report came since the last advance
        bool missedFrame = false; // an advance went by without one since the last report
        bool sparse = false;      // the last report came after such an advance
        int32_t ageMs = 0;        // how old the last report is, as far as the client can tell
    };
    ReportTiming& GetReportTiming() { return m_reportTiming; }
    const ReportTiming& GetReportTiming() const { return m_reportTiming; }
    // Brings the position into [0, width] x [0, height] by whole turns.
    void WrapPosition(int32_t width, int32_t height);

    float GetAngle() const { return m_angle; }
    void SetAngle(float angle);
    float GetTurnRate() const { return m_turnRate; }
    void SetTurnRate(float rate);
    float GetAccelerationRate() const { return m_accelerationRate; }
    void SetAccelerationRate(float rate);
    float GetMaxSpeed() const { return m_maxSpeed; }
    void SetMaxSpeed(float speed);
    float GetRadius() const { return m_radius; }
    void SetRadius(float radius);
    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }

    // Turns by direction x turn rate x elapsed / 1000 degrees (direction -1 or 1).
    void Turn(float direction, int32_t elapsed);
    // Accelerates along the heading for `elapsed` ms.
    void Thrust(int32_t elapsed);
    // Adds to the velocity, then clamps its length to the max speed.
    void AddVelocity(const CVector& velocity);

    void AddDeadTime(int32_t elapsed);
    bool CanRespawn() const { return m_deadTime >= m_respawnDelay; }
    int32_t GetDeadTime() const { return m_deadTime; }
    int32_t GetRespawnDelay() const { return m_respawnDelay; }

    // The outline: polygons in object space, walked with First/Next.
    void AddOutline(const CollisionPolygon& polygon);
    void ClearOutline();
    // Makes the outline this one polygon.
    void SetSingleOutline(const CollisionPolygon& polygon);
    // The outline turned to the object's angle.
    const std::list<CollisionPolygon>& GetRotatedOutline() const
    {
        return m_rotatedOutline.Get(m_outline, m_angle);
    }
    const std::list<CollisionPolygon>& GetOutline() const { return m_outline; }
    void First() { m_outlineCursor = m_outline.begin(); }
    const CollisionPolygon* Next();

protected:
    // The screen point of the object's position for a view point, as every
    // Draw computes it.
    void ScreenPoint(int32_t viewX, int32_t viewY, int32_t& x, int32_t& y) const;
    // The default textured quad, with the given texture (null: untextured).
    void DrawQuad(int32_t viewX, int32_t viewY, const CTexture* texture) const;
    // The quad with `texture`, and the collision outline when outlines are
    // switched on: what most objects draw.
    void DrawPicture(int32_t viewX, int32_t viewY, const CTexture* texture) const;
    // Draws polygons rotated by the angle at the object's screen point.
    void DrawOutlines(int32_t viewX, int32_t viewY, const std::list<CollisionPolygon>& polygons,
                      float alpha) const;
    void SetSize(int32_t width, int32_t height) { m_width = width, m_height = height; }
    // Stores an angle that the caller has already brought into its own range
    // (a missile keeps [0, 360), where SetAngle would give (-1, 359]).
    void StoreAngle(float angle) { m_angle = angle; }

    bool m_active = false;
    int32_t m_deadTime;
    int32_t m_respawnDelay;

private:
    ObjectId m_id = 0;
    int32_t m_kind;
    ObjectId m_ownerId = 0;
    CVector m_position{0, 0, 1};
    CVector m_velocity{0, 0, 0};
    CVector m_reportedPosition{0, 0, 0};
    ReportTiming m_reportTiming;
    float m_maxSpeed = 1.0f;
    float m_maxSpeedSquared = 1.0f;
    int32_t m_width = 32;
    int32_t m_height = 32;
    float m_angle = 0.0f;
    float m_turnRate = 0.0f;
    float m_accelerationRate = 0.0f;
    float m_radius = 0.0f;
    float m_radiusSquared = 0.0f;
    std::list<CollisionPolygon> m_outline;
    std::list<CollisionPolygon>::iterator m_outlineCursor = m_outline.begin();
    CRotatedOutline m_rotatedOutline;
};

// Tests two outlines, already turned to their objects' angles, for overlap
// with the other placed at `offset` from the first; either direction counts.
bool OutlinesOverlap(const std::list<CollisionPolygon>& own, const std::list<CollisionPolygon>& other,
                     const CVector& offset);

// An offset brought into [-size/2, size/2] by whole turns of the world (size
// 0: left alone): the short way round the torus.
double WrapOffset(double offset, float size);
// to - from, x and y taken the short way round, z = 0.
CVector WrappedOffset(const CVector& from, const CVector& to, float width, float height);

// The offset at which an outline test places `to` from `from`: the raw offset,
// with the world's size taken off each component that exceeds `reach`, once.
// False when a component still exceeds it (the pair is not tested).
bool OutlineOffset(const CVector& from, const CVector& to, float reach, float width, float height,
                   CVector& offset);

// The first edge one of `other`'s outline polygons, placed at other's
// position, reports towards `position` (EdgeToward); false when none does.
bool FindBounceEdge(const CGameObject& other, const CVector& position, CVector& edge);

// A polygon's points rotated by an angle (brought into [0, 360) first).
CollisionPolygon RotatedPolygon(const CollisionPolygon& polygon, float angle);

// True once more than `lifetimeMs` (negative counts as 0) has passed on the
// tick clock since `createdAt`; tick-count wrap is harmless.
bool LifetimeOver(uint32_t createdAt, int32_t lifetimeMs);

// A creation time for objects that expire: objects of limited life take it in
// their constructors and compare it with the tick count in Update.
class CTimedObject : public CGameObject
{
public:
    explicit CTimedObject(int32_t kind);
    uint32_t GetCreationTime() const { return m_creationTime; }

protected:
    // True once more than `lifetime` ms have passed since creation.
    bool HasExpired(int32_t lifetime) const;

private:
    uint32_t m_creationTime;
};
