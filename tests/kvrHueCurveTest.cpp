#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kvrError.h"
#include "kvrHueCurve.h"

using namespace Kalvora;

namespace {

const double kPi = 3.141592653589793;
const double kHueX[6] = {-2.371, -1.337, -0.175, 0.77, 1.804, 2.967};
const double kLastX = -2.371 + 6.283185307179586;

void expectNeutral(const HueCurve& curve) {
  for (double a = -7.0; a <= 7.0; a += 0.01) ASSERT_EQ(curve.getChroma(a), 1.0) << "angle " << a;
}

void expectRejected(HueCurve& curve, int hue, double saturation) {
  try {
    curve.setSaturation(HueCurve::Hue(hue), saturation);
    ADD_FAILURE() << "saturation " << saturation << " accepted";
  } catch (const KvrSignal& signal) {
    EXPECT_EQ(signal.code(), kIllegalValue);
    EXPECT_STREQ(signal.where(), "src/kvrHueCurve:66 ERROR");
    EXPECT_STREQ(signal.what(), "Illegal value for hue satureation");
  }
}

}  // namespace

TEST(HueCurve, NeutralCurveIsOneEverywhere) {
  HueCurve curve;
  expectNeutral(curve);
}

TEST(HueCurve, EachHueSetsItsOwnKnot) {
  for (int hue = 0; hue < 6; ++hue) {
    HueCurve curve;
    curve.setSaturation(HueCurve::Hue(hue), 0.5);
    for (int k = 0; k < 6; ++k)
      EXPECT_EQ(curve.getChroma(kHueX[k]), k == hue ? 0.5 : 1.0) << "hue " << hue << " knot " << k;
  }
}

TEST(HueCurve, FirstHueWrapsAroundTheCircle) {
  HueCurve curve;
  curve.setSaturation(HueCurve::Green, 1.5);
  EXPECT_EQ(curve.getChroma(-2.371), 1.5);
  EXPECT_NEAR(curve.getChroma(kLastX - 1e-9), 1.5, 1e-9);
  EXPECT_NEAR(curve.getChroma(-2.371 - 1e-9), 1.5, 1e-9);
  EXPECT_EQ(curve.getChroma(-kPi), curve.getChroma(kPi));
  // Angles beyond pi are taken one turn back, also those between pi and the
  // wrapped first knot.
  for (double a : {kPi + 0.5, kLastX + 0.1, 5.0}) {
    EXPECT_EQ(curve.getChroma(a), curve.getChroma(a - HueCurve::pi2)) << "angle " << a;
  }
  const double nearRed = curve.getChroma(kPi + 0.5);
  EXPECT_GT(nearRed, 1.0);
  EXPECT_LT(nearRed, 1.5);
}

TEST(HueCurve, CurveIsFlatAtEveryKnot) {
  HueCurve curve;
  curve.setSaturation(HueCurve::Blue, 0.0);
  curve.setSaturation(HueCurve::Red, 2.0);
  const double h = 1e-6;
  for (double x : kHueX) {
    EXPECT_NEAR(curve.getChroma(x + h), curve.getChroma(x), 1e-9);
    EXPECT_NEAR(curve.getChroma(x - h), curve.getChroma(x), 1e-9);
  }
  // Between blue (0) and magenta (1) the curve rises half way at the midpoint.
  EXPECT_NEAR(curve.getChroma((-0.175 + 0.77) / 2), 0.5, 1e-12);
}

TEST(HueCurve, RangeEndsAreAccepted) {
  HueCurve curve;
  curve.setSaturation(HueCurve::Magenta, 2.0);
  EXPECT_EQ(curve.getChroma(0.77), 2.0);
  curve.setSaturation(HueCurve::Magenta, 0.0);
  EXPECT_EQ(curve.getChroma(0.77), 0.0);
}

TEST(HueCurve, OutOfRangeSaturationChangesNothing) {
  HueCurve curve;
  curve.setSaturation(HueCurve::Cyan, 0.25);
  for (double bad : {2.5, -0.0001, 2.0000001, std::numeric_limits<double>::quiet_NaN(),
                     std::numeric_limits<double>::infinity()}) {
    expectRejected(curve, HueCurve::Magenta, bad);
    expectRejected(curve, HueCurve::Green, bad);
  }
  EXPECT_EQ(curve.getChroma(0.77), 1.0);
  EXPECT_EQ(curve.getChroma(-2.371), 1.0);
  EXPECT_EQ(curve.getChroma(-1.337), 0.25);
}

TEST(HueCurve, UnknownHueIsRejected) {
  HueCurve curve;
  for (int hue : {6, -1, 100}) {
    try {
      curve.setSaturation(HueCurve::Hue(hue), 0.5);
      ADD_FAILURE() << "hue " << hue << " accepted";
    } catch (const KvrSignal& signal) {
      EXPECT_EQ(signal.code(), kIllegalIndex);
      EXPECT_STREQ(signal.where(), "src/kvrMath:170 ERROR");
      EXPECT_STREQ(signal.what(), "illegal knot index");
    }
  }
  expectNeutral(curve);
}

TEST(HueCurve, ResetRestoresTheNeutralCurve) {
  HueCurve curve;
  for (int hue = 0; hue < 6; ++hue) curve.setSaturation(HueCurve::Hue(hue), 0.1 * hue);
  curve.reset();
  expectNeutral(curve);
}
