#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "kvrError.h"
#include "kvrHermiteSpline.h"
#include "kvrMath.h"

using namespace Kalvora;

namespace {

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

}  // namespace

TEST(HermiteSpline, StraightLineHasNoCurvatureAndFlatEnds) {
  HermiteSpline s = makeSpline({0, 1}, {0, 1}, {1, 1});
  for (double x : {0.0, 0.125, 0.25, 0.6, 0.999}) EXPECT_DOUBLE_EQ(s.transform(x), x);
  EXPECT_EQ(s.transform(-1.0), 0.0);
  EXPECT_EQ(s.transform(5.0), 1.0);
}

TEST(HermiteSpline, ZeroEndSlopesGiveSmoothstep) {
  HermiteSpline s = makeSpline({0, 1}, {0, 1}, {0, 0});
  EXPECT_DOUBLE_EQ(s.transform(0.5), 0.5);
  EXPECT_DOUBLE_EQ(s.transform(0.25), 0.15625);
}

TEST(HermiteSpline, HitsValuesAndSlopesAtEveryKnot) {
  HermiteSpline s = sixKnots();
  const double h = 1e-7;
  for (int k = 0; k < s.getCount(); ++k) {
    EXPECT_EQ(s.transform(s.getX(k)), s.getY(k)) << "knot " << k;
    if (k + 1 < s.getCount()) {
      double right = (s.transform(s.getX(k) + h) - s.getY(k)) / h;
      EXPECT_NEAR(right, s.getD(k), 1e-5) << "slope right of knot " << k;
    }
    if (k > 0) {
      double left = (s.getY(k) - s.transform(s.getX(k) - h)) / h;
      EXPECT_NEAR(left, s.getD(k), 1e-5) << "slope left of knot " << k;
    }
  }
}

TEST(HermiteSpline, AgreesWithHermiteWeightsInsideIntervals) {
  HermiteSpline s = sixKnots();
  for (int k = 0; k + 1 < s.getCount(); ++k) {
    const double x0 = s.getX(k), x1 = s.getX(k + 1);
    for (double f : {0.0, 0.2, 0.5, 0.7, 0.95}) {
      double x = x0 + f * (x1 - x0);
      double w[4];
      hermite(x, x0, x1, w);
      double expected =
          s.getY(k) * w[0] + s.getY(k + 1) * w[1] + s.getD(k) * w[2] + s.getD(k + 1) * w[3];
      EXPECT_NEAR(s.transform(x), expected, 1e-12) << "x " << x;
    }
  }
}

TEST(HermiteSpline, OutsideTheKnotsAndNanGiveTheEndValues) {
  HermiteSpline s = sixKnots();
  EXPECT_EQ(s.transform(-0.001), 0.0);
  EXPECT_EQ(s.transform(1.0), 1.0);
  EXPECT_EQ(s.transform(7.0), 1.0);
  EXPECT_EQ(s.transform(std::numeric_limits<double>::quiet_NaN()), 1.0);
  EXPECT_EQ(s.transform(-std::numeric_limits<double>::infinity()), 0.0);
}

// Every checked operation, called with a given index.
struct CheckedOp {
  const char* name;
  std::function<void(HermiteSpline&, int)> call;
};

class HermiteSplineIndexCheck : public ::testing::TestWithParam<int> {};

TEST_P(HermiteSplineIndexCheck, RejectsBadIndexBeforeChangingAnything) {
  const int badIndex = GetParam();
  const std::vector<CheckedOp> ops = {
      {"setX", [](HermiteSpline& s, int i) { s.setX(i, 9.0, true); }},
      {"setY", [](HermiteSpline& s, int i) { s.setY(i, 9.0, true); }},
      {"setD", [](HermiteSpline& s, int i) { s.setD(i, 9.0, true); }},
      {"moveY", [](HermiteSpline& s, int i) { s.moveY(i, 9.0, 0.5, true); }},
      {"moveD", [](HermiteSpline& s, int i) { s.moveD(i, 9.0, 0.5, true); }},
      {"updatePolynomial", [](HermiteSpline& s, int i) { s.updatePolynomial(i); }},
      {"setLinearInterval", [](HermiteSpline& s, int i) { s.setLinearInterval(i); }},
      {"checkIndex", [](HermiteSpline& s, int i) { s.checkIndex(i); }},
  };
  for (const CheckedOp& op : ops) {
    HermiteSpline s = sixKnots();
    // Leave stale coefficients behind so that a silent recompute would show.
    s.setY(3, 0.1, false);
    HermiteSpline before(s);
    try {
      op.call(s, badIndex);
      ADD_FAILURE() << op.name << " accepted index " << badIndex;
    } catch (const KvrSignal& signal) {
      EXPECT_EQ(signal.code(), kIllegalIndex) << op.name;
      EXPECT_STREQ(signal.what(), "illegal knot index") << op.name;
      EXPECT_STREQ(signal.where(), "src/kvrMath:170 ERROR") << op.name;
    }
    for (int k = 0; k < s.getCount(); ++k) {
      EXPECT_EQ(s.getX(k), before.getX(k)) << op.name;
      EXPECT_EQ(s.getY(k), before.getY(k)) << op.name;
      EXPECT_EQ(s.getD(k), before.getD(k)) << op.name;
    }
    EXPECT_EQ(samplesAll(s), samplesAll(before)) << op.name;
  }
}

INSTANTIATE_TEST_SUITE_P(BadIndices, HermiteSplineIndexCheck, ::testing::Values(-1, 6, 1000));

