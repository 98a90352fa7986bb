// The server browser, on the local network or on the internet: the servers
// that answered a search, one line each (name, map, players/limit, ping, and
// a mark on a server of another version), walked with Up and Down
// (wrapping). The internet browser asks the servers the "Masters" setting's
// masters list and the favourites, or, after the address entry, the address
// typed there; its first line opens the address entry, and R searches again. Every visit starts a fresh
// session, so servers that stopped answering are not listed again: its first frame says it is searching and
// then searches, the second lists what answered, or "No Servers Found...".
// Carriage return joins the selected server, by the address its answer came
// from, with the ship and name the options screen shows; Escape or any other typed character returns to the
// main menu.
#pragma once

#include "client/menus/MenuScreen.h"
#include "session/SessionTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CAddressEntry;
class COptionsMenu;

class CServerBrowser : public CMenuScreen
{
public:
    struct Entry
    {
        std::string name;
        int32_t limit = 0;
        int32_t count = 0;
        session::HostAddress address; // where the server answered from
        std::string map;
        std::string version;
        int32_t pingMs = -1; // -1: not measured
        bool otherVersion = false;
    };

    // Asks the address `addressEntry` holds, or with none searches the local
    // network; the game is joined with `options`' ship and name.
    CServerBrowser(CClientContext& context, const COptionsMenu& options, CAddressEntry* addressEntry);

    bool LoadTextures() override;
    void Enter() override;
    ScreenId Frame(const KeyActions& actions) override;
    // The first two frames search and list; then the list holds.
    uint32_t RestMs() const override { return m_frame < 2 ? kNoRest : CMenuScreen::RestMs(); }
    void Rest() override;
    ScreenId OnKey(int key) override;
    ScreenId OnChar(char c) override;

    void Clear();
    void SetSearching(bool searching) { m_searching = searching; }
    bool IsSearching() const { return m_searching; }
    void AddServer(const char* name, int32_t limit, int32_t count, session::HostAddress address = {});
    void AddLine(const Entry& entry) { m_entries.push_back(entry); }
    // What the browser says beside the list: why a search failed, or why a
    // server cannot be joined.
    const std::string& Notice() const { return m_notice; }
    void Previous();
    void Next();
    bool HasServers() const { return !m_entries.empty(); }
    // 1-based.
    int GetSelected() const { return m_selected; }
    // Zero-fills `size` bytes and copies the selected entry's name (at most
    // size - 1 characters, so the result stays terminated); empty when there
    // are no entries.
    void GetSelectedName(char* buffer, size_t size) const;
    const std::vector<Entry>& Entries() const { return m_entries; }

protected:
    void DrawContents(float hh) override;

private:
    // A failed search leaves the list empty, which says so.
    void Search();
    // The servers the masters list, and the favourites.
    std::vector<session::HostAddress> InternetServers();
    void FillServerList();
    // The type-an-address line comes first in the internet browser.
    bool HasTypeLine() const { return m_addressEntry != nullptr; }
    int RowCount() const { return static_cast<int>(m_entries.size()) + (HasTypeLine() ? 1 : 0); }
    // Carriage return with servers listed: the game's ship, name and server.
    ScreenId JoinSelected();
    // Null when nothing is listed.
    const Entry* SelectedEntry() const;
    // The header, the rule under it and one line per entry.
    void DrawList(float hh) const;
    static void DrawHeaderRule(float y);

    const COptionsMenu& m_options;
    CAddressEntry* m_addressEntry;
    std::string m_notice;
    int m_selected = 1;
    bool m_searching = false;
    // Counts the frames of a visit up to 2: only the first two differ.
    int m_frame = 0;
    std::vector<Entry> m_entries;
};
