// The camera core: its nodes against the branch and curves they are built
// from, the change routing, the branches each pipeline type has, and the
// two views of the white balance.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "kvrCameraCalibration.h"
#include "kvrElvex.h"
#include "kvrKestaImageCore.h"
#include "kvrPfwl.h"
#include "kvrPipelineVocabulary.h"
#include "kvrTestSupport.h"

namespace Kalvora {
namespace {

constexpr unsigned int kB1 = kCameraBranch1;
constexpr unsigned int kB2 = kCameraBranch2;

using Revisions = std::map<unsigned int, unsigned int>;

Revisions revisions(const Kalvora& core) {
  Revisions all;
  for (int i = 0; i < core.getNumNodes(); ++i)
    all[core.getPipeline()[i]->id] = core.getPipeline()[i]->revision;
  return all;
}

// The nodes whose revision moved since `before`, with how often.
Revisions bumps(const Kalvora& core, const Revisions& before) {
  Revisions moved;
  for (const auto& node : revisions(core))
    if (node.second != before.at(node.first))
      moved[node.first] = node.second - before.at(node.first);
  return moved;
}

double param(Kalvora& core, unsigned int id) {
  double value = -12345.0;
  EXPECT_EQ(core.getParam(id, value), kNoError) << id;
  return value;
}

void expectLut(KestaImageCore& core, unsigned int id, const LutFunc& want) {
  std::vector<double> got(1024), expected(1024);
  ASSERT_EQ(core.getLut(id, 1024, got.data()), kNoError) << std::hex << id;
  want.getTable(1024, expected.data());
  EXPECT_EQ(got, expected) << std::hex << id;
}

void expectRgbLut(KestaImageCore& core, unsigned int id, const LutFuncRgb& want) {
  std::vector<double> got(3 * 256), expected(3 * 256);
  ASSERT_EQ(core.getRgbLut(id, 256, got.data(), kLutPlanar), kNoError) << std::hex << id;
  want.getTable(256, expected.data(), kLutPlanar);
  EXPECT_EQ(got, expected) << std::hex << id;
}

void expectMatrix(KestaImageCore& core, unsigned int id, const double (&want)[9]) {
  double matrix[9];
  ASSERT_EQ(core.getMatrix(id, matrix), kNoError) << std::hex << id;
  for (int i = 0; i < 9; ++i) EXPECT_EQ(matrix[i], want[i]) << std::hex << id << " " << i;
}

// ---- Branches and ids -------------------------------------------------------------

// Every public operation refuses a branch the core does not have.
TEST(KestaImageCoreIds, BranchesTheCoreDoesNotHaveAreUnknownIds) {
  KalvoraTest::ReportCapture capture;
  const unsigned short user[2] = {0, 1023};
  double matrix[9];
  std::vector<double> cube(5 * 5 * 5 * 3);
  bool has = false;
  KestaImageCore single(1, kPipelineSingleBranch), output(1, kPipelineOutputOnly),
      multi(1, kPipelineMultiBranch);
  const std::pair<KestaImageCore*, std::vector<unsigned int>> cases[] = {
      {&single, {kB1, kB2, 0xFF000000}}, {&output, {kB2}}, {&multi, {0x3000000}}};
  for (const auto& c : cases) {
    KestaImageCore& core = *c.first;
    for (unsigned int b : c.second) {
      SCOPED_TRACE(testing::Message() << "type " << core.getPipelineType() << " branch " << b);
      EXPECT_EQ(core.setUserLut(b + kCameraNodeToneMap, user, 2, 1023), kUnknownId);
      EXPECT_EQ(core.resetUserLut(b + kCameraNodeToneMap), kUnknownId);
      EXPECT_EQ(core.hasUserLut(b + kCameraNodeToneMap, has), kUnknownId);
      EXPECT_EQ(core.setMode(b + kCameraModeVideo, false), kUnknownId);
      EXPECT_EQ(core.setParam(b + kCameraParamLogOffsetRed, 0.1), kUnknownId);
      EXPECT_EQ(core.getMatrix(b + kCameraNodeColorSpace, matrix), kUnknownId);
      EXPECT_EQ(core.export3dLut(b + kCameraExportRendering, 5, cube.data(), kLutPlanar),
                kUnknownId);
    }
  }
  // Main-path nodes belong to branch 0 only; a node of a family without a
  // table of that family is unknown.
  EXPECT_EQ(multi.getMatrix(kB1 + kCameraNodeColorMatrix, matrix), kUnknownId);
  EXPECT_EQ(multi.resetUserLut(kB1 + kCameraNodeGamma), kUnknownId);
  EXPECT_EQ(multi.getRgbLut(kCameraNodeWhiteBalance, 256, cube.data(), kLutPlanar), kUnknownId);
  // Branch 2 exists in the multi-branch core, also for the rendering.
  EXPECT_EQ(multi.export3dLut(kB2 + kCameraExportRendering, 5, cube.data(), kLutPlanar), kNoError);
  EXPECT_EQ(multi.export3dLut(kCameraNodeLog, 5, cube.data(), kLutPlanar), kUnknownId);
  // The output-only core has no temperature for a camera matrix.
  EXPECT_EQ(output.getMatrix(kCameraNodeColorMatrix, matrix), kUnknownId);
}

// ---- Node values ----------------------------------------------------------------

// Nodes 7 to 10 and the rendering export of each branch are those of a
// process branch with the same settings.
TEST(KestaImageCoreNodes, BranchNodesAreThoseOfABranchWithTheSameSettings) {
  KestaImageCore core(1, kPipelineMultiBranch);
  ASSERT_EQ(core.setParam(kCameraParamExposureIndex, 1600.0), kNoError);
  ASSERT_EQ(core.setParam(kB1 + kCameraParamLogOffsetGreen, -0.25), kNoError);
  ASSERT_EQ(core.setParam(kB1 + kCameraParamBlackGamma, 0.2), kNoError);
  ASSERT_EQ(core.setParam(kB1 + kCameraParamKnee, 0.9), kNoError);
  ASSERT_EQ(core.setParam(kB2 + kCameraParamVideoSaturation, 0.5), kNoError);
  ASSERT_EQ(core.setParam(kB2 + kCameraParamVideoPedestalRed, 0.2), kNoError);
  ASSERT_EQ(core.setMode(kB2 + kCameraModeP3Output, true), kNoError);
  Elvex elvex(kestaElvexparam, 1600.0);
  KestaProcessBranch branches[3];
  for (KestaProcessBranch& branch : branches) branch.updateElvex(elvex);
  branches[1].setLogParameter(kCameraParamLogOffsetGreen, -0.25);
  branches[1].setTonemapParam(0.2, 0.9);
  branches[2].setSaturation(0.5);
  branches[2].setVideoParameter(kCameraParamVideoPedestalRed, 0.2);
  branches[2].setP3Output(true);
  const int n = 9;
  std::vector<double> got(n * n * n * 3), want(n * n * n * 3);
  for (unsigned int i = 0; i < 3; ++i) {
    const unsigned int b = i << 24;
    double matrix[9];
    branches[i].getColorSpaceMatrix(matrix);
    expectRgbLut(core, b + kCameraNodeLogOffset, branches[i].getLogLut());
    expectLut(core, b + kCameraNodeToneMap, branches[i].getToneMapLut());
    expectMatrix(core, b + kCameraNodeColorSpace, matrix);
    expectRgbLut(core, b + kCameraNodeGamma, branches[i].getGammaLut());
    ASSERT_EQ(core.export3dLut(b + kCameraExportRendering, n, got.data(), kLutPlanar), kNoError);
    branches[i].getVideoRenderLut().getTable(n, want.data(), kLutPlanar);
    EXPECT_EQ(got, want) << i;
  }
  // The Q mapping and the log encoding have tables of their own.
  for (const unsigned int id : {kCameraNodeQMapping, kCameraNodeLog})
    EXPECT_EQ(core.getLut(id, 256, got.data()), kNoError) << id;
  // The log offset node carries its branch's offsets; other nodes have none.
  RgbGainOffset record = {{1, 1, 1}, {9, 9, 9}};
  ASSERT_EQ(core.getRgbGainOffset(kB1 + kCameraNodeLogOffset, record), kNoError);
  EXPECT_EQ(record.offset[1], -0.25);
  ASSERT_EQ(core.getRgbGainOffset(kB1 + kCameraNodeGamma, record), kNoError);
  EXPECT_EQ(record.offset[1], -0.25);
}

// ---- Modes and user tone tables ------------------------------------------------------

// Each mode bypasses the stages it takes out of a branch: log output skips all
// three; false colour paints its bands on whatever the branch shows.
TEST(KestaImageCoreModes, ModesBypassTheStagesTheyTakeOut) {
  KestaImageCore core(1, kPipelineMultiBranch);
  const struct {
    unsigned int mode;
    bool on, tone, space, gamma;
  } steps[] = {{kCameraModeFalseColor, true, false, false, false},
               {kCameraModePlayback, true, false, false, false},
               {kCameraModeVideo, false, true, true, true},
               {kCameraModeFalseColor, false, true, true, true},
               {kCameraModeFalseColor, true, true, false, false},
               {kCameraModePlayback, false, true, false, false},
               {kCameraModeVideo, true, false, false, false},
               {kCameraModeP3Output, true, false, false, false}};
  std::vector<double> gamma(3 * 256);
  for (const auto& s : steps) {
    SCOPED_TRACE(testing::Message() << "mode " << s.mode << " on " << s.on);
    ASSERT_EQ(core.setMode(kB1 + s.mode, s.on), kNoError);
    EXPECT_EQ(core.needNode(kB1 + kCameraNodeToneMap)->bypassed, s.tone);
    EXPECT_EQ(core.needNode(kB1 + kCameraNodeColorSpace)->bypassed, s.space);
    EXPECT_EQ(core.needNode(kB1 + kCameraNodeGamma)->bypassed, s.gamma);
    EXPECT_EQ(core.getRgbLut(kB1 + kCameraNodeGamma, 256, gamma.data(), kLutPlanar), kNoError);
  }
  // Playback shows a display-referred picture: the tone stage is gamma 2.4.
  ASSERT_EQ(core.setMode(kB1 + kCameraModePlayback, true), kNoError);
  expectLut(core, kB1 + kCameraNodeToneMap, Pfwl::sGamma24);
}

// A user table replaces the tone curve of its branch until it is reset.
TEST(KestaImageCoreModes, UserToneTableReplacesTheCurveUntilReset) {
  KestaImageCore core(1, kPipelineMultiBranch);
  const unsigned short user[2] = {0, 1023};
  bool has = false;
  for (const bool install : {true, false}) {
    ASSERT_EQ(install ? core.setUserLut(kB1 + kCameraNodeToneMap, user, 2, 1023)
                      : core.resetUserLut(kB1 + kCameraNodeToneMap),
              kNoError);
    EXPECT_EQ(core.hasUserLut(kB1 + kCameraNodeToneMap, has), kNoError);
    EXPECT_EQ(has, install);
  }
}

// ---- Revisions ---------------------------------------------------------------------

TEST(KestaImageCoreRevisions, ParameterChangesBumpTheNodesTheyAffect) {
  KestaImageCore core(1, kPipelineMultiBranch);
  const unsigned int tone = kCameraNodeToneMap, gamma = kCameraNodeGamma;
  const Revisions balance = {{kCameraNodeWhiteBalance, 1}, {kCameraNodeColorMatrix, 1}};
  const struct {
    unsigned int id;
    double value;
    Revisions moved;
  } cases[] = {
      {kCameraParamExposureIndex,
       1600,
       {{kCameraNodeLog, 1}, {tone, 1}, {kB1 + tone, 1}, {kB2 + tone, 1}}},
      {kCameraParamColorTemperature, 5600, balance},
      {kCameraParamTint, 2, balance},
      {kCameraParamGainBlue, 2, balance},
      {kB2 + kCameraParamLogOffsetBlue, 0.1, {{kB2 + kCameraNodeLogOffset, 1}}},
      {kB2 + kCameraParamKnee, 0.3, {{kB2 + tone, 1}}},
      {kB1 + kCameraParamVideoSaturation, 0.3, {{kB1 + kCameraNodeColorSpace, 1}}},
      {kCameraParamVideoSlopeRed, 1.5, {{gamma, 1}}},
      {kB1 + kCameraParamVideoPowerGreen, 1.2, {{kB1 + gamma, 1}}},
      {kB2 + kCameraParamVideoOffsetBlue, 0.1, {{kB2 + gamma, 1}}},
  };
  for (const auto& c : cases) {
    Revisions before = revisions(core);
    ASSERT_EQ(core.setParam(c.id, c.value), kNoError) << c.id;
    EXPECT_EQ(bumps(core, before), c.moved) << std::hex << c.id;
  }
  // In false colour the exposure index also repaints the branch's log bands.
  ASSERT_EQ(core.setMode(kB2 + kCameraModeFalseColor, true), kNoError);
  const Revisions before = revisions(core);
  ASSERT_EQ(core.setParam(kCameraParamExposureIndex, 400.0), kNoError);
  EXPECT_EQ(bumps(core, before).count(kB2 + gamma), 1u);
}

// ---- White balance -----------------------------------------------------------------

// Three temperatures whose tint lines cross the locus; each row has its own
// matrix so that interpolation shows.
class WhiteBalanceTest : public KalvoraTest::ReportCaptureTest {
protected:
  WhiteBalanceTest() : calibration(CameraSystemCalibrationRecord::allocate(3), std::free) {
    const CameraSystemCalibrationRecord::ColorConversionData rows[3] = {
        {2800, 1.30f, 2.60f, 1.0f, {}},
        {4300, 1.75f, 1.90f, 1.1f, {}},
        {6500, 2.20f, 1.45f, 1.2f, {}}};
    for (int i = 0; i < 3; ++i) {
      calibration->rows()[i] = rows[i];
      for (int k = 0; k < 9; ++k)
        calibration->rows()[i].matrix[k] = (k % 4 == 0 ? 1.0 : 0.0) + 0.01 * (i + 1) * k;
    }
  }

