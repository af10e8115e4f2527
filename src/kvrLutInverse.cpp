#include "kvrLutInverse.h"

#include "kvrLut.h"

namespace Kalvora {

LutInverse::LutInverse() : forward_(nullptr), inverse_(nullptr), size_(0), maxValue_(1) {}

LutInverse::LutInverse(const unsigned short* forward, const unsigned short* inverse, int size,
                       int maxValue)
    : forward_(forward), inverse_(inverse), size_(size), maxValue_(maxValue) {}

void LutInverse::setTable(const unsigned short* forward, const unsigned short* inverse, int size,
                          int maxValue) {
  forward_ = forward;
  inverse_ = inverse;
  size_ = size;
  maxValue_ = maxValue;
}

double LutInverse::transform(double x) const { return transform(x, forward_, size_, maxValue_); }

double LutInverse::inverse(double y) const { return transform(y, inverse_, size_, maxValue_); }

double LutInverse::transform(double x, const unsigned short* table, int size,
                             double maxValue) const {
  return readCodeTable(x, table, size, maxValue);
}

}  // namespace Kalvora
