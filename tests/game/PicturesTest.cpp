// Every object's pictures: the files it asks the texture cache for (the
// shipped ones in data/Graphics, so each must load), and the one it draws
// for its state.
#include "game/Map.h"
#include "game/Powerup.h"
#include "game/Projectiles.h"
#include "game/Turret.h"
#include "gfx/Graphics.h"
#include "gfx/RecordingBackend.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Names = std::vector<std::string>;

class Pictures : public ::testing::Test
{
protected:
    Pictures()
    {
        SetRenderBackend(&backend);
        GetGraphics().GetTextureManager().Clear();
    }
    ~Pictures() override
    {
        GetGraphics().GetTextureManager().Clear();
        SetRenderBackend(nullptr);
    }

    // The names of the object's textures, each of which must have loaded.
    Names Loaded(CGameObject& object)
    {
        EXPECT_TRUE(object.LoadTextures());
        Names names;
        for (int32_t i = 0; i < object.GetTextureCount(); ++i)
        {
            names.push_back(object.GetTexture(size_t(i))->GetName());
            EXPECT_NE(object.GetTexture(size_t(i))->GetGLName(), 0u) << names.back() << " did not load";
        }
        return names;
    }

    // Which of its textures the object draws its two triangles with; -1 for
    // no drawing at all.
    int Drawn(CGameObject& object)
    {
        backend.ClearFrame();
        object.Draw(0, 0);
        if (backend.Triangles().empty())
            return -1;
        EXPECT_EQ(backend.Triangles().size(), 2u);
        for (int32_t i = 0; i < object.GetTextureCount(); ++i)
            if (object.GetTexture(size_t(i))->GetGLName() == backend.Triangles()[0].state.texture)
                return i;
        return -2;
    }

    CRecordingBackend backend;
};

const std::pair<int32_t, std::string> kFacings[] = {
    {FACING_UP, "up"}, {FACING_RIGHT, "right"}, {FACING_DOWN, "down"}, {FACING_LEFT, "left"}};
} // namespace

TEST_F(Pictures, EachObjectAsksForItsOwnFiles)
{
    CMissile missile;
    CMine mine;
    CPlasmaMine plasma;
    CBullet bullet;
    CShrapnel shrapnel;
    EXPECT_EQ(Loaded(missile), Names{"missile.tga"});
    EXPECT_EQ(Loaded(mine), Names{"mine.tga"});
    EXPECT_EQ(Loaded(plasma), Names{"plasmamine.tga"}) << "not the plain mine's picture as well";
    EXPECT_EQ(Loaded(bullet), Names{}) << "bullets are plain points";
    EXPECT_EQ(Loaded(shrapnel), (Names{"shrapnel1.tga", "shrapnel2.tga"}));
    for (const auto& [facing, direction] : kFacings)
    {
        CTurret turret;
        turret.SetFacing(facing);
        EXPECT_EQ(Loaded(turret),
                  (Names{"turret_ok_" + direction + ".tga", "turret_dead_" + direction + ".tga"}));
    }
    CPowerup powerup;
    Names types;
    for (int32_t type = 0; type < CPowerup::kTypes; ++type)
        types.push_back(CPowerup::TextureName(type));
    EXPECT_EQ(Loaded(powerup), types);
    CMap map;
    EXPECT_EQ(Loaded(map), (Names{"FuelBlock.tga", "turret_ok_up.tga", "turret_dead_up.tga",
                                  "turret_ok_left.tga", "turret_dead_left.tga", "turret_ok_down.tga",
                                  "turret_dead_down.tga", "turret_ok_right.tga", "turret_dead_right.tga"}));
    backend.SetPendingError(0x0505);
    EXPECT_FALSE(map.LoadTextures()) << "a pending library error fails the load";
}

// A turret draws its alive picture in play and its dead one while it waits;
// shrapnel its shape's; a powerup its type's, and only in play.
TEST_F(Pictures, ObjectsDrawThePictureOfTheirState)
{
    for (const auto& [facing, direction] : kFacings)
    {
        CTurret turret;
        turret.SetFacing(facing);
        turret.LoadTextures();
        turret.ForceRespawn(0, 0);
        EXPECT_EQ(Drawn(turret), 0) << direction;
        turret.Kill();
        EXPECT_EQ(Drawn(turret), 1) << direction;
    }
    CShrapnel shrapnel;
    shrapnel.SetShape(1);
    shrapnel.LoadTextures();
    shrapnel.ForceRespawn(0, 0);
    EXPECT_EQ(Drawn(shrapnel), 1);
    CPowerup powerup;
    powerup.LoadTextures();
    powerup.ForceRespawn(0, 0);
    for (int32_t type : {POWERUP_MISSILES, POWERUP_CLOAK})
    {
        powerup.SetType(type);
        EXPECT_EQ(Drawn(powerup), type);
    }
    powerup.Kill();
    EXPECT_EQ(Drawn(powerup), -1);
}
