// The camera branch's S-shaped tone curve from log signal to video signal:
// a 6-knot Hermite spline whose values and slopes are blended from the
// neutral shape toward target shapes by two controls, black gamma (shadows)
// and knee (highlights), each in [0, 1] with 0.5 neutral.
#pragma once

#include "kvrHermiteSpline.h"
#include "kvrLutFunc.h"

namespace Kalvora {

class KestaToneMapCurve : public LutFunc {
public:
  static constexpr double kMinParamValue = 0.0;
  static constexpr double kMaxParamValue = 1.0;
  static constexpr int kKnots = 6;

  // A rejected shape is reported and leaves the neutral curve in place.
  KestaToneMapCurve(double blackGamma, double knee);

  // Throws kIllegalValue for a control outside [0, 1] (NaN included) and then
  // leaves the curve unchanged. Knee 0 clips hard to white.
  void setShape(double blackGamma, double knee);
  // Restores the neutral values and slopes without recomputing the intervals.
  void resetSpline();

  // The spline clamped to [0, 1].
  double transform(double x) const override;

private:
  HermiteSpline spline_;
};

}  // namespace Kalvora
