#include "kvrVideoCurve.h"

#include <cmath>

#include "kvrVectorMath.h"

namespace Kalvora {

constexpr double VideoCurve::kCutPoint;
constexpr double VideoCurve::kMinPedestalValue;
constexpr double VideoCurve::kMaxPedestalValue;

VideoCurve::VideoCurve() : spline_(3) { reset(); }

void VideoCurve::reset() {
  const double knots[3] = {0.0, kCutPoint, 1.0};
  for (int i = 0; i < 3; ++i) {
    spline_.setX(i, knots[i], false);
    spline_.setY(i, knots[i], false);
    spline_.setD(i, 1.0, false);
  }
  spline_.updatePolynomial();
  pedestalActive_ = false;
  offset_ = 0.0;
  power_ = 1.0;
  slope_ = 1.0;
}

void VideoCurve::setPedestal(double p) {
  pedestalActive_ = p != 0.0;
  // A lifted black starts flatter the higher it is; a lowered one starts at a
  // fixed, steeper slope.
  const double k = p > 0.0 ? 10.0 * p : 0.5;
  spline_.setY(0, p, false);
  spline_.setD(0, kCutPoint / (k * p + kCutPoint), true);
}

double VideoCurve::transform(double x) const {
  double v = x * slope_ + offset_;
  if (v < 0.0)
    v = 0.0;
  else if (v > 1.0)
    v = 1.0;
  if (power_ != 1.0) v = std::pow(v, power_);
  if (pedestalActive_) {
    v = spline_.transform(v);
    if (v < 0.0) v = 0.0;
  }
  return v;
}

void VideoCurve::transformArray(const double* in, double* out, size_t n) const {
  for (size_t i = 0; i < n; ++i) {
    double v = in[i] * slope_ + offset_;
    if (v < 0.0)
      v = 0.0;
    else if (v > 1.0)
      v = 1.0;
    out[i] = v;
  }
  if (power_ != 1.0) vecPowFromLog(out, power_, out, n);
  if (!pedestalActive_) return;
  for (size_t i = 0; i < n; ++i) {
    const double v = spline_.transform(out[i]);
    out[i] = v < 0.0 ? 0.0 : v;
  }
}

}  // namespace Kalvora
