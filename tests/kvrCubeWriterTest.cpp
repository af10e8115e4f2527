#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "kvrCubeParser.h"
#include "kvrCubeWriter.h"

using namespace Kalvora::Tool;
using KalvoraTest::parseCube;
using KalvoraTest::ParsedCube;

namespace {

int significantDigits(const std::string& text) {
  int digits = 0;
  bool leading = true;
  for (char c : text) {
    if (c < '0' || c > '9') continue;
    if (leading && c == '0') continue;
    leading = false;
    ++digits;
  }
  return digits;
}

}  // namespace

TEST(CubeValue, EverySixteenBitCodeSurvivesInPlainDecimals) {
  for (int code = 0; code <= 65535; ++code) {
    const std::string text = formatCubeValue(code / 65535.0);
    ASSERT_EQ(text.find_first_of("eE"), std::string::npos) << text;
    const double back = std::strtod(text.c_str(), nullptr);
    ASSERT_EQ(std::lround(back * 65535.0), code) << text;
    if (code > 0) {
      ASSERT_GE(significantDigits(text), 7) << text;
    }
  }
}

// A 3-D table whose codes tell where they came from: red output = 100 + r,
// green = 200 + g, blue = 300 + b for grid point (r, g, b).
std::vector<unsigned short> positionCodes(int n) {
  std::vector<unsigned short> codes(3 * n * n * n);
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) {
        const int p = (r * n + g) * n + b;
        codes[3 * p] = static_cast<unsigned short>(100 + r);
        codes[3 * p + 1] = static_cast<unsigned short>(200 + g);
        codes[3 * p + 2] = static_cast<unsigned short>(300 + b);
      }
  return codes;
}

TEST(Cube3d, RedChangesFastestInTheFile) {
  const int n = 4;
  const std::vector<unsigned short> codes = positionCodes(n);
  std::string text;
  writeCube3d(text, CubeHeader(), n, codes.data(), 1000);
  ParsedCube cube;
  ASSERT_EQ(parseCube(text, cube), "");
  ASSERT_EQ(cube.size3d, n);
  for (int b = 0; b < n; ++b)
    for (int g = 0; g < n; ++g)
      for (int r = 0; r < n; ++r) {
        const auto& point = cube.points[(b * n + g) * n + r];
        EXPECT_NEAR(point[0], (100 + r) / 1000.0, 1e-9);
        EXPECT_NEAR(point[1], (200 + g) / 1000.0, 1e-9);
        EXPECT_NEAR(point[2], (300 + b) / 1000.0, 1e-9);
      }
}

TEST(Cube3d, HeaderLinesComeFirstAndTheTitleIsOptional) {
  const std::vector<unsigned short> codes = positionCodes(3);
  CubeHeader header;
  header.title = "Day exterior";
  header.comments = {"made by a test", "node 10"};
  std::string text;
  writeCube3d(text, header, 3, codes.data(), 65535);
  EXPECT_EQ(text.compare(0, 21, "TITLE \"Day exterior\"\n"), 0) << text;
  ParsedCube cube;
  ASSERT_EQ(parseCube(text, cube), "");
  EXPECT_EQ(cube.title, "Day exterior");
  EXPECT_EQ(cube.comments.size(), 2u);
  EXPECT_EQ(cube.domainMin, (std::array<double, 3>{{0.0, 0.0, 0.0}}));
  EXPECT_EQ(cube.domainMax, (std::array<double, 3>{{1.0, 1.0, 1.0}}));

  std::string untitled;
  writeCube3d(untitled, CubeHeader(), 3, codes.data(), 65535);
  EXPECT_EQ(untitled.find("TITLE"), std::string::npos);
  EXPECT_EQ(untitled.compare(0, 14, "LUT_3D_SIZE 3\n"), 0);
}

TEST(Cube1d, EveryEntryRepeatsForTheThreeChannels) {
  const unsigned short codes[] = {0, 1, 32768, 65535};
  std::string text;
  writeCube1d(text, CubeHeader(), 4, codes, 65535);
  ParsedCube cube;
  ASSERT_EQ(parseCube(text, cube), "");
  ASSERT_EQ(cube.size1d, 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(std::lround(cube.points[i][0] * 65535.0), codes[i]);
    EXPECT_EQ(cube.points[i][1], cube.points[i][0]);
    EXPECT_EQ(cube.points[i][2], cube.points[i][0]);
  }
}

TEST(Raw16, CodesAreLittleEndianInTheGivenOrder) {
  const unsigned short codes[] = {0x0102, 0xFFFE, 0x0000};
  std::string bytes = "x";
  writeRaw16(bytes, codes, 3);
  EXPECT_EQ(bytes, std::string("x\x02\x01\xFE\xFF\x00\x00", 7));
}
