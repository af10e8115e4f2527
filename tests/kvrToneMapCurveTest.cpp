#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
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

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

using KalvoraTest::ReportCapture;

// Captures the reports made during a test.
class ToneCurveReports : public ::testing::Test {
private:
  ReportCapture capture_;
};

template <class Curve>
KvrSignal rejectedShape(Curve& curve, double blackGamma, double knee) {
  try {
    curve.setShape(blackGamma, knee);
  } catch (const KvrSignal& signal) {
    return signal;
  }
  ADD_FAILURE() << "setShape(" << blackGamma << ", " << knee << ") was accepted";
  return KvrSignal();
}

void expectSignal(const KvrSignal& signal, const char* where, const char* what) {
  EXPECT_EQ(signal.code(), kIllegalValue);
  EXPECT_STREQ(signal.where(), where);
  EXPECT_STREQ(signal.what(), what);
}

// Right-hand slope, so a knot's own slope is read from the interval it starts.
double slopeAt(const LutFunc& f, double x) {
  const double h = 1e-8;
  return (f.transform(x + h) - f.transform(x)) / h;
}

template <class Curve>
void expectSameCurve(const Curve& a, const Curve& b) {
  for (int i = 0; i <= 100; ++i) EXPECT_EQ(a.transform(i / 100.0), b.transform(i / 100.0)) << i;
}

struct Square : LutFunc {
  double transform(double x) const override { return x * x; }
};
struct Twice : LutFunc {
  double transform(double x) const override { return 2.0 * x; }
};
struct Plus : LutFunc {
  explicit Plus(double a) : a(a) {}
  double transform(double x) const override { return x + a; }
  double a;
};

const char* const kKestaBlackGammaSite = "src/kvrKestaToneMapCurve:58 ERROR";
const char* const kKestaKneeSite = "src/kvrKestaToneMapCurve:62 ERROR";
const char* const kVorn2BlackGammaSite = "src/kvrVorn2ToneMapCurve:64 ERROR";
const char* const kVorn2KneeSite = "src/kvrVorn2ToneMapCurve:68 ERROR";
const char* const kBlackGammaText = "Illegal value for black gamma";
const char* const kKneeText = "Illegal value for knee point";

}  // namespace

// ---- KestaToneMapCurve -------------------------------------------------------

TEST(KestaToneMapCurve, NeutralShapePassesThroughItsKnots) {
  const KestaToneMapCurve curve(0.5, 0.5);
  const double x[] = {0.0, 0.256, 0.391, 0.57, 0.65, 1.0};
  const double y[] = {0.0, 0.17, 0.4, 0.737, 0.868, 1.0};
  const double d[] = {0.366, 1.17, 1.946, 1.833, 1.223};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(curve.transform(x[i]), y[i]) << i;
  for (int i = 0; i < 5; ++i) EXPECT_NEAR(slopeAt(curve, x[i]), d[i], 1e-6) << i;
  EXPECT_EQ(curve.transform(-0.2), 0.0);
  EXPECT_EQ(curve.transform(1.5), 1.0);
}

TEST(KestaToneMapCurve, OutputStaysWithinUnitRange) {
  for (double bg : {0.0, 0.3, 0.5, 0.9, 1.0})
    for (double knee : {0.0, 0.2, 0.5, 0.8, 1.0}) {
      const KestaToneMapCurve curve(bg, knee);
      for (int i = -10; i <= 110; ++i) {
        const double v = curve.transform(i / 100.0);
        ASSERT_TRUE(0.0 <= v && v <= 1.0) << bg << " " << knee << " " << i;
      }
    }
}

TEST(KestaToneMapCurve, KneeZeroClipsHard) {
  const KestaToneMapCurve curve(0.5, 0.0);
  EXPECT_EQ(curve.transform(0.57), 0.95);
  EXPECT_DOUBLE_EQ(curve.transform(0.58), 0.97);  // straight rise with slope 2
  EXPECT_DOUBLE_EQ(curve.transform(0.59), 0.99);
  for (double x = 0.596; x <= 1.2; x += 0.01) EXPECT_EQ(curve.transform(x), 1.0) << x;
  EXPECT_EQ(curve.transform(0.6), 1.0);
}

