// Pieces shared by the process nodes (internal, not installed): the batch
// loop and the limits of the table nodes.
#pragma once

#include <algorithm>

namespace Kalvora {

// The largest 1-D table an image core samples.
constexpr int kMaxProcessTableSize = 65536;

inline int limitTableSize(int size) { return std::min(std::max(size, 1), kMaxProcessTableSize); }

// Shifts of 32 or more bits, or negative ones, are not defined for ints.
inline int limitShift(int shift) { return std::min(std::max(shift, 0), 31); }

// v truncated toward zero and limited to 0 ... top (NaN gives 0). Written
// without branches so that the batch loops vectorise.
inline int limitCode(double v, double top) {
  v = v > 0.0 ? v : 0.0;
  v = v < top ? v : top;
  return static_cast<int>(v);
}

// Index of a code in a table of size entries: below 0 the first entry, past
// the end the last.
inline int tableIndex(int code, int size) { return std::min(std::max(code, 0), size - 1); }

// Calls kernel(r, g, b, out) for each of count pixels of three ints. The
// inputs are read before the kernel writes, so in and out may be the same
// array. The kernel is a template argument, so it is inlined: no indirect
// call per pixel.
template <class Kernel>
inline void forEachPixel(int const* in, int* out, int count, Kernel&& kernel) {
  for (int k = 0; k < count; ++k, in += 3, out += 3) {
    const int r = in[0];
    const int g = in[1];
    const int b = in[2];
    kernel(r, g, b, out);
  }
}

}  // namespace Kalvora
