// 1-D tables, the matrix stage and the 3-D composites.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "kvrError.h"
#include "kvrLut.h"
#include "kvrLutComposite.h"
#include "kvrLutInverse.h"
#include "kvrMatrixLut.h"
#include "kvrRgbTestSupport.h"

using namespace Kalvora;
using KalvoraTest::render;

namespace {

// out = in * scale + add on every channel.
class Affine : public LutFunc3D {
public:
  Affine(double scale, double add) : scale_(scale), add_(add) {}
  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override {
    outR = r * scale_ + add_;
    outG = g * scale_ + add_;
    outB = b * scale_ + add_;
  }

private:
  double scale_, add_;
};

// Writes its outputs in an order that corrupts later reads if a stage gets
// its inputs by reference.
class Rotate : public LutFunc3D {
public:
  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override {
    outR = g;
    outG = b;
    outB = r;
  }
};

}  // namespace

TEST(LutTest, InterpolatesHoldsTheEndsAndReadsSmallTablesSafely) {
  const unsigned short ramp[3] = {0, 100, 200}, curved[5] = {0, 10, 40, 90, 160};
  const unsigned short tall[2] = {0, 1000}, single[1] = {300};
  const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
  const struct {
    const unsigned short* table;
    int size, maxCode;
    double x, y;
  } cases[] = {{ramp, 3, 200, 0.25, 0.25},
               {ramp, 3, 200, -1.0, 0.0},
               {ramp, 3, 200, 2.0, 1.0},
               {ramp, 3, 200, std::nextafter(1.0, 0.0), 1.0},
               {ramp, 3, 200, nan, 1.0},
               {ramp, 3, 200, -inf, 0.0},
               {curved, 5, 160, 0.875, 125.0 / 160},
               {tall, 2, 500, 1.0, 2.0},  // codes above the maximum are not clamped
               {single, 1, 600, 2.0, 0.5},
               {nullptr, 2, 10, 7.0, 7.0},
               {ramp, 0, 600, 0.25, 0.25}};  // no table or no entries: the identity
  Lut lut;
  EXPECT_EQ(lut.transform(-0.5), -0.5);
  for (const auto& c : cases) {
    lut.setTable(c.table, c.size, c.maxCode);
    EXPECT_DOUBLE_EQ(lut.transform(c.x), c.y) << "case " << &c - cases;
  }
  // Sampling gives back the codes.
  unsigned short table[17], resampled[17];
  for (int i = 0; i < 17; ++i) table[i] = static_cast<unsigned short>(i * i * 16);
  Lut(table, 17, 4096).getTable(17, resampled, 4096);
  for (int i = 0; i < 17; ++i) EXPECT_EQ(resampled[i], std::min<int>(table[i], 4096)) << i;

  // Each direction of an invertible table reads its own codes.
  const unsigned short forward[3] = {0, 300, 1023}, inverse[3] = {0, 700, 1023};
  const LutInverse both(forward, inverse, 3, 1023);
  EXPECT_DOUBLE_EQ(both.transform(0.25), 150.0 / 1023);
  EXPECT_DOUBLE_EQ(both.inverse(0.75), 861.5 / 1023);
  EXPECT_EQ(both.transform(0.5, nullptr, 3, 1023.0), 0.5);
}

TEST(MatrixLutTest, MultipliesClampsToTheUnitRangeAndKeepsItsOwnCopy) {
  KalvoraTest::expectSame(render(MatrixLut(), 0.1, 0.5, 0.9), {0.1, 0.5, 0.9});
  const double m[9] = {0.5, 0.25, 0.125, 0.0, 1.0, -0.5, 0.25, 0.25, 0.25};
  const KalvoraTest::Rgb out = render(MatrixLut(m), 0.8, 0.4, 0.2);
  EXPECT_DOUBLE_EQ(out.r, 0.4 + 0.1 + 0.025);
  EXPECT_DOUBLE_EQ(out.g, 0.4 - 0.1);
  EXPECT_DOUBLE_EQ(out.b, 0.35);

  double rotate[9] = {0, 1, 0, 0, 0, 1, 1, 0, 0};
  MatrixLut lut(rotate);
  rotate[1] = 0.0;
  KalvoraTest::expectSame(render(lut, 0.1, 0.2, 0.3), {0.2, 0.3, 0.1});
  const double clamps[9] = {-1, 0, 0, 1, 1, 1, 0, 0, 1};
  lut.setMatrix(clamps);
  KalvoraTest::expectSame(render(lut, 0.5, 0.5, 0.5), {0.0, 1.0, 0.5});
  EXPECT_TRUE(std::isnan(render(MatrixLut(), std::nan(""), 0.5, 0.5).b));  // 0 * NaN is NaN
}

TEST(LutComposite3DTest, StagesRunInOrderAndTheSmallChainTakesTen) {
  const Affine addTenth(1.0, 0.1), twice(2.0, 0.0), one(1.0, 1.0);
  const Rotate rotate;
  LutComposite3D chain, rotations;
  LutComposite3DSmall small, smallRotations;
  KalvoraTest::expectSame(render(small, 0.1, -2.0, 3.5), {0.1, -2.0, 3.5});
  chain.addTransformation(addTenth);
  chain.addTransformation(twice);
  small.addTransformation(addTenth);
  small.addTransformation(twice);
  for (int i = 0; i < 4; ++i) {
    rotations.addTransformation(rotate);
    smallRotations.addTransformation(rotate);
  }
  KalvoraTest::expectGrey(render(chain, 0, 0, 0), 0.2, 1e-15);  // (0 + 0.1) * 2
  KalvoraTest::expectGrey(render(small, 0, 0, 0), 0.2, 1e-15);
  // Four in-place rotations of three channels are one rotation.
  KalvoraTest::expectSame(render(rotations, 1, 2, 3), {2, 3, 1});
  KalvoraTest::expectSame(render(smallRotations, 1, 2, 3), {2, 3, 1});

  // An eleventh stage is rejected; reset makes room for ten again.
  LutComposite3DSmall full;
  for (int i = 0; i < LutComposite3DSmall::kMaxStages; ++i) full.addTransformation(one);
  EXPECT_THROW(full.addTransformation(twice), KvrSignal);
  EXPECT_EQ(render(full, 0, 0, 0).r, 10.0);
  full.reset();
  for (int i = 0; i < 10; ++i) full.addTransformation(twice);
  EXPECT_EQ(render(full, 0.5, 0.5, 0.5).r, 512.0);
  // At a public boundary the overflow becomes its code.
  const ErrorHandler previous = setErrorHandler(nullptr);
  const ErrorCode code = kvrBoundary("test", [&] {
    full.addTransformation(one);
    return kNoError;
  });
  setErrorHandler(previous);
  EXPECT_EQ(code, kLimitExceeded);
}
