#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "kvrError.h"
#include "kvrKestaGammaCurve.h"
#include "kvrKestaNormToneMapCurve.h"
#include "kvrKestaToneMapCurve.h"
#include "kvrPfwl.h"
#include "kvrTestSupport.h"
#include "kvrVorn2InverseToneMapCurve.h"
#include "kvrVorn2ToneMapCurve.h"

using namespace Kalvora;
using KalvoraTest::ReportCapture;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const char* const kBlackGammaText = "Illegal value for black gamma";
const char* const kKneeText = "Illegal value for knee point";

// The sites of the two range checks of a tone curve family.
struct Sites {
  const char* blackGamma;
  const char* knee;
};
const Sites kKestaSites = {"src/kvrKestaToneMapCurve:58 ERROR",
                           "src/kvrKestaToneMapCurve:62 ERROR"};
const Sites kVorn2Sites = {"src/kvrVorn2ToneMapCurve:64 ERROR",
                           "src/kvrVorn2ToneMapCurve:68 ERROR"};

// Right-hand slope, so a knot's own slope is read from the interval it starts.
double slopeAt(const LutFunc& f, double x) {
  const double h = 1e-8;
  return (f.transform(x + h) - f.transform(x)) / h;
}

void expectKnots(const LutFunc& curve, const std::vector<double>& x, const std::vector<double>& y,
                 const std::vector<double>& d) {
  for (size_t i = 0; i < x.size(); ++i) EXPECT_EQ(curve.transform(x[i]), y[i]) << "knot " << i;
  for (size_t i = 0; i < d.size(); ++i) EXPECT_NEAR(slopeAt(curve, x[i]), d[i], 1e-6) << i;
  EXPECT_EQ(curve.transform(-0.2), 0.0);
  EXPECT_EQ(curve.transform(1.5), 1.0);
}

void expectSameCurve(const LutFunc& a, const LutFunc& b) {
  for (int i = 0; i <= 100; ++i) EXPECT_EQ(a.transform(i / 100.0), b.transform(i / 100.0)) << i;
}

// A knee of 0 rises straight from 0.95 with slope 2 and clips at 1.0.
void expectHardClip(const LutFunc& curve) {
  EXPECT_EQ(curve.transform(0.57), 0.95);
  EXPECT_DOUBLE_EQ(curve.transform(0.58), 0.97);
  EXPECT_DOUBLE_EQ(curve.transform(0.59), 0.99);
  EXPECT_EQ(curve.transform(0.6), 1.0);
  for (double x = 0.596; x <= 1.2; x += 0.01) EXPECT_EQ(curve.transform(x), 1.0) << x;
}

// Every out-of-range or NaN control throws from its own site and leaves the shape.
template <class Curve>
void expectRejections(double blackGamma, double knee, const Sites& sites) {
  Curve curve(blackGamma, knee);
  const Curve before(blackGamma, knee);
  const struct {
    double blackGamma, knee;
    const char* where;
    const char* what;
  } cases[] = {{-0.1, 0.5, sites.blackGamma, kBlackGammaText},
               {1.1, 0.5, sites.blackGamma, kBlackGammaText},
               {0.5, 1.1, sites.knee, kKneeText},
               {0.5, -0.1, sites.knee, kKneeText},
               {kNaN, 0.5, sites.blackGamma, kBlackGammaText},
               {0.5, kNaN, sites.knee, kKneeText},
               {2.0, 2.0, sites.blackGamma, kBlackGammaText}};
  for (const auto& c : cases) {
    try {
      curve.setShape(c.blackGamma, c.knee);
      ADD_FAILURE() << "setShape(" << c.blackGamma << ", " << c.knee << ") was accepted";
    } catch (const KvrSignal& signal) {
      EXPECT_EQ(signal.code(), kIllegalValue);
      EXPECT_STREQ(signal.where(), c.where);
      EXPECT_STREQ(signal.what(), c.what);
    }
  }
  expectSameCurve(curve, before);
}

