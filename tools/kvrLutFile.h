// LUT files of other colour tools, read and written through OpenColorIO:
// user 3-D LUTs in any format it reads (Cube in both common dialects, 3dl,
// CLF/CTF, CSP, spi3d, ...), and the Academy/ASC Common LUT Format and 3dl
// outputs of `kalvora lut`. Tables are in the library's 3-D layout: point
// (r, g, b) of n points per axis at index (r * n + g) * n + b, blue
// fastest, three interleaved channels.
#pragma once

#include <string>
#include <vector>

#include "kvrCubeWriter.h"

namespace Kalvora {
namespace Tool {

// Grid sizes a user 3-D LUT may have; files without a 3-D grid in this
// range are sampled on kDefaultUserLutSize points.
constexpr int kMinUserLutSize = 2;
constexpr int kMaxUserLutSize = 65;
constexpr int kDefaultUserLutSize = 33;

// A user 3-D LUT as the library installs it: 16-bit codes at full scale
// 65535, interleaved.
struct UserLut {
  int size = 0;
  std::vector<unsigned short> codes;  // 3 * size^3
};

// Reads the LUT file at path and samples its transform on `size` points per
// axis, or when size is 0 on the file's own 3-D grid (2..65 points) or 33
// points. Throws InputError naming the file and the problem.
UserLut readUserLut(const std::string& path, int size);

// Appends a CLF file holding one 3-D LUT of the `values` (3 * size^3
// doubles) as 32-bit floats; the title becomes the process list's name and
// every comment a description.
void writeClf(std::string& out, const CubeHeader& header, int size, const double* values);

// Appends a 3dl file (the Flame dialect: a 10-bit input shaper line, then
// 12-bit output codes, blue fastest). Needs 4 or more points: a 3-point
// table cannot be told apart from its shaper line.
void write3dl(std::string& out, int size, const double* values);
constexpr int kMin3dlSize = 4;

}  // namespace Tool
}  // namespace Kalvora
