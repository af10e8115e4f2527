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

Rgb apply(const LutFuncRgb& f, double x) {
  Rgb out;
  f.transform(x, out[0], out[1], out[2]);
  return out;
}

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

// Rough, channel-mixing codes (large rises and falls between coarse grid
// points, so every truncation direction of a midpoint shows up); counts its
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

TEST(Power, NonPositiveInputGivesZero) {
  const PowerFunc gamma(2.2);
  EXPECT_EQ(gamma.transform(0.0), 0.0);
  EXPECT_EQ(gamma.transform(-0.5), 0.0);
  EXPECT_EQ(gamma.transform(kNaN), 0.0);
  EXPECT_EQ(gamma.inverse(-1.0), 0.0);
  EXPECT_DOUBLE_EQ(gamma.inverse(gamma.transform(0.4)), 0.4);
}

TEST(Sampling1d, ShiftedValues) {
  // Below 4096 entries the divisor is the size and the last entry is at 1.0.
  std::vector<unsigned short> table(1024);
  LutFunc::sUnity.getTableForShiftedValues(1024, table.data(), 65535);
  EXPECT_EQ(table[0], 0);
  EXPECT_EQ(table[1], toCode16(1.0 / 1024, 65535));
  EXPECT_EQ(table[1022], toCode16(1022.0 / 1024, 65535));
  EXPECT_EQ(table[1023], 65535);

  // From 4096 on it is getTable except that the last input is exactly 1.0
  // instead of the accumulated 0.9999999999999966.
  const Linear half(0.5);
  std::vector<unsigned short> shifted(4096), regular(4096);
  half.getTableForShiftedValues(4096, shifted.data(), 65535);
  half.getTable(4096, regular.data(), 65535);
  EXPECT_EQ(shifted[1], toCode16(0.5 / 4095, 65535));
  EXPECT_TRUE(std::equal(shifted.begin(), shifted.end() - 1, regular.begin()));
  EXPECT_EQ(shifted[4095], 32768);
  EXPECT_EQ(regular[4095], 32767);
  unsigned short one = 7;
  half.getTableForShiftedValues(1, &one, 1023);
  EXPECT_EQ(one, 512);
}

}  // namespace

TEST(Composition, CompositeGainAndInverseWrapper) {
  Linear twice(2.0), plusOne(1.0, 1.0);
  LutComposite composite(twice, plusOne);
  EXPECT_EQ(composite.transform(1.0), 4.0);  // the right-hand function runs first
  composite.setLhs(plusOne);
  composite.setRhs(twice);
  EXPECT_EQ(composite.transform(1.0), 3.0);

  PowerFunc square(2.0), cube(3.0);
  LutFuncGain gain(square, 2.0);
  EXPECT_DOUBLE_EQ(gain.transform(0.25), 0.25);  // the gain scales the input: (0.25 * 2)^2
  gain.setFunc(plusOne);
  EXPECT_EQ(gain.transform(0.25), 1.5);

  InverseLutFunc inverse(square);
  EXPECT_DOUBLE_EQ(inverse.transform(0.25), 0.5);
  inverse.setFunc(cube);
  EXPECT_DOUBLE_EQ(inverse.transform(0.125), 0.5);
}

TEST(Cdl, SlopeOffsetClampThenPower) {
  LutFuncCdl cdl(2.0, 0.1, 1.0);
  EXPECT_DOUBLE_EQ(cdl.transform(0.3), 0.7);
  EXPECT_EQ(cdl.transform(0.6), 1.0);
  EXPECT_EQ(cdl.transform(-0.2), 0.0);
  cdl.setPower(2.0);
  EXPECT_DOUBLE_EQ(cdl.transform(0.3), 0.49);
  EXPECT_DOUBLE_EQ(cdl.inverse(0.49), 0.3);
  EXPECT_EQ(cdl.transform(-1.0), 0.0);  // clamped before the power
  cdl.setSlope(1.0);
  cdl.setOffset(0.0);
  EXPECT_TRUE(std::isnan(cdl.transform(kNaN)));

  // A zero slope: the inverse clamps the infinity, or passes 0/0.
  const LutFuncCdl flat(0.0, 0.2, 1.0);
  EXPECT_EQ(flat.inverse(0.5), 1.0);
  EXPECT_EQ(flat.inverse(0.1), 0.0);
  EXPECT_TRUE(std::isnan(flat.inverse(0.2)));
}

