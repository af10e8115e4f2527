// Cell lookup, tetrahedral and tricubic interpolation of 3-D tables, and the
// table derivatives behind the tricubic scheme.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "kvrLutDerivative.h"
#include "kvrTestTables.h"
#include "kvrTetrahedralInterpolator.h"
#include "kvrTricubicInterpolator.h"

using namespace Kalvora;
using KalvoraTest::makeTable;

namespace {

struct Point {
  double r, g, b;
};

// Inside, on the faces and corners, on ties, and outside the unit cube.
const Point kPoints[] = {{0.1, 0.2, 0.3},    {0.9, 0.45, 0.05}, {1, 1, 1},         {0, 0, 0},
                         {1.2, 0.5, 0.5},    {-0.1, 0.3, 1.1},  {0.5, -0.25, 1.5}, {0.5, 0.5, 0.5},
                         {0.33, 0.66, 0.99}, {0.3, 0.3, 0.7},   {0.1, 0.8, 0.8},   {1, 0, 0.5}};

std::array<double, 3> at(Interpolator3d& interp, double r, double g, double b) {
  std::array<double, 3> out;
  interp.interpolate(r, g, b, out.data());
  return out;
}

}  // namespace

TEST(Interpolator3dTest, CellLookupClampsToTheEdgeCells) {
  const TetrahedralInterpolator cells(nullptr, 5, kLutInterleaved);
  const double inf = std::numeric_limits<double>::infinity();
  // Fractions at 0 and 1 are exact; huge and non-finite inputs only need a
  // valid cell.
  const struct {
    double t;
    int cell;
    double frac, tolerance;
  } cases[] = {{0.0, 0, 0.0, 0.0},    {1.0, 3, 1.0, 0.0},     {0.6, 2, 0.4, 1e-12},
               {1.2, 3, 1.8, 1e-12},  {-0.1, 0, -0.4, 1e-12}, {1e300, 3, 0.0, inf},
               {-1e300, 0, 0.0, inf}, {inf, 3, 0.0, inf},     {std::nan(""), 0, 0.0, inf}};
  for (const auto& c : cases) {
    double frac;
    EXPECT_EQ(cells.getOrigin(c.t, frac), c.cell) << c.t;
    if (c.tolerance < inf) {
      EXPECT_NEAR(frac, c.frac, c.tolerance) << c.t;
    }
  }
  // Interpolation of such inputs stays inside the table.
  auto table = KalvoraTest::makeIdentityTable(3, kLutInterleaved, 1000);
  TetrahedralInterpolator tetrahedral(table.data(), 3, kLutInterleaved);
  EXPECT_TRUE(std::isnan(at(tetrahedral, std::nan(""), 0.5, 0.5)[0]));
  EXPECT_EQ(at(tetrahedral, 1e300, -1e300, 0.5)[2], 1000.0);
}

// Tetrahedral interpolation is exact on tables linear in the grid indices;
// tricubic interpolation on cubic ones, whose falling edges and negative mixed
// terms need signed derivative tables. Both extrapolate from the edge cells.
TEST(Interpolator3dTest, LinearAndCubicTablesAreReproducedExactly) {
  const int n = 5;
  const auto linear = [](double r, double g, double b) {
    return std::array<double, 3>{1000 * r, 60000 - 2000 * g, 30000 - 1000 * r - 500 * g + 250 * b};
  };
  const auto cubic = [](double r, double g, double b) {
    return std::array<double, 3>{50000 - 400 * r * g, 50000 - 300 * g * b + 100 * r * b,
                                 60000 - 100 * r * g * b};
  };
  for (LutOrder order : {kLutInterleaved, kLutPlanar, static_cast<LutOrder>(7)}) {
    auto linearTable =
        makeTable(n, order, [&](int r, int g, int b, int c) { return int(linear(r, g, b)[c]); });
    auto cubicTable =
        makeTable(n, order, [&](int r, int g, int b, int c) { return int(cubic(r, g, b)[c]); });
    TetrahedralInterpolator tetrahedral(linearTable.data(), n, order);
    TricubicInterpolator smoothLinear(linearTable.data(), n, order);
    TricubicInterpolator smoothCubic(cubicTable.data(), n, order);
    for (const Point& p : kPoints) {
      SCOPED_TRACE(testing::Message() << order << ": " << p.r << " " << p.g << " " << p.b);
      const double r = 4 * p.r, g = 4 * p.g, b = 4 * p.b;  // grid units
      for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(at(tetrahedral, p.r, p.g, p.b)[c], linear(r, g, b)[c], 1e-9);
        EXPECT_NEAR(at(smoothLinear, p.r, p.g, p.b)[c], linear(r, g, b)[c], 1e-7);
        EXPECT_NEAR(at(smoothCubic, p.r, p.g, p.b)[c], cubic(r, g, b)[c], 1e-7);
      }
    }
  }
}

