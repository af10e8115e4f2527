// 1-D curves: transfer functions, companding, splines and interpolators.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "kvrError.h"
#include "kvrHermiteSpline.h"
#include "kvrLinearInterpolator.h"
#include "kvrPQ2L.h"
#include "kvrPfwl.h"
#include "kvrPfwlLut.h"
#include "kvrQMapper.h"
#include "kvrVideoCurve.h"

using namespace Kalvora;

namespace {

// Six uneven knots; the value at `stale` changed without an update.
HermiteSpline sixKnots(int stale = -1) {
  const double x[] = {0.0, 0.1, 0.25, 0.5, 0.8, 1.0}, y[] = {0.0, 0.2, 0.3, 0.7, 0.75, 1.0},
               d[] = {1.5, 0.9, 2.0, 0.4, 0.3, 2.5};
  HermiteSpline spline(6);
  for (int i = 0; i < 6; ++i) {
    spline.setX(i, x[i], false);
    spline.setY(i, y[i], false);
    spline.setD(i, d[i], false);
  }
  spline.updatePolynomial();
  if (stale >= 0) spline.setY(stale, y[stale] + 0.2, false);
  return spline;
}

std::vector<std::vector<double>> samples(const HermiteSpline& s) {
  std::vector<std::vector<double>> out(s.getCount() - 1);
  for (int k = 0; k + 1 < s.getCount(); ++k)
    for (double f : {0.1, 0.37, 0.81})
      out[k].push_back(s.transform(s.getX(k) + f * (s.getX(k + 1) - s.getX(k))));
  return out;
}

}  // namespace

TEST(PfwlTest, ToeJoinsThePowerSmoothlyAndTheCurvesInvert) {
  for (const Pfwl* f : {&Pfwl::sGamma22, &Pfwl::sGamma24, &Pfwl::sGamma26, &Pfwl::sGamma30}) {
    const double bp = f->getBreakPoint();
    SCOPED_TRACE(bp);
    EXPECT_EQ(f->transform(bp), bp / f->getLinearDivisor());
    const double h = 1e-7;  // the slopes meet too
    EXPECT_NEAR(f->transform(bp) - f->transform(bp - h), f->transform(bp + h) - f->transform(bp),
                1e-12);
    EXPECT_EQ(f->transform(1.0), 1.0);
    for (int i = 0; i <= 200; ++i)
      EXPECT_NEAR(f->inverse(f->transform(i / 200.0)), i / 200.0, 1e-13) << i;
  }
  // The tabulated curve follows the exact one, shares its toe and holds
  // above 1 instead of extrapolating the power.
  const Pfwl exact(2.725, 0.097);
  const PfwlLut lut(2.725, 0.097, 4096);
  EXPECT_EQ(lut.transform(0.05), exact.transform(0.05));
  for (int i = 0; i <= 1000; ++i) {
    EXPECT_NEAR(lut.transform(i / 1000.0), exact.transform(i / 1000.0), 5e-5) << i;
    EXPECT_NEAR(lut.inverse(i / 1000.0), exact.inverse(i / 1000.0), 5e-5) << i;
  }
  EXPECT_EQ(lut.transform(1.5), 1.0);
  EXPECT_EQ(lut.inverse(3.0), 1.0);
}

TEST(PQ2LTest, PublishedLevelsSymmetryAndRoundTrips) {
  const PQ2L pq;
  EXPECT_DOUBLE_EQ(pq.inverse(1.0), 1.0);
  // 100 and 1000 cd/m^2 on the 10000 cd/m^2 scale.
  EXPECT_NEAR(pq.inverse(0.01), 0.508078, 1e-6);
  EXPECT_NEAR(pq.inverse(0.1), 0.751827, 1e-6);
  EXPECT_EQ(pq.transform(-0.5), -pq.transform(0.5));  // odd symmetry
  EXPECT_EQ(pq.inverse(-0.5), -pq.inverse(0.5));
  for (int i = 1; i <= 1000; ++i) {  // rising, and inverting
    EXPECT_NEAR(pq.inverse(pq.transform(i / 1000.0)), i / 1000.0, 1e-12) << i;
    EXPECT_GT(pq.transform(i / 1000.0), pq.transform((i - 1) / 1000.0)) << i;
  }
  EXPECT_NEAR(pq.transform(pq.inverse(1e-6)) / 1e-6, 1.0, 1e-10);
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
  for (double x : {1.0, -0.1, 1.5}) EXPECT_EQ(q.transform(x), x);  // outside the segments
  EXPECT_TRUE(std::isnan(q.transform(std::numeric_limits<double>::quiet_NaN())));
}

