// Cell lookup, tetrahedral and tricubic interpolation of 3-D tables, and the
// table derivatives behind the tricubic scheme.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "kvrLutDerivative.h"
#include "kvrTestTables.h"
#include "kvrTetrahedralInterpolator.h"
#include "kvrTricubicInterpolator.h"

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

// Inside, on the faces and corners, on ties, and outside the unit cube.
const Point kPoints[] = {
    {0.1, 0.2, 0.3},  {0.9, 0.45, 0.05}, {1, 1, 1},          {0, 0, 0},       {1.2, 0.5, 0.5},
    {-0.1, 0.3, 1.1}, {0.5, -0.25, 1.5}, {0.33, 0.66, 0.99}, {0.5, 0.5, 0.5}, {0.875, 0.125, 0.6},
    {0.3, 0.3, 0.7},  {0.6, 0.2, 0.2},   {0.1, 0.8, 0.8},    {1, 0, 0.5}};

std::array<double, 3> at(Interpolator3d& interp, double r, double g, double b) {
  std::array<double, 3> out;
  interp.interpolate(r, g, b, out.data());
  return out;
}

// Red rises, green falls, blue mixes all three axes.
int ramp(int r, int g, int b, int c) {
  if (c == 0) return 1000 * r;
  if (c == 1) return 60000 - 2000 * g;
  return 30000 - 1000 * r - 500 * g + 250 * b;
}

// Corner k of the red channel holds 1 << k, so every corner's share of the
// result can be read off. Green and blue hold fixed permutations of it.
std::vector<unsigned short> makeCornerTable() {
  return makeTable(2, kLutInterleaved, [](int r, int g, int b, int c) {
    return (1 << ((4 * r + 2 * g + b + 3 * c) % 8)) * 100;
  });
}

std::vector<int64_t> derive(const std::vector<unsigned short>& table, int n, LutOrder order,
                            int axis) {
  LutDerivative derivative;
  derivative.setLut(table.data(), n, order);
  std::vector<int64_t> out(table.size(), -999);
  if (axis == 0) derivative.getdFdx(out.data());
  if (axis == 1) derivative.getdFdy(out.data());
  if (axis == 2) derivative.getdFdz(out.data());
  return out;
}

}  // namespace

// ---- Cell lookup -------------------------------------------------------------

TEST(Interpolator3dTest, CellLookupClampsToTheEdgeCells) {
  const ProbeInterpolator interp(nullptr, 5, kLutInterleaved);
  const double inf = std::numeric_limits<double>::infinity();
  // Fractions at 0 and 1 must be exact; huge and non-finite inputs only
  // need a valid cell.
  const struct {
    double t;
    int cell;
    double frac, tolerance;
  } cases[] = {{0.0, 0, 0.0, 0.0},    {1.0, 3, 1.0, 0.0},     {0.6, 2, 0.4, 1e-12},
               {1.2, 3, 1.8, 1e-12},  {-0.1, 0, -0.4, 1e-12}, {1e300, 3, 0.0, inf},
               {-1e300, 0, 0.0, inf}, {inf, 3, 0.0, inf},     {std::nan(""), 0, 0.0, inf}};
  double frac;
  for (const auto& c : cases) {
    EXPECT_EQ(interp.getOrigin(c.t, frac), c.cell) << c.t;
    if (c.tolerance < inf) {
      EXPECT_NEAR(frac, c.frac, c.tolerance) << c.t;
    }
  }
  interp.getOrigin(std::nan(""), frac);
  EXPECT_TRUE(std::isnan(frac));

  // Interpolation of such inputs stays inside the table.
  auto table = makeIdentityTable(3, kLutInterleaved, 1000);
  TetrahedralInterpolator tetrahedral(table.data(), 3, kLutInterleaved);
  EXPECT_TRUE(std::isnan(at(tetrahedral, std::nan(""), 0.5, 0.5)[0]));
  EXPECT_EQ(at(tetrahedral, 1e300, -1e300, 0.5)[2], 1000.0);
}

