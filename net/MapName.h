// Map names that come over the network name a file in the Maps folder. A
// name is used only when it is a plain file name that cannot leave that
// folder; anything else is treated as a map we do not have.
#pragma once

#include <cstddef>
#include <string>

namespace map_name
{

// The longest map name either side uses.
constexpr size_t kMaxLength = 127;

// Not empty, at most kMaxLength characters, no path separators, drive
// colons, "..", or control characters.
bool IsPlain(const std::string& name);

// The game path of a file in the maps folder: "Maps\\<fileName>".
std::string InMapsFolder(const std::string& fileName);

// The game path of a map: "Maps\\<name>.smp".
std::string MapPath(const std::string& name);

} // namespace map_name
