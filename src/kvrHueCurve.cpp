#include "kvrHueCurve.h"

#include "kvrError.h"

#define KVR_SOURCE "src/kvrHueCurve"

namespace Kalvora {

namespace {

// Knots 0 to 5 lie near green, cyan, blue, magenta, red and yellow; knot 6
// is knot 0 one turn later, so the curve closes around the circle.
const int kKnots = 7;
const double kFirstHue = -2.371;
const double kHueX[kKnots - 1] = {kFirstHue, -1.337, -0.175, 0.77, 1.804, 2.967};
const int kWrappedKnot = kKnots - 1;

const double kPi = 3.141592653589793;

}  // namespace

HueCurve::HueCurve() : spline_(kKnots), firstHue_(kFirstHue) {
  for (int i = 0; i < kWrappedKnot; ++i) spline_.setX(i, kHueX[i], false);
  spline_.setX(kWrappedKnot, kFirstHue + pi2, false);
  try {
    reset();
  } catch (const KvrSignal& signal) {
    reportSignal(signal);
  }
}

void HueCurve::reset() {
  for (int i = 0; i < kKnots; ++i) {
    spline_.setY(i, 1.0, false);
    spline_.setD(i, 0.0, false);
  }
  spline_.updatePolynomial();
}

void HueCurve::setSaturation(Hue hue, double saturation) {
  if (!(kMinParamValue <= saturation && saturation <= kMaxParamValue))
    throw KvrSignal(kIllegalValue, "src/kvrHueCurve:66 ERROR", "Illegal value for hue satureation");
  // The wrapped copy of the first knot is not a hue of its own. Every other
  // index is rejected exactly as the spline's own knot check would do it.
  if (!(Green <= hue && hue <= Yellow))
    throw KvrSignal(kIllegalIndex, "src/kvrMath:170 ERROR", "illegal knot index");
  spline_.setY(hue, saturation, true);
  if (hue == Green) spline_.setY(kWrappedKnot, saturation, true);
}

double HueCurve::getChroma(double hue) const {
  // Both steps may apply: an angle just above pi lands below the first knot
  // after the first step and belongs one turn up.
  if (hue > kPi) hue -= pi2;
  if (hue < firstHue_) hue += pi2;
  return spline_.transform(hue);
}

}  // namespace Kalvora
