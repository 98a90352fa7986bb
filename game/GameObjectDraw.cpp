// Drawing a game object: the screen point of its position, the quad with its
// picture turned to its angle, and its collision outline in red.
#include "game/GameObject.h"

#include "game/Trig.h"
#include "gfx/RenderBackend.h"
#include "gfx/Texture.h"

#include <vector>

namespace
{
RenderVertex Vertex(int32_t x, int32_t y, const CVector& corner, float u, float v)
{
    return RenderVertex{static_cast<float>(x + corner.GetX()), static_cast<float>(y - corner.GetY()), 0, u,
                        v};
}

// The picture comes from the atlas page where it has a place there, so that
// consecutive objects keep one texture bound and go out as one draw.
TextureSource SourceOf(const CTexture* texture)
{
    return texture ? texture->Source() : TextureSource{};
}
} // namespace

void CGameObject::ScreenPoint(int32_t viewX, int32_t viewY, int32_t& x, int32_t& y) const
{
    x = static_cast<int32_t>(m_position.GetX() - viewX + 100);
    y = static_cast<int32_t>(-(m_position.GetY() - viewY));
}

bool CGameObject::Draw(int32_t viewX, int32_t viewY)
{
    if (m_active)
        DrawPicture(viewX, viewY, GetTexture(static_cast<size_t>(GetStateSubtype())));
    return true;
}

void CGameObject::DrawPicture(int32_t viewX, int32_t viewY, const CTexture* texture) const
{
    DrawQuad(viewX, viewY, texture);
    if (GetDrawToggles().outlines)
        DrawOutlines(viewX, viewY, m_outline, 1.0f);
}

void CGameObject::DrawQuad(int32_t viewX, int32_t viewY, const CTexture* texture) const
{
    int32_t x, y;
    ScreenPoint(viewX, viewY, x, y);
    int32_t halfWidth = m_width / 2, halfHeight = m_height / 2;
    CVector a(-halfWidth, -halfHeight, 0), b(-halfWidth, halfHeight, 0), c(halfWidth, halfHeight, 0),
        d(halfWidth, -halfHeight, 0);
    if (m_angle != 0)
    {
        a = trig::Rotate(a, m_angle), b = trig::Rotate(b, m_angle);
        c = trig::Rotate(c, m_angle), d = trig::Rotate(d, m_angle);
    }
    CRenderBackend& backend = GetRenderBackend();
    backend.LoadIdentity();
    backend.SetColour(RenderColour{1, 1, 1, 1});
    backend.SetPolygonMode(PolygonFill::Fill, PolygonFill::Line);
    bool textured = texture != nullptr;
    backend.SetTexturing(textured);
    const TextureSource source = SourceOf(texture);
    if (textured)
        backend.BindTexture(source.name);
    const TextureRegion& r = source.region;
    RenderVertex quad[6] = {Vertex(x, y, b, r.u0, r.v1), Vertex(x, y, c, r.u1, r.v1),
                            Vertex(x, y, d, r.u1, r.v0), Vertex(x, y, d, r.u1, r.v0),
                            Vertex(x, y, a, r.u0, r.v0), Vertex(x, y, b, r.u0, r.v1)};
    backend.DrawTriangles(quad, 6);
    if (textured)
        backend.BindTexture(0);
}

void CGameObject::DrawOutlines(int32_t viewX, int32_t viewY, const std::list<CollisionPolygon>& polygons,
                               float alpha) const
{
    int32_t x, y;
    ScreenPoint(viewX, viewY, x, y);
    CRenderBackend& backend = GetRenderBackend();
    backend.SetTexturing(false);
    backend.SetColour(RenderColour{1, 0, 0, alpha});
    for (const CollisionPolygon& polygon : polygons)
    {
        std::vector<RenderVertex> loop;
        CollisionPolygon rotated = RotatedPolygon(polygon, m_angle);
        for (const CollisionPolygon::Point& p : rotated.GetPoints())
            loop.push_back(RenderVertex{x + p.x, y - p.y, 0, 0, 0});
        if (!loop.empty())
            backend.DrawLineLoop(loop.data(), loop.size());
    }
}
