#include "game/GameObject.h"

#include "game/Trig.h"
#include "platform/Clock.h"

#include <cmath>
#include <limits>

namespace
{
// Brings a coordinate into [0, size] by whole turns; sizes of 0 or less leave
// it alone, and far-off values are reduced first so the loops stay short.
double WrapCoordinate(double value, int32_t size)
{
    if (size <= 0 || !std::isfinite(value))
        return std::isfinite(value) ? value : 0.0;
    if (std::fabs(value) > 16.0 * size)
        value = std::fmod(value, static_cast<double>(size));
    while (value < 0)
        value += size;
    while (value > size)
        value -= size;
    return value;
}
} // namespace

double WrapOffset(double offset, float size)
{
    if (size <= 0 || !std::isfinite(offset))
        return offset;
    if (std::fabs(offset) > 16.0 * size)
        offset = std::fmod(offset, static_cast<double>(size));
    while (offset > size / 2)
        offset -= size;
    while (offset < -size / 2)
        offset += size;
    return offset;
}

CVector WrappedOffset(const CVector& from, const CVector& to, float width, float height)
{
    return CVector(WrapOffset(to.GetX() - from.GetX(), width), WrapOffset(to.GetY() - from.GetY(), height),
                   0);
}

// The raw offset, wrapped only downwards and only once, as every outline test
// of the game places its pairs.
bool OutlineOffset(const CVector& from, const CVector& to, float reach, float width, float height,
                   CVector& offset)
{
    offset = to - from;
    if (offset.GetX() > reach)
        offset.SetX(offset.GetX() - width);
    if (offset.GetY() > reach)
        offset.SetY(offset.GetY() - height);
    return !(offset.GetX() > reach || offset.GetY() > reach);
}

CGameObject::CGameObject(int32_t kind, int32_t respawnDelay)
    : m_deadTime(respawnDelay + 10), m_respawnDelay(respawnDelay), m_kind(kind)
{
}

void CGameObject::OnCollide(CGameObject&)
{
    Kill();
}

void CGameObject::Kill()
{
    m_active = false;
    m_deadTime = 0;
}

void CGameObject::Respawn(float x, float y)
{
    if (m_deadTime < m_respawnDelay)
        return;
    SetPosition(CVector(x, y, 1));
    SetAngle(0);
    m_velocity = CVector(0, 0, 0);
    m_active = true;
}

void CGameObject::ForceRespawn(float x, float y)
{
    m_deadTime = m_respawnDelay + 10;
    Respawn(x, y);
}

void CGameObject::SetPosition(const CVector& position)
{
    m_position = position;
    m_position.SetZ(1);
}

void CGameObject::WrapPosition(int32_t width, int32_t height)
{
    m_position.SetX(WrapCoordinate(m_position.GetX(), width));
    m_position.SetY(WrapCoordinate(m_position.GetY(), height));
}

void CGameObject::SetAngle(float angle)
{
    m_angle = trig::NormalizeAngle(angle);
}

void CGameObject::SetTurnRate(float rate)
{
    if (rate >= 0)
        m_turnRate = rate;
}

void CGameObject::SetAccelerationRate(float rate)
{
    if (rate >= 0)
        m_accelerationRate = rate;
}

void CGameObject::SetMaxSpeed(float speed)
{
    if (speed < 0)
        return;
    m_maxSpeed = speed;
    m_maxSpeedSquared = speed * speed;
}

void CGameObject::SetRadius(float radius)
{
    if (radius < 0)
        return;
    m_radius = radius;
    m_radiusSquared = radius * radius;
}

void CGameObject::Turn(float direction, int32_t elapsed)
{
    float angle = m_angle;
    if (elapsed > 0)
        angle += direction * m_turnRate * static_cast<float>(elapsed) / 1000.0f;
    SetAngle(angle);
}

void CGameObject::Thrust(int32_t elapsed)
{
    if (elapsed < 1)
        return;
    AddVelocity(trig::Heading(m_angle) * (static_cast<double>(elapsed) * m_accelerationRate / 1000.0));
}

