#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "kvrTestTables.h"
#include "kvrTetrahedralInterpolator.h"
#include "kvrTricubicInterpolator.h"

using namespace Kalvora;
using KalvoraTest::makeIdentityTable;
using KalvoraTest::makeTable;

namespace {

// d^order/dt^order of t^p at t in {0, 1}.
double monomialDerivative(int p, int order, int t) {
  if (order == 0) return (p == 0 || t == 1) ? 1.0 : 0.0;
  if (p == 0) return 0.0;
  return (p == 1 || t == 1) ? p : 0.0;
}

struct Point {
  double r, g, b;
};

const Point kPoints[] = {{0.1, 0.2, 0.3}, {0.9, 0.45, 0.05},  {1, 1, 1},         {0, 0, 0},
                         {1.2, 0.5, 0.5}, {-0.1, 0.3, 1.1},   {0.5, -0.25, 1.5}, {0.33, 0.66, 0.99},
                         {0.5, 0.5, 0.5}, {0.875, 0.125, 0.6}};

}  // namespace

TEST(TricubicMatrixTest, LeadingRowsMatchThePublishedMatrix) {
  auto row = [](int r) { return tricInterpMatrix + 64 * r; };
  auto expectRow = [&](int r, std::vector<std::pair<int, int>> entries) {
    std::vector<int> expected(64, 0);
    for (auto& e : entries) expected[e.first] = e.second;
    for (int c = 0; c < 64; ++c) EXPECT_EQ(row(r)[c], expected[c]) << "row " << r << " col " << c;
  };
  expectRow(0, {{0, 1}});
  expectRow(1, {{8, 1}});
  expectRow(2, {{0, -3}, {1, 3}, {8, -2}, {9, -1}});
  expectRow(3, {{0, 2}, {1, -2}, {8, 1}, {9, 1}});
  expectRow(4, {{16, 1}});
  expectRow(5, {{32, 1}});
}

TEST(TricubicMatrixTest, RecoversTheCoefficientsOfEveryMonomial) {
  // Groups: f, d/dx, d/dy, d/dz, d2/dxdy, d2/dxdz, d2/dydz, d3/dxdydz.
  const int orders[8][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1},
                            {1, 1, 0}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}};
  TricubicInterpolator interp(nullptr, 0, kLutInterleaved);
  for (int k = 0; k < 4; ++k)
    for (int j = 0; j < 4; ++j)
      for (int i = 0; i < 4; ++i) {
        double values[64];
        for (int g = 0; g < 8; ++g)
          for (int c = 0; c < 8; ++c)
            values[8 * g + c] = monomialDerivative(i, orders[g][0], c & 1) *
                                monomialDerivative(j, orders[g][1], (c >> 1) & 1) *
                                monomialDerivative(k, orders[g][2], c >> 2);
        double a[64];
        interp.getCoeffStacked(a, values);
        const int n = TricubicInterpolator::ijk2n(i, j, k);
        for (int m = 0; m < 64; ++m) EXPECT_EQ(a[m], m == n ? 1.0 : 0.0) << i << j << k << " " << m;
      }
}

TEST(TricubicMatrixTest, CoefficientIndexAndPolynomial) {
  EXPECT_EQ(TricubicInterpolator::ijk2n(1, 2, 3), 57);
  EXPECT_EQ(TricubicInterpolator::ijk2n(3, 3, 3), 63);
  double a[64] = {};
  a[TricubicInterpolator::ijk2n(1, 2, 3)] = 2.0;
  a[0] = 1.0;
  EXPECT_DOUBLE_EQ(TricubicInterpolator::eval(a, 0.5, 2.0, 3.0), 1.0 + 2.0 * 0.5 * 4.0 * 27.0);
}

TEST(TricubicMatrixTest, GroupedAndStackedCoefficientsAgree) {
  TricubicInterpolator interp(nullptr, 0, kLutInterleaved);
  double x[64];
  for (int i = 0; i < 64; ++i) x[i] = (i * 37 % 19) - 9;
  double stacked[64], grouped[64];
  interp.getCoeffStacked(stacked, x);
  interp.getCoeff(grouped, x, x + 8, x + 16, x + 24, x + 32, x + 40, x + 48, x + 56);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(stacked[i], grouped[i]);
}

TEST(TricubicInterpolatorTest, ConstantTableIsConstantEverywhere) {
  const int n = 4;
  auto table = makeTable(n, kLutInterleaved, [](int, int, int, int c) { return 1000 + 20000 * c; });
  TricubicInterpolator interp(table.data(), n, kLutInterleaved);
  for (const Point& p : kPoints) {
    double out[3];
    interp.interpolate(p.r, p.g, p.b, out);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(out[c], 1000 + 20000 * c, 1e-9);
  }
}