TEST(HermiteSpline, MoveBlendsTowardTheTarget) {
  HermiteSpline s = sixKnots();
  s.setY(2, 2.0, false);
  s.moveY(2, 10.0, 0.25, true);
  EXPECT_DOUBLE_EQ(s.getY(2), 8.0);
  EXPECT_DOUBLE_EQ(s.transform(s.getX(2)), 8.0);

  s.setD(1, 4.0, false);
  s.moveD(1, 0.0, 0.0, false);
  EXPECT_EQ(s.getD(1), 0.0);
  s.moveD(1, 5.0, 1.0, false);
  EXPECT_EQ(s.getD(1), 0.0);
}

// Changes a value without update, so the coefficients of every interval that
// depends on it go stale; a recompute of any of them would then show.
HermiteSpline staleAt(int knot) {
  HermiteSpline s = sixKnots();
  s.setY(knot, s.getY(knot) + 0.2, false);
  return s;
}

HermiteSpline recomputed(const HermiteSpline& s) {
  HermiteSpline fresh(s);
  fresh.updatePolynomial();
  return fresh;
}

TEST(HermiteSpline, ChangingOneKnotRecomputesOnlyItsTwoIntervals) {
  HermiteSpline s = staleAt(4);
  s.setY(1, s.getY(1) + 0.2, false);
  const auto stale = samplesAll(s);
  s.setY(2, 0.45, true);
  const auto now = samplesAll(s);
  const auto fresh = samplesAll(recomputed(s));
  EXPECT_EQ(now[0], stale[0]);
  EXPECT_EQ(now[1], fresh[1]);
  EXPECT_EQ(now[2], fresh[2]);
  EXPECT_EQ(now[3], stale[3]);
  EXPECT_EQ(now[4], stale[4]);
  EXPECT_NE(fresh[0], stale[0]);
  EXPECT_NE(fresh[3], stale[3]);
  EXPECT_NE(fresh[4], stale[4]);
}

TEST(HermiteSpline, EndKnotsHaveOneInterval) {
  {
    HermiteSpline s = staleAt(2);
    const auto stale = samplesAll(s);
    s.setD(0, 0.0, true);
    EXPECT_EQ(samplesInside(s, 0), samplesInside(recomputed(s), 0));
    EXPECT_EQ(samplesInside(s, 1), stale[1]);
  }
  {
    HermiteSpline s = staleAt(4);
    const auto stale = samplesAll(s);
    s.setD(5, 0.0, true);
    EXPECT_EQ(samplesInside(s, 4), samplesInside(recomputed(s), 4));
    EXPECT_EQ(samplesInside(s, 3), stale[3]);
  }
  {
    HermiteSpline s = staleAt(3);
    s.updatePolynomial(3);
    EXPECT_EQ(samplesAll(s), samplesAll(recomputed(s)));
  }
}

TEST(HermiteSpline, InteriorKnotStartsItsOwnInterval) {
  HermiteSpline s = sixKnots();
  // A constant interval 2 would be visible right at its start knot.
  s.setY(2, 0.35, false);
  s.setConstInterval(2);
  EXPECT_EQ(s.transform(0.25), 0.35);
}

TEST(HermiteSpline, ConstIntervalHoldsItsStartValue) {
  HermiteSpline s = sixKnots();
  s.setConstInterval(3);
  for (double v : samplesInside(s, 3)) EXPECT_EQ(v, 0.7);
  EXPECT_EQ(s.getD(3), 0.0);
  // The cleared slope is what a later recompute of interval 2 sees.
  s.updatePoly(3);
  const double h = 1e-7;
  EXPECT_NEAR((0.7 - s.transform(0.5 - h)) / h, 0.0, 1e-5);
}

TEST(HermiteSpline, LinearIntervalKeepsTheStoredSlope) {
  HermiteSpline s = sixKnots();
  s.setLinearInterval(3);
  // Secant of interval 3 is 0.05 / 0.3; the stored slope 0.4 wins.
  for (double x : {0.5, 0.6, 0.7, 0.79}) EXPECT_NEAR(s.transform(x), 0.7 + 0.4 * (x - 0.5), 1e-15);
}

TEST(HermiteSpline, CopyIsIndependent) {
  HermiteSpline s = sixKnots();
  HermiteSpline copy(s);
  copy.setY(2, 5.0, true);
  EXPECT_EQ(s.getY(2), 0.3);
  EXPECT_EQ(s.transform(0.25), 0.3);
  EXPECT_EQ(copy.transform(0.25), 5.0);
  copy = s;
  EXPECT_EQ(copy.transform(0.25), 0.3);
}

TEST(HermiteSpline, SingleKnotSplineIsConstant) {
  HermiteSpline s(1);
  s.setX(0, 0.5, true);
  s.setY(0, 0.25, true);
  s.updatePolynomial(0);
  s.updatePolynomial();
  EXPECT_EQ(s.transform(0.0), 0.25);
  EXPECT_EQ(s.transform(0.5), 0.25);
  EXPECT_EQ(s.transform(3.0), 0.25);
}

TEST(HermiteSpline, EmptySplineRejectsEveryIndex) {
  HermiteSpline s(0);
  EXPECT_EQ(s.getCount(), 0);
  EXPECT_THROW(s.setY(0, 1.0, true), KvrSignal);
  EXPECT_THROW(s.getY(0), KvrSignal);
  s.updatePolynomial();
  EXPECT_EQ(s.transform(0.5), 0.0);
  HermiteSpline negative(-3);
  EXPECT_EQ(negative.getCount(), 0);
}
