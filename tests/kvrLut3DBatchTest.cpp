#include <gtest/gtest.h>

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

// Equal bit patterns, or both NaN: when two NaNs meet in a sum the hardware
// keeps one of them, and which one depends on the operand order the
// compiler picked, so the sign and payload of a NaN are not part of the
// result.
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
// points reached by division and by repeated addition, cell borders and the
// values next to them, ties between the fractions, positions outside the
// cube, infinities, NaN in each channel, signed zeros, subnormals, and plain
// random points inside and around the cube.
std::vector<double> makeTriples(int n, int randomCount = 20000) {
  std::vector<double> axis = {0.0,  -0.0,  1.0,    -1e-300, 1e-310, 0.5,  -0.25, 1.25,  2.0,
                              -3.0, 1e300, -1e300, kInf,    -kInf,  kNan, 0.999, 1e-17, 1 - 1e-16};
  const int cells = n > 1 ? n - 1 : 1;
  double accumulated = 0.0;
  for (int i = 0; i <= cells; ++i, accumulated += 1.0 / cells) {
    const double exact = double(i) / cells;
    axis.push_back(exact);
    axis.push_back(accumulated);
    axis.push_back(std::nextafter(exact, 2.0));
    axis.push_back(std::nextafter(exact, -1.0));
    axis.push_back((i + 0.5) / cells);
  }
  std::vector<double> triples;
  auto add = [&](double r, double g, double b) { triples.insert(triples.end(), {r, g, b}); };
  // Every pairing of a few axis values, including all the exact ties.
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

// Narrows to float with values beyond the float range becoming infinities.
float toFloat(double v) {
  const double top = std::numeric_limits<float>::max();
  if (v > top) return std::numeric_limits<float>::infinity();
  if (v < -top) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(v);
}

// What the per-pixel path gives, through the virtual interface.
std::vector<double> perPixel(const LutFunc3D& f, const std::vector<double>& in) {
  std::vector<double> out(in.size());
  for (size_t i = 0; i < in.size(); i += 3)
    f.transform(in[i], in[i + 1], in[i + 2], out[i], out[i + 1], out[i + 2]);
  return out;
}

void expectBitIdentical(const std::vector<double>& expected, const std::vector<double>& actual,
                        const std::vector<double>& in) {
  ASSERT_EQ(expected.size(), actual.size());
  int failures = 0;
  for (size_t i = 0; i < expected.size() && failures < 5; ++i)
    if (!sameBits(expected[i], actual[i])) {
      ++failures;
      const size_t t = i - i % 3;
      ADD_FAILURE() << "channel " << i % 3 << " of (" << in[t] << ", " << in[t + 1] << ", "
                    << in[t + 2] << "): per pixel " << expected[i] << ", batch " << actual[i];
    }
}

struct TableCase {
  int size;
  LutOrder order;
  int maxValue;
};

const TableCase kTables[] = {{33, kLutInterleaved, 65535}, {33, kLutPlanar, 65535},
                             {17, kLutInterleaved, 4095},  {2, kLutPlanar, 1023},
                             {3, kLutInterleaved, 1000},   {1, kLutInterleaved, 65535}};

}  // namespace

TEST(Lut3DBatchTest, TetrahedralBatchMatchesThePerPixelPathBitForBit) {
  for (const TableCase& c : kTables) {
    SCOPED_TRACE(testing::Message() << "size " << c.size << " order " << c.order);
    const auto table = makeNoiseTable(c.size, c.order, 11u * c.size + c.order);
    const Lut3D lut(c.size, table.data(), c.order, c.maxValue, false);
    const auto in = makeTriples(c.size);
    std::vector<double> out(in.size());
    lut.transformBatch(in.data(), out.data(), in.size() / 3);
    expectBitIdentical(perPixel(lut, in), out, in);
  }
}

TEST(Lut3DBatchTest, FloatBatchRoundsThePerPixelResult) {
  for (const TableCase& c : kTables) {
    SCOPED_TRACE(testing::Message() << "size " << c.size << " order " << c.order);
    const auto table = makeNoiseTable(c.size, c.order, 5u * c.size + c.order);
    const Lut3D lut(c.size, table.data(), c.order, c.maxValue, false);
    const auto wide = makeTriples(c.size);
    std::vector<float> in;
    for (double v : wide) in.push_back(toFloat(v));
    std::vector<float> out(in.size());
    lut.transformBatch(in.data(), out.data(), in.size() / 3);
    const auto expected = perPixel(lut, std::vector<double>(in.begin(), in.end()));
    int failures = 0;
    for (size_t i = 0; i < in.size() && failures < 5; ++i)
      if (!sameBits(static_cast<float>(expected[i]), out[i])) {
        ++failures;
        ADD_FAILURE() << "value " << i << ": per pixel " << expected[i] << ", batch " << out[i];
      }
  }
}

