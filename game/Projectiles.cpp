#include "game/Projectiles.h"

#include "game/Settings.h"
#include "gfx/RenderBackend.h"
#include "platform/Clock.h"

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

const char* const kShrapnelTextures[CShrapnel::kShapes] = {"shrapnel1.tga", "shrapnel2.tga"};
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

bool CBullet::Draw(int32_t viewX, int32_t viewY)
{
    if (!IsActive())
        return true;
    int32_t x, y;
    ScreenPoint(viewX, viewY, x, y);
    float left = static_cast<float>(x - 1), right = static_cast<float>(x + 1);
    float top = static_cast<float>(y - 1), bottom = static_cast<float>(y + 1);
    CRenderBackend& backend = GetRenderBackend();
    backend.LoadIdentity();
    backend.SetTexturing(false);
    backend.SetColour(RenderColour{1, 1, 1, 1});
    backend.SetPolygonMode(PolygonFill::Fill, PolygonFill::Line);
    RenderVertex quad[4] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    backend.DrawQuads(quad, 4);
    return true;
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

bool CMine::LoadTextures()
{
    return AddTextureByName("mine.tga");
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

bool CPlasmaMine::LoadTextures()
{
    return AddTextureByName("plasmamine.tga");
}

CShrapnel::CShrapnel() : CGameObject(KIND_SHRAPNEL), m_creationTime(GetTickCount())
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

bool CShrapnel::LoadTextures()
{
    return AddTexturesByName(kShrapnelTextures);
}

bool CShrapnel::Draw(int32_t viewX, int32_t viewY)
{
    if (IsActive())
        DrawPicture(viewX, viewY, GetTexture(static_cast<size_t>(m_variant)));
    return true;
}

void CShrapnel::Update(int32_t)
{
    if (LifetimeOver(m_creationTime, g_settings.ShrapnelLifespan))
        Kill();
}
