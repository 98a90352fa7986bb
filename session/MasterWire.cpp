#include "session/MasterWire.h"

#include <charconv>

namespace session::master
{
namespace
{
constexpr std::string_view kPrefix = "\xFF\xFF\xFF\xFF";
constexpr std::string_view kInfoResponse = "infoResponse\n";
constexpr std::string_view kStatusResponse = "statusResponse\n";
constexpr std::string_view kGetServersResponse = "getserversResponse";
constexpr std::string_view kEndMarker{"\\EOT\0\0\0", 7};
constexpr size_t kEntrySize = 7; // '\\', IPv4, port
// Longest first line ParseConnectionless reads; commands and challenges are short.
constexpr size_t kMostLineLength = 1024;

bool IsControl(unsigned char c)
{
    return c < 0x20 || c == 0x7F;
}

std::vector<uint8_t> Packet(std::string_view text)
{
    std::string whole = std::string(kPrefix).append(text);
    return {whole.begin(), whole.end()};
}

bool StartsWithPrefix(const uint8_t* data, size_t size)
{
    return size >= kPrefix.size() &&
           std::string_view(reinterpret_cast<const char*>(data), kPrefix.size()) == kPrefix;
}

// The text after the prefix, when the packet starts with the prefix and `head`.
bool BodyAfter(const uint8_t* data, size_t size, std::string_view head, std::string_view& body)
{
    if (!StartsWithPrefix(data, size))
        return false;
    std::string_view text(reinterpret_cast<const char*>(data) + kPrefix.size(), size - kPrefix.size());
    if (!text.starts_with(head))
        return false;
    body = text.substr(head.size());
    return true;
}

std::vector<std::string_view> Words(std::string_view text)
{
    std::vector<std::string_view> words;
    while (!text.empty())
    {
        size_t start = text.find_first_not_of(' ');
        if (start == std::string_view::npos)
            break;
        size_t end = text.find(' ', start);
        words.push_back(text.substr(start, end - start));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end);
    }
    return words;
}

void AppendBigEndian(std::vector<uint8_t>& bytes, uint32_t value, int count)
{
    for (int i = count - 1; i >= 0; --i)
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t ReadBigEndian(const uint8_t* data, int count)
{
    uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | data[i];
    return value;
}
} // namespace

bool ParseConnectionless(const uint8_t* data, size_t size, Connectionless& out)
{
    if (!StartsWithPrefix(data, size))
        return false;
    std::string_view text(reinterpret_cast<const char*>(data) + kPrefix.size(), size - kPrefix.size());
    text = text.substr(0, std::min(text.find('\n'), kMostLineLength));
    // The command word ends at a space, or where a getserversResponse's binary
    // entries start.
    size_t end = std::min(text.find_first_of(" \\"), text.size());
    if (end == 0)
        return false;
    out.command.assign(text.substr(0, end));
    out.argument.assign(end < text.size() && text[end] == ' ' ? text.substr(end + 1) : std::string_view());
    return true;
}

std::string SafeInfoValue(std::string_view text)
{
    std::string safe(text);
    for (char& c : safe)
        if (IsControl(static_cast<unsigned char>(c)) || c == '\\' || c == '"')
            c = '?';
    return safe;
}

std::string EncodeInfoString(const InfoPairs& pairs)
{
    std::string text;
    for (const auto& [key, value] : pairs)
        text += '\\' + SafeInfoValue(key) + '\\' + SafeInfoValue(value);
    return text;
}

bool DecodeInfoString(std::string_view text, InfoPairs& out)
{
    if (text.empty())
        return true;
    if (text.front() != '\\')
        return false;
    for (char c : text)
        if (IsControl(static_cast<unsigned char>(c)))
            return false;
    InfoPairs pairs;
    text.remove_prefix(1);
    while (true)
    {
        size_t keyEnd = text.find('\\');
        if (keyEnd == 0 || keyEnd == std::string_view::npos)
            return false;
        std::string_view rest = text.substr(keyEnd + 1);
        size_t valueEnd = rest.find('\\');
        pairs.emplace_back(text.substr(0, keyEnd), rest.substr(0, valueEnd));
        if (valueEnd == std::string_view::npos)
            break;
        text = rest.substr(valueEnd + 1);
    }
    out.insert(out.end(), pairs.begin(), pairs.end());
    return true;
}

std::vector<uint8_t> MakeGetInfo(std::string_view challenge)
{
    return Packet("getinfo " + std::string(challenge));
}

std::vector<uint8_t> MakeGetStatus(std::string_view challenge)
{
    return Packet("getstatus " + std::string(challenge));
}

std::vector<uint8_t> MakeInfoResponse(const InfoPairs& pairs)
{
    return Packet(std::string(kInfoResponse) + EncodeInfoString(pairs));
}

std::vector<uint8_t> MakeStatusResponse(const InfoPairs& pairs, const std::vector<StatusPlayer>& players)
{
    std::string text = std::string(kStatusResponse) + EncodeInfoString(pairs) + '\n';
    for (const StatusPlayer& player : players)
        text += std::to_string(player.frags) + ' ' + std::to_string(player.ping) + " \"" +
                SafeInfoValue(player.name) + "\"\n";
    return Packet(text);
}

bool ParseInfoResponse(const uint8_t* data, size_t size, InfoPairs& out)
{
    std::string_view body;
    if (!BodyAfter(data, size, kInfoResponse, body))
        return false;
    if (body.ends_with('\n'))
        body.remove_suffix(1);
    return DecodeInfoString(body, out);
}

std::vector<uint8_t> MakeHeartbeat()
{
    return Packet("heartbeat DarkPlaces\n");
}

std::vector<uint8_t> MakeGetServers(uint32_t protocol, bool empty, bool full)
{
    std::string text = "getservers " + std::string(kGameName) + ' ' + std::to_string(protocol);
    if (empty)
        text += " empty";
    if (full)
        text += " full";
    return Packet(text);
}

bool ParseGetServers(const Connectionless& packet, GetServersQuery& out)
{
    std::vector<std::string_view> words = Words(packet.argument);
    if (packet.command != "getservers" || words.size() < 2)
        return false;
    const std::string_view number = words[1];
    GetServersQuery query;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), query.protocol);
    if (error != std::errc() || end != number.data() + number.size())
        return false;
    query.game.assign(words[0]);
    // Filters this master does not know (gametype=, ipv4, ...) are ignored.
    for (size_t i = 2; i < words.size(); ++i)
    {
        query.empty = query.empty || words[i] == "empty";
        query.full = query.full || words[i] == "full";
    }
    out = std::move(query);
    return true;
}

