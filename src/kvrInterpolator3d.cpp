#include "kvrInterpolator3d.h"

#include <cmath>

namespace Kalvora {

Interpolator3d::Interpolator3d(const unsigned short* table, int size, LutOrder order)
    : size_(size), corner_{}, origin_{-1, -1, -1} {
  const int samples = size * size * size;
  if (order == kLutInterleaved) {
    sampleStride_ = 3;
    channelOffset_ = 1;
  } else {
    sampleStride_ = 1;
    channelOffset_ = samples;
  }
  rowStride_ = sampleStride_ * size;
  planeStride_ = rowStride_ * size;
  // No offsets from a null table: that alone would be undefined.
  red_ = table;
  green_ = table ? table + channelOffset_ : nullptr;
  blue_ = table ? table + 2 * channelOffset_ : nullptr;
}

int Interpolator3d::getOrigin(double t, double& frac) const {
  const double x = (size_ - 1) * t;
  const int lastCell = size_ > 2 ? size_ - 2 : 0;
  // Compared as doubles first: converting NaN or a huge value to int is undefined.
  int cell;
  if (!(x >= 0.0))
    cell = 0;
  else if (x >= lastCell)
    cell = lastCell;
  else
    cell = static_cast<int>(std::floor(x));
  frac = x - cell;
  return cell;
}

void Interpolator3d::setOrigin(int r, int g, int b) {
  if (r == origin_[0] && g == origin_[1] && b == origin_[2]) return;
  origin_[0] = r;
  origin_[1] = g;
  origin_[2] = b;
  cornersOf(r, g, b, corner_);
}

void Interpolator3d::cornersOf(int r, int g, int b, int (&corner)[8]) const {
  // With a single point per axis all corners coincide.
  const bool hasCells = size_ > 1;
  const int stepR = hasCells ? planeStride_ : 0;
  const int stepG = hasCells ? rowStride_ : 0;
  const int stepB = hasCells ? sampleStride_ : 0;
  const int base = r * planeStride_ + g * rowStride_ + b * sampleStride_;
  for (int k = 0; k < 8; ++k)
    corner[k] = base + (k >> 2) * stepR + ((k >> 1) & 1) * stepG + (k & 1) * stepB;
}

void Interpolator3d::addDeltaRGB(Index to, Index from, double w, double& r, double& g,
                                 double& b) const {
  const int i = corner_[to];
  const int j = corner_[from];
  r += w * (red_[i] - red_[j]);
  g += w * (green_[i] - green_[j]);
  b += w * (blue_[i] - blue_[j]);
}

}  // namespace Kalvora
