#include "platform/VideoModes.h"

namespace platform
{
namespace
{
// True colour: the game calls it 32 bits whether or not the pixel carries
// padding or alpha in the system's description.
constexpr int32_t kTrueColourBitsPerChannel = 8;
constexpr int32_t kTrueColourDepth = 32;
// Virtual and some digital displays report no rate; the game only offers
// 60 Hz modes, which is what such a display runs at in practice.
constexpr int32_t kAssumedRefresh = 60;
} // namespace

VideoMode NormaliseMode(const RawVideoMode& raw)
{
    VideoMode mode{raw.width, raw.height, raw.bitsPerPixel, raw.refresh};
    if (raw.bitsPerChannel == kTrueColourBitsPerChannel)
        mode.depth = kTrueColourDepth;
    if (raw.refresh == 0)
        mode.refresh = kAssumedRefresh;
    return mode;
}

} // namespace platform
