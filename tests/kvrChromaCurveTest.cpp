#include <gtest/gtest.h>

#include "kvrChromaCurve.h"

using namespace Kalvora;

namespace {

struct Shape {
  ChromaCurve::CurveType type;
  double x[6];
  double y[6];
};

const Shape kShapes[] = {
    {ChromaCurve::kSmallGamut,
     {0, 0.0588, 0.2002, 0.3392, 0.5077, 1.0},
     {0, 0.1, 0.3353, 0.4724, 0.4888, 0.5}},
    {ChromaCurve::kMediumGamut,
     {0, 0.0588, 0.2002, 0.3392, 0.5077, 1.0},
     {0, 0.1, 0.3353, 0.518, 0.6628, 0.7}},
    {ChromaCurve::kLargeGamut,
     {0, 0.0588, 0.2002, 0.3392, 0.5077, 1.0},
     {0, 0.1, 0.3353, 0.518, 0.7008, 1.0}},
    {ChromaCurve::kHdr, {0, 0.02, 0.1, 0.2, 0.6, 1.0}, {0, 0.02, 0.11, 0.21, 0.605, 1.0}},
};

void expectShape(const ChromaCurve& curve, const Shape& shape) {
  for (int k = 0; k < 6; ++k) EXPECT_EQ(curve.getChroma(shape.x[k]), shape.y[k]) << "knot " << k;
}

}  // namespace

TEST(ChromaCurve, DefaultCompressesToHalf) {
  ChromaCurve curve;
  expectShape(curve, kShapes[0]);
  EXPECT_EQ(curve.getChroma(1.0), 0.5);
  EXPECT_EQ(curve.getChroma(3.0), 0.5);
}

TEST(ChromaCurve, EveryTypeHasItsKnots) {
  ChromaCurve curve;
  for (const Shape& shape : kShapes) {
    curve.setCurveType(shape.type);
    expectShape(curve, shape);
    // Beyond full input the curve holds its last value.
    EXPECT_EQ(curve.getChroma(1.7), shape.y[5]);
  }
}

TEST(ChromaCurve, UnknownTypeAndResetGiveTheSmallGamutShape) {
  ChromaCurve curve;
  curve.setCurveType(ChromaCurve::kLargeGamut);
  curve.setCurveType(ChromaCurve::CurveType(7));
  expectShape(curve, kShapes[0]);
  curve.setCurveType(ChromaCurve::kHdr);
  curve.resetSpline();
  expectShape(curve, kShapes[0]);
}

TEST(ChromaCurve, SaturationScalesWithoutUpperClamp) {
  ChromaCurve curve;
  curve.setSaturation(2.0);
  EXPECT_EQ(curve.getChroma(1.0), 1.0);
  curve.setCurveType(ChromaCurve::kLargeGamut);
  EXPECT_EQ(curve.getChroma(1.0), 2.0);
  // Re-shaping keeps the saturation.
  EXPECT_EQ(curve.getChroma(0.0588), 0.2);
}

TEST(ChromaCurve, NeverNegative) {
  ChromaCurve curve;
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
