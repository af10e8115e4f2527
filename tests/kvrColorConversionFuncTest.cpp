#include <gtest/gtest.h>

#include <cmath>

#include "kvrColorConversionFunc.h"

using namespace Kalvora;

namespace {

const PowerFunc kSquare(2.0);
const InverseLutFunc kSquareRoot(kSquare);

// A description that decodes by squaring, encodes by the square root, and
// records the arguments it was asked with.
class TestSpace : public ColorSpaceInfo {
public:
  TestSpace(const char* name, bool wide)
      : ColorSpaceInfo({0.3127, 0.329},
                       wide ? Chromaticity(0.708, 0.292) : Chromaticity(0.64, 0.33),
                       wide ? Chromaticity(0.17, 0.797) : Chromaticity(0.3, 0.6),
                       wide ? Chromaticity(0.131, 0.046) : Chromaticity(0.15, 0.06), name) {}
  const LutFunc* getLinLut(bool pure) const override {
    linPure = pure;
    return &kSquare;
  }
  const LutFunc* getGammaLut(int channel, bool pure) const override {
    gammaChannels |= 1 << channel;
    gammaPure = pure;
    return &kSquareRoot;
  }

  mutable bool linPure = false;
  mutable bool gammaPure = false;
  mutable int gammaChannels = 0;
};

void expectRun(const ColorConversionFunc& f, double r, double g, double b,
               std::initializer_list<double> expected, double tolerance = 1e-12) {
  double out[3];
  f.transform(r, g, b, out[0], out[1], out[2]);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(out[c], expected.begin()[c], tolerance) << c;
}

}  // namespace

TEST(ColorConversionFunc, InitFillsTheStagesAndNewSpacesWaitForIt) {
  const TestSpace a("narrow", false), b("wide", true);
  ColorConversionFunc f(&a, &b);
  expectRun(f, 1.5, -0.2, 0.25, {1.0, 0.0, 0.25}, 0);  // before init: clamped identity
  f.init(true);
  EXPECT_TRUE(a.linPure && b.gammaPure);
  EXPECT_EQ(b.gammaChannels, 7);
  f.init(false);
  EXPECT_FALSE(a.linPure);

  // A new destination takes effect with the next init.
  double before[3], after[3];
  f.transform(0.2, 0.7, 0.3, before[0], before[1], before[2]);
  f.setDestinationColorSpace(&a);
  expectRun(f, 0.2, 0.7, 0.3, {before[0], before[1], before[2]}, 0);
  f.init(false);
  f.transform(0.2, 0.7, 0.3, after[0], after[1], after[2]);
  EXPECT_NE(after[0], before[0]);
  EXPECT_FALSE(ColorConversionFunc(&a, &b).isUnity());
  // The same identifier converts nothing.
  const TestSpace same("narrow", true);
  ColorConversionFunc unity(&a, &same);
  EXPECT_TRUE(unity.isUnity());
  unity.init(false);
  expectRun(unity, 0.1, 0.5, 0.9, {0.1, 0.5, 0.9}, 1e-15);
}

// Grey stays grey (one white point), an in-gamut colour survives the way to
// the wide gamut and back, and wide-gamut red, outside the narrow gamut, is
// clamped per channel in linear light.
TEST(ColorConversionFunc, ConvertsInLinearLightAndClampsOutOfGamutColours) {
  const TestSpace narrow("narrow", false), wide("wide", true);
  ColorConversionFunc there(&narrow, &wide), back(&wide, &narrow);
  there.init(false);
  back.init(false);
  expectRun(there, 0.6, 0.6, 0.6, {0.6, 0.6, 0.6});
  double mid[3];
  there.transform(0.5, 0.6, 0.4, mid[0], mid[1], mid[2]);
  EXPECT_GT(std::fabs(mid[0] - 0.5), 0.01);
  expectRun(back, mid[0], mid[1], mid[2], {0.5, 0.6, 0.4});
  expectRun(back, 1.0, 0.0, 0.0, {1.0, 0.0, 0.0}, 0);
}