// A constructor reports a rejected shape once and stays neutral.
template <class Curve>
void expectConstructorReport(double blackGamma, double knee, const char* where, const char* what) {
  ReportCapture capture;
  const Curve curve(blackGamma, knee);
  ASSERT_EQ(ReportCapture::reports().size(), 1u);
  EXPECT_EQ(ReportCapture::reports()[0].where, where);
  EXPECT_EQ(ReportCapture::reports()[0].message, what);
  expectSameCurve(curve, Curve(0.5, 0.5));
}

struct Square : LutFunc {
  double transform(double x) const override { return x * x; }
};
struct Twice : LutFunc {
  double transform(double x) const override { return 2.0 * x; }
};
struct Plus : LutFunc {
  explicit Plus(double addend) : a(addend) {}
  double transform(double x) const override { return x + a; }
  double a;
};

}  // namespace

TEST(ToneMapCurves, NeutralShapesPassThroughTheirKnots) {
  expectKnots(KestaToneMapCurve(0.5, 0.5), {0.0, 0.256, 0.391, 0.57, 0.65, 1.0},
              {0.0, 0.17, 0.4, 0.737, 0.868, 1.0}, {0.366, 1.17, 1.946, 1.833, 1.223});
  expectKnots(Vorn2ToneMapCurve(0.5, 0.5), {0.0, 0.14, 0.256, 0.391, 0.57, 0.65, 1.0},
              {0.0, 0.04, 0.159, 0.4, 0.737, 0.868, 1.0}, {0.0, 0.644, 1.54, 1.95, 1.833, 1.223});
  EXPECT_EQ(KestaToneMapCurve::kMinParamValue, 0.0);
  EXPECT_EQ(KestaToneMapCurve::kMaxParamValue, 1.0);
  EXPECT_EQ(Vorn2ToneMapCurve::kMinParamValue, 0.0);
  EXPECT_EQ(Vorn2ToneMapCurve::kMaxParamValue, 1.0);
}

TEST(ToneMapCurves, KneeZeroClipsHard) {
  expectHardClip(KestaToneMapCurve(0.5, 0.0));
  expectHardClip(Vorn2ToneMapCurve(0.5, 0.0));
}

TEST(ToneMapCurves, ControlsReachAndBlendTowardTheTargets) {
  const KestaToneMapCurve kesta(1.0, 1.0);
  EXPECT_EQ(kesta.transform(0.256), 0.31);
  EXPECT_EQ(kesta.transform(0.391), 0.47);
  EXPECT_EQ(kesta.transform(0.57), 0.625);
  EXPECT_EQ(kesta.transform(0.65), 0.705);
  const KestaToneMapCurve crushed(0.0, 0.5);
  EXPECT_EQ(crushed.transform(0.256), 0.033);
  EXPECT_NEAR(slopeAt(crushed, 0.0), 0.0, 1e-6);
  EXPECT_NEAR(slopeAt(crushed, 0.256), 0.504, 1e-6);
  const KestaToneMapCurve halfway(0.25, 0.75);
  EXPECT_DOUBLE_EQ(halfway.transform(0.256), 0.5 * 0.17 + 0.5 * 0.033);
  EXPECT_DOUBLE_EQ(halfway.transform(0.57), 0.5 * 0.737 + 0.5 * 0.625);
  EXPECT_DOUBLE_EQ(halfway.transform(0.65), 0.5 * 0.868 + 0.5 * 0.705);
  // Knee first, then black gamma: the mid slope is moved twice.
  EXPECT_NEAR(slopeAt(KestaToneMapCurve(0.25, 0.25), 0.391),
              0.5 * (0.5 * 1.946 + 0.5 * 2.155) + 0.5 * 2.0, 1e-6);

  const Vorn2ToneMapCurve vorn2(1.0, 1.0);
  EXPECT_EQ(vorn2.transform(0.14), 0.115);
  EXPECT_EQ(vorn2.transform(0.256), 0.25);
  EXPECT_EQ(vorn2.transform(0.391), 0.45);
  EXPECT_EQ(vorn2.transform(0.57), 0.625);
  EXPECT_EQ(vorn2.transform(0.65), 0.705);
  EXPECT_NEAR(slopeAt(vorn2, 0.0), 0.4, 1e-6);
  const Vorn2ToneMapCurve low(0.0, 0.5);
  EXPECT_EQ(low.transform(0.14), 0.008);
  EXPECT_EQ(low.transform(0.256), 0.033);
  EXPECT_NEAR(slopeAt(low, 0.14), 0.07, 1e-6);
}

