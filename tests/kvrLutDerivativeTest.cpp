#include <gtest/gtest.h>

#include "kvrLutDerivative.h"
#include "kvrTestTables.h"

using namespace Kalvora;
using KalvoraTest::makeTable;

namespace {

// Derivative of every channel along `axis` (0 red, 1 green, 2 blue).
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

TEST(LutDerivativeTest, RampHasTheSameSlopeAtEdgesAndInterior) {
  const int n = 5;
  for (LutOrder order : {kLutInterleaved, kLutPlanar}) {
    for (int axis = 0; axis < 3; ++axis) {
      // Channel c rises by 10 per step along axis c.
      auto table = makeTable(n, order, [](int r, int g, int b, int c) {
        const int at[3] = {r, g, b};
        return 10 * at[c];
      });
      auto d = derive(table, n, order, axis);
      const long samples = n * n * n;
      for (long k = 0; k < samples; ++k)
        for (int c = 0; c < 3; ++c)
          EXPECT_EQ(d[tableIndex(order, k, c, samples)], c == axis ? 40 : 0)
              << "axis " << axis << " sample " << k << " channel " << c;
    }
  }
}

TEST(LutDerivativeTest, FallingSlopesAreNegativeNotWrapped) {
  const int n = 5;
  auto table = makeTable(n, kLutInterleaved, [](int r, int, int, int) { return 60000 - 10 * r; });
  auto d = derive(table, n, kLutInterleaved, 0);
  for (int64_t v : d) EXPECT_EQ(v, -40);
}

TEST(LutDerivativeTest, CentralDifferenceRoundsMirroredSlopesAlike) {
  // Along blue, n = 4: samples {0, 0, 1, 1} give 1.5 at the two interior
  // points, rounded to 2; the mirrored samples give -2.
  const int n = 4;
  const int rising[4] = {0, 0, 1, 1};
  auto up = makeTable(n, kLutPlanar, [&](int, int, int b, int) { return rising[b]; });
  auto down = makeTable(n, kLutPlanar, [&](int, int, int b, int) { return 1 - rising[b]; });
  auto dUp = derive(up, n, kLutPlanar, 2);
  auto dDown = derive(down, n, kLutPlanar, 2);
  const int64_t expected[4] = {0, 2, 2, 0};
  for (size_t k = 0; k < dUp.size(); ++k) {
    EXPECT_EQ(dUp[k], expected[k % 4]) << k;
    EXPECT_EQ(dDown[k], -expected[k % 4]) << k;
  }
}

TEST(LutDerivativeTest, EdgesUseOneSidedDifferences) {
  const int n = 3;
  const int samples[3] = {100, 400, 1600};
  auto table = makeTable(n, kLutInterleaved, [&](int, int g, int, int) { return samples[g]; });
  LutDerivative derivative;
  derivative.setLut(table.data(), n, kLutInterleaved);
  EXPECT_EQ(derivative.gvalue(1, 2, 0), 1600);
  std::vector<int64_t> dx(table.size()), dy(table.size()), dz(table.size());
  derivative.getGradient(dx.data(), dy.data(), dz.data());
  // (400 - 100) * 2, (1600 - 100) * 0.5 * 2, (1600 - 400) * 2.
  const long k0 = (1 * n + 0) * n + 2, k1 = (1 * n + 1) * n + 2, k2 = (1 * n + 2) * n + 2;
  EXPECT_EQ(dy[3 * k0 + 1], 600);
  EXPECT_EQ(dy[3 * k1 + 1], 1500);
  EXPECT_EQ(dy[3 * k2 + 1], 2400);
  for (size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(dx[i], 0);
    EXPECT_EQ(dz[i], 0);
  }
}

TEST(LutDerivativeTest, WideTablesCanBeDifferentiatedAgain) {
  const int n = 3;
  // A table of derivatives with values far outside 16 bits.
  std::vector<int64_t> wide(3 * n * n * n);
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b)
        for (int c = 0; c < 3; ++c) wide[3 * ((r * n + g) * n + b) + c] = -1000000 * r;
  LutDerivative derivative;
  derivative.setLut(wide.data(), n, kLutInterleaved);
  EXPECT_EQ(derivative.rvalue(2, 0, 0), -2000000);
  std::vector<int64_t> dx(wide.size());
  derivative.getdFdx(dx.data());
  for (int64_t v : dx) EXPECT_EQ(v, -2000000);
}
