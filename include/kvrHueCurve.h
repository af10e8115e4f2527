// Chroma factor of the video look as a function of the hue angle, with one
// saturation control per hue.
#pragma once

#include <cstdint>

#include "kvrHermiteSpline.h"

namespace Kalvora {

class HueCurve {
public:
  // Each hue selects the knot of the same number.
  enum Hue : int32_t { Green = 0, Cyan = 1, Blue = 2, Magenta = 3, Red = 4, Yellow = 5 };

  // Range of the saturation controls.
  static constexpr double kMinParamValue = 0.0;
  static constexpr double kMaxParamValue = 2.0;
  static constexpr double pi2 = 6.283185307179586;

  // Every hue at saturation 1.
  HueCurve();

  // All saturations back to 1.
  void reset();
  // Throws kIllegalValue for a saturation outside [0, 2] (NaN included) and
  // kIllegalIndex for a hue outside Green ... Yellow, before any change.
  void setSaturation(Hue hue, double saturation);

  // The factor at an angle in radians; angles in [-pi, pi] are wrapped onto
  // the knot range [firstHue, firstHue + 2 pi).
  double getChroma(double hue) const;

private:
  HermiteSpline spline_;
  double firstHue_;
};

}  // namespace Kalvora
