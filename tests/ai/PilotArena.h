// A round played in-process by computer pilots, for the pilot tests: a world
// on a map, ships whose keys pilots choose, ticked in steps of game time on
// a fake clock, and the kill lines the round logged.
#pragma once

#include "ai/NavGrid.h"
#include "ai/Pilot.h"
#include "common/MessageLog.h"
#include "game/Settings.h"
#include "game/World.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "tests/support/DefaultGameSettings.h"

#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

namespace testing_support
{

class PilotArena
{
public:
    // The game time of each tick.
    static constexpr int32_t kTickMs = 16;

    // A world on a map file; the game's generator seeded with `seed`.
    PilotArena(const std::string& mapPath, uint32_t seed) : m_seed(seed)
    {
        platform::SeedRand(seed);
        auto* map = new CMap();
        m_loaded = map->LoadFromFile(mapPath);
        m_world.AttachMap(map);
        AddTurrets(*map);
        CMessageLog::GetServerLog().Clear();
    }
    // A shipped map by name ("Caves").
    static std::string Shipped(const std::string& name)
    {
        return std::string(QUORVEX_SOURCE_DIR) + "/data/Maps/" + name + ".smp";
    }
    bool IsLoaded() const { return m_loaded; }

    // A ship flown by a pilot; returns the ship.
    CShip& AddPilot(const std::string& name, int32_t shipType = 0)
    {
        CShip& ship = AddShip(name, shipType);
        m_pilots.emplace_back(std::make_unique<CPilot>(ship.GetId(), m_seed * 7919u + ship.GetId()));
        m_pilotKeys.push_back(&m_keys.back());
        return ship;
    }
    // A ship whose keys the test sets (through Keys).
    CShip& AddShip(const std::string& name, int32_t shipType = 0)
    {
        auto* ship = new CShip();
        ship->SetShipType(shipType);
        ship->SetName(name.c_str());
        ship->SetId(static_cast<ObjectId>(m_ships.size() + 1));
        m_keys.emplace_back();
        ship->SetHeldKeys(&m_keys.back());
        m_world.AddPlayer(ship);
        m_ships.push_back(ship);
        return *ship;
    }
    HeldKeys& Keys(const CShip& ship) { return *std::next(m_keys.begin(), ship.GetId() - 1); }

    // Ticks for `ms` of game time; `each` runs before every tick.
    void Run(int32_t ms, const std::function<void()>& each = {})
    {
        for (int32_t t = 0; t < ms; t += kTickMs)
        {
            if (each)
                each();
            m_grid.Follow(*m_world.GetMap(), g_settings.FuelRange);
            for (size_t i = 0; i < m_pilots.size(); ++i)
                *m_pilotKeys[i] = m_pilots[i]->Think(m_world, m_grid, kTickMs);
            m_clock.Advance(static_cast<uint32_t>(kTickMs));
            m_world.Tick(kTickMs);
            CollectLines();
        }
    }

    // Lines the round logged that contain `text`.
    int Count(const std::string& text) const
    {
        int count = 0;
        for (const std::string& line : m_lines)
            count += line.find(text) != std::string::npos;
        return count;
    }
    const std::vector<std::string>& Lines() const { return m_lines; }
    CGameWorld& World() { return m_world; }

private:
    // The map's turrets, as a round's set-up places them.
    void AddTurrets(const CMap& map)
    {
        ObjectId id = 1;
        for (const CMap::Cell& cell : map.GetTurretCells())
        {
            auto* turret = new CTurret();
            turret->SetFacing(CTurret::FacingForTileCode(map.GetTile(cell.x, cell.y)));
            turret->SetPosition(CVector(cell.x * 32 + 16, cell.y * 32 + 16, 1));
            turret->SetId(id++);
            m_world.AddTurret(turret);
        }
    }
    void CollectLines()
    {
        CMessageLog& log = CMessageLog::GetServerLog();
        char line[CMessageLog::kLineSize];
        std::vector<std::string> newest;
        log.ResetCursor();
        while (log.NextLine(line, sizeof line))
            newest.push_back(line);
        m_lines.insert(m_lines.end(), newest.rbegin(), newest.rend());
        log.Clear();
    }

    DefaultGameSettings m_settings;
    platform::FakeClock m_clock;
    uint32_t m_seed;
    bool m_loaded = false;
    CGameWorld m_world;
    CNavGrid m_grid;
    std::list<HeldKeys> m_keys; // stays put: the ships hold their addresses
    std::vector<CShip*> m_ships;
    std::vector<std::unique_ptr<CPilot>> m_pilots;
    std::vector<HeldKeys*> m_pilotKeys;
    std::vector<std::string> m_lines;
};

} // namespace testing_support
