#include "tests/support/ProbeOutput.h"

#include "game/ClientAdvance.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <sstream>

namespace testing_support
{
namespace
{
float FloatAt(const std::string& hex, size_t offset)
{
    return std::bit_cast<float>(U32At(hex, offset));
}

bool IsShipState(const std::string& hex)
{
    constexpr size_t kShipStateSize = 47;
    return hex.size() == kShipStateSize * 2 && MessageType(hex) == "0a";
}

ShipReport StateIn(const std::string& hex)
{
    ShipReport ship;
    ship.frags = static_cast<int8_t>(U8At(hex, 14));
    ship.x = FloatAt(hex, 19);
    ship.y = FloatAt(hex, 23);
    ship.vx = FloatAt(hex, 31);
    ship.vy = FloatAt(hex, 35);
    ship.angle = FloatAt(hex, 43);
    return ship;
}

std::string ToHex(const std::string& bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char c : bytes)
        text += std::string{kDigits[c >> 4], kDigits[c & 15]};
    return text;
}

std::string StringMessageHex(char type, const std::string& text)
{
    std::string bytes = {type, static_cast<char>(text.size()), 0, 0, 0};
    return ToHex(bytes + text);
}

bool ParseWorldShip(const std::string& line, ObjectId& id, ShipReport& ship)
{
    if (line.rfind("WORLD SHIP ", 0) != 0)
        return false;
    std::istringstream in(line.substr(11));
    in >> id >> ship.name >> ship.active >> ship.x >> ship.y >> ship.frags;
    return true;
}

// The distance between two points of a world that wraps at width x height,
// each offset taken the short way round.
double TorusDistance(double x1, double y1, double x2, double y2, double width, double height)
{
    double dx = std::fabs(x1 - x2), dy = std::fabs(y1 - y2);
    dx = std::min(dx, width - dx);
    dy = std::min(dy, height - dy);
    return std::hypot(dx, dy);
}
} // namespace

std::vector<std::string> ProbeMessages(const ChildProcess& probe)
{
    std::vector<std::string> messages;
    for (const std::string& line : probe.Lines())
        if (line.rfind("MSG ", 0) == 0)
            messages.push_back(line.substr(line.rfind(' ') + 1));
    return messages;
}

std::string MessageType(const std::string& hex)
{
    return hex.substr(0, 2);
}

uint8_t U8At(const std::string& hex, size_t offset)
{
    return static_cast<uint8_t>(std::stoul(hex.substr(offset * 2, 2), nullptr, 16));
}

uint32_t U32At(const std::string& hex, size_t offset)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value * 256 + U8At(hex, offset + static_cast<size_t>(i));
    return value;
}

std::string TextAt(const std::string& hex, size_t offset)
{
    uint32_t length = U32At(hex, offset);
    std::string text;
    for (uint32_t i = 0; i < length; ++i)
        text += static_cast<char>(U8At(hex, offset + 4 + i));
    return text;
}

std::string MapRequestHex(const std::string& name)
{
    return StringMessageHex('\x03', name);
}

std::string TextMessageHex(const std::string& text)
{
    return StringMessageHex('\x01', text);
}

ObjectId JoinedShipId(const ChildProcess& probe)
{
    for (const std::string& hex : ProbeMessages(probe))
        if (MessageType(hex) == "02")
            return U32At(hex, 1);
    return 0;
}

std::vector<std::map<ObjectId, ShipReport>> BotWorlds(const ChildProcess& probe)
{
    std::vector<std::map<ObjectId, ShipReport>> worlds;
    ObjectId id = 0;
    ShipReport ship;
    bool open = false; // a world was begun and its "WORLD OBJECTS" line not yet seen
    for (const std::string& line : probe.Lines())
    {
        if (line.rfind("BOT ", 0) == 0 || (!open && line.rfind("WORLD SHIP ", 0) == 0))
        {
            worlds.emplace_back();
            open = true;
        }
        else if (line.rfind("WORLD OBJECTS", 0) == 0)
            open = false;
        if (ParseWorldShip(line, id, ship))
            worlds.back()[id] = ship;
    }
    return worlds;
}

std::map<ObjectId, ShipReport> LastShipStates(const std::vector<std::string>& messages)
{
    std::map<ObjectId, ShipReport> states;
    for (const std::string& hex : messages)
        if (IsShipState(hex))
            states[U32At(hex, 1)] = StateIn(hex);
    return states;
}

uint64_t StampOf(const std::string& messageLine)
{
    return std::stoull(messageLine.substr(4));
}

std::map<ObjectId, ShipReport> ShipStatesCarriedTo(const ChildProcess& probe, uint64_t nowMs)
{
    std::map<ObjectId, ShipReport> states;
    for (const std::string& line : probe.Lines())
    {
        std::string hex = line.rfind("MSG ", 0) == 0 ? line.substr(line.rfind(' ') + 1) : "";
        if (!IsShipState(hex))
            continue;
        ShipReport& ship = states[U32At(hex, 1)] = StateIn(hex);
        uint64_t stamp = StampOf(line);
        double seconds = std::min<double>(nowMs > stamp ? nowMs - stamp : 0, kMaxReportCarryMs) / 1000.0;
        ship.x += ship.vx * seconds;
        ship.y += ship.vy * seconds;
    }
    return states;
}

std::vector<std::string> WorldDisagreements(const std::map<ObjectId, ShipReport>& world,
                                            const std::map<ObjectId, ShipReport>& server, WorldSize size,
                                            double tolerance)
{
    std::vector<std::string> differences;
    for (const auto& [id, ship] : world)
        if (!server.count(id))
            differences.push_back("ship " + std::to_string(id) + " (" + ship.name + ") is not the server's");
    for (const auto& [id, reported] : server)
    {
        auto found = world.find(id);
        if (found == world.end())
        {
            differences.push_back("ship " + std::to_string(id) + " is missing");
            continue;
        }
        const ShipReport& ship = found->second;
        if (ship.frags != reported.frags)
            differences.push_back(ship.name + " has " + std::to_string(ship.frags) + " frags, the server " +
                                  std::to_string(reported.frags));
        double distance = TorusDistance(ship.x, ship.y, reported.x, reported.y, size.width, size.height);
        if (ship.active && distance > tolerance)
            differences.push_back(ship.name + " is " + std::to_string(distance) +
                                  " units from the server's place");
    }
    return differences;
}

bool ShipWatch::Until(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    for (auto end = std::chrono::steady_clock::now() + timeout; !done();)
    {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::optional<std::string> line = m_probe.ReadLine(std::chrono::milliseconds(100));
        std::string hex = line && line->rfind("MSG ", 0) == 0 ? line->substr(line->rfind(' ') + 1) : "00";
        if (MessageType(hex) == "05")
            m_ships[U32At(hex, 1)].name = TextAt(hex, 17);
        if (!IsShipState(hex))
            continue;
        Ship& ship = m_ships[U32At(hex, 1)];
        ship.last = StateIn(hex);
        ship.first = ship.states++ ? ship.first : ship.last;
    }
    return true;
}

const ShipWatch::Ship* ShipWatch::Named(const std::string& name) const
{
    for (const auto& [id, ship] : m_ships)
        if (ship.name == name)
            return &ship;
    return nullptr;
}

} // namespace testing_support
