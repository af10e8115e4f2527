// Writers of the LUT file formats the kalvora tool produces: the Cube text
// format (3-D and 1-D) and raw 16-bit codes.
//
// The library's 3-D tables hold grid point (r, g, b) of n points per axis at
// index (r * n + g) * n + b, blue fastest; a Cube file lists the points with
// red fastest, so the 3-D writer reorders.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace Kalvora {
namespace Tool {

struct CubeHeader {
  std::string title;                  // written as TITLE "..." when not empty
  std::vector<std::string> comments;  // one "# ..." line each
};

// A value with at least 7 significant digits in plain decimal notation, so
// that a 16-bit code read back as round(value * 65535) is exact.
std::string formatCubeValue(double value);

// Appends a 3-D Cube file: `codes` holds 3 * size^3 interleaved codes in the
// library's layout; each is written as code / maxCode.
void writeCube3d(std::string& out, const CubeHeader& header, int size, const unsigned short* codes,
                 int maxCode);

// Appends a 3-D Cube file of values as they are: `values` holds 3 * size^3
// interleaved doubles in the library's layout.
void writeCube3d(std::string& out, const CubeHeader& header, int size, const double* values);

// Appends a 1-D Cube file of one curve for all three channels: `codes`
// holds size codes.
void writeCube1d(std::string& out, const CubeHeader& header, int size, const unsigned short* codes,
                 int maxCode);

// Appends the codes as 16-bit little-endian values, in the order given.
void writeRaw16(std::string& out, const unsigned short* codes, size_t count);

}  // namespace Tool
}  // namespace Kalvora
