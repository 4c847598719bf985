#include "platform/rtl/random.h"

#include <gtest/gtest.h>

#include <vector>

using namespace rtl;

TEST(Random, FixedSeedRepeatsTheSequence) {
  SetRandSeed(42);
  std::vector<double> first;
  for (int i = 0; i < 5; ++i) first.push_back(Random());
  SetRandSeed(42);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Random(), first[i]);
}

TEST(Random, StaysInRange) {
  SetRandSeed(7);
  bool sawLow = false, sawHigh = false;
  for (int i = 0; i < 10000; ++i) {
    double d = Random();
    ASSERT_GE(d, 0.0);
    ASSERT_LT(d, 1.0);
    int32_t n = Random(10);
    ASSERT_GE(n, 0);
    ASSERT_LT(n, 10);
    sawLow |= n == 0;
    sawHigh |= n == 9;
  }
  EXPECT_TRUE(sawLow && sawHigh);
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-5), 0);
  Randomize();
  EXPECT_LT(Random(), 1.0);
}
