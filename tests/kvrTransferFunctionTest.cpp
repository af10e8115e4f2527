// Fixed transfer functions: PQ, power with linear toe (exact and tabulated),
// 16/12-bit companding, the user video curve and the inverse video gamma.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "kvrPQ2L.h"
#include "kvrPfwl.h"
#include "kvrPfwlLut.h"
#include "kvrQMapper.h"
#include "kvrSplineLut.h"
#include "kvrVideoCurve.h"

using namespace Kalvora;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// ---- Pfwl / PfwlLut ----------------------------------------------------------

struct SharedGamma {
  const Pfwl& instance;
  double gamma, offset, breakPoint, linearDivisor;
};

const SharedGamma kShared[] = {
    {Pfwl::sGamma22, 2.38, 0.056, 0.04057971014492754, 12.039283172299662},
    {Pfwl::sGamma24, 2.725, 0.097, 0.05623188405797101, 12.007961436227765},
    {Pfwl::sGamma26, 3.0, 0.112, 0.056, 16.23957067271353},
    {Pfwl::sGamma30, 3.6, 0.225, 0.08653846153846154, 11.963467501991456},
};

const double kVideoGamma = 2.725, kVideoOffset = 0.097;

// ---- QMapper: the segment tables as 16-bit and 12-bit codes ------------------

double companded(double X) {
  if (X < 1024) return X;
  int k = 1;
  while (k < 6 && X >= 1024.0 * (1 << k)) ++k;
  return 1024.0 + 512.0 * (k - 1) + (X - 1024.0 * (1 << (k - 1))) / (1 << k);
}

const double kBandStart[7] = {0, 1024, 2049, 4099, 8199, 16399, 32799};

double slopeAtBlack(const VideoCurve& curve) {
  const double h = 1e-7;
  return (curve.transform(h) - curve.transform(0.0)) / h;
}

}  // namespace

TEST(Pfwl, ToeMeetsThePowerAndTheCurveInverts) {
  for (const SharedGamma& s : kShared) {
    SCOPED_TRACE(s.gamma);
    const Pfwl& f = s.instance;
    const double bp = s.breakPoint;
    // Both branches agree at the break point, in value and slope.
    EXPECT_EQ(f.transform(bp), bp / s.linearDivisor);
    EXPECT_NEAR(f.transform(bp), std::pow((bp + s.offset) / (1.0 + s.offset), s.gamma), 1e-15);
    const double h = 1e-7;
    EXPECT_NEAR((f.transform(bp) - f.transform(bp - h)) / h,
                (f.transform(bp + h) - f.transform(bp)) / h, 1e-5);
    EXPECT_EQ(f.transform(1.0), 1.0);
    EXPECT_DOUBLE_EQ(f.inverse(1.0), 1.0);
    for (int i = 0; i <= 200; ++i)
      EXPECT_NEAR(f.inverse(f.transform(i / 200.0)), i / 200.0, 1e-13) << i;
  }
  EXPECT_EQ(Pfwl::sGamma24.transform(0.05), 0.05 / 12.007961436227765);
  EXPECT_EQ(Pfwl::sGamma24.inverse(0.05 / 12.007961436227765), 0.05);
  EXPECT_EQ(Pfwl::sGamma24.transform(0.0), 0.0);
  EXPECT_EQ(Pfwl::sGamma24.transform(-0.1), -0.1 / 12.007961436227765);
}

TEST(PfwlLut, FollowsTheExactCurveAndComputesTheToe) {
  const Pfwl exact(kVideoGamma, kVideoOffset);
  const PfwlLut lut(kVideoGamma, kVideoOffset, 4096);
  EXPECT_EQ(lut.getBreakPoint(), exact.getBreakPoint());
  EXPECT_EQ(lut.getLinearDivisor(), exact.getLinearDivisor());
  for (int i = 0; i <= 1000; ++i) {
    EXPECT_NEAR(lut.transform(i / 1000.0), exact.transform(i / 1000.0), 5e-5) << i;
    EXPECT_NEAR(lut.inverse(i / 1000.0), exact.inverse(i / 1000.0), 5e-5) << i;
  }
  const PfwlLut coarse(kVideoGamma, kVideoOffset, 16);
  EXPECT_EQ(coarse.transform(0.05), 0.05 / 12.007961436227765);
  EXPECT_EQ(coarse.inverse(0.001), 0.001 * 12.007961436227765);
  EXPECT_EQ(coarse.transform(-0.1), -0.1 / 12.007961436227765);
}

