#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "kvrTestTables.h"
#include "kvrTetrahedralInterpolator.h"

using namespace Kalvora;
using KalvoraTest::makeIdentityTable;
using KalvoraTest::makeTable;

namespace {

// Exposes the cell cache of the base class.
class ProbeInterpolator : public TetrahedralInterpolator {
public:
  using TetrahedralInterpolator::TetrahedralInterpolator;
  const int* origin() const { return origin_; }
  int* corners() { return corner_; }
};

struct Point {
  double r, g, b;
};

const Point kPoints[] = {{0, 0, 0},       {1, 1, 1},         {0.25, 0.5, 0.75}, {0.9, 0.1, 0.4},
                         {0.3, 0.3, 0.7}, {0.6, 0.2, 0.2},   {0.5, 0.5, 0.5},   {0.1, 0.8, 0.8},
                         {1, 0, 0.5},     {0.77, 0.33, 0.99}};

}  // namespace

TEST(Interpolator3dTest, CellLookupClampsToTheEdgeCells) {
  ProbeInterpolator interp(nullptr, 5, kLutInterleaved);
  double frac;
  EXPECT_EQ(interp.getOrigin(0.0, frac), 0);
  EXPECT_EQ(frac, 0.0);
  EXPECT_EQ(interp.getOrigin(0.6, frac), 2);
  EXPECT_NEAR(frac, 0.4, 1e-12);
  // The top of the range stays in the last cell with fraction 1.
  EXPECT_EQ(interp.getOrigin(1.0, frac), 3);
  EXPECT_EQ(frac, 1.0);
  EXPECT_EQ(interp.getOrigin(1.2, frac), 3);
  EXPECT_NEAR(frac, 1.8, 1e-12);
  EXPECT_EQ(interp.getOrigin(-0.1, frac), 0);
  EXPECT_NEAR(frac, -0.4, 1e-12);
}

TEST(Interpolator3dTest, CellLookupOfNonFiniteInputsIsSafe) {
  ProbeInterpolator interp(nullptr, 5, kLutInterleaved);
  double frac;
  EXPECT_EQ(interp.getOrigin(std::nan(""), frac), 0);
  EXPECT_TRUE(std::isnan(frac));
  EXPECT_EQ(interp.getOrigin(1e300, frac), 3);
  EXPECT_EQ(interp.getOrigin(-1e300, frac), 0);
  EXPECT_EQ(interp.getOrigin(std::numeric_limits<double>::infinity(), frac), 3);
}

TEST(Interpolator3dTest, CornerIndicesFollowTheLayout) {
  const int n = 3;
  ProbeInterpolator interleaved(nullptr, n, kLutInterleaved);
  interleaved.setOrigin(1, 0, 1);
  // Interleaved strides: sample 3, row 9, plane 27.
  const int expectInterleaved[8] = {30, 33, 39, 42, 57, 60, 66, 69};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(interleaved.corners()[k], expectInterleaved[k]) << k;

  ProbeInterpolator planar(nullptr, n, kLutPlanar);
  planar.setOrigin(1, 0, 1);
  const int expectPlanar[8] = {10, 11, 13, 14, 19, 20, 22, 23};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(planar.corners()[k], expectPlanar[k]) << k;
}

TEST(Interpolator3dTest, SameCellKeepsTheCachedCorners) {
  auto table = makeIdentityTable(4, kLutInterleaved, 100);
  ProbeInterpolator interp(table.data(), 4, kLutInterleaved);
  EXPECT_EQ(interp.origin()[0], -1);
  EXPECT_EQ(interp.origin()[1], -1);
  EXPECT_EQ(interp.origin()[2], -1);

  double out[3];
  interp.interpolate(0.4, 0.5, 0.6, out);
  EXPECT_EQ(interp.origin()[0], 1);
  EXPECT_EQ(interp.origin()[1], 1);
  EXPECT_EQ(interp.origin()[2], 1);
  // A marker in the cache survives a second evaluation in the same cell and
  // is replaced when the cell changes.
  const int saved = interp.corners()[0];
  interp.corners()[0] = -12345;
  interp.setOrigin(1, 1, 1);
  EXPECT_EQ(interp.corners()[0], -12345);
  interp.setOrigin(1, 1, 2);
  EXPECT_NE(interp.corners()[0], -12345);
  interp.setOrigin(1, 1, 1);
  EXPECT_EQ(interp.corners()[0], saved);
}

