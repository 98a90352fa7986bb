// Files as the game names them. The game writes paths with backslashes and
// expects names to match without regard to case ("XShip.tga" and "Xship.tga"
// are one file), and it reads its data from folders named "Maps" and
// "Graphics". This unit maps such paths onto the native file system and
// decides where the data folders are.
//
// Data lookup, the first that applies wins:
//  1. the folder named by the QUORVEX_DATA environment variable, when set;
//  2. the current folder, when it holds "Maps" or "Graphics";
//  3. the installed data folder beside the program, <program's folder>/
//     ../share/quorvex (the install layout fixes the relative path), when it
//     holds "Maps" or "Graphics";
//  4. the folder the build was configured with (QUORVEX_DATA_DIR, by default
//     the source tree's data/).
// The installed folder is found from the program's own location, so a prefix
// that is moved or unpacked elsewhere keeps working, and it comes before the
// configured folder so that an installed copy uses the data installed with it
// even while the source tree it was built from still exists. A program run
// from the build folder has no share/quorvex beside it and uses the source
// tree's data.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform
{

// The data folder of the maps, as game paths name it ("Maps\\Caves.smp").
constexpr const char* kMapsFolder = "Maps";
// The data folder of the pictures and the font.
constexpr const char* kGraphicsFolder = "Graphics";
// The data folder of the sound effects.
constexpr const char* kSoundsFolder = "Sounds";

// Compares ASCII strings without regard to case: <0, 0 or >0.
int CompareNoCase(std::string_view a, std::string_view b);

// Backslashes become '/', and every component that does not exist exactly as
// written is matched case-insensitively against the entries of its folder.
// Components that match nothing are kept as written (the file may be about to
// be created). Relative paths stay relative to the current folder.
std::string NativePath(std::string_view gamePath);

// The folder that relative data paths resolve against (see above).
std::string DataRoot();

// DataRoot() as it would be for a program at `programPath` (an empty path
// skips the installed folder).
std::string DataRootFor(const std::string& programPath);

// The path of the running program, empty when the system cannot tell.
std::string ProgramPath();

// NativePath of a data path: relative paths resolve under DataRoot().
std::string DataPath(std::string_view gamePath);

// True when `nativePath` names an existing regular file.
bool FileExists(const std::string& nativePath);

// Names of the regular files in `nativeFolder` whose names end with `suffix`
// (compared without case), sorted case-insensitively. An unreadable or missing
// folder gives an empty list.
std::vector<std::string> ListFiles(const std::string& nativeFolder, std::string_view suffix);

} // namespace platform