TEST(KestaToneMapCurve, BlackGammaZeroCrushesTheToe) {
  const KestaToneMapCurve curve(0.0, 0.5);
  EXPECT_EQ(curve.transform(0.256), 0.033);
  EXPECT_NEAR(slopeAt(curve, 0.0), 0.0, 1e-6);
  EXPECT_NEAR(slopeAt(curve, 0.256), 0.504, 1e-6);
}

TEST(KestaToneMapCurve, FullControlsReachTheTargetValues) {
  const KestaToneMapCurve curve(1.0, 1.0);
  EXPECT_EQ(curve.transform(0.256), 0.31);
  EXPECT_EQ(curve.transform(0.391), 0.47);
  EXPECT_EQ(curve.transform(0.57), 0.625);
  EXPECT_EQ(curve.transform(0.65), 0.705);
}

TEST(KestaToneMapCurve, ControlsBlendLinearlyTowardTheTargets) {
  const KestaToneMapCurve curve(0.25, 0.75);
  EXPECT_DOUBLE_EQ(curve.transform(0.256), 0.5 * 0.17 + 0.5 * 0.033);
  EXPECT_DOUBLE_EQ(curve.transform(0.57), 0.5 * 0.737 + 0.5 * 0.625);
  EXPECT_DOUBLE_EQ(curve.transform(0.65), 0.5 * 0.868 + 0.5 * 0.705);
}

TEST(KestaToneMapCurve, KneeAndBlackGammaBothMoveTheMidSlope) {
  const KestaToneMapCurve curve(0.25, 0.25);
  const double afterKnee = 0.5 * 1.946 + 0.5 * 2.155;
  EXPECT_NEAR(slopeAt(curve, 0.391), 0.5 * afterKnee + 0.5 * 2.0, 1e-6);
}

TEST(KestaToneMapCurve, DeepBlackGammaAlsoLiftsTheMidShadows) {
  // Up to 0.8 the third knot stays neutral; above it blends toward 0.47.
  EXPECT_EQ(KestaToneMapCurve(0.8, 0.5).transform(0.391), 0.4);
  const double w = (1.0 - 0.9) / 0.19999999999999996;
  EXPECT_DOUBLE_EQ(KestaToneMapCurve(0.9, 0.5).transform(0.391), w * 0.4 + (1.0 - w) * 0.47);
}

TEST(KestaToneMapCurve, ShapeDependsOnlyOnTheCurrentControls) {
  KestaToneMapCurve curve(0.1, 0.9);
  curve.setShape(0.0, 0.0);
  curve.setShape(0.7, 0.3);
  expectSameCurve(curve, KestaToneMapCurve(0.7, 0.3));
  curve.setShape(0.5, 0.5);
  expectSameCurve(curve, KestaToneMapCurve(0.5, 0.5));
}

TEST(KestaToneMapCurve, RejectedControlsLeaveTheShape) {
  KestaToneMapCurve curve(0.0, 0.5);
  const KestaToneMapCurve before(0.0, 0.5);
  expectSignal(rejectedShape(curve, -0.1, 0.5), kKestaBlackGammaSite, kBlackGammaText);
  expectSignal(rejectedShape(curve, 1.1, 0.5), kKestaBlackGammaSite, kBlackGammaText);
  expectSignal(rejectedShape(curve, 0.5, 1.1), kKestaKneeSite, kKneeText);
  expectSignal(rejectedShape(curve, 0.5, -0.1), kKestaKneeSite, kKneeText);
  expectSignal(rejectedShape(curve, kNaN, 0.5), kKestaBlackGammaSite, kBlackGammaText);
  expectSignal(rejectedShape(curve, 0.5, kNaN), kKestaKneeSite, kKneeText);
  expectSignal(rejectedShape(curve, 2.0, 2.0), kKestaBlackGammaSite, kBlackGammaText);
  expectSameCurve(curve, before);
}

TEST(KestaToneMapCurve, RangeLimits) {
  EXPECT_EQ(KestaToneMapCurve::kMinParamValue, 0.0);
  EXPECT_EQ(KestaToneMapCurve::kMaxParamValue, 1.0);
}

