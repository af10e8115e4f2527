#include "kvrCubeWriter.h"

#include <cmath>
#include <cstdio>

namespace Kalvora {
namespace Tool {

namespace {

void writeHeader(std::string& out, const CubeHeader& header, const char* sizeKeyword, int size) {
  if (!header.title.empty()) out += "TITLE \"" + header.title + "\"\n";
  for (const std::string& comment : header.comments) out += "# " + comment + "\n";
  out += std::string(sizeKeyword) + " " + std::to_string(size) + "\n";
  out += "DOMAIN_MIN 0.0 0.0 0.0\n";
  out += "DOMAIN_MAX 1.0 1.0 1.0\n";
}

void appendPoint(std::string& out, double r, double g, double b) {
  out += formatCubeValue(r);
  out += ' ';
  out += formatCubeValue(g);
  out += ' ';
  out += formatCubeValue(b);
  out += '\n';
}

// The points of a table in Cube order (red fastest); `point(p, rgb)` gives
// the three outputs of library index p.
template <class Point>
void writeCube3dPoints(std::string& out, const CubeHeader& header, int size, Point&& point) {
  writeHeader(out, header, "LUT_3D_SIZE", size);
  const long n = size;
  out.reserve(out.size() + static_cast<size_t>(n * n * n) * 30);
  double rgb[3];
  for (long b = 0; b < n; ++b)
    for (long g = 0; g < n; ++g)
      for (long r = 0; r < n; ++r) {
        point((r * n + g) * n + b, rgb);
        appendPoint(out, rgb[0], rgb[1], rgb[2]);
      }
}

}  // namespace

std::string formatCubeValue(double value) {
  // Seven decimals give seven significant digits from 0.1 up; smaller values
  // get one more decimal per decade.
  int decimals = 7;
  const double magnitude = std::fabs(value);
  if (magnitude > 0.0 && magnitude < 0.1)
    decimals = 6 - static_cast<int>(std::floor(std::log10(magnitude)));
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

void writeCube3d(std::string& out, const CubeHeader& header, int size, const unsigned short* codes,
                 int maxCode) {
  const double scale = maxCode;
  writeCube3dPoints(out, header, size, [&](long p, double(&rgb)[3]) {
    for (int c = 0; c < 3; ++c) rgb[c] = codes[3 * p + c] / scale;
  });
}

void writeCube3d(std::string& out, const CubeHeader& header, int size, const double* values) {
  writeCube3dPoints(out, header, size, [&](long p, double(&rgb)[3]) {
    for (int c = 0; c < 3; ++c) rgb[c] = values[3 * p + c];
  });
}

void writeCube1d(std::string& out, const CubeHeader& header, int size, const unsigned short* codes,
                 int maxCode) {
  writeHeader(out, header, "LUT_1D_SIZE", size);
  const double scale = maxCode;
  for (int i = 0; i < size; ++i)
    appendPoint(out, codes[i] / scale, codes[i] / scale, codes[i] / scale);
}

void writeRaw16(std::string& out, const unsigned short* codes, size_t count) {
  out.reserve(out.size() + 2 * count);
  for (size_t i = 0; i < count; ++i) {
    out += static_cast<char>(codes[i] & 0xFF);
    out += static_cast<char>(codes[i] >> 8);
  }
}

}  // namespace Tool
}  // namespace Kalvora
