#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "kvrError.h"
#include "kvrKestaGammaCurve.h"
#include "kvrKestaNormToneMapCurve.h"
#include "kvrKestaToneMapCurve.h"
#include "kvrPfwl.h"
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
struct Square : LutFunc {
  double transform(double x) const override { return x * x; }
};

void expectSameCurve(const LutFunc& a, const LutFunc& b) {
  for (int i = 0; i <= 100; ++i) ASSERT_EQ(a.transform(i / 100.0), b.transform(i / 100.0)) << i;
}

// Shape properties every control setting keeps: black to black, white to
// white, clamped outside, rising, inside the unit range; a knee of 0 rises
// from 0.95 and clips hard at 0.6.
template <class Curve>
void expectShapeProperties() {
  for (double blackGamma : {0.0, 0.3, 0.5, 0.9, 1.0})
    for (double knee : {0.0, 0.2, 0.5, 0.8, 1.0}) {
      SCOPED_TRACE(testing::Message() << blackGamma << " " << knee);
      const Curve curve(blackGamma, knee);
      EXPECT_EQ(curve.transform(0.0), 0.0);
      EXPECT_EQ(curve.transform(1.0), 1.0);
      EXPECT_EQ(curve.transform(-0.2), 0.0);
      EXPECT_EQ(curve.transform(1.5), 1.0);
      double previous = 0.0;
      for (int i = 1; i <= 100; ++i) {
        const double v = curve.transform(i / 100.0);
        ASSERT_TRUE(previous <= v && v <= 1.0) << i;
        previous = v;
      }
    }
  const Curve clipped(0.5, 0.0);
  EXPECT_EQ(clipped.transform(0.57), 0.95);
  EXPECT_DOUBLE_EQ(clipped.transform(0.58), 0.97);
  for (double x = 0.6; x <= 1.2; x += 0.01) EXPECT_EQ(clipped.transform(x), 1.0) << x;
}

// Black gamma lifts the shadows, the knee pulls the highlights down, and
// mid grey stays at 0.4 until black gamma passes 0.8.
template <class Curve>
void expectControlDirections() {
  EXPECT_EQ(Curve(0.5, 0.5).transform(0.391), 0.4);
  EXPECT_LT(Curve(0.0, 0.5).transform(0.256), Curve(0.5, 0.5).transform(0.256));
  EXPECT_LT(Curve(0.5, 0.5).transform(0.256), Curve(1.0, 0.5).transform(0.256));
  EXPECT_GT(Curve(0.5, 0.0).transform(0.65), Curve(0.5, 0.5).transform(0.65));
  EXPECT_GT(Curve(0.5, 0.5).transform(0.65), Curve(0.5, 1.0).transform(0.65));
  EXPECT_EQ(Curve(0.8, 0.5).transform(0.391), 0.4);
  EXPECT_GT(Curve(0.9, 0.5).transform(0.391), 0.4);
}

// Out-of-range or NaN controls throw, name the control, and leave the shape;
// a constructor reports them once and stays neutral.
template <class Curve>
void expectRejections(const std::string& source) {
  Curve curve(0.3, 0.7);
  const struct {
    double blackGamma, knee;
    const char* fragment;
  } cases[] = {{-0.1, 0.5, "black gamma"}, {1.1, 0.5, "black gamma"}, {0.5, 1.1, "knee"},
               {0.5, -0.1, "knee"},        {kNaN, 0.5, "black gamma"}, {0.5, kNaN, "knee"},
               {2.0, 2.0, "black gamma"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.blackGamma << " " << c.knee);
    try {
      curve.setShape(c.blackGamma, c.knee);
      ADD_FAILURE() << "accepted";
    } catch (const KvrSignal& signal) {
      EXPECT_EQ(signal.code(), kIllegalValue);
      EXPECT_PRED2(contains, signal.what(), c.fragment);
      EXPECT_PRED2(contains, signal.where(), source);
    }
    ReportCapture capture;
    const Curve constructed(c.blackGamma, c.knee);
    EXPECT_EQ(ReportCapture::reports().size(), 1u);
    expectSameCurve(constructed, Curve(0.5, 0.5));
  }
  expectSameCurve(curve, Curve(0.3, 0.7));
}

}  // namespace