TEST(PfwlLut, TableEntriesAreSixteenBitCodesAndHoldAboveOne) {
  const Pfwl exact(kVideoGamma, kVideoOffset);
  const PfwlLut lut(kVideoGamma, kVideoOffset, 17);
  const double start = exact.getBreakPoint();
  EXPECT_EQ(lut.transform(start), start / exact.getLinearDivisor());  // the toe's end
  for (int i = 1; i <= 16; ++i) {
    const double x = start + (i / 16.0) * (1.0 - start);
    EXPECT_NEAR(lut.transform(x) * 65535, std::floor(exact.transform(x) * 65535 + 0.5), 1e-6) << i;
  }
  EXPECT_EQ(lut.transform(1.0), 1.0);
  EXPECT_EQ(lut.inverse(1.0), 1.0);
  // The table does not extrapolate the power.
  EXPECT_EQ(lut.transform(1.5), lut.transform(1.0));
  EXPECT_EQ(lut.inverse(3.0), lut.inverse(1.0));
  EXPECT_GT(exact.transform(1.5), 1.5);
}

TEST(PQ2L, EndPointsLevelsSymmetryAndRoundTrips) {
  const PQ2L pq;
  EXPECT_EQ(pq.transform(0.0), 0.0);
  EXPECT_DOUBLE_EQ(pq.transform(1.0), 1.0);
  EXPECT_DOUBLE_EQ(pq.inverse(1.0), 1.0);
  // 100 and 1000 cd/m^2 on the 10000 cd/m^2 scale.
  EXPECT_NEAR(pq.inverse(0.01), 0.508078, 1e-6);
  EXPECT_NEAR(pq.inverse(0.1), 0.751827, 1e-6);
  EXPECT_NEAR(pq.transform(0.508078), 0.01, 1e-7);
  for (double v : {0.01, 0.25, 0.5, 0.9}) {
    EXPECT_EQ(pq.transform(-v), -pq.transform(v)) << v;
    EXPECT_EQ(pq.inverse(-v), -pq.inverse(v)) << v;
  }

  // Signals up to c1^m2 (about 7.3e-7) all decode to black, so the round
  // trip starts above them.
  double previous = pq.transform(0.0);
  for (int i = 1; i <= 1000; ++i) {
    const double e = i / 1000.0;
    EXPECT_NEAR(pq.inverse(pq.transform(e)), e, 1e-12) << e;
    EXPECT_GT(pq.transform(e), previous) << e;
    previous = pq.transform(e);
  }
  EXPECT_NEAR(pq.inverse(pq.transform(0.5)), 0.5, 1e-14);
  EXPECT_EQ(pq.transform(pq.inverse(0.0)), 0.0);
  for (double l : {1e-6, 1e-4, 0.01, 0.5, 1.0})
    EXPECT_NEAR(pq.transform(pq.inverse(l)) / l, 1.0, 1e-10) << l;
}

TEST(QMapper, ForwardFollowsTheSegmentTable) {
  const QMapper q;
  EXPECT_EQ(q.transform(1024.0 / 65535), 1024.0 / 4095);
  EXPECT_EQ(q.transform(2048.0 / 65535), 1536.0 / 4095);
  for (int k = 1; k <= 6; ++k)
    EXPECT_EQ(q.transform(1024.0 * (1 << (k - 1)) / 65535), (1024.0 + 512.0 * (k - 1)) / 4095) << k;
  for (int X = 0; X < 65535; ++X)
    ASSERT_NEAR(q.transform(X / 65535.0) * 4095, companded(X), 1e-8) << X;
  // Input outside the segments passes unchanged; just below 1.0 is still inside.
  EXPECT_EQ(q.transform(1.0), 1.0);
  EXPECT_EQ(q.transform(-0.1), -0.1);
  EXPECT_EQ(q.transform(1.5), 1.5);
  EXPECT_TRUE(std::isnan(q.transform(kNaN)));
  EXPECT_NEAR(q.transform(65534.0 / 65535) * 4095, 3584 + 32766.0 / 64, 1e-8);
}

