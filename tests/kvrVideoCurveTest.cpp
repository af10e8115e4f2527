#include <gtest/gtest.h>

#include <cmath>

#include "kvrVideoCurve.h"

using namespace Kalvora;

namespace {

double slopeAtBlack(const VideoCurve& curve) {
  const double h = 1e-7;
  return (curve.transform(h) - curve.transform(0.0)) / h;
}

}  // namespace

TEST(VideoCurve, NeutralCurveIsTheClampedIdentity) {
  const VideoCurve curve;
  for (int i = 0; i <= 20; ++i) EXPECT_DOUBLE_EQ(curve.transform(i / 20.0), i / 20.0);
  EXPECT_EQ(curve.transform(-0.2), 0.0);
  EXPECT_EQ(curve.transform(1.3), 1.0);
}

TEST(VideoCurve, ResetUndoesEverySetting) {
  VideoCurve curve;
  curve.setSlope(2.0);
  curve.setOffset(0.1);
  curve.setPower(2.2);
  curve.setPedestal(0.2);
  curve.reset();
  for (int i = 0; i <= 20; ++i) EXPECT_DOUBLE_EQ(curve.transform(i / 20.0), i / 20.0);
}

TEST(VideoCurve, SlopeAndOffsetApplyBeforeTheClamp) {
  VideoCurve curve;
  curve.setSlope(2.0);
  curve.setOffset(-0.5);
  curve.setPower(1.0);
  EXPECT_EQ(curve.transform(0.5), 0.5);
  EXPECT_EQ(curve.transform(0.9), 1.0);
  EXPECT_EQ(curve.transform(0.1), 0.0);
}

TEST(VideoCurve, PowerAppliesToTheClampedValue) {
  VideoCurve curve;
  curve.setPower(2.2);
  EXPECT_EQ(curve.transform(0.5), std::pow(0.5, 2.2));
  EXPECT_EQ(curve.transform(-0.5), 0.0);
  EXPECT_EQ(curve.transform(2.0), 1.0);
}

TEST(VideoCurve, PositivePedestalLiftsBlackAndBlendsOutAtTheCutPoint) {
  VideoCurve curve;
  curve.setPedestal(0.1);
  EXPECT_DOUBLE_EQ(curve.transform(0.0), 0.1);
  EXPECT_DOUBLE_EQ(curve.transform(VideoCurve::kCutPoint), 0.6);
  EXPECT_DOUBLE_EQ(curve.transform(1.0), 1.0);
  EXPECT_NEAR(slopeAtBlack(curve), 0.6 / 0.7, 1e-6);
  // Above the cut point the curve stays the identity.
  EXPECT_DOUBLE_EQ(curve.transform(0.8), 0.8);
  EXPECT_GT(curve.transform(0.3), 0.3);
}

TEST(VideoCurve, NegativePedestalIsCutAtZero) {
  VideoCurve curve;
  curve.setPedestal(-0.1);
  EXPECT_EQ(curve.transform(0.0), 0.0);
  EXPECT_EQ(curve.transform(0.05), 0.0);
  EXPECT_NEAR(slopeAtBlack(curve), 0.0, 1e-12);
  EXPECT_LT(curve.transform(0.3), 0.3);
  EXPECT_GT(curve.transform(0.3), 0.0);
  EXPECT_DOUBLE_EQ(curve.transform(VideoCurve::kCutPoint), 0.6);
}

TEST(VideoCurve, PedestalFollowsThePower) {
  VideoCurve curve;
  curve.setPower(2.0);
  curve.setPedestal(0.1);
  EXPECT_DOUBLE_EQ(curve.transform(0.0), 0.1);
  EXPECT_DOUBLE_EQ(curve.transform(std::sqrt(0.6)), 0.6);
}

TEST(VideoCurve, ZeroPedestalSwitchesItOff) {
  VideoCurve curve;
  curve.setPedestal(0.2);
  curve.setPedestal(0.0);
  for (int i = 0; i <= 20; ++i) EXPECT_DOUBLE_EQ(curve.transform(i / 20.0), i / 20.0);
}

TEST(VideoCurve, PedestalLimits) {
  EXPECT_EQ(VideoCurve::kMinPedestalValue, -0.3);
  EXPECT_EQ(VideoCurve::kMaxPedestalValue, 0.3);
  EXPECT_EQ(VideoCurve::kCutPoint, 0.6);
}
