// The luma, chroma and hue curves of the looks.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>

#include "kvrChromaCurve.h"
#include "kvrChromaLumaCurve.h"
#include "kvrError.h"
#include "kvrHueCurve.h"
#include "kvrLumaCurve.h"

using namespace Kalvora;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const double kPi = 3.141592653589793;

void expectSignal(const std::function<void()>& call, ErrorCode code, const char* where,
                  const char* message) {
  try {
    call();
    ADD_FAILURE() << "no signal, expected " << message;
  } catch (const KvrSignal& signal) {
    EXPECT_EQ(signal.code(), code);
    EXPECT_STREQ(signal.where(), where);
    EXPECT_STREQ(signal.what(), message);
  }
}

// ---- LumaCurve: the knots that depend on peak and diffuse white --------------

struct LumaRow {
  double peakWhite, diffuseWhite;
  double y3, y4, y5, y6, d3, d4, d5, d6;
};

const LumaRow kLumaRows[] = {
    {1000, 100, 0.335, 0.519, 0.686, 0.751, 1.1174062, 0.9009268, 0.5192989, 0.062},
    {1000, 200, 0.38, 0.58, 0.716, 0.751, 1.2734062, 0.9009268, 0.3342989, 0.062},
    {2000, 100, 0.335, 0.519, 0.718, 0.83, 1.1174062, 0.9559268, 0.749, 0.334},
    {2000, 200, 0.38, 0.58, 0.75, 0.83, 1.2734062, 0.9559268, 0.65, 0.3},
    {4000, 100, 0.335, 0.519, 0.733, 0.9, 1.1174062, 0.9559268, 0.9060465, 0.685},
    {4000, 200, 0.38, 0.58, 0.78, 0.9, 1.2734062, 0.9559268, 0.76, 0.5},
};

void expectLuma(const LumaCurve& curve, const LumaRow& row) {
  const double x[7] = {0, 0.05, 0.0927, 0.39, 0.57, 0.8, 1.0};
  const double y[7] = {0, 0.0015, 0.0183, row.y3, row.y4, row.y5, row.y6};
  const double d[7] = {0.002, 0.1111111, 0.8904359, row.d3, row.d4, row.d5, row.d6};
  const double h = 1e-7;
  for (int k = 0; k < 7; ++k) {
    EXPECT_EQ(curve.getLuma(x[k]), y[k]) << "knot " << k;
    if (k > 0) {  // left-hand slope
      EXPECT_NEAR((y[k] - curve.getLuma(x[k] - h)) / h, d[k], 1e-5) << "knot " << k;
    }
  }
  EXPECT_EQ(curve.getLuma(1.5), row.y6);
  EXPECT_EQ(curve.getLuma(-0.5), 0.0);
}

// ---- ChromaLumaCurve ---------------------------------------------------------

void expectSdr(const ChromaLumaCurve& curve) {
  const double x[6] = {0, 0.27, 0.4003, 0.549, 0.7, 1.0};
  const double y[6] = {0, 0.8263, 1.0, 1.0, 0.7968, 0.0};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(curve.getChroma(x[k]), y[k]) << "knot " << k;
}

void expectHdr(const ChromaLumaCurve& curve, double y5) {
  const double x[7] = {0, 0.27, 0.4003, 0.55, 0.8, 0.9, 1.0};
  const double y[7] = {1, 1, 0.95, 0.7747159, 0.4, y5, 0};
  for (int k = 0; k < 7; ++k) EXPECT_EQ(curve.getChroma(x[k]), y[k]) << "knot " << k;
}

// ---- HueCurve ----------------------------------------------------------------

const double kHueX[6] = {-2.371, -1.337, -0.175, 0.77, 1.804, 2.967};
const double kLastHueX = -2.371 + 6.283185307179586;

void expectNeutral(const HueCurve& curve) {
  for (double a = -7.0; a <= 7.0; a += 0.01) ASSERT_EQ(curve.getChroma(a), 1.0) << "angle " << a;
}

// ---- ChromaCurve -------------------------------------------------------------

// Types 0 to 2 share their knot positions; the HDR type has its own.
const double kGamutX[6] = {0, 0.0588, 0.2002, 0.3392, 0.5077, 1.0};
const double kHdrX[6] = {0, 0.02, 0.1, 0.2, 0.6, 1.0};

struct ChromaShape {
  ChromaCurve::CurveType type;
  const double* x;
  double y[6];
};

