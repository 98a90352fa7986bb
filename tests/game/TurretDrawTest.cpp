// A turret's pictures: each facing fetches its own alive and dead picture, and
// the turret draws the alive one in play and the dead one while it waits.
#include "game/Turret.h"

#include "gfx/Graphics.h"
#include "gfx/RecordingBackend.h"

#include <gtest/gtest.h>

#include <string>

TEST(TurretDraw, EachFacingDrawsItsAliveAndDeadPicture)
{
    CRecordingBackend recording;
    SetRenderBackend(&recording);
    GetGraphics().GetTextureManager().Clear();
    const struct
    {
        int32_t facing;
        const char* direction;
    } cases[] = {{FACING_UP, "up"}, {FACING_RIGHT, "right"}, {FACING_DOWN, "down"}, {FACING_LEFT, "left"}};
    for (const auto& c : cases)
    {
        CTurret turret;
        turret.SetFacing(c.facing);
        EXPECT_TRUE(turret.LoadTextures()) << c.direction;
        ASSERT_EQ(turret.GetTextureCount(), 2) << c.direction;
        EXPECT_EQ(turret.GetTexture(0)->GetName(), std::string("turret_ok_") + c.direction + ".tga");
        EXPECT_EQ(turret.GetTexture(1)->GetName(), std::string("turret_dead_") + c.direction + ".tga");
        ASSERT_NE(turret.GetTexture(0)->GetGLName(), turret.GetTexture(1)->GetGLName()) << "both load";

        turret.ForceRespawn(0, 0);
        recording.ClearFrame();
        turret.Draw(0, 0);
        ASSERT_EQ(recording.Triangles().size(), 2u) << c.direction;
        EXPECT_EQ(recording.Triangles()[0].state.texture, turret.GetTexture(0)->GetGLName()) << c.direction;

        turret.Kill();
        recording.ClearFrame();
        turret.Draw(0, 0);
        ASSERT_EQ(recording.Triangles().size(), 2u) << c.direction << ": drawn out of play too";
        EXPECT_EQ(recording.Triangles()[0].state.texture, turret.GetTexture(1)->GetGLName()) << c.direction;
    }
    GetGraphics().GetTextureManager().Clear();
    SetRenderBackend(nullptr);
}
