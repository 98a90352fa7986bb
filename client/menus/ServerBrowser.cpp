#include "client/menus/ServerBrowser.h"

#include "client/TypedText.h"
#include "client/menus/AddressEntry.h"
#include "client/menus/OptionsMenu.h"
#include "common/MessageLog.h"
#include "common/Version.h"
#include "gfx/RenderBackend.h"
#include "net/Client.h"
#include "session/MasterWire.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace
{
// Left edge of the list and the half length of the rule under its header:
// 75 characters of 10 units.
constexpr float kListLeft = -375;
// The columns: name, map, players/limit, ping, version mark.
// Every line is padded to the same width, so the list sits centred.
constexpr const char* kLineFormat = "%-28.28s %-16.16s %6s %6s %-15s";
constexpr const char* kTypeLine = "Type an address...";
// How long the masters have to send their lists.
constexpr uint32_t kMasterWaitMs = 1000;

std::string LineText(const CServerBrowser::Entry& entry)
{
    char players[32], ping[16], line[160];
    std::snprintf(players, sizeof players, "%02d/%02d", entry.count, entry.limit);
    if (entry.pingMs < 0)
        std::snprintf(ping, sizeof ping, "-");
    else
        std::snprintf(ping, sizeof ping, "%dms", std::min(entry.pingMs, 9999));
    std::snprintf(line, sizeof line, kLineFormat, entry.name.c_str(), entry.map.c_str(), players, ping,
                  entry.otherVersion ? "(other version)" : "");
    return line;
}

CServerBrowser::Entry EntryOf(const CServerLine& line)
{
    return {line.name,
            static_cast<int32_t>(line.maxPlayers),
            static_cast<int32_t>(line.people),
            line.address,
            line.map,
            line.version,
            line.pingMs,
            line.otherVersion};
}
} // namespace

CServerBrowser::CServerBrowser(CClientContext& context, const COptionsMenu& options,
                               CAddressEntry* addressEntry)
    : CMenuScreen(addressEntry ? ScreenId::InternetBrowser : ScreenId::LanBrowser, context),
      m_options(options), m_addressEntry(addressEntry)
{
}

void CServerBrowser::Enter()
{
    Clear();
    m_notice.clear();
    m_context.EndSession();
    m_context.Session();
    m_frame = 0;
}

ScreenId CServerBrowser::Frame(const KeyActions& actions)
{
    SetSearching(m_frame == 0);
    m_context.RunSessionSlice();
    // Filled before it is drawn: the second frame shows what answered, and
    // the screen rests on it.
    if (m_frame == 1)
        FillServerList();
    CMenuScreen::Frame(actions);
    if (m_frame == 0)
        Search();
    m_frame = std::min(m_frame + 1, 2);
    return Id();
}

void CServerBrowser::Rest()
{
    m_context.RunSessionSlice();
}

ScreenId CServerBrowser::OnKey(int key)
{
    if (key == platform::kVkEscape)
        return ScreenId::MainMenu;
    m_notice.clear();
    if (key == platform::kVkUp)
        Previous();
    else if (key == platform::kVkDown)
        Next();
    return Id();
}

ScreenId CServerBrowser::OnChar(char c)
{
    if (c == 'r' || c == 'R')
    {
        Enter();
        return Id();
    }
    if (c != platform::kCharReturn)
        return ScreenId::MainMenu;
    if (HasTypeLine() && m_selected == 1)
        return ScreenId::AddressEntry;
    return HasServers() ? JoinSelected() : Id();
}

ScreenId CServerBrowser::JoinSelected()
{
    ClientSettings& settings = m_context.settings;
    settings.shipType = m_options.GetShipType();
    m_options.GetText(settings.playerName, sizeof settings.playerName);
    const Entry* entry = SelectedEntry();
    if (!entry)
        return Id();
    if (entry->otherVersion)
    {
        char notice[256];
        std::snprintf(notice, sizeof notice, "That server plays another version (%s); this client is %.2f.",
                      entry->version.empty() ? "unknown" : entry->version.c_str(),
                      static_cast<double>(kGameVersion));
        m_notice = notice;
        CMessageLog::GetConsoleLog().Print("%s", notice);
        return Id();
    }
    m_context.server = {entry->address, ""};
    return ScreenId::Game;
}

void CServerBrowser::Search()
{
    char address[kMaxTypedLength + 1] = {};
    std::vector<session::HostAddress> servers;
    if (m_addressEntry && m_addressEntry->TakeConfirmed())
        m_addressEntry->GetText(address, sizeof address);
    else if (m_addressEntry)
        servers = InternetServers();
    // With nothing to ask the internet browser lists nothing: the local
    // network is the other browser's.
    if (m_addressEntry && !address[0] && servers.empty())
        return;
    try
    {
        m_context.Session().EnumHosts(address, servers);
    }
    catch (const CSearchError& error)
    {
        m_notice = error.what();
    }
}

