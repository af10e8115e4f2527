// Chroma compression of the video look: output chroma magnitude as a function
// of input chroma magnitude, shaped by the size of the target gamut.
#pragma once

#include <cstdint>

#include "kvrHermiteSpline.h"

namespace Kalvora {

class ChromaCurve {
public:
  // Any value outside 0 ... 3 shapes the curve like kSmallGamut.
  enum CurveType : int32_t {
    kSmallGamut = 0,   // compresses to 0.5 at full input
    kMediumGamut = 1,  // compresses to 0.7
    kLargeGamut = 2,   // reaches 1.0
    kHdr = 3           // close to the identity
  };

  // Saturation 1, curve type kSmallGamut.
  ChromaCurve();

  // Rebuilds the whole spline for the type.
  void setCurveType(CurveType type);
  void resetSpline();
  void setSaturation(double saturation) { saturation_ = saturation; }

  // max(0, curve(c) * saturation); no upper clamp.
  double getChroma(double c) const;

private:
  HermiteSpline spline_;
  double saturation_;
};

}  // namespace Kalvora
