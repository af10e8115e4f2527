#include "kvrToneCurve.h"

#include "kvrError.h"
#include "kvrHermiteSpline.h"

namespace Kalvora {

void initToneSpline(HermiteSpline& spline, const ToneCurveShape& shape) {
  for (int i = 0; i < shape.knots; ++i) spline.setX(i, shape.x[i], false);
  resetToneSpline(spline, shape);
  spline.updatePolynomial();
}

void resetToneSpline(HermiteSpline& spline, const ToneCurveShape& shape) {
  for (int i = 0; i < shape.knots; ++i) {
    spline.setY(i, shape.y[i], false);
    spline.setD(i, shape.d[i], false);
  }
}

// Blends toward the targets with weight w; the intervals are recomputed
// once the shape is complete.
static void moveToward(HermiteSpline& spline, const ToneTargets& side, double w) {
  for (int i = 0; i < side.count; ++i) {
    const ToneKnotTarget& t = side.targets[i];
    if (t.slope)
      spline.moveD(t.knot, t.target, w, false);
    else
      spline.moveY(t.knot, t.target, w, false);
  }
}

double shapeToneSpline(HermiteSpline& spline, const ToneCurveShape& shape, double blackGamma,
                       double knee) {
  if (!(0.0 <= blackGamma && blackGamma <= 1.0))
    throw KvrSignal(kIllegalValue, shape.blackGammaSite, "Illegal value for black gamma");
  if (!(0.0 <= knee && knee <= 1.0))
    throw KvrSignal(kIllegalValue, shape.kneeSite, "Illegal value for knee point");
  resetToneSpline(spline, shape);

  double contrastIncrease = 0.0;
  if (knee < 0.5) {
    moveToward(spline, shape.kneeLow, 2.0 * knee);
    contrastIncrease = 0.5 - knee;
  } else if (knee > 0.5) {
    moveToward(spline, shape.kneeHigh, 2.0 * (1.0 - knee));
  }
  // Runs after the knee, so a slope may be moved twice.
  if (blackGamma < 0.5) {
    moveToward(spline, shape.blackLow, 2.0 * blackGamma);
    contrastIncrease += 0.5 - blackGamma;
  } else if (blackGamma > 0.5) {
    moveToward(spline, shape.blackHigh, 2.0 * (1.0 - blackGamma));
    if (blackGamma > kDeepBlackStart)
      spline.moveY(shape.deepBlackKnot, shape.deepBlackValue, (1.0 - blackGamma) / kDeepBlackSpan,
                   false);
  }
  spline.updatePolynomial();

  if (knee == 0.0) {
    // The highlights rise straight from the clip knot and the output clamp
    // cuts them at white: a hard clip.
    spline.setConstInterval(shape.hardClipKnot + 1);
    spline.setLinearInterval(shape.hardClipKnot);
  }
  return contrastIncrease;
}

double initShapedToneSpline(HermiteSpline& spline, const ToneCurveShape& shape, double blackGamma,
                            double knee) {
  initToneSpline(spline, shape);
  try {
    return shapeToneSpline(spline, shape, blackGamma, knee);
  } catch (const KvrSignal& signal) {
    reportSignal(signal);
    return 0.0;
  }
}

}  // namespace Kalvora