void CGameObject::AddVelocity(const CVector& velocity)
{
    m_velocity = m_velocity + velocity;
    if (m_velocity.Dot(m_velocity) > m_maxSpeedSquared)
    {
        m_velocity.Normalize();
        m_velocity = m_velocity * m_maxSpeed;
    }
}

void CGameObject::AddDeadTime(int32_t elapsed)
{
    if (m_active)
        return;
    int64_t sum = static_cast<int64_t>(m_deadTime) + elapsed;
    m_deadTime = static_cast<int32_t>(std::min<int64_t>(sum, std::numeric_limits<int32_t>::max()));
}

void CGameObject::AddOutline(const CollisionPolygon& polygon)
{
    m_outline.push_back(polygon);
    m_rotatedOutline.Invalidate();
}

void CGameObject::ClearOutline()
{
    m_outline.clear();
    m_outlineCursor = m_outline.begin();
    m_rotatedOutline.Invalidate();
}

void CGameObject::SetSingleOutline(const CollisionPolygon& polygon)
{
    if (m_outline.size() == 1)
    {
        m_outline.front() = polygon;
        m_rotatedOutline.Invalidate();
        return;
    }
    ClearOutline();
    AddOutline(polygon);
}

const CollisionPolygon* CGameObject::Next()
{
    if (m_outlineCursor == m_outline.end())
        return nullptr;
    return &*m_outlineCursor++;
}

CollisionPolygon RotatedPolygon(const CollisionPolygon& polygon, float angle)
{
    float turned = trig::WrapAngle360(angle);
    float s = trig::Sin(turned), c = trig::Cos(turned);
    CollisionPolygon rotated;
    for (const CollisionPolygon::Point& p : polygon.GetPoints())
        rotated.AddPoint(p.x * c - p.y * s, p.x * s + p.y * c);
    return rotated;
}

bool FindBounceEdge(const CGameObject& other, const CVector& position, CVector& edge)
{
    for (const CollisionPolygon& outline : other.GetOutline())
    {
        CollisionPolygon placed = outline;
        placed.SetPosition(other.GetPosition());
        if (placed.EdgeToward(position, edge))
            return true;
    }
    return false;
}

const std::list<CollisionPolygon>& CRotatedOutline::Get(const std::list<CollisionPolygon>& source,
                                                        float angle) const
{
    float turned = trig::WrapAngle360(angle);
    if (turned == 0)
        return source;
    if (!m_valid || m_angle != turned)
    {
        m_rotated.clear();
        for (const CollisionPolygon& polygon : source)
            m_rotated.push_back(RotatedPolygon(polygon, turned));
        m_angle = turned;
        m_valid = true;
    }
    return m_rotated;
}

bool OutlinesOverlap(const std::list<CollisionPolygon>& own, const std::list<CollisionPolygon>& other,
                     const CVector& offset)
{
    for (const CollisionPolygon& a : own)
        for (const CollisionPolygon& b : other)
            if (a.OverlapsAt(b, -offset.GetX(), -offset.GetY()) ||
                b.OverlapsAt(a, offset.GetX(), offset.GetY()))
                return true;
    return false;
}

bool CGameObject::Collides(const CGameObject& other, float worldWidth, float worldHeight) const
{
    CVector d = other.m_position - m_position;
    float r = m_radius + other.m_radius;
    double dx = WrapOffset(d.GetX(), worldWidth), dy = WrapOffset(d.GetY(), worldHeight);
    if (dx * dx + dy * dy > static_cast<double>(r) * r)
        return false;
    CVector offset;
    if (!OutlineOffset(m_position, other.m_position, r, worldWidth, worldHeight, offset))
        return false;
    return OutlinesOverlap(GetRotatedOutline(), other.GetRotatedOutline(), offset);
}

CTimedObject::CTimedObject(int32_t kind) : CGameObject(kind), m_creationTime(GetTickCount())
{
    SetOwnerId(0);
}

bool CTimedObject::HasExpired(int32_t lifetime) const
{
    return LifetimeOver(m_creationTime, lifetime);
}

bool LifetimeOver(uint32_t createdAt, int32_t lifetimeMs)
{
    return GetTickCount() - createdAt > static_cast<uint32_t>(lifetimeMs < 0 ? 0 : lifetimeMs);
}
