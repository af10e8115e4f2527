#include "kvrKestaToneMapCurve.h"

#include "kvrError.h"
#include "kvrToneCurve.h"

namespace Kalvora {

constexpr double KestaToneMapCurve::kMinParamValue;
constexpr double KestaToneMapCurve::kMaxParamValue;
constexpr int KestaToneMapCurve::kKnots;

// Neutral shape: knot position, value and slope.
static const double kX[KestaToneMapCurve::kKnots] = {0.0, 0.256, 0.391, 0.57, 0.65, 1.0};
static const double kY[KestaToneMapCurve::kKnots] = {0.0, 0.17, 0.4, 0.737, 0.868, 1.0};
static const double kD[KestaToneMapCurve::kKnots] = {0.366, 1.17, 1.946, 1.833, 1.223, 0.1};

KestaToneMapCurve::KestaToneMapCurve(double blackGamma, double knee) : spline_(kKnots) {
  for (int i = 0; i < kKnots; ++i) spline_.setX(i, kX[i], false);
  resetSpline();
  spline_.updatePolynomial();
  try {
    setShape(blackGamma, knee);
  } catch (const KvrSignal& signal) {
    reportSignal(signal);
  }
}

void KestaToneMapCurve::resetSpline() {
  for (int i = 0; i < kKnots; ++i) {
    spline_.setY(i, kY[i], false);
    spline_.setD(i, kD[i], false);
  }
}

void KestaToneMapCurve::setShape(double blackGamma, double knee) {
  if (!(kMinParamValue <= blackGamma && blackGamma <= kMaxParamValue))
    throw KvrSignal(kIllegalValue, "src/kvrKestaToneMapCurve:58 ERROR",
                    "Illegal value for black gamma");
  if (!(kMinParamValue <= knee && knee <= kMaxParamValue))
    throw KvrSignal(kIllegalValue, "src/kvrKestaToneMapCurve:62 ERROR",
                    "Illegal value for knee point");
  resetSpline();

  // Blends toward a target with the current weight; the intervals are
  // recomputed once at the end.
  double w = 1.0;
  auto moveY = [&](int i, double target) { spline_.moveY(i, target, w, false); };
  auto moveD = [&](int i, double target) { spline_.moveD(i, target, w, false); };

  if (knee < 0.5) {
    w = 2.0 * knee;
    moveY(3, 0.95);
    moveY(4, 1.0);
    moveD(2, 2.155);
    moveD(3, 2.0);
    moveD(4, 0.016);
    moveD(5, 0.0);
  } else if (knee > 0.5) {
    w = 2.0 * (1.0 - knee);
    moveY(3, 0.625);
    moveY(4, 0.705);
    moveD(1, 1.204);
    moveD(2, 1.807);
    moveD(3, 1.0);
    moveD(4, 1.0);
    moveD(5, 0.5);
  }
  // Runs after the knee, so slope 2 may be moved twice.
  if (blackGamma < 0.5) {
    w = 2.0 * blackGamma;
    moveY(1, 0.033);
    moveD(0, 0.0);
    moveD(1, 0.504);
    moveD(2, 2.0);
  } else if (blackGamma > 0.5) {
    w = 2.0 * (1.0 - blackGamma);
    moveY(1, 0.31);
    moveD(0, 1.386);
    moveD(1, 0.682);
    moveD(2, 1.396);
    if (blackGamma > kDeepBlackStart) {
      w = (1.0 - blackGamma) / kDeepBlackSpan;
      moveY(2, 0.47);
    }
  }
  spline_.updatePolynomial();

  if (knee == 0.0) {
    // The highlights rise straight from knot 3 and the output clamp cuts
    // them at white: a hard clip.
    spline_.setConstInterval(4);
    spline_.setLinearInterval(3);
  }
}

double KestaToneMapCurve::transform(double x) const {
  return clampToneOutput(spline_.transform(x));
}

}  // namespace Kalvora
