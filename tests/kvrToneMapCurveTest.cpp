// The tone-map curves and the chroma-luma curve of the looks.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "kvrChromaLumaCurve.h"
#include "kvrError.h"
#include "kvrHueCurve.h"
#include "kvrKestaGammaCurve.h"
#include "kvrKestaNormToneMapCurve.h"
#include "kvrKestaToneMapCurve.h"
#include "kvrTestSupport.h"
#include "kvrVorn2InverseToneMapCurve.h"
#include "kvrVorn2ToneMapCurve.h"

using namespace Kalvora;
using KalvoraTest::contains;
using KalvoraTest::ReportCapture;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Plus : LutFunc {
  explicit Plus(double addend) : a(addend) {}
  double transform(double x) const override { return x + a; }
  double a;
};

void expectSameCurve(const LutFunc& a, const LutFunc& b) {
  for (int i = 0; i <= 100; ++i) ASSERT_EQ(a.transform(i / 100.0), b.transform(i / 100.0)) << i;
}

// Every setting keeps black, white and a rising shape inside the unit range; black gamma
// lifts the shadows, the knee pulls the highlights down (0 clips hard at 0.6), mid grey
// stays at 0.4 until black gamma passes 0.8.
template <class Curve>
void expectShapeAndControls() {
  for (double blackGamma : {0.0, 0.3, 0.5, 0.9, 1.0})
    for (double knee : {0.0, 0.2, 0.5, 0.8, 1.0}) {
      const Curve curve(blackGamma, knee);
      double previous = curve.transform(-0.2);
      ASSERT_EQ(previous, 0.0);
      for (int i = 1; i <= 120; ++i) {
        const double v = curve.transform(i / 100.0);
        ASSERT_TRUE(previous <= v && v <= 1.0) << blackGamma << " " << knee << " " << i;
        previous = v;
      }
      ASSERT_EQ(curve.transform(1.0), 1.0);
    }
  EXPECT_EQ(Curve(0.5, 0.0).transform(0.57), 0.95);
  EXPECT_EQ(Curve(0.5, 0.0).transform(0.6), 1.0);
  EXPECT_EQ(Curve(0.5, 0.5).transform(0.391), 0.4);
  EXPECT_EQ(Curve(0.8, 0.5).transform(0.391), 0.4);
  EXPECT_GT(Curve(0.9, 0.5).transform(0.391), 0.4);
  EXPECT_LT(Curve(0.0, 0.5).transform(0.256), Curve(0.5, 0.5).transform(0.256));
  EXPECT_LT(Curve(0.5, 0.5).transform(0.256), Curve(1.0, 0.5).transform(0.256));
  EXPECT_GT(Curve(0.5, 0.5).transform(0.65), Curve(0.5, 1.0).transform(0.65));
}

// Out-of-range or NaN controls throw, name the control and leave the shape;
// a constructor reports them once and stays neutral.
template <class Curve>
void expectRejections(const std::string& source) {
  Curve curve(0.3, 0.7);
  const struct {
    double blackGamma, knee;
    const char* fragment;
  } cases[] = {{-0.1, 0.5, "black gamma"}, {1.1, 0.5, "black gamma"},  {0.5, 1.1, "knee"},
               {0.5, -0.1, "knee"},        {kNaN, 0.5, "black gamma"}, {0.5, kNaN, "knee"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.blackGamma << " " << c.knee);
    const std::string where = KalvoraTest::expectSignal(
        kIllegalValue, c.fragment, [&] { curve.setShape(c.blackGamma, c.knee); });
    EXPECT_PRED2(contains, where, source);
    ReportCapture capture;
    const Curve constructed(c.blackGamma, c.knee);
    EXPECT_EQ(ReportCapture::reports().size(), 1u);
    expectSameCurve(constructed, Curve(0.5, 0.5));
  }
  expectSameCurve(curve, Curve(0.3, 0.7));
}

