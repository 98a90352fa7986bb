#include "game/Projectiles.h"

#include "game/Settings.h"

#include <cmath>
#include <initializer_list>

namespace
{
const CollisionPolygon& ShrapnelOutline(int32_t variant)
{
    static const CollisionPolygon shapes[CShrapnel::kShapes] = {
        CollisionPolygon{{3, 0}, {-5, 4}, {0, -5}},
        CollisionPolygon{{2, 2}, {-3, 2}, {-3, -3}, {3, -5}},
    };
    return shapes[variant];
}
} // namespace

CVector BounceOff(const CGameObject& other, const CVector& position, const CVector& velocity)
{
    CVector edge;
    if (!FindBounceEdge(other, position, edge))
        return velocity * -1.0;
    double edgeSquared = edge.Dot(edge);
    if (!(edgeSquared > 0) || !std::isfinite(edgeSquared))
        return velocity * -1.0;
    // Keep the component along the edge, turn the component across it round.
    return edge * (2.0 * velocity.Dot(edge) / edgeSquared) - velocity;
}

CBullet::CBullet() : CTimedObject(KIND_BULLET)
{
    AddOutline(CollisionPolygon{{-1, -1}, {1, -1}, {1, 1}, {-1, 1}});
    SetRadius(2);
}

void CBullet::Update(int32_t)
{
    if (HasExpired(g_settings.BulletLifetime))
        Kill();
}

CMine::CMine() : CMine(KIND_MINE) {}

CMine::CMine(int32_t kind) : CTimedObject(kind)
{
    AddOutline(CollisionPolygon{{-6, -3}, {6, -3}, {6, 3}, {-6, 3}});
    SetRadius(8);
}

void CMine::Update(int32_t)
{
    if (HasExpired(g_settings.MineLifetime))
        Kill();
}

void CMine::OnCollide(CGameObject& other)
{
    // What the contact does to the ship, and the blast, are the world's.
    if (other.GetKind() == KIND_SHIP)
    {
        Kill();
        return;
    }
    SetVelocity(BounceOff(other, GetPosition(), GetVelocity()));
}

CPlasmaMine::CPlasmaMine() : CMine(KIND_PLASMA_MINE) {}

CShrapnel::CShrapnel() : CTimedObject(KIND_SHRAPNEL)
{
    SetShape(0);
}

void CShrapnel::SetShape(int32_t variant)
{
    m_variant = variant >= 0 && variant < kShapes ? variant : 0;
    ClearOutline();
    AddOutline(ShrapnelOutline(m_variant));
    SetRadius(8);
}

void CShrapnel::Update(int32_t)
{
    if (HasExpired(g_settings.ShrapnelLifespan))
        Kill();
}
