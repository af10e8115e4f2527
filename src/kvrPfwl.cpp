#include "kvrPfwl.h"

#include <cmath>

#include "kvrVectorMath.h"

namespace Kalvora {

// breakPoint = a / (g - 1) and linearDivisor = ((g - 1)^(g - 1) (1 + a)^g) /
// (g^g a^(g - 1)) of each (gamma g, offset a), as the public constructor
// computes them.
const Pfwl Pfwl::sGamma22(2.38, 0.056, 0.04057971014492754, 12.039283172299662);
const Pfwl Pfwl::sGamma24(2.725, 0.097, 0.05623188405797101, 12.007961436227765);
const Pfwl Pfwl::sGamma26(3.0, 0.112, 0.056, 16.23957067271353);
const Pfwl Pfwl::sGamma30(3.6, 0.225, 0.08653846153846154, 11.963467501991456);

Pfwl::Pfwl(double gamma, double offset)
    : gamma_(gamma),
      offset_(offset),
      breakPoint_(offset / (gamma - 1.0)),
      linearDivisor_((std::pow(gamma - 1.0, gamma - 1.0) * std::pow(1.0 + offset, gamma)) /
                     (std::pow(gamma, gamma) * std::pow(offset, gamma - 1.0))) {}

double Pfwl::transform(double x) const {
  if (x > breakPoint_) return std::pow((x + offset_) / (1.0 + offset_), gamma_);
  return x / linearDivisor_;
}

double Pfwl::inverse(double y) const {
  if (y > breakPoint_ / linearDivisor_)
    return std::pow(y, 1.0 / gamma_) * (1.0 + offset_) - offset_;
  return y * linearDivisor_;
}

// The arrays follow the scalar forms step by step; pow is vectorised as
// exp(y log x), exact to a few ulp for the bases and exponents of these curves.
// Both branches are computed and the one that applies is kept.
void Pfwl::transformArray(const double* in, double* out, size_t n) const {
  forEachChunk(n, [&](size_t first, size_t count) {
    const double* x = in + first;
    double power[kVecChunk];
    for (size_t i = 0; i < count; ++i) power[i] = (x[i] + offset_) / (1.0 + offset_);
    vecPowFromLog(power, gamma_, power, count);
    for (size_t i = 0; i < count; ++i)
      out[first + i] = x[i] > breakPoint_ ? power[i] : x[i] / linearDivisor_;
  });
}

void Pfwl::inverseArray(const double* in, double* out, size_t n) const {
  const double toeEnd = breakPoint_ / linearDivisor_;
  forEachChunk(n, [&](size_t first, size_t count) {
    const double* y = in + first;
    double power[kVecChunk];
    vecPowFromLog(y, 1.0 / gamma_, power, count);
    for (size_t i = 0; i < count; ++i)
      out[first + i] = y[i] > toeEnd ? power[i] * (1.0 + offset_) - offset_ : y[i] * linearDivisor_;
  });
}

}  // namespace Kalvora
