// The PQ curve of SMPTE ST 2084 on normalised values: signal 1.0 stands for
// 10000 cd/m^2 of linear light.
#pragma once

#include "kvrLutFunc.h"

namespace Kalvora {

class PQ2L : public LutFuncInv {
public:
  PQ2L();
  // PQ signal to linear light (the EOTF); odd-symmetric for negative input.
  double transform(double e) const override;
  void transformArray(const double* in, double* out, size_t n) const override;
  // Linear light to PQ signal; odd-symmetric for negative input.
  double inverse(double l) const override;
  void inverseArray(const double* in, double* out, size_t n) const override;

private:
  double m1_;
  double m2_;
  double invM1_;
  double invM2_;
  double c1_;
  double c2_;
  double c3_;
};

}  // namespace Kalvora
