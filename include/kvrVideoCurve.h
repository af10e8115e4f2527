// The user video curve of one colour channel: slope, offset, clamp, power,
// then an optional pedestal that lifts or lowers black and blends back into
// the identity at the cut point.
#pragma once

#include "kvrHermiteSpline.h"
#include "kvrLutFunc.h"

namespace Kalvora {

class VideoCurve : public LutFunc {
public:
  static constexpr double kCutPoint = 0.6;  // where the pedestal has blended out
  // Valid pedestal range; setPedestal itself does not check it.
  static constexpr double kMinPedestalValue = -0.3;
  static constexpr double kMaxPedestalValue = 0.3;

  VideoCurve();
  // Back to the identity: slope 1, offset 0, power 1, no pedestal.
  void reset();

  void setSlope(double slope) { slope_ = slope; }
  void setOffset(double offset) { offset_ = offset; }
  void setPower(double power) { power_ = power; }
  // Black goes to p; any p other than 0 (NaN included) activates the pedestal.
  void setPedestal(double p);

  double transform(double x) const override;
  void transformArray(const double* in, double* out, size_t n) const override;
  void show(int) const override {}

private:
  HermiteSpline spline_;
  double offset_;
  double power_;
  double slope_;
  bool pedestalActive_;
};

}  // namespace Kalvora
