#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "kvrMath.h"

using namespace Kalvora;

TEST(MatrixHelpers, SaturationInversionNormalisationAndCopies) {
  const double m[9] = {1.2, -0.1, -0.1, 0.05, 0.9, 0.05, 0.0, -0.2, 1.2};
  double out[9];
  satRgbMat(m, gLumaFactors, 1.0, out);
  EXPECT_EQ(std::vector<double>(out, out + 9), std::vector<double>(m, m + 9));
  satRgbMat(gUnityMatrix, gLumaFactors, 0.0, out);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(out[i], gLumaFactors[i % 3]);

  // A singular matrix leaves the output as it was; a product with the
  // inverse gives unity.
  double inv[9] = {7, 7, 7, 7, 7, 7, 7, 7, 7};
  bool ok = true;
  invMat(gZeroMatrix, inv, ok);
  EXPECT_FALSE(ok);
  for (double v : inv) EXPECT_EQ(v, 7.0);
  const double mixing[9] = {0.6, 0.3, 0.1, 0.2, 0.7, 0.1, 0.05, 0.15, 0.8};
  invMat(mixing, inv, ok);
  ASSERT_TRUE(ok);
  mulRgbMat(mixing, inv, out);
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(out[i], gUnityMatrix[i], 1e-14);

  // The largest row sum becomes 1; a largest row sum of exactly 1.0 copies.
  const double rows[9] = {1, 1, 0, 0.5, 0.5, 0.5, 0, 0, 1};
  normMat(rows, out);
  EXPECT_DOUBLE_EQ(out[0] + out[1] + out[2], 1.0);
  EXPECT_DOUBLE_EQ(out[8], 0.5);
  normMat(gUnityMatrix, out);
  EXPECT_EQ(std::vector<double>(out, out + 9), std::vector<double>(gUnityMatrix, gUnityMatrix + 9));

  double d[3] = {2, 3, 4};
  diagMat(d, out);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(out[i], i % 4 == 0 ? d[i / 4] : 0.0) << i;
  unsigned short src[2 * 2 * 2 * 3];
  for (int i = 0; i < 24; ++i) src[i] = static_cast<unsigned short>(i * 1000);
  unsigned short dst[25] = {};
  dst[24] = 0xBEEF;
  copy3DLut(src, dst, 2);
  EXPECT_EQ(std::memcmp(src, dst, sizeof src), 0);
  EXPECT_EQ(dst[24], 0xBEEF);
}

TEST(ScalarHelpers, ComparisonWeightsChromaticityAndRounding) {
  const double eps = 2.220446049250313e-16;
  EXPECT_TRUE(fequal(1.0, 1.0 + eps, 1));
  EXPECT_FALSE(fequal(1.0, 1.0 + 4 * eps, 2));

  // Hermite weights at the end pick one value; inside they reproduce the
  // line y = 3x + 1 from its end values and slopes.
  double w[4];
  hermite(4.0, 2.0, 4.0, w);
  EXPECT_EQ(std::vector<double>(w, w + 4), (std::vector<double>{0, 1, 0, 0}));
  hermite(3.5, 2.0, 4.0, w);
  EXPECT_DOUBLE_EQ(7.0 * w[0] + 13.0 * w[1] + 3.0 * w[2] + 3.0 * w[3], 11.5);

  double x, y;
  gain2Chromaticity(2.0, 0.5, x, y);
  EXPECT_DOUBLE_EQ(x, 0.5 / 3.5);
  EXPECT_DOUBLE_EQ(y, 2.0 / 3.5);
  EXPECT_EQ(kvrRoundf(2.5f), 3.0f);
  EXPECT_EQ(kvrRoundf(-2.5f), -3.0f);
  EXPECT_EQ(kvrLog2(8.0), 3.0);
}