const ChromaShape kChromaShapes[] = {
    {ChromaCurve::kSmallGamut, kGamutX, {0, 0.1, 0.3353, 0.4724, 0.4888, 0.5}},
    {ChromaCurve::kMediumGamut, kGamutX, {0, 0.1, 0.3353, 0.518, 0.6628, 0.7}},
    {ChromaCurve::kLargeGamut, kGamutX, {0, 0.1, 0.3353, 0.518, 0.7008, 1.0}},
    {ChromaCurve::kHdr, kHdrX, {0, 0.02, 0.11, 0.21, 0.605, 1.0}},
};

void expectChroma(const ChromaCurve& curve, const ChromaShape& shape) {
  for (int k = 0; k < 6; ++k) EXPECT_EQ(curve.getChroma(shape.x[k]), shape.y[k]) << "knot " << k;
  EXPECT_EQ(curve.getChroma(1.7), shape.y[5]);  // beyond full input the last value holds
}

TEST(ChromaLumaCurve, CopyKeepsItsOwnSelection) {
  auto original = std::make_unique<ChromaLumaCurve>();
  original->setCurveType(ChromaLumaCurve::kHdr);
  ChromaLumaCurve copy(*original);
  ChromaLumaCurve assigned;
  assigned = *original;
  original.reset();
  expectHdr(copy, 0.05);
  expectHdr(assigned, 0.05);
  copy.setCurveType(ChromaLumaCurve::kSdr);
  expectSdr(copy);
  expectHdr(assigned, 0.05);
}

}  // namespace

TEST(LumaCurve, KnotValuesAndSlopesFollowTheWhites) {
  expectLuma(LumaCurve(), kLumaRows[0]);  // peak white 1000, diffuse white 100
  for (const LumaRow& row : kLumaRows) {
    SCOPED_TRACE(testing::Message() << row.peakWhite << "/" << row.diffuseWhite);
    LumaCurve curve;
    curve.setPeakWhite(row.peakWhite);
    curve.setDiffuseWhite(row.diffuseWhite);
    expectLuma(curve, row);
    // Clamped to the unit range; above the toe's dip to the clamp it rises.
    double previous = -1.0;
    for (int i = 0; i <= 1000; ++i) {
      const double v = curve.getLuma(i / 1000.0);
      ASSERT_TRUE(0.0 <= v && v <= 1.0) << i;
      if (i >= 50) {
        EXPECT_GE(v, previous) << "falls at " << i / 1000.0;
      }
      previous = v;
    }
  }
}

TEST(ChromaLumaCurve, SdrByDefaultAndHdrFollowingPeakWhite) {
  ChromaLumaCurve curve;
  expectSdr(curve);
  EXPECT_EQ(curve.getChroma(-1.0), 0.0);
  // Peak white rebuilds the HDR curve even while the SDR one is selected.
  curve.setPeakWhite(2000);
  expectSdr(curve);
  curve.setCurveType(ChromaLumaCurve::kHdr);
  expectHdr(curve, 0.1);
  curve.setCurveType(ChromaLumaCurve::kSdr);
  expectSdr(curve);
  curve.setCurveType(ChromaLumaCurve::kHdr);
  curve.setPeakWhite(4000);
  expectHdr(curve, 0.1);
  curve.setPeakWhite(1000);
  expectHdr(curve, 0.05);
  const double h = 1e-7;
  EXPECT_NEAR((0.05 - curve.getChroma(0.9 - h)) / h, -1.5, 1e-5);
  EXPECT_NEAR((0.0 - curve.getChroma(1.0 - h)) / h, -0.2, 1e-5);
  curve.setPeakWhite(2000);
  EXPECT_NEAR((0.1 - curve.getChroma(0.9 - h)) / h, -1.715, 1e-5);
  EXPECT_NEAR((0.0 - curve.getChroma(1.0 - h)) / h, -0.23, 1e-5);

  curve.setCurveType(ChromaLumaCurve::CurveType(2));  // unknown: nothing changes
  expectHdr(curve, 0.1);
  curve.resetSpline();
  expectSdr(curve);
}

TEST(ChromaLumaCurve, UnknownPeakWhiteIsRejectedAndKeepsTheShape) {
  ChromaLumaCurve curve;
  curve.setCurveType(ChromaLumaCurve::kHdr);
  curve.setPeakWhite(2000);
  for (double bad : {1500.0, kNaN})
    expectSignal([&] { curve.setPeakWhite(bad); }, kIllegalValue,
                 "src/kvrChromaLumaCurve:136 ERROR", "Illegal value");
  expectHdr(curve, 0.1);
  // The rejected value stays stored, so selecting HDR fails too and the
  // selection does not move.
  curve.setCurveType(ChromaLumaCurve::kSdr);
  EXPECT_THROW(curve.setCurveType(ChromaLumaCurve::kHdr), KvrSignal);
  expectSdr(curve);
  curve.setPeakWhite(1000);
  curve.setCurveType(ChromaLumaCurve::kHdr);
  expectHdr(curve, 0.05);
}

