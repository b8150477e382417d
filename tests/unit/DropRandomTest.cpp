#include <gtest/gtest.h>

#include "water/DropRandom.h"

// The state's bits 16 to 30: 22713 and 8375 come from states whose bit 31 is set.
TEST(DropRandom, CheckValuesAfterSeedsOneAnd102)
{
    DropRandom::Seed(1);
    EXPECT_EQ(41, DropRandom::Next());
    EXPECT_EQ(18467, DropRandom::Next());
    DropRandom::Seed(102);
    EXPECT_EQ(371, DropRandom::Next());
    EXPECT_EQ(22713, DropRandom::Next());
    EXPECT_EQ(8375, DropRandom::Next());
    EXPECT_EQ(32063, DropRandom::Next());
}
