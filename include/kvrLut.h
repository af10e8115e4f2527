// A 1-D table of 16-bit codes read as a function.
#pragma once

#include "kvrLutFunc.h"

namespace Kalvora {

// Reads table[0 .. size - 1] at x in 0 ... 1 with linear interpolation and
// returns the value in units of maxValue (a code equal to maxValue reads as
// 1.0; larger codes read above 1, nothing is clamped). Inputs below 0 read
// the first entry; 1 and above, and NaN, read the last. A null table or a
// size below 1 reads as the identity; a single entry as a constant.
double readCodeTable(double x, const unsigned short* table, int size, double maxValue);

// The table is borrowed: the caller keeps it alive and unchanged while the
// function is in use. Without a table the function is the identity.
class Lut : public LutFunc {
public:
  Lut();
  Lut(const unsigned short* table, int size, int maxValue);
  void setTable(const unsigned short* table, int size, int maxValue);

  double transform(double x) const override;
  void show(int) const override {}

private:
  const unsigned short* table_;
  int size_;
  int maxValue_;
};

}  // namespace Kalvora
