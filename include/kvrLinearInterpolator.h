// Piecewise-linear curve through 16-bit knot positions with 8-bit values,
// both given in codes and scaled to normalised units on evaluation.
#pragma once

#include "kvrLutFunc.h"

namespace Kalvora {

class LinearInterpolator : public LutFunc {
public:
  // The tables are borrowed and must outlive the interpolator.
  LinearInterpolator(const unsigned short* xs, const unsigned char* ys, int xScale, int yScale,
                     int count);

  // Linear between knots, the end values outside them, the identity without
  // a table. The result is in units of yScale and is not clamped.
  double transform(double x) const override;
  void show(int) const override {}

private:
  const unsigned short* xs_;
  const unsigned char* ys_;
  double xScale_;
  double yScale_;
  int count_;
};

}  // namespace Kalvora
