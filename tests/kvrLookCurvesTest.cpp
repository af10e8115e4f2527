// The luma, chroma and hue curves of the looks.
#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "kvrChromaCurve.h"
#include "kvrChromaLumaCurve.h"
#include "kvrError.h"
#include "kvrHueCurve.h"
#include "kvrLumaCurve.h"
#include "kvrPQ2L.h"

using namespace Kalvora;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kPi = 3.141592653589793;

// SDR: no chroma at black and white, full chroma in the mid tones. HDR:
// full chroma at black, falling to none at white, with more left near
// white for a brighter peak.
void expectSdr(const ChromaLumaCurve& curve) {
  EXPECT_EQ(curve.getChroma(0.0), 0.0);
  EXPECT_EQ(curve.getChroma(0.45), 1.0);
  EXPECT_EQ(curve.getChroma(1.0), 0.0);
}
void expectHdr(const ChromaLumaCurve& curve, double nearWhite) {
  EXPECT_EQ(curve.getChroma(0.0), 1.0);
  EXPECT_EQ(curve.getChroma(0.9), nearWhite);
  EXPECT_EQ(curve.getChroma(1.0), 0.0);
}

// The angle of a hue's knot: where its lowered saturation pulls the curve
// down most.
double knotAngle(HueCurve::Hue hue) {
  HueCurve curve;
  curve.setSaturation(hue, 0.5);
  double angle = 0.0, lowest = 2.0;
  for (double a = -kPi; a < kPi; a += 0.001)
    if (curve.getChroma(a) < lowest) lowest = curve.getChroma(a), angle = a;
  EXPECT_NEAR(lowest, 0.5, 1e-5) << hue;
  return angle;
}

}  // namespace

TEST(LumaCurve, TopFollowsPeakWhiteAndMidsFollowDiffuseWhite) {
  const PQ2L pq;
  for (double peak : {1000.0, 2000.0, 4000.0}) {
    LumaCurve d100, d200;
    d100.setPeakWhite(peak);
    d200.setPeakWhite(peak);
    d200.setDiffuseWhite(200);
    SCOPED_TRACE(peak);
    // The top is the PQ signal of peak white, rounded.
    EXPECT_NEAR(d100.getLuma(1.0), pq.inverse(peak / 10000), 3e-3);
    EXPECT_EQ(d200.getLuma(1.5), d100.getLuma(1.0));
    EXPECT_EQ(d100.getLuma(-0.5), 0.0);
    EXPECT_GT(d200.getLuma(0.39), d100.getLuma(0.39));
    // Clamped to the unit range; above the toe's dip to the clamp it rises.
    for (const LumaCurve* curve : {&d100, &d200}) {
      double previous = 0.0;
      for (int i = 50; i <= 1000; ++i) {
        const double v = curve->getLuma(i / 1000.0);
        ASSERT_TRUE(previous <= v && v <= 1.0) << i;
        previous = v;
      }
    }
  }
  LumaCurve curve;
  EXPECT_THROW(curve.setDiffuseWhite(150), KvrSignal);
}

TEST(ChromaLumaCurve, SdrByDefaultAndHdrFollowingPeakWhite) {
  ChromaLumaCurve curve;
  expectSdr(curve);
  curve.setPeakWhite(2000);  // rebuilds the HDR curve while SDR is selected
  expectSdr(curve);
  curve.setCurveType(ChromaLumaCurve::kHdr);
  expectHdr(curve, 0.1);
  curve.setPeakWhite(1000);
  expectHdr(curve, 0.05);
  curve.setCurveType(ChromaLumaCurve::CurveType(2));  // unknown: nothing changes
  expectHdr(curve, 0.05);
  curve.resetSpline();
  expectSdr(curve);

  // A rejected peak white keeps the shape but stays stored, so selecting
  // HDR fails until a known one is set.
  curve.setCurveType(ChromaLumaCurve::kHdr);
  for (double bad : {1500.0, kNaN}) EXPECT_THROW(curve.setPeakWhite(bad), KvrSignal);
  expectHdr(curve, 0.05);
  curve.setCurveType(ChromaLumaCurve::kSdr);
  EXPECT_THROW(curve.setCurveType(ChromaLumaCurve::kHdr), KvrSignal);
  expectSdr(curve);
  curve.setPeakWhite(2000);
  curve.setCurveType(ChromaLumaCurve::kHdr);
  expectHdr(curve, 0.1);
}

