#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "kvrLut.h"
#include "kvrLutInverse.h"

using namespace Kalvora;

TEST(LutTest, InterpolatesLinearlyAndHoldsTheEnds) {
  const unsigned short table[3] = {0, 100, 200};
  Lut lut(table, 3, 200);
  EXPECT_DOUBLE_EQ(lut.transform(0.25), 0.25);
  EXPECT_DOUBLE_EQ(lut.transform(0.75), 0.75);
  EXPECT_DOUBLE_EQ(lut.transform(0.0), 0.0);
  EXPECT_DOUBLE_EQ(lut.transform(-1.0), 0.0);
  EXPECT_DOUBLE_EQ(lut.transform(1.0), 1.0);
  EXPECT_DOUBLE_EQ(lut.transform(2.0), 1.0);
  EXPECT_DOUBLE_EQ(lut.transform(std::nextafter(1.0, 0.0)), 1.0);
  EXPECT_DOUBLE_EQ(lut.transform(std::nan("")), 1.0);
  EXPECT_DOUBLE_EQ(lut.transform(-std::numeric_limits<double>::infinity()), 0.0);
}

TEST(LutTest, ReadsNonLinearTablesBetweenNeighbours) {
  const unsigned short table[5] = {0, 10, 40, 90, 160};
  Lut lut(table, 5, 160);
  EXPECT_DOUBLE_EQ(lut.transform(0.125), 5.0 / 160);
  EXPECT_DOUBLE_EQ(lut.transform(0.5), 40.0 / 160);
  EXPECT_DOUBLE_EQ(lut.transform(0.875), 125.0 / 160);
}

TEST(LutTest, CodesAboveTheMaximumAreNotClamped) {
  const unsigned short table[2] = {0, 1000};
  Lut lut(table, 2, 500);
  EXPECT_DOUBLE_EQ(lut.transform(1.0), 2.0);
  EXPECT_DOUBLE_EQ(lut.transform(0.5), 1.0);
}

TEST(LutTest, WithoutATableIsTheIdentity) {
  Lut lut;
  for (double x : {-0.5, 0.0, 0.3, 1.0, 7.0}) EXPECT_EQ(lut.transform(x), x);
  const unsigned short table[2] = {0, 10};
  lut.setTable(table, 2, 10);
  EXPECT_DOUBLE_EQ(lut.transform(0.3), 0.3 * 10 / 10);
  lut.setTable(nullptr, 2, 10);
  EXPECT_EQ(lut.transform(7.0), 7.0);
}

TEST(LutTest, TablesTooSmallToInterpolateAreReadSafely) {
  const unsigned short table[1] = {300};
  Lut single(table, 1, 600);
  for (double x : {-1.0, 0.0, 0.5, 1.0, 2.0}) EXPECT_DOUBLE_EQ(single.transform(x), 0.5);
  Lut empty(table, 0, 600);
  EXPECT_EQ(empty.transform(0.25), 0.25);
}

TEST(LutTest, SamplesBackIntoTheSameCodes) {
  unsigned short table[17];
  for (int i = 0; i < 17; ++i) table[i] = static_cast<unsigned short>(i * i * 16);
  Lut lut(table, 17, 4096);
  unsigned short resampled[17];
  lut.getTable(17, resampled, 4096);
  for (int i = 0; i < 17; ++i) EXPECT_EQ(resampled[i], std::min<int>(table[i], 4096)) << i;
}

TEST(LutInverseTest, ReadsEachDirectionFromItsOwnTable) {
  const unsigned short forward[3] = {0, 300, 1023};
  const unsigned short inverse[3] = {0, 700, 1023};
  LutInverse lut(forward, inverse, 3, 1023);
  EXPECT_DOUBLE_EQ(lut.transform(0.25), 150.0 / 1023);
  EXPECT_DOUBLE_EQ(lut.inverse(0.75), 861.5 / 1023);
  EXPECT_DOUBLE_EQ(lut.transform(-3.0), 0.0);
  EXPECT_DOUBLE_EQ(lut.inverse(1.5), 1.0);
  EXPECT_DOUBLE_EQ(lut.transform(0.5, inverse, 3, 1023.0), 700.0 / 1023);
  EXPECT_EQ(lut.transform(0.5, nullptr, 3, 1023.0), 0.5);
}

TEST(LutInverseTest, MissingTablesMakeTheirDirectionTheIdentity) {
  LutInverse none;
  EXPECT_EQ(none.transform(0.3), 0.3);
  EXPECT_EQ(none.inverse(0.7), 0.7);
  const unsigned short forward[2] = {0, 200};
  LutInverse half(forward, nullptr, 2, 100);
  EXPECT_DOUBLE_EQ(half.transform(0.5), 1.0);
  EXPECT_EQ(half.inverse(0.7), 0.7);
  half.setTable(nullptr, forward, 2, 100);
  EXPECT_EQ(half.transform(0.5), 0.5);
  EXPECT_DOUBLE_EQ(half.inverse(0.25), 0.5);
  // Through the invertible interface, as the inverse wrapper sees it.
  InverseLutFunc wrapper(half);
  EXPECT_DOUBLE_EQ(wrapper.transform(0.25), 0.5);
}
