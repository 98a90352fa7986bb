#include "net/MapName.h"

#include "platform/Files.h"

#include <algorithm>

namespace map_name
{

bool IsPlain(const std::string& name)
{
    if (name.empty() || name.size() > kMaxLength || name.find("..") != std::string::npos)
        return false;
    return std::none_of(name.begin(), name.end(),
                        [](char c) {
                            return c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 32 ||
                                   c == 127;
                        });
}

std::string InMapsFolder(const std::string& fileName)
{
    return std::string(platform::kMapsFolder) + "\\" + fileName;
}

std::string MapPath(const std::string& name)
{
    return InMapsFolder(name + ".smp");
}

} // namespace map_name
