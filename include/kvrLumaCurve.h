// Luma curve of the HDR video look: maps tone-mapped luma to output luma for
// a given diffuse white and peak white.
#pragma once

#include "kvrHermiteSpline.h"

namespace Kalvora {

class LumaCurve {
public:
  // Diffuse white 100, peak white 1000.
  LumaCurve();

  // Store the value and rebuild the spline. Peak whites other than 1000,
  // 2000 and 4000 keep the current shape; diffuse whites other than 100 and
  // 200 throw kIllegalValue (the value stays stored).
  void setDiffuseWhite(double diffuseWhite);
  void setPeakWhite(double peakWhite);
  void resetSpline();

  // The curve at x, clamped to [0, 1].
  double getLuma(double x) const;

private:
  HermiteSpline spline_;
  double diffuseWhite_;
  double peakWhite_;
};

}  // namespace Kalvora
