// Fixed transfer functions: PQ, power with linear toe (exact and tabulated),
// 16/12-bit companding, the user video curve and the inverse video gamma.
#include <gtest/gtest.h>

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

double slope(const LutFunc& f, double x, double h = 1e-7) {
  return (f.transform(x + h) - f.transform(x)) / h;
}

}  // namespace

TEST(PfwlTest, ToeJoinsThePowerSmoothlyAndTheCurvesInvert) {
  for (const Pfwl* f : {&Pfwl::sGamma22, &Pfwl::sGamma24, &Pfwl::sGamma26, &Pfwl::sGamma30}) {
    const double bp = f->getBreakPoint();
    SCOPED_TRACE(bp);
    EXPECT_EQ(f->transform(bp), bp / f->getLinearDivisor());
    EXPECT_EQ(f->transform(-bp), -bp / f->getLinearDivisor());
    EXPECT_NEAR(slope(*f, bp - 1e-7), slope(*f, bp), 1e-5);
    EXPECT_EQ(f->transform(1.0), 1.0);
    for (int i = 0; i <= 200; ++i)
      EXPECT_NEAR(f->inverse(f->transform(i / 200.0)), i / 200.0, 1e-13) << i;
  }
  // The tabulated curve follows the exact one, shares its toe and holds
  // above 1 instead of extrapolating the power.
  const Pfwl exact(2.725, 0.097);
  const PfwlLut lut(2.725, 0.097, 4096), coarse(2.725, 0.097, 17);
  EXPECT_EQ(lut.getBreakPoint(), exact.getBreakPoint());
  EXPECT_EQ(coarse.transform(0.05), exact.transform(0.05));
  for (int i = 0; i <= 1000; ++i) {
    EXPECT_NEAR(lut.transform(i / 1000.0), exact.transform(i / 1000.0), 5e-5) << i;
    EXPECT_NEAR(lut.inverse(i / 1000.0), exact.inverse(i / 1000.0), 5e-5) << i;
  }
  EXPECT_EQ(coarse.transform(1.5), coarse.transform(1.0));
  EXPECT_EQ(coarse.inverse(3.0), 1.0);
}

TEST(PQ2LTest, PublishedLevelsSymmetryAndRoundTrips) {
  const PQ2L pq;
  EXPECT_EQ(pq.transform(0.0), 0.0);
  EXPECT_DOUBLE_EQ(pq.transform(1.0), 1.0);
  EXPECT_DOUBLE_EQ(pq.inverse(1.0), 1.0);
  // 100 and 1000 cd/m^2 on the 10000 cd/m^2 scale.
  EXPECT_NEAR(pq.inverse(0.01), 0.508078, 1e-6);
  EXPECT_NEAR(pq.inverse(0.1), 0.751827, 1e-6);
  for (double v : {0.01, 0.5, 0.9}) {
    EXPECT_EQ(pq.transform(-v), -pq.transform(v)) << v;
    EXPECT_EQ(pq.inverse(-v), -pq.inverse(v)) << v;
  }
  double previous = 0.0;
  for (int i = 1; i <= 1000; ++i) {
    const double e = i / 1000.0;
    EXPECT_NEAR(pq.inverse(pq.transform(e)), e, 1e-12) << e;
    EXPECT_GT(pq.transform(e), previous) << e;
    previous = pq.transform(e);
  }
  for (double l : {1e-6, 0.01, 1.0}) EXPECT_NEAR(pq.transform(pq.inverse(l)) / l, 1.0, 1e-10) << l;
}

// 16-bit code X below 1024 stays; segment k (from 1024 * 2^(k-1)) starts at
// 12-bit code 1024 + 512 (k - 1) with slope 2^-k.
TEST(QMapperTest, SegmentsStartAtTheirCodesAndHalveTheSlope) {
  const QMapper q;
  for (int k = 1; k <= 6; ++k) {
    const double start = 1024.0 * (1 << (k - 1));
    EXPECT_EQ(q.transform(start / 65535), (1024.0 + 512.0 * (k - 1)) / 4095) << k;
    EXPECT_NEAR((q.transform((start + 64) / 65535) - q.transform(start / 65535)) * 4095,
                64.0 / (1 << k), 1e-8)
        << k;
  }
  EXPECT_EQ(q.transform(1000.0 / 65535), 1000.0 / 4095);
  EXPECT_NEAR(q.transform(65534.0 / 65535) * 4095, 3584 + 32766.0 / 64, 1e-8);
  // Input outside the segments passes unchanged.
  for (double x : {1.0, -0.1, 1.5}) EXPECT_EQ(q.transform(x), x);
  EXPECT_TRUE(std::isnan(q.transform(std::numeric_limits<double>::quiet_NaN())));
}

TEST(VideoCurveTest, SlopeOffsetPowerAndPedestal) {
  VideoCurve curve;
  curve.setSlope(2.0);
  curve.setOffset(-0.5);
  EXPECT_EQ(curve.transform(0.5), 0.5);
  EXPECT_EQ(curve.transform(0.9), 1.0);
  EXPECT_EQ(curve.transform(0.1), 0.0);
  curve.reset();
  curve.setPower(2.0);
  EXPECT_DOUBLE_EQ(curve.transform(0.5), 0.25);
  EXPECT_EQ(curve.transform(-0.5), 0.0);
  EXPECT_EQ(curve.transform(2.0), 1.0);
  // The pedestal acts after the power and blends out at the cut point.
  curve.setPedestal(0.1);
  EXPECT_DOUBLE_EQ(curve.transform(0.0), 0.1);
  EXPECT_DOUBLE_EQ(curve.transform(std::sqrt(0.6)), 0.6);

  VideoCurve lifted, lowered;
  lifted.setPedestal(0.1);
  lowered.setPedestal(-0.1);
  EXPECT_DOUBLE_EQ(lifted.transform(VideoCurve::kCutPoint), 0.6);
  EXPECT_NEAR(slope(lifted, 0.0), 0.6 / 0.7, 1e-6);
  EXPECT_DOUBLE_EQ(lifted.transform(0.8), 0.8);
  EXPECT_GT(lifted.transform(0.3), 0.3);
  EXPECT_EQ(lowered.transform(0.05), 0.0);  // the spline's dip below 0 is cut
  EXPECT_NEAR(slope(lowered, 0.0), 0.0, 1e-12);
  EXPECT_LT(lowered.transform(0.3), 0.3);
  EXPECT_GT(lowered.transform(0.3), 0.0);
  EXPECT_DOUBLE_EQ(lowered.transform(VideoCurve::kCutPoint), 0.6);
}

TEST(SplineLutTest, EvaluatesTheInverseVideoGammaWhateverTheRecord) {
  const SplineLut::SplineLutCoef coef(17);
  EXPECT_EQ(coef.x, nullptr);
  const SplineLut withRecord(&coef), withoutRecord(nullptr);
  EXPECT_EQ(withRecord.getCoef(), &coef);
  for (double x : {0.0, 0.004, 0.18, 1.0}) {
    EXPECT_EQ(withRecord.transform(x), Pfwl::sGamma24.inverse(x)) << x;
    EXPECT_EQ(withoutRecord.transform(x), Pfwl::sGamma24.inverse(x)) << x;
  }
}
