// Reading what QuorvexProbe printed: the game messages it received, as hex,
// and the fields inside them.
#pragma once

#include "game/ObjectId.h"
#include "tests/support/ChildProcess.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testing_support
{

// The hex of each message a probe received, in order.
std::vector<std::string> ProbeMessages(const ChildProcess& probe);

// The message type, as two hex digits ("0a" for a ship state).
std::string MessageType(const std::string& hex);
// A little-endian u32 at a byte offset of a message.
uint32_t U32At(const std::string& hex, size_t offset);
uint8_t U8At(const std::string& hex, size_t offset);
// A length-prefixed string at a byte offset.
std::string TextAt(const std::string& hex, size_t offset);

// The bytes of a MSG_MAP request or a MSG_TEXT line (at most 255
// characters), as hex for --send.
std::string MapRequestHex(const std::string& name);
std::string TextMessageHex(const std::string& text);

// The ship id the server gave this probe in its MSG_JOIN answer, or 0.
ObjectId JoinedShipId(const ChildProcess& probe);

// What is known of one ship: from a --world probe's "WORLD SHIP" line (no
// heading), or from a MSG_SHIP_STATE (no name or play state).
struct ShipReport
{
    std::string name;
    int active = 0;
    double x = 0, y = 0, angle = 0;
    double vx = 0, vy = 0; // units a second; a state's only
    int frags = 0;

    double From(const ShipReport& other) const { return std::hypot(x - other.x, y - other.y); }
};

// The worlds a --world probe printed, its "WORLD SHIP <id> <name> <active>
// <x> <y> <frags>" lines by ship id, in order: with --bots N, one per "BOT"
// line; without, one per time it printed its world (SIGUSR1, the end).
std::vector<std::map<ObjectId, ShipReport>> BotWorlds(const ChildProcess& probe);
// The last MSG_SHIP_STATE among these messages (as hex) for each ship.
std::map<ObjectId, ShipReport> LastShipStates(const std::vector<std::string>& messages);
// The time stamp of a probe's "MSG <ms> <hex>" line: milliseconds since it
// connected.
uint64_t StampOf(const std::string& messageLine);
// The last MSG_SHIP_STATE a probe received for each ship, carried forward
// along its velocity to the moment `nowMs` of the probe's clock, as a client
// carries a report it has no newer one for (for at most kMaxReportCarryMs).
// Where the server leaves out what a client works out for itself, this is
// where the probe has each ship at that moment.
std::map<ObjectId, ShipReport> ShipStatesCarriedTo(const ChildProcess& probe, uint64_t nowMs);

// Where a client's world differs from the server's: from its last ship states,
// or from the world of a client that stands for them. A ship missing on either
// side, other frags, or a ship in play more than `tolerance` units from the
// server's position; one line per difference.
struct WorldSize
{
    double width = 0, height = 0;
};
std::vector<std::string> WorldDisagreements(const std::map<ObjectId, ShipReport>& world,
                                            const std::map<ObjectId, ShipReport>& server, WorldSize size,
                                            double tolerance);

// What a probe hears of the ships, read line by line as they come: each
// ship's name (from MSG_SHIP_INFO) and its first and last MSG_SHIP_STATE.
class ShipWatch
{
public:
    struct Ship
    {
        std::string name;
        int states = 0;
        ShipReport first, last;
    };

    explicit ShipWatch(ChildProcess& probe) : m_probe(probe) {}
    // Reads the probe's lines until `done` holds; false when it did not in time.
    bool Until(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    const std::map<ObjectId, Ship>& Ships() const { return m_ships; }
    // The ship of that name, or null while none was named so.
    const Ship* Named(const std::string& name) const;

private:
    ChildProcess& m_probe;
    std::map<ObjectId, Ship> m_ships;
};

} // namespace testing_support
