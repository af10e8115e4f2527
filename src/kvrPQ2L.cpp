#include "kvrPQ2L.h"

#include <algorithm>
#include <cmath>

namespace Kalvora {

PQ2L::PQ2L()
    : m1_(2610.0 / 16384.0),
      m2_(2523.0 / 4096.0 * 128.0),
      invM1_(1.0 / m1_),
      invM2_(1.0 / m2_),
      c1_(3424.0 / 4096.0),
      c2_(2413.0 / 4096.0 * 32.0),
      c3_(2392.0 / 4096.0 * 32.0) {}

double PQ2L::transform(double e) const {
  const double p = std::pow(std::fabs(e), invM2_);
  const double l = std::pow(std::max(p - c1_, 0.0) / (c2_ - c3_ * p), invM1_);
  return e < 0.0 ? -l : l;
}

double PQ2L::inverse(double l) const {
  const double p = std::pow(std::fabs(l), m1_);
  const double e = std::pow((c1_ + c2_ * p) / (1.0 + c3_ * p), m2_);
  return l < 0.0 ? -e : e;
}

}  // namespace Kalvora
