// The camera's companding between a 16-bit linear code X = 65535 x and a
// 12-bit code Y = 4095 y: the first 1024 codes map one to one, above that
// every octave of X gets 512 codes of Y.
#pragma once

#include "kvrLutFunc.h"

namespace Kalvora {

class QMapper : public LutFuncInv {
public:
  QMapper();
  // 16-bit to 12-bit. Input outside [0, 1) (and NaN) is returned unchanged.
  double transform(double x) const override;
  // 12-bit to 16-bit, each 12-bit code landing near the middle of the band of
  // 16-bit codes it stands for. Input outside [0, 4096/4095) is returned
  // unchanged.
  double inverse(double y) const override;

  static constexpr int kSegments = 7;

private:
  // One linear piece, y = x * scale + base - shift on [lower, upper).
  struct Segment {
    double lower;
    double upper;
    double scale;
    double base;
    double shift;
  };

  static double evaluate(const Segment (&segments)[kSegments], double v);

  double max16_;
  double max12_;
  Segment forward_[kSegments];
  Segment inverse_[kSegments];
};

}  // namespace Kalvora
