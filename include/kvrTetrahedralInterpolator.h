// Tetrahedral interpolation in a 3-D table: the library's default 3-D reader.
#pragma once

#include <cstddef>

#include "kvrInterpolator3d.h"

namespace Kalvora {

// Splits each cell into six tetrahedra along its main diagonal and walks from
// the lowest to the highest corner through the one that holds the point.
class TetrahedralInterpolator : public Interpolator3d {
public:
  TetrahedralInterpolator(const unsigned short* table, int size, LutOrder order);

  void interpolate(double r, double g, double b, double* out) override;
  void interpolateAt(double r, double g, double b, double* out) const override;

  // The walk through the tetrahedron that holds a point: its two inner
  // corners and which fraction (0 red, 1 green, 2 blue) weighs each of the
  // three steps. `bits` holds the comparisons of the fractions (fr, fg, fb)
  // that decide it: 1 for fr > fg, 2 for fg > fb, 4 for fr >= fb, 8 for
  // fb >= fr, 16 for fg >= fb. Every combination (0 ... 31) has a walk, so
  // NaN fractions, for which every comparison is false, have one too.
  struct Walk {
    Index first, second;
    int weight[3];
  };
  static Walk walkOf(int bits);

  // Interpolates `count` interleaved RGB triples, in[3k ... 3k + 2] to
  // out[3k ... 3k + 2], dividing each result by `scale`. Every output is bit
  // for bit interpolate() of the same triple divided by scale (and rounded to
  // float for the float form), but the cell lookup, the choice of tetrahedron
  // and the table reads are done inline without the cell cache, which stays
  // as it was. `in` and `out` may be the same array.
  void interpolateBatch(const double* in, double* out, size_t count, double scale) const;
  void interpolateBatch(const float* in, float* out, size_t count, double scale) const;

private:
  // out += the walk corner 0 -> first -> second -> corner 7 with the three
  // step weights in walking order.
  void walk(Index first, Index second, double w1, double w2, double w3, double* out) const;

  template <class Sample>
  void batch(const Sample* in, Sample* out, size_t count, double scale) const;
};

}  // namespace Kalvora
