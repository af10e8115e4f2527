#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "kvrLut3D.h"
#include "kvrTestTables.h"

using namespace Kalvora;
using KalvoraTest::makeIdentityTable;
using KalvoraTest::makeTable;

namespace {

void apply(const LutFunc3D& f, double r, double g, double b, double* out) {
  f.transform(r, g, b, out[0], out[1], out[2]);
}

}  // namespace

TEST(Lut3DTest, WithoutATableIsTheIdentity) {
  for (bool tricubic : {false, true}) {
    Lut3D lut(tricubic);
    double out[3];
    apply(lut, 0.2, -0.5, 1.7, out);
    EXPECT_EQ(out[0], 0.2);
    EXPECT_EQ(out[1], -0.5);
    EXPECT_EQ(out[2], 1.7);
    // Setting a null table keeps it the identity rather than reading through it.
    lut.setTable(17, nullptr, kLutInterleaved, 4095);
    apply(lut, 0.2, -0.5, 1.7, out);
    EXPECT_EQ(out[1], -0.5);
  }
}

TEST(Lut3DTest, DividesInterpolatedCodesByTheMaximumCode) {
  const int n = 5;
  for (LutOrder order : {kLutInterleaved, kLutPlanar}) {
    // Red steps by 1000 per grid step, green falls, blue is constant.
    auto table = makeTable(n, order, [](int r, int g, int, int c) {
      if (c == 0) return 1000 * r;
      if (c == 1) return 4000 - 1000 * g;
      return 123;
    });
    for (bool tricubic : {false, true}) {
      Lut3D lut(n, table.data(), order, 4095, tricubic);
      double out[3];
      apply(lut, 0.3, 0.6, 0.9, out);
      EXPECT_NEAR(out[0], 1200 / 4095.0, 1e-12);
      EXPECT_NEAR(out[1], 1600 / 4095.0, 1e-12);
      EXPECT_NEAR(out[2], 123 / 4095.0, 1e-12);
      // Outside the cube the edge cells extrapolate.
      apply(lut, 1.2, -0.1, 0.5, out);
      EXPECT_NEAR(out[0], 4800 / 4095.0, 1e-12);
      EXPECT_NEAR(out[1], 4400 / 4095.0, 1e-12);
    }
  }
}

TEST(Lut3DTest, TricubicFlagSelectsTheSmoothReader) {
  // Along red the codes are 0, 1000, 4000. Halfway into the first cell the
  // tetrahedral reader gives 500; the tricubic one follows the Hermite cubic
  // with slopes 1000 and 2000 per cell: 0.5 * 0 + 0.125 * 1000 + 0.5 * 1000
  // - 0.125 * 2000 = 375.
  const int n = 3;
  const int codes[3] = {0, 1000, 4000};
  auto table = makeTable(n, kLutInterleaved, [&](int r, int, int, int) { return codes[r]; });
  Lut3D linear(n, table.data(), kLutInterleaved, 1000, false);
  Lut3D smooth(n, table.data(), kLutInterleaved, 1000, true);
  double out[3];
  apply(linear, 0.25, 0.5, 0.5, out);
  EXPECT_NEAR(out[0], 0.5, 1e-12);
  apply(smooth, 0.25, 0.5, 0.5, out);
  EXPECT_NEAR(out[0], 0.375, 1e-12);
}

TEST(Lut3DTest, SetTableReplacesTheInterpolator) {
  const int n = 3;
  auto first = makeIdentityTable(n, kLutInterleaved, 500);
  auto second = makeTable(n, kLutPlanar, [](int, int, int, int c) { return 100 * (c + 1); });
  for (bool tricubic : {false, true}) {
    Lut3D lut(n, first.data(), kLutInterleaved, 1000, tricubic);
    double out[3];
    apply(lut, 0.5, 0.25, 1.0, out);
    EXPECT_NEAR(out[0], 0.5, 1e-12);
    EXPECT_NEAR(out[1], 0.25, 1e-12);
    EXPECT_NEAR(out[2], 1.0, 1e-12);
    // Same cell, new table, new order and new maximum code.
    lut.setTable(n, second.data(), kLutPlanar, 400);
    apply(lut, 0.5, 0.25, 1.0, out);
    EXPECT_NEAR(out[0], 0.25, 1e-12);
    EXPECT_NEAR(out[1], 0.5, 1e-12);
    EXPECT_NEAR(out[2], 0.75, 1e-12);
  }
}

TEST(Lut3DTest, SamplesBackIntoTheSameTable) {
  const int n = 5;
  auto table = makeTable(n, kLutInterleaved, [](int r, int g, int b, int c) {
    return (r * 7919 + g * 104729 + b * 31 + c * 1543) % 4096;
  });
  Lut3D lut(n, table.data(), kLutInterleaved, 4095, false);
  std::vector<unsigned short> resampled(table.size());
  lut.getTable(n, resampled.data(), kLutInterleaved, 4095, false);
  for (size_t i = 0; i < table.size(); ++i)
    EXPECT_EQ(resampled[i], std::min<int>(table[i], 4095)) << i;
}

TEST(Lut3DTest, NanInputsPropagate) {
  auto table = makeIdentityTable(3, kLutInterleaved, 500);
  Lut3D lut(3, table.data(), kLutInterleaved, 1000, false);
  double out[3];
  apply(lut, std::nan(""), 0.5, 0.5, out);
  EXPECT_TRUE(std::isnan(out[0]));
}
