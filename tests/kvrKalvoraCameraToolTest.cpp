// End-to-end tests of `kalvora camera`: the program's files against what the
// camera core itself returns for the same settings.
#include <gtest/gtest.h>

#include <set>

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

// The tone map at its default size, the log at a size given.
TEST(KalvoraCamera, CurvesAreTheLogAndToneNodesAsOneDimensionalCubes) {
  KestaImageCore core(1, kPipelineSingleBranch);
  ASSERT_EQ(core.setParam(kCameraParamExposureIndex, 400.0), kNoError);
  std::vector<unsigned short> log(256), tone(4096);
  ASSERT_EQ(core.getLut(kCameraNodeLog, 256, log.data(), 65535), kNoError);
  ASSERT_EQ(core.getLut(kCameraNodeToneMap, 4096, tone.data(), 65535), kNoError);
  expectCubeValues(runOk({"camera", "--curve", "log", "--ei", "400", "--size", "256"}).out,
                   codeValues(log), 256, false);
  expectCubeValues(runOk({"camera", "--curve", "tonemap", "--ei", "400"}).out, codeValues(tone),
                   4096, false);
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
