// Builds small map files for tests from rows of characters: '.' empty,
// '#' wall, '/' '\\' diagonal walls ('/' = code 2, '\\' = code 3), 'F' fuel
// block, digits '7' spawn point, '8' powerup spawner, '9' turret up, 'L'
// turret left, 'D' turret down, 'R' turret right. Row 0 is the top (y = 0).
#pragma once

#include "tests/support/TempDir.h"

#include <string>
#include <vector>

namespace testing_support
{

class MapFile
{
public:
    explicit MapFile(std::vector<std::string> rows, std::string title = "Test Map");

    // A whole file, or one cut short inside its cells: the title and size
    // are there, the grid is not, so it does not load.
    enum class Ending
    {
        Whole,
        Truncated,
    };

    // The bytes of the map file.
    std::string Bytes(Ending ending = Ending::Whole) const;
    // Writes the file and returns its path.
    std::string WriteTo(const std::string& path, Ending ending = Ending::Whole) const;

private:
    std::vector<std::string> m_rows;
    std::string m_title;
};

// A walled 12 x 12 arena with no turrets and two spawn points in one column:
// the first ship to join spawns at the lower one (row 8), the second at the
// upper one (row 2), both facing down (+y) towards the wall rows at the
// bottom.
extern const std::vector<std::string> kTwoSpawnArena;

// Writes the first half of the file at `from` to `to`: a damaged copy of a
// real map. Returns `to`.
std::string WriteTruncatedCopy(const std::string& from, const std::string& to);

// A data folder holding only that arena, as "Maps/Arena.smp".
struct ArenaData
{
    ArenaData();
    TempDir folder;
};

} // namespace testing_support