// Slope, offset, clamp, power; then a pedestal blending out at the cut point.
TEST(VideoCurveTest, SlopeOffsetPowerAndPedestal) {
  VideoCurve curve;
  curve.setSlope(2.0);
  curve.setOffset(-0.5);
  curve.setPower(2.0);
  EXPECT_DOUBLE_EQ(curve.transform(0.5), 0.25);
  EXPECT_EQ(curve.transform(0.9), 1.0);  // clamped before the power
  double in[3] = {0.0, 0.5, 0.9}, out[3];
  curve.transformArray(in, out, 3);
  EXPECT_EQ(std::vector<double>(out, out + 3), std::vector<double>({0.0, 0.25, 1.0}));
  for (double pedestal : {0.1, -0.1}) {
    curve.reset();
    curve.setPedestal(pedestal);
    EXPECT_DOUBLE_EQ(curve.transform(0.0), std::max(0.0, pedestal));
    EXPECT_DOUBLE_EQ(curve.transform(VideoCurve::kCutPoint), 0.6);
    EXPECT_DOUBLE_EQ(curve.transform(0.8), 0.8);
  }
}

TEST(HermiteSplineTest, HitsValuesAndSlopesAtEveryKnot) {
  const HermiteSpline s = sixKnots();
  const double h = 1e-7;
  for (int k = 0; k < s.getCount(); ++k) {
    EXPECT_EQ(s.transform(s.getX(k)), s.getY(k)) << k;
    const double before = k > 0 ? (s.getY(k) - s.transform(s.getX(k) - h)) / h : s.getD(k);
    const double after = k < 5 ? (s.transform(s.getX(k) + h) - s.getY(k)) / h : s.getD(k);
    EXPECT_NEAR(before, s.getD(k), 1e-5) << k;
    EXPECT_NEAR(after, s.getD(k), 1e-5) << k;
  }
  HermiteSpline single(1), empty(-3);  // one knot is a constant; none give 0
  single.setY(0, 0.25, true);
  EXPECT_EQ(single.transform(3.0), 0.25);
  EXPECT_EQ(empty.transform(0.5), 0.0);
}

// Bad indices are rejected before anything changes (a recompute would show).
TEST(HermiteSplineTest, BadIndicesAreRejectedBeforeAnythingChanges) {
  const std::function<void(HermiteSpline&, int)> ops[] = {
      [](HermiteSpline& s, int i) { s.setX(i, 9.0, true); },
      [](HermiteSpline& s, int i) { s.moveY(i, 9.0, 0.5, true); },
      [](HermiteSpline& s, int i) { s.moveD(i, 9.0, 0.5, true); },
      [](HermiteSpline& s, int i) { s.updatePolynomial(i); },
      [](HermiteSpline& s, int i) { s.setLinearInterval(i); },
      [](HermiteSpline& s, int i) { s.getY(i); }};
  for (int badIndex : {-1, 6})
    for (const auto& op : ops) {
      HermiteSpline s = sixKnots(3);
      const auto before = samples(s);
      EXPECT_THROW(op(s, badIndex), KvrSignal) << &op - ops;
      EXPECT_EQ(samples(s), before) << &op - ops;
    }
}

// A leading duplicate knot gives its value (not 0/0); an interior one belongs
// to the interval on its left; the ends hold; no table is the identity.
TEST(LinearInterpolatorTest, InterpolatesBetweenScaledKnotsAndHoldsTheEnds) {
  const unsigned short xs[] = {0, 0, 512, 512, 1023};
  const unsigned char ys[] = {10, 20, 100, 200, 255};
  const LinearInterpolator f(xs, ys, 1023, 255, 5);
  EXPECT_DOUBLE_EQ(f.transform(0.0), 10.0 / 255);
  EXPECT_DOUBLE_EQ(f.transform(0.25), (20 + 0.25 * 1023 / 512 * 80) / 255);
  EXPECT_DOUBLE_EQ(f.transform(512.0 / 1023), 100.0 / 255);
  EXPECT_EQ(f.transform(std::nan("")), 1.0);
  EXPECT_DOUBLE_EQ(LinearInterpolator(xs + 2, ys + 2, 1023, 255, 3).transform(0.25), 100.0 / 255);
  EXPECT_EQ(LinearInterpolator(nullptr, ys, 1023, 255, 5).transform(0.3), 0.3);
  EXPECT_EQ(LinearInterpolator(xs, nullptr, 1023, 255, 5).transform(0.3), 0.3);
  EXPECT_EQ(LinearInterpolator(xs, ys, 1023, 255, 0).transform(0.3), 0.3);
}
