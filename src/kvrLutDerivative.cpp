#include "kvrLutDerivative.h"

#include <cmath>

namespace Kalvora {

LutDerivative::LutDerivative()
    : size_(0),
      sampleStride_(0),
      rowStride_(0),
      planeStride_(0),
      channelOffset_(0),
      codes_(nullptr),
      wide_(nullptr) {}

void LutDerivative::setLut(const unsigned short* table, int size, LutOrder order) {
  setLayout(size, order);
  codes_ = table;
  wide_ = nullptr;
}

void LutDerivative::setLut(const int64_t* table, int size, LutOrder order) {
  setLayout(size, order);
  codes_ = nullptr;
  wide_ = table;
}

void LutDerivative::setLayout(int size, LutOrder order) {
  size_ = size;
  const bool interleaved = order == kLutInterleaved;
  sampleStride_ = interleaved ? 3 : 1;
  rowStride_ = sampleStride_ * size;
  planeStride_ = rowStride_ * size;
  channelOffset_ = interleaved ? 1 : size * size * size;
}

int64_t LutDerivative::sample(int channel, int offset) const {
  const int index = channel * channelOffset_ + offset;
  return codes_ ? codes_[index] : wide_[index];
}

int64_t LutDerivative::value(int channel, int r, int g, int b) const {
  return sample(channel, r * planeStride_ + g * rowStride_ + b * sampleStride_);
}

void LutDerivative::derive(int axis, int64_t* out) const {
  const int n = size_;
  const int strides[3] = {planeStride_, rowStride_, sampleStride_};
  const int step = strides[axis];
  for (int c = 0; c < 3; ++c) {
    for (int r = 0; r < n; ++r) {
      for (int g = 0; g < n; ++g) {
        for (int b = 0; b < n; ++b) {
          const int at[3] = {r, g, b};
          const int i = at[axis];
          const int offset = r * planeStride_ + g * rowStride_ + b * sampleStride_;
          int64_t d;
          if (n < 2)
            d = 0;  // a single point has no slope
          else if (i == 0)
            d = (sample(c, offset + step) - sample(c, offset)) * (n - 1);
          else if (i == n - 1)
            d = (sample(c, offset) - sample(c, offset - step)) * (n - 1);
          else  // nearest, halves away from zero, so mirrored slopes stay mirrored
            d = std::llround(
                static_cast<double>(sample(c, offset + step) - sample(c, offset - step)) * 0.5 *
                (n - 1));
          out[c * channelOffset_ + offset] = d;
        }
      }
    }
  }
}

void LutDerivative::getdFdx(int64_t* out) const { derive(0, out); }
void LutDerivative::getdFdy(int64_t* out) const { derive(1, out); }
void LutDerivative::getdFdz(int64_t* out) const { derive(2, out); }

void LutDerivative::getGradient(int64_t* dx, int64_t* dy, int64_t* dz) const {
  derive(0, dx);
  derive(1, dy);
  derive(2, dz);
}

}  // namespace Kalvora
