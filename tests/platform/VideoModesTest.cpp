// SDL's modes described the Linux way, as the game expects them: an X
// server's 24-bit true colour counts as 32 bits, and an unknown refresh as 60.
#include "platform/VideoModes.h"

#include <gtest/gtest.h>

using platform::NormaliseMode;
using platform::RawVideoMode;
using platform::VideoMode;

TEST(VideoModes, TrueColourIsThirtyTwoBitsAndAnUnknownRefreshSixty)
{
    const std::pair<RawVideoMode, VideoMode> cases[] = {
        {{1024, 768, 24, 8, 60}, {1024, 768, 32, 60}}, // 8 bits a channel, reported as 24 bpp
        {{1280, 1024, 32, 8, 60}, {1280, 1024, 32, 60}},
        {{1024, 768, 16, 6, 60}, {1024, 768, 16, 60}}, // 565: the largest channel has 6 bits
        {{1024, 768, 15, 5, 60}, {1024, 768, 15, 60}}, // 555 and deep colour are not 32 bits either
        {{1024, 768, 30, 10, 60}, {1024, 768, 30, 60}},
        {{1024, 768, 8, 0, 60}, {1024, 768, 8, 60}}, // an unknown pixel layout keeps its depth
        {{1024, 768, 24, 8, 0}, {1024, 768, 32, 60}},
        {{1024, 768, 24, 8, 75}, {1024, 768, 32, 75}},
        {{1600, 1200, 16, 6, 59}, {1600, 1200, 16, 59}},
    };
    for (const auto& [raw, expected] : cases)
        EXPECT_EQ(NormaliseMode(raw), expected) << raw.bitsPerPixel << " bpp, " << raw.refresh << " Hz";
}
