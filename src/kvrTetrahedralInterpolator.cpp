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

// ---- Batch path --------------------------------------------------------------

namespace {

// The tetrahedron of a point: its two inner corners and which fraction
// (0 red, 1 green, 2 blue) weighs each of the three steps of the walk.
struct Tetrahedron {
  Interpolator3d::Index first, second;
  int weight[3];
};

// The six walks of interpolate(), in the order of its branches.
constexpr Tetrahedron kTetrahedra[6] = {
    {Interpolator3d::k100, Interpolator3d::k110, {0, 1, 2}},
    {Interpolator3d::k100, Interpolator3d::k101, {0, 2, 1}},
    {Interpolator3d::k001, Interpolator3d::k101, {2, 0, 1}},
    {Interpolator3d::k010, Interpolator3d::k011, {1, 2, 0}},
    {Interpolator3d::k001, Interpolator3d::k011, {2, 1, 0}},
    {Interpolator3d::k010, Interpolator3d::k110, {1, 0, 2}},
};

// Bits of the five comparisons interpolate() branches on.
constexpr int kRgtG = 1, kGgtB = 2, kRgeB = 4, kBgeR = 8, kGgeB = 16;

// The branch of interpolate() taken for each combination of the comparisons,
// so the choice is a table read instead of hard-to-predict jumps. Spelled out
// exactly like the branches, which also fixes the outcome for NaN fractions.
constexpr int tetrahedronOf(int bits) {
  if (bits & kRgtG) {
    if (bits & kGgtB) return 0;
    return (bits & kRgeB) ? 1 : 2;
  }
  if (bits & kBgeR) return (bits & kGgeB) ? 3 : 4;
  return 5;
}

// The walk in sample offsets from the cell's lowest corner.
struct WalkOffsets {
  int first, second;
  int weight[3];
};

// getOrigin() with floor() replaced by truncation, which is the same for the
// non-negative positions it is applied to.
inline int cellOf(double t, int size, int lastCell, double& frac) {
  const double x = (size - 1) * t;
  int cell;
  if (!(x >= 0.0))
    cell = 0;
  else if (x >= lastCell)
    cell = lastCell;
  else
    cell = static_cast<int>(x);
  frac = x - cell;
  return cell;
}

}  // namespace

void TetrahedralInterpolator::interpolateAt(double r, double g, double b, double* out) const {
  // One point of the batch loop below, without its per-call tables.
  const int lastCell = size_ > 2 ? size_ - 2 : 0;
  double f[3];
  const int cellR = cellOf(r, size_, lastCell, f[0]);
  const int cellG = cellOf(g, size_, lastCell, f[1]);
  const int cellB = cellOf(b, size_, lastCell, f[2]);
  const int bits = (f[0] > f[1]) * kRgtG | (f[1] > f[2]) * kGgtB | (f[0] >= f[2]) * kRgeB |
                   (f[2] >= f[0]) * kBgeR | (f[1] >= f[2]) * kGgeB;
  const Tetrahedron& t = kTetrahedra[tetrahedronOf(bits)];
  int corner[8];
  cornersOf(cellR, cellG, cellB, corner);
  const int p0 = corner[k000], p1 = corner[t.first], p2 = corner[t.second], p3 = corner[k111];
  const double w1 = f[t.weight[0]], w2 = f[t.weight[1]], w3 = f[t.weight[2]];
  double sum[3] = {double(red_[p0]), double(green_[p0]), double(blue_[p0])};
  const unsigned short* channel[3] = {red_, green_, blue_};
  for (int c = 0; c < 3; ++c) {
    const unsigned short* v = channel[c];
    sum[c] += w1 * (v[p1] - v[p0]);
    sum[c] += w2 * (v[p2] - v[p1]);
    sum[c] += w3 * (v[p3] - v[p2]);
    out[c] = sum[c];
  }
}

template <class Sample>
void TetrahedralInterpolator::batch(const Sample* in, Sample* out, size_t count,
                                    double scale) const {
  // Corner offsets as setOrigin() computes them.
  const bool hasCells = size_ > 1;
  const int stepR = hasCells ? planeStride_ : 0;
  const int stepG = hasCells ? rowStride_ : 0;
  const int stepB = hasCells ? sampleStride_ : 0;
  int offset[8];
  for (int k = 0; k < 8; ++k)
    offset[k] = (k >> 2) * stepR + ((k >> 1) & 1) * stepG + (k & 1) * stepB;
  WalkOffsets walks[32];
  for (int bits = 0; bits < 32; ++bits) {
    const Tetrahedron& t = kTetrahedra[tetrahedronOf(bits)];
    walks[bits] = {offset[t.first], offset[t.second], {t.weight[0], t.weight[1], t.weight[2]}};
  }
  const int top = offset[k111];
  const int lastCell = size_ > 2 ? size_ - 2 : 0;

  for (size_t i = 0; i < count; ++i, in += 3, out += 3) {
    double f[3];
    const int cellR = cellOf(in[0], size_, lastCell, f[0]);
    const int cellG = cellOf(in[1], size_, lastCell, f[1]);
    const int cellB = cellOf(in[2], size_, lastCell, f[2]);
    const int bits = (f[0] > f[1]) * kRgtG | (f[1] > f[2]) * kGgtB | (f[0] >= f[2]) * kRgeB |
                     (f[2] >= f[0]) * kBgeR | (f[1] >= f[2]) * kGgeB;
    const WalkOffsets& w = walks[bits];
    const int p0 = cellR * planeStride_ + cellG * rowStride_ + cellB * sampleStride_;
    const int p1 = p0 + w.first, p2 = p0 + w.second, p3 = p0 + top;
    const double w1 = f[w.weight[0]], w2 = f[w.weight[1]], w3 = f[w.weight[2]];
    // The same sums in the same order as interpolate() and addDeltaRGB().
    double r = red_[p0], g = green_[p0], b = blue_[p0];
    r += w1 * (red_[p1] - red_[p0]);
    g += w1 * (green_[p1] - green_[p0]);
    b += w1 * (blue_[p1] - blue_[p0]);
    r += w2 * (red_[p2] - red_[p1]);
    g += w2 * (green_[p2] - green_[p1]);
    b += w2 * (blue_[p2] - blue_[p1]);
    r += w3 * (red_[p3] - red_[p2]);
    g += w3 * (green_[p3] - green_[p2]);
    b += w3 * (blue_[p3] - blue_[p2]);
    out[0] = static_cast<Sample>(r / scale);
    out[1] = static_cast<Sample>(g / scale);
    out[2] = static_cast<Sample>(b / scale);
  }
}

TetrahedralInterpolator::Walk TetrahedralInterpolator::walkOf(int bits) {
  const Tetrahedron& t = kTetrahedra[tetrahedronOf(bits & 31)];
  return {t.first, t.second, {t.weight[0], t.weight[1], t.weight[2]}};
}

void TetrahedralInterpolator::interpolateBatch(const double* in, double* out, size_t count,
                                               double scale) const {
  batch(in, out, count, scale);
}

void TetrahedralInterpolator::interpolateBatch(const float* in, float* out, size_t count,
                                               double scale) const {
  batch(in, out, count, scale);
}

}  // namespace Kalvora
