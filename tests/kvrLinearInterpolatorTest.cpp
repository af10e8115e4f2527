#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kvrLinearInterpolator.h"

using namespace Kalvora;

namespace {

const unsigned short kXs[] = {0, 512, 1023};
const unsigned char kYs[] = {0, 128, 255};

}  // namespace

TEST(LinearInterpolator, InterpolatesBetweenScaledKnots) {
  LinearInterpolator f(kXs, kYs, 1023, 255, 3);
  EXPECT_DOUBLE_EQ(f.transform(0.25), (0.25 * 1023 / 512) * 128 / 255);
  EXPECT_DOUBLE_EQ(f.transform(0.0), 0.0);
  EXPECT_DOUBLE_EQ(f.transform(512.0 / 1023), 128.0 / 255);
  EXPECT_DOUBLE_EQ(f.transform(0.75), ((0.75 - 512.0 / 1023) * 127 / (511.0 / 1023) + 128) / 255);
  EXPECT_DOUBLE_EQ(f.transform(1.0), 1.0);
}

TEST(LinearInterpolator, HoldsTheEndValuesOutsideTheKnots) {
  LinearInterpolator f(kXs, kYs, 1023, 255, 3);
  EXPECT_EQ(f.transform(2.0), 1.0);
  EXPECT_EQ(f.transform(-0.1), 0.0);
  EXPECT_EQ(f.transform(std::numeric_limits<double>::quiet_NaN()), 1.0);
}

TEST(LinearInterpolator, InteriorKnotBelongsToTheLeftInterval) {
  // A step at x = 512: the left interval ends at 100, the right one starts at 200.
  const unsigned short xs[] = {0, 512, 512, 1023};
  const unsigned char ys[] = {0, 100, 200, 255};
  LinearInterpolator f(xs, ys, 1023, 255, 4);
  EXPECT_DOUBLE_EQ(f.transform(512.0 / 1023), 100.0 / 255);
  EXPECT_GT(f.transform(513.0 / 1023), 200.0 / 255);
}

TEST(LinearInterpolator, ResultIsNotClamped) {
  LinearInterpolator f(kXs, kYs, 1023, 100, 3);
  EXPECT_DOUBLE_EQ(f.transform(1.0), 2.55);
}

TEST(LinearInterpolator, WithoutATableItIsTheIdentity) {
  EXPECT_EQ(LinearInterpolator(nullptr, kYs, 1023, 255, 3).transform(0.3), 0.3);
  EXPECT_EQ(LinearInterpolator(kXs, nullptr, 1023, 255, 3).transform(0.3), 0.3);
  EXPECT_EQ(LinearInterpolator(kXs, kYs, 1023, 255, 0).transform(0.3), 0.3);
}

TEST(LinearInterpolator, LeadingDuplicateKnotGivesItsValueNotNan) {
  const unsigned short xs[] = {0, 0, 1023};
  const unsigned char ys[] = {10, 20, 255};
  LinearInterpolator f(xs, ys, 1023, 255, 3);
  EXPECT_DOUBLE_EQ(f.transform(0.0), 10.0 / 255);
  EXPECT_FALSE(std::isnan(f.transform(0.0)));
}