TEST(TetrahedralInterpolatorTest, EachOrderingOfTheFractionsTakesItsOwnTetrahedron) {
  // Corner k of the red channel holds 100 << k, so each corner's share shows.
  auto table = makeTable(2, kLutInterleaved, [](int r, int g, int b, int c) {
    return (1 << ((4 * r + 2 * g + b + 3 * c) % 8)) * 100;
  });
  TetrahedralInterpolator interp(table.data(), 2, kLutInterleaved);
  // The walk from corner 0 to corner 7 takes the largest fraction's axis
  // first: fractions 0.6 > 0.3 > 0.1 weigh corners 0, a, b, 7 by 0.4, 0.3,
  // 0.2 and 0.1.
  const struct {
    double fr, fg, fb;
    int a, b;
  } cases[] = {{0.6, 0.3, 0.1, 4, 6}, {0.6, 0.1, 0.3, 4, 5}, {0.3, 0.1, 0.6, 1, 5},
               {0.1, 0.6, 0.3, 2, 3}, {0.1, 0.3, 0.6, 1, 3}, {0.3, 0.6, 0.1, 2, 6}};
  for (const auto& p : cases) {
    const double walk = 100 * (0.4 + 0.3 * (1 << p.a) + 0.2 * (1 << p.b) + 0.1 * 128);
    EXPECT_NEAR(at(interp, p.fr, p.fg, p.fb)[0], walk, 1e-9) << p.fr << " " << p.fg << " " << p.fb;
  }
}

namespace {

// d^order/dt^order of t^p at t in {0, 1}.
double monomialDerivative(int p, int order, int t) {
  if (order == 0) return (p == 0 || t == 1) ? 1.0 : 0.0;
  if (p == 0) return 0.0;
  return (p == 1 || t == 1) ? p : 0.0;
}

}  // namespace

// The 64 x 64 matrix inverts the corner values and derivatives of every
// monomial x^i y^j z^k back into its single coefficient.
TEST(TricubicMatrixTest, RecoversTheCoefficientsOfEveryMonomial) {
  // Groups: f, d/dx, d/dy, d/dz, d2/dxdy, d2/dxdz, d2/dydz, d3/dxdydz.
  const int orders[8][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1},
                            {1, 1, 0}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}};
  const TricubicInterpolator interp(nullptr, 0, kLutInterleaved);
  for (int n = 0; n < 64; ++n) {
    const int i = n % 4, j = n / 4 % 4, k = n / 16;
    ASSERT_EQ(TricubicInterpolator::ijk2n(i, j, k), n);
    double values[64], stacked[64], grouped[64];
    for (int g = 0; g < 8; ++g)
      for (int c = 0; c < 8; ++c)
        values[8 * g + c] = monomialDerivative(i, orders[g][0], c & 1) *
                            monomialDerivative(j, orders[g][1], (c >> 1) & 1) *
                            monomialDerivative(k, orders[g][2], c >> 2);
    interp.getCoeffStacked(stacked, values);
    const double* v = values;
    interp.getCoeff(grouped, v, v + 8, v + 16, v + 24, v + 32, v + 40, v + 48, v + 56);
    for (int m = 0; m < 64; ++m) {
      EXPECT_EQ(stacked[m], m == n ? 1.0 : 0.0) << n << " " << m;
      EXPECT_EQ(grouped[m], stacked[m]);
    }
  }
  double a[64] = {};
  a[TricubicInterpolator::ijk2n(1, 2, 3)] = 2.0;
  a[0] = 1.0;
  EXPECT_DOUBLE_EQ(TricubicInterpolator::eval(a, 0.5, 2.0, 3.0), 1.0 + 2.0 * 0.5 * 4.0 * 27.0);
}

