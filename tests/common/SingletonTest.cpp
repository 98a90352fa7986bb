#include "common/Singleton.h"

#include <gtest/gtest.h>

namespace
{
// A private constructor and destructor, as the game's singletons have.
class CCounter : public CSingleton<CCounter>
{
public:
    int value = 0;
    static int alive;

private:
    friend class CSingleton<CCounter>;
    CCounter() { ++alive; }
    ~CCounter() { --alive; }
};
int CCounter::alive = 0;
} // namespace

TEST(Singleton, OneInstanceUntilDestroyedThenAFreshOne)
{
    EXPECT_FALSE(CCounter::Exists());
    CCounter::Get().value = 7;
    EXPECT_EQ(&CCounter::Get(), &CCounter::Get());
    EXPECT_EQ(CCounter::Get().value, 7);
    EXPECT_EQ(CCounter::alive, 1);

    CCounter::Destroy();
    EXPECT_FALSE(CCounter::Exists());
    EXPECT_EQ(CCounter::alive, 0);
    CCounter::Destroy(); // a second Destroy is harmless
    EXPECT_EQ(CCounter::Get().value, 0);
    CCounter::Destroy();
}
