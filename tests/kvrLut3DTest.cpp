// 3-D tables: cell lookup, tetrahedral and tricubic interpolation, and Lut3D
// with its batch paths (SIMD where the processor has AVX2).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <type_traits>
#include <vector>

#include "kvrLut3D.h"
#include "kvrTestTables.h"
#include "kvrTetrahedralInterpolator.h"
#include "kvrTricubicInterpolator.h"

using namespace Kalvora;
using KalvoraTest::makeTable;

namespace {

// Inside, on the faces and corners, on ties, and outside the unit cube.
const double kPoints[][3] = {{0.1, 0.2, 0.3}, {0.9, 0.45, 0.05}, {1, 1, 1},         {0, 0, 0},
                             {1.2, 0.5, 0.5}, {-0.1, 0.3, 1.1},  {0.5, -0.25, 1.5}, {0.5, 0.5, 0.5},
                             {0.3, 0.3, 0.7}, {1, 0, 0.5}};

std::array<double, 3> at(Interpolator3d& interp, double r, double g, double b) {
  std::array<double, 3> out;
  interp.interpolate(r, g, b, out.data());
  return out;
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

std::array<double, 3> at(const LutFunc3D& f, double r, double g, double b) {
  std::array<double, 3> out;
  f.transform(r, g, b, out[0], out[1], out[2]);
  return out;
}

// Equal bits, or both NaN (which NaN survives a sum depends on operand order).
template <class Real>
bool sameBits(Real a, Real b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  using Bits = std::conditional_t<sizeof(Real) == 8, uint64_t, uint32_t>;
  Bits x = 0, y = 0;
  std::memcpy(&x, &a, sizeof a);
  std::memcpy(&y, &b, sizeof b);
  return x == y;
}

// Unstructured codes: every corner difference and tetrahedron shows.
std::vector<unsigned short> makeNoiseTable(int n, LutOrder order, unsigned seed) {
  std::mt19937 random(seed);
  return makeTable(n, order, [&](int, int, int, int) { return int(random() % 65536); });
}

// Grid points by division and by addition, cell borders and neighbours, ties,
// outside points, infinities, NaN, signed zeros, subnormals, random points.
std::vector<double> makeTriples(int n, int randomCount = 20000) {
  std::vector<double> axis = {0.0,  -0.0,  1.0,    -1e-300, 1e-310, 0.5,  -0.25, 1.25,  2.0,
                              -3.0, 1e300, -1e300, kInf,    -kInf,  kNan, 0.999, 1e-17, 1 - 1e-16};
  const int cells = n > 1 ? n - 1 : 1;
  double accumulated = 0.0;
  for (int i = 0; i <= cells; ++i, accumulated += 1.0 / cells) {
    const double exact = double(i) / cells;
    axis.insert(axis.end(), {exact, accumulated, std::nextafter(exact, 2.0),
                             std::nextafter(exact, -1.0), (i + 0.5) / cells});
  }
  std::vector<double> triples;
  auto add = [&](double r, double g, double b) { triples.insert(triples.end(), {r, g, b}); };
  for (size_t i = 0; i < axis.size(); i += 3)
    for (size_t j = 0; j < axis.size(); j += 2)
      for (size_t k = 0; k < axis.size(); k += 5) add(axis[i], axis[j], axis[k]);
  for (double v : axis) triples.insert(triples.end(), {v, v, v, v, v, 0.3, 0.3, v, v, v, 0.3, v});
  std::mt19937 random(7);
  std::uniform_real_distribution<double> inside(0.0, 1.0), around(-0.3, 1.3);
  for (int i = 0; i < randomCount; ++i) add(inside(random), inside(random), inside(random));
  for (int i = 0; i < randomCount / 4; ++i) add(around(random), around(random), around(random));
  return triples;
}

// Narrows to float, values beyond the float range becoming infinities.
float toFloat(double v) {
  const float inf = std::numeric_limits<float>::infinity();
  if (std::fabs(v) > std::numeric_limits<float>::max()) return v > 0 ? inf : -inf;
  return static_cast<float>(v);
}

std::vector<double> perPixel(const LutFunc3D& f, const std::vector<double>& in) {
  std::vector<double> out(in.size());
  for (size_t i = 0; i < in.size(); i += 3)
    f.transform(in[i], in[i + 1], in[i + 2], out[i], out[i + 1], out[i + 2]);
  return out;
}

template <class Real>
void expectBitIdentical(const std::vector<Real>& expected, const std::vector<Real>& actual,
                        const char* what) {
  ASSERT_EQ(expected.size(), actual.size());
  int failures = 0;
  for (size_t i = 0; i < expected.size() && failures < 5; ++i)
    if (!sameBits(expected[i], actual[i]) && ++failures)
      ADD_FAILURE() << what << ", value " << i << ": " << expected[i] << " against " << actual[i];
}

// d^order/dt^order of t^p at t in {0, 1}.
double monomialDerivative(int p, int order, int t) {
  if (order == 0) return (p == 0 || t == 1) ? 1.0 : 0.0;
  if (p == 0) return 0.0;
  return (p == 1 || t == 1) ? p : 0.0;
}

}  // namespace

// Tetrahedral is exact on linear tables, tricubic on cubic ones (with signed
// derivatives), also when extrapolating from the edge cells outside 0 ... 1.
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
    TricubicInterpolator smooth(cubicTable.data(), n, order);
    for (const auto& p : kPoints) {
      SCOPED_TRACE(testing::Message() << order << ": " << p[0] << " " << p[1] << " " << p[2]);
      const double r = 4 * p[0], g = 4 * p[1], b = 4 * p[2];  // grid units
      for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(at(tetrahedral, p[0], p[1], p[2])[c], linear(r, g, b)[c], 1e-9);
        EXPECT_NEAR(at(smooth, p[0], p[1], p[2])[c], cubic(r, g, b)[c], 1e-7);
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
  // Fractions 0.6 > 0.3 > 0.1 weigh corners 0, a, b, 7 by 0.4, 0.3, 0.2, 0.1.
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

// The matrix takes the corner derivatives of x^i y^j z^k to that coefficient.
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
}

// (The batch and caching tests cover the code scaling and the reader flag.)
TEST(Lut3DTest, NullTableIsTheIdentityAndSetTableReplacesTheReader) {
  auto first = KalvoraTest::makeIdentityTable(3, kLutInterleaved, 500);
  auto second = makeTable(3, kLutPlanar, [](int, int, int, int c) { return 100 * (c + 1); });
  for (bool tricubic : {false, true}) {
    Lut3D lut(3, first.data(), kLutInterleaved, 1000, tricubic);
    EXPECT_NEAR(at(lut, 0.5, 0.25, 1.0)[1], 0.25, 1e-12);
    lut.setTable(3, second.data(), kLutPlanar, 400);  // same cell, new order and maximum
    EXPECT_NEAR(at(lut, 0.5, 0.25, 1.0)[2], 0.75, 1e-12);
    lut.setTable(17, nullptr, kLutInterleaved, 4095);
    EXPECT_EQ(at(lut, 0.2, -0.5, 1.7)[1], -0.5);
  }
}

TEST(Lut3DTest, BatchEqualsThePortableAndPerPixelReadersBitForBit) {
  const struct {
    int size;
    LutOrder order;
    int maxValue;
  } tables[] = {{33, kLutInterleaved, 65535}, {33, kLutPlanar, 65535},
                {17, kLutInterleaved, 4095},  {2, kLutPlanar, 1023},
                {3, kLutInterleaved, 1000},   {1, kLutInterleaved, 65535}};
  for (const auto& c : tables) {
    SCOPED_TRACE(testing::Message() << "size " << c.size << " order " << c.order << " SIMD "
                                    << Lut3D::simdBatchAvailable());
    const auto table = makeNoiseTable(c.size, c.order, 13u * c.size + c.order);
    const Lut3D lut(c.size, table.data(), c.order, c.maxValue, false);
    const TetrahedralInterpolator portable(table.data(), c.size, c.order);
    auto in = makeTriples(c.size, 20001);
    in.resize(in.size() - 3);
    const size_t count = in.size() / 3;
    std::vector<double> out(in.size()), expected(in.size());
    lut.transformBatch(in.data(), out.data(), count);
    portable.interpolateBatch(in.data(), expected.data(), count, c.maxValue);
    expectBitIdentical(expected, out, "portable against batch");
    expectBitIdentical(perPixel(lut, in), out, "per pixel against batch");

    std::vector<float> inFloat;
    for (double v : in) inFloat.push_back(toFloat(v));
    std::vector<float> outFloat(in.size()), expectedFloat(in.size());
    lut.transformBatch(inFloat.data(), outFloat.data(), count);
    portable.interpolateBatch(inFloat.data(), expectedFloat.data(), count, c.maxValue);
    expectBitIdentical(expectedFloat, outFloat, "float portable against batch");
  }
}

// Without a cell cache Lut3D gives what the caching interpolators give.
TEST(Lut3DTest, StatelessPathsEqualTheCachingInterpolators) {
  const auto table = makeNoiseTable(9, kLutPlanar, 17);
  TetrahedralInterpolator tetrahedral(table.data(), 9, kLutPlanar);
  TricubicInterpolator tricubic(table.data(), 9, kLutPlanar);
  for (Interpolator3d* caching : std::vector<Interpolator3d*>{&tetrahedral, &tricubic}) {
    const Lut3D lut(9, table.data(), kLutPlanar, 65535,
                    caching == static_cast<Interpolator3d*>(&tricubic));
    const auto in = makeTriples(9, 300);
    std::vector<double> expected(in.size()), batch(in);
    for (size_t i = 0; i < in.size(); i += 3) {
      caching->interpolate(in[i], in[i + 1], in[i + 2], &expected[i]);
      for (int c = 0; c < 3; ++c) expected[i + c] /= 65535;
    }
    expectBitIdentical(expected, perPixel(lut, in), "caching against per pixel");
    lut.transformBatch(batch.data(), batch.data(), batch.size() / 3);
    expectBitIdentical(expected, batch, "caching against batch in place");
    lut.transformBatch(in.data(), batch.data(), 0);  // writes nothing
    expectBitIdentical(expected, batch, "empty batch");
  }
  std::vector<double> in = {0.2, -0.5, 1.7}, out(3);
  Lut3D().transformBatch(in.data(), out.data(), 1);  // no table: the identity
  EXPECT_EQ(out, in);
}
