#include "net/MapRotation.h"

#include "net/MapName.h"
#include "platform/Files.h"

namespace
{
constexpr size_t kMaxFilePath = 1023;
// The longest map path a round is started with.
constexpr size_t kMaxMapPath = 127;

bool MapExists(const std::string& path)
{
    return platform::FileExists(platform::DataPath(path));
}
} // namespace

void CMapRotation::Add(const char* fileName)
{
    if (!fileName)
        return;
    std::string path = map_name::InMapsFolder(fileName).substr(0, kMaxFilePath);
    if (MapExists(path))
        m_maps.push_back(path);
}

std::string CMapRotation::Next()
{
    if (m_maps.empty())
        return {};
    if (m_cursor >= m_maps.size())
        m_cursor = 0;
    return m_maps[m_cursor++].substr(0, kMaxMapPath);
}

std::string CMapRotation::Resolve(const std::string& requestedName)
{
    if (map_name::IsPlain(requestedName))
    {
        std::string path = map_name::MapPath(requestedName).substr(0, kMaxMapPath);
        if (MapExists(path))
            return path;
    }
    return Next();
}
