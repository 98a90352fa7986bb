// CMapRotation is the server's list of maps played in turn: the maps found at
// start-up, in the order they were added, with a cursor that wraps round. It
// also turns a player's map request into the path of the map to play next.
// Paths are game paths ("Maps\\Caves.smp").
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CMapRotation
{
public:
    // Adds "Maps\\<fileName>" when that file exists.
    void Add(const char* fileName);
    // Drops a map that cannot be played: the entry Next or Resolve gave as
    // `path`. The maps after it keep their turn.
    void Remove(const std::string& path);
    const std::vector<std::string>& GetMaps() const { return m_maps; }
    bool IsEmpty() const { return m_maps.empty(); }

    // The next map of the rotation, from the first again after the last;
    // empty when there are none.
    std::string Next();
    // "Maps\\<name>.smp" when the name is a plain file name whose map exists;
    // otherwise the next map of the rotation.
    std::string Resolve(const std::string& requestedName);

private:
    std::vector<std::string> m_maps;
    size_t m_cursor = 0;
};
