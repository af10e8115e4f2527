// Lut3D: code scaling, the choice of reader, and the batch paths (the SIMD
// kernel where the processor has AVX2) against the portable and per-pixel
// readers, bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "kvrLut3D.h"
#include "kvrTestTables.h"
#include "kvrTetrahedralInterpolator.h"
#include "kvrTricubicInterpolator.h"

using namespace Kalvora;
using KalvoraTest::makeTable;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

std::array<double, 3> at(const LutFunc3D& f, double r, double g, double b) {
  std::array<double, 3> out;
  f.transform(r, g, b, out[0], out[1], out[2]);
  return out;
}

// Equal bit patterns, or both NaN: which NaN survives a sum depends on the
// operand order the compiler picked, so its sign and payload do not count.
template <class Real>
bool sameBits(Real a, Real b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Codes over the whole 16-bit range with no structure, so every corner
// difference and every tetrahedron shows up in the results.
std::vector<unsigned short> makeNoiseTable(int n, LutOrder order, unsigned seed) {
  std::mt19937 random(seed);
  return makeTable(n, order, [&](int, int, int, int) { return int(random() % 65536); });
}

// Triples that stress the cell lookup and the choice of tetrahedron: grid
// points reached by division and by repeated addition, cell borders and their
// neighbours, ties, positions outside the cube, infinities, NaN, signed zeros,
// subnormals, then random points in and around the cube.
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
  for (double v : axis) {
    add(v, v, v);
    add(v, v, 0.3);
    add(0.3, v, v);
    add(v, 0.3, v);
  }
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

}  // namespace

TEST(Lut3DTest, ScalesCodesByTheMaximumAndTheFlagSelectsTheReader) {
  for (bool tricubic : {false, true}) {
    Lut3D none(tricubic);
    EXPECT_EQ(at(none, 0.2, -0.5, 1.7), (std::array<double, 3>{0.2, -0.5, 1.7}));
    none.setTable(17, nullptr, kLutInterleaved, 4095);  // still the identity
    EXPECT_EQ(at(none, 0.2, -0.5, 1.7)[1], -0.5);

    // Same cell, new table, new order and new maximum code.
    auto first = KalvoraTest::makeIdentityTable(3, kLutInterleaved, 500);
    auto second = makeTable(3, kLutPlanar, [](int, int, int, int c) { return 100 * (c + 1); });
    Lut3D lut(3, first.data(), kLutInterleaved, 1000, tricubic);
    const auto before = at(lut, 0.5, 0.25, 1.0);
    EXPECT_NEAR(before[0], 0.5, 1e-12);
    EXPECT_NEAR(before[1], 0.25, 1e-12);
    lut.setTable(3, second.data(), kLutPlanar, 400);
    const auto after = at(lut, 0.5, 0.25, 1.0);
    EXPECT_NEAR(after[0], 0.25, 1e-12);
    EXPECT_NEAR(after[2], 0.75, 1e-12);
    EXPECT_TRUE(std::isnan(at(lut, kNan, 0.5, 0.5)[0]));
  }
  // Along red the codes are 0, 1000, 4000: halfway into the first cell the
  // tetrahedral reader gives 500, the Hermite cubic with slopes 1000 and 2000
  // per cell gives 375.
  const int codes[3] = {0, 1000, 4000};
  auto table = makeTable(3, kLutInterleaved, [&](int r, int, int, int) { return codes[r]; });
  EXPECT_NEAR(at(Lut3D(3, table.data(), kLutInterleaved, 1000, false), 0.25, 0.5, 0.5)[0], 0.5,
              1e-12);
  EXPECT_NEAR(at(Lut3D(3, table.data(), kLutInterleaved, 1000, true), 0.25, 0.5, 0.5)[0], 0.375,
              1e-12);
}

TEST(Lut3DTest, SamplesBackIntoTheSameTable) {
  const int n = 5;
  auto table = makeTable(n, kLutInterleaved, [](int r, int g, int b, int c) {
    return (r * 7919 + g * 104729 + b * 31 + c * 1543) % 4096;
  });
  const Lut3D lut(n, table.data(), kLutInterleaved, 4095, false);
  std::vector<unsigned short> resampled(table.size());
  lut.getTable(n, resampled.data(), kLutInterleaved, 4095, false);
  for (unsigned short& code : table) code = std::min<unsigned short>(code, 4095);
  EXPECT_EQ(resampled, table);
}

// The batch entry point (the SIMD kernel on processors with AVX2) against the
// portable reader and against the per-pixel path, in double and float, both
// layouts, an odd pixel count for the partial vector.
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
    std::vector<float> outFloat(in.size()), expectedFloat(in.size()), rounded;
    lut.transformBatch(inFloat.data(), outFloat.data(), count);
    portable.interpolateBatch(inFloat.data(), expectedFloat.data(), count, c.maxValue);
    expectBitIdentical(expectedFloat, outFloat, "float portable against batch");
    for (double v : perPixel(lut, std::vector<double>(inFloat.begin(), inFloat.end())))
      rounded.push_back(static_cast<float>(v));
    expectBitIdentical(rounded, outFloat, "float per pixel against batch");
  }
}

TEST(Lut3DTest, BatchWorksInPlaceAndForTricubicAndIdentityTables) {
  const auto table = makeNoiseTable(9, kLutInterleaved, 3);
  const Lut3D lut(9, table.data(), kLutInterleaved, 65535, false);
  const auto in = makeTriples(9);
  auto data = in;
  lut.transformBatch(data.data(), data.data(), data.size() / 3);
  expectBitIdentical(perPixel(lut, in), data, "in place");
  double untouched[3] = {-7, -7, -7};
  lut.transformBatch(in.data(), untouched, 0);
  EXPECT_EQ(untouched[0], -7);

  // The tricubic batch is a plain loop; a few points show it is wired up.
  const Lut3D smooth(9, table.data(), kLutInterleaved, 65535, true);
  const Lut3D identity;
  const auto few = makeTriples(9, 200);
  for (const Lut3D* f : {&smooth, &identity}) {
    std::vector<double> out(few.size());
    f->transformBatch(few.data(), out.data(), few.size() / 3);
    expectBitIdentical(perPixel(*f, few), out, f == &smooth ? "tricubic" : "identity");
  }
}

// Lut3D's per-pixel path keeps no cell cache (so threads may share it); it
// must still give what the caching interpolators give, cell changes and all.
TEST(Lut3DTest, StatelessPerPixelPathEqualsTheCachingInterpolators) {
  const auto table = makeNoiseTable(9, kLutPlanar, 17);
  for (bool tricubic : {false, true}) {
    SCOPED_TRACE(tricubic ? "tricubic" : "tetrahedral");
    const Lut3D lut(9, table.data(), kLutPlanar, 65535, tricubic);
    TetrahedralInterpolator tetrahedral(table.data(), 9, kLutPlanar);
    TricubicInterpolator smooth(table.data(), 9, kLutPlanar);
    Interpolator3d& caching = tricubic ? static_cast<Interpolator3d&>(smooth) : tetrahedral;
    const auto in = makeTriples(9, tricubic ? 300 : 3000);
    std::vector<double> expected(in.size());
    for (size_t i = 0; i < in.size(); i += 3) {
      caching.interpolate(in[i], in[i + 1], in[i + 2], &expected[i]);
      for (int c = 0; c < 3; ++c) expected[i + c] /= 65535;
    }
    expectBitIdentical(expected, perPixel(lut, in), "caching against stateless");
  }
}
