// The SIMD form of the tetrahedral batch reader (internal, not installed):
// the table repacked for vector loads, and the kernels that read it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Kalvora {

// A 3-D table of n^3 samples repacked as four codes per sample (red, green,
// blue, 0) held exactly as floats, red slowest and blue fastest, so that one
// 128-bit load reads the three channels of a corner; with the walks of the tetrahedra in
// sample offsets. Built from a table by TetrahedralInterpolator's layout
// rules; the kernels read nothing else.
struct PackedTetrahedralTable {
  std::vector<float> codes;  // 4 * n^3
  int size = 0;
  int lastCell = 0;
  int rowStride = 0;    // samples between neighbours along green
  int planeStride = 0;  // samples between neighbours along red
  int top = 0;          // offset of the cell's highest corner
  // For each of the 32 combinations of the fraction comparisons: the two
  // inner corners of the walk (sample offsets) and which fraction (0 red,
  // 1 green, 2 blue) weighs each step.
  int first[32] = {};
  int second[32] = {};
  uint8_t weight[32][3] = {};
  double scale = 1.0;  // results are divided by it
};

// True when this build has the AVX2 kernels and the processor runs them.
bool tetrahedralAvx2Available();

// Interpolate `count` interleaved triples, bit for bit like
// TetrahedralInterpolator::interpolateBatch; `out` may be `in`. Only to be
// called when tetrahedralAvx2Available().
void tetrahedralAvx2(const PackedTetrahedralTable& table, const double* in, double* out,
                     size_t count);
void tetrahedralAvx2(const PackedTetrahedralTable& table, const float* in, float* out,
                     size_t count);

}  // namespace Kalvora
