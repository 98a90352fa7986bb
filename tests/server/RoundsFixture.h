// The server's session without a network, for the tests of its rounds and
// its bots: a relay that records every packet it sends, the round controller
// over it, maps written to a data folder of the test's own, a clock the test
// drives, the game settings at their defaults and an empty server log.
#pragma once

#include "common/MessageLog.h"
#include "platform/Clock.h"
#include "server/session/RoundController.h"
#include "server/session/SessionRelay.h"
#include "tests/server/RecordingSender.h"
#include "tests/support/DefaultGameSettings.h"
#include "tests/support/MapFile.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace testing_support
{

class RoundsFixture : public ::testing::Test
{
protected:
    static constexpr session::PlayerId kHost = 1;
    using Ending = MapFile::Ending;

    RoundsFixture()
    {
        CMessageLog::GetServerLog().Clear();
        relay.AddPlayer(kHost);
    }
    ~RoundsFixture() override { CMessageLog::DestroyServerLog(); }

    // Writes "Maps/<title>.smp", a small open map of that title, and adds
    // each to the rotation.
    void AddMaps(std::initializer_list<const char*> titles)
    {
        for (const char* title : titles)
        {
            WriteMap(title, title);
            rounds.AddMap((std::string(title) + ".smp").c_str());
        }
    }
    void WriteMap(const std::string& fileName, const std::string& title, Ending ending = Ending::Whole)
    {
        data.Write("Maps/" + fileName + ".smp",
                   MapFile({"7......", ".......", "...7...", "......."}, title).Bytes(ending));
    }
    // The player registers (its record made first when it has none yet).
    CPlayerRecord& Join(session::PlayerId player, const char* name)
    {
        if (!relay.FindPlayer(player))
            relay.AddPlayer(player);
        CPlayerRecord& record = *relay.FindPlayer(player);
        CMessage join;
        join.SetJoin(0, 2, name);
        rounds.OnJoin(record, join);
        return record;
    }
    // The player leaves the way the server lets a departing player go.
    void Leave(session::PlayerId player)
    {
        rounds.RetireShip(relay.FindPlayer(player)->GetShipId());
        relay.RemovePlayer(player);
    }
    std::string PlayedMap() { return rounds.GetWorld()->GetMap()->GetName(); }

    DefaultGameSettings settings;
    platform::FakeClock clock{100000};
    TempDir data;
    ScopedEnv dataFolder{"QUORVEX_DATA", data.Path().c_str()};
    RecordingSender sender;
    CLock lock;
    CSessionRelay relay{sender, lock};
    CRoundController rounds{relay, lock};
};

} // namespace testing_support
