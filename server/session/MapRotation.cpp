#include "server/session/MapRotation.h"

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

void CMapRotation::Remove(const std::string& path)
{
    for (size_t i = 0; i < m_maps.size(); ++i)
    {
        // Next and Resolve hand out paths cut to kMaxMapPath, and a request
        // may spell the name in another case.
        if (platform::CompareNoCase(m_maps[i].substr(0, kMaxMapPath), path) != 0)
            continue;
        m_maps.erase(m_maps.begin() + static_cast<std::ptrdiff_t>(i));
        if (i < m_cursor)
            --m_cursor;
        return;
    }
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