// SDR: no chroma at black and white; HDR: full at black, more near white for a brighter peak.
void expectSdr(const ChromaLumaCurve& curve) {
  EXPECT_EQ(curve.getChroma(0.0) + curve.getChroma(1.0), 0.0);
  EXPECT_EQ(curve.getChroma(0.45), 1.0);
}
void expectHdr(const ChromaLumaCurve& curve, double nearWhite) {
  EXPECT_EQ(curve.getChroma(0.0), 1.0);
  EXPECT_EQ(curve.getChroma(0.9), nearWhite);
  EXPECT_EQ(curve.getChroma(1.0), 0.0);
}

}  // namespace

TEST(ToneMapCurves, ShapesAndControls) {
  expectShapeAndControls<KestaToneMapCurve>();
  expectShapeAndControls<Vorn2ToneMapCurve>();
}

TEST(ToneMapCurves, RejectedControlsLeaveTheShape) {
  expectRejections<KestaToneMapCurve>("src/kvrKestaToneMapCurve:");
  expectRejections<Vorn2ToneMapCurve>("src/kvrVorn2ToneMapCurve:");
}

TEST(ToneMapCurves, InverseUndoesTheNeutralCurve) {
  const Vorn2InverseToneMapCurve inverse;
  const Vorn2ToneMapCurve neutral(0.5, 0.5);
  EXPECT_EQ(inverse.transform(-0.5), 0.0);
  EXPECT_EQ(inverse.transform(1.5), 1.0);
  EXPECT_NEAR(inverse.transform(std::round(neutral.transform(0.4) * 1e6) / 1e6), 0.4,
              1e-12);  // a knot
  for (int i = 5; i <= 95; ++i)
    EXPECT_NEAR(inverse.transform(neutral.transform(i / 100.0)), i / 100.0, 0.01) << i;
}

TEST(ToneMapCurves, CameraCurvesChainTheToneCurve) {
  const KestaToneMapCurve tone(0.5, 0.5);
  const Plus lifted(0.1);
  KestaNormToneMapCurve norm(tone);
  norm.setDomain(0.2, 0.6);
  norm.setRange(0.25, 0.75);
  norm.setCurve(lifted);  // a new curve recomputes the scaling
  EXPECT_NEAR(norm.transform(0.6), 0.75, 1e-15);
  KestaGammaCurve gamma;  // mono before each colour curve, whichever is set first
  gamma.setColorLuts(LutFunc::sUnity, lifted, lifted);
  gamma.setMonoChannel(tone);
  double r, g, b;
  LutAdapter(gamma).transform(0.391, 0.2, 0.391, r, g, b);
  EXPECT_DOUBLE_EQ(b, 0.5);
}

TEST(LookCurves, ChromaLumaFollowsPeakWhiteAndCopiesKeepTheirSelection) {
  const HueCurve hues;  // a hue angle is read modulo one turn
  EXPECT_EQ(hues.getChroma(4.0), hues.getChroma(4.0 - 2 * std::acos(-1.0)));
  ChromaLumaCurve curve;
  expectSdr(curve);
  curve.setPeakWhite(2000);  // rebuilds the HDR curve while SDR is selected
  curve.setCurveType(ChromaLumaCurve::kHdr);
  expectHdr(curve, 0.1);
  // A rejected peak white keeps the shape but stays stored: HDR cannot be selected.
  EXPECT_THROW(curve.setPeakWhite(kNaN), KvrSignal);
  expectHdr(curve, 0.1);
  curve.resetSpline();
  EXPECT_THROW(curve.setCurveType(ChromaLumaCurve::kHdr), KvrSignal);
  expectSdr(curve);
  curve.setPeakWhite(1000);
  auto original = std::make_unique<ChromaLumaCurve>(curve);
  original->setCurveType(ChromaLumaCurve::kHdr);
  ChromaLumaCurve copy(*original), assigned;
  assigned = *original;
  original.reset();
  copy.setCurveType(ChromaLumaCurve::kSdr);
  copy.setCurveType(ChromaLumaCurve::CurveType(2));  // no such type: the selection stays
  expectSdr(copy);
  expectHdr(assigned, 0.05);
}
