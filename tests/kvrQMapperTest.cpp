#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "kvrQMapper.h"

using namespace Kalvora;

namespace {

// The 12-bit code of a 16-bit code, from the segment table.
double companded(double X) {
  if (X < 1024) return X;
  int k = 1;
  while (k < 6 && X >= 1024.0 * (1 << k)) ++k;
  const double start = 1024.0 * (1 << (k - 1));
  return 1024.0 + 512.0 * (k - 1) + (X - start) / (1 << k);
}

// The 16-bit code of a 12-bit code, from the segment table.
double expanded(double Y) {
  static const double base[7] = {0, 1024, 2049, 4099, 8199, 16399, 32799};
  if (Y < 1024) return Y;
  const int k = std::min(6, 1 + int((Y - 1024) / 512));
  return base[k] + (1 << k) * (Y - (1024.0 + 512.0 * (k - 1)));
}

}  // namespace

TEST(QMapper, SegmentStartsCompandExactly) {
  const QMapper q;
  EXPECT_EQ(q.transform(1024.0 / 65535), 1024.0 / 4095);
  EXPECT_EQ(q.transform(2048.0 / 65535), 1536.0 / 4095);
  for (int k = 1; k <= 6; ++k) {
    const double X = 1024.0 * (1 << (k - 1));
    EXPECT_EQ(q.transform(X / 65535), (1024.0 + 512.0 * (k - 1)) / 4095) << k;
  }
}

TEST(QMapper, ForwardFollowsTheSegmentTableForEveryCode) {
  const QMapper q;
  for (int X = 0; X < 65535; ++X)
    ASSERT_NEAR(q.transform(X / 65535.0) * 4095, companded(X), 1e-8) << X;
}

TEST(QMapper, ForwardPassesInputOutsideItsRange) {
  const QMapper q;
  EXPECT_EQ(q.transform(1.0), 1.0);
  EXPECT_EQ(q.transform(-0.1), -0.1);
  EXPECT_EQ(q.transform(1.5), 1.5);
  EXPECT_TRUE(std::isnan(q.transform(std::numeric_limits<double>::quiet_NaN())));
  // Just below 1.0 is still the last segment.
  EXPECT_NEAR(q.transform(65534.0 / 65535) * 4095, 3584 + 32766.0 / 64, 1e-8);
}

TEST(QMapper, InverseSegmentStartsLandMidBand) {
  const QMapper q;
  EXPECT_EQ(q.inverse(1536.0 / 4095), 2049.0 / 65535);
  EXPECT_EQ(q.inverse(1.0), (32799.0 + 64 * 511) / 65535);
  const double starts[7] = {0, 1024, 2049, 4099, 8199, 16399, 32799};
  for (int k = 1; k <= 6; ++k) {
    const double Y = 1024.0 + 512.0 * (k - 1);
    EXPECT_NEAR(q.inverse(Y / 4095) * 65535, starts[k], 1e-8) << k;
    // The last code of the segment below ends one step of that segment
    // further on, not on the band start.
    const double previous = q.inverse((Y - 1) / 4095) * 65535;
    EXPECT_NEAR(previous, k == 1 ? 1023.0 : starts[k - 1] + (1 << (k - 1)) * 511.0, 1e-8) << k;
  }
}

TEST(QMapper, InverseFollowsTheSegmentTableForEveryCode) {
  const QMapper q;
  for (int Y = 0; Y <= 4095; ++Y)
    ASSERT_NEAR(q.inverse(Y / 4095.0) * 65535, expanded(Y), 1e-8) << Y;
}

TEST(QMapper, InversePassesInputOutsideItsRange) {
  const QMapper q;
  EXPECT_EQ(q.inverse(-0.1), -0.1);
  EXPECT_EQ(q.inverse(4096.0 / 4095), 4096.0 / 4095);
  EXPECT_TRUE(std::isnan(q.inverse(std::numeric_limits<double>::quiet_NaN())));
}

TEST(QMapper, EveryTwelveBitCodeSurvivesARoundTrip) {
  const QMapper q;
  for (int Y = 0; Y <= 4095; ++Y)
    ASSERT_EQ(std::lround(q.transform(q.inverse(Y / 4095.0)) * 4095), Y) << Y;
}