std::vector<session::HostAddress> CServerBrowser::InternetServers()
{
    std::vector<session::HostAddress> masters;
    for (const std::string& name : m_context.settings.masters)
    {
        session::HostAddress master;
        if (session::CSessionClient::ResolveTyped(name, session::master::kDefaultMasterPort, master) ==
            session::EnumResult::Ok)
            masters.push_back(master);
        else
            m_notice = "Could not find the master server " + name + ".";
    }
    std::vector<session::HostAddress> servers;
    if (!masters.empty())
        servers = session::CSessionClient::AskMasters(masters, kMasterWaitMs);
    for (const session::HostAddress& favourite : m_context.settings.favourites)
        if (std::find(servers.begin(), servers.end(), favourite) == servers.end())
            servers.push_back(favourite);
    return servers;
}

void CServerBrowser::FillServerList()
{
    for (const CServerLine& line : m_context.Session().ServerLines())
        AddLine(EntryOf(line));
}

bool CServerBrowser::LoadTextures()
{
    return AddTexturesByName(kShipTextures);
}

void CServerBrowser::Clear()
{
    m_entries.clear();
    // A new list starts at its first line, whatever was chosen last visit.
    m_selected = 1;
}

void CServerBrowser::AddServer(const char* name, int32_t limit, int32_t count, session::HostAddress address)
{
    Entry entry;
    entry.name = name ? name : "";
    entry.limit = limit;
    entry.count = count;
    entry.address = address;
    m_entries.push_back(entry);
}

void CServerBrowser::Previous()
{
    if (RowCount() == 0)
        return;
    m_selected = m_selected <= 1 ? RowCount() : m_selected - 1;
}

void CServerBrowser::Next()
{
    if (RowCount() == 0)
        return;
    m_selected = m_selected >= RowCount() ? 1 : m_selected + 1;
}

void CServerBrowser::GetSelectedName(char* buffer, size_t size) const
{
    if (!buffer || size == 0)
        return;
    std::memset(buffer, 0, size);
    if (const Entry* entry = SelectedEntry())
        entry->name.copy(buffer, std::min(entry->name.size(), size - 1));
}

const CServerBrowser::Entry* CServerBrowser::SelectedEntry() const
{
    int index = m_selected - 1 - (HasTypeLine() ? 1 : 0);
    if (index < 0 || index >= static_cast<int>(m_entries.size()))
        return nullptr;
    return &m_entries[static_cast<size_t>(index)];
}

void CServerBrowser::DrawContents(float hh)
{
    DrawCentred(hh - 60, kMenuGreen, "Select A Server To Play On");
    if (RowCount() == 0)
        DrawCentred(hh - 132, kMenuWhite,
                    m_searching ? "Searching for hosts, please wait..." : "No Servers Found...");
    else
        DrawList(hh);
    if (!m_notice.empty())
        DrawCentred(140 - hh, kMenuGreen, m_notice.c_str());
    DrawCentred(100 - hh, kMenuWhite, "Up and Down Arrow Moves Between Servers");
    DrawCentred(80 - hh, kMenuWhite, "Enter Selects a Server, R Searches Again");
    DrawCentred(60 - hh, kMenuWhite, "Escape Returns to main menu");
}

void CServerBrowser::DrawList(float hh) const
{
    char line[160];
    std::snprintf(line, sizeof line, kLineFormat, "Server Name", "Map", "People", "Ping", "Version");
    DrawLine(kListLeft, hh - 132, kMenuWhite, line);
    DrawHeaderRule(hh - 134);
    for (int row = 1; row <= RowCount(); ++row)
    {
        int index = row - 1 - (HasTypeLine() ? 1 : 0);
        if (index < 0)
            std::snprintf(line, sizeof line, kLineFormat, kTypeLine, "", "", "", "");
        const std::string text = index < 0 ? line : LineText(m_entries[static_cast<size_t>(index)]);
        const RenderColour& colour = row == m_selected ? kMenuGreen : kMenuWhite;
        DrawLine(kListLeft, hh - 120 - static_cast<float>((row + 1) * 16), colour, text);
    }
}

void CServerBrowser::DrawHeaderRule(float y)
{
    CRenderBackend& backend = GetRenderBackend();
    // Lines are plain colour; the font texture must not tint them.
    backend.SetTexturing(false);
    backend.SetColour(kMenuWhite);
    const RenderVertex rule[2] = {{kListLeft, y, 0, 0, 0}, {-kListLeft, y, 0, 0, 0}};
    backend.DrawLines(rule, 2);
    backend.SetTexturing(true);
}
