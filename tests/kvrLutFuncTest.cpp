// The function framework: 1-D functions and their combinations, RGB triples,
// and the sampling of 1-D, RGB and 3-D functions into tables (half grids too).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "kvrLutFunc.h"

using namespace Kalvora;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

class Linear : public LutFunc {
public:
  explicit Linear(double factor, double offset = 0.0) : factor_(factor), offset_(offset) {}
  double transform(double x) const override { return factor_ * x + offset_; }

private:
  double factor_, offset_;
};

using Rgb = std::array<double, 3>;

Rgb apply(const LutFunc3D& f, double r, double g, double b) {
  Rgb out;
  f.transform(r, g, b, out[0], out[1], out[2]);
  return out;
}

// Records every input it sees.
class Recorder : public LutFunc3D {
public:
  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override {
    calls.push_back({r, g, b});
    outR = r;
    outG = g;
    outB = b;
  }
  mutable std::vector<Rgb> calls;
};

// Rough, channel-mixing values (large rises and falls between coarse grid
// points, so every rounding direction of a midpoint shows up); counts its
// evaluations.
class Rough : public LutFunc3D {
public:
  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override {
    calls++;
    outR = std::fmod(r * 7.31 + g * 3.17 + b * 11.7, 1.0);
    outG = std::fmod(std::sin(40.0 * r * g) + 1.0 + b, 1.0);
    outB = 1.0 - std::fmod(b * 13.1 + r * g * 5.3, 1.0);
  }
  mutable int calls = 0;
};

class CountingTriple : public LutFuncTriple {
public:
  void setColorChannel(int channel, const LutFunc& func) override {
    seen.push_back(channel);
    LutFuncTriple::setColorChannel(channel, func);
  }
  std::vector<int> seen;
};

// Positions reached by repeated addition of the step.
std::vector<double> accumulatedPositions(int size) {
  std::vector<double> positions;
  double x = 0.0;
  for (int i = 0; i < size; ++i, x += 1.0 / (size - 1)) positions.push_back(x);
  return positions;
}

}  // namespace

TEST(LutFuncTest, ScalarFunctionsAndTheirCombinations) {
  const Linear twice(2.0), plusOne(1.0, 1.0);
  const PowerFunc gamma(2.2), square(2.0);
  const LutFuncCdl cdl(2.0, 0.1, 1.0), cdlPower(2.0, 0.1, 2.0), flat(0.0, 0.2, 1.0);
  const LutComposite composite(twice, plusOne);  // the right-hand function runs first
  const LutFuncGain gain(square, 2.0);           // the gain scales the input
  const InverseLutFunc root(square);
  const struct {
    const char* name;
    double value, expected;
  } cases[] = {{"power of 0", gamma.transform(0.0), 0.0},
               {"power of a negative", gamma.transform(-0.5), 0.0},
               {"power of NaN", gamma.transform(kNaN), 0.0},
               {"inverse power of a negative", gamma.inverse(-1.0), 0.0},
               {"power round trip", gamma.inverse(gamma.transform(0.4)), 0.4},
               {"composite", composite.transform(1.0), 4.0},
               {"gain", gain.transform(0.25), 0.25},
               {"inverse wrapper", root.transform(0.25), 0.5},
               {"cdl", cdl.transform(0.3), 0.7},
               {"cdl clamps above", cdl.transform(0.6), 1.0},
               {"cdl clamps below", cdl.transform(-0.2), 0.0},
               {"cdl power", cdlPower.transform(0.3), 0.49},
               {"cdl inverse", cdlPower.inverse(0.49), 0.3},
               {"cdl clamps before the power", cdlPower.transform(-1.0), 0.0},
               {"zero slope inverse above", flat.inverse(0.5), 1.0},
               {"zero slope inverse below", flat.inverse(0.1), 0.0}};
  for (const auto& c : cases) EXPECT_NEAR(c.value, c.expected, 1e-15) << c.name;
  EXPECT_TRUE(std::isnan(flat.inverse(0.2)));  // 0/0 passes through
  EXPECT_TRUE(std::isnan(LutFuncCdl(1.0, 0.0, 1.0).transform(kNaN)));

  // The setters replace the parts.
  LutComposite swapped(twice, plusOne);
  swapped.setLhs(plusOne);
  swapped.setRhs(twice);
  EXPECT_EQ(swapped.transform(1.0), 3.0);
  LutFuncGain regained(square, 2.0);
  regained.setFunc(plusOne);
  EXPECT_EQ(regained.transform(0.25), 1.5);
  InverseLutFunc inverse(square);
  const PowerFunc cube(3.0);
  inverse.setFunc(cube);
  EXPECT_DOUBLE_EQ(inverse.transform(0.125), 0.5);
}

