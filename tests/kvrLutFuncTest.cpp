// The function framework: 1-D, RGB and 3-D functions and their tables.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "kvrError.h"
#include "kvrLut.h"
#include "kvrLutComposite.h"
#include "kvrMatrixLut.h"
#include "kvrRgbTestSupport.h"

using namespace Kalvora;
using KalvoraTest::expectSame;
using KalvoraTest::render;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

class Linear : public LutFunc {
public:
  explicit Linear(double factor, double offset = 0.0) : factor_(factor), offset_(offset) {}
  double transform(double x) const override { return factor_ * x + offset_; }

private:
  double factor_, offset_;
};

// Rough, channel-mixing values (every rounding of a midpoint shows); counts
// its evaluations.
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

}  // namespace

TEST(LutFuncTest, ScalarFunctionsTheirCombinationsAndTables) {
  const Linear twice(2.0), plusOne(1.0, 1.0);
  const PowerFunc gamma(2.2), square(2.0);
  const LutFuncCdl cdlPower(2.0, 0.1, 2.0), flat(0.0, 0.2, 1.0);
  const unsigned short ramp[3] = {0, 100, 200}, tall[2] = {0, 1000}, single[1] = {300};
  const struct {
    const char* name;
    double value, expected;
  } cases[] = {{"power of a negative", gamma.transform(-0.5), 0.0},
               {"composite, right-hand first", LutComposite(twice, plusOne).transform(1.0), 4.0},
               {"gain scales the input", LutFuncGain(square, 2.0).transform(0.25), 0.25},
               {"inverse wrapper", InverseLutFunc(square).transform(0.25), 0.5},
               {"cdl clamps before the power", cdlPower.transform(-1.0), 0.0},
               {"cdl power", cdlPower.transform(0.3), 0.49},
               {"cdl inverse", cdlPower.inverse(0.49), 0.3},
               {"zero slope inverse above", flat.inverse(0.5), 1.0},
               {"table just below 1", Lut(ramp, 3, 200).transform(std::nextafter(1.0, 0.0)), 1.0},
               {"table NaN", Lut(ramp, 3, 200).transform(kNaN), 1.0},
               {"codes above the maximum", Lut(tall, 2, 500).transform(1.0), 2.0},
               {"one entry", Lut(single, 1, 600).transform(0.25), 0.5},
               {"no table", Lut(nullptr, 2, 10).transform(7.0), 7.0},
               {"no entries", Lut(ramp, 0, 600).transform(0.25), 0.25}};
  for (const auto& c : cases) EXPECT_NEAR(c.value, c.expected, 1e-15) << c.name;
  EXPECT_TRUE(std::isnan(flat.inverse(0.2)));  // 0/0 passes through

  // 1-D sampling: positions are accumulated sums; codes clamp, scale, round.
  std::vector<double> table(1001), accumulated;
  LutFunc::sUnity.getTable(1001, table.data());
  for (double x = 0.0; accumulated.size() < 1001; x += 1.0 / 1000) accumulated.push_back(x);
  EXPECT_EQ(table, accumulated);
  std::vector<unsigned short> shifted(1024);  // positions i / size, the last one exactly 1
  LutFunc::sUnity.getTableForShiftedValues(1024, shifted.data(), 65535);
  LutFunc::sUnity.getTableForShiftedValues(-1, shifted.data() + 1, 0);  // writes nothing
  EXPECT_EQ(shifted[1], toCode16(1.0 / 1024, 65535));
  EXPECT_EQ(shifted[1023], 65535);
  unsigned short codes[2];  // clamped, scaled and rounded; NaN is 0
  for (const double value : {1.2, 0.5, kNaN}) {
    Linear(0.0, value).getTable(2, codes, 1023);
    EXPECT_EQ(codes[0], value > 1.0 ? 1023 : value == 0.5 ? 512 : 0) << value;
  }
}

