// The server browser: the servers that answered a search, one line each
// ("%-50s  %02d/%02d": name, players, limit), walked with Up and Down
// (wrapping). While the first frame's search runs it says so; an empty list
// afterwards says "No Servers Found...".
#pragma once

#include "client/menus/MenuScreen.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CServerBrowser : public CMenuScreen
{
public:
    struct Entry
    {
        std::string name;
        int32_t limit = 0;
        int32_t count = 0;
    };

    static CServerBrowser& Get();

    bool LoadTextures() override;

    void Clear();
    void SetSearching(bool searching) { m_searching = searching; }
    bool IsSearching() const { return m_searching; }
    void AddServer(const char* name, int32_t limit, int32_t count);
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
    // The header, the rule under it and one line per entry.
    void DrawList(float hh) const;
    static void DrawHeaderRule(float y);

    int m_selected = 1;
    bool m_searching = false;
    std::vector<Entry> m_entries;
};