TEST(TetrahedralInterpolatorTest, TwoPointIdentityTableReproducesTheInput) {
  const int m = 65535;
  for (LutOrder order : {kLutInterleaved, kLutPlanar}) {
    auto table = makeIdentityTable(2, order, m);
    TetrahedralInterpolator interp(table.data(), 2, order);
    for (const Point& p : kPoints) {
      double out[3];
      interp.interpolate(p.r, p.g, p.b, out);
      EXPECT_DOUBLE_EQ(out[0], p.r * m) << p.r << " " << p.g << " " << p.b;
      EXPECT_DOUBLE_EQ(out[1], p.g * m);
      EXPECT_DOUBLE_EQ(out[2], p.b * m);
    }
  }
}

TEST(TetrahedralInterpolatorTest, LinearTableIsExactAndExtrapolatesFromEdgeCells) {
  const int n = 5;
  for (LutOrder order : {kLutInterleaved, kLutPlanar, static_cast<LutOrder>(7)}) {
    // Red rises, green falls, blue mixes all three axes.
    auto table = makeTable(n, order, [](int r, int g, int b, int c) {
      if (c == 0) return 1000 * r;
      if (c == 1) return 40000 - 2000 * g;
      return 20000 + 1000 * r - 500 * g + 250 * b;
    });
    TetrahedralInterpolator interp(table.data(), n, order);
    const Point points[] = {{0.1, 0.2, 0.3}, {0.9, 0.45, 0.05}, {1, 1, 1},
                            {0, 0, 0},       {1.2, 0.5, 0.5},   {-0.1, 0.3, 1.1},
                            {0.5, -0.25, 2}, {0.33, 0.33, 0.33}};
    for (const Point& p : points) {
      double out[3];
      interp.interpolate(p.r, p.g, p.b, out);
      EXPECT_NEAR(out[0], 4000 * p.r, 1e-9) << p.r << " " << p.g << " " << p.b;
      EXPECT_NEAR(out[1], 40000 - 8000 * p.g, 1e-9);
      EXPECT_NEAR(out[2], 20000 + 4000 * p.r - 2000 * p.g + 1000 * p.b, 1e-9);
    }
  }
}

namespace {

// Corner k of the red channel holds 1 << k, so every corner's share of the
// result can be read off. Green and blue hold fixed permutations of it.
std::vector<unsigned short> makeCornerTable() {
  return makeTable(2, kLutInterleaved, [](int r, int g, int b, int c) {
    const int k = 4 * r + 2 * g + b;
    return (1 << ((k + 3 * c) % 8)) * 100;
  });
}

// Value of channel 0 for the walk 0 -> a -> b -> 7 with descending
// fractions f1 >= f2 >= f3 of the stepped axes.
double expectedWalk(int a, int b, double f1, double f2, double f3) {
  return 100 * ((1 - f1) * 1 + (f1 - f2) * (1 << a) + (f2 - f3) * (1 << b) + f3 * 128);
}

struct PathCase {
  double fr, fg, fb;
  int a, b;  // corners visited between corner 0 and corner 7
};

}  // namespace

TEST(TetrahedralInterpolatorTest, EachOrderingOfTheFractionsTakesItsOwnTetrahedron) {
  auto table = makeCornerTable();
  TetrahedralInterpolator interp(table.data(), 2, kLutInterleaved);
  const PathCase cases[] = {
      {0.6, 0.3, 0.1, 4, 6}, {0.6, 0.1, 0.3, 4, 5}, {0.3, 0.1, 0.6, 1, 5},
      {0.1, 0.6, 0.3, 2, 3}, {0.1, 0.3, 0.6, 1, 3}, {0.3, 0.6, 0.1, 2, 6},
  };
  for (const PathCase& p : cases) {
    double f[3] = {p.fr, p.fg, p.fb};
    std::sort(f, f + 3, [](double x, double y) { return x > y; });
    double out[3];
    interp.interpolate(p.fr, p.fg, p.fb, out);
    EXPECT_NEAR(out[0], expectedWalk(p.a, p.b, f[0], f[1], f[2]), 1e-9)
        << p.fr << " " << p.fg << " " << p.fb;
  }
}

