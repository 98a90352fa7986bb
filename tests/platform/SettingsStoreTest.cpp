#include "platform/SettingsStore.h"

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using platform::CSettingsKey;
using testing_support::ReadFile;
using testing_support::ScopedEnv;
using testing_support::TempDir;

namespace
{
constexpr const char* kKey = "Software\\Tessaloon\\Quorvex\\Settings";

// A private configuration home for one test.
class SettingsStore : public ::testing::Test
{
protected:
    TempDir m_home;
    ScopedEnv m_xdg{"XDG_CONFIG_HOME", m_home.Path().c_str()};

    std::string KeyFolder() const { return m_home.Path() + "/Tessaloon/Quorvex/Settings"; }

    std::vector<std::string> FolderEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(KeyFolder()))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

// Runs `body` in a child process allowed to write files of at most
// `maxFileBytes` bytes; returns the child's exit status.
template <typename Body> int RunWithFileSizeLimit(rlim_t maxFileBytes, Body body)
{
    pid_t child = fork();
    if (child == 0)
    {
        std::signal(SIGXFSZ, SIG_IGN); // a too-big write then fails with EFBIG
        rlimit limit{maxFileBytes, maxFileBytes};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(2);
        _exit(body() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
} // namespace

TEST_F(SettingsStore, KeyPathMapsBelowTheConfigHome)
{
    EXPECT_EQ(platform::SettingsFolder(kKey), KeyFolder());
    EXPECT_EQ(platform::SettingsFolder("SOFTWARE\\Tessaloon\\Quorvex"), m_home.Path() + "/Tessaloon/Quorvex")
        << "the prefix ignores case";
    EXPECT_EQ(platform::SettingsFolder("Other\\Key"), m_home.Path() + "/Other/Key");
}

TEST_F(SettingsStore, UnsafeKeyPathsAreRefusedAndReadingCreatesNothing)
{
    for (const char* path :
         {"Software\\", "Software\\a\\\\b", "Software\\..\\x", "Software\\a\\.", "a/b", "", "Software\\a\\"})
    {
        EXPECT_EQ(platform::SettingsFolder(path), "") << path;
        EXPECT_FALSE(CSettingsKey::Create(path)) << path;
        EXPECT_FALSE(CSettingsKey::OpenForReading(path)) << path;
    }
    EXPECT_FALSE(CSettingsKey::OpenForReading(kKey)) << "a missing key";
    EXPECT_TRUE(std::filesystem::is_empty(m_home.Path())) << "reading creates nothing";
}

TEST(SettingsStoreHome, FallsBackToDotConfigInHome)
{
    ScopedEnv home("HOME", "/home/ace");
    // Unset, empty, or relative (which the XDG rules make invalid).
    for (const char* config : {static_cast<const char*>(nullptr), "", "relative/config"})
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", config);
        EXPECT_EQ(platform::SettingsFolder(kKey), "/home/ace/.config/Tessaloon/Quorvex/Settings")
            << (config ? config : "unset");
    }
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    ScopedEnv noHome("HOME", nullptr);
    EXPECT_EQ(platform::SettingsFolder(kKey), "");
    EXPECT_FALSE(CSettingsKey::OpenForReading(kKey));
}

TEST_F(SettingsStore, CreateMakesPrivateFoldersUnlessAFileIsInTheWay)
{
    ASSERT_TRUE(CSettingsKey::Create(kKey));
    struct stat info;
    ASSERT_EQ(stat(KeyFolder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(CSettingsKey::Create(kKey)) << "an existing key opens again";
    EXPECT_TRUE(CSettingsKey::OpenForReading(kKey));

    m_home.Write("Other/Quorvex", "not a folder");
    EXPECT_FALSE(CSettingsKey::Create("Software\\Other\\Quorvex\\Settings"));
    EXPECT_FALSE(CSettingsKey::Create("Software\\Other\\Quorvex"));
    EXPECT_FALSE(CSettingsKey::OpenForReading("Software\\Other\\Quorvex"));
}

TEST_F(SettingsStore, ValuesRoundTripAsRawBytesIntoBuffersLargeEnough)
{
    auto key = CSettingsKey::Create(kKey);
    ASSERT_TRUE(key);
    const unsigned char bytes[] = {5, 0, 0, 0x80, 0};
    ASSERT_TRUE(key->SetValue("ShipType", bytes, sizeof bytes));
    ASSERT_TRUE(key->SetValue("Empty", "", 0));
    ASSERT_TRUE(key->SetValue("PlayerName", "Ace", 3));
    ASSERT_TRUE(key->SetValue("PlayerName", "Bo", 2)) << "a value is replaced whole";
    EXPECT_EQ(ReadFile(KeyFolder() + "/PlayerName"), "Bo");

    auto reader = CSettingsKey::OpenForReading(kKey);
    ASSERT_TRUE(reader);
    unsigned char buffer[8] = {};
    size_t size = 99;
    ASSERT_TRUE(reader->QueryValue("ShipType", buffer, sizeof buffer, size));
    EXPECT_EQ(size, sizeof bytes);
    EXPECT_EQ(std::memcmp(buffer, bytes, sizeof bytes), 0);
    ASSERT_TRUE(reader->QueryValue("Empty", buffer, sizeof buffer, size));
    EXPECT_EQ(size, 0u);
    EXPECT_FALSE(reader->QueryValue("Missing", buffer, sizeof buffer, size));
    EXPECT_FALSE(reader->SetValue("PlayerName", "X", 1)) << "opened for reading only";
    EXPECT_EQ(ReadFile(KeyFolder() + "/PlayerName"), "Bo");
    EXPECT_EQ(FolderEntries().size(), 3u) << "no temporary file is left";

    char small[4] = {'a', 'b', 'c', 'd'};
    size = 7;
    EXPECT_FALSE(reader->QueryValue("PlayerName", small, 1, size)) << "larger than the buffer";
    EXPECT_EQ(std::string(small, 4), "abcd") << "buffer untouched";
    EXPECT_EQ(size, 7u);
    EXPECT_TRUE(reader->QueryValue("PlayerName", small, 2, size)) << "exactly the buffer";
    EXPECT_EQ(size, 2u);
}

// Names that would leave the key's folder are refused; a folder in place of
// a value reads as missing and cannot be replaced.
TEST_F(SettingsStore, UnsafeValueNamesAreRefusedAndFoldersAreNoValues)
{
    auto key = CSettingsKey::Create(kKey);
    ASSERT_TRUE(key);
    char buffer[4];
    size_t size = 0;
    for (const char* name : {"", ".", "..", "../escape", "a/b"})
    {
        EXPECT_FALSE(key->SetValue(name, "x", 1)) << name;
        EXPECT_FALSE(key->QueryValue(name, buffer, sizeof buffer, size)) << name;
    }
    EXPECT_FALSE(key->SetValue(nullptr, "x", 1));
    EXPECT_TRUE(FolderEntries().empty());
    EXPECT_FALSE(std::filesystem::exists(m_home.Path() + "/Tessaloon/Quorvex/escape"));

    std::filesystem::create_directory(KeyFolder() + "/ShipType");
    EXPECT_FALSE(key->QueryValue("ShipType", buffer, sizeof buffer, size));
    EXPECT_FALSE(key->SetValue("ShipType", "abcd", 4)) << "rename cannot replace a folder";
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"ShipType"}) << "no temporary file is left";
}

TEST_F(SettingsStore, FailedWriteKeepsTheOldValueAndLeavesNoTemporary)
{
    auto key = CSettingsKey::Create(kKey);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->SetValue("ShipType", "\x02\0\0\0", 4));

    int status = RunWithFileSizeLimit(2, [&] { return key->SetValue("ShipType", "\x05\0\0\0", 4); });
    EXPECT_EQ(status, 1) << "the write beyond the size limit must fail";

    EXPECT_EQ(ReadFile(KeyFolder() + "/ShipType"), std::string("\x02\0\0\0", 4));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"ShipType"});
}