TEST_F(ToneCurveReports, KestaConstructorReportsARejectedShapeAndStaysNeutral) {
  const KestaToneMapCurve curve(0.5, kNaN);
  ASSERT_EQ(ReportCapture::reports().size(), 1u);
  EXPECT_EQ(ReportCapture::reports()[0].where, kKestaKneeSite);
  EXPECT_EQ(ReportCapture::reports()[0].message, kKneeText);
  expectSameCurve(curve, KestaToneMapCurve(0.5, 0.5));

  ReportCapture::reports().clear();
  const KestaToneMapCurve other(-1.0, 0.5);
  ASSERT_EQ(ReportCapture::reports().size(), 1u);
  EXPECT_EQ(ReportCapture::reports()[0].where, kKestaBlackGammaSite);
  EXPECT_EQ(ReportCapture::reports()[0].message, kBlackGammaText);
  expectSameCurve(other, KestaToneMapCurve(0.5, 0.5));
}

// ---- Vorn2ToneMapCurve -------------------------------------------------------

TEST(Vorn2ToneMapCurve, NeutralShapePassesThroughItsKnots) {
  const Vorn2ToneMapCurve curve(0.5, 0.5);
  const double x[] = {0.0, 0.14, 0.256, 0.391, 0.57, 0.65, 1.0};
  const double y[] = {0.0, 0.04, 0.159, 0.4, 0.737, 0.868, 1.0};
  const double d[] = {0.0, 0.644, 1.54, 1.95, 1.833, 1.223};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(curve.transform(x[i]), y[i]) << i;
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(slopeAt(curve, x[i]), d[i], 1e-6) << i;
  EXPECT_EQ(curve.transform(-0.2), 0.0);
  EXPECT_EQ(curve.transform(1.5), 1.0);
  EXPECT_EQ(curve.getContrastIncrease(), 0.0);
}

TEST(Vorn2ToneMapCurve, FullControlsReachTheTargetValues) {
  const Vorn2ToneMapCurve curve(1.0, 1.0);
  EXPECT_EQ(curve.transform(0.14), 0.115);
  EXPECT_EQ(curve.transform(0.256), 0.25);
  EXPECT_EQ(curve.transform(0.391), 0.45);
  EXPECT_EQ(curve.transform(0.57), 0.625);
  EXPECT_EQ(curve.transform(0.65), 0.705);
  EXPECT_NEAR(slopeAt(curve, 0.0), 0.4, 1e-6);

  const Vorn2ToneMapCurve low(0.0, 0.5);
  EXPECT_EQ(low.transform(0.14), 0.008);
  EXPECT_EQ(low.transform(0.256), 0.033);
  EXPECT_NEAR(slopeAt(low, 0.14), 0.07, 1e-6);
}

TEST(Vorn2ToneMapCurve, KneeZeroClipsHard) {
  const Vorn2ToneMapCurve curve(0.5, 0.0);
  EXPECT_EQ(curve.transform(0.57), 0.95);
  EXPECT_DOUBLE_EQ(curve.transform(0.58), 0.97);
  for (double x = 0.596; x <= 1.2; x += 0.01) EXPECT_EQ(curve.transform(x), 1.0) << x;
  EXPECT_EQ(curve.transform(0.6), 1.0);
}

TEST(Vorn2ToneMapCurve, ContrastIncreaseCountsControlsBelowNeutral) {
  EXPECT_DOUBLE_EQ(Vorn2ToneMapCurve(0.2, 0.1).getContrastIncrease(), 0.7);
  EXPECT_DOUBLE_EQ(Vorn2ToneMapCurve(0.5, 0.2).getContrastIncrease(), 0.3);
  EXPECT_DOUBLE_EQ(Vorn2ToneMapCurve(0.3, 0.5).getContrastIncrease(), 0.2);
  EXPECT_DOUBLE_EQ(Vorn2ToneMapCurve(0.0, 0.0).getContrastIncrease(), 1.0);
  EXPECT_EQ(Vorn2ToneMapCurve(0.7, 0.9).getContrastIncrease(), 0.0);
  EXPECT_EQ(Vorn2ToneMapCurve(0.2, 0.9).getContrastIncrease(), 0.3);

  Vorn2ToneMapCurve curve(0.2, 0.1);
  curve.setShape(0.5, 0.5);
  EXPECT_EQ(curve.getContrastIncrease(), 0.0);
  curve.setShape(0.4, 0.5);
  rejectedShape(curve, 0.5, 1.5);
  EXPECT_DOUBLE_EQ(curve.getContrastIncrease(), 0.1);
}

