// Builds small map files for tests from rows of characters: '.' empty,
// '#' wall, '/' '\\' diagonal walls ('/' = code 2, '\\' = code 3), 'F' fuel
// block, digits '7' spawn point, '8' powerup spawner, '9' turret up, 'L'
// turret left, 'D' turret down, 'R' turret right. Row 0 is the top (y = 0).
#pragma once

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

} // namespace testing_support
