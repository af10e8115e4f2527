// The SIMD form of the tetrahedral batch reader (internal, not installed):
// the table repacked for vector loads, and the kernels that read it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Kalvora {

// A 3-D table of n^3 samples repacked as four codes per sample (red, green,
// blue, 0) held exactly as floats, red slowest and blue fastest, so that one
// 128-bit load reads the three channels of a corner; with the walks through
// the tetrahedra. Built by Lut3D from a table in either layout; the kernels
// read nothing else.
struct PackedTetrahedralTable {
  std::vector<float> codes;  // 4 * n^3
  int size = 0;
  int lastCell = 0;
  int rowStride = 0;    // samples between neighbours along green
  int planeStride = 0;  // samples between neighbours along red
  int top = 0;          // offset of the cell's highest corner, in samples
  // For each of the 32 combinations of the fraction comparisons
  // (TetrahedralInterpolator::walkOf): the walk's two inner corners as
  // offsets in floats from the lowest corner (4 per sample), then for each
  // of the three steps the index of its fraction in a block of four pixels'
  // fractions stored channel by channel (4 * channel).
  ptrdiff_t step[32][5] = {};
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