TEST(TricubicInterpolatorTest, NoiseTablesAreMetAtTheGridPointsAndJoinSmoothly) {
  const int n = 6;
  std::mt19937 random(5);
  auto table = makeTable(n, kLutPlanar, [&](int, int, int, int) { return int(random() % 65536); });
  TricubicInterpolator interp(table.data(), n, kLutPlanar);
  const long samples = long(n) * n * n;
  for (long k = 0; k < samples; k += 7) {
    const double r = double(k / (n * n)) / (n - 1), g = double(k / n % n) / (n - 1),
                 b = double(k % n) / (n - 1);
    const auto out = at(interp, r, g, b);
    for (int c = 0; c < 3; ++c)
      EXPECT_NEAR(out[c], table[tableIndex(kLutPlanar, k, c, samples)], 1e-6) << k << " " << c;
  }
  // Across a cell border the value and the slope carry on.
  const double border = 0.4, h = 1e-6;
  for (int c = 0; c < 3; ++c) {
    const double mid = at(interp, border, 0.3, 0.7)[c];
    const double below = at(interp, border - h, 0.3, 0.7)[c];
    const double above = at(interp, border + h, 0.3, 0.7)[c];
    EXPECT_NEAR((mid - below) / h, (above - mid) / h, 1e-3 * 65535) << c;
  }
}

TEST(LutDerivativeTest, RampsHaveTheSameSlopeAtEdgesAndInterior) {
  const int n = 5;
  const long samples = n * n * n;
  for (LutOrder order : {kLutInterleaved, kLutPlanar}) {
    // Channel c rises by 10 per step along axis c.
    auto table = makeTable(n, order, [](int r, int g, int b, int c) {
      const int along[3] = {r, g, b};
      return 10 * along[c];
    });
    LutDerivative derivative;
    derivative.setLut(table.data(), n, order);
    std::vector<int64_t> d[3];
    for (auto& axis : d) axis.assign(table.size(), -999);
    derivative.getGradient(d[0].data(), d[1].data(), d[2].data());
    for (int axis = 0; axis < 3; ++axis)
      for (long k = 0; k < samples; ++k)
        for (int c = 0; c < 3; ++c)
          ASSERT_EQ(d[axis][tableIndex(order, k, c, samples)], c == axis ? 40 : 0)
              << "axis " << axis << " sample " << k << " channel " << c;
  }
  // Tables of derivatives, far outside 16 bits and falling, can be
  // differentiated again without wrapping.
  std::vector<int64_t> wide(3 * samples);
  for (size_t i = 0; i < wide.size(); ++i) wide[i] = -1000000 * int64_t(i / (3 * n * n));
  LutDerivative derivative;
  derivative.setLut(wide.data(), n, kLutInterleaved);
  EXPECT_EQ(derivative.rvalue(4, 0, 0), -4000000);
  std::vector<int64_t> dx(wide.size()), dy(wide.size());
  derivative.getdFdx(dx.data());
  derivative.getdFdy(dy.data());
  EXPECT_EQ(dx, std::vector<int64_t>(wide.size(), -4000000));
  EXPECT_EQ(dy, std::vector<int64_t>(wide.size(), 0));
}
