// A fresh folder under $TMPDIR (or /tmp), removed with everything in it when
// the object goes away.
#pragma once

#include <string>

namespace testing_support
{

class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    // Writes `contents` to the named file inside the folder and returns its path.
    std::string Write(const std::string& name, const std::string& contents) const;

private:
    std::string m_path;
};

std::string ReadFile(const std::string& path);

} // namespace testing_support
