#include "kvrQMapper.h"

namespace Kalvora {

// First 16-bit code of each inverse segment: the band start 1024 * 2^(k-1)
// moved up by 2^(k-1) - 1 so that a 12-bit code maps into the middle of its
// band.
static const double kInverseBase[QMapper::kSegments] = {0, 1024, 2049, 4099, 8199, 16399, 32799};
// Lower 12-bit bound of each inverse segment.
static const double kInverseLower[QMapper::kSegments] = {0, 1024, 1536, 2048, 2560, 3072, 3584};

QMapper::QMapper() : max16_(65535.0), max12_(4095.0) {
  for (int k = 0; k < kSegments; ++k) {
    const double twoPowK = double(1 << k);
    Segment& f = forward_[k];
    f.lower = k == 0 ? 0.0 : 1024.0 * (twoPowK / 2.0) / max16_;
    f.upper = k == kSegments - 1 ? 1.0 : 1024.0 * twoPowK / max16_;
    f.scale = (max16_ / max12_) / twoPowK;
    f.base = k == 0 ? 0.0 : (1024.0 + 512.0 * (k - 1)) / max12_;
    f.shift = k == 0 ? 0.0 : 512.0 / max12_;

    Segment& i = inverse_[k];
    i.lower = kInverseLower[k] / max12_;
    i.upper = (k == kSegments - 1 ? 4096.0 : kInverseLower[k + 1]) / max12_;
    i.scale = (max12_ / max16_) * twoPowK;
    i.base = kInverseBase[k] / max16_;
    i.shift = (kInverseLower[k] * twoPowK) / max16_;
  }
}

double QMapper::evaluate(const Segment (&segments)[kSegments], double v) {
  for (const Segment& s : segments)
    if (s.lower <= v && v < s.upper) return v * s.scale + s.base - s.shift;
  return v;
}

double QMapper::transform(double x) const { return evaluate(forward_, x); }

double QMapper::inverse(double y) const { return evaluate(inverse_, y); }

}  // namespace Kalvora
