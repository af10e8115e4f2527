// Hermite splines and the piecewise-linear 1-D interpolator.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "kvrError.h"
#include "kvrHermiteSpline.h"
#include "kvrLinearInterpolator.h"
#include "kvrMath.h"

using namespace Kalvora;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

HermiteSpline makeSpline(const std::vector<double>& x, const std::vector<double>& y,
                         const std::vector<double>& d) {
  HermiteSpline spline(int(x.size()));
  for (int i = 0; i < int(x.size()); ++i) {
    spline.setX(i, x[i], false);
    spline.setY(i, y[i], false);
    spline.setD(i, d[i], false);
  }
  spline.updatePolynomial();
  return spline;
}

// Six knots with uneven spacing, values and slopes.
HermiteSpline sixKnots() {
  return makeSpline({0.0, 0.1, 0.25, 0.5, 0.8, 1.0}, {0.0, 0.2, 0.3, 0.7, 0.75, 1.0},
                    {1.5, 0.9, 2.0, 0.4, 0.3, 2.5});
}

// Samples strictly inside interval k.
std::vector<double> samplesInside(const HermiteSpline& s, int k) {
  std::vector<double> out;
  const double lo = s.getX(k), hi = s.getX(k + 1);
  for (double f : {0.1, 0.37, 0.5, 0.81, 0.99}) out.push_back(s.transform(lo + f * (hi - lo)));
  return out;
}

std::vector<std::vector<double>> samplesAll(const HermiteSpline& s) {
  std::vector<std::vector<double>> out;
  for (int k = 0; k + 1 < s.getCount(); ++k) out.push_back(samplesInside(s, k));
  return out;
}

// A spline whose value at `knot` changed without update, so the coefficients
// of the intervals next to it are stale; a recompute of any of them shows.
HermiteSpline staleAt(int knot) {
  HermiteSpline s = sixKnots();
  s.setY(knot, s.getY(knot) + 0.2, false);
  return s;
}

std::vector<std::vector<double>> recomputedSamples(const HermiteSpline& s) {
  HermiteSpline fresh(s);
  fresh.updatePolynomial();
  return samplesAll(fresh);
}

TEST(HermiteSpline, CopiesAreDeepAndSmallSplinesAreSafe) {
  const HermiteSpline s = sixKnots();
  HermiteSpline copy(s);
  copy.setY(2, 5.0, true);
  EXPECT_EQ(s.getY(2), 0.3);
  EXPECT_EQ(s.transform(0.25), 0.3);
  EXPECT_EQ(copy.transform(0.25), 5.0);
  copy = s;
  EXPECT_EQ(copy.transform(0.25), 0.3);

  HermiteSpline single(1);
  single.setX(0, 0.5, true);
  single.setY(0, 0.25, true);
  single.updatePolynomial(0);
  single.updatePolynomial();
  for (double x : {0.0, 0.5, 3.0}) EXPECT_EQ(single.transform(x), 0.25);

  HermiteSpline empty(0);
  EXPECT_EQ(empty.getCount(), 0);
  EXPECT_THROW(empty.setY(0, 1.0, true), KvrSignal);
  EXPECT_THROW(empty.getY(0), KvrSignal);
  empty.updatePolynomial();
  EXPECT_EQ(empty.transform(0.5), 0.0);
  EXPECT_EQ(HermiteSpline(-3).getCount(), 0);
}

}  // namespace

