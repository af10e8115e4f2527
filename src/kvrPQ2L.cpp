#include "kvrPQ2L.h"

#include <algorithm>
#include <cmath>

#include "kvrVectorMath.h"

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

// The arrays follow the scalar forms step by step, pow vectorised as
// exp(y log x): for signals and light levels in [-1, 1] every base lies in
// [0, 1], where that is exact to a few ulp.
void PQ2L::transformArray(const double* in, double* out, size_t n) const {
  forEachChunk(n, [&](size_t first, size_t count) {
    const double* e = in + first;
    double p[kVecChunk];
    for (size_t i = 0; i < count; ++i) p[i] = std::fabs(e[i]);
    vecPowFromLog(p, invM2_, p, count);
    for (size_t i = 0; i < count; ++i) p[i] = std::max(p[i] - c1_, 0.0) / (c2_ - c3_ * p[i]);
    vecPowFromLog(p, invM1_, p, count);
    for (size_t i = 0; i < count; ++i) out[first + i] = e[i] < 0.0 ? -p[i] : p[i];
  });
}

void PQ2L::inverseArray(const double* in, double* out, size_t n) const {
  forEachChunk(n, [&](size_t first, size_t count) {
    const double* l = in + first;
    double p[kVecChunk];
    for (size_t i = 0; i < count; ++i) p[i] = std::fabs(l[i]);
    vecPowFromLog(p, m1_, p, count);
    for (size_t i = 0; i < count; ++i) p[i] = (c1_ + c2_ * p[i]) / (1.0 + c3_ * p[i]);
    vecPowFromLog(p, m2_, p, count);
    for (size_t i = 0; i < count; ++i) out[first + i] = l[i] < 0.0 ? -p[i] : p[i];
  });
}

}  // namespace Kalvora
