#include "platform/VideoModes.h"

#include <gtest/gtest.h>

using platform::NormaliseMode;
using platform::RawVideoMode;
using platform::VideoMode;

TEST(VideoModes, TrueColourCountsAsThirtyTwoBits)
{
    // An X server's 24-bit depth: 8 bits per channel, reported as 24 bpp.
    EXPECT_EQ(NormaliseMode(RawVideoMode{1024, 768, 24, 8, 60}), (VideoMode{1024, 768, 32, 60}));
    EXPECT_EQ(NormaliseMode(RawVideoMode{1280, 1024, 32, 8, 60}), (VideoMode{1280, 1024, 32, 60}));
}

TEST(VideoModes, OtherDepthsAreKept)
{
    // 565: the largest channel has 6 bits.
    EXPECT_EQ(NormaliseMode(RawVideoMode{1024, 768, 16, 6, 60}).depth, 16);
    // 555 and deep colour are not the game's 32 bits either.
    EXPECT_EQ(NormaliseMode(RawVideoMode{1024, 768, 15, 5, 60}).depth, 15);
    EXPECT_EQ(NormaliseMode(RawVideoMode{1024, 768, 30, 10, 60}).depth, 30);
    // An unknown pixel layout keeps what the system said.
    EXPECT_EQ(NormaliseMode(RawVideoMode{1024, 768, 8, 0, 60}).depth, 8);
}

TEST(VideoModes, UnknownRefreshCountsAsSixtyOthersAreKept)
{
    EXPECT_EQ(NormaliseMode(RawVideoMode{1024, 768, 24, 8, 0}), (VideoMode{1024, 768, 32, 60}));
    EXPECT_EQ(NormaliseMode(RawVideoMode{1024, 768, 24, 8, 75}).refresh, 75);
    EXPECT_EQ(NormaliseMode(RawVideoMode{1600, 1200, 16, 6, 59}), (VideoMode{1600, 1200, 16, 59}));
}
