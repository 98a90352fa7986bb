// The world's reports, turned into state messages queued for every player.
#include "net/Server.h"


const IWorldHost::HeldKeys* CServer::GetHeldKeys(int32_t shipId)
{
    CPlayerRecord* record = FindPlayerByShipId(static_cast<uint32_t>(shipId));
    return record ? &record->GetKeys() : nullptr;
}

void CServer::OnShipInPlay(const CShip& ship)
{
    CVector position = ship.GetPosition();
    CMessage message;
    message.SetShipInfo(static_cast<uint32_t>(ship.GetId()), static_cast<int32_t>(position.GetX()),
                        static_cast<int32_t>(position.GetY()), static_cast<uint32_t>(ship.GetShipType()),
                        ship.GetName().c_str());
    QueueMessage(0, message);
}

void CServer::OnShipState(const CShip& ship)
{
    CMessage message;
    message.SetShipState(static_cast<uint32_t>(ship.GetId()), ship.GetStatus(), ship.GetFuel(),
                         ship.GetCapacity(), ship.GetFrags(), static_cast<uint8_t>(ship.GetMissiles()),
                         static_cast<uint8_t>(ship.GetMines()), static_cast<uint8_t>(ship.GetPlasmaMines()),
                         static_cast<uint8_t>(ship.GetRepulses()), ship.GetPosition(), ship.GetVelocity(),
                         ship.GetAngle());
    QueueMessage(0, message);
}

void CServer::OnShipOutOfPlay(const CShip& ship)
{
    CMessage message;
    message.SetShipDied(static_cast<uint32_t>(ship.GetId()));
    QueueMessage(0, message);
}

void CServer::OnObjectState(const CGameObject& object, int32_t subtype)
{
    CMessage message;
    message.SetObjectState(static_cast<uint32_t>(object.GetId()), object.GetKind(), object.GetPosition(),
                           object.GetVelocity(), object.GetAngle(), subtype);
    QueueMessage(0, message);
}

void CServer::OnObjectGone(const CGameObject& object)
{
    CMessage message;
    message.SetObjectGone(static_cast<uint32_t>(object.GetId()));
    QueueMessage(0, message);
}

void CServer::OnTurretState(const CTurret& turret)
{
    CMessage message;
    message.SetTurretState(static_cast<uint32_t>(turret.GetId()), turret.GetFacing(),
                           turret.IsActive() ? 1 : 0, turret.GetPosition());
    QueueMessage(0, message);
}
