#include "kvrVorn2InverseToneMapCurve.h"

#include "kvrToneCurve.h"

namespace Kalvora {

constexpr int Vorn2InverseToneMapCurve::kKnots;

// x: the neutral tone curve at y, rounded to six decimals.
static const double kX[Vorn2InverseToneMapCurve::kKnots] = {0.0,      0.018927, 0.088509, 0.231053,
                                                            0.417512, 0.607624, 0.79133,  0.919626,
                                                            0.976182, 0.993688, 1.0};
static const double kY[Vorn2InverseToneMapCurve::kKnots] = {0.0, 0.1, 0.2, 0.3, 0.4, 0.5,
                                                            0.6, 0.7, 0.8, 0.9, 1.0};
static const double kD[Vorn2InverseToneMapCurve::kKnots] = {12.0,     2.259654, 0.942836, 0.607898,
                                                            0.531108, 0.535019, 0.584021, 1.09395,
                                                            2.700447, 8.396984, 12.0};

Vorn2InverseToneMapCurve::Vorn2InverseToneMapCurve() : spline_(kKnots) {
  for (int i = 0; i < kKnots; ++i) {
    spline_.setX(i, kX[i], false);
    spline_.setY(i, kY[i], false);
    spline_.setD(i, kD[i], false);
  }
  spline_.updatePolynomial();
}

double Vorn2InverseToneMapCurve::transform(double x) const {
  return clampToneOutput(spline_.transform(x));
}

}  // namespace Kalvora
