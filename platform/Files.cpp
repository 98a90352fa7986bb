#include "platform/Files.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifndef QUORVEX_DATA_DIR
#define QUORVEX_DATA_DIR "data"
#endif
// The installed data folder relative to the installed programs' folder.
#ifndef QUORVEX_DATA_BESIDE_PROGRAM
#define QUORVEX_DATA_BESIDE_PROGRAM "../share/quorvex"
#endif

namespace fs = std::filesystem;

namespace platform
{
namespace
{

bool Exists(const fs::path& path)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

bool IsDirectory(const fs::path& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

// The entry of `folder` whose name equals `name` without regard to case;
// the first in case-insensitive order when several do. Empty when none.
std::string FindNoCase(const fs::path& folder, std::string_view name)
{
    std::error_code error;
    std::string best;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
    {
        std::string entry = it->path().filename().string();
        if (CompareNoCase(entry, name) == 0 && (best.empty() || entry < best))
            best = entry;
    }
    return best;
}

std::vector<std::string> SplitComponents(std::string_view path)
{
    std::vector<std::string> parts;
    std::string current;
    for (char c : path)
    {
        if (c == '/' || c == '\\')
        {
            if (!current.empty())
                parts.push_back(current);
            current.clear();
        }
        else
            current += c;
    }
    if (!current.empty())
        parts.push_back(current);
    return parts;
}

bool IsAbsolute(std::string_view path)
{
    return !path.empty() && (path[0] == '/' || path[0] == '\\');
}

// Resolves `relative` component by component below `base`.
std::string ResolveBelow(const std::string& base, std::string_view relative)
{
    fs::path resolved = base;
    bool matching = true;
    for (const std::string& part : SplitComponents(relative))
    {
        std::string chosen = part;
        if (matching && part != "." && part != ".." && !Exists(resolved / part))
        {
            std::string found = FindNoCase(resolved, part);
            if (found.empty())
                matching = false;
            else
                chosen = found;
        }
        resolved /= chosen;
    }
    return resolved.string();
}

// A data folder is one that holds the game's "Maps" or "Graphics" folder.
bool HoldsData(const std::string& folder)
{
    return IsDirectory(ResolveBelow(folder, kMapsFolder)) || IsDirectory(ResolveBelow(folder, kGraphicsFolder));
}

} // namespace

int CompareNoCase(std::string_view a, std::string_view b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
    {
        int ca = std::tolower(static_cast<unsigned char>(a[i]));
        int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca - cb;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

std::string NativePath(std::string_view gamePath)
{
    if (IsAbsolute(gamePath))
        return ResolveBelow("/", gamePath);
    std::string resolved = ResolveBelow(".", gamePath);
    // Keep relative results free of the "./" the walk started from.
    return resolved.size() > 2 ? resolved.substr(2) : resolved;
}

std::string ProgramPath()
{
    std::error_code error;
    fs::path path = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string DataRootFor(const std::string& programPath)
{
    if (const char* env = std::getenv("QUORVEX_DATA"); env && *env)
        return env;
    if (HoldsData("."))
        return ".";
    if (!programPath.empty())
    {
        std::string installed =
            (fs::path(programPath).parent_path() / QUORVEX_DATA_BESIDE_PROGRAM).lexically_normal().string();
        if (HoldsData(installed))
            return installed;
    }
    return QUORVEX_DATA_DIR;
}

std::string DataRoot()
{
    // The program does not move while it runs.
    static const std::string programPath = ProgramPath();
    return DataRootFor(programPath);
}

std::string DataPath(std::string_view gamePath)
{
    if (IsAbsolute(gamePath))
        return NativePath(gamePath);
    std::string root = DataRoot();
    if (root == ".")
        return NativePath(gamePath);
    return ResolveBelow(root, gamePath);
}

bool FileExists(const std::string& nativePath)
{
    std::error_code error;
    return fs::is_regular_file(nativePath, error);
}

std::vector<std::string> ListFiles(const std::string& nativeFolder, std::string_view suffix)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(nativeFolder, error), end; !error && it != end; it.increment(error))
    {
        std::string name = it->path().filename().string();
        bool matches = name.size() >= suffix.size() &&
                       CompareNoCase(std::string_view(name).substr(name.size() - suffix.size()), suffix) == 0;
        if (matches && FileExists(it->path().string()))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b)
              {
                  int order = CompareNoCase(a, b);
                  return order != 0 ? order < 0 : a < b;
              });
    return names;
}

} // namespace platform
