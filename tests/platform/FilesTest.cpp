#include "platform/Files.h"

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

using testing_support::ScopedEnv;
using testing_support::TempDir;

namespace
{
// Runs the test body with the current folder set to `dir`.
class ScopedChdir
{
public:
    explicit ScopedChdir(const std::string& dir) : m_old(std::filesystem::current_path())
    {
        std::filesystem::current_path(dir);
    }
    ~ScopedChdir() { std::filesystem::current_path(m_old); }

private:
    std::filesystem::path m_old;
};
} // namespace

// Names match and sort without regard to case, as on the game's own file
// system; missing names stay as written.
TEST(Files, BackslashPathsMatchNamesWithoutCaseAndListsSortWithoutIt)
{
    EXPECT_EQ(platform::CompareNoCase("XShip.tga", "Xship.TGA"), 0);
    EXPECT_LT(platform::CompareNoCase("abc", "ABD"), 0);
    EXPECT_LT(platform::CompareNoCase("ab", "abc"), 0);
    EXPECT_GT(platform::CompareNoCase("b", "A"), 0);

    TempDir dir;
    dir.Write("Graphics/XShip.tga", "x");
    for (const char* name : {"fear.smp", "Caves.SMP", "HCPlayground.smp", "notes.txt", "beta.smp"})
        dir.Write(name, "");
    std::filesystem::create_directory(dir.File("dir.smp"));
    EXPECT_EQ(platform::ListFiles(dir.Path(), ".smp"),
              (std::vector<std::string>{"beta.smp", "Caves.SMP", "fear.smp", "HCPlayground.smp"}));
    EXPECT_TRUE(platform::ListFiles(dir.File("missing"), ".smp").empty());
    EXPECT_EQ(platform::NativePath(dir.Path() + "\\graphics\\XSHIP.TGA"), dir.Path() + "/Graphics/XShip.tga");

    ScopedChdir cd(dir.Path());
    EXPECT_EQ(platform::NativePath("graphics\\Xship.tga"), "Graphics/XShip.tga");
    EXPECT_EQ(platform::NativePath("Graphics/XShip.tga"), "Graphics/XShip.tga");
    EXPECT_EQ(platform::NativePath("Graphics\\new.tga"), "Graphics/new.tga");
    EXPECT_EQ(platform::NativePath("nowhere\\Sub\\x"), "nowhere/Sub/x");
    EXPECT_TRUE(platform::FileExists(platform::NativePath("GRAPHICS\\XSHIP.TGA")));
    EXPECT_FALSE(platform::FileExists(platform::NativePath("Graphics")));
}

TEST(Files, DataRootPrefersEnvironmentThenCurrentFolderThenTheProgramsOwn)
{
    TempDir here;
    TempDir elsewhere;
    elsewhere.Write("Maps/a.smp", "");
    {
        ScopedEnv env("QUORVEX_DATA", elsewhere.Path().c_str());
        ScopedChdir cd(here.Path());
        EXPECT_EQ(platform::DataRoot(), elsewhere.Path());
        EXPECT_EQ(platform::DataPath("maps\\A.SMP"), elsewhere.Path() + "/Maps/a.smp");
    }
    {
        ScopedEnv env("QUORVEX_DATA", nullptr);
        here.Write("Graphics/Font2.tga", "");
        ScopedChdir cd(here.Path());
        EXPECT_EQ(platform::DataRoot(), ".");
        EXPECT_EQ(platform::DataPath("graphics\\font2.tga"), "Graphics/Font2.tga");
    }
    // Elsewhere, the program in the build folder finds the source tree's data.
    ScopedEnv env("QUORVEX_DATA", nullptr);
    TempDir empty;
    ScopedChdir cd(empty.Path());
    std::string program = platform::ProgramPath();
    EXPECT_TRUE(platform::FileExists(program)) << program;
    EXPECT_EQ(platform::DataRoot(), platform::DataRootFor(program));
    EXPECT_NE(platform::DataRoot(), ".");
    EXPECT_TRUE(platform::FileExists(platform::DataPath("Maps\\Caves.smp"))) << platform::DataRoot();
}

// An installed program finds share/quorvex beside its bin folder, wherever
// the prefix is or moves to, as long as it holds Maps or Graphics. That
// folder yields to QUORVEX_DATA and to data in the current folder, but beats
// the build folder the program was configured in.
TEST(Files, InstalledProgramFindsTheDataBesideItBelowEnvironmentAndCurrentFolder)
{
    TempDir root;
    root.Write("prefix/share/quorvex/Maps/Caves.smp", "");
    root.Write("pictures-only/share/quorvex/Graphics/Font2.tga", "");
    root.Write("bare/share/quorvex/readme.txt", "");
    std::string program = root.File("prefix/bin/QuorvexServer");
    TempDir current;
    current.Write("Maps/Fear.smp", "");
    TempDir empty;
    {
        ScopedEnv env("QUORVEX_DATA", current.Path().c_str());
        ScopedChdir cd(empty.Path());
        EXPECT_EQ(platform::DataRootFor(program), current.Path());
    }
    ScopedEnv env("QUORVEX_DATA", nullptr);
    {
        ScopedChdir cd(current.Path());
        EXPECT_EQ(platform::DataRootFor(program), ".");
    }
    ScopedChdir cd(empty.Path());
    std::string configured = platform::DataRootFor("");
    EXPECT_NE(configured, root.File("prefix/share/quorvex"));
    EXPECT_EQ(platform::DataRootFor(program), root.File("prefix/share/quorvex"));
    EXPECT_EQ(platform::DataRootFor(root.File("pictures-only/bin/QuorvexClient")),
              root.File("pictures-only/share/quorvex"));
    EXPECT_EQ(platform::DataRootFor(root.File("bare/bin/QuorvexServer")), configured)
        << "a share/quorvex without Maps or Graphics is not a data folder";
    EXPECT_EQ(platform::DataRootFor(root.File("build/QuorvexServer")), configured);

    std::filesystem::rename(root.File("prefix"), root.File("moved"));
    EXPECT_EQ(platform::DataRootFor(root.File("moved/bin/QuorvexServer")), root.File("moved/share/quorvex"))
        << "a moved prefix keeps working";
}
