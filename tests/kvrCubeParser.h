// A strict reader of Cube LUT files for the tests of the kalvora tool. It is
// written independently of the tool's writer so that the two check each
// other: every line must be a keyword the format knows, a comment, a blank
// line or a data line of exactly three numbers, and the number of data lines
// must match the declared size.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace KalvoraTest {

struct ParsedCube {
  std::string title;
  int size3d = 0;
  int size1d = 0;
  std::array<double, 3> domain[2] = {{{0.0, 0.0, 0.0}}, {{1.0, 1.0, 1.0}}};  // min, max
  std::vector<std::string> comments;
  std::vector<std::array<double, 3>> points;  // in file order: red fastest
};

inline bool parseCubeNumbers(std::istringstream& in, std::array<double, 3>& values) {
  for (double& value : values) {
    std::string word;
    if (!(in >> word)) return false;
    char* end = nullptr;
    value = std::strtod(word.c_str(), &end);
    if (*end != '\0') return false;
  }
  std::string extra;
  return !(in >> extra);
}

// Returns an empty string on success, else what is wrong (with the line).
inline std::string parseCube(const std::string& text, ParsedCube& cube) {
  std::istringstream lines(text);
  std::string line;
  for (int lineNumber = 1; std::getline(lines, line); ++lineNumber) {
    const std::string where = "line " + std::to_string(lineNumber) + ": ";
    if (!line.empty() && line[0] == '#') cube.comments.push_back(line);
    if (line.empty() || line[0] == '#') continue;
    std::istringstream in(line);
    std::string keyword;
    in >> keyword;
    const bool inHeader = cube.points.empty();
    if (keyword == "TITLE") {
      const size_t open = line.find('"');
      const size_t close = line.rfind('"');
      if (!inHeader || open == std::string::npos || close == open) return where + "bad TITLE";
      cube.title = line.substr(open + 1, close - open - 1);
    } else if (keyword == "LUT_3D_SIZE" || keyword == "LUT_1D_SIZE") {
      int size = 0;
      std::string extra;
      if (!inHeader || !(in >> size) || (in >> extra) || size < 2) return where + "bad size";
      (keyword == "LUT_3D_SIZE" ? cube.size3d : cube.size1d) = size;
    } else if (keyword == "DOMAIN_MIN" || keyword == "DOMAIN_MAX") {
      if (!inHeader || !parseCubeNumbers(in, cube.domain[keyword == "DOMAIN_MAX"]))
        return where + "bad domain";
    } else {
      std::array<double, 3> point;
      std::istringstream data(line);
      if (!parseCubeNumbers(data, point)) return where + "not a data line: " + line;
      cube.points.push_back(point);
    }
  }
  if ((cube.size3d == 0) == (cube.size1d == 0))
    return "need exactly one of LUT_3D_SIZE and LUT_1D_SIZE";
  const size_t n = static_cast<size_t>(cube.size3d);
  const size_t expected = n != 0 ? n * n * n : static_cast<size_t>(cube.size1d);
  if (cube.points.size() != expected)
    return "expected " + std::to_string(expected) + " data lines, got " +
           std::to_string(cube.points.size());
  return "";
}

// Checks a Cube text of the given size (3-D, or 1-D with sizes1d) against
// the library's values: 3-D tables in the library layout (blue fastest,
// interleaved), 1-D tables one value per entry. Cube values carry at least
// 7 significant digits, so one 16-bit code of difference always shows.
inline void expectCubeValues(const std::string& text, const std::vector<double>& expected, int size,
                             bool threeD = true) {
  ParsedCube cube;
  ASSERT_EQ(parseCube(text, cube), "");
  ASSERT_EQ(threeD ? cube.size3d : cube.size1d, size);
  const size_t n = static_cast<size_t>(size);
  ASSERT_EQ(cube.points.size() * (threeD ? 3 : 1), expected.size());
  for (size_t k = 0; k < cube.points.size(); ++k) {
    const size_t at = threeD ? 3 * ((k % n * n + k / n % n) * n + k / (n * n)) : 0;
    for (size_t c = 0; c < 3; ++c) {
      const double want = threeD ? expected[at + c] : expected[k];
      ASSERT_NEAR(cube.points[k][c], want, 1e-6 * std::max(1.0, std::fabs(want)))
          << "point " << k << " channel " << c;
    }
  }
}

// 16-bit codes as the values a Cube file holds.
inline std::vector<double> codeValues(const std::vector<unsigned short>& codes) {
  std::vector<double> values;
  for (unsigned short code : codes) values.push_back(code / 65535.0);
  return values;
}

}  // namespace KalvoraTest
