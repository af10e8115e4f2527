// Common base of the 3-D table interpolators: the table layout, the cell
// lookup and the cache of the current cell's corner indices.
#pragma once

#include <cstdint>

#include "kvrLutFunc.h"

namespace Kalvora {

// Reads a cube of n x n x n samples with three channels of 16-bit codes, red
// slowest and blue fastest, in place (the table is borrowed, never copied).
// Results are in code units. interpolate() updates the cell cache, so one
// interpolator must not run it from two threads at once; interpolateAt()
// gives the same results without touching the cache, from any thread.
class Interpolator3d {
public:
  // Corners of a cell, numbered 4 * dr + 2 * dg + db for the offsets along
  // red, green and blue (the digits of the name are dr, dg, db).
  enum Index : int32_t { k000 = 0, k001, k010, k011, k100, k101, k110, k111 };

  // A table of one point per axis is read as a constant.
  Interpolator3d(const unsigned short* table, int size, LutOrder order);
  virtual ~Interpolator3d() = default;

  // out[0..2] receive red, green and blue in code units.
  virtual void interpolate(double r, double g, double b, double* out) = 0;
  // The same, bit for bit, keeping no state.
  virtual void interpolateAt(double r, double g, double b, double* out) const = 0;

  // Cell index along one axis for the normalised position t, and the
  // position's fraction within that cell. Positions outside 0 ... 1 use the
  // first or last cell with a fraction below 0 or above 1, so the cell
  // extrapolates linearly. NaN selects the first cell with a NaN fraction.
  int getOrigin(double t, double& frac) const;
  // Makes (r, g, b) the current cell; the corner indices are recomputed only
  // when the cell changes.
  void setOrigin(int r, int g, int b);
  // The sample indices of the corners of cell (r, g, b), numbered by Index.
  void cornersOf(int r, int g, int b, int (&corner)[8]) const;
  // Adds w * (corner `to` - corner `from`) to each channel accumulator.
  void addDeltaRGB(Index to, Index from, double w, double& r, double& g, double& b) const;

protected:
  int size_;
  int sampleStride_;
  int rowStride_;
  int planeStride_;
  int channelOffset_;  // distance between the channels of one sample
  const unsigned short* red_;
  const unsigned short* green_;
  const unsigned short* blue_;
  int corner_[8];  // sample indices of the current cell's corners
  int origin_[3];  // grid indices of the current cell's lowest corner
};

}  // namespace Kalvora