TEST(Vorn2ToneMapCurve, ShapeDependsOnlyOnTheCurrentControls) {
  Vorn2ToneMapCurve curve(0.9, 0.0);
  curve.setShape(0.3, 0.6);
  expectSameCurve(curve, Vorn2ToneMapCurve(0.3, 0.6));
}

TEST(Vorn2ToneMapCurve, DeepBlackGammaAlsoLiftsTheMidShadows) {
  EXPECT_EQ(Vorn2ToneMapCurve(0.8, 0.5).transform(0.391), 0.4);
  const double w = (1.0 - 0.9) / 0.19999999999999996;
  EXPECT_DOUBLE_EQ(Vorn2ToneMapCurve(0.9, 0.5).transform(0.391), w * 0.4 + (1.0 - w) * 0.45);
}

TEST(Vorn2ToneMapCurve, RejectedControlsLeaveTheShape) {
  Vorn2ToneMapCurve curve(0.3, 0.7);
  const Vorn2ToneMapCurve before(0.3, 0.7);
  expectSignal(rejectedShape(curve, -0.1, 0.5), kVorn2BlackGammaSite, kBlackGammaText);
  expectSignal(rejectedShape(curve, 0.5, 1.1), kVorn2KneeSite, kKneeText);
  expectSignal(rejectedShape(curve, kNaN, kNaN), kVorn2BlackGammaSite, kBlackGammaText);
  expectSignal(rejectedShape(curve, 0.5, kNaN), kVorn2KneeSite, kKneeText);
  expectSameCurve(curve, before);
  EXPECT_EQ(curve.getContrastIncrease(), before.getContrastIncrease());
}

TEST(Vorn2ToneMapCurve, RangeLimits) {
  EXPECT_EQ(Vorn2ToneMapCurve::kMinParamValue, 0.0);
  EXPECT_EQ(Vorn2ToneMapCurve::kMaxParamValue, 1.0);
}

TEST_F(ToneCurveReports, Vorn2ConstructorReportsARejectedShapeAndStaysNeutral) {
  const Vorn2ToneMapCurve curve(kNaN, 0.5);
  ASSERT_EQ(ReportCapture::reports().size(), 1u);
  EXPECT_EQ(ReportCapture::reports()[0].where, kVorn2BlackGammaSite);
  EXPECT_EQ(ReportCapture::reports()[0].message, kBlackGammaText);
  expectSameCurve(curve, Vorn2ToneMapCurve(0.5, 0.5));
  EXPECT_EQ(curve.getContrastIncrease(), 0.0);

  ReportCapture::reports().clear();
  const Vorn2ToneMapCurve other(0.5, 3.0);
  ASSERT_EQ(ReportCapture::reports().size(), 1u);
  EXPECT_EQ(ReportCapture::reports()[0].where, kVorn2KneeSite);
  EXPECT_EQ(ReportCapture::reports()[0].message, kKneeText);
}

// ---- Vorn2InverseToneMapCurve ------------------------------------------------

TEST(Vorn2InverseToneMapCurve, PassesThroughItsKnots) {
  const Vorn2InverseToneMapCurve inverse;
  EXPECT_EQ(inverse.transform(0.417512), 0.4);
  EXPECT_EQ(inverse.transform(0.0), 0.0);
  EXPECT_EQ(inverse.transform(1.0), 1.0);
  EXPECT_EQ(inverse.transform(-0.5), 0.0);
  EXPECT_EQ(inverse.transform(1.5), 1.0);
}

TEST(Vorn2InverseToneMapCurve, KnotsAreTheNeutralCurveSwapped) {
  const Vorn2ToneMapCurve neutral(0.5, 0.5);
  const Vorn2InverseToneMapCurve inverse;
  for (int i = 0; i <= 10; ++i) {
    const double y = i / 10.0;
    const double x = std::round(neutral.transform(y) * 1e6) / 1e6;
    EXPECT_NEAR(inverse.transform(x), y, 1e-12) << i;
  }
}

