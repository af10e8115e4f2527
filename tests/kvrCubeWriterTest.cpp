// The file writers of the kalvora tool: Cube and raw 16-bit tables, and the
// output file that replaces its destination whole or not at all.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "kvrCubeWriter.h"
#include "kvrOutputFile.h"
#include "kvrToolRunner.h"

using namespace Kalvora::Tool;
using namespace KalvoraTest;

TEST(CubeValue, EverySixteenBitCodeSurvivesInPlainDecimals) {
  for (int code = 0; code <= 65535; ++code) {
    const std::string text = formatCubeValue(code / 65535.0);
    ASSERT_EQ(text.find_first_of("eE"), std::string::npos) << text;
    ASSERT_EQ(std::lround(std::strtod(text.c_str(), nullptr) * 65535.0), code) << text;
    const size_t first = code > 0 ? text.find_first_of("123456789") : text.size() - 7;
    ASSERT_GE(std::count_if(text.begin() + static_cast<long>(first), text.end(),
                            [](char c) { return c >= '0' && c <= '9'; }),
              7)
        << text;
  }
}

// A 3-D table whose codes tell where they came from: red output = 100 + r,
// green = 200 + g, blue = 300 + b for grid point (r, g, b); the file lists
// red fastest, after the title and the comments. 1-D entries repeat the
// value; raw codes are little-endian.
TEST(CubeWriter, RedChangesFastestHeaderFirstAndRawCodesAreLittleEndian) {
  const int n = 4;
  std::vector<unsigned short> codes;
  std::vector<double> values;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b)
        for (int code : {100 + r, 200 + g, 300 + b}) {
          codes.push_back(static_cast<unsigned short>(code));
          values.push_back(code / 1000.0);
        }
  CubeHeader header;
  header.title = "Day exterior";
  header.comments = {"made by a test", "node 10"};
  std::string text;
  writeCube3d(text, header, n, codes.data(), 1000);
  expectCubeValues(text, values, n);
  EXPECT_EQ(text.rfind("TITLE \"Day exterior\"\n# made by a test\n# node 10\nLUT_3D", 0), 0u)
      << text;

  text.clear();
  writeCube1d(text, CubeHeader(), 4, codes.data(), 1000);
  expectCubeValues(text, {0.1, 0.2, 0.3, 0.1}, 4, false);
  EXPECT_EQ(text.rfind("LUT_1D_SIZE 4\n", 0), 0u);
  const unsigned short raw[] = {0x0102, 0xFFFE};
  std::string bytes = "x";
  writeRaw16(bytes, raw, 2);
  EXPECT_EQ(bytes, std::string("x\x02\x01\xFE\xFF", 5));
}

// The output replaces its destination whole, with the usual permissions, or
// fails without leaving anything.
TEST(OutputFile, ReplacesTheFileWholeOrFailsLeavingNothing) {
  ScratchDir dir;
  const std::string path = dir.file("look.cube");
  const std::string content("LUT_3D_SIZE 2\n\0binary", 21);
  writeOutput(path, std::string(10000, 'a'));
  const mode_t mask = umask(022);
  writeOutput(path, content);
  umask(mask);
  EXPECT_EQ(readFile(path), content);
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
  EXPECT_THROW(writeOutput(dir.file("missing/look.cube"), "x"), OutputError);
  ASSERT_EQ(mkdir(dir.file("looks").c_str(), 0755), 0);
  EXPECT_THROW(writeOutput(dir.file("looks"), "x"), OutputError);
  std::vector<std::string> entries = dir.entries();
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"look.cube", "looks"}));
}