TEST(ChromaLumaCurve, CopyKeepsItsOwnSelection) {
  auto original = std::make_unique<ChromaLumaCurve>();
  original->setCurveType(ChromaLumaCurve::kHdr);
  ChromaLumaCurve copy(*original);
  ChromaLumaCurve assigned;
  assigned = *original;
  original.reset();
  expectHdr(copy, 0.05);
  copy.setCurveType(ChromaLumaCurve::kSdr);
  expectSdr(copy);
  expectHdr(assigned, 0.05);
}

TEST(HueCurve, EachHueHasItsOwnKnotAndTheCircleWraps) {
  double previous = -kPi;
  for (int hue = HueCurve::Green; hue <= HueCurve::Yellow; ++hue) {
    const double angle = knotAngle(HueCurve::Hue(hue));
    EXPECT_GT(angle, previous) << "hue " << hue;  // in order around the circle
    previous = angle;
  }
  HueCurve curve;
  curve.setSaturation(HueCurve::Green, 1.5);
  EXPECT_EQ(curve.getChroma(-kPi), curve.getChroma(kPi));
  for (double a : {kPi + 0.5, 3.95, 5.0})
    EXPECT_EQ(curve.getChroma(a), curve.getChroma(a - HueCurve::pi2)) << "angle " << a;
  curve.reset();
  for (double a = -7.0; a <= 7.0; a += 0.01) ASSERT_EQ(curve.getChroma(a), 1.0) << a;
}

TEST(HueCurve, BadSaturationOrHueChangesNothing) {
  HueCurve curve;
  for (double bad : {-0.0001, 2.0000001, kNaN})
    EXPECT_THROW(curve.setSaturation(HueCurve::Magenta, bad), KvrSignal) << bad;
  for (int hue : {6, -1}) EXPECT_THROW(curve.setSaturation(HueCurve::Hue(hue), 0.5), KvrSignal);
  for (double a = -7.0; a <= 7.0; a += 0.01) ASSERT_EQ(curve.getChroma(a), 1.0) << a;
}

TEST(ChromaCurve, LargerGamutsKeepMoreChroma) {
  ChromaCurve small, medium, large, hdr, unknown;
  medium.setCurveType(ChromaCurve::kMediumGamut);
  large.setCurveType(ChromaCurve::kLargeGamut);
  hdr.setCurveType(ChromaCurve::kHdr);
  unknown.setCurveType(ChromaCurve::CurveType(7));  // shaped like the small gamut
  EXPECT_EQ(small.getChroma(1.0), 0.5);
  EXPECT_EQ(medium.getChroma(1.0), 0.7);
  EXPECT_EQ(large.getChroma(1.0), 1.0);
  EXPECT_EQ(hdr.getChroma(1.0), 1.0);
  for (int i = 0; i <= 170; ++i) {
    const double x = i / 100.0;
    ASSERT_GE(small.getChroma(x), 0.0);
    if (x >= 0.51) {  // where the shapes part
      ASSERT_LT(small.getChroma(x), medium.getChroma(x)) << x;
      ASSERT_LT(medium.getChroma(x), large.getChroma(x)) << x;
    }
    ASSERT_EQ(unknown.getChroma(x), small.getChroma(x)) << x;
  }
  hdr.resetSpline();
  EXPECT_EQ(hdr.getChroma(1.0), 0.5);
}

TEST(ChromaCurve, SaturationScalesWithoutUpperClampButNeverBelowZero) {
  ChromaCurve curve;
  curve.setSaturation(2.0);
  EXPECT_EQ(curve.getChroma(1.0), 1.0);
  curve.setCurveType(ChromaCurve::kLargeGamut);  // re-shaping keeps the saturation
  EXPECT_EQ(curve.getChroma(1.0), 2.0);
  curve.setSaturation(-1.0);
  EXPECT_EQ(curve.getChroma(0.5), 0.0);
  curve.setSaturation(1.0);
  EXPECT_EQ(curve.getChroma(-0.3), 0.0);
}