// ---- Both interpolators ------------------------------------------------------

TEST(Interpolator3dTest, LinearTablesAreExactAndExtrapolateFromEdgeCells) {
  const int n = 5;
  for (LutOrder order : {kLutInterleaved, kLutPlanar, static_cast<LutOrder>(7)}) {
    auto table = makeTable(n, order, ramp);
    TetrahedralInterpolator tetrahedral(table.data(), n, order);
    TricubicInterpolator tricubic(table.data(), n, order);
    for (const Point& p : kPoints) {
      SCOPED_TRACE(testing::Message() << order << ": " << p.r << " " << p.g << " " << p.b);
      const double expected[3] = {4000 * p.r, 60000 - 8000 * p.g,
                                  30000 - 4000 * p.r - 2000 * p.g + 1000 * p.b};
      const auto linear = at(tetrahedral, p.r, p.g, p.b);
      const auto smooth = at(tricubic, p.r, p.g, p.b);
      for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(linear[c], expected[c], 1e-9);
        EXPECT_NEAR(smooth[c], expected[c], 1e-7);  // falling edges need signed derivatives
      }
    }
  }
}

// ---- Tetrahedral -------------------------------------------------------------

TEST(TetrahedralInterpolatorTest, EachOrderingOfTheFractionsTakesItsOwnTetrahedron) {
  auto table = makeCornerTable();
  TetrahedralInterpolator interp(table.data(), 2, kLutInterleaved);
  const struct {
    double fr, fg, fb;
    int a, b;  // corners visited between corner 0 and corner 7
  } cases[] = {
      {0.6, 0.3, 0.1, 4, 6}, {0.6, 0.1, 0.3, 4, 5}, {0.3, 0.1, 0.6, 1, 5},
      {0.1, 0.6, 0.3, 2, 3}, {0.1, 0.3, 0.6, 1, 3}, {0.3, 0.6, 0.1, 2, 6},
  };
  for (const auto& p : cases) {
    double f[3] = {p.fr, p.fg, p.fb};
    std::sort(f, f + 3, [](double x, double y) { return x > y; });
    const double walk =
        100 * ((1 - f[0]) + (f[0] - f[1]) * (1 << p.a) + (f[1] - f[2]) * (1 << p.b) + f[2] * 128);
    EXPECT_NEAR(at(interp, p.fr, p.fg, p.fb)[0], walk, 1e-9) << p.fr << " " << p.fg << " " << p.fb;
  }
  // The main diagonal averages corner 0 and corner 7 of each channel.
  const auto centre = at(interp, 0.5, 0.5, 0.5);
  EXPECT_DOUBLE_EQ(centre[0], (100 + 12800) / 2.0);
  EXPECT_DOUBLE_EQ(centre[1], (800 + 400) / 2.0);
  EXPECT_DOUBLE_EQ(centre[2], (6400 + 3200) / 2.0);
}

// ---- Tricubic ----------------------------------------------------------------

namespace {

// d^order/dt^order of t^p at t in {0, 1}.
double monomialDerivative(int p, int order, int t) {
  if (order == 0) return (p == 0 || t == 1) ? 1.0 : 0.0;
  if (p == 0) return 0.0;
  return (p == 1 || t == 1) ? p : 0.0;
}

}  // namespace

