// End-to-end tests of `kalvora camera`: the program's files against what the
// camera core itself returns for the same settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "kvrCubeParser.h"
#include "kvrKestaImageCore.h"
#include "kvrPipelineVocabulary.h"
#include "kvrTestSupport.h"
#include "kvrToolRunner.h"

using namespace Kalvora;
using namespace KalvoraTest;

namespace {

std::vector<double> rendering(KestaImageCore& core, int size) {
  std::vector<unsigned short> codes(3 * size * size * size);
  EXPECT_EQ(core.export3dLut(kCameraExportRendering, size, codes.data(), kLutInterleaved, 65535),
            kNoError);
  return codeValues(codes);
}

}  // namespace

TEST(KalvoraCamera, TheRenderingExportWithAndWithoutSettings) {
  KestaImageCore plain(1, kPipelineSingleBranch);
  ASSERT_TRUE(plain.good());
  expectCubeValues(runOk({"camera"}).out, rendering(plain, 33), 33);

  const std::string out =
      runOk({"camera", "--size", "17", "--p3", "--ei", "1600", "--set", "knee=0.25", "--set",
             "log-offset-blue=-0.05", "--set", "video-saturation=1.4", "--set", "5021=0.9"})
          .out;
  KestaImageCore core(1, kPipelineSingleBranch);
  ASSERT_EQ(core.setMode(kCameraModeP3Output, true), kNoError);
  ASSERT_EQ(core.setParam(kCameraParamExposureIndex, 1600.0), kNoError);
  ASSERT_EQ(core.setParam(kCameraParamKnee, 0.25), kNoError);
  ASSERT_EQ(core.setParam(kCameraParamLogOffsetBlue, -0.05), kNoError);
  ASSERT_EQ(core.setParam(kCameraParamVideoSaturation, 1.4), kNoError);
  ASSERT_EQ(core.setParam(kCameraParamVideoPowerRed, 0.9), kNoError);
  const std::vector<double> expected = rendering(core, 17);
  expectCubeValues(out, expected, 17);
  EXPECT_NE(rendering(plain, 17), expected);
}

TEST(KalvoraCamera, CurvesAreTheLogAndToneNodesAsOneDimensionalCubes) {
  KestaImageCore core(1, kPipelineSingleBranch);
  ASSERT_EQ(core.setParam(kCameraParamExposureIndex, 400.0), kNoError);
  const struct {
    const char* curve;
    CameraNodeId node;
    int size;
  } cases[] = {{"log", kCameraNodeLog, 256}, {"tonemap", kCameraNodeToneMap, 4096}};
  for (const auto& c : cases) {
    Args args = {"camera", "--curve", c.curve, "--ei", "400"};
    if (c.size != 4096) args.insert(args.end(), {"--size", std::to_string(c.size)});
    std::vector<unsigned short> codes(c.size);
    ASSERT_EQ(core.getLut(c.node, c.size, codes.data(), 65535), kNoError);
    expectCubeValues(runOk(args).out, codeValues(codes), c.size, false);
  }
}

TEST(KalvoraCamera, FalseColorPaintsTheExposureBands) {
  ParsedCube cube;
  ASSERT_EQ(parseCube(runOk({"camera", "--false-color", "--size", "9"}).out, cube), "");
  std::set<std::array<double, 3>> colours;
  for (const auto& point : cube.points)
    if (point[0] != point[1] || point[1] != point[2]) colours.insert(point);
  // Black is painted purple, the clipped white red; what lies in no band stays grey.
  EXPECT_NEAR(cube.points.front()[0], 0.7, 1e-4);
  EXPECT_EQ(cube.points.front()[2], 1.0);
  EXPECT_EQ(cube.points.back(), (std::array<double, 3>{{1.0, 0.0, 0.0}}));
  EXPECT_GE(colours.size(), 4u);
}

TEST(KalvoraCamera, BadUsageLeavesNoFile) {
  ScratchDir dir;
  const std::string out = dir.file("camera.cube");
  const Args cases[] = {{"--set", "knee=1.5"}, {"--ei", "25"}, {"--set", "wb-gain-red=2"}};
  for (const Args& args : cases) {
    const ToolRun run = runTool(Args{"camera", "-o", out} + args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_EQ(run.err.rfind("kalvora: camera: ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_TRUE(dir.entries().empty());
  }
}
