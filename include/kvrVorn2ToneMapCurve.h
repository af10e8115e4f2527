// The video look's S-shaped tone curve from log signal to video signal: a
// 7-knot Hermite spline with a finer toe than the camera branch's curve,
// shaped by black gamma (shadows) and knee (highlights), each in [0, 1] with
// 0.5 neutral.
#pragma once

#include "kvrHermiteSpline.h"
#include "kvrLutFunc.h"

namespace Kalvora {

class Vorn2ToneMapCurve : public LutFunc {
public:
  static constexpr double kMinParamValue = 0.0;
  static constexpr double kMaxParamValue = 1.0;
  static constexpr int kKnots = 7;

  // A rejected shape is reported and leaves the neutral curve in place.
  Vorn2ToneMapCurve(double blackGamma, double knee);

  // Throws kIllegalValue for a control outside [0, 1] (NaN included) and then
  // leaves the curve unchanged. Knee 0 clips hard to white.
  void setShape(double blackGamma, double knee);
  // Restores the neutral values and slopes without recomputing the intervals.
  void resetSpline();

  // How far the controls are below neutral, (0.5 - knee) + (0.5 - blackGamma)
  // counting only controls below 0.5; the look raises chroma with it.
  double getContrastIncrease() const { return contrastIncrease_; }

  // The spline clamped to [0, 1].
  double transform(double x) const override;

private:
  double contrastIncrease_;
  HermiteSpline spline_;
};

}  // namespace Kalvora