TEST(ToneMapCurves, EverySettingKeepsTheShape) {
  expectShapeProperties<KestaToneMapCurve>();
  expectShapeProperties<Vorn2ToneMapCurve>();
}

TEST(ToneMapCurves, ControlsMoveShadowsAndHighlights) {
  expectControlDirections<KestaToneMapCurve>();
  expectControlDirections<Vorn2ToneMapCurve>();
}

TEST(ToneMapCurves, RejectedControlsLeaveTheShape) {
  expectRejections<KestaToneMapCurve>("src/kvrKestaToneMapCurve:");
  expectRejections<Vorn2ToneMapCurve>("src/kvrVorn2ToneMapCurve:");
}

TEST(Vorn2ToneMapCurve, ContrastIncreaseCountsControlsBelowNeutral) {
  const struct {
    double blackGamma, knee, increase;
  } cases[] = {{0.2, 0.1, 0.7}, {0.3, 0.5, 0.2}, {0.7, 0.9, 0.0}, {0.2, 0.9, 0.3}};
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(Vorn2ToneMapCurve(c.blackGamma, c.knee).getContrastIncrease(), c.increase)
        << c.blackGamma << " " << c.knee;
  Vorn2ToneMapCurve curve(0.4, 0.5);
  EXPECT_THROW(curve.setShape(0.5, 1.5), KvrSignal);  // a rejected shape keeps the value
  EXPECT_DOUBLE_EQ(curve.getContrastIncrease(), 0.1);
  ReportCapture quiet;
  EXPECT_EQ(Vorn2ToneMapCurve(kNaN, 0.5).getContrastIncrease(), 0.0);
}

TEST(Vorn2InverseToneMapCurve, UndoesTheNeutralCurve) {
  const Vorn2InverseToneMapCurve inverse;
  const Vorn2ToneMapCurve neutral(0.5, 0.5);
  EXPECT_EQ(inverse.transform(-0.5), 0.0);
  EXPECT_EQ(inverse.transform(1.5), 1.0);
  for (int i = 0; i <= 10; ++i) {  // the knots are stored to six decimals
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
  const Plus lifted(0.1);  // a new curve recomputes the scaling
  norm.setDomain(0.2, 0.6);
  norm.setRange(0.25, 0.75);
  norm.setCurve(lifted);
  EXPECT_NEAR(norm.transform(0.2), 0.25, 1e-15);
  EXPECT_NEAR(norm.transform(0.6), 0.75, 1e-15);
}

TEST(KestaGammaCurve, MonoRunsBeforeEachColourCurve) {
  const Square square;
  const Plus plus(0.1);
  KestaGammaCurve gamma;
  double r, g, b;
  gamma.transform(0.3, r, g, b);
  EXPECT_EQ(g, 0.3);
  gamma.setColorChannel(0, plus);  // set before the mono stage: order must not matter
  gamma.setMonoChannel(square);
  gamma.transform(0.5, r, g, b);
  EXPECT_DOUBLE_EQ(r, 0.35);
  EXPECT_EQ(g, 0.25);
  EXPECT_EQ(gamma.getColorChannel(2).transform(0.5), 0.25);
  gamma.setColorLuts(LutFunc::sUnity, plus, LutFunc::sUnity);
  const LutAdapter adapter(gamma);  // applies both stages per channel
  adapter.transform(0.5, 0.2, 0.1, r, g, b);
  EXPECT_DOUBLE_EQ(r, 0.25);
  EXPECT_DOUBLE_EQ(g, 0.04 + 0.1);
  EXPECT_DOUBLE_EQ(b, 0.01);
}
