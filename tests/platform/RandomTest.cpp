// The game's random numbers: the classic generator's sequence and range, its
// seeding from the calendar, and streams of their own for the pilots.
#include "platform/Random.h"

#include "platform/Clock.h"

#include <gtest/gtest.h>

TEST(Random, ClassicSequenceFromSeedOneAndFromTheCalendar)
{
    platform::SeedRand(1);
    // The well-known first values of this generator with seed 1.
    for (int expected : {41, 18467, 6334, 26500})
        EXPECT_EQ(platform::Rand(), expected);

    platform::FakeClock clock(0, 777);
    platform::SeedRandFromTime();
    int fromTime = platform::Rand();
    platform::SeedRand(777);
    EXPECT_EQ(platform::Rand(), fromTime) << "seeded with the calendar seconds";
}

TEST(Random, AStreamOfItsOwnGivesTheSharedSequenceInRangeWhateverOthersDraw)
{
    platform::SeedRand(4242);
    int shared[200];
    for (int& value : shared)
    {
        value = platform::Rand();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, platform::kRandMax);
    }
    platform::RandomStream stream(4242);
    for (int value : shared)
    {
        platform::SeedRand(1); // others reseeding the shared generator
        platform::Rand();
        EXPECT_EQ(stream.Next(), value);
    }
    for (int i = 0; i < 1000; ++i)
    {
        float between = stream.Between(150.0f, 250.0f);
        ASSERT_GE(between, 150.0f);
        ASSERT_LE(between, 250.0f);
    }
}
