// A world for the tests of its tick, its collisions and the client's advance:
// the default settings, a fake clock, a fresh server log, a map made from
// rows of characters (see MapFile), and ships, objects and turrets put where
// a test wants them.
#pragma once

#include "common/MessageLog.h"
#include "game/World.h"
#include "platform/Clock.h"
#include "tests/support/DefaultGameSettings.h"
#include "tests/support/MapFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace testing_support
{

class WorldFixture : public ::testing::Test
{
protected:
    WorldFixture()
    {
        CMessageLog::DestroyServerLog();
        CMessageLog::GetServerLog().SetMaxLines(50);
    }
    ~WorldFixture() override { CMessageLog::DestroyServerLog(); }

    void LoadMap(const std::vector<std::string>& rows)
    {
        auto* map = new CMap();
        ASSERT_TRUE(map->LoadFromFile(MapFile(rows).WriteTo(dir.File("test.smp"))));
        world.AttachMap(map);
    }

    // A new ship, out of play until the world spawns it.
    CShip* AddShip(ObjectId id, const char* name = "")
    {
        auto* ship = new CShip();
        ship->SetId(id);
        ship->SetName(name);
        world.AddPlayer(ship);
        return ship;
    }

    // A ship in play at (x, y).
    CShip* ShipAt(ObjectId id, const char* name, double x, double y)
    {
        CShip* ship = AddShip(id, name);
        ship->ForceRespawn(static_cast<float>(x), static_cast<float>(y));
        return ship;
    }

    // An object in play at (x, y), added to the world.
    template <typename Object> Object* ObjectAt(double x, double y, ObjectId owner = 0)
    {
        auto* object = new Object();
        object->ForceRespawn(static_cast<float>(x), static_cast<float>(y));
        object->SetOwnerId(owner);
        world.AddObject(object);
        return object;
    }

    // A turret in play at `position`, added to the world.
    CTurret* TurretAt(const CVector& position, int32_t facing = FACING_UP)
    {
        auto* turret = new CTurret();
        turret->SetFacing(facing);
        turret->ForceRespawn(0, 0);
        turret->SetPosition(position);
        world.AddTurret(turret);
        return turret;
    }

    // The server log, oldest line first.
    std::vector<std::string> LogLines()
    {
        std::vector<std::string> lines;
        char buffer[CMessageLog::kLineSize];
        CMessageLog& log = CMessageLog::GetServerLog();
        log.ResetCursor();
        while (log.NextLine(buffer, sizeof buffer))
            lines.insert(lines.begin(), buffer);
        return lines;
    }

    size_t CountKind(int32_t kind)
    {
        size_t count = 0;
        for (const CGameObject& object : world.Objects())
            count += object.GetKind() == kind;
        return count;
    }

    DefaultGameSettings settings;
    platform::FakeClock clock{100000};
    TempDir dir;
    CGameWorld world;
};

} // namespace testing_support
