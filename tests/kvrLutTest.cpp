// 1-D tables, the matrix stage and the 3-D composites.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>

#include "kvrError.h"
#include "kvrLut.h"
#include "kvrLutComposite.h"
#include "kvrLutInverse.h"
#include "kvrMatrixLut.h"

// Counts every allocation of this test program, to show that rebuilding a
// small composite allocates nothing.
static std::atomic<long> gAllocations{0};

void* operator new(std::size_t size) {
  ++gAllocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

using namespace Kalvora;

namespace {

struct Rgb {
  double r, g, b;
};

Rgb apply(const LutFunc3D& f, double r, double g, double b) {
  Rgb out;
  f.transform(r, g, b, out.r, out.g, out.b);
  return out;
}

void expectRgb(const Rgb& out, double r, double g, double b) {
  EXPECT_EQ(out.r, r);
  EXPECT_EQ(out.g, g);
  EXPECT_EQ(out.b, b);
}

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

// Writes the outputs in an order that would corrupt later reads if a stage
// received its inputs by reference.
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

TEST(LutTest, InterpolatesLinearlyAndHoldsTheEnds) {
  const unsigned short table[3] = {0, 100, 200};
  Lut lut(table, 3, 200);
  const struct {
    double x, y;
  } cases[] = {{0.25, 0.25},
               {0.75, 0.75},
               {0.0, 0.0},
               {-1.0, 0.0},
               {1.0, 1.0},
               {2.0, 1.0},
               {std::nextafter(1.0, 0.0), 1.0},
               {std::nan(""), 1.0},
               {-std::numeric_limits<double>::infinity(), 0.0}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(lut.transform(c.x), c.y) << c.x;

  const unsigned short curved[5] = {0, 10, 40, 90, 160};
  lut.setTable(curved, 5, 160);
  EXPECT_DOUBLE_EQ(lut.transform(0.125), 5.0 / 160);
  EXPECT_DOUBLE_EQ(lut.transform(0.5), 40.0 / 160);
  EXPECT_DOUBLE_EQ(lut.transform(0.875), 125.0 / 160);

  // Codes above the maximum are not clamped.
  const unsigned short tall[2] = {0, 1000};
  lut.setTable(tall, 2, 500);
  EXPECT_DOUBLE_EQ(lut.transform(1.0), 2.0);
  EXPECT_DOUBLE_EQ(lut.transform(0.5), 1.0);
}

TEST(LutTest, WithoutATableIsTheIdentityAndSmallTablesAreReadSafely) {
  Lut lut;
  for (double x : {-0.5, 0.0, 0.3, 1.0, 7.0}) EXPECT_EQ(lut.transform(x), x);
  const unsigned short table[2] = {0, 10};
  lut.setTable(nullptr, 2, 10);
  EXPECT_EQ(lut.transform(7.0), 7.0);

  const unsigned short single[1] = {300};
  lut.setTable(single, 1, 600);
  for (double x : {-1.0, 0.0, 0.5, 1.0, 2.0}) EXPECT_DOUBLE_EQ(lut.transform(x), 0.5);
  lut.setTable(table, 0, 600);
  EXPECT_EQ(lut.transform(0.25), 0.25);
}

TEST(LutTest, SamplesBackIntoTheSameCodes) {
  unsigned short table[17];
  for (int i = 0; i < 17; ++i) table[i] = static_cast<unsigned short>(i * i * 16);
  Lut lut(table, 17, 4096);
  unsigned short resampled[17];
  lut.getTable(17, resampled, 4096);
  for (int i = 0; i < 17; ++i) EXPECT_EQ(resampled[i], std::min<int>(table[i], 4096)) << i;
}

TEST(LutInverseTest, ReadsEachDirectionFromItsOwnTable) {
  const unsigned short forward[3] = {0, 300, 1023};
  const unsigned short inverse[3] = {0, 700, 1023};
  LutInverse lut(forward, inverse, 3, 1023);
  EXPECT_DOUBLE_EQ(lut.transform(0.25), 150.0 / 1023);
  EXPECT_DOUBLE_EQ(lut.inverse(0.75), 861.5 / 1023);
  EXPECT_DOUBLE_EQ(lut.transform(-3.0), 0.0);
  EXPECT_DOUBLE_EQ(lut.inverse(1.5), 1.0);
  EXPECT_DOUBLE_EQ(lut.transform(0.5, inverse, 3, 1023.0), 700.0 / 1023);
  EXPECT_EQ(lut.transform(0.5, nullptr, 3, 1023.0), 0.5);
}

TEST(MatrixLutTest, MultipliesRowsByTheInputColumnAndKeepsItsOwnCopy) {
  expectRgb(apply(MatrixLut(), 0.1, 0.5, 0.9), 0.1, 0.5, 0.9);

  const double m[9] = {0.5, 0.25, 0.125, 0.0, 1.0, -0.5, 0.25, 0.25, 0.25};
  const Rgb out = apply(MatrixLut(m), 0.8, 0.4, 0.2);
  EXPECT_DOUBLE_EQ(out.r, 0.4 + 0.1 + 0.025);
  EXPECT_DOUBLE_EQ(out.g, 0.4 - 0.1);
  EXPECT_DOUBLE_EQ(out.b, 0.35);

  double rotate[9] = {0, 1, 0, 0, 0, 1, 1, 0, 0};
  const MatrixLut lut(rotate);
  rotate[1] = 0.0;
  expectRgb(apply(lut, 0.1, 0.2, 0.3), 0.2, 0.3, 0.1);
}

TEST(MatrixLutTest, ClampsToTheUnitRangeButLetsNanThrough) {
  const double ones[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
  MatrixLut lut(ones);
  expectRgb(apply(lut, 0.5, 0.5, 0.5), 1.0, 1.0, 1.0);
  const double negate[9] = {-1, 0, 0, 0, 1, 0, 0, 0, 1};
  lut.setMatrix(negate);
  expectRgb(apply(lut, 0.5, 0.5, 0.5), 0.0, 0.5, 0.5);
  // Every row of the unit matrix meets the NaN (0 * NaN is NaN).
  const Rgb out = apply(MatrixLut(), std::nan(""), 0.5, 0.5);
  EXPECT_TRUE(std::isnan(out.r) && std::isnan(out.g) && std::isnan(out.b));
}

TEST(LutComposite3DTest, BothChainsRunTheirStagesInOrderOfAddition) {
  const Affine addTenth(1.0, 0.1), twice(2.0, 0.0);
  const Rotate rotate;
  LutComposite3D chain, rotations;
  LutComposite3DSmall small, smallRotations;
  expectRgb(apply(chain, 0.1, -2.0, 3.5), 0.1, -2.0, 3.5);
  expectRgb(apply(small, 0.1, -2.0, 3.5), 0.1, -2.0, 3.5);
  chain.addTransformation(addTenth);
  chain.addTransformation(twice);
  small.addTransformation(addTenth);
  small.addTransformation(twice);
  for (int i = 0; i < 4; ++i) {
    rotations.addTransformation(rotate);
    smallRotations.addTransformation(rotate);
  }
  const LutFunc3D* const ordered[] = {&chain, &small};
  for (const LutFunc3D* f : ordered) {
    const Rgb out = apply(*f, 0, 0, 0);  // (0 + 0.1) * 2, not 0 * 2 + 0.1
    EXPECT_DOUBLE_EQ(out.r, 0.2);
    EXPECT_DOUBLE_EQ(out.g, 0.2);
    EXPECT_DOUBLE_EQ(out.b, 0.2);
  }
  // Four in-place rotations are one rotation.
  const LutFunc3D* const rotating[] = {&rotations, &smallRotations};
  for (const LutFunc3D* f : rotating) expectRgb(apply(*f, 1, 2, 3), 2, 3, 1);
}

TEST(LutComposite3DSmallTest, EleventhStageIsRejectedAndResetMakesRoomForTen) {
  const Affine one(1.0, 1.0), ignored(1.0, 1000.0), twice(2.0, 0.0);
  LutComposite3DSmall small;
  for (int i = 0; i < LutComposite3DSmall::kMaxStages; ++i) small.addTransformation(one);
  try {
    small.addTransformation(ignored);
    ADD_FAILURE() << "the eleventh stage was accepted";
  } catch (const KvrSignal& signal) {
    EXPECT_EQ(signal.code(), kLimitExceeded);
    EXPECT_STREQ(signal.where(), "src/kvrLutComposite:145 ERROR");
    EXPECT_STREQ(signal.what(), "Exceed maximum number of LutFun3D transformations");
  }
  EXPECT_EQ(apply(small, 0, 0, 0).r, 10.0);
  small.reset();
  EXPECT_EQ(apply(small, 0.5, 0.5, 0.5).r, 0.5);
  for (int i = 0; i < 10; ++i) small.addTransformation(twice);
  EXPECT_EQ(apply(small, 0.5, 0.5, 0.5).r, 512.0);

  // At a public boundary the overflow becomes its code.
  const ErrorHandler previous = setErrorHandler(nullptr);
  const ErrorCode code = kvrBoundary("test", [&] {
    small.addTransformation(one);
    return kNoError;
  });
  setErrorHandler(previous);
  EXPECT_EQ(code, kLimitExceeded);
}
