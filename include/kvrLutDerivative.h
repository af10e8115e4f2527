// Finite-difference derivatives of a 3-D table, the slopes behind tricubic
// interpolation.
#pragma once

#include <cstdint>

#include "kvrLutFunc.h"

namespace Kalvora {

// Derivatives per grid step times (n - 1), i.e. per unit of the normalised
// input, of all three channels along one axis. Edges use the one-sided
// difference, interior points the central difference rounded to the nearest
// integer (halves away from zero). Results are signed and 64 bits wide, so falling edges and
// repeated differentiation (mixed derivatives) never wrap.
//
// The source is either a table of 16-bit codes or a table of such
// derivatives; both are borrowed and share the usual 3-D layout (red
// slowest, blue fastest). The outputs have the source's layout and size.
class LutDerivative {
public:
  LutDerivative();

  void setLut(const unsigned short* table, int size, LutOrder order);
  void setLut(const int64_t* table, int size, LutOrder order);

  int64_t rvalue(int r, int g, int b) const { return value(0, r, g, b); }
  int64_t gvalue(int r, int g, int b) const { return value(1, r, g, b); }
  int64_t bvalue(int r, int g, int b) const { return value(2, r, g, b); }

  // Along the red (x), green (y) and blue (z) axis.
  void getdFdx(int64_t* out) const;
  void getdFdy(int64_t* out) const;
  void getdFdz(int64_t* out) const;
  void getGradient(int64_t* dx, int64_t* dy, int64_t* dz) const;

private:
  void setLayout(int size, LutOrder order);
  int64_t value(int channel, int r, int g, int b) const;
  int64_t sample(int channel, int offset) const;
  // Derivative along the axis with the given stride; axis 0 red, 1 green, 2 blue.
  void derive(int axis, int64_t* out) const;

  int size_;
  int sampleStride_;
  int rowStride_;
  int planeStride_;
  int channelOffset_;
  const unsigned short* codes_;  // one of the two sources is set
  const int64_t* wide_;
};

}  // namespace Kalvora
