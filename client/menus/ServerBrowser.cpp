#include "client/menus/ServerBrowser.h"

#include "client/TypedText.h"
#include "client/menus/AddressEntry.h"
#include "client/menus/OptionsMenu.h"
#include "gfx/RenderBackend.h"
#include "net/Client.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace
{
// Left edge of the list and the half length of the rule under its header.
constexpr float kListLeft = -285;
} // namespace

CServerBrowser::CServerBrowser(CClientContext& context, const COptionsMenu& options,
                               const CAddressEntry* addressEntry)
    : CMenuScreen(addressEntry ? ScreenId::InternetBrowser : ScreenId::LanBrowser, context),
      m_options(options), m_addressEntry(addressEntry)
{
}

void CServerBrowser::Enter()
{
    Clear();
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
    if (key == platform::kVkUp)
        Previous();
    else if (key == platform::kVkDown)
        Next();
    return Id();
}

ScreenId CServerBrowser::OnChar(char c)
{
    if (c != platform::kCharReturn)
        return ScreenId::MainMenu;
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
    m_context.server = {entry->address, ""};
    return ScreenId::Game;
}

void CServerBrowser::Search()
{
    char address[kMaxTypedLength + 1] = {};
    if (m_addressEntry)
        m_addressEntry->GetText(address, sizeof address);
    try
    {
        m_context.Session().EnumHosts(address);
    }
    catch (const CSearchError&)
    {
    }
}

void CServerBrowser::FillServerList()
{
    CClient& session = m_context.Session();
    session.ResetHostCursor();
    char name[kServerNameSize];
    uint32_t limit = 0, count = 0;
    session::HostAddress address;
    while (session.NextHost(name, sizeof name, limit, count, &address))
        AddServer(name, static_cast<int32_t>(limit), static_cast<int32_t>(count), address);
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
    m_entries.push_back({name ? name : "", limit, count, address});
}

void CServerBrowser::Previous()
{
    if (m_entries.empty())
        return;
    m_selected = m_selected <= 1 ? static_cast<int>(m_entries.size()) : m_selected - 1;
}

void CServerBrowser::Next()
{
    if (m_entries.empty())
        return;
    m_selected = m_selected >= static_cast<int>(m_entries.size()) ? 1 : m_selected + 1;
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
    if (m_selected < 1 || m_selected > static_cast<int>(m_entries.size()))
        return nullptr;
    return &m_entries[static_cast<size_t>(m_selected - 1)];
}

void CServerBrowser::DrawContents(float hh)
{
    DrawCentred(hh - 60, kMenuGreen, "Select A Server To Play On");
    if (m_entries.empty())
        DrawCentred(hh - 132, kMenuWhite,
                    m_searching ? "Searching for hosts, please wait..." : "No Servers Found...");
    else
        DrawList(hh);
    DrawCentred(100 - hh, kMenuWhite, "Up and Down Arrow Moves Between Servers");
    DrawCentred(80 - hh, kMenuWhite, "Enter Selects a Server");
    DrawCentred(60 - hh, kMenuWhite, "Escape Returns to main menu");
}

void CServerBrowser::DrawList(float hh) const
{
    char line[1100];
    std::snprintf(line, sizeof line, "%-28s %28s", "Server Name", "Players/Max");
    DrawLine(kListLeft, hh - 132, kMenuWhite, line);
    DrawHeaderRule(hh - 134);
    for (size_t i = 0; i < m_entries.size(); ++i)
    {
        const Entry& entry = m_entries[i];
        int row = static_cast<int>(i) + 1;
        std::snprintf(line, sizeof line, "%-50s  %02d/%02d", entry.name.c_str(), entry.count, entry.limit);
        const RenderColour& colour = row == m_selected ? kMenuGreen : kMenuWhite;
        DrawLine(kListLeft, hh - 120 - static_cast<float>((row + 1) * 16), colour, line);
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