TEST(Lut3DBatchTest, WorksInPlaceAndLeavesThePerPixelPathIntact) {
  const auto table = makeNoiseTable(9, kLutInterleaved, 3);
  const Lut3D lut(9, table.data(), kLutInterleaved, 65535, false);
  const auto in = makeTriples(9);
  // One per-pixel call first, so the batch runs with a filled cell cache.
  double warm[3];
  lut.transform(0.9, 0.1, 0.5, warm[0], warm[1], warm[2]);
  auto data = in;
  lut.transformBatch(data.data(), data.data(), data.size() / 3);
  expectBitIdentical(perPixel(lut, in), data, in);
}

TEST(Lut3DBatchTest, TricubicAndIdentityBatchesMatchThePerPixelPath) {
  const auto table = makeNoiseTable(5, kLutPlanar, 9);
  const Lut3D smooth(5, table.data(), kLutPlanar, 65535, true);
  const Lut3D identity;
  // The tricubic batch is a plain loop; a few points show it is wired up.
  const auto in = makeTriples(5, 200);
  for (const Lut3D* lut : {&smooth, &identity}) {
    std::vector<double> out(in.size());
    lut->transformBatch(in.data(), out.data(), in.size() / 3);
    expectBitIdentical(perPixel(*lut, in), out, in);
  }
}

TEST(Lut3DBatchTest, EmptyBatchWritesNothing) {
  const auto table = makeNoiseTable(3, kLutInterleaved, 1);
  const Lut3D lut(3, table.data(), kLutInterleaved, 65535, false);
  const double in[3] = {0.5, 0.5, 0.5};
  double out[3] = {-7, -7, -7};
  lut.transformBatch(in, out, 0);
  EXPECT_EQ(out[0], -7);
  EXPECT_EQ(out[2], -7);
}

// The batch entry point (the SIMD kernel on processors with AVX2) against
// the portable reader on many random pixels and every awkward triple, in
// double and float, both layouts, odd pixel counts for the partial vector.
TEST(Lut3DBatchTest, BatchEntryPointEqualsThePortableReaderBitForBit) {
  for (const TableCase& c : kTables) {
    SCOPED_TRACE(testing::Message() << "size " << c.size << " order " << c.order << " SIMD "
                                    << Lut3D::simdBatchAvailable());
    const auto table = makeNoiseTable(c.size, c.order, 13u * c.size + c.order);
    const Lut3D lut(c.size, table.data(), c.order, c.maxValue, false);
    const TetrahedralInterpolator portable(table.data(), c.size, c.order);
    auto in = makeTriples(c.size, 20001);
    in.resize(in.size() - 3);  // an odd count
    const size_t count = in.size() / 3;
    std::vector<double> out(in.size()), expected(in.size());
    lut.transformBatch(in.data(), out.data(), count);
    portable.interpolateBatch(in.data(), expected.data(), count, c.maxValue);
    expectBitIdentical(expected, out, in);

    std::vector<float> inFloat;
    for (double v : in) inFloat.push_back(toFloat(v));
    std::vector<float> outFloat(in.size()), expectedFloat(in.size());
    lut.transformBatch(inFloat.data(), outFloat.data(), count);
    portable.interpolateBatch(inFloat.data(), expectedFloat.data(), count, c.maxValue);
    int failures = 0;
    for (size_t i = 0; i < in.size() && failures < 5; ++i)
      if (!sameBits(expectedFloat[i], outFloat[i])) {
        ++failures;
        ADD_FAILURE() << "float value " << i << ": portable " << expectedFloat[i] << ", batch "
                      << outFloat[i];
      }
  }
}

// Lut3D's per-pixel path keeps no cell cache (so threads may share it); it
// must still give what the caching interpolators give, cell changes and all.
TEST(Lut3DBatchTest, StatelessPerPixelPathEqualsTheCachingInterpolators) {
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
    expectBitIdentical(expected, perPixel(lut, in), in);
  }
}