TEST(Vorn2InverseToneMapCurve, ApproximatelyUndoesTheNeutralCurve) {
  const Vorn2ToneMapCurve neutral(0.5, 0.5);
  const Vorn2InverseToneMapCurve inverse;
  for (int i = 5; i <= 95; ++i) {
    const double v = i / 100.0;
    EXPECT_NEAR(inverse.transform(neutral.transform(v)), v, 0.01) << v;
  }
}

// ---- KestaNormToneMapCurve ---------------------------------------------------

TEST(KestaNormToneMapCurve, DefaultsApplyTheVideoGammaUnscaled) {
  const KestaToneMapCurve tone(0.5, 0.5);
  const KestaNormToneMapCurve norm(tone);
  for (int i = 0; i <= 20; ++i) {
    const double x = i / 20.0;
    EXPECT_DOUBLE_EQ(norm.transform(x), Pfwl::sGamma24.transform(tone.transform(x))) << x;
  }
}

TEST(KestaNormToneMapCurve, DomainMapsOntoRange) {
  const KestaToneMapCurve tone(0.5, 0.5);
  KestaNormToneMapCurve norm(tone);
  norm.setDomain(0.09286412596702576, 0.9);
  norm.setRange(0.0012210012646391988, 1.0);
  EXPECT_NEAR(norm.transform(0.09286412596702576), 0.0012210012646391988, 1e-15);
  EXPECT_NEAR(norm.transform(0.9), 1.0, 1e-15);
  EXPECT_EQ(norm.transform(1.0), 1.0);  // beyond the domain, clamped
  EXPECT_EQ(norm.transform(0.0), 0.0);
}

TEST(KestaNormToneMapCurve, NewCurveRecomputesTheScaling) {
  const KestaToneMapCurve tone(0.5, 0.5);
  const Plus lifted(0.1);
  KestaNormToneMapCurve norm(tone);
  norm.setDomain(0.2, 0.6);
  norm.setRange(0.25, 0.75);
  norm.setCurve(lifted);
  EXPECT_NEAR(norm.transform(0.2), 0.25, 1e-15);
  EXPECT_NEAR(norm.transform(0.6), 0.75, 1e-15);
  EXPECT_NEAR(norm.transform(0.4),
              0.25 + 0.5 * (Pfwl::sGamma24.transform(0.5) - Pfwl::sGamma24.transform(0.3)) /
                         (Pfwl::sGamma24.transform(0.7) - Pfwl::sGamma24.transform(0.3)),
              1e-15);
}

// ---- KestaGammaCurve ---------------------------------------------------------

TEST(KestaGammaCurve, StartsAsTheIdentity) {
  const KestaGammaCurve gamma;
  double r, g, b;
  gamma.transform(0.3, r, g, b);
  EXPECT_EQ(r, 0.3);
  EXPECT_EQ(g, 0.3);
  EXPECT_EQ(b, 0.3);
  EXPECT_EQ(gamma.getColorChannel(1).transform(0.7), 0.7);
}

TEST(KestaGammaCurve, MonoRunsBeforeEachColourCurve) {
  const Square square;
  const Twice twice;
  KestaGammaCurve gamma;
  gamma.setColorChannel(0, twice);  // set before the mono stage: order must not matter
  gamma.setMonoChannel(square);
  double r, g, b;
  gamma.transform(0.5, r, g, b);
  EXPECT_EQ(r, 0.5);
  EXPECT_EQ(g, 0.25);
  EXPECT_EQ(b, 0.25);
  EXPECT_EQ(gamma.getColorChannel(0).transform(0.5), 0.5);
  EXPECT_EQ(gamma.getColorChannel(2).transform(0.5), 0.25);
}

TEST(KestaGammaCurve, AdapterAppliesBothStagesPerChannel) {
  const Square square;
  const Twice twice;
  const Plus plus(0.1);
  KestaGammaCurve gamma;
  gamma.setMonoChannel(square);
  gamma.setColorLuts(twice, plus, LutFunc::sUnity);
  const LutAdapter adapter(gamma);
  double r, g, b;
  adapter.transform(0.5, 0.2, 0.1, r, g, b);
  EXPECT_DOUBLE_EQ(r, 0.5);
  EXPECT_DOUBLE_EQ(g, 0.04 + 0.1);
  EXPECT_DOUBLE_EQ(b, 0.01);
}
