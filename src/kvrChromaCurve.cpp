#include "kvrChromaCurve.h"

#include <algorithm>

#include "kvrError.h"

#define KVR_SOURCE "src/kvrChromaCurve"

namespace Kalvora {

namespace {

const int kKnots = 6;

struct Shape {
  double x[kKnots];
  double y[kKnots];
  double d[kKnots];
};

// The three gamut shapes share the knots and the first three values and slopes.
const Shape kSmallGamutShape = {{0, 0.0588, 0.2002, 0.3392, 0.5077, 1.0},
                                {0, 0.1, 0.3353, 0.4724, 0.4888, 0.5},
                                {1.70068027, 1.67482517, 1.3743828, 0.36, 0.01376755, 0.02}};
const Shape kMediumGamutShape = {{0, 0.0588, 0.2002, 0.3392, 0.5077, 1.0},
                                 {0, 0.1, 0.3353, 0.518, 0.6628, 0.7},
                                 {1.70068027, 1.67482517, 1.3743828, 1.159, 0.1387675, 0.087}};
const Shape kLargeGamutShape = {{0, 0.0588, 0.2002, 0.3392, 0.5077, 1.0},
                                {0, 0.1, 0.3353, 0.518, 0.7008, 1.0},
                                {1.70068027, 1.67482517, 1.3743828, 1.159, 1.0, 0.487}};
const Shape kHdrShape = {{0, 0.02, 0.1, 0.2, 0.6, 1.0},
                         {0, 0.02, 0.11, 0.21, 0.605, 1.0},
                         {1.0, 1.008, 1.006, 0.992, 0.983, 1.0}};

const Shape& shapeFor(ChromaCurve::CurveType type) {
  switch (type) {
    case ChromaCurve::kMediumGamut:
      return kMediumGamutShape;
    case ChromaCurve::kLargeGamut:
      return kLargeGamutShape;
    case ChromaCurve::kHdr:
      return kHdrShape;
    default:
      return kSmallGamutShape;
  }
}

}  // namespace

ChromaCurve::ChromaCurve() : spline_(kKnots), saturation_(1.0) {
  try {
    setCurveType(kSmallGamut);
  } catch (const KvrSignal& signal) {
    reportSignal(signal);
  }
}

void ChromaCurve::setCurveType(CurveType type) {
  const Shape& shape = shapeFor(type);
  for (int i = 0; i < kKnots; ++i) {
    spline_.setX(i, shape.x[i], false);
    spline_.setY(i, shape.y[i], false);
    spline_.setD(i, shape.d[i], false);
  }
  spline_.updatePolynomial();
}

void ChromaCurve::resetSpline() { setCurveType(kSmallGamut); }

double ChromaCurve::getChroma(double c) const {
  return std::max(0.0, spline_.transform(c) * saturation_);
}

}  // namespace Kalvora
