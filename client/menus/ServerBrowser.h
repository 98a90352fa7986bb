// The server browser, on the local network or at the address typed in the
// address entry: the servers that answered a search, one line each
// ("%-50s  %02d/%02d": name, players, limit), walked with Up and Down
// (wrapping). Every visit starts a fresh session, so servers that stopped
// answering are not listed again: its first frame says it is searching and
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
    };

    // Asks the address `addressEntry` holds, or with none searches the local
    // network; the game is joined with `options`' ship and name.
    CServerBrowser(CClientContext& context, const COptionsMenu& options, const CAddressEntry* addressEntry);

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
    void FillServerList();
    // Carriage return with servers listed: the game's ship, name and server.
    ScreenId JoinSelected();
    // Null when nothing is listed.
    const Entry* SelectedEntry() const;
    // The header, the rule under it and one line per entry.
    void DrawList(float hh) const;
    static void DrawHeaderRule(float y);

    const COptionsMenu& m_options;
    const CAddressEntry* m_addressEntry;
    int m_selected = 1;
    bool m_searching = false;
    // Counts the frames of a visit up to 2: only the first two differ.
    int m_frame = 0;
    std::vector<Entry> m_entries;
};
