// Hermite splines and the piecewise-linear 1-D interpolator.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "kvrError.h"
#include "kvrHermiteSpline.h"
#include "kvrLinearInterpolator.h"
#include "kvrTestSupport.h"

using namespace Kalvora;

namespace {

// Six knots with uneven spacing, values and slopes; the value at `stale`
// changed without an update, so a recompute of its intervals would show.
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

// Samples strictly inside each interval.
std::vector<std::vector<double>> samples(const HermiteSpline& s) {
  std::vector<std::vector<double>> out(s.getCount() - 1);
  for (int k = 0; k + 1 < s.getCount(); ++k)
    for (double f : {0.1, 0.37, 0.81})
      out[k].push_back(s.transform(s.getX(k) + f * (s.getX(k + 1) - s.getX(k))));
  return out;
}

std::vector<std::vector<double>> recomputed(HermiteSpline s) {
  s.updatePolynomial();
  return samples(s);
}

}  // namespace

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
  // Copies are deep; one knot is a constant; no knots give 0.
  HermiteSpline copy(s);
  copy.setY(2, 5.0, true);
  EXPECT_EQ(s.transform(0.25), 0.3);
  EXPECT_EQ(copy.transform(0.25), 5.0);
  HermiteSpline single(1);
  single.setY(0, 0.25, true);
  single.updatePolynomial();
  EXPECT_EQ(single.transform(3.0), 0.25);
  HermiteSpline empty(-3);
  EXPECT_EQ(empty.getCount(), 0);
  empty.updatePolynomial();
  EXPECT_EQ(empty.transform(0.5), 0.0);
}

TEST(HermiteSplineTest, ChangingOneKnotRecomputesOnlyItsIntervals) {
  HermiteSpline s = sixKnots(4);
  s.setY(1, s.getY(1) + 0.2, false);
  const auto stale = samples(s);
  s.setY(2, 0.45, true);
  const auto now = samples(s), fresh = recomputed(s);
  for (int k : {0, 3}) {
    EXPECT_EQ(now[k], stale[k]) << k;
    EXPECT_NE(fresh[k], stale[k]) << k;
  }
  EXPECT_EQ(now[1], fresh[1]);
  EXPECT_EQ(now[2], fresh[2]);
  // The end knots have one interval each.
  HermiteSpline last = sixKnots(4);
  last.setD(5, 0.0, true);
  EXPECT_EQ(samples(last)[4], recomputed(last)[4]);
  EXPECT_NE(samples(last)[3], recomputed(last)[3]);
}

TEST(HermiteSplineTest, BadIndicesAreRejectedBeforeAnythingChanges) {
  const std::function<void(HermiteSpline&, int)> ops[] = {
      [](HermiteSpline& s, int i) { s.setX(i, 9.0, true); },
      [](HermiteSpline& s, int i) { s.setY(i, 9.0, true); },
      [](HermiteSpline& s, int i) { s.setD(i, 9.0, true); },
      [](HermiteSpline& s, int i) { s.moveY(i, 9.0, 0.5, true); },
      [](HermiteSpline& s, int i) { s.moveD(i, 9.0, 0.5, true); },
      [](HermiteSpline& s, int i) { s.updatePolynomial(i); },
      [](HermiteSpline& s, int i) { s.setLinearInterval(i); },
      [](HermiteSpline& s, int i) { s.getY(i); }};
  for (int badIndex : {-1, 6})
    for (const auto& op : ops) {
      HermiteSpline s = sixKnots(3);
      const auto before = samples(s);
      try {
        op(s, badIndex);
        ADD_FAILURE() << "operation " << &op - ops << " accepted " << badIndex;
      } catch (const KvrSignal& signal) {
        EXPECT_EQ(signal.code(), kIllegalIndex);
        EXPECT_PRED2(KalvoraTest::contains, signal.what(), "index");
      }
      EXPECT_EQ(samples(s), before) << "operation " << &op - ops;
      EXPECT_EQ(s.getY(3), sixKnots(3).getY(3));
    }
}

TEST(LinearInterpolatorTest, InterpolatesBetweenScaledKnotsAndHoldsTheEnds) {
  const unsigned short xs[] = {0, 512, 1023}, steps[] = {0, 512, 512, 1023}, lead[] = {0, 0, 1023};
  const unsigned char ys[] = {0, 128, 255}, stepYs[] = {0, 100, 200, 255}, leadYs[] = {10, 20, 255};
  const struct {
    LinearInterpolator f;
    double x, y;
  } cases[] = {{{xs, ys, 1023, 255, 3}, 0.25, (0.25 * 1023 / 512) * 128 / 255},
               {{xs, ys, 1023, 255, 3}, 512.0 / 1023, 128.0 / 255},
               {{xs, ys, 1023, 255, 3}, 2.0, 1.0},
               {{xs, ys, 1023, 255, 3}, -0.1, 0.0},
               {{xs, ys, 1023, 255, 3}, std::nan(""), 1.0},
               {{xs, ys, 1023, 100, 3}, 1.0, 2.55},  // no clamp of the values
               {{nullptr, ys, 1023, 255, 3}, 0.3, 0.3},
               {{xs, nullptr, 1023, 255, 3}, 0.3, 0.3},
               {{xs, ys, 1023, 255, 0}, 0.3, 0.3},
               // A step: an interior knot belongs to the interval on its left.
               {{steps, stepYs, 1023, 255, 4}, 512.0 / 1023, 100.0 / 255},
               // A leading duplicate knot gives its value, not 0/0.
               {{lead, leadYs, 1023, 255, 3}, 0.0, 10.0 / 255}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(c.f.transform(c.x), c.y) << "case " << &c - cases;
}
