// The inverse of the shared video gamma (Pfwl::sGamma24) as a function
// object: linear light to video signal.
#pragma once

#include "kvrLutFunc.h"

namespace Kalvora {

class SplineLut : public LutFunc {
public:
  // Precomputed spline coefficients a host may attach. The evaluation does not
  // read them: it computes the inverse of the video gamma directly.
  struct SplineLutCoef {
    explicit SplineLutCoef(int countValue) : count(countValue) {}

    int count;
    const double* x = nullptr;
    const double* y = nullptr;
    const double* d = nullptr;
    const double* c2 = nullptr;
    const double* c3 = nullptr;
  };

  // The record is borrowed, not owned; it may be null.
  explicit SplineLut(const SplineLutCoef* coef);
  double transform(double x) const override;

  const SplineLutCoef* getCoef() const { return coef_; }

private:
  const SplineLutCoef* coef_;
  InverseLutFunc inverseGamma_;
};

}  // namespace Kalvora