TEST(VideoCurve, SlopeOffsetAndPowerApplyAroundTheClamp) {
  VideoCurve curve;
  curve.setSlope(2.0);
  curve.setOffset(-0.5);
  curve.setPower(1.0);
  EXPECT_EQ(curve.transform(0.5), 0.5);
  EXPECT_EQ(curve.transform(0.9), 1.0);
  EXPECT_EQ(curve.transform(0.1), 0.0);
  curve.reset();
  curve.setPower(2.2);
  EXPECT_EQ(curve.transform(0.5), std::pow(0.5, 2.2));
  EXPECT_EQ(curve.transform(-0.5), 0.0);
  EXPECT_EQ(curve.transform(2.0), 1.0);
}

TEST(VideoCurve, PedestalLiftsOrLowersBlackAndBlendsOutAtTheCutPoint) {
  VideoCurve lifted;
  lifted.setPedestal(0.1);
  EXPECT_DOUBLE_EQ(lifted.transform(0.0), 0.1);
  EXPECT_DOUBLE_EQ(lifted.transform(VideoCurve::kCutPoint), 0.6);
  EXPECT_DOUBLE_EQ(lifted.transform(1.0), 1.0);
  EXPECT_NEAR(slopeAtBlack(lifted), 0.6 / 0.7, 1e-6);
  EXPECT_DOUBLE_EQ(lifted.transform(0.8), 0.8);  // identity above the cut point
  EXPECT_GT(lifted.transform(0.3), 0.3);

  VideoCurve lowered;
  lowered.setPedestal(-0.1);
  EXPECT_EQ(lowered.transform(0.0), 0.0);  // the spline's -0.1 is cut at 0
  EXPECT_EQ(lowered.transform(0.05), 0.0);
  EXPECT_NEAR(slopeAtBlack(lowered), 0.0, 1e-12);
  EXPECT_LT(lowered.transform(0.3), 0.3);
  EXPECT_GT(lowered.transform(0.3), 0.0);
  EXPECT_DOUBLE_EQ(lowered.transform(VideoCurve::kCutPoint), 0.6);

  // The pedestal acts on the value after the power.
  VideoCurve powered;
  powered.setPower(2.0);
  powered.setPedestal(0.1);
  EXPECT_DOUBLE_EQ(powered.transform(0.0), 0.1);
  EXPECT_DOUBLE_EQ(powered.transform(std::sqrt(0.6)), 0.6);
}

TEST(SplineLut, EvaluatesTheInverseVideoGammaWhateverTheRecord) {
  const SplineLut::SplineLutCoef coef(17);
  EXPECT_EQ(coef.count, 17);
  EXPECT_EQ(coef.x, nullptr);
  EXPECT_EQ(coef.y, nullptr);
  EXPECT_EQ(coef.d, nullptr);
  EXPECT_EQ(coef.c2, nullptr);
  EXPECT_EQ(coef.c3, nullptr);
  const SplineLut withRecord(&coef);
  const SplineLut withoutRecord(nullptr);
  EXPECT_EQ(withRecord.getCoef(), &coef);
  for (double x : {0.0, 0.001, 0.004, 0.18, 0.5, 1.0}) {
    EXPECT_EQ(withRecord.transform(x), Pfwl::sGamma24.inverse(x)) << x;
    EXPECT_EQ(withoutRecord.transform(x), Pfwl::sGamma24.inverse(x)) << x;
  }
  EXPECT_DOUBLE_EQ(withRecord.transform(1.0), 1.0);
}
