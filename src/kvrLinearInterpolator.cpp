#include "kvrLinearInterpolator.h"

namespace Kalvora {

LinearInterpolator::LinearInterpolator(const unsigned short* xs, const unsigned char* ys,
                                       int xScale, int yScale, int count)
    : xs_(xs), ys_(ys), xScale_(xScale), yScale_(yScale), count_(count) {}

double LinearInterpolator::transform(double x) const {
  if (xs_ == nullptr || ys_ == nullptr || count_ < 1) return x;
  if (x < xs_[0] / xScale_) return ys_[0] / yScale_;
  for (int k = 1; k < count_; ++k) {
    const double lo = xs_[k - 1] / xScale_;
    const double hi = xs_[k] / xScale_;
    if (lo <= x && x <= hi) {
      // A zero-width interval answers its left value instead of 0/0.
      if (hi == lo) return ys_[k - 1] / yScale_;
      return ((x - lo) * (ys_[k] - ys_[k - 1]) / (hi - lo) + ys_[k - 1]) / yScale_;
    }
  }
  return ys_[count_ - 1] / yScale_;
}

}  // namespace Kalvora