TEST(HermiteSpline, HitsValuesAndSlopesAndFollowsTheHermiteWeights) {
  const HermiteSpline s = sixKnots();
  const double h = 1e-7;
  for (int k = 0; k < s.getCount(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(s.transform(s.getX(k)), s.getY(k));
    if (k > 0) {
      EXPECT_NEAR((s.getY(k) - s.transform(s.getX(k) - h)) / h, s.getD(k), 1e-5);
    }
    if (k + 1 == s.getCount()) break;
    EXPECT_NEAR((s.transform(s.getX(k) + h) - s.getY(k)) / h, s.getD(k), 1e-5);
    const double x0 = s.getX(k), x1 = s.getX(k + 1);
    for (double f : {0.2, 0.5, 0.7, 0.95}) {
      const double x = x0 + f * (x1 - x0);
      double w[4];
      hermite(x, x0, x1, w);
      EXPECT_NEAR(s.transform(x),
                  s.getY(k) * w[0] + s.getY(k + 1) * w[1] + s.getD(k) * w[2] + s.getD(k + 1) * w[3],
                  1e-12)
          << x;
    }
  }
}

TEST(HermiteSpline, CheckedOperationsRejectBadIndicesBeforeChangingAnything) {
  const std::vector<std::pair<const char*, std::function<void(HermiteSpline&, int)>>> ops = {
      {"setX", [](HermiteSpline& s, int i) { s.setX(i, 9.0, true); }},
      {"setY", [](HermiteSpline& s, int i) { s.setY(i, 9.0, true); }},
      {"setD", [](HermiteSpline& s, int i) { s.setD(i, 9.0, true); }},
      {"moveY", [](HermiteSpline& s, int i) { s.moveY(i, 9.0, 0.5, true); }},
      {"moveD", [](HermiteSpline& s, int i) { s.moveD(i, 9.0, 0.5, true); }},
      {"updatePolynomial", [](HermiteSpline& s, int i) { s.updatePolynomial(i); }},
      {"setLinearInterval", [](HermiteSpline& s, int i) { s.setLinearInterval(i); }},
      {"checkIndex", [](HermiteSpline& s, int i) { s.checkIndex(i); }},
  };
  for (int badIndex : {-1, 6, 1000})
    for (const auto& op : ops) {
      SCOPED_TRACE(testing::Message() << op.first << "(" << badIndex << ")");
      HermiteSpline s = staleAt(3);  // a silent recompute would show
      const HermiteSpline before(s);
      try {
        op.second(s, badIndex);
        ADD_FAILURE() << "accepted";
      } catch (const KvrSignal& signal) {
        EXPECT_EQ(signal.code(), kIllegalIndex);
        EXPECT_STREQ(signal.what(), "illegal knot index");
        EXPECT_STREQ(signal.where(), "src/kvrMath:170 ERROR");
      }
      for (int k = 0; k < s.getCount(); ++k) {
        EXPECT_EQ(s.getX(k), before.getX(k));
        EXPECT_EQ(s.getY(k), before.getY(k));
        EXPECT_EQ(s.getD(k), before.getD(k));
      }
      EXPECT_EQ(samplesAll(s), samplesAll(before));
    }
}

TEST(HermiteSpline, ChangingOneKnotRecomputesOnlyItsIntervals) {
  HermiteSpline s = staleAt(4);
  s.setY(1, s.getY(1) + 0.2, false);
  const auto stale = samplesAll(s);
  s.setY(2, 0.45, true);
  const auto now = samplesAll(s), fresh = recomputedSamples(s);
  for (int k : {0, 3, 4}) {
    EXPECT_EQ(now[k], stale[k]) << k;
    EXPECT_NE(fresh[k], stale[k]) << k;
  }
  EXPECT_EQ(now[1], fresh[1]);
  EXPECT_EQ(now[2], fresh[2]);

  // The end knots have one interval each.
  HermiteSpline first = staleAt(2);
  const auto firstStale = samplesAll(first);
  first.setD(0, 0.0, true);
  EXPECT_EQ(samplesAll(first)[0], recomputedSamples(first)[0]);
  EXPECT_EQ(samplesAll(first)[1], firstStale[1]);
  HermiteSpline last = staleAt(4);
  const auto lastStale = samplesAll(last);
  last.setD(5, 0.0, true);
  EXPECT_EQ(samplesAll(last)[4], recomputedSamples(last)[4]);
  EXPECT_EQ(samplesAll(last)[3], lastStale[3]);

  HermiteSpline checked = staleAt(3);
  checked.updatePolynomial(3);
  EXPECT_EQ(samplesAll(checked), recomputedSamples(checked));
}

TEST(LinearInterpolator, InterpolatesBetweenScaledKnotsAndHoldsTheEnds) {
  const unsigned short xs[] = {0, 512, 1023};
  const unsigned char ys[] = {0, 128, 255};
  const LinearInterpolator f(xs, ys, 1023, 255, 3);
  EXPECT_DOUBLE_EQ(f.transform(0.25), (0.25 * 1023 / 512) * 128 / 255);
  EXPECT_DOUBLE_EQ(f.transform(0.0), 0.0);
  EXPECT_DOUBLE_EQ(f.transform(512.0 / 1023), 128.0 / 255);
  EXPECT_DOUBLE_EQ(f.transform(0.75), ((0.75 - 512.0 / 1023) * 127 / (511.0 / 1023) + 128) / 255);
  EXPECT_DOUBLE_EQ(f.transform(1.0), 1.0);
  EXPECT_EQ(f.transform(2.0), 1.0);
  EXPECT_EQ(f.transform(-0.1), 0.0);
  EXPECT_EQ(f.transform(kNaN), 1.0);
  EXPECT_DOUBLE_EQ(LinearInterpolator(xs, ys, 1023, 100, 3).transform(1.0), 2.55);  // no clamp
  // Without a table it is the identity.
  EXPECT_EQ(LinearInterpolator(nullptr, ys, 1023, 255, 3).transform(0.3), 0.3);
  EXPECT_EQ(LinearInterpolator(xs, nullptr, 1023, 255, 3).transform(0.3), 0.3);
  EXPECT_EQ(LinearInterpolator(xs, ys, 1023, 255, 0).transform(0.3), 0.3);
}

TEST(LinearInterpolator, DuplicateKnots) {
  // A step at x = 512: an interior knot belongs to the interval on its left.
  const unsigned short xs[] = {0, 512, 512, 1023};
  const unsigned char ys[] = {0, 100, 200, 255};
  const LinearInterpolator step(xs, ys, 1023, 255, 4);
  EXPECT_DOUBLE_EQ(step.transform(512.0 / 1023), 100.0 / 255);
  EXPECT_GT(step.transform(513.0 / 1023), 200.0 / 255);
  // A leading duplicate knot gives its value, not 0/0.
  const unsigned short lead[] = {0, 0, 1023};
  const unsigned char leadYs[] = {10, 20, 255};
  EXPECT_DOUBLE_EQ(LinearInterpolator(lead, leadYs, 1023, 255, 3).transform(0.0), 10.0 / 255);
}
