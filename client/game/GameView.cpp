#include "client/game/GameView.h"

#include "common/Lock.h"
#include "game/Map.h"
#include "game/Ship.h"
#include "game/Turret.h"
#include "game/World.h"

void CGameView::SetViewSize(int32_t width, int32_t height)
{
    m_halfWidth = width / 2;
    m_halfHeight = height / 2;
}

void CGameView::UpdateCamera()
{
    CShip* local = m_world ? m_world->FirstPlayer() : nullptr;
    if (!local)
        return;
    m_cameraX = static_cast<int32_t>(local->GetPosition().GetX());
    m_cameraY = static_cast<int32_t>(local->GetPosition().GetY());
}

bool CGameView::WrapOffset(double offsetFromCamera, int32_t camera, int32_t worldSize, int32_t halfView,
                           int32_t& offset)
{
    const int32_t candidates[] = {0, worldSize, -worldSize};
    for (int32_t shift : candidates)
    {
        double d = offsetFromCamera - shift;
        if (d >= -halfView && d <= halfView)
        {
            offset = camera + shift;
            return true;
        }
    }
    return false;
}

bool CGameView::DrawObject(CGameObject& object)
{
    if (!m_world)
        return false;
    int32_t offsetX = 0, offsetY = 0;
    double dx = object.GetPosition().GetX() - m_cameraX;
    // World y grows downwards and screen y upwards; the visible range is
    // symmetric about the camera, so the flip changes nothing in the test.
    double dy = object.GetPosition().GetY() - m_cameraY;
    if (!WrapOffset(dx, m_cameraX, m_world->GetWorldWidth(), m_halfWidth, offsetX) ||
        !WrapOffset(dy, m_cameraY, m_world->GetWorldHeight(), m_halfHeight, offsetY))
        return false;
    object.LoadTextures();
    object.Draw(offsetX, offsetY);
    return true;
}

void CGameView::DrawWorld()
{
    if (!m_world || !m_world->GetMap())
        return;
    CLockGuard guard(m_world->GetLock());
    // The map draws the cells around the camera itself, across the wrap; its
    // own centre says nothing about whether it is on screen.
    CMap& map = *m_world->GetMap();
    map.SetDisplaySize(m_halfWidth * 2, m_halfHeight * 2);
    map.LoadTextures();
    map.Draw(m_cameraX, m_cameraY);
    if (CShip* local = m_world->FirstPlayer())
        DrawObject(*local);
    for (CShip& ship : m_world->Players())
        DrawObject(ship);
    for (CTurret& turret : m_world->Turrets())
        DrawObject(turret);
    for (CGameObject& object : m_world->Objects())
        DrawObject(object);
}
