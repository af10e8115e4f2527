// The legacy look: greys follow the normalised tone curve through the video
// gamma, and the normalisation follows the log range it is given.
#include <gtest/gtest.h>

#include "kvrKestaLegacyLook.h"
#include "kvrKestaNormToneMapCurve.h"
#include "kvrKestaToneMapCurve.h"
#include "kvrPfwl.h"
#include "kvrRgbTestSupport.h"

using namespace Kalvora;
using KalvoraTest::render;

namespace {

TEST(KestaLegacyLook, GreysFollowTheToneCurveFromFiveCodesOf4095) {
  EXPECT_EQ(KestaLegacyLook::kRangeLow, 0.0012210012646391988);
  const KestaToneMapCurve toneMap(0.5, 0.5);
  for (const double lo : {0.0, 0.09286412596702576}) {
    KestaLegacyLook look;
    KestaNormToneMapCurve norm(toneMap);
    norm.setRange(KestaLegacyLook::kRangeLow, 1.0);
    if (lo > 0.0) {
      look.updateNormalization(lo, 0.8);
      norm.setDomain(lo, 0.8);
    }
    for (double x : {lo, 0.256, 0.5, 0.65, 0.8, 1.0}) {
      SCOPED_TRACE(x);
      KalvoraTest::expectGrey(render(look, x, x, x),
                              Pfwl::getVideoGamma().inverse(norm.transform(x)), 1e-12);
    }
    EXPECT_NEAR(render(look, lo, lo, lo).g,
                Pfwl::getVideoGamma().inverse(KestaLegacyLook::kRangeLow), 1e-12);
  }
}

TEST(KestaLegacyLook, MatrixResultIsClampedBeforeEncoding) {
  // Full red: the matrix gives about 1.48 for red and a negative green.
  const KalvoraTest::Rgb out = render(KestaLegacyLook(), 1, 0, 0);
  EXPECT_EQ(out.r, Pfwl::getVideoGamma().inverse(1.0));
  EXPECT_EQ(out.g, 0.0);
  EXPECT_GT(out.b, 0.0);
  EXPECT_LT(out.b, 1.0);
}

}  // namespace
