// A strict reader of Cube LUT files for the tests of the kalvora tool. It is
// written independently of the tool's writer so that the two check each
// other: every line must be a keyword the format knows, a comment, a blank
// line or a data line of exactly three numbers, and the number of data lines
// must match the declared size.
#pragma once

#include <array>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace KalvoraTest {

struct ParsedCube {
  std::string title;
  int size3d = 0;
  int size1d = 0;
  std::array<double, 3> domainMin{{0.0, 0.0, 0.0}};
  std::array<double, 3> domainMax{{1.0, 1.0, 1.0}};
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
  int lineNumber = 0;
  while (std::getline(lines, line)) {
    ++lineNumber;
    const std::string where = "line " + std::to_string(lineNumber) + ": ";
    if (line.empty()) continue;
    if (line[0] == '#') {
      cube.comments.push_back(line);
      continue;
    }
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
      if (!inHeader ||
          !parseCubeNumbers(in, keyword == "DOMAIN_MIN" ? cube.domainMin : cube.domainMax))
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
  const size_t expected = cube.size3d != 0
                              ? static_cast<size_t>(cube.size3d) * cube.size3d * cube.size3d
                              : static_cast<size_t>(cube.size1d);
  if (cube.points.size() != expected)
    return "expected " + std::to_string(expected) + " data lines, got " +
           std::to_string(cube.points.size());
  return "";
}

}  // namespace KalvoraTest
