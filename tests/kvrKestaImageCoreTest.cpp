#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "kvrCameraCalibration.h"
#include "kvrColorSpaces.h"
#include "kvrElvex.h"
#include "kvrError.h"
#include "kvrKestaImageCore.h"
#include "kvrKestaNormToneMapCurve.h"
#include "kvrKestaProcessBranch.h"
#include "kvrKestaToneMapCurve.h"
#include "kvrLut.h"
#include "kvrLutFunc.h"
#include "kvrMath.h"
#include "kvrPfwl.h"
#include "kvrQMapper.h"
#include "kvrTestSupport.h"
#include "kvrVideoCurve.h"

namespace Kalvora {
namespace {

constexpr unsigned int kB1 = 0x1000000;
constexpr unsigned int kB2 = 0x2000000;

using KalvoraTest::contains;
using KalvoraTest::ReportCapture;

class KestaTest : public testing::Test {
protected:
  static std::vector<std::string> reports() { return ReportCapture::messages(); }
  static std::string lastReport() { return ReportCapture::lastMessage(); }

private:
  ReportCapture capture_;
};

// Opens the hooks to the tests.
class OpenCore : public KestaImageCore {
public:
  using KestaImageCore::do_exportLut;
  using KestaImageCore::do_getLut;
  using KestaImageCore::do_getMatrix;
  using KestaImageCore::do_getRgbGainOffset;
  using KestaImageCore::do_getRgbLut;
  using KestaImageCore::handleModeChanged;
  using KestaImageCore::KestaImageCore;
  using KestaImageCore::splitId;
};

// The message of the kUnknownId signal an action throws.
template <class Action>
std::string unknownIdMessage(Action&& action) {
  try {
    action();
  } catch (const KvrSignal& signal) {
    EXPECT_EQ(signal.code(), kUnknownId);
    return signal.what();
  }
  return "no signal";
}

std::string hex(unsigned int id) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", id);
  return text;
}

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

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
using SystemRecord = std::unique_ptr<CameraSystemCalibrationRecord, FreeDeleter>;

// Three temperatures whose tint lines cross the locus; each row has its own
// matrix so that interpolation shows.
SystemRecord makeSystemCalibration() {
  SystemRecord record(CameraSystemCalibrationRecord::allocate(3));
  const CameraSystemCalibrationRecord::ColorConversionData rows[3] = {
      {2800, 1.30f, 2.60f, 1.0f, {}},
      {4300, 1.75f, 1.90f, 1.1f, {}},
      {6500, 2.20f, 1.45f, 1.2f, {}}};
  for (int i = 0; i < 3; ++i) {
    record->rows()[i] = rows[i];
    for (int k = 0; k < 9; ++k)
      record->rows()[i].matrix[k] = (k % 4 == 0 ? 1.0 : 0.0) + 0.01 * (i + 1) * k;
  }
  return record;
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

KestaNormToneMapCurve normalised(const LutFunc& curve, const Elvex& elvex) {
  KestaNormToneMapCurve norm(curve);
  norm.setRange(0.0012210012646391988, 1.0);
  norm.setDomain(elvex.getElvexParam().encodingBlack, std::min(1.0, elvex.getMaxValue()));
  return norm;
}

// ---- Pipeline description ---------------------------------------------------------

TEST_F(KestaTest, ModesAndTheirInitialValues) {
  KestaImageCore multi(1, kPipelineMultiBranch);
  const std::pair<unsigned int, bool> want[] = {
      {1, true},        {kB1 + 1, true},  {kB2 + 1, true},  {kB1 + 3, false}, {kB2 + 3, false},
      {kB1 + 2, false}, {kB2 + 2, false}, {kB1 + 4, false}, {kB2 + 4, false}};
  for (const auto& mode : want) {
    bool value = !mode.second;
    EXPECT_EQ(multi.getMode(mode.first, value), kNoError);
    EXPECT_EQ(value, mode.second) << std::hex << mode.first;
  }
  // No mode of branch 0 besides the video mode.
  for (unsigned int id : {2u, 3u, 4u}) EXPECT_NE(multi.setMode(id, true), kNoError);

  for (PipelineType type : {kPipelineSingleBranch, kPipelineOutputOnly}) {
    KestaImageCore core(1, type);
    bool video = false, p3 = true;
    core.getMode(1, video);
    core.getMode(2, p3);
    EXPECT_TRUE(video);
    EXPECT_FALSE(p3);
    EXPECT_EQ(core.setMode(3, true), kUnknownId);
  }
}

// ---- Ids ----------------------------------------------------------------------------

// Every hook and public operation refuses a branch the core does not have.
TEST_F(KestaTest, BranchesTheCoreDoesNotHaveAreUnknownIds) {
  const unsigned short user[2] = {0, 1023};
  double matrix[9];
  RgbGainOffset record = {{1, 1, 1}, {0, 0, 0}};
  bool has = false;
  OpenCore single(1, kPipelineSingleBranch), output(1, kPipelineOutputOnly),
      multi(1, kPipelineMultiBranch);
  const struct {
    OpenCore* core;
    std::vector<unsigned int> missing;
  } cases[] = {{&single, {kB1, kB2, 0xFF000000}}, {&output, {kB2}}, {&multi, {0x3000000}}};
  for (const auto& c : cases) {
    OpenCore& core = *c.core;
    for (unsigned int b : c.missing) {
      SCOPED_TRACE(testing::Message() << "type " << core.getPipelineType() << " branch " << hex(b));
      EXPECT_PRED2(contains, unknownIdMessage([&] { core.do_getLut(b + 8); }), "lut");
      EXPECT_PRED2(contains, unknownIdMessage([&] { core.do_getRgbLut(b + 10); }), "rgb");
      EXPECT_PRED2(contains, unknownIdMessage([&] { core.do_getMatrix(b + 9, matrix); }), "matrix");
      EXPECT_PRED2(contains, unknownIdMessage([&] { core.do_exportLut(b + 11); }), "3dlut");
      EXPECT_PRED2(contains, unknownIdMessage([&] { core.do_getRgbGainOffset(b + 7, record); }),
                   hex(b + 3001));
      EXPECT_EQ(core.setUserLut(b + 8, user, 2, 1023), kUnknownId);
      EXPECT_EQ(core.resetUserLut(b + 8), kUnknownId);
      EXPECT_EQ(core.hasUserLut(b + 8, has), kUnknownId);
      EXPECT_EQ(core.setMode(b + 1, false), kUnknownId);
      EXPECT_EQ(core.setParam(b + 3001, 0.1), kUnknownId);
    }
  }
  EXPECT_EQ(record.gain[0], 1.0);
  // Main-path nodes belong to branch 0 only; modes belong to their branch.
  EXPECT_EQ(multi.getMatrix(kB1 + 3, matrix), kUnknownId);
  EXPECT_THROW(multi.do_getLut(kB2 + 4), KvrSignal);
  for (unsigned int id : {0u, 5u, kB1 + 5, 0x3000001u}) {
    PipelineMode mode(id, true);
    EXPECT_THROW(multi.handleModeChanged(mode), KvrSignal) << std::hex << id;
  }
  // Branch 2 exists in the multi-branch core, also for the rendering.
  std::vector<double> cube(5 * 5 * 5 * 3);
  EXPECT_EQ(multi.export3dLut(kB2 + 11, 5, cube.data(), kLutPlanar), kNoError);
  EXPECT_EQ(multi.export3dLut(5, 5, cube.data(), kLutPlanar), kUnknownId);
  // The output-only core has no temperature for a camera matrix.
  EXPECT_EQ(output.getMatrix(3, matrix), kUnknownId);
}

// ---- Node values ----------------------------------------------------------------

TEST(KestaImageCoreNodes, LogEncodingAtTheExposureIndex) {
  KestaImageCore single(1, kPipelineSingleBranch);
  Elvex elvex(kestaElvexparam, 800.0);
  expectLut(single, 5, elvex);

  KestaImageCore multi(1, kPipelineMultiBranch);
  QMapper q;
  InverseLutFunc expand(q);
  LutComposite companded(elvex, expand);
  expectLut(multi, 4, q);
  expectLut(multi, 5, companded);
}

// Nodes 7 to 10 of each branch are those of a branch with the same settings.
TEST(KestaImageCoreNodes, BranchNodesFollowTheirOwnBranchSettings) {
  KestaImageCore core(1, kPipelineMultiBranch);
  ASSERT_EQ(core.setParam(kB1 + 3002, -0.25), kNoError);
  ASSERT_EQ(core.setParam(kB1 + 4001, 0.2), kNoError);
  ASSERT_EQ(core.setParam(kB1 + 4002, 0.9), kNoError);
  ASSERT_EQ(core.setParam(kB2 + 5040, 0.5), kNoError);
  ASSERT_EQ(core.setParam(kB2 + 5031, 0.2), kNoError);
  ASSERT_EQ(core.setMode(kB2 + 2, true), kNoError);
  Elvex elvex(kestaElvexparam, 800.0);
  KestaProcessBranch branches[3];
  for (KestaProcessBranch& branch : branches) branch.updateElvex(elvex);
  branches[1].setLogParameter(3002, -0.25);
  branches[1].setTonemapParam(0.2, 0.9);
  branches[2].setSaturation(0.5);
  branches[2].setVideoParameter(5031, 0.2);
  branches[2].setP3Output(true);
  for (unsigned int i = 0; i < 3; ++i) {
    const unsigned int b = i << 24;
    double want[9];
    branches[i].getColorSpaceMatrix(want);
    expectRgbLut(core, b + 7, branches[i].getLogLut());
    expectLut(core, b + 8, branches[i].getToneMapLut());
    expectMatrix(core, b + 9, want);
    expectRgbLut(core, b + 10, branches[i].getGammaLut());
  }
  // Branch 0 has the defaults: the neutral tone map and the Rec.709 matrix.
  expectLut(core, 8, normalised(KestaToneMapCurve(0.5, 0.5), elvex));
  expectMatrix(core, 9, gKestaWgTmRec709Mat);

  RgbGainOffset record = {{5, 5, 5}, {5, 5, 5}};
  ASSERT_EQ(core.getRgbGainOffset(kB1 + 7, record), kNoError);
  EXPECT_EQ(record.offset[0], 0.0);
  EXPECT_EQ(record.offset[1], -0.25);
  EXPECT_EQ(record.gain[0], 5.0);  // node 7 has no gains

  // The single-branch core's settings go to its only branch.
  KestaImageCore single(1, kPipelineSingleBranch);
  ASSERT_EQ(single.setMode(2, true), kNoError);
  expectMatrix(single, 9, gKestaWgTmP3Mat);
}

TEST(KestaImageCoreNodes, ExportRendersBranchZero) {
  KestaImageCore core(1, kPipelineSingleBranch);
  ASSERT_EQ(core.setParam(3001, 0.05), kNoError);
  ASSERT_EQ(core.setParam(5040, 1.3), kNoError);
  ASSERT_EQ(core.setParam(1001, 1600.0), kNoError);

  KestaProcessBranch branch;
  Elvex elvex(kestaElvexparam, 1600.0);
  branch.updateElvex(elvex);
  branch.setLogParameter(3001, 0.05);
  branch.setSaturation(1.3);
  branch.getGammaLut();

  const int n = 9;
  std::vector<double> got(n * n * n * 3), want(n * n * n * 3);
  ASSERT_EQ(core.export3dLut(11, n, got.data(), kLutPlanar), kNoError);
  branch.getVideoRenderLut().getTable(n, want.data(), kLutPlanar);
  EXPECT_EQ(got, want);
}

TEST(KestaImageCoreNodes, UpdateExposureIndexRetunesWithoutNotifying) {
  KestaImageCore core(1, kPipelineSingleBranch);
  const Revisions before = revisions(core);
  EXPECT_TRUE(core.updateExposureIndex(1600.0));
  EXPECT_FALSE(core.updateExposureIndex(1600.0));
  EXPECT_FALSE(core.updateExposureIndex(0.5));
  EXPECT_TRUE(bumps(core, before).empty());
  EXPECT_EQ(param(core, 1001), 800.0);
  Elvex elvex(kestaElvexparam, 1600.0);
  expectLut(core, 5, elvex);
  expectLut(core, 8, normalised(KestaToneMapCurve(0.5, 0.5), elvex));
}

// ---- Revisions ---------------------------------------------------------------------

TEST_F(KestaTest, ParameterChangesBumpTheNodesTheyAffect) {
  KestaImageCore core(1, kPipelineMultiBranch);
  const struct {
    unsigned int id;
    double value;
    Revisions moved;
  } cases[] = {
      {1001, 1600, {{5, 1}, {8, 1}, {kB1 + 8, 1}, {kB2 + 8, 1}}},
      {2001, 5600, {{2, 1}, {3, 1}}},
      {2003, 2, {{2, 1}, {3, 1}}},
      {2004, 2, {{2, 1}, {3, 1}}},
      {2005, 2, {{2, 1}, {3, 1}}},
      {kB1 + 3001, 0.1, {{kB1 + 7, 1}}},
      {kB2 + 3003, 0.1, {{kB2 + 7, 1}}},
      {4001, 0.3, {{8, 1}}},
      {kB2 + 4002, 0.3, {{kB2 + 8, 1}}},
      {kB1 + 5040, 0.3, {{kB1 + 9, 1}}},
      {5001, 1.5, {{10, 1}}},
      {kB2 + 5013, 0.1, {{kB2 + 10, 1}}},
      {kB1 + 5022, 1.2, {{kB1 + 10, 1}}},
      {5033, -0.1, {{10, 1}}},
  };
  for (const auto& c : cases) {
    Revisions before = revisions(core);
    ASSERT_EQ(core.setParam(c.id, c.value), kNoError) << c.id;
    EXPECT_EQ(bumps(core, before), c.moved) << std::hex << c.id;
  }
  // In false colour the exposure index also repaints the branch's log bands.
  ASSERT_EQ(core.setMode(kB2 + 3, true), kNoError);
  const Revisions before = revisions(core);
  ASSERT_EQ(core.setParam(1001, 400.0), kNoError);
  EXPECT_EQ(bumps(core, before),
            (Revisions{{5, 1}, {8, 1}, {kB1 + 8, 1}, {kB2 + 8, 1}, {kB2 + 10, 1}}));
}

TEST_F(KestaTest, FalseColourAndPlaybackFollowTheVideoMode) {
  KestaImageCore core(1, kPipelineMultiBranch);
  // Video mode on: every switch counts on nodes 9 and 10.
  Revisions before = revisions(core);
  ASSERT_EQ(core.setMode(kB2 + 3, true), kNoError);
  ASSERT_EQ(core.setMode(kB2 + 3, false), kNoError);
  EXPECT_EQ(bumps(core, before), (Revisions{{kB2 + 9, 2}, {kB2 + 10, 2}}));
  before = revisions(core);
  ASSERT_EQ(core.setMode(kB2 + 4, true), kNoError);
  EXPECT_EQ(bumps(core, before), (Revisions{{kB2 + 8, 1}, {kB2 + 9, 1}, {kB2 + 10, 1}}));

  // Log output: false colour on brings nodes 9 and 10 back, off bypasses them.
  ASSERT_EQ(core.setMode(kB2 + 1, false), kNoError);
  for (bool on : {true, false}) {
    before = revisions(core);
    ASSERT_EQ(core.setMode(kB2 + 3, on), kNoError);
    EXPECT_EQ(bumps(core, before), (Revisions{{kB2 + 9, 1}, {kB2 + 10, 1}}));
    EXPECT_EQ(core.needNode(kB2 + 10)->bypassed, !on);
  }
  // Playback off in log output without false colour: all stay bypassed.
  before = revisions(core);
  ASSERT_EQ(core.setMode(kB2 + 4, false), kNoError);
  EXPECT_TRUE(bumps(core, before).empty());

  // P3 output always counts on nodes 9 and 10.
  before = revisions(core);
  ASSERT_EQ(core.setMode(kB1 + 2, true), kNoError);
  EXPECT_EQ(bumps(core, before), (Revisions{{kB1 + 9, 1}, {kB1 + 10, 1}}));
  expectMatrix(core, kB1 + 9, gKestaWgTmP3Mat);

  // The single-branch core's modes act on branch 0.
  KestaImageCore single(1, kPipelineSingleBranch);
  before = revisions(single);
  ASSERT_EQ(single.setMode(2, true), kNoError);
  EXPECT_EQ(bumps(single, before), (Revisions{{9, 1}, {10, 1}}));
  before = revisions(single);
  ASSERT_EQ(single.setMode(1, false), kNoError);
  EXPECT_EQ(bumps(single, before), (Revisions{{8, 1}, {9, 1}, {10, 1}}));
  expectLut(single, 8, LutFunc::sUnity);
}

// ---- White balance -----------------------------------------------------------------

class WhiteBalanceTest : public KestaTest {
protected:
  WhiteBalanceTest() : calibration(makeSystemCalibration()), core(2, kPipelineSingleBranch) {}

  void select() {
    ASSERT_EQ(core.setSystemCalibration(0, *calibration), kNoError);
    ASSERT_EQ(core.useConfiguration(0), kNoError);
  }

  std::pair<double, double> gainsFor(double cct, double tint) {
    double red = 0.0, blue = 0.0;
    core.getWhiteBlanceGain(cct, tint, red, blue);
    return {red, blue};
  }

  // Sets the gains of the 4300 K row.
  void setRowGains() {
    ASSERT_EQ(core.setParam(2004, 1.75), kNoError);
    ASSERT_EQ(core.setParam(2005, double(1.90f)), kNoError);
  }

  SystemRecord calibration;
  KestaImageCore core;
};

TEST_F(WhiteBalanceTest, SelectingAConfigurationDerivesTheGains) {
  const Revisions before = revisions(core);
  select();
  EXPECT_EQ(bumps(core, before), (Revisions{{2, 1}, {3, 1}}));
  const auto gains = gainsFor(3200.0, 0.0);
  EXPECT_EQ(param(core, 2004), gains.first);
  EXPECT_EQ(param(core, 2005), gains.second);
  RgbGainOffset record = {{0, 0, 0}, {9, 9, 9}};
  ASSERT_EQ(core.getRgbGainOffset(2, record), kNoError);
  EXPECT_EQ(record.gain[0], gains.first);
  EXPECT_EQ(record.gain[1], 1.0);
  EXPECT_EQ(record.gain[2], gains.second);
  EXPECT_EQ(record.offset[0], 9.0);
}

TEST_F(WhiteBalanceTest, GainsSetLastGiveTheTemperature) {
  select();
  setRowGains();
  EXPECT_DOUBLE_EQ(core.getParameters()[1]->value, 4300.0);  // the list is brought up to date
  EXPECT_DOUBLE_EQ(param(core, 2001), 4300.0);
  EXPECT_DOUBLE_EQ(param(core, 2002), 4300.0);
  EXPECT_NEAR(param(core, 2003), 0.0, 1e-9);

  ASSERT_EQ(core.setParam(2004, 2.0), kNoError);
  double cct = 0.0, tint = 0.0;
  core.getWhiteBalanceCct(2.0, double(1.90f), cct, tint);
  EXPECT_EQ(param(core, 2001), cct);
  EXPECT_EQ(param(core, 2003), tint);
  EXPECT_GT(cct, 4300.0);
}

TEST_F(WhiteBalanceTest, TemperatureSetLastGivesTheGains) {
  select();
  ASSERT_EQ(core.setParam(2003, 1.5), kNoError);
  ASSERT_EQ(core.setParam(2001, 5600.0), kNoError);
  const auto gains = gainsFor(5600.0, 1.5);
  EXPECT_EQ(param(core, 2004), gains.first);
  EXPECT_EQ(param(core, 2005), gains.second);
  EXPECT_EQ(param(core, 2002), 5600.0);
  // The view read does not undo the setting.
  EXPECT_EQ(param(core, 2001), 5600.0);
  EXPECT_EQ(param(core, 2003), 1.5);

  double want[9];
  core.getColorMatrix(5600.0, want);
  expectMatrix(core, 3, want);
}

TEST_F(WhiteBalanceTest, OneHalfOfAStaleViewIsCompletedBeforeTheOtherViewTakesOver) {
  select();
  // Temperature, then only the red gain: the blue gain is the one of 6000 K.
  ASSERT_EQ(core.setParam(2001, 6000.0), kNoError);
  ASSERT_EQ(core.setParam(2004, 2.1), kNoError);
  EXPECT_EQ(param(core, 2005), gainsFor(6000.0, 0.0).second);
  EXPECT_EQ(param(core, 2004), 2.1);

  // Gains, then only the tint: the temperature is the one of the gains.
  setRowGains();
  ASSERT_EQ(core.setParam(2003, 2.0), kNoError);
  EXPECT_DOUBLE_EQ(param(core, 2001), 4300.0);
  EXPECT_EQ(param(core, 2003), 2.0);
  EXPECT_EQ(param(core, 2004), gainsFor(param(core, 2001), 2.0).first);
}

TEST_F(WhiteBalanceTest, GainsOutsideTheCalibrationKeepTheTint) {
  select();
  ASSERT_EQ(core.setParam(2003, 3.0), kNoError);
  EXPECT_EQ(param(core, 2003), 3.0);
  // Much red gain balances light bluer than the calibration; much blue gain
  // light redder than it.
  const double cases[][3] = {{4.0, 0.9, 11000.0}, {0.9, 4.0, 2000.0}};
  for (const auto& c : cases) {
    ASSERT_EQ(core.setParam(2004, c[0]), kNoError);
    ASSERT_EQ(core.setParam(2005, c[1]), kNoError);
    EXPECT_EQ(param(core, 2002), 0.0);
    EXPECT_EQ(param(core, 2001), c[2]);
    EXPECT_EQ(param(core, 2003), 3.0);
  }
  // A new configuration keeps such gains: there is no temperature to follow.
  ASSERT_EQ(core.setSystemCalibration(1, *calibration), kNoError);
  const Revisions before = revisions(core);
  ASSERT_EQ(core.useConfiguration(1), kNoError);
  EXPECT_EQ(bumps(core, before), (Revisions{{3, 1}}));
  EXPECT_EQ(param(core, 2004), 0.9);
}

TEST_F(WhiteBalanceTest, WithoutCalibrationTheDerivedViewFails) {
  ASSERT_EQ(core.setParam(2004, 2.0), kNoError);
  double value = 0.0;
  EXPECT_EQ(core.getParam(2001, value), kMissingCalibration);
  EXPECT_EQ(lastReport(), "No valid optical configuration");
  double matrix[9];
  EXPECT_EQ(core.getMatrix(3, matrix), kMissingCalibration);
  // Once calibrated, the pending derivation happens.
  select();
  EXPECT_GT(param(core, 2001), 4300.0);
  EXPECT_EQ(param(core, 2004), 2.0);
}

TEST_F(WhiteBalanceTest, ColourTemperatureAndTintStoreGainsDirectly) {
  select();
  const Revisions before = revisions(core);
  ASSERT_EQ(core.updateColorTempAndTint(5000.0, -2.0), kNoError);
  const auto gains = gainsFor(5000.0, -2.0);
  EXPECT_EQ(param(core, 2004), gains.first);
  EXPECT_EQ(param(core, 2005), gains.second);
  EXPECT_TRUE(bumps(core, before).empty());

  KestaImageCore uncalibrated(1, kPipelineSingleBranch);
  EXPECT_EQ(uncalibrated.updateColorTempAndTint(5000.0, 0.0), kMissingCalibration);
  KestaImageCore output(1, kPipelineOutputOnly);
  ASSERT_EQ(output.setSystemCalibration(0, *calibration), kNoError);
  ASSERT_EQ(output.useConfiguration(0), kNoError);
  EXPECT_EQ(output.updateColorTempAndTint(5000.0, 0.0), kUnknownId);
}

// ---- User tone tables ----------------------------------------------------------------

TEST_F(KestaTest, UserTablesBelongToTheirBranch) {
  KestaImageCore core(1, kPipelineMultiBranch);
  const unsigned short table[4] = {0, 300, 700, 1000};
  const Revisions before = revisions(core);
  ASSERT_EQ(core.setUserLut(kB1 + 8, table, 4, 1000), kNoError);
  EXPECT_TRUE(bumps(core, before).empty());

  Elvex elvex(kestaElvexparam, 800.0);
  Lut user(table, 4, 1000);
  KestaToneMapCurve neutral(0.5, 0.5);
  expectLut(core, kB1 + 8, normalised(user, elvex));
  expectLut(core, 8, normalised(neutral, elvex));
  expectLut(core, kB2 + 8, normalised(neutral, elvex));
  bool has = false;
  ASSERT_EQ(core.hasUserLut(kB1 + 8, has), kNoError);
  EXPECT_TRUE(has);
  ASSERT_EQ(core.hasUserLut(kB2 + 8, has), kNoError);
  EXPECT_FALSE(has);

  ASSERT_EQ(core.resetUserLut(kB1 + 8), kNoError);
  ASSERT_EQ(core.hasUserLut(kB1 + 8, has), kNoError);
  EXPECT_FALSE(has);
  expectLut(core, kB1 + 8, normalised(neutral, elvex));

  for (unsigned int id : {7u, 9u, 5u, kB2 + 10}) {
    EXPECT_EQ(core.setUserLut(id, table, 4, 1000), kUnknownId);
    EXPECT_EQ(core.resetUserLut(id), kUnknownId);
    EXPECT_EQ(core.hasUserLut(id, has), kUnknownId);
  }
}

}  // namespace
}  // namespace Kalvora