TEST(TricubicMatrixTest, RecoversTheCoefficientsOfEveryMonomial) {
  // Groups: f, d/dx, d/dy, d/dz, d2/dxdy, d2/dxdz, d2/dydz, d3/dxdydz.
  const int orders[8][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1},
                            {1, 1, 0}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}};
  const TricubicInterpolator interp(nullptr, 0, kLutInterleaved);
  for (int k = 0; k < 4; ++k)
    for (int j = 0; j < 4; ++j)
      for (int i = 0; i < 4; ++i) {
        double values[64], stacked[64], grouped[64];
        for (int g = 0; g < 8; ++g)
          for (int c = 0; c < 8; ++c)
            values[8 * g + c] = monomialDerivative(i, orders[g][0], c & 1) *
                                monomialDerivative(j, orders[g][1], (c >> 1) & 1) *
                                monomialDerivative(k, orders[g][2], c >> 2);
        interp.getCoeffStacked(stacked, values);
        const double* v = values;
        interp.getCoeff(grouped, v, v + 8, v + 16, v + 24, v + 32, v + 40, v + 48, v + 56);
        const int n = TricubicInterpolator::ijk2n(i, j, k);
        for (int m = 0; m < 64; ++m) {
          EXPECT_EQ(stacked[m], m == n ? 1.0 : 0.0) << i << j << k << " " << m;
          EXPECT_EQ(grouped[m], stacked[m]);
        }
      }
  EXPECT_EQ(TricubicInterpolator::ijk2n(1, 2, 3), 57);
  double a[64] = {};
  a[57] = 2.0;
  a[0] = 1.0;
  EXPECT_DOUBLE_EQ(TricubicInterpolator::eval(a, 0.5, 2.0, 3.0), 1.0 + 2.0 * 0.5 * 4.0 * 27.0);
}

TEST(TricubicInterpolatorTest, MixedTermsWithNegativeDerivativesAreExact) {
  const int n = 5;
  // Products of the grid indices need the mixed derivatives, here negative.
  auto table = makeTable(n, kLutInterleaved, [](int r, int g, int b, int c) {
    if (c == 0) return 50000 - 400 * r * g;
    if (c == 1) return 50000 - 300 * g * b + 100 * r * b;
    return 60000 - 100 * r * g * b;
  });
  TricubicInterpolator interp(table.data(), n, kLutInterleaved);
  for (const Point& p : kPoints) {
    const double r = 4 * p.r, g = 4 * p.g, b = 4 * p.b;  // grid units
    const auto out = at(interp, p.r, p.g, p.b);
    EXPECT_NEAR(out[0], 50000 - 400 * r * g, 1e-7) << p.r << " " << p.g << " " << p.b;
    EXPECT_NEAR(out[1], 50000 - 300 * g * b + 100 * r * b, 1e-7);
    EXPECT_NEAR(out[2], 60000 - 100 * r * g * b, 1e-7);
  }
}

namespace {

// The tricubic value of one point the long way: derivative tables from
// LutDerivative scaled to cell units, the 64 corner values in group order,
// the full 64 x 64 product and the polynomial.
class DenseTricubic {
public:
  DenseTricubic(const std::vector<unsigned short>& table, int n, LutOrder order)
      : n_(n), order_(order) {
    const size_t count = table.size();
    std::vector<int64_t> raw[7];
    for (auto& r : raw) r.resize(count);
    LutDerivative d;
    d.setLut(table.data(), n, order);
    d.getGradient(raw[0].data(), raw[1].data(), raw[2].data());  // dR, dG, dB
    d.setLut(raw[0].data(), n, order);
    d.getdFdy(raw[3].data());  // dRG
    d.getdFdz(raw[4].data());  // dRB
    d.setLut(raw[1].data(), n, order);
    d.getdFdz(raw[5].data());  // dGB
    d.setLut(raw[3].data(), n, order);
    d.getdFdz(raw[6].data());  // dRGB
    const int powers[7] = {1, 1, 1, 2, 2, 2, 3};
    groups_[0].assign(table.begin(), table.end());
    for (int t = 0; t < 7; ++t) {
      double scale = 1.0;
      for (int p = 0; p < powers[t]; ++p) scale *= 1.0 / (n - 1);
      groups_[t + 1].resize(count);
      for (size_t i = 0; i < count; ++i)
        groups_[t + 1][i] = double(std::llround(double(raw[t][i]) * scale));
    }
  }