TEST(TricubicInterpolatorTest, RisingAndFallingRampsAreExact) {
  const int n = 5;
  for (LutOrder order : {kLutInterleaved, kLutPlanar}) {
    // Red rises, green falls, blue falls along red and green and rises along blue.
    auto table = makeTable(n, order, [](int r, int g, int b, int c) {
      if (c == 0) return 1000 * r;
      if (c == 1) return 60000 - 2000 * g;
      return 30000 - 1000 * r - 500 * g + 250 * b;
    });
    TricubicInterpolator interp(table.data(), n, order);
    for (const Point& p : kPoints) {
      double out[3];
      interp.interpolate(p.r, p.g, p.b, out);
      EXPECT_NEAR(out[0], 4000 * p.r, 1e-7) << p.r << " " << p.g << " " << p.b;
      EXPECT_NEAR(out[1], 60000 - 8000 * p.g, 1e-7);
      EXPECT_NEAR(out[2], 30000 - 4000 * p.r - 2000 * p.g + 1000 * p.b, 1e-7);
    }
  }
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
    double out[3];
    interp.interpolate(p.r, p.g, p.b, out);
    EXPECT_NEAR(out[0], 50000 - 400 * r * g, 1e-7) << p.r << " " << p.g << " " << p.b;
    EXPECT_NEAR(out[1], 50000 - 300 * g * b + 100 * r * b, 1e-7);
    EXPECT_NEAR(out[2], 60000 - 100 * r * g * b, 1e-7);
  }
}

TEST(TricubicInterpolatorTest, GridPointsReturnTheirSamplesAndCellsJoin) {
  const int n = 5;
  auto table = makeTable(n, kLutPlanar, [](int r, int g, int b, int c) {
    return (r * 7919 + g * 104729 + b * 31 + c * 1543) % 65536;
  });
  TricubicInterpolator interp(table.data(), n, kLutPlanar);
  const long samples = n * n * n;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) {
        double out[3];
        interp.interpolate(r / 4.0, g / 4.0, b / 4.0, out);
        for (int c = 0; c < 3; ++c)
          EXPECT_NEAR(out[c], table[tableIndex(kLutPlanar, (r * n + g) * n + b, c, samples)], 1e-6);
      }
  // Just below and just above an inner cell boundary the cells agree.
  double below[3], above[3];
  interp.interpolate(0.5 - 1e-12, 0.3, 0.6, below);
  interp.interpolate(0.5 + 1e-12, 0.3, 0.6, above);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(below[c], above[c], 1e-3);
}

TEST(TricubicInterpolatorTest, AgreesWithTetrahedralOnTwoPointIdentity) {
  const int m = 65535;
  auto table = makeIdentityTable(2, kLutInterleaved, m);
  TricubicInterpolator tricubic(table.data(), 2, kLutInterleaved);
  TetrahedralInterpolator tetrahedral(table.data(), 2, kLutInterleaved);
  for (const Point& p : kPoints) {
    double smooth[3], linear[3];
    tricubic.interpolate(p.r, p.g, p.b, smooth);
    tetrahedral.interpolate(p.r, p.g, p.b, linear);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(smooth[c], linear[c], 1e-7);
  }
}

TEST(TricubicInterpolatorTest, SinglePointTableIsConstant) {
  const unsigned short table[3] = {10, 20, 30};
  TricubicInterpolator interp(table, 1, kLutPlanar);
  double out[3];
  interp.interpolate(0.7, -3, 5, out);
  EXPECT_EQ(out[0], 10.0);
  EXPECT_EQ(out[1], 20.0);
  EXPECT_EQ(out[2], 30.0);
}

namespace {

// The tricubic value of one point the long way: derivative tables from
// LutDerivative scaled to cell units, the 64 corner values in group order,
// the full 64 x 64 product and the polynomial.
class DenseTricubic {
public:
  DenseTricubic(const std::vector<unsigned short>& table, int n, LutOrder order)
      : n_(n), order_(order), source_(table.begin(), table.end()) {
    const size_t count = table.size();
    std::vector<int64_t> dR(count), dG(count), dB(count), dRG(count), dRB(count), dGB(count),
        dRGB(count);
    LutDerivative d;
    d.setLut(table.data(), n, order);
    d.getGradient(dR.data(), dG.data(), dB.data());
    d.setLut(dR.data(), n, order);
    d.getdFdy(dRG.data());
    d.getdFdz(dRB.data());
    d.setLut(dG.data(), n, order);
    d.getdFdz(dGB.data());
    d.setLut(dRG.data(), n, order);
    d.getdFdz(dRGB.data());
    const int powers[7] = {1, 1, 1, 2, 2, 2, 3};
    const std::vector<int64_t>* raw[7] = {&dR, &dG, &dB, &dRG, &dRB, &dGB, &dRGB};
    for (int t = 0; t < 7; ++t) {
      double scale = 1.0;
      for (int p = 0; p < powers[t]; ++p) scale *= 1.0 / (n - 1);
      groups_[t + 1].resize(count);
      for (size_t i = 0; i < count; ++i)
        groups_[t + 1][i] = double(std::llround(double((*raw[t])[i]) * scale));
    }
    groups_[0] = source_;
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
  std::vector<double> source_;
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
      double out[3];
      interp.interpolate(r, g, b, out);
      for (int c = 0; c < 3; ++c) {
        const double expected = dense.at(interp, r, g, b, c);
        ASSERT_EQ(std::memcmp(&out[c], &expected, sizeof expected), 0)
            << "(" << r << ", " << g << ", " << b << ") channel " << c << ": " << out[c]
            << " instead of " << expected;
      }
    }
  }
}
