#include <gtest/gtest.h>

#include <cmath>

#include "kvrPfwlLut.h"

using namespace Kalvora;

namespace {

const double kGamma = 2.725;
const double kOffset = 0.097;

}  // namespace

TEST(PfwlLut, FollowsTheExactCurveInBothDirections) {
  const Pfwl exact(kGamma, kOffset);
  const PfwlLut lut(kGamma, kOffset, 4096);
  EXPECT_EQ(lut.getBreakPoint(), exact.getBreakPoint());
  EXPECT_EQ(lut.getLinearDivisor(), exact.getLinearDivisor());
  for (int i = 0; i <= 1000; ++i) {
    const double v = i / 1000.0;
    EXPECT_NEAR(lut.transform(v), exact.transform(v), 5e-5) << v;
    EXPECT_NEAR(lut.inverse(v), exact.inverse(v), 5e-5) << v;
  }
}

TEST(PfwlLut, ToeIsComputedNotTabulated) {
  const PfwlLut lut(kGamma, kOffset, 16);
  EXPECT_EQ(lut.transform(0.05), 0.05 / 12.007961436227765);
  EXPECT_EQ(lut.inverse(0.001), 0.001 * 12.007961436227765);
  EXPECT_EQ(lut.transform(-0.1), -0.1 / 12.007961436227765);
}

TEST(PfwlLut, TableEntriesAreSixteenBitCodesOfTheCurve) {
  const Pfwl exact(kGamma, kOffset);
  const PfwlLut lut(kGamma, kOffset, 17);
  const double start = exact.getBreakPoint();
  EXPECT_EQ(lut.transform(start), start / exact.getLinearDivisor());  // the toe's end
  for (int i = 1; i <= 16; ++i) {
    const double x = start + (i / 16.0) * (1.0 - start);
    const double code = std::floor(exact.transform(x) * 65535 + 0.5);
    EXPECT_NEAR(lut.transform(x) * 65535, code, 1e-6) << i;
  }
  EXPECT_EQ(lut.transform(1.0), 1.0);
  EXPECT_EQ(lut.inverse(1.0), 1.0);
}

TEST(PfwlLut, InputAboveOneReadsTheLastEntry) {
  const Pfwl exact(kGamma, kOffset);
  const PfwlLut lut(kGamma, kOffset, 256);
  EXPECT_EQ(lut.transform(1.5), lut.transform(1.0));
  EXPECT_EQ(lut.inverse(3.0), lut.inverse(1.0));
  EXPECT_GT(exact.transform(1.5), 1.5);
}

TEST(PfwlLut, SizeBelowTwoUsesTwoEntries) {
  const Pfwl exact(kGamma, kOffset);
  for (int size : {-3, 0, 1, 2}) {
    const PfwlLut lut(kGamma, kOffset, size);
    EXPECT_EQ(lut.getTableSize(), 2) << size;
    // Two entries: a straight line from the break point to white.
    const double start = exact.getBreakPoint();
    const double mid = start + 0.5 * (1.0 - start);
    const double first = std::floor(exact.transform(start) * 65535 + 0.5);
    EXPECT_NEAR(lut.transform(mid) * 65535, (first + 65535) / 2, 1e-6) << size;
    EXPECT_EQ(lut.transform(1.0), 1.0) << size;
    EXPECT_EQ(lut.inverse(1.0), 1.0) << size;
  }
}
