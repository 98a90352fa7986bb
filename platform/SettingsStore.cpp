#include "platform/SettingsStore.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform
{
namespace
{

constexpr std::string_view kSoftwarePrefix = "Software\\";

// New folders are private to the user: the store stands in for the user's
// own part of the registry, which other users cannot read either, and the
// value files themselves are made 0600 by mkstemp.
constexpr mode_t kFolderMode = 0700;

// Closes a descriptor when it goes out of scope.
class CFileDescriptor
{
public:
    explicit CFileDescriptor(int fd) : m_fd(fd) {}
    ~CFileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;

    int Get() const { return m_fd; }
    // Closes now, reporting the error a late write-back may only show here.
    bool Close()
    {
        int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
    {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    }
    return true;
}

// A single folder or file name that cannot climb out of, or reach past, the
// folder it is placed in.
bool IsSafeName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

// "$XDG_CONFIG_HOME", or "$HOME/.config". The base directory rules say a
// relative XDG_CONFIG_HOME is invalid and must be ignored.
std::string ConfigHome()
{
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        return xdg;
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.config";
    return {};
}

// The key path below "Software\" as a relative folder path; empty when a
// component is unusable.
std::string RelativeKeyFolder(std::string_view keyPath)
{
    if (StartsWithNoCase(keyPath, kSoftwarePrefix))
        keyPath.remove_prefix(kSoftwarePrefix.size());
    std::string relative;
    while (true)
    {
        size_t separator = keyPath.find('\\');
        std::string_view component = keyPath.substr(0, separator);
        if (!IsSafeName(component))
            return {};
        relative += relative.empty() ? "" : "/";
        relative += component;
        if (separator == std::string_view::npos)
            return relative;
        keyPath.remove_prefix(separator + 1);
    }
}

bool IsDirectory(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Makes `folder` and every missing folder above it.
bool MakeFolders(const std::string& folder)
{
    for (size_t end = folder.find('/', 1);; end = folder.find('/', end + 1))
    {
        std::string prefix = folder.substr(0, end);
        if (::mkdir(prefix.c_str(), kFolderMode) != 0 && errno != EEXIST)
            return false;
        if (end == std::string::npos)
            return IsDirectory(folder);
    }
}

// Writes every byte, carrying on after short writes and interruptions.
bool WriteAll(int fd, const unsigned char* data, size_t size)
{
    while (size > 0)
    {
        ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Reads until end of file or until `size` bytes have arrived; the count read,
// or nullopt on an error.
std::optional<size_t> ReadUpTo(int fd, unsigned char* data, size_t size)
{
    size_t total = 0;
    while (total < size)
    {
        ssize_t got = ::read(fd, data + total, size - total);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        total += static_cast<size_t>(got);
    }
    return total;
}

// Writes `data` to a fresh temporary file, flushed to the disk; its path, or
// empty (with nothing left behind) on any failure.
std::string WriteTemporary(const std::string& folder, const char* name, const void* data, size_t size)
{
    std::string path = folder + "/." + name + ".tmp-XXXXXX";
    CFileDescriptor file(::mkostemp(path.data(), O_CLOEXEC));
    if (file.Get() < 0)
        return {};
    bool written =
        WriteAll(file.Get(), static_cast<const unsigned char*>(data), size) && ::fsync(file.Get()) == 0;
    if (file.Close() && written)
        return path;
    ::unlink(path.c_str());
    return {};
}

// Makes a finished rename survive a crash; a failure here loses nothing that
// a later save would not write again, so it is not reported.
void SyncFolder(const std::string& folder)
{
    CFileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0)
        ::fsync(dir.Get());
}

} // namespace

std::string SettingsFolder(std::string_view keyPath)
{
    std::string base = ConfigHome();
    std::string relative = RelativeKeyFolder(keyPath);
    if (base.empty() || relative.empty())
        return {};
    return base + "/" + relative;
}

std::optional<CSettingsKey> CSettingsKey::OpenForReading(std::string_view keyPath)
{
    std::string folder = SettingsFolder(keyPath);
    if (folder.empty() || !IsDirectory(folder))
        return std::nullopt;
    return CSettingsKey(std::move(folder), false);
}

std::optional<CSettingsKey> CSettingsKey::Create(std::string_view keyPath)
{
    std::string folder = SettingsFolder(keyPath);
    if (folder.empty() || !MakeFolders(folder))
        return std::nullopt;
    return CSettingsKey(std::move(folder), true);
}

bool CSettingsKey::QueryValue(const char* name, void* buffer, size_t capacity, size_t& size) const
{
    if (!name || !IsSafeName(name) || (!buffer && capacity > 0))
        return false;
    CFileDescriptor file(::open((m_folder + "/" + name).c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info;
    if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<unsigned long long>(info.st_size) > capacity)
        return false;
    // One byte more than the file held when asked, so a value that grew in
    // the meantime is seen as too long rather than cut short.
    std::vector<unsigned char> contents(static_cast<size_t>(info.st_size) + 1);
    std::optional<size_t> got = ReadUpTo(file.Get(), contents.data(), contents.size());
    if (!got || *got > capacity)
        return false;
    if (*got > 0)
        std::memcpy(buffer, contents.data(), *got);
    size = *got;
    return true;
}

bool CSettingsKey::SetValue(const char* name, const void* data, size_t size)
{
    if (!m_writable || !name || !IsSafeName(name) || (!data && size > 0))
        return false;
    std::string temporary = WriteTemporary(m_folder, name, data, size);
    if (temporary.empty())
        return false;
    if (::rename(temporary.c_str(), (m_folder + "/" + name).c_str()) != 0)
    {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(m_folder);
    return true;
}

} // namespace platform