TEST(TetrahedralInterpolatorTest, TiesGiveTheValueOfBothNeighbouringTetrahedra) {
  auto table = makeCornerTable();
  TetrahedralInterpolator interp(table.data(), 2, kLutInterleaved);
  const double eps = 1e-9;
  // Each tie point, and the points just off the tie on either side.
  const double ties[][3] = {{0.5, 0.5, 0.2}, {0.5, 0.5, 0.8}, {0.7, 0.3, 0.3}, {0.2, 0.6, 0.2},
                            {0.6, 0.2, 0.6}, {0.2, 0.6, 0.6}, {0.4, 0.4, 0.4}, {0.0, 0.0, 0.9}};
  for (const auto& t : ties) {
    double atTie[3];
    interp.interpolate(t[0], t[1], t[2], atTie);
    for (int axis = 0; axis < 3; ++axis) {
      for (double shift : {-eps, eps}) {
        double p[3] = {t[0], t[1], t[2]};
        p[axis] += shift;
        double near[3];
        interp.interpolate(p[0], p[1], p[2], near);
        for (int c = 0; c < 3; ++c)
          EXPECT_NEAR(near[c], atTie[c], 1e-4) << t[0] << " " << t[1] << " " << t[2];
      }
    }
  }
}

TEST(TetrahedralInterpolatorTest, MainDiagonalAveragesLowestAndHighestCorner) {
  auto table = makeCornerTable();
  TetrahedralInterpolator interp(table.data(), 2, kLutInterleaved);
  double out[3];
  interp.interpolate(0.5, 0.5, 0.5, out);
  // Corner 0 and corner 7 of each channel, halved.
  EXPECT_DOUBLE_EQ(out[0], (100 + 12800) / 2.0);
  EXPECT_DOUBLE_EQ(out[1], (800 + 400) / 2.0);
  EXPECT_DOUBLE_EQ(out[2], (6400 + 3200) / 2.0);
}

TEST(TetrahedralInterpolatorTest, GridPointsReturnTheirSamples) {
  const int n = 4;
  auto table = makeTable(n, kLutPlanar, [](int r, int g, int b, int c) {
    return (r * 7919 + g * 104729 + b * 31 + c * 1543) % 65536;
  });
  TetrahedralInterpolator interp(table.data(), n, kLutPlanar);
  const long samples = n * n * n;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) {
        double out[3];
        interp.interpolate(r / 3.0, g / 3.0, b / 3.0, out);
        for (int c = 0; c < 3; ++c)
          EXPECT_NEAR(out[c], table[tableIndex(kLutPlanar, (r * n + g) * n + b, c, samples)], 1e-9);
      }
}

TEST(TetrahedralInterpolatorTest, NanInputGivesNanWithoutTouchingMemoryOutsideTheTable) {
  auto table = makeIdentityTable(3, kLutInterleaved, 1000);
  TetrahedralInterpolator interp(table.data(), 3, kLutInterleaved);
  double out[3];
  interp.interpolate(std::nan(""), 0.5, 0.5, out);
  EXPECT_TRUE(std::isnan(out[0]));
  interp.interpolate(1e300, -1e300, 0.5, out);
  EXPECT_EQ(out[2], 1000.0);
}

TEST(TetrahedralInterpolatorTest, SinglePointTableIsConstant) {
  const unsigned short table[3] = {10, 20, 30};
  TetrahedralInterpolator interp(table, 1, kLutInterleaved);
  double out[3];
  interp.interpolate(0.7, -3, 5, out);
  EXPECT_EQ(out[0], 10.0);
  EXPECT_EQ(out[1], 20.0);
  EXPECT_EQ(out[2], 30.0);
}