TEST(HueCurve, EachHueSetsItsOwnKnotAndResetRestoresTheNeutralCurve) {
  EXPECT_EQ(HueCurve::kMinParamValue, 0.0);
  EXPECT_EQ(HueCurve::kMaxParamValue, 2.0);
  EXPECT_EQ(HueCurve::pi2, 6.283185307179586);
  HueCurve curve;
  expectNeutral(curve);
  for (int hue = 0; hue < 6; ++hue) {
    HueCurve single;
    single.setSaturation(HueCurve::Hue(hue), 0.5);
    for (int k = 0; k < 6; ++k)
      EXPECT_EQ(single.getChroma(kHueX[k]), k == hue ? 0.5 : 1.0) << "hue " << hue << " knot " << k;
    curve.setSaturation(HueCurve::Hue(hue), 0.1 * hue);
  }
  curve.reset();
  expectNeutral(curve);
}

TEST(HueCurve, FirstHueWrapsAroundTheCircle) {
  HueCurve curve;
  curve.setSaturation(HueCurve::Green, 1.5);
  EXPECT_EQ(curve.getChroma(-2.371), 1.5);
  EXPECT_NEAR(curve.getChroma(kLastHueX - 1e-9), 1.5, 1e-9);
  EXPECT_NEAR(curve.getChroma(-2.371 - 1e-9), 1.5, 1e-9);
  EXPECT_EQ(curve.getChroma(-kPi), curve.getChroma(kPi));
  // Angles beyond pi are taken one turn back, also those between pi and the
  // wrapped first knot.
  for (double a : {kPi + 0.5, kLastHueX + 0.1, 5.0})
    EXPECT_EQ(curve.getChroma(a), curve.getChroma(a - HueCurve::pi2)) << "angle " << a;
  EXPECT_GT(curve.getChroma(kPi + 0.5), 1.0);
  EXPECT_LT(curve.getChroma(kPi + 0.5), 1.5);
}

TEST(HueCurve, BadSaturationOrHueChangesNothing) {
  HueCurve curve;
  curve.setSaturation(HueCurve::Cyan, 0.25);
  for (double bad : {2.5, -0.0001, 2.0000001, kNaN, kInf})
    for (HueCurve::Hue hue : {HueCurve::Magenta, HueCurve::Green})
      expectSignal([&] { curve.setSaturation(hue, bad); }, kIllegalValue,
                   "src/kvrHueCurve:66 ERROR", "Illegal value for hue satureation");
  for (int hue : {6, -1, 100})
    expectSignal([&] { curve.setSaturation(HueCurve::Hue(hue), 0.5); }, kIllegalIndex,
                 "src/kvrMath:170 ERROR", "illegal knot index");
  curve.setSaturation(HueCurve::Cyan, 1.0);
  expectNeutral(curve);
}

TEST(ChromaCurve, EveryTypeHasItsKnotsAndUnknownTypesShapeLikeTheSmallGamut) {
  ChromaCurve curve;
  expectChroma(curve, kChromaShapes[0]);
  EXPECT_EQ(curve.getChroma(1.0), 0.5);
  for (const ChromaShape& shape : kChromaShapes) {
    curve.setCurveType(shape.type);
    expectChroma(curve, shape);
  }
  curve.setCurveType(ChromaCurve::CurveType(7));
  expectChroma(curve, kChromaShapes[0]);
  curve.setCurveType(ChromaCurve::kHdr);
  curve.resetSpline();
  expectChroma(curve, kChromaShapes[0]);
}

TEST(ChromaCurve, SaturationScalesWithoutUpperClampButNeverBelowZero) {
  ChromaCurve curve;
  curve.setSaturation(2.0);
  EXPECT_EQ(curve.getChroma(1.0), 1.0);
  curve.setCurveType(ChromaCurve::kLargeGamut);
  EXPECT_EQ(curve.getChroma(1.0), 2.0);
  EXPECT_EQ(curve.getChroma(0.0588), 0.2);  // re-shaping keeps the saturation

  // The curves are nowhere negative; a negative saturation makes the product so.
  curve.setSaturation(-1.0);
  EXPECT_EQ(curve.getChroma(0.5), 0.0);
  curve.setSaturation(1.0);
  EXPECT_EQ(curve.getChroma(-0.3), 0.0);
  for (int type = 0; type < 4; ++type) {
    curve.setCurveType(ChromaCurve::CurveType(type));
    for (int i = 0; i <= 1000; ++i) EXPECT_GE(curve.getChroma(i / 1000.0), 0.0);
  }
}
