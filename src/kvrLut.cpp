#include "kvrLut.h"

namespace Kalvora {

double readCodeTable(double x, const unsigned short* table, int size, double maxValue) {
  if (!table || size < 1) return x;
  if (x < 0.0) return table[0] / maxValue;
  if (x < 1.0 && size > 1) {
    const double p = (size - 1) * x;
    int i = static_cast<int>(p);
    if (i > size - 2) i = size - 2;  // keeps the upper neighbour inside the table
    const double f = p - i;
    return (table[i + 1] * f + table[i] * (1.0 - f)) / maxValue;
  }
  return table[size - 1] / maxValue;
}

Lut::Lut() : table_(nullptr), size_(0), maxValue_(1) {}

Lut::Lut(const unsigned short* table, int size, int maxValue)
    : table_(table), size_(size), maxValue_(maxValue) {}

void Lut::setTable(const unsigned short* table, int size, int maxValue) {
  table_ = table;
  size_ = size;
  maxValue_ = maxValue;
}

double Lut::transform(double x) const { return readCodeTable(x, table_, size_, maxValue_); }

}  // namespace Kalvora
