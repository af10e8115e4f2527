#include <gtest/gtest.h>

#include <cmath>

#include "kvrColorConversionFunc.h"

using namespace Kalvora;

namespace {

// A description whose transfer functions are chosen by the test and which
// records the arguments it was asked with.
class TestSpace : public ColorSpaceInfo {
public:
  TestSpace(const char* name, Chromaticity red, Chromaticity green, Chromaticity blue,
            const LutFunc& lin, const LutFunc& gamma)
      : ColorSpaceInfo({0.3127, 0.329}, red, green, blue, name), lin_(&lin), gamma_(&gamma) {}
  const LutFunc* getLinLut(bool pure) const override {
    linPure = pure;
    return lin_;
  }
  const LutFunc* getGammaLut(int channel, bool pure) const override {
    gammaChannels |= 1 << channel;
    gammaPure = pure;
    return gamma_;
  }

  mutable bool linPure = false;
  mutable bool gammaPure = false;
  mutable int gammaChannels = 0;

private:
  const LutFunc* lin_;
  const LutFunc* gamma_;
};

const PowerFunc kSquare(2.0);
const InverseLutFunc kSquareRoot(kSquare);

TestSpace narrow(const char* name = "narrow") {
  return TestSpace(name, {0.64, 0.33}, {0.3, 0.6}, {0.15, 0.06}, kSquare, kSquareRoot);
}

TestSpace wide(const char* name = "wide") {
  return TestSpace(name, {0.708, 0.292}, {0.17, 0.797}, {0.131, 0.046}, kSquare, kSquareRoot);
}

void run(const ColorConversionFunc& f, double r, double g, double b, double (&out)[3]) {
  f.transform(r, g, b, out[0], out[1], out[2]);
}

}  // namespace

TEST(ColorConversionFunc, IdentityWithClampBeforeInit) {
  const TestSpace a = narrow(), b = wide();
  ColorConversionFunc f(&a, &b);
  double out[3];
  run(f, 1.5, -0.2, 0.25, out);
  EXPECT_EQ(out[0], 1.0);
  EXPECT_EQ(out[1], 0.0);
  EXPECT_EQ(out[2], 0.25);
}

TEST(ColorConversionFunc, InitAsksBothSpacesForEveryChannel) {
  const TestSpace a = narrow(), b = wide();
  ColorConversionFunc f(&a, &b);
  f.init(true);
  EXPECT_TRUE(a.linPure);
  EXPECT_TRUE(b.gammaPure);
  EXPECT_EQ(b.gammaChannels, 7);
  f.init(false);
  EXPECT_FALSE(a.linPure);
  EXPECT_FALSE(b.gammaPure);
}

TEST(ColorConversionFunc, DecodesConvertsClampsAndEncodes) {
  const TestSpace a = narrow(), b = wide();
  ColorConversionFunc f(&a, &b);
  f.init(false);
  double m[9];
  a.getConversionMatrix(b, m);

  // Inside the destination gamut: plain matrix in linear light.
  const double in[3] = {0.5, 0.6, 0.4};
  double lin[3], out[3];
  mulRgbMatVect(m, in[0] * in[0], in[1] * in[1], in[2] * in[2], lin[0], lin[1], lin[2]);
  run(f, in[0], in[1], in[2], out);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(out[c], std::sqrt(lin[c]), 1e-15);

  run(f, 1.0, 1.0, 1.0, out);
  for (double v : out) EXPECT_NEAR(v, 1.0, 1e-12);
}

TEST(ColorConversionFunc, ClampsInLinearLightBeforeEncoding) {
  // Wide-gamut red lies outside the narrow gamut: its red overshoots 1 and
  // its green and blue go negative.
  const TestSpace a = wide(), b = narrow();
  ColorConversionFunc f(&a, &b);
  f.init(false);
  double m[9], lin[3], out[3];
  a.getConversionMatrix(b, m);
  mulRgbMatVect(m, 1.0, 0.0, 0.0, lin[0], lin[1], lin[2]);
  ASSERT_GT(lin[0], 1.0);
  ASSERT_LT(lin[1], 0.0);
  ASSERT_LT(lin[2], 0.0);
  run(f, 1.0, 0.0, 0.0, out);
  EXPECT_EQ(out[0], 1.0);
  EXPECT_EQ(out[1], 0.0);
  EXPECT_EQ(out[2], 0.0);

  // A partly saturated colour keeps its in-range channels.
  mulRgbMatVect(m, 0.81, 0.25, 0.25, lin[0], lin[1], lin[2]);
  ASSERT_GT(lin[1], 0.0);
  run(f, 0.9, 0.5, 0.5, out);
  EXPECT_NEAR(out[1], std::sqrt(lin[1]), 1e-15);
}

TEST(ColorConversionFunc, NewSpaceTakesEffectAtInit) {
  const TestSpace a = narrow(), b = wide(), c = narrow("other");
  ColorConversionFunc f(&a, &b);
  f.init(false);
  double before[3], after[3];
  run(f, 0.2, 0.7, 0.3, before);

  f.setDestinationColorSpace(&c);
  run(f, 0.2, 0.7, 0.3, after);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(after[i], before[i]);

  f.init(false);
  run(f, 0.2, 0.7, 0.3, after);
  EXPECT_NE(after[0], before[0]);
  EXPECT_NEAR(after[1], 0.7, 1e-12);
}

TEST(ColorConversionFunc, UnityByIdentifier) {
  const TestSpace a = narrow("same"), b = wide("same"), c = wide("different");
  EXPECT_TRUE(ColorConversionFunc(&a, &b).isUnity());
  EXPECT_FALSE(ColorConversionFunc(&a, &c).isUnity());

  ColorConversionFunc f(&a, &b);
  f.init(false);
  double out[3];
  run(f, 0.1, 0.5, 0.9, out);
  EXPECT_NEAR(out[0], 0.1, 1e-15);
  EXPECT_NEAR(out[1], 0.5, 1e-15);
  EXPECT_NEAR(out[2], 0.9, 1e-15);
}