std::vector<std::vector<uint8_t>> MakeGetServersResponses(const std::vector<ServerAddress>& servers)
{
    const std::vector<uint8_t> header = Packet(kGetServersResponse);
    const size_t perDatagram = (kMaxMasterDatagram - header.size() - kEndMarker.size()) / kEntrySize;
    std::vector<std::vector<uint8_t>> datagrams;
    size_t next = 0;
    do
    {
        std::vector<uint8_t> datagram = header;
        for (size_t end = std::min(servers.size(), next + perDatagram); next < end; ++next)
        {
            datagram.push_back('\\');
            AppendBigEndian(datagram, servers[next].ipv4, 4);
            AppendBigEndian(datagram, servers[next].port, 2);
        }
        datagrams.push_back(std::move(datagram));
    } while (next < servers.size());
    datagrams.back().insert(datagrams.back().end(), kEndMarker.begin(), kEndMarker.end());
    return datagrams;
}

bool ParseGetServersResponse(const uint8_t* data, size_t size, std::vector<ServerAddress>& out, bool& ended)
{
    std::string_view body;
    if (!BodyAfter(data, size, kGetServersResponse, body))
        return false;
    std::vector<ServerAddress> servers;
    ended = false;
    const uint8_t* entry = reinterpret_cast<const uint8_t*>(body.data());
    for (size_t left = body.size(); left > 0; left -= kEntrySize, entry += kEntrySize)
    {
        if (left < kEntrySize || entry[0] != '\\')
            return false;
        if (std::string_view(reinterpret_cast<const char*>(entry), kEntrySize) == kEndMarker)
        {
            ended = left == kEntrySize;
            if (!ended)
                return false;
            break;
        }
        servers.push_back({ReadBigEndian(entry + 1, 4), static_cast<uint16_t>(ReadBigEndian(entry + 5, 2))});
    }
    out.insert(out.end(), servers.begin(), servers.end());
    return true;
}

} // namespace session::master
