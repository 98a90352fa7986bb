// Files as the game names them. The game writes paths with backslashes and
// expects names to match without regard to case ("XShip.tga" and "Xship.tga"
// are one file), and it reads its data from folders named "Maps" and
// "Graphics". This unit maps such paths onto the native file system and
// decides where the data folders are.
//
// Data lookup: the QUORVEX_DATA environment variable names the data folder
// when set; otherwise the current folder is used when it holds "Maps" or
// "Graphics"; otherwise the folder the build was configured with.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform
{

// Compares ASCII strings without regard to case: <0, 0 or >0.
int CompareNoCase(std::string_view a, std::string_view b);

// Backslashes become '/', and every component that does not exist exactly as
// written is matched case-insensitively against the entries of its folder.
// Components that match nothing are kept as written (the file may be about to
// be created). Relative paths stay relative to the current folder.
std::string NativePath(std::string_view gamePath);

// The folder that relative data paths resolve against (see above).
std::string DataRoot();

// NativePath of a data path: relative paths resolve under DataRoot().
std::string DataPath(std::string_view gamePath);

// True when `nativePath` names an existing regular file.
bool FileExists(const std::string& nativePath);

// Names of the regular files in `nativeFolder` whose names end with `suffix`
// (compared without case), sorted case-insensitively. An unreadable or missing
// folder gives an empty list.
std::vector<std::string> ListFiles(const std::string& nativeFolder, std::string_view suffix);

} // namespace platform