TEST(ToneMapCurves, DeepBlackGammaAlsoLiftsTheMidShadows) {
  // Up to 0.8 the knot at 0.391 stays neutral; above it blends toward its target.
  const double w = (1.0 - 0.9) / 0.19999999999999996;
  EXPECT_EQ(KestaToneMapCurve(0.8, 0.5).transform(0.391), 0.4);
  EXPECT_DOUBLE_EQ(KestaToneMapCurve(0.9, 0.5).transform(0.391), w * 0.4 + (1.0 - w) * 0.47);
  EXPECT_EQ(Vorn2ToneMapCurve(0.8, 0.5).transform(0.391), 0.4);
  EXPECT_DOUBLE_EQ(Vorn2ToneMapCurve(0.9, 0.5).transform(0.391), w * 0.4 + (1.0 - w) * 0.45);
}

TEST(ToneMapCurves, OutputStaysWithinUnitRange) {
  for (double bg : {0.0, 0.3, 0.5, 0.9, 1.0})
    for (double knee : {0.0, 0.2, 0.5, 0.8, 1.0}) {
      const KestaToneMapCurve kesta(bg, knee);
      const Vorn2ToneMapCurve vorn2(bg, knee);
      for (int i = -10; i <= 110; ++i)
        for (double v : {kesta.transform(i / 100.0), vorn2.transform(i / 100.0)})
          ASSERT_TRUE(0.0 <= v && v <= 1.0) << bg << " " << knee << " " << i;
    }
}

TEST(ToneMapCurves, RejectedControlsLeaveTheShape) {
  expectRejections<KestaToneMapCurve>(0.0, 0.5, kKestaSites);
  expectRejections<Vorn2ToneMapCurve>(0.3, 0.7, kVorn2Sites);
}

TEST(ToneMapCurves, ConstructorsReportARejectedShapeAndStayNeutral) {
  expectConstructorReport<KestaToneMapCurve>(0.5, kNaN, kKestaSites.knee, kKneeText);
  expectConstructorReport<KestaToneMapCurve>(-1.0, 0.5, kKestaSites.blackGamma, kBlackGammaText);
  expectConstructorReport<Vorn2ToneMapCurve>(kNaN, 0.5, kVorn2Sites.blackGamma, kBlackGammaText);
  expectConstructorReport<Vorn2ToneMapCurve>(0.5, 3.0, kVorn2Sites.knee, kKneeText);
  ReportCapture quiet;
  EXPECT_EQ(Vorn2ToneMapCurve(kNaN, 0.5).getContrastIncrease(), 0.0);
}

TEST(Vorn2ToneMapCurve, ContrastIncreaseCountsControlsBelowNeutral) {
  const struct {
    double blackGamma, knee, increase;
  } cases[] = {{0.2, 0.1, 0.7}, {0.5, 0.2, 0.3}, {0.3, 0.5, 0.2}, {0.0, 0.0, 1.0},
               {0.7, 0.9, 0.0}, {0.2, 0.9, 0.3}, {0.5, 0.5, 0.0}};
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(Vorn2ToneMapCurve(c.blackGamma, c.knee).getContrastIncrease(), c.increase)
        << c.blackGamma << " " << c.knee;

  Vorn2ToneMapCurve curve(0.2, 0.1);
  curve.setShape(0.5, 0.5);
  EXPECT_EQ(curve.getContrastIncrease(), 0.0);
  curve.setShape(0.4, 0.5);
  EXPECT_THROW(curve.setShape(0.5, 1.5), KvrSignal);  // a rejected shape keeps the value
  EXPECT_DOUBLE_EQ(curve.getContrastIncrease(), 0.1);
}

