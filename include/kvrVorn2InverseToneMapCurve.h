// A fixed approximate inverse of the neutral video-look tone curve: an
// 11-knot Hermite spline through the neutral curve's values at 0, 0.1, ...,
// 1.0 with input and output swapped.
#pragma once

#include "kvrHermiteSpline.h"
#include "kvrLutFunc.h"

namespace Kalvora {

class Vorn2InverseToneMapCurve : public LutFunc {
public:
  static constexpr int kKnots = 11;

  Vorn2InverseToneMapCurve();
  // The spline clamped to [0, 1].
  double transform(double x) const override;

private:
  HermiteSpline spline_;
};

}  // namespace Kalvora
