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

struct Rgb {
  double r, g, b;
};

Rgb run(const ColorConversionFunc& f, double r, double g, double b) {
  Rgb out;
  f.transform(r, g, b, out.r, out.g, out.b);
  return out;
}

}  // namespace

TEST(ColorConversionFunc, InitFillsTheStagesAndNewSpacesWaitForIt) {
  const TestSpace a("narrow", false), b("wide", true), c("other", false);
  ColorConversionFunc f(&a, &b);
  // Before init: the identity with every channel clamped to [0, 1].
  Rgb out = run(f, 1.5, -0.2, 0.25);
  EXPECT_EQ(out.r, 1.0);
  EXPECT_EQ(out.g, 0.0);
  EXPECT_EQ(out.b, 0.25);

  f.init(true);
  EXPECT_TRUE(a.linPure);
  EXPECT_TRUE(b.gammaPure);
  EXPECT_EQ(b.gammaChannels, 7);
  f.init(false);
  EXPECT_FALSE(a.linPure);
  EXPECT_FALSE(b.gammaPure);

  const Rgb before = run(f, 0.2, 0.7, 0.3);
  f.setDestinationColorSpace(&c);
  out = run(f, 0.2, 0.7, 0.3);
  EXPECT_EQ(out.r, before.r);
  EXPECT_EQ(out.b, before.b);
  f.init(false);
  out = run(f, 0.2, 0.7, 0.3);
  EXPECT_NE(out.r, before.r);
  EXPECT_NEAR(out.g, 0.7, 1e-12);
}

TEST(ColorConversionFunc, DecodesConvertsClampsInLinearLightAndEncodes) {
  const TestSpace narrow("narrow", false), wide("wide", true);
  ColorConversionFunc f(&narrow, &wide);
  f.init(false);
  double m[9], lin[3];
  narrow.getConversionMatrix(wide, m);
  mulRgbMatVect(m, 0.25, 0.36, 0.16, lin[0], lin[1], lin[2]);
  Rgb out = run(f, 0.5, 0.6, 0.4);
  EXPECT_NEAR(out.r, std::sqrt(lin[0]), 1e-15);
  EXPECT_NEAR(out.g, std::sqrt(lin[1]), 1e-15);
  EXPECT_NEAR(out.b, std::sqrt(lin[2]), 1e-15);

  // Wide-gamut red lies outside the narrow gamut: its red overshoots 1 and
  // its green and blue go negative, so each is clamped before encoding.
  ColorConversionFunc back(&wide, &narrow);
  back.init(false);
  wide.getConversionMatrix(narrow, m);
  mulRgbMatVect(m, 1.0, 0.0, 0.0, lin[0], lin[1], lin[2]);
  ASSERT_TRUE(lin[0] > 1.0 && lin[1] < 0.0 && lin[2] < 0.0);
  out = run(back, 1.0, 0.0, 0.0);
  EXPECT_EQ(out.r, 1.0);
  EXPECT_EQ(out.g, 0.0);
  EXPECT_EQ(out.b, 0.0);
  // A partly saturated colour keeps its in-range channels.
  mulRgbMatVect(m, 0.81, 0.25, 0.25, lin[0], lin[1], lin[2]);
  ASSERT_GT(lin[1], 0.0);
  EXPECT_NEAR(run(back, 0.9, 0.5, 0.5).g, std::sqrt(lin[1]), 1e-15);
}

TEST(ColorConversionFunc, UnityByIdentifier) {
  const TestSpace a("same", false), b("same", true), c("different", true);
  EXPECT_TRUE(ColorConversionFunc(&a, &b).isUnity());
  EXPECT_FALSE(ColorConversionFunc(&a, &c).isUnity());

  ColorConversionFunc f(&a, &b);
  f.init(false);
  const Rgb out = run(f, 0.1, 0.5, 0.9);
  EXPECT_NEAR(out.r, 0.1, 1e-15);
  EXPECT_NEAR(out.g, 0.5, 1e-15);
  EXPECT_NEAR(out.b, 0.9, 1e-15);
}
