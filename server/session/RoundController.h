// CRoundController runs the server's rounds. It owns the world of the current
// round, the map rotation and the map the next round starts on. It starts
// rounds (a new world on the map, its turrets, a ship for every registered
// player, the map announced to all, the default frag and time limits), ends
// them when a limit is reached or a map is asked for, waits out the pause
// between two rounds, gives a player who registers a ship and the welcome
// that shows it the round, and keeps the controls a player holds for its
// ship to fly by. The server loop only asks it to advance, once a pass.
//
// Every ship it makes holds the address of its player's held keys, so a ship
// must leave the world before its player's record goes: RetireShip first.
#pragma once

#include "common/Lock.h"
#include "game/ObjectId.h"
#include "game/World.h"
#include "server/session/MapRotation.h"
#include "server/session/WorldReports.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CMap;
class CMessage;
class CPlayerRecord;
class CSessionRelay;
class CShip;

class CRoundController
{
public:
    // `roundLock` guards the round-over flag and, during a welcome, the world;
    // the server shares it with the relay's batch queue.
    CRoundController(CSessionRelay& relay, CLock& roundLock);
    ~CRoundController();
    CRoundController(const CRoundController&) = delete;
    CRoundController& operator=(const CRoundController&) = delete;

    // Adds "Maps\\<fileName>" to the rotation when that file exists.
    void AddMap(const char* fileName);
    const std::vector<std::string>& GetRotation() const { return m_rotation.GetMaps(); }

    // Starts a round on `mapPath`, or on the pending map (a request, else the
    // next map of the rotation) when it is null. A map that does not load is
    // reported, dropped from the rotation, and the rotation's next map tried.
    // When none is left, the current round goes on (its scores and clock
    // start afresh); false when there is no round to go on with either.
    bool NewRound(const char* mapPath);
    // The next round, on the pending map, with the default frag and time
    // limits. False when there is no round to play (see NewRound).
    bool StartRound();
    CGameWorld* GetWorld() { return m_world.get(); }
    // The round's map name as messages carry it; empty before the first round.
    std::string WorldMapName() const;

    // One pass of the server loop, at `now` (the time the loop read at the end
    // of its last pass): ends the round when a limit is reached; while the
    // round runs, calls `beforeTick` (the pilots choose their keys) and ticks
    // the world by `elapsed` ms; once it is over, waits out the end-of-round
    // pause (ServerEOR ms from the first pass that found it over) and starts
    // the next round.
    void Advance(uint32_t now, int32_t elapsed, const std::function<void()>& beforeTick);

    bool IsRoundOver();
    // Ends the round and tells every player.
    void EndRound();

    // The player registers, or registers again: its earlier ship is retired,
    // it gets a new ship id, its ship joins the round and it is welcomed.
    // Its name's control characters become "?"; registrations beyond the
    // player's rate are dropped.
    void OnJoin(CPlayerRecord& record, const CMessage& message);
    // Ends the round at once and picks the next round's map: the one asked
    // for, else the next of the rotation.
    void OnMapRequest(const CMessage& message);
    // Stores the controls the player holds, while its ship is in the world.
    void OnKeys(CPlayerRecord& record, const CMessage& message);
    // Removes the ship and tells every client with MSG_PLAYER_LEFT.
    void RetireShip(ObjectId shipId);

private:
    void EndRoundOnLimits();
    void WaitOutPause(uint32_t now);
    std::unique_ptr<CMap> LoadRoundMap(std::string path);
    bool KeepRound();
    void AnnounceRound();
    void StaggerSpawners(CMap& map);
    void AddTurrets(CMap& map);
    void AddShipsForPlayers();
    CShip* NewShip(const CPlayerRecord& record);
    void Welcome(const CPlayerRecord& record);

    CSessionRelay& m_relay;
    CLock& m_roundLock;
    bool m_roundOver = false;
    // The pass that first found the round over, while the pause lasts.
    std::optional<uint32_t> m_endOfRoundStart;
    CWorldReports m_reports;
    std::unique_ptr<CGameWorld> m_world;
    CMapRotation m_rotation;
    std::optional<std::string> m_pendingMap;
    // Whether the rotation ever held a map: only a server without maps plays
    // the empty arena.
    bool m_hadMaps = false;
    ObjectId m_nextTurretId = 1;
    // Counts for the whole session: a ship id is never given twice.
    ObjectId m_nextShipId = 1;
};
