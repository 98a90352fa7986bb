// The display's mode list, mode changes and projection, against fake mode
// lists: the game's filter, and the Linux normalisation before it.
#include "client/GLDisplay.h"
#include "gfx/RecordingBackend.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
using platform::RawVideoMode;

// 16 bits is 5-6-5; 8 bits is a palette with no colour channels.
RawVideoMode Mode(int32_t width, int32_t height, int32_t bpp, int32_t refresh)
{
    return {width, height, bpp, bpp == 16 ? 6 : bpp == 8 ? 0 : 8, refresh};
}

CGLDisplay::ModeSource Modes(std::vector<RawVideoMode> modes)
{
    return [modes] { return modes; };
}

std::vector<platform::VideoMode> Listed(CGLDisplay& display)
{
    display.EnumerateModes();
    std::vector<platform::VideoMode> listed;
    for (int i = 0; i < display.GetModeCount(); ++i)
        listed.push_back({display.GetModeWidth(i), display.GetModeHeight(i), display.GetModeDepth(i),
                          display.GetModeRefresh(i)});
    return listed;
}
} // namespace

TEST(DisplayModes, OnlyTheOfferedSizesAtSixtyHertzAfterTheLinuxModesAreNormalised)
{
    // An X server's 24-bit true colour at an unknown refresh rate (Xvfb)
    // counts as 32 bits at 60 Hz.
    CGLDisplay display(Modes({Mode(800, 600, 32, 60), Mode(1024, 768, 16, 75), Mode(1024, 768, 32, 60),
                              Mode(1024, 768, 32, 75), Mode(1024, 768, 16, 60), Mode(1280, 800, 32, 60),
                              Mode(1600, 1200, 24, 0), Mode(1024, 768, 32, 60), Mode(1152, 864, 8, 60),
                              Mode(1152, 864, 16, 0)}));
    EXPECT_EQ(Listed(display), (std::vector<platform::VideoMode>{{1024, 768, 32, 60},
                                                                 {1024, 768, 16, 60},
                                                                 {1600, 1200, 32, 60},
                                                                 {1024, 768, 32, 60},
                                                                 {1152, 864, 16, 60}}))
        << "system order, duplicates kept";
    EXPECT_TRUE(display.ChangeMode(1600, 1200, 32, 60));
    EXPECT_EQ(display.GetModeWidth(-1), 0);
    EXPECT_EQ(display.GetModeWidth(display.GetModeCount()), 0);
    EXPECT_EQ(display.GetModeRefresh(99), 0);

    display.SetModeSource(Modes(std::vector<RawVideoMode>(51, Mode(1280, 1024, 32, 60))));
    EXPECT_EQ(Listed(display).size(), 50u) << "at most fifty";
    display.SetModeSource(Modes({}));
    EXPECT_TRUE(Listed(display).empty()) << "enumerating again starts from nothing";
}

TEST(DisplayModes, AFailedChangeKeepsTheModeInForce)
{
    CGLDisplay display(Modes({Mode(1280, 1024, 32, 60), Mode(1024, 768, 32, 60)}));
    ASSERT_TRUE(display.ChangeMode(1280, 1024, 32, 60));
    EXPECT_FALSE(display.ChangeMode(1600, 1200, 32, 60)) << "not offered";
    EXPECT_FALSE(display.ChangeMode(1024, 768, 32, 75)) << "wrong refresh";
    EXPECT_EQ(std::make_pair(display.GetWidth(), display.GetHeight()), std::make_pair(1280, 1024));
    display.SetWindowed(true);
    EXPECT_TRUE(display.ChangeMode(1600, 1200, 32, 60)) << "a window of any size";
    EXPECT_FALSE(display.ChangeMode(0, 0, 0, 0)) << "saved zeros";
    EXPECT_EQ(display.GetWidth(), 1600);
}

TEST(DisplayModes, ProjectionHalfExtents)
{
    CRecordingBackend backend;
    SetRenderBackend(&backend);
    CGLDisplay display(Modes({}));
    const float cases[][4] = {{800, 0, 400, 300}, {0, 0, 512, 384}, {0, 600, 400, 300}, {640, 480, 320, 240}};
    for (const auto& [width, height, hw, hh] : cases)
    {
        EXPECT_TRUE(display.SetProjection(width, height));
        const CRecordingBackend::Projection& p = backend.LastProjection();
        EXPECT_EQ(std::vector<double>({p.left, p.right, p.bottom, p.top, p.nearZ, p.farZ}),
                  std::vector<double>({-hw, hw, -hh, hh, -100, 100}))
            << width << "x" << height;
    }
    backend.SetPendingError(1282);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(display.SetProjection(0, 0));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "OpenGL Error: recorded error 1282\n");
    SetRenderBackend(nullptr);
}