TEST(LutFuncTest, RgbTriplesMatricesAndTheirTables) {
  const Linear a(1.0), b(0.5), c(0.25);
  const LutFuncTriple triple(a, b, c);
  LutAdapter adapter(triple);  // each channel sees only its own input
  expectSame(render(adapter, 0.5, 0.25, 0.125), {0.5, 0.125, 0.03125});
  double planar[12];
  triple.getTable(4, planar, kLutPlanar);
  EXPECT_EQ(planar[4 + 1], 0.5 * (1.0 / 3));  // green at the second position
  unsigned short codes[12];                   // any non-zero order is planar
  triple.getTable(4, codes, static_cast<LutOrder>(7), 1023);
  EXPECT_EQ(std::vector<int>({codes[3], codes[7], codes[11]}), std::vector<int>({1023, 512, 256}));

  // Matrices multiply rows by the input column, clamp to 0 ... 1 (NaN
  // passes: 0 * NaN is NaN) and keep their own copy.
  const double m[9] = {0.5, 0.25, 0.125, 0.0, 1.0, -0.5, 0.25, 0.25, 0.25};
  expectSame(render(MatrixLut(m), 0.5, 0.25, 0.125), {0.328125, 0.1875, 0.21875});
  double rotate[9] = {0, 1, 0, 0, 0, 1, 1, 0, 0};
  MatrixLut lut(rotate);
  rotate[1] = 0.0;
  expectSame(render(lut, 0.1, 0.2, 0.3), {0.2, 0.3, 0.1});
  const double clamps[9] = {-1, 0, 0, 1, 1, 1, 0, 0, 1};
  lut.setMatrix(clamps);
  expectSame(render(lut, 0.5, 0.5, 0.5), {0.0, 1.0, 0.5});
  EXPECT_TRUE(std::isnan(render(MatrixLut(), kNaN, 0.5, 0.5).b));

  unsigned short cube[27 * 3];  // cubes: red slowest, blue fastest
  LutFunc3D::sUnity.getTable(3, cube, kLutPlanar, 1000, false);
  const int k = (2 * 3 + 1) * 3 + 0;  // (r, g, b) = (1, 0.5, 0)
  EXPECT_EQ(std::vector<int>({cube[k], cube[k + 27], cube[k + 54]}),
            std::vector<int>({1000, 500, 0}));
}

TEST(LutFuncTest, CompositesRunTheirStagesInOrderAndTheSmallOneTakesTen) {
  const Linear plusEighth(1.0, 0.125), halve(0.5);
  const LutAdapter add(plusEighth, plusEighth, plusEighth), half(halve, halve, halve);
  const double turn[9] = {0, 1, 0, 0, 0, 1, 1, 0, 0};
  const MatrixLut rotate(turn);
  LutComposite3D chain;
  LutComposite3DSmall small;
  expectSame(render(small, 0.1, -2.0, 3.5), {0.1, -2.0, 3.5});
  const auto build = [&](auto& c) {
    c.addTransformation(add);
    c.addTransformation(half);
    for (int i = 0; i < 4; ++i) c.addTransformation(rotate);  // four turns are one
    expectSame(render(c, 0, 0.25, 0.5), {0.1875, 0.3125, 0.0625});
  };
  build(chain);
  build(small);
  small.reset();
  for (int i = 0; i < 10; ++i) small.addTransformation(half);
  EXPECT_EQ(render(small, 1, 1, 1).r, 1.0 / 1024);
  const ErrorHandler previous = setErrorHandler(nullptr);  // at a public boundary: a code
  const ErrorCode code = kvrBoundary("test", [&] {
    small.addTransformation(add);
    return kNoError;
  });
  setErrorHandler(previous);
  EXPECT_EQ(code, kLimitExceeded);
}

// Odd sizes evaluate the coarse grid (equal to the full grid's points) and fill
// midpoints halfway, rounding toward the lower neighbour; even sizes are full.
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
      for (long k = 0; k < 3 * samples && mismatches < 5; ++k) {
        const int c = k % 3, r = k / 3 / n / n, g = k / 3 / n % n, b = k / 3 % n;
        const int dr = r & 1, dg = g & 1, db = b & 1, v = at(half, r, g, b, c);
        const int lo = at(half, r - dr, g - dg, b - db, c),
                  hi = at(half, r + dr, g + dg, b + db, c);
        if ((dr | dg | db) == 0 ? v != at(full, r, g, b, c) : v != lo + (hi - lo) / 2) {
          ++mismatches;
          ADD_FAILURE() << "point (" << r << ", " << g << ", " << b << ") channel " << c;
        }
      }
    }
}
