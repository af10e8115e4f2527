// A pair of 1-D tables of 16-bit codes read as an invertible function.
#pragma once

#include "kvrLutFunc.h"

namespace Kalvora {

// transform reads the forward table and inverse the inverse table, both of
// the same size and maximum code; the caller computes the inverse table.
// Both tables are borrowed. A missing table makes its direction the identity.
class LutInverse : public LutFuncInv {
public:
  LutInverse();
  LutInverse(const unsigned short* forward, const unsigned short* inverse, int size, int maxValue);
  void setTable(const unsigned short* forward, const unsigned short* inverse, int size,
                int maxValue);

  double transform(double x) const override;
  void show(int) const override {}
  double inverse(double y) const override;

  // Reads an explicit table the same way (see readCodeTable).
  double transform(double x, const unsigned short* table, int size, double maxValue) const;

private:
  const unsigned short* forward_;
  const unsigned short* inverse_;
  int size_;
  int maxValue_;
};

}  // namespace Kalvora
