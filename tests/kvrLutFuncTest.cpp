#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "kvrLutFunc.h"

using namespace Kalvora;

namespace {

class Scale : public LutFunc {
public:
  explicit Scale(double factor, double offset = 0.0) : factor_(factor), offset_(offset) {}
  double transform(double x) const override { return factor_ * x + offset_; }

private:
  double factor_, offset_;
};

class Constant : public LutFunc {
public:
  explicit Constant(double value) : value_(value) {}
  double transform(double) const override { return value_; }

private:
  double value_;
};

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
  mutable std::vector<std::array<double, 3>> calls;
};

// A smooth, channel-mixing function so half-grid midpoints differ from exact samples.
class Mixer : public LutFunc3D {
public:
  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override {
    calls++;
    outR = r * r * 0.9 + 0.1 * b;
    outG = std::sqrt(g) * 0.7 + 0.3 * r * b;
    outB = 1.0 - b * g;
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

TEST(Identity, StaticInstancesComputeTheIdentity) {
  EXPECT_EQ(LutFunc::sUnity.transform(0.37), 0.37);
  EXPECT_EQ(LutFuncInv::sUnity.transform(0.37), 0.37);
  EXPECT_EQ(LutFuncInv::sUnity.inverse(0.37), 0.37);
  double r, g, b;
  LutFuncRgb::sUnity.transform(0.2, r, g, b);
  EXPECT_EQ(r, 0.2);
  EXPECT_EQ(g, 0.2);
  EXPECT_EQ(b, 0.2);
  LutFunc3D::sUnity.transform(0.1, 0.2, 0.3, r, g, b);
  EXPECT_EQ(r, 0.1);
  EXPECT_EQ(g, 0.2);
  EXPECT_EQ(b, 0.3);
}

TEST(Identity, DefaultConstructedHoldersComputeTheIdentity) {
  EXPECT_EQ(LutComposite().transform(0.3), 0.3);
  EXPECT_EQ(LutFuncGain().transform(0.3), 0.3);
  double r, g, b;
  LutFuncTriple().transform(0.4, r, g, b);
  EXPECT_EQ(r + g + b, 1.2000000000000002);
  LutAdapter().transform(0.1, 0.2, 0.3, r, g, b);
  EXPECT_EQ(r, 0.1);
  EXPECT_EQ(g, 0.2);
  EXPECT_EQ(b, 0.3);
}

TEST(Composition, RightHandFunctionIsAppliedFirst) {
  Scale twice(2.0), plusOne(1.0, 1.0);
  LutComposite composite(twice, plusOne);
  EXPECT_EQ(composite.transform(1.0), 4.0);
  composite.setLhs(plusOne);
  composite.setRhs(twice);
  EXPECT_EQ(composite.transform(1.0), 3.0);
}

TEST(Composition, HoldersSeeLaterChangesOfWhatTheyReferTo) {
  LutFuncCdl cdl(1.0, 0.0, 1.0);
  LutFuncGain gain(cdl, 2.0);
  EXPECT_EQ(gain.transform(0.2), 0.4);
  cdl.setOffset(0.1);
  EXPECT_DOUBLE_EQ(gain.transform(0.2), 0.5);
  gain.setGain(1.0);
  EXPECT_DOUBLE_EQ(gain.transform(0.2), 0.30000000000000004);
}

TEST(Composition, GainScalesTheInput) {
  Constant flat(0.5);
  Scale square(1.0);
  PowerFunc power(2.0);
  LutFuncGain gain(power, 2.0);
  EXPECT_DOUBLE_EQ(gain.transform(0.25), 0.25);  // (0.25 * 2)^2
  gain.setFunc(flat);
  EXPECT_EQ(gain.transform(0.25), 0.5);
}

TEST(Composition, InverseWrapperEvaluatesTheInverse) {
  PowerFunc power(2.0);
  InverseLutFunc inverse(power);
  EXPECT_DOUBLE_EQ(inverse.transform(0.25), 0.5);
  PowerFunc cube(3.0);
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
  // Clamped before the power: a negative pre-power value gives exactly 0.
  EXPECT_EQ(cdl.transform(-1.0), 0.0);
  cdl.setSlope(1.0);
  cdl.setOffset(0.0);
  EXPECT_TRUE(std::isnan(cdl.transform(std::numeric_limits<double>::quiet_NaN())));
}

TEST(Cdl, ZeroSlopeInverseClampsTheInfinity) {
  LutFuncCdl cdl(0.0, 0.2, 1.0);
  EXPECT_EQ(cdl.inverse(0.5), 1.0);
  EXPECT_EQ(cdl.inverse(0.1), 0.0);
  EXPECT_TRUE(std::isnan(cdl.inverse(0.2)));
}

TEST(Power, NonPositiveInputGivesZero) {
  PowerFunc gamma(2.2);
  EXPECT_EQ(gamma.transform(0.0), 0.0);
  EXPECT_EQ(gamma.transform(-0.5), 0.0);
  EXPECT_EQ(gamma.transform(std::numeric_limits<double>::quiet_NaN()), 0.0);
  EXPECT_EQ(gamma.inverse(-1.0), 0.0);
  EXPECT_DOUBLE_EQ(gamma.inverse(gamma.transform(0.4)), 0.4);
}

TEST(Triple, EvaluatesChannelsAndNotifiesEverySetter) {
  Scale a(1.0), b(2.0), c(3.0);
  LutFuncTriple triple(a, b, c);
  double r, g, bl;
  triple.transform(0.1, r, g, bl);
  EXPECT_EQ(r, 0.1);
  EXPECT_EQ(g, 0.2);
  EXPECT_DOUBLE_EQ(bl, 0.3);
  EXPECT_EQ(&triple.getColorChannel(1), &b);

  CountingTriple counting;
  counting.setColorLuts(c, b, a);
  EXPECT_EQ(counting.seen, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(&counting.getColorChannel(0), &c);
}

TEST(Adapter, EachChannelSeesOnlyItsOwnInput) {
  Scale a(1.0), b(2.0), c(3.0);
  LutFuncTriple triple(a, b, c);
  LutAdapter adapter(triple);
  double r, g, bl;
  adapter.transform(0.5, 0.25, 0.125, r, g, bl);
  EXPECT_EQ(r, 0.5);
  EXPECT_EQ(g, 0.5);
  EXPECT_EQ(bl, 0.375);
  adapter.setColorChannel(0, c);
  adapter.transform(0.5, 0.25, 0.125, r, g, bl);
  EXPECT_EQ(r, 1.5);
}

TEST(Sampling1d, PositionsAreAccumulatedSums) {
  std::vector<double> table(1001);
  LutFunc::sUnity.getTable(1001, table.data());
  EXPECT_EQ(table, accumulatedPositions(1001));
  // The accumulated last position differs from exactly 1.0 for this size.
  EXPECT_NE(table[1000], 1.0);

  double single = -1.0;
  LutFunc::sUnity.getTable(1, &single);
  EXPECT_EQ(single, 0.0);
  LutFunc::sUnity.getTable(0, &single);
  EXPECT_EQ(single, 0.0);
}

TEST(Sampling1d, SixteenBitCodeRuleClampsScalesAndRounds) {
  unsigned short code[2];
  Constant(1.2).getTable(2, code, 1023);
  EXPECT_EQ(code[0], 1023);
  Constant(-0.1).getTable(2, code, 1023);
  EXPECT_EQ(code[0], 0);
  Constant(0.5).getTable(2, code, 1023);
  EXPECT_EQ(code[0], 512);
  Constant(0.5).getTable(2, code, 65535);
  EXPECT_EQ(code[0], 32768);
  Constant(std::numeric_limits<double>::quiet_NaN()).getTable(2, code, 65535);
  EXPECT_EQ(code[0], 0);
}

TEST(Sampling1d, ShiftedValuesBelow4096UseSizeAsDivisor) {
  std::vector<unsigned short> table(1024);
  LutFunc::sUnity.getTableForShiftedValues(1024, table.data(), 65535);
  EXPECT_EQ(table[0], 0);
  EXPECT_EQ(table[1], toCode16(1.0 / 1024, 65535));
  EXPECT_EQ(table[1022], toCode16(1022.0 / 1024, 65535));
  EXPECT_EQ(table[1023], 65535);  // the value at 1.0, not at 1023/1024
}

TEST(Sampling1d, ShiftedValuesFrom4096OnMatchGetTableButEndAtOne) {
  Scale half(0.5);
  std::vector<unsigned short> shifted(4096), regular(4096);
  half.getTableForShiftedValues(4096, shifted.data(), 65535);
  half.getTable(4096, regular.data(), 65535);
  EXPECT_EQ(shifted[1], toCode16(0.5 / 4095, 65535));
  // Identical but for the last entry, which is evaluated at exactly 1.0
  // instead of the accumulated 0.9999999999999966.
  EXPECT_TRUE(std::equal(shifted.begin(), shifted.end() - 1, regular.begin()));
  EXPECT_EQ(shifted[4095], 32768);
  EXPECT_EQ(regular[4095], 32767);
  unsigned short one = 7;
  half.getTableForShiftedValues(1, &one, 1023);
  EXPECT_EQ(one, 512);
}

TEST(SamplingRgb, PlanarAndInterleavedLayouts) {
  Scale a(1.0), b(0.5), c(0.25);
  LutFuncTriple triple(a, b, c);
  double planar[12], interleaved[12];
  triple.getTable(4, planar, kLutPlanar);
  triple.getTable(4, interleaved, kLutInterleaved);
  const auto x = accumulatedPositions(4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(planar[i], x[i]);
    EXPECT_EQ(planar[4 + i], 0.5 * x[i]);
    EXPECT_EQ(planar[8 + i], 0.25 * x[i]);
    EXPECT_EQ(interleaved[3 * i], x[i]);
    EXPECT_EQ(interleaved[3 * i + 1], 0.5 * x[i]);
    EXPECT_EQ(interleaved[3 * i + 2], 0.25 * x[i]);
  }
  // Any non-zero order is planar.
  unsigned short codes[12];
  triple.getTable(4, codes, static_cast<LutOrder>(7), 1023);
  EXPECT_EQ(codes[3], 1023);
  EXPECT_EQ(codes[7], 512);
  EXPECT_EQ(codes[11], 256);
}

TEST(Sampling3d, RedSlowestBlueFastest) {
  Recorder recorder;
  double table[8 * 3];
  recorder.getTable(2, table, kLutInterleaved);
  ASSERT_EQ(recorder.calls.size(), 8u);
  const std::array<double, 3> expected[8] = {{0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {0, 1, 1},
                                             {1, 0, 0}, {1, 0, 1}, {1, 1, 0}, {1, 1, 1}};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(recorder.calls[k], expected[k]) << k;
  EXPECT_EQ(table[3 * 1 + 2], 1.0);  // sample (0,0,1), blue
  EXPECT_EQ(table[3 * 4 + 0], 1.0);  // sample (1,0,0), red
}

TEST(Sampling3d, PlanarSixteenBitPlanes) {
  unsigned short table[27 * 3];
  LutFunc3D::sUnity.getTable(3, table, kLutPlanar, 1000, false);
  const int k = (2 * 3 + 1) * 3 + 0;  // (r, g, b) = (1, 0.5, 0)
  EXPECT_EQ(table[k], 1000);
  EXPECT_EQ(table[k + 27], 500);
  EXPECT_EQ(table[k + 54], 0);
}

TEST(HalfGrid, SizeThreeEvaluatesCornersAndAveragesTheCentre) {
  Mixer mixer;
  unsigned short half[27 * 3], full[27 * 3];
  mixer.getTable(3, half, kLutInterleaved, 65535, true);
  EXPECT_EQ(mixer.calls, 8);
  mixer.getTable(3, full, kLutInterleaved, 65535, false);
  EXPECT_EQ(mixer.calls, 8 + 27);
  auto at = [](const unsigned short* t, int r, int g, int b, int c) {
    return int(t[3 * ((r * 3 + g) * 3 + b) + c]);
  };
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(at(half, 0, 0, 0, c), at(full, 0, 0, 0, c));
    EXPECT_EQ(at(half, 2, 2, 2, c), at(full, 2, 2, 2, c));
    const int lo = at(half, 0, 0, 0, c), hi = at(half, 2, 2, 2, c);
    EXPECT_EQ(at(half, 1, 1, 1, c), lo + (hi - lo) / 2);
    // Face centre on the red = 0 face: diagonal (0,0,0)-(0,2,2).
    EXPECT_EQ(at(half, 0, 1, 1, c), lo + (at(half, 0, 2, 2, c) - lo) / 2);
    // Edge midpoint along green on the upper red/blue edge.
    EXPECT_EQ(at(half, 2, 1, 2, c),
              at(half, 2, 0, 2, c) + (at(half, 2, 2, 2, c) - at(half, 2, 0, 2, c)) / 2);
  }
}

TEST(HalfGrid, OddDifferencesTruncateTowardTheLowerNeighbour) {
  // Blue falls from 1.0 to 0.0 along blue, so the difference is negative.
  class Falling : public LutFunc3D {
  public:
    void transform(double, double, double b, double& r, double& g, double& bl) const override {
      r = b * 3.0 / 65535.0;  // 0 -> 3: difference +3 rounds down to 1
      g = 0.0;
      bl = 1.0 - b * 3.0 / 65535.0;  // 65535 -> 65532: difference -3 rounds up to -1
    }
  } falling;
  unsigned short t[27 * 3];
  falling.getTable(3, t, kLutInterleaved, 65535, true);
  EXPECT_EQ(t[3 * 1 + 0], 1);
  EXPECT_EQ(t[3 * 1 + 2], 65534);
}

TEST(HalfGrid, LargerOddGridsMatchEvaluationAtEvenPoints) {
  Mixer mixer;
  const int n = 9;
  std::vector<unsigned short> half(n * n * n * 3), full(n * n * n * 3);
  mixer.getTable(n, half.data(), kLutPlanar, 4095, true);
  EXPECT_EQ(mixer.calls, 125);
  mixer.getTable(n, full.data(), kLutPlanar, 4095, false);
  const int samples = n * n * n;
  for (int r = 0; r < n; r += 2)
    for (int g = 0; g < n; g += 2)
      for (int b = 0; b < n; b += 2)
        for (int c = 0; c < 3; ++c) {
          const int k = (r * n + g) * n + b + c * samples;
          EXPECT_NEAR(half[k], full[k], 1);  // coarse positions are accumulated on their own grid
        }
  // A face centre (4, 5, 5) comes from (4, 4, 4) and (4, 6, 6).
  auto at = [&](int r, int g, int b, int c) {
    return int(half[(r * n + g) * n + b + c * samples]);
  };
  for (int c = 0; c < 3; ++c)
    EXPECT_EQ(at(4, 5, 5, c), at(4, 4, 4, c) + (at(4, 6, 6, c) - at(4, 4, 4, c)) / 2);
}

TEST(HalfGrid, EveryMidpointFollowsTheRuleForLargeGrids) {
  // Rough codes (large rises and falls between coarse points) so that every
  // truncation direction shows up; each filled point is checked against the
  // midpoint rule applied to that point alone.
  class Rough : public LutFunc3D {
  public:
    void transform(double r, double g, double b, double& outR, double& outG,
                   double& outB) const override {
      outR = std::fmod(r * 7.31 + g * 3.17 + b * 11.7, 1.0);
      outG = std::fmod(std::sin(40.0 * r * g) + 1.0 + b, 1.0);
      outB = 1.0 - std::fmod(b * 13.1 + r * g * 5.3, 1.0);
    }
  } rough;
  for (int n : {5, 33, 65})
    for (LutOrder order : {kLutInterleaved, kLutPlanar}) {
      const long samples = long(n) * n * n;
      std::vector<unsigned short> t(3 * samples);
      rough.getTable(n, t.data(), order, 65535, true);
      auto at = [&](int r, int g, int b, int c) {
        return int(t[tableIndex(order, (long(r) * n + g) * n + b, c, samples)]);
      };
      int mismatches = 0;
      for (int r = 0; r < n; ++r)
        for (int g = 0; g < n; ++g)
          for (int b = 0; b < n; ++b) {
            const int dr = r & 1, dg = g & 1, db = b & 1;
            if ((dr | dg | db) == 0) continue;
            for (int c = 0; c < 3; ++c) {
              const int lo = at(r - dr, g - dg, b - db, c), hi = at(r + dr, g + dg, b + db, c);
              if (at(r, g, b, c) != lo + (hi - lo) / 2 && ++mismatches < 5)
                ADD_FAILURE() << "n " << n << " order " << order << " point (" << r << ", " << g
                              << ", " << b << ") channel " << c;
            }
          }
    }
}

TEST(HalfGrid, EvenSizeEvaluatesTheFullGrid) {
  Mixer mixer;
  std::vector<unsigned short> half(4 * 4 * 4 * 3), full(4 * 4 * 4 * 3);
  mixer.getTable(4, half.data(), kLutInterleaved, 65535, true);
  EXPECT_EQ(mixer.calls, 64);
  mixer.getTable(4, full.data(), kLutInterleaved, 65535, false);
  EXPECT_EQ(half, full);
}