TEST(TripleAndAdapter, ChannelsAndNotifiedSetters) {
  Linear a(1.0), b(2.0), c(3.0);
  const LutFuncTriple triple(a, b, c);
  const Rgb out = apply(triple, 0.1);
  EXPECT_EQ(out[0], 0.1);
  EXPECT_EQ(out[1], 0.2);
  EXPECT_DOUBLE_EQ(out[2], 0.3);
  EXPECT_EQ(&triple.getColorChannel(1), &b);

  CountingTriple counting;
  counting.setColorLuts(c, b, a);
  EXPECT_EQ(counting.seen, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(&counting.getColorChannel(0), &c);

  // The adapter gives each channel only its own input.
  LutAdapter adapter(triple);
  EXPECT_EQ(apply(adapter, 0.5, 0.25, 0.125), (Rgb{0.5, 0.5, 0.375}));
  adapter.setColorChannel(0, c);
  EXPECT_EQ(apply(adapter, 0.5, 0.25, 0.125)[0], 1.5);
}

TEST(Sampling1d, PositionsAreAccumulatedSumsAndCodesClampScaleAndRound) {
  std::vector<double> table(1001);
  LutFunc::sUnity.getTable(1001, table.data());
  EXPECT_EQ(table, accumulatedPositions(1001));
  EXPECT_NE(table[1000], 1.0);  // the accumulated last position, not exactly 1.0
  double single = -1.0;
  LutFunc::sUnity.getTable(1, &single);
  EXPECT_EQ(single, 0.0);
  single = -1.0;
  LutFunc::sUnity.getTable(0, &single);
  EXPECT_EQ(single, -1.0);

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
}

TEST(SamplingRgb, PlanarAndInterleavedLayouts) {
  Linear a(1.0), b(0.5), c(0.25);
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
  // Any non-zero order is planar.
  unsigned short codes[12];
  triple.getTable(4, codes, static_cast<LutOrder>(7), 1023);
  EXPECT_EQ(codes[3], 1023);
  EXPECT_EQ(codes[7], 512);
  EXPECT_EQ(codes[11], 256);
}

TEST(Sampling3d, RedSlowestBlueFastestInBothLayouts) {
  Recorder recorder;
  double table[8 * 3];
  recorder.getTable(2, table, kLutInterleaved);
  const std::vector<Rgb> expected = {{0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {0, 1, 1},
                                     {1, 0, 0}, {1, 0, 1}, {1, 1, 0}, {1, 1, 1}};
  EXPECT_EQ(recorder.calls, expected);
  EXPECT_EQ(table[3 * 1 + 2], 1.0);  // sample (0,0,1), blue
  EXPECT_EQ(table[3 * 4 + 0], 1.0);  // sample (1,0,0), red

  unsigned short planar[27 * 3];
  LutFunc3D::sUnity.getTable(3, planar, kLutPlanar, 1000, false);
  const int k = (2 * 3 + 1) * 3 + 0;  // (r, g, b) = (1, 0.5, 0)
  EXPECT_EQ(planar[k], 1000);
  EXPECT_EQ(planar[k + 27], 500);
  EXPECT_EQ(planar[k + 54], 0);
}

TEST(HalfGrid, OddSizesEvaluateTheCoarseGridAndFillEveryMidpointByTheRule) {
  // Each filled point is checked against the rule on its own; an odd
  // difference rounds toward the lower neighbour A.
  for (int n : {3, 5, 9, 33, 65})
    for (LutOrder order : {kLutInterleaved, kLutPlanar}) {
      const int m = order == kLutPlanar ? 4095 : 65535, coarse = (n - 1) / 2 + 1;
      const long samples = long(n) * n * n;
      std::vector<unsigned short> half(3 * samples), full(3 * samples);
      Rough rough;
      rough.getTable(n, half.data(), order, m, true);
      EXPECT_EQ(rough.calls, coarse * coarse * coarse) << n;
      rough.getTable(n, full.data(), order, m, false);
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
              // Coarse points are evaluated; for these sizes their positions
              // are exact binary fractions on both grids.
              const bool good =
                  (dr | dg | db) == 0 ? v == at(full, r, g, b, c) : v == lo + (hi - lo) / 2;
              if (!good && ++mismatches < 5)
                ADD_FAILURE() << "n " << n << " order " << order << " point (" << r << ", " << g
                              << ", " << b << ") channel " << c;
            }
    }
}

TEST(HalfGrid, EvenSizeEvaluatesTheFullGrid) {
  Rough rough;
  std::vector<unsigned short> half(4 * 4 * 4 * 3), full(4 * 4 * 4 * 3);
  rough.getTable(4, half.data(), kLutInterleaved, 65535, true);
  EXPECT_EQ(rough.calls, 64);
  rough.getTable(4, full.data(), kLutInterleaved, 65535, false);
  EXPECT_EQ(half, full);
}