TEST(Vorn2InverseToneMapCurve, SwapsTheNeutralCurveAtItsKnots) {
  const Vorn2InverseToneMapCurve inverse;
  EXPECT_EQ(inverse.transform(0.417512), 0.4);
  EXPECT_EQ(inverse.transform(0.0), 0.0);
  EXPECT_EQ(inverse.transform(1.0), 1.0);
  EXPECT_EQ(inverse.transform(-0.5), 0.0);
  EXPECT_EQ(inverse.transform(1.5), 1.0);
  const Vorn2ToneMapCurve neutral(0.5, 0.5);
  for (int i = 0; i <= 10; ++i) {
    const double x = std::round(neutral.transform(i / 10.0) * 1e6) / 1e6;
    EXPECT_NEAR(inverse.transform(x), i / 10.0, 1e-12) << i;
  }
  for (int i = 5; i <= 95; ++i)
    EXPECT_NEAR(inverse.transform(neutral.transform(i / 100.0)), i / 100.0, 0.01) << i;
}

TEST(KestaNormToneMapCurve, DomainMapsOntoRangeThroughTheVideoGamma) {
  const KestaToneMapCurve tone(0.5, 0.5);
  KestaNormToneMapCurve norm(tone);
  for (int i = 0; i <= 20; ++i)
    EXPECT_DOUBLE_EQ(norm.transform(i / 20.0), Pfwl::sGamma24.transform(tone.transform(i / 20.0)));

  norm.setDomain(0.09286412596702576, 0.9);
  norm.setRange(0.0012210012646391988, 1.0);
  EXPECT_NEAR(norm.transform(0.09286412596702576), 0.0012210012646391988, 1e-15);
  EXPECT_NEAR(norm.transform(0.9), 1.0, 1e-15);
  EXPECT_EQ(norm.transform(1.0), 1.0);  // beyond the domain, clamped
  EXPECT_EQ(norm.transform(0.0), 0.0);

  // A new curve recomputes the scaling.
  const Plus lifted(0.1);
  norm.setDomain(0.2, 0.6);
  norm.setRange(0.25, 0.75);
  norm.setCurve(lifted);
  EXPECT_NEAR(norm.transform(0.2), 0.25, 1e-15);
  EXPECT_NEAR(norm.transform(0.6), 0.75, 1e-15);
}

TEST(KestaGammaCurve, MonoRunsBeforeEachColourCurve) {
  const Square square;
  const Twice twice;
  const Plus plus(0.1);
  KestaGammaCurve gamma;
  double r, g, b;
  gamma.transform(0.3, r, g, b);
  EXPECT_EQ(r, 0.3);
  EXPECT_EQ(g, 0.3);
  EXPECT_EQ(b, 0.3);
  EXPECT_EQ(gamma.getColorChannel(1).transform(0.7), 0.7);

  gamma.setColorChannel(0, twice);  // set before the mono stage: order must not matter
  gamma.setMonoChannel(square);
  gamma.transform(0.5, r, g, b);
  EXPECT_EQ(r, 0.5);
  EXPECT_EQ(g, 0.25);
  EXPECT_EQ(b, 0.25);
  EXPECT_EQ(gamma.getColorChannel(0).transform(0.5), 0.5);
  EXPECT_EQ(gamma.getColorChannel(2).transform(0.5), 0.25);

  // An adapter built from it applies both stages per channel.
  gamma.setColorLuts(twice, plus, LutFunc::sUnity);
  const LutAdapter adapter(gamma);
  adapter.transform(0.5, 0.2, 0.1, r, g, b);
  EXPECT_DOUBLE_EQ(r, 0.5);
  EXPECT_DOUBLE_EQ(g, 0.04 + 0.1);
  EXPECT_DOUBLE_EQ(b, 0.01);
}
