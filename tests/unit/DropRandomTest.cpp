#include <gtest/gtest.h>

#include "water/DropRandom.h"

TEST(DropRandom, CheckValuesAfterSeedOne)
{
    DropRandom::Seed(1);
    EXPECT_EQ(41, DropRandom::Next());
    EXPECT_EQ(18467, DropRandom::Next());
}

TEST(DropRandom, CheckValuesAfterSeed102)
{
    DropRandom::Seed(102);
    EXPECT_EQ(371, DropRandom::Next());
    EXPECT_EQ(22713, DropRandom::Next());
    EXPECT_EQ(8375, DropRandom::Next());
    EXPECT_EQ(32063, DropRandom::Next());
}
