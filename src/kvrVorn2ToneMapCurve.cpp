#include "kvrVorn2ToneMapCurve.h"

#include "kvrError.h"
#include "kvrToneCurve.h"

namespace Kalvora {

constexpr double Vorn2ToneMapCurve::kMinParamValue;
constexpr double Vorn2ToneMapCurve::kMaxParamValue;
constexpr int Vorn2ToneMapCurve::kKnots;

// Neutral shape: knot position, value and slope.
static const double kX[Vorn2ToneMapCurve::kKnots] = {0.0, 0.14, 0.256, 0.391, 0.57, 0.65, 1.0};
static const double kY[Vorn2ToneMapCurve::kKnots] = {0.0, 0.04, 0.159, 0.4, 0.737, 0.868, 1.0};
static const double kD[Vorn2ToneMapCurve::kKnots] = {0.0, 0.644, 1.54, 1.95, 1.833, 1.223, 0.1};

Vorn2ToneMapCurve::Vorn2ToneMapCurve(double blackGamma, double knee)
    : contrastIncrease_(0.0), spline_(kKnots) {
  for (int i = 0; i < kKnots; ++i) spline_.setX(i, kX[i], false);
  resetSpline();
  spline_.updatePolynomial();
  try {
    setShape(blackGamma, knee);
  } catch (const KvrSignal& signal) {
    reportSignal(signal);
  }
}

void Vorn2ToneMapCurve::resetSpline() {
  for (int i = 0; i < kKnots; ++i) {
    spline_.setY(i, kY[i], false);
    spline_.setD(i, kD[i], false);
  }
}

void Vorn2ToneMapCurve::setShape(double blackGamma, double knee) {
  if (!(kMinParamValue <= blackGamma && blackGamma <= kMaxParamValue))
    throw KvrSignal(kIllegalValue, "src/kvrVorn2ToneMapCurve:64 ERROR",
                    "Illegal value for black gamma");
  if (!(kMinParamValue <= knee && knee <= kMaxParamValue))
    throw KvrSignal(kIllegalValue, "src/kvrVorn2ToneMapCurve:68 ERROR",
                    "Illegal value for knee point");
  contrastIncrease_ = 0.0;
  resetSpline();

  // Blends toward a target with the current weight; the intervals are
  // recomputed once at the end.
  double w = 1.0;
  auto moveY = [&](int i, double target) { spline_.moveY(i, target, w, false); };
  auto moveD = [&](int i, double target) { spline_.moveD(i, target, w, false); };

  if (knee < 0.5) {
    w = 2.0 * knee;
    moveY(4, 0.95);
    moveY(5, 1.0);
    moveD(3, 2.1);
    moveD(4, 2.0);
    moveD(5, 0.016);
    moveD(6, 0.0);
    contrastIncrease_ = 0.5 - knee;
  } else if (knee > 0.5) {
    w = 2.0 * (1.0 - knee);
    moveY(4, 0.625);
    moveY(5, 0.705);
    moveD(3, 1.8);
    moveD(4, 1.0);
    moveD(5, 1.0);
    moveD(6, 0.5);
  }
  // Runs after the knee, so slope 3 may be moved twice.
  if (blackGamma < 0.5) {
    w = 2.0 * blackGamma;
    moveY(1, 0.008);
    moveY(2, 0.033);
    moveD(1, 0.07);
    moveD(2, 0.6);
    moveD(3, 2.0);
    contrastIncrease_ += 0.5 - blackGamma;
  } else if (blackGamma > 0.5) {
    w = 2.0 * (1.0 - blackGamma);
    moveY(1, 0.115);
    moveY(2, 0.25);
    moveD(0, 0.4);
    moveD(1, 1.075);
    moveD(2, 1.3);
    moveD(3, 1.53);
    if (blackGamma > kDeepBlackStart) {
      w = (1.0 - blackGamma) / kDeepBlackSpan;
      moveY(3, 0.45);
    }
  }
  spline_.updatePolynomial();

  if (knee == 0.0) {
    // The highlights rise straight from knot 4 and the output clamp cuts
    // them at white: a hard clip.
    spline_.setConstInterval(5);
    spline_.setLinearInterval(4);
  }
}

double Vorn2ToneMapCurve::transform(double x) const {
  return clampToneOutput(spline_.transform(x));
}

}  // namespace Kalvora
