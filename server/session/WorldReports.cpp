#include "server/session/WorldReports.h"

#include "game/Ship.h"
#include "game/Turret.h"
#include "net/Message.h"
#include "server/session/SessionRelay.h"

CMessage CWorldReports::ShipInfo(const CShip& ship)
{
    CVector position = ship.GetPosition();
    CMessage message;
    message.SetShipInfo(ship.GetId(), static_cast<int32_t>(position.GetX()),
                        static_cast<int32_t>(position.GetY()), static_cast<uint32_t>(ship.GetShipType()),
                        ship.GetName().c_str());
    return message;
}

void CWorldReports::OnShipInPlay(const CShip& ship)
{
    m_relay.QueueMessage(CSessionRelay::kEveryPlayer, ShipInfo(ship));
}

void CWorldReports::OnShipState(const CShip& ship)
{
    CMessage message;
    message.SetShipState(ship.GetId(), ship.GetStatus(), ship.GetFuel(), ship.GetCapacity(), ship.GetFrags(),
                         static_cast<uint8_t>(ship.GetMissiles()), static_cast<uint8_t>(ship.GetMines()),
                         static_cast<uint8_t>(ship.GetPlasmaMines()),
                         static_cast<uint8_t>(ship.GetRepulses()), ship.GetPosition(), ship.GetVelocity(),
                         ship.GetAngle());
    m_relay.QueueMessage(CSessionRelay::kEveryPlayer, message);
}

void CWorldReports::OnShipOutOfPlay(const CShip& ship)
{
    CMessage message;
    message.SetShipDied(ship.GetId());
    m_relay.QueueMessage(CSessionRelay::kEveryPlayer, message);
}

void CWorldReports::OnObjectState(const CGameObject& object, int32_t subtype)
{
    CMessage message;
    message.SetObjectState(object.GetId(), object.GetKind(), object.GetPosition(), object.GetVelocity(),
                           object.GetAngle(), subtype);
    m_relay.QueueMessage(CSessionRelay::kEveryPlayer, message);
}

void CWorldReports::OnObjectGone(const CGameObject& object)
{
    CMessage message;
    message.SetObjectGone(object.GetId());
    m_relay.QueueMessage(CSessionRelay::kEveryPlayer, message);
}

void CWorldReports::OnTurretState(const CTurret& turret)
{
    CMessage message;
    message.SetTurretState(turret.GetId(), turret.GetFacing(), turret.IsActive() ? 1 : 0,
                           turret.GetPosition());
    m_relay.QueueMessage(CSessionRelay::kEveryPlayer, message);
}
