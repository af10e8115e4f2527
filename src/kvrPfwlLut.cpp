#include "kvrPfwlLut.h"

#include <algorithm>

namespace Kalvora {

static constexpr int kMaxCode = 65535;

PfwlLut::PfwlLut(double gamma, double offset, int size)
    : Pfwl(gamma, offset),
      forwardTable_(std::max(size, 2)),
      inverseTable_(forwardTable_.size()),
      forwardScale_(1.0 / (1.0 - getBreakPoint())),
      forwardStart_(getBreakPoint()),
      inverseScale_(0.0),
      inverseStart_(getBreakPoint() / getLinearDivisor()) {
  inverseScale_ = 1.0 / (1.0 - inverseStart_);
  const int n = getTableSize();
  for (int i = 0; i < n; ++i) {
    const double u = double(i) / (n - 1);
    // The exact curve of the base class; the virtual ones read these tables.
    forwardTable_[i] = toCode16(Pfwl::transform(forwardStart_ + u / forwardScale_), kMaxCode);
    inverseTable_[i] = toCode16(Pfwl::inverse(inverseStart_ + u / inverseScale_), kMaxCode);
  }
  forward_.setTable(forwardTable_.data(), n, kMaxCode);
  inverse_.setTable(inverseTable_.data(), n, kMaxCode);
}

double PfwlLut::transform(double x) const {
  if (x > forwardStart_) return forward_.transform((x - forwardStart_) * forwardScale_);
  return x / getLinearDivisor();
}

double PfwlLut::inverse(double y) const {
  if (y > inverseStart_) return inverse_.transform((y - inverseStart_) * inverseScale_);
  return y * getLinearDivisor();
}

}  // namespace Kalvora