TEST(LutFuncTest, TriplesAndTheAdapterKeepTheChannelsApart) {
  const Linear a(1.0), b(2.0), c(3.0);
  const LutFuncTriple triple(a, b, c);
  double r, g, bl;
  triple.transform(0.1, r, g, bl);
  EXPECT_EQ(Rgb({r, g, bl}), (Rgb{0.1, 0.2, 3.0 * 0.1}));
  EXPECT_EQ(&triple.getColorChannel(1), &b);

  CountingTriple counting;
  counting.setColorLuts(c, b, a);
  EXPECT_EQ(counting.seen, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(&counting.getColorChannel(0), &c);

  LutAdapter adapter(triple);
  EXPECT_EQ(apply(adapter, 0.5, 0.25, 0.125), (Rgb{0.5, 0.5, 0.375}));
  adapter.setColorChannel(0, c);
  EXPECT_EQ(apply(adapter, 0.5, 0.25, 0.125)[0], 1.5);
}

TEST(LutFuncTest, OneDimensionalSamplingAccumulatesPositionsAndRoundsCodes) {
  std::vector<double> table(1001);
  LutFunc::sUnity.getTable(1001, table.data());
  EXPECT_EQ(table, accumulatedPositions(1001));
  EXPECT_NE(table[1000], 1.0);  // the accumulated last position, not exactly 1.0
  double single[2] = {-1.0, -1.0};
  LutFunc::sUnity.getTable(0, single);
  EXPECT_EQ(single[0], -1.0);
  LutFunc::sUnity.getTable(1, single);
  EXPECT_EQ(single[0], 0.0);

  const struct {
    double value;
    int maxCode, code;
  } cases[] = {
      {1.2, 1023, 1023}, {-0.1, 1023, 0}, {0.5, 1023, 512}, {0.5, 65535, 32768}, {kNaN, 65535, 0}};
  for (const auto& c : cases) {
    unsigned short code[2];
    Linear(0.0, c.value).getTable(2, code, c.maxCode);
    EXPECT_EQ(code[0], c.code) << c.value << " " << c.maxCode;
  }

  // Shifted values: below 4096 entries the divisor is the size; from 4096 on
  // it is getTable except that the last input is exactly 1.0.
  std::vector<unsigned short> small(1024);
  LutFunc::sUnity.getTableForShiftedValues(1024, small.data(), 65535);
  EXPECT_EQ(small[1], toCode16(1.0 / 1024, 65535));
  EXPECT_EQ(small[1023], 65535);
  const Linear half(0.5);
  std::vector<unsigned short> shifted(4096), regular(4096);
  half.getTableForShiftedValues(4096, shifted.data(), 65535);
  half.getTable(4096, regular.data(), 65535);
  EXPECT_TRUE(std::equal(shifted.begin(), shifted.end() - 1, regular.begin()));
  EXPECT_EQ(shifted[4095], 32768);
  EXPECT_EQ(regular[4095], 32767);
  unsigned short one = 7;
  half.getTableForShiftedValues(1, &one, 1023);
  EXPECT_EQ(one, 512);
}

TEST(LutFuncTest, RgbAndCubeSamplingLayouts) {
  const Linear a(1.0), b(0.5), c(0.25);
  const LutFuncTriple triple(a, b, c);
  double planar[12], interleaved[12];
  triple.getTable(4, planar, kLutPlanar);
  triple.getTable(4, interleaved, kLutInterleaved);
  const auto x = accumulatedPositions(4);
  const double gains[3] = {1.0, 0.5, 0.25};
  for (int i = 0; i < 4; ++i)
    for (int ch = 0; ch < 3; ++ch) {
      EXPECT_EQ(planar[4 * ch + i], gains[ch] * x[i]);
      EXPECT_EQ(interleaved[3 * i + ch], gains[ch] * x[i]);
    }
  unsigned short codes[12];  // any non-zero order is planar
  triple.getTable(4, codes, static_cast<LutOrder>(7), 1023);
  EXPECT_EQ(Rgb({double(codes[3]), double(codes[7]), double(codes[11])}), (Rgb{1023, 512, 256}));

  // Cubes: red slowest, blue fastest.
  Recorder recorder;
  double table[8 * 3];
  recorder.getTable(2, table, kLutInterleaved);
  const std::vector<Rgb> expected = {{0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {0, 1, 1},
                                     {1, 0, 0}, {1, 0, 1}, {1, 1, 0}, {1, 1, 1}};
  EXPECT_EQ(recorder.calls, expected);
  EXPECT_EQ(table[3 * 1 + 2], 1.0);  // sample (0,0,1), blue
  unsigned short cube[27 * 3];
  LutFunc3D::sUnity.getTable(3, cube, kLutPlanar, 1000, false);
  const int k = (2 * 3 + 1) * 3 + 0;  // (r, g, b) = (1, 0.5, 0)
  EXPECT_EQ(Rgb({double(cube[k]), double(cube[k + 27]), double(cube[k + 54])}),
            (Rgb{1000, 500, 0}));
}

// Odd sizes evaluate the coarse grid (which agrees with the full grid) and
// fill every midpoint halfway between its neighbours, rounding an odd
// difference toward the lower one; even sizes evaluate the full grid.
TEST(LutFuncTest, HalfGridAgreesWithTheFullGrid) {
  for (int n : {3, 4, 5, 9, 33, 65})
    for (LutOrder order : {kLutInterleaved, kLutPlanar}) {
      SCOPED_TRACE(testing::Message() << "size " << n << " order " << order);
      const int m = order == kLutPlanar ? 4095 : 65535, evaluated = n % 2 ? (n + 1) / 2 : n;
      const long samples = long(n) * n * n;
      std::vector<unsigned short> half(3 * samples), full(3 * samples);
      Rough rough;
      rough.getTable(n, half.data(), order, m, true);
      EXPECT_EQ(rough.calls, evaluated * evaluated * evaluated);
      rough.getTable(n, full.data(), order, m, false);
      if (n % 2 == 0) {
        EXPECT_EQ(half, full);
        continue;
      }
      auto at = [&](const std::vector<unsigned short>& t, int r, int g, int b, int c) {
        return int(t[tableIndex(order, (long(r) * n + g) * n + b, c, samples)]);
      };
      int mismatches = 0;
      for (int r = 0; r < n; ++r)
        for (int g = 0; g < n; ++g)
          for (int b = 0; b < n; ++b)
            for (int c = 0; c < 3; ++c) {
              const int dr = r & 1, dg = g & 1, db = b & 1, v = at(half, r, g, b, c);
              const int lo = at(half, r - dr, g - dg, b - db, c);
              const int hi = at(half, r + dr, g + dg, b + db, c);
              const bool good =
                  (dr | dg | db) == 0 ? v == at(full, r, g, b, c) : v == lo + (hi - lo) / 2;
              if (!good && ++mismatches < 5)
                ADD_FAILURE() << "point (" << r << ", " << g << ", " << b << ") channel " << c;
            }
    }
}
