// CWorldReports is the host of the server's world: each report the world
// makes while it ticks becomes the state message that tells the players,
// queued for every one of them.
#pragma once

#include "game/WorldHost.h"
#include "net/Message.h"

class CSessionRelay;

class CWorldReports : public IWorldHost
{
public:
    explicit CWorldReports(CSessionRelay& relay) : m_relay(relay) {}

    // The message that shows a ship to the players: id, position, type, name.
    static CMessage ShipInfo(const CShip& ship);

    void OnShipInPlay(const CShip& ship) override;
    void OnShipState(const CShip& ship) override;
    void OnShipOutOfPlay(const CShip& ship) override;
    void OnObjectState(const CGameObject& object, int32_t subtype) override;
    void OnObjectGone(const CGameObject& object) override;
    void OnTurretState(const CTurret& turret) override;

private:
    CSessionRelay& m_relay;
};
