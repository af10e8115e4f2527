#include "kvrTetrahedralInterpolator.h"

namespace Kalvora {

TetrahedralInterpolator::TetrahedralInterpolator(const unsigned short* table, int size,
                                                 LutOrder order)
    : Interpolator3d(table, size, order) {}

void TetrahedralInterpolator::interpolate(double r, double g, double b, double* out) {
  double fr, fg, fb;
  const int cellR = getOrigin(r, fr);
  const int cellG = getOrigin(g, fg);
  const int cellB = getOrigin(b, fb);
  setOrigin(cellR, cellG, cellB);

  out[0] = red_[corner_[k000]];
  out[1] = green_[corner_[k000]];
  out[2] = blue_[corner_[k000]];
  // Ties never take a red-first path for fr == fg; the comparisons below fix
  // the side of every tie so the choice is reproducible.
  if (fr > fg) {
    if (fg > fb)
      walk(k100, k110, fr, fg, fb, out);
    else if (fr >= fb)
      walk(k100, k101, fr, fb, fg, out);
    else
      walk(k001, k101, fb, fr, fg, out);
  } else if (fb >= fr) {
    if (fg >= fb)
      walk(k010, k011, fg, fb, fr, out);
    else
      walk(k001, k011, fb, fg, fr, out);
  } else {
    walk(k010, k110, fg, fr, fb, out);
  }
}

void TetrahedralInterpolator::walk(Index first, Index second, double w1, double w2, double w3,
                                   double* out) const {
  addDeltaRGB(first, k000, w1, out[0], out[1], out[2]);
  addDeltaRGB(second, first, w2, out[0], out[1], out[2]);
  addDeltaRGB(k111, second, w3, out[0], out[1], out[2]);
}

}  // namespace Kalvora
