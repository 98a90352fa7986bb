// The user's settings store, in place of the registry the game was designed
// for. A key path such as "Software\Tessaloon\Quorvex\Settings" is a folder
// under $XDG_CONFIG_HOME ($HOME/.config when that is unset) mirroring the
// path after "Software\": here $XDG_CONFIG_HOME/Tessaloon/Quorvex/Settings/.
// Each value is one file named as the value, holding exactly its raw bytes.
//
// A value is written to a temporary file in the same folder and renamed into
// place, so a crash or a full disk leaves either the old value or the new
// one, never half of it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform
{

// The folder of a key path (see above); empty when neither XDG_CONFIG_HOME
// nor HOME is set.
std::string SettingsFolder(std::string_view keyPath);

class CSettingsKey
{
public:
    // Opens an existing key for reading; nullopt when its folder is missing.
    static std::optional<CSettingsKey> OpenForReading(std::string_view keyPath);
    // Opens a key for writing, creating its folders; nullopt when they
    // cannot be made.
    static std::optional<CSettingsKey> Create(std::string_view keyPath);

    // Reads a value of at most `capacity` bytes into `buffer`; `size` gets
    // its length. False (buffer untouched) when the value is missing,
    // unreadable or longer than `capacity`.
    bool QueryValue(const char* name, void* buffer, size_t capacity, size_t& size) const;
    // Replaces a value whole. False when the key was opened for reading or
    // the value could not be written; the old value then stays as it was and
    // no temporary file is left.
    bool SetValue(const char* name, const void* data, size_t size);

    const std::string& Folder() const { return m_folder; }

private:
    CSettingsKey(std::string folder, bool writable) : m_folder(std::move(folder)), m_writable(writable) {}

    std::string m_folder;
    bool m_writable = false;
};

} // namespace platform
