// The rotation's turn when maps leave it.
#include "server/session/MapRotation.h"

#include "tests/support/MapFile.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace
{
class MapRotationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"A", "B", "C"})
        {
            data.Write(std::string("Maps/") + name + ".smp", testing_support::MapFile({"."}, name).Bytes());
            rotation.Add((std::string(name) + ".smp").c_str());
        }
    }

    testing_support::TempDir data;
    testing_support::ScopedEnv dataFolder{"QUORVEX_DATA", data.Path().c_str()};
    CMapRotation rotation;
};
} // namespace

TEST_F(MapRotationTest, RemovingAMapKeepsTheTurnOfTheOthers)
{
    EXPECT_EQ(rotation.Next(), "Maps\\A.smp");
    EXPECT_EQ(rotation.Next(), "Maps\\B.smp");
    rotation.Remove("Maps\\A.smp");
    EXPECT_EQ(rotation.Next(), "Maps\\C.smp") << "an earlier map leaving does not skip one";
    rotation.Remove("Maps\\C.smp");
    EXPECT_EQ(rotation.Next(), "Maps\\B.smp") << "the last map leaving wraps the turn round";
    rotation.Remove("maps\\b.SMP");
    EXPECT_TRUE(rotation.IsEmpty()) << "a request's spelling finds the map";
    EXPECT_EQ(rotation.Next(), "");
}

TEST_F(MapRotationTest, RemovingAMapNotInTheRotationChangesNothing)
{
    rotation.Remove("Maps\\D.smp");
    rotation.Remove("");
    EXPECT_EQ(rotation.GetMaps(), (std::vector<std::string>{"Maps\\A.smp", "Maps\\B.smp", "Maps\\C.smp"}));
}
