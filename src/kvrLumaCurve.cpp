#include "kvrLumaCurve.h"

#include <algorithm>

#include "kvrError.h"

#define KVR_SOURCE "src/kvrLumaCurve"

namespace Kalvora {

namespace {

const int kKnots = 7;
const double kKnotX[kKnots] = {0, 0.05, 0.0927, 0.39, 0.57, 0.8, 1.0};

// Knots 0 to 2 (the toe) are the same for every setting.
const double kToeY[3] = {0, 0.0015, 0.0183};
const double kToeD[3] = {0.002, 0.1111111, 0.8904359};

// Knots 3 and 4 follow the diffuse white.
struct MidShape {
  double y3, y4, d3;
};
const MidShape kMidDiffuse100 = {0.335, 0.519, 1.1174062};
const MidShape kMidDiffuse200 = {0.38, 0.58, 1.2734062};

// Knots 5 and 6 and slope 4 follow peak white and diffuse white.
struct HighlightShape {
  double y5, y6, d4, d5, d6;
};

struct PeakWhiteShapes {
  double peakWhite;
  HighlightShape diffuse100;
  HighlightShape diffuse200;
  const char* where;    // where an unknown diffuse white is reported
  const char* message;  // and how
};

const PeakWhiteShapes kShapes[] = {
    {1000,
     {0.686, 0.751, 0.9009268, 0.5192989, 0.062},
     {0.716, 0.751, 0.9009268, 0.3342989, 0.062},
     "src/kvrLumaCurve:77 ERROR",
     "Illegal value"},
    {2000,
     {0.718, 0.83, 0.9559268, 0.749, 0.334},
     {0.75, 0.83, 0.9559268, 0.65, 0.3},
     "src/kvrLumaCurve:121 ERROR",
     "Illigal value"},
    {4000,
     {0.733, 0.9, 0.9559268, 0.9060465, 0.685},
     {0.78, 0.9, 0.9559268, 0.76, 0.5},
     "src/kvrLumaCurve:164 ERROR",
     "Illegal value"},
};

const PeakWhiteShapes* shapesFor(double peakWhite) {
  for (const PeakWhiteShapes& shapes : kShapes)
    if (shapes.peakWhite == peakWhite) return &shapes;
  return nullptr;
}

}  // namespace

LumaCurve::LumaCurve() : spline_(kKnots), diffuseWhite_(100.0), peakWhite_(1000.0) {
  for (int i = 0; i < kKnots; ++i) spline_.setX(i, kKnotX[i], false);
  try {
    resetSpline();
  } catch (const KvrSignal& signal) {
    reportSignal(signal);
  }
}

void LumaCurve::setDiffuseWhite(double diffuseWhite) {
  diffuseWhite_ = diffuseWhite;
  resetSpline();
}

void LumaCurve::setPeakWhite(double peakWhite) {
  peakWhite_ = peakWhite;
  resetSpline();
}

void LumaCurve::resetSpline() {
  if (const PeakWhiteShapes* shapes = shapesFor(peakWhite_)) {
    // Settle the diffuse white before any value changes.
    const bool is100 = diffuseWhite_ == 100.0;
    if (!is100 && diffuseWhite_ != 200.0)
      throw KvrSignal(kIllegalValue, shapes->where, shapes->message);
    const MidShape& mid = is100 ? kMidDiffuse100 : kMidDiffuse200;
    const HighlightShape& high = is100 ? shapes->diffuse100 : shapes->diffuse200;

    for (int i = 0; i < 3; ++i) {
      spline_.setY(i, kToeY[i], false);
      spline_.setD(i, kToeD[i], false);
    }
    spline_.setY(3, mid.y3, false);
    spline_.setY(4, mid.y4, false);
    spline_.setD(3, mid.d3, false);
    spline_.setY(5, high.y5, false);
    spline_.setY(6, high.y6, false);
    spline_.setD(4, high.d4, false);
    spline_.setD(5, high.d5, false);
    spline_.setD(6, high.d6, false);
  }
  spline_.updatePolynomial();
}

double LumaCurve::getLuma(double x) const {
  return std::min(std::max(spline_.transform(x), 0.0), 1.0);
}

}  // namespace Kalvora
