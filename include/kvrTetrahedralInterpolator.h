// Tetrahedral interpolation in a 3-D table: the library's default 3-D reader.
#pragma once

#include "kvrInterpolator3d.h"

namespace Kalvora {

// Splits each cell into six tetrahedra along its main diagonal and walks from
// the lowest to the highest corner through the one that holds the point.
class TetrahedralInterpolator : public Interpolator3d {
public:
  TetrahedralInterpolator(const unsigned short* table, int size, LutOrder order);

  void interpolate(double r, double g, double b, double* out) override;

private:
  // out += the walk corner 0 -> first -> second -> corner 7 with the three
  // step weights in walking order.
  void walk(Index first, Index second, double w1, double w2, double w3, double* out) const;
};

}  // namespace Kalvora