  void select(int index = 0) {
    ASSERT_EQ(core.setSystemCalibration(index, *calibration), kNoError);
    ASSERT_EQ(core.useConfiguration(index), kNoError);
  }

  double p(unsigned int id) { return param(core, id); }

  void set(unsigned int id, double value) { ASSERT_EQ(core.setParam(id, value), kNoError) << id; }

  std::pair<double, double> gainsFor(double cct, double tint) {
    double red = 0.0, blue = 0.0;
    core.getWhiteBlanceGain(cct, tint, red, blue);
    return {red, blue};
  }

  std::unique_ptr<CameraSystemCalibrationRecord, void (*)(void*)> calibration;
  KestaImageCore core{2, kPipelineSingleBranch};
};

// Whichever of temperature and gains was set last, the other follows, and a
// half-set view is completed before the other takes over.
TEST_F(WhiteBalanceTest, TemperatureAndGainsAreTwoViewsOfOneBalance) {
  const Revisions before = revisions(core);
  select();
  EXPECT_EQ(bumps(core, before),
            (Revisions{{kCameraNodeWhiteBalance, 1}, {kCameraNodeColorMatrix, 1}}));
  EXPECT_EQ(p(kCameraParamGainRed), gainsFor(3200.0, 0.0).first);
  RgbGainOffset record = {{0, 0, 0}, {9, 9, 9}};
  ASSERT_EQ(core.getRgbGainOffset(kCameraNodeWhiteBalance, record), kNoError);
  EXPECT_EQ(record.gain[2], gainsFor(3200.0, 0.0).second);

  // The gains of the 4300 K row give its temperature back.
  set(kCameraParamGainRed, 1.75);
  set(kCameraParamGainBlue, double(1.90f));
  EXPECT_DOUBLE_EQ(core.getParameters()[1]->value, 4300.0);  // the list is brought up to date
  EXPECT_DOUBLE_EQ(p(kCameraParamFoundColorTemperature), 4300.0);
  EXPECT_NEAR(p(kCameraParamTint), 0.0, 1e-9);
  // Tint alone after gains: the temperature is the one of the gains.
  set(kCameraParamTint, 2.0);
  EXPECT_DOUBLE_EQ(p(kCameraParamColorTemperature), 4300.0);
  EXPECT_EQ(p(kCameraParamGainRed), gainsFor(p(kCameraParamColorTemperature), 2.0).first);

  set(kCameraParamColorTemperature, 5600.0);
  const auto gains = gainsFor(5600.0, 2.0);
  EXPECT_EQ(std::make_pair(p(kCameraParamGainRed), p(kCameraParamGainBlue)), gains);
  EXPECT_EQ(p(kCameraParamColorTemperature), 5600.0);  // the view read does not undo it
  double want[9];
  core.getColorMatrix(5600.0, want);
  expectMatrix(core, kCameraNodeColorMatrix, want);
  // Red gain alone after the temperature: blue is the one of 5600 K.
  set(kCameraParamGainRed, 2.1);
  EXPECT_EQ(p(kCameraParamGainBlue), gains.second);
  EXPECT_GT(p(kCameraParamColorTemperature), 5600.0);
}

// Without calibration nothing is derived and the host's values stand; gains
// off the calibration find no temperature and take the end they lean to.
TEST_F(WhiteBalanceTest, WithoutOrOffTheCalibration) {
  EXPECT_EQ(core.updateColorTempAndTint(5600.0, 0.0), kMissingCalibration);
  set(kCameraParamColorTemperature, 5600.0);
  set(kCameraParamGainRed, 2.0);  // the stale gains cannot be derived
  double value = 0.0;
  EXPECT_EQ(core.getParam(kCameraParamColorTemperature, value), kMissingCalibration);
  select();
  KestaImageCore output(1, kPipelineOutputOnly);  // has no balance to follow the calibration
  ASSERT_EQ(output.setSystemCalibration(0, *calibration), kNoError);
  EXPECT_EQ(output.useConfiguration(0), kNoError);
  EXPECT_EQ(core.updateColorTempAndTint(5600.0, 1.0), kNoError);
  EXPECT_EQ(p(kCameraParamGainBlue), gainsFor(5600.0, 1.0).second);
  const struct {
    double red, blue, cct;
  } offCalibration[] = {{4.0, 0.9, 11000.0}, {0.9, 4.0, 2000.0}};
  for (const auto& c : offCalibration) {
    set(kCameraParamGainRed, c.red);
    set(kCameraParamGainBlue, c.blue);
    EXPECT_EQ(p(kCameraParamColorTemperature), c.cct) << c.red;
  }
}

}  // namespace
}  // namespace Kalvora