  double at(const TricubicInterpolator& cells, double r, double g, double b, int channel) const {
    double f[3];
    const int cell[3] = {cells.getOrigin(r, f[0]), cells.getOrigin(g, f[1]),
                         cells.getOrigin(b, f[2])};
    const long samples = long(n_) * n_ * n_;
    double x[64];
    for (int group = 0; group < 8; ++group)
      for (int c = 0; c < 8; ++c) {
        // The matrix's corner order: red fastest.
        const long k =
            ((cell[0] + (c & 1)) * long(n_) + cell[1] + ((c >> 1) & 1)) * n_ + cell[2] + (c >> 2);
        x[8 * group + c] = groups_[group][tableIndex(order_, k, channel, samples)];
      }
    double a[64];
    cells.getCoeffStacked(a, x);
    return TricubicInterpolator::eval(a, f[0], f[1], f[2]);
  }

private:
  int n_;
  LutOrder order_;
  std::vector<double> groups_[8];
};

}  // namespace

TEST(TricubicInterpolatorTest, MatchesTheFullMatrixProductBitForBit) {
  const int n = 6;
  std::mt19937 random(5);
  for (LutOrder order : {kLutInterleaved, kLutPlanar}) {
    // Noise over the whole code range: steep rises, falls and mixed terms.
    auto table = makeTable(n, order, [&](int, int, int, int) { return int(random() % 65536); });
    TricubicInterpolator interp(table.data(), n, order);
    const DenseTricubic dense(table, n, order);
    std::uniform_real_distribution<double> around(-0.2, 1.2);
    for (int i = 0; i < 3000; ++i) {
      const double r = around(random), g = around(random), b = around(random);
      const auto out = at(interp, r, g, b);
      for (int c = 0; c < 3; ++c) {
        const double expected = dense.at(interp, r, g, b, c);
        ASSERT_EQ(std::memcmp(&out[c], &expected, sizeof expected), 0)
            << "(" << r << ", " << g << ", " << b << ") channel " << c << ": " << out[c]
            << " instead of " << expected;
      }
    }
  }
}

// ---- LutDerivative -----------------------------------------------------------

TEST(LutDerivativeTest, RampsHaveTheSameSlopeAtEdgesAndInterior) {
  const int n = 5;
  const long samples = n * n * n;
  for (LutOrder order : {kLutInterleaved, kLutPlanar}) {
    // Channel c rises by 10 per step along axis c.
    auto table = makeTable(n, order, [](int r, int g, int b, int c) {
      const int along[3] = {r, g, b};
      return 10 * along[c];
    });
    for (int axis = 0; axis < 3; ++axis) {
      const auto d = derive(table, n, order, axis);
      for (long k = 0; k < samples; ++k)
        for (int c = 0; c < 3; ++c)
          EXPECT_EQ(d[tableIndex(order, k, c, samples)], c == axis ? 40 : 0)
              << "axis " << axis << " sample " << k << " channel " << c;
    }
  }
  // A falling ramp is negative, not wrapped into 16 bits.
  auto falling = makeTable(n, kLutInterleaved, [](int r, int, int, int) { return 60000 - 10 * r; });
  for (int64_t v : derive(falling, n, kLutInterleaved, 0)) EXPECT_EQ(v, -40);

  // Tables of derivatives, far outside 16 bits, can be differentiated again.
  std::vector<int64_t> wide(3 * n * n * n);
  for (size_t i = 0; i < wide.size(); ++i) wide[i] = -1000000 * int64_t(i / (3 * n * n));
  LutDerivative derivative;
  derivative.setLut(wide.data(), n, kLutInterleaved);
  EXPECT_EQ(derivative.rvalue(4, 0, 0), -4000000);
  std::vector<int64_t> dx(wide.size());
  derivative.getdFdx(dx.data());
  EXPECT_EQ(dx, std::vector<int64_t>(wide.size(), -4000000));
}
