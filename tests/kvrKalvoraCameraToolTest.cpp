// End-to-end tests of `kalvora camera`: the program's files against what the
// camera core itself returns for the same settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "kvrCubeParser.h"
#include "kvrKestaImageCore.h"
#include "kvrToolRunner.h"

using namespace Kalvora;
using namespace KalvoraTest;

namespace {

// Parses a Cube text and compares every value with the library's codes,
// which are in the library's 3-D layout (blue fastest) for a 3-D file.
void expectCubeMatches(const std::string& text, const std::vector<unsigned short>& codes, int size,
                       bool threeD) {
  ParsedCube cube;
  ASSERT_EQ(parseCube(text, cube), "");
  ASSERT_EQ(threeD ? cube.size3d : cube.size1d, size);
  const long n = size;
  for (size_t k = 0; k < cube.points.size(); ++k) {
    const long r = static_cast<long>(k) % n;
    const long g = static_cast<long>(k) / n % n;
    const long b = static_cast<long>(k) / (n * n);
    for (int c = 0; c < 3; ++c) {
      const unsigned short expected = threeD ? codes[3 * ((r * n + g) * n + b) + c] : codes[k];
      ASSERT_EQ(std::lround(cube.points[k][c] * 65535.0), expected)
          << "point " << k << " channel " << c;
    }
  }
}

std::vector<unsigned short> exportRendering(KestaImageCore& core, int size) {
  std::vector<unsigned short> codes(3 * size * size * size);
  EXPECT_EQ(core.export3dLut(11, size, codes.data(), kLutInterleaved, 65535), kNoError);
  return codes;
}

}  // namespace

TEST(KalvoraCamera, DefaultIsTheRenderingExportAtThirtyThreePoints) {
  const ToolRun run = runTool({"camera"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  KestaImageCore core(1, kPipelineSingleBranch);
  ASSERT_TRUE(core.good());
  expectCubeMatches(run.out, exportRendering(core, 33), 33, true);
}

TEST(KalvoraCamera, SettingsAndP3ChangeTheRenderingAsTheCoreSays) {
  const ToolRun run =
      runTool({"camera", "--size", "17", "--p3", "--ei", "1600", "--set", "knee=0.25", "--set",
               "log-offset-blue=-0.05", "--set", "video-saturation=1.4", "--set", "5021=0.9"});
  ASSERT_EQ(run.status, 0) << run.err;
  KestaImageCore core(1, kPipelineSingleBranch);
  ASSERT_EQ(core.setMode(2, true), kNoError);
  ASSERT_EQ(core.setParam(1001, 1600.0), kNoError);
  ASSERT_EQ(core.setParam(4002, 0.25), kNoError);
  ASSERT_EQ(core.setParam(3003, -0.05), kNoError);
  ASSERT_EQ(core.setParam(5040, 1.4), kNoError);
  ASSERT_EQ(core.setParam(5021, 0.9), kNoError);
  const std::vector<unsigned short> expected = exportRendering(core, 17);
  expectCubeMatches(run.out, expected, 17, true);

  KestaImageCore plain(1, kPipelineSingleBranch);
  EXPECT_NE(exportRendering(plain, 17), expected);
}

TEST(KalvoraCamera, CurvesAreTheLogAndToneNodesAsOneDimensionalCubes) {
  KestaImageCore core(1, kPipelineSingleBranch);
  ASSERT_EQ(core.setParam(1001, 400.0), kNoError);
  struct Case {
    const char* curve;
    unsigned int node;
    int size;
  };
  for (const Case& c : {Case{"log", 5, 4096}, Case{"tonemap", 8, 4096}, Case{"log", 5, 256}}) {
    std::vector<std::string> args = {"camera", "--curve", c.curve, "--ei", "400"};
    if (c.size != 4096) args.insert(args.end(), {"--size", std::to_string(c.size)});
    const ToolRun run = runTool(args);
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<unsigned short> codes(c.size);
    ASSERT_EQ(core.getLut(c.node, c.size, codes.data(), 65535), kNoError);
    expectCubeMatches(run.out, codes, c.size, false);
  }
}

TEST(KalvoraCamera, FalseColorPaintsTheExposureBands) {
  const ToolRun run = runTool({"camera", "--false-color", "--size", "9"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  ParsedCube cube;
  ASSERT_EQ(parseCube(run.out, cube), "");
  using Code = std::array<long, 3>;
  auto codeOf = [](const std::array<double, 3>& point) {
    return Code{{std::lround(point[0] * 65535), std::lround(point[1] * 65535),
                 std::lround(point[2] * 65535)}};
  };
  std::set<Code> colours;
  for (const auto& point : cube.points) {
    const Code code = codeOf(point);
    if (code[0] != code[1] || code[1] != code[2]) colours.insert(code);
  }
  // Black is painted purple, the clipped white red; what lies in no band stays grey.
  const Code purple = {{std::lround(0.699999988079071 * 65535), 0, 65535}};
  EXPECT_EQ(codeOf(cube.points.front()), purple);
  EXPECT_EQ(codeOf(cube.points.back()), (Code{{65535, 0, 0}}));
  EXPECT_GE(colours.size(), 4u);
}

TEST(KalvoraCamera, BadUsageLeavesNoFile) {
  ScratchDir dir;
  const std::string out = dir.file("camera.cube");
  const std::vector<std::vector<std::string>> cases = {
      {"camera", "-o", out, "--set", "knee=1.5"},
      {"camera", "-o", out, "--ei", "25"},
      {"camera", "-o", out, "--set", "wb-gain-red=2"},
      {"camera", "-o", out, "--curve", "log", "--size", "33"},
      {"camera", "-o", out, "--node", "11"},
  };
  for (const auto& args : cases) {
    const ToolRun run = runTool(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.compare(0, 17, "kalvora: camera: "), 0) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_TRUE(dir.entries().empty());
  }
  const ToolRun range = runTool({"camera", "--set", "knee=1.5"});
  EXPECT_EQ(range.err, "kalvora: camera: knee 1.5 is out of range (accepted: 0 to 1)\n");
}
