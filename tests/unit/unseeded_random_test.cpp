// A process that never seeded the random source starts from state 1.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "content/saver_random.h"

TEST(UnseededRandom, StartsFromStateOne) {
    EXPECT_EQ(SaverRandom::next(), 41);
    EXPECT_EQ(SaverRandom::next(), 18467);
    EXPECT_EQ(SaverRandom::next(), 6334);
}
