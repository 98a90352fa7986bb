// The display's mode list, mode changes and projection, against fake mode
// lists: the game's filter, and the Linux normalisation before it.
#include "client/GLDisplay.h"
#include "gfx/RecordingBackend.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
using platform::RawVideoMode;

RawVideoMode Mode(int32_t width, int32_t height, int32_t bpp, int32_t refresh)
{
    // 16 bits is 5-6-5; 8 bits is a palette with no colour channels.
    int32_t channel = bpp == 16 ? 6 : bpp == 8 ? 0 : 8;
    return {width, height, bpp, channel, refresh};
}

CGLDisplay::ModeSource Modes(std::vector<RawVideoMode> modes)
{
    return [modes] { return modes; };
}

std::vector<platform::VideoMode> Listed(const CGLDisplay& display)
{
    std::vector<platform::VideoMode> listed;
    for (int i = 0; i < display.GetModeCount(); ++i)
        listed.push_back({display.GetModeWidth(i), display.GetModeHeight(i), display.GetModeDepth(i),
                          display.GetModeRefresh(i)});
    return listed;
}
} // namespace

TEST(DisplayModes, OnlyTheOfferedSizesAtSixtyHertz)
{
    CGLDisplay display(Modes({Mode(800, 600, 32, 60), Mode(1024, 768, 16, 75), Mode(1024, 768, 32, 60),
                              Mode(1024, 768, 32, 75), Mode(1024, 768, 16, 60), Mode(1280, 800, 32, 60),
                              Mode(1600, 1200, 32, 60), Mode(1024, 768, 32, 60), Mode(1152, 864, 8, 60)}));
    display.EnumerateModes();
    std::vector<platform::VideoMode> expected = {
        {1024, 768, 32, 60}, {1024, 768, 16, 60}, {1600, 1200, 32, 60}, {1024, 768, 32, 60}};
    EXPECT_EQ(Listed(display), expected) << "system order, duplicates kept";

    EXPECT_EQ(display.GetModeWidth(-1), 0);
    EXPECT_EQ(display.GetModeWidth(display.GetModeCount()), 0);
    EXPECT_EQ(display.GetModeRefresh(99), 0);
}

TEST(DisplayModes, LinuxModesAreNormalisedBeforeTheFilter)
{
    // An X server's 24-bit true colour at an unknown refresh rate (Xvfb).
    CGLDisplay display(Modes({{1024, 768, 24, 8, 0}, {1280, 1024, 24, 8, 60}, {1152, 864, 16, 6, 0}}));
    display.EnumerateModes();
    std::vector<platform::VideoMode> expected = {
        {1024, 768, 32, 60}, {1280, 1024, 32, 60}, {1152, 864, 16, 60}};
    EXPECT_EQ(Listed(display), expected);
    EXPECT_TRUE(display.ChangeMode(1024, 768, 32, 60));
}

TEST(DisplayModes, AtMostFiftyModes)
{
    std::vector<RawVideoMode> many(51, Mode(1280, 1024, 32, 60));
    CGLDisplay display(Modes(many));
    display.EnumerateModes();
    EXPECT_EQ(display.GetModeCount(), 50);
    display.SetModeSource(Modes({}));
    display.EnumerateModes();
    EXPECT_EQ(display.GetModeCount(), 0) << "enumerating again starts from nothing";
}

TEST(DisplayModes, AFailedChangeKeepsTheModeInForce)
{
    CGLDisplay display(Modes({Mode(1280, 1024, 32, 60), Mode(1024, 768, 32, 60)}));
    ASSERT_TRUE(display.ChangeMode(1280, 1024, 32, 60));
    EXPECT_FALSE(display.ChangeMode(1600, 1200, 32, 60)) << "not offered";
    EXPECT_FALSE(display.ChangeMode(1024, 768, 32, 75)) << "wrong refresh";
    EXPECT_EQ(display.GetWidth(), 1280);
    EXPECT_EQ(display.GetHeight(), 1024);

    display.SetWindowed(true);
    EXPECT_TRUE(display.ChangeMode(1600, 1200, 32, 60)) << "a window of any size";
    EXPECT_EQ(display.GetWidth(), 1600);
    EXPECT_FALSE(display.ChangeMode(0, 0, 0, 0)) << "saved zeros";
    EXPECT_EQ(display.GetWidth(), 1600);
}

TEST(DisplayModes, ProjectionHalfExtents)
{
    CRecordingBackend backend;
    SetRenderBackend(&backend);
    CGLDisplay display(Modes({}));
    struct Case
    {
        float width, height;
        double hw, hh;
    } cases[] = {{800, 0, 400, 300}, {0, 0, 512, 384}, {0, 600, 400, 300}, {640, 480, 320, 240}};
    for (const Case& c : cases)
    {
        EXPECT_TRUE(display.SetProjection(c.width, c.height));
        const CRecordingBackend::Projection& p = backend.LastProjection();
        EXPECT_DOUBLE_EQ(p.right, c.hw) << c.width << "x" << c.height;
        EXPECT_DOUBLE_EQ(p.left, -c.hw);
        EXPECT_DOUBLE_EQ(p.top, c.hh);
        EXPECT_DOUBLE_EQ(p.bottom, -c.hh);
        EXPECT_DOUBLE_EQ(p.nearZ, -100);
        EXPECT_DOUBLE_EQ(p.farZ, 100);
    }
    backend.SetPendingError(1282);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(display.SetProjection(0, 0));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "OpenGL Error: recorded error 1282\n");
    SetRenderBackend(nullptr);
}
