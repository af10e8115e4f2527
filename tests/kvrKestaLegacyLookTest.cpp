#include <gtest/gtest.h>

#include "kvrKestaLegacyLook.h"
#include "kvrKestaNormToneMapCurve.h"
#include "kvrKestaToneMapCurve.h"
#include "kvrPfwl.h"

using namespace Kalvora;

namespace {

struct Rgb {
  double r, g, b;
};

Rgb render(const LutFunc3D& f, double r, double g, double b) {
  Rgb out;
  f.transform(r, g, b, out.r, out.g, out.b);
  return out;
}

// The grey response built from the curves themselves.
class GreyReference {
public:
  GreyReference() : toneMap_(0.5, 0.5), norm_(toneMap_) { norm_.setRange(kLow, 1.0); }
  void setDomain(double lo, double hi) { norm_.setDomain(lo, hi); }
  double operator()(double x) const { return Pfwl::getVideoGamma().inverse(norm_.transform(x)); }

  static constexpr double kLow = KestaLegacyLook::kRangeLow;

private:
  KestaToneMapCurve toneMap_;
  KestaNormToneMapCurve norm_;
};

TEST(KestaLegacyLook, RangeStartsAtFiveCodesOf4095) {
  EXPECT_EQ(KestaLegacyLook::kRangeLow, static_cast<double>(5.0f / 4095.0f));
  EXPECT_EQ(KestaLegacyLook::kRangeLow, 0.0012210012646391988);
}

TEST(KestaLegacyLook, GreysStayGrey) {
  KestaLegacyLook look;
  GreyReference reference;
  for (double x : {0.0, 0.1, 0.256, 0.391, 0.5, 0.65, 0.9, 1.0}) {
    const Rgb out = render(look, x, x, x);
    EXPECT_NEAR(out.r, out.g, 1e-12);
    EXPECT_NEAR(out.b, out.g, 1e-12);
    EXPECT_NEAR(out.g, reference(x), 1e-12);
  }
  // Black is lifted to the bottom of the range, full scale reaches 1.
  EXPECT_NEAR(render(look, 0, 0, 0).g, Pfwl::getVideoGamma().inverse(GreyReference::kLow), 1e-12);
  EXPECT_NEAR(render(look, 1, 1, 1).g, 1.0, 1e-12);
}

TEST(KestaLegacyLook, MatrixResultIsClampedBeforeEncoding) {
  // Full red: the matrix gives about 1.48 for red and a negative green.
  KestaLegacyLook look;
  const Rgb out = render(look, 1, 0, 0);
  EXPECT_EQ(out.r, Pfwl::getVideoGamma().inverse(1.0));
  EXPECT_EQ(out.g, 0.0);
  EXPECT_GT(out.b, 0.0);
  EXPECT_LT(out.b, 1.0);
}

TEST(KestaLegacyLook, NormalizationFollowsTheLogRange) {
  KestaLegacyLook look;
  const double lo = 0.09286412596702576;
  const double hi = 0.8;
  const Rgb before = render(look, 0.5, 0.5, 0.5);

  look.updateNormalization(lo, hi);
  GreyReference reference;
  reference.setDomain(lo, hi);
  EXPECT_NEAR(render(look, lo, lo, lo).g, Pfwl::getVideoGamma().inverse(GreyReference::kLow),
              1e-12);
  EXPECT_NEAR(render(look, hi, hi, hi).g, 1.0, 1e-12);
  const Rgb after = render(look, 0.5, 0.5, 0.5);
  EXPECT_NE(after.g, before.g);
  EXPECT_NEAR(after.g, reference(0.5), 1e-12);
}

}  // namespace
