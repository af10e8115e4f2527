#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
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

// ---- Helpers ----------------------------------------------------------------------

// Records every report so that a test can check what was said.
class ReportLog : public testing::Test {
protected:
  static std::vector<std::string> reports() { return KalvoraTest::ReportCapture::messages(); }
  static std::string lastReport() { return KalvoraTest::ReportCapture::lastMessage(); }

private:
  KalvoraTest::ReportCapture capture_;
};

// Opens the hooks and the branch-id split to the tests.
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

bool bypassed(const Kalvora& core, unsigned int id) {
  for (int i = 0; i < core.getNumNodes(); ++i)
    if (core.getPipeline()[i]->id == id) return core.getPipeline()[i]->bypassed;
  ADD_FAILURE() << "no node " << id;
  return false;
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
  const struct {
    int cct;
    float red, blue, slope;
  } rows[3] = {{2800, 1.30f, 2.60f, 1.0f}, {4300, 1.75f, 1.90f, 1.1f}, {6500, 2.20f, 1.45f, 1.2f}};
  for (int i = 0; i < 3; ++i) {
    auto& row = record->rows()[i];
    row.cct = rows[i].cct;
    row.gainRed = rows[i].red;
    row.gainBlue = rows[i].blue;
    row.slope = rows[i].slope;
    for (int k = 0; k < 9; ++k) row.matrix[k] = (k % 4 == 0 ? 1.0 : 0.0) + 0.01 * (i + 1) * k;
  }
  return record;
}

void expectLut(KestaImageCore& core, unsigned int id, const LutFunc& want) {
  std::vector<double> got(1024), expected(1024);
  ASSERT_EQ(core.getLut(id, 1024, got.data()), kNoError) << std::hex << id;
  want.getTable(1024, expected.data());
  for (int i = 0; i < 1024; ++i) ASSERT_EQ(got[i], expected[i]) << std::hex << id << " " << i;
}

KestaNormToneMapCurve normalised(const LutFunc& curve, const Elvex& elvex) {
  KestaNormToneMapCurve norm(curve);
  norm.setRange(0.0012210012646391988, 1.0);
  norm.setDomain(elvex.getElvexParam().encodingBlack, std::min(1.0, elvex.getMaxValue()));
  return norm;
}

class QuietTest : public ReportLog {};

// ---- Pipeline description ---------------------------------------------------------

struct NodeRow {
  unsigned int id, input;
  int type;
};

void expectNodes(PipelineNode* const* nodes, int count, const std::vector<NodeRow>& want) {
  ASSERT_EQ(count, static_cast<int>(want.size()));
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(nodes[i]->id, want[i].id) << i;
    EXPECT_EQ(nodes[i]->input, want[i].input) << i;
    EXPECT_EQ(nodes[i]->type, want[i].type) << i;
    EXPECT_EQ(nodes[i]->revision, 0u);
    EXPECT_FALSE(nodes[i]->bypassed);
  }
}

std::vector<NodeRow> branchNodes(unsigned int b, unsigned int input) {
  return {{b + 7, input, 0x22}, {b + 8, b + 7, 0x10}, {b + 9, b + 8, 0x31}, {b + 10, b + 9, 0x20}};
}

TEST(KestaImageCorePipeline, MultiBranchHasSeventeenNodesAndNoExports) {
  KestaImageCore core(1, kPipelineMultiBranch);
  ASSERT_TRUE(core.good());
  EXPECT_EQ(core.getPipelineType(), kPipelineMultiBranch);
  EXPECT_EQ(core.getBranchCount(), 3);
  std::vector<NodeRow> want = {
      {2, 0, 0x21}, {3, 2, 0x31}, {4, 3, 0x10}, {5, 4, 0x10}, {6, 5, 0x110}};
  for (unsigned int b : {0u, kB1, kB2})
    for (const NodeRow& row : branchNodes(b, 6)) want.push_back(row);
  expectNodes(core.getPipeline(), core.getNumNodes(), want);
  EXPECT_EQ(core.getNumExports(), 0);
}

TEST(KestaImageCorePipeline, SingleBranchAndOutputOnlyExportTheRendering) {
  KestaImageCore single(1, kPipelineSingleBranch);
  ASSERT_TRUE(single.good());
  EXPECT_EQ(single.getBranchCount(), 1);
  std::vector<NodeRow> want = {
      {1, 0, 0x120}, {2, 1, 0x21}, {3, 2, 0x31}, {5, 3, 0x10}, {6, 5, 0x110}};
  for (const NodeRow& row : branchNodes(0, 6)) want.push_back(row);
  expectNodes(single.getPipeline(), single.getNumNodes(), want);
  expectNodes(single.getExports(), single.getNumExports(), {{11, 5, 0x30}});

  KestaImageCore output(0, kPipelineOutputOnly);
  ASSERT_TRUE(output.good());
  expectNodes(output.getPipeline(), output.getNumNodes(), branchNodes(0, 0));
  expectNodes(output.getExports(), output.getNumExports(), {{11, 5, 0x30}});
}

struct ParamRow {
  unsigned int id;
  double value, minimum, maximum;
  int persistence;
  bool readOnly;
};

std::vector<ParamRow> branchParameters(unsigned int b) {
  std::vector<ParamRow> rows = {{b + 3001, 0, -1, 1, 1, false},
                                {b + 3002, 0, -1, 1, 1, false},
                                {b + 3003, 0, -1, 1, 1, false},
                                {b + 4002, 0.5, 0, 1, 1, false},
                                {b + 4001, 0.5, 0, 1, 1, false}};
  for (unsigned int id = 5001; id <= 5003; ++id) rows.push_back({b + id, 1, 0.5, 2, 1, false});
  for (unsigned int id = 5011; id <= 5013; ++id) rows.push_back({b + id, 0, -0.5, 0.5, 1, false});
  for (unsigned int id = 5021; id <= 5023; ++id) rows.push_back({b + id, 1, 0.5, 2, 1, false});
  for (unsigned int id = 5031; id <= 5033; ++id) rows.push_back({b + id, 0, -0.3, 0.3, 1, false});
  rows.push_back({b + 5040, 1, 0, 2, 1, false});
  return rows;
}

void expectParameters(KestaImageCore& core, const std::vector<ParamRow>& want) {
  ASSERT_EQ(core.getNumParameters(), static_cast<int>(want.size()));
  PipelineParameter* const* parameters = core.getParameters();
  for (std::size_t i = 0; i < want.size(); ++i) {
    const PipelineParameter& p = *parameters[i];
    EXPECT_EQ(p.id, want[i].id) << i;
    EXPECT_EQ(p.value, want[i].value) << i;
    EXPECT_EQ(p.defaultValue, want[i].value) << i;
    EXPECT_EQ(p.minimum, want[i].minimum) << i;
    EXPECT_EQ(p.maximum, want[i].maximum) << i;
    EXPECT_EQ(p.persistence, want[i].persistence) << i;
    EXPECT_EQ(p.readOnly, want[i].readOnly) << i;
  }
}

TEST(KestaImageCorePipeline, ParametersInArrayOrderForEveryType) {
  const std::vector<ParamRow> head = {
      {1001, 800, 50, 3200, 2, false},    {2001, 3200, 2000, 11000, 0, false},
      {2002, 3200, 2000, 11000, 0, true}, {2003, 0, -16, 16, 0, false},
      {2004, 1, 0.9, 4, 2, false},        {2005, 1, 0.9, 4, 2, false}};
  std::vector<ParamRow> multi = head;
  for (unsigned int b : {0u, kB1, kB2})
    for (const ParamRow& row : branchParameters(b)) multi.push_back(row);
  KestaImageCore multiCore(1, kPipelineMultiBranch);
  ASSERT_EQ(multi.size(), 60u);
  expectParameters(multiCore, multi);

  std::vector<ParamRow> single = head;
  for (const ParamRow& row : branchParameters(0)) single.push_back(row);
  KestaImageCore singleCore(1, kPipelineSingleBranch);
  ASSERT_EQ(single.size(), 24u);
  expectParameters(singleCore, single);

  std::vector<ParamRow> output = {head[0]};
  for (const ParamRow& row : branchParameters(0)) output.push_back(row);
  KestaImageCore outputCore(1, kPipelineOutputOnly);
  ASSERT_EQ(output.size(), 19u);
  expectParameters(outputCore, output);
  EXPECT_EQ(outputCore.getNumParametersToSave(true), 19);
  EXPECT_EQ(outputCore.getNumParametersToSave(false), 18);
}

TEST_F(QuietTest, ModesAndTheirInitialValues) {
  KestaImageCore multi(1, kPipelineMultiBranch);
  const std::vector<std::pair<unsigned int, bool>> want = {
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

TEST(KestaImageCorePipeline, AnUnknownPipelineTypeLeavesTheCoreNotGood) {
  std::vector<std::string> said;
  static std::vector<std::string>* sink = nullptr;
  sink = &said;
  ErrorHandler previous = setErrorHandler([](const char*, const char* format, va_list args) {
    char text[200];
    std::vsnprintf(text, sizeof text, format, args);
    sink->push_back(text);
  });
  KestaImageCore core(1, PipelineType(9));
  setErrorHandler(previous);
  EXPECT_FALSE(core.good());
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0], "initialization of KestaImageCore failed");
}

// ---- Branch ids ---------------------------------------------------------------

TEST(KestaImageCoreIds, SplitIdKeepsTheBranchWordUnshifted) {
  OpenCore core(1, kPipelineMultiBranch);
  unsigned int id = 0x2000009, branch = 7;
  core.splitId(id, branch);
  EXPECT_EQ(id, 9u);
  EXPECT_EQ(branch, 0x2000000u);
  id = 0xFF123456;
  core.splitId(id, branch);
  EXPECT_EQ(id, 0x123456u);
  EXPECT_EQ(branch, 0xFF000000u);
  id = 11;
  core.splitId(id, branch);
  EXPECT_EQ(id, 11u);
  EXPECT_EQ(branch, 0u);
}

class IdTest : public ReportLog {};

TEST_F(IdTest, BranchesTheCoreDoesNotHaveAreUnknownIds) {
  std::vector<double> table(256 * 3);
  std::vector<double> cube(5 * 5 * 5 * 3);
  double matrix[9];
  RgbGainOffset record = {{1, 1, 1}, {0, 0, 0}};
  unsigned short user[2] = {0, 1023};
  bool has = false;

  OpenCore single(1, kPipelineSingleBranch);
  EXPECT_EQ(single.getLut(kB1 + 8, 256, table.data()), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown node 1000008");
  EXPECT_EQ(single.getRgbLut(kB1 + 10, 256, table.data(), kLutPlanar), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown node 100000a");
  EXPECT_EQ(single.export3dLut(kB1 + 11, 5, cube.data(), kLutPlanar), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown 3dlut node");
  EXPECT_EQ(single.getMatrix(kB1 + 9, matrix), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown matrix node");
  EXPECT_EQ(single.getRgbGainOffset(kB1 + 7, record), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown parameter 1000bb9");
  EXPECT_EQ(single.setUserLut(kB1 + 8, user, 2, 1023), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown lut node");
  EXPECT_EQ(single.resetUserLut(kB2 + 8), kUnknownId);
  EXPECT_EQ(single.hasUserLut(kB1 + 8, has), kUnknownId);
  EXPECT_EQ(single.setMode(kB1 + 1, false), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown mode 1000001");
  EXPECT_EQ(single.setParam(kB1 + 3001, 0.1), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown parameter 1000bb9");

  // The hooks themselves refuse, whatever the public checks in front of them.
  for (unsigned int id : {kB1 + 8, kB2 + 8, 0x3000008u, 0xFF000008u}) {
    EXPECT_THROW(single.do_getLut(id), KvrSignal) << std::hex << id;
    EXPECT_THROW(single.do_getRgbLut(id + 2), KvrSignal);
    EXPECT_THROW(single.do_getMatrix(id + 1, matrix), KvrSignal);
    EXPECT_THROW(single.do_exportLut(id + 3), KvrSignal);
    EXPECT_THROW(single.do_getRgbGainOffset(id - 1, record), KvrSignal);
  }
  try {
    single.do_getLut(kB1 + 8);
  } catch (const KvrSignal& signal) {
    EXPECT_EQ(signal.code(), kUnknownId);
    EXPECT_STREQ(signal.what(), "Unknown lut node");
  }
  try {
    single.do_getRgbLut(kB1 + 7);
  } catch (const KvrSignal& signal) {
    EXPECT_EQ(signal.code(), kUnknownId);
    EXPECT_STREQ(signal.what(), "Unknown rgb lut node");
  }

  OpenCore output(1, kPipelineOutputOnly);
  EXPECT_EQ(output.export3dLut(kB2 + 11, 5, cube.data(), kLutPlanar), kUnknownId);
  EXPECT_EQ(output.setUserLut(kB2 + 8, user, 2, 1023), kUnknownId);
  EXPECT_THROW(output.do_getLut(kB1 + 8), KvrSignal);

  OpenCore multi(1, kPipelineMultiBranch);
  for (unsigned int b : {0x3000000u, 0x80000000u, 0xFF000000u}) {
    EXPECT_EQ(multi.export3dLut(b + 11, 5, cube.data(), kLutPlanar), kUnknownId);
    EXPECT_EQ(multi.getMatrix(b + 9, matrix), kUnknownId);
    EXPECT_EQ(multi.getRgbGainOffset(b + 7, record), kUnknownId);
    EXPECT_EQ(multi.setUserLut(b + 8, user, 2, 1023), kUnknownId);
    EXPECT_THROW(multi.do_getLut(b + 8), KvrSignal);
    EXPECT_THROW(multi.do_getRgbLut(b + 10), KvrSignal);
  }
  // Branch 2 exists in the multi-branch core, also for the rendering.
  EXPECT_EQ(multi.export3dLut(kB2 + 11, 5, cube.data(), kLutPlanar), kNoError);
  EXPECT_EQ(record.offset[0], 0.0);
  EXPECT_EQ(record.gain[0], 1.0);
}

TEST_F(IdTest, ModeHandlerKnowsFourLocalModes) {
  OpenCore core(1, kPipelineMultiBranch);
  for (unsigned int id : {0u, 5u, kB1 + 5, kB2 + 0x10}) {
    PipelineMode mode(id, true);
    try {
      core.handleModeChanged(mode);
      ADD_FAILURE() << std::hex << id;
    } catch (const KvrSignal& signal) {
      EXPECT_EQ(signal.code(), kUnknownId);
      EXPECT_STREQ(signal.what(), "Unknown mode");
    }
  }
  PipelineMode beyond(0x3000001, true);
  EXPECT_THROW(core.handleModeChanged(beyond), KvrSignal);
}

TEST_F(IdTest, MainPathNodesBelongToBranchZeroOnly) {
  OpenCore multi(1, kPipelineMultiBranch);
  double matrix[9];
  EXPECT_EQ(multi.getMatrix(kB1 + 3, matrix), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown matrix node");
  EXPECT_THROW(multi.do_getLut(kB1 + 5), KvrSignal);
  EXPECT_THROW(multi.do_getLut(kB2 + 4), KvrSignal);
  EXPECT_EQ(multi.export3dLut(5, 5, std::vector<double>(375).data(), kLutPlanar), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown 3dlut node");
  // Nodes without gains or offsets leave the record alone, without an error.
  RgbGainOffset record = {{7, 7, 7}, {7, 7, 7}};
  EXPECT_EQ(multi.getRgbGainOffset(kB1 + 9, record), kNoError);
  EXPECT_EQ(multi.getRgbGainOffset(kB1 + 2, record), kNoError);
  EXPECT_EQ(record.gain[1], 7.0);
  EXPECT_EQ(record.offset[2], 7.0);
}

TEST_F(IdTest, UnknownNodesOfTheHooksReportTheirKind) {
  KestaImageCore core(1, kPipelineSingleBranch);
  double matrix[9];
  EXPECT_EQ(core.getMatrix(10, matrix), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown matrix node");
  // A matrix node asked for as a 1-D table is refused by the node check.
  std::vector<double> table(256);
  EXPECT_EQ(core.getLut(9, 256, table.data()), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown node 9");

  KestaImageCore output(1, kPipelineOutputOnly);
  EXPECT_EQ(output.getMatrix(3, matrix), kUnknownId);
  EXPECT_EQ(lastReport(), "Unknown parameter 7d1");
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

  // Integer form: every entry follows the 16-bit code rule.
  std::vector<unsigned short> codes(1024);
  ASSERT_EQ(single.getLut(5, 1024, codes.data(), 4095), kNoError);
  double x = 0.0;
  for (int i = 0; i < 1024; ++i, x += 1.0 / 1023)
    ASSERT_EQ(codes[i], toCode16(elvex.transform(x), 4095)) << i;
}

TEST(KestaImageCoreNodes, BranchNodesMatchTheCurveClasses) {
  KestaImageCore core(1, kPipelineMultiBranch);
  Elvex elvex(kestaElvexparam, 800.0);
  KestaToneMapCurve neutral(0.5, 0.5);
  for (unsigned int b : {0u, kB1, kB2}) {
    expectLut(core, b + 8, normalised(neutral, elvex));
    double matrix[9];
    ASSERT_EQ(core.getMatrix(b + 9, matrix), kNoError);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(matrix[i], gKestaWgTmRec709Mat[i]);
  }

  // Node 10 in integer planar form: the inverse video gamma per channel.
  std::vector<unsigned short> codes(3 * 256);
  ASSERT_EQ(core.getRgbLut(kB2 + 10, 256, codes.data(), kLutPlanar, 1023), kNoError);
  double x = 0.0;
  for (int i = 0; i < 256; ++i, x += 1.0 / 255) {
    const unsigned short want = toCode16(Pfwl::sGamma24.inverse(x), 1023);
    ASSERT_EQ(codes[i], want) << i;
    ASSERT_EQ(codes[256 + i], want) << i;
    ASSERT_EQ(codes[512 + i], want) << i;
  }

  // Node 7: the log offsets as curves and as offsets.
  ASSERT_EQ(core.setParam(kB1 + 3002, -0.25), kNoError);
  std::vector<double> rgb(3 * 256);
  ASSERT_EQ(core.getRgbLut(kB1 + 7, 256, rgb.data(), kLutInterleaved), kNoError);
  LutFuncCdl greenOffset(1.0, -0.25, 1.0);
  x = 0.0;
  for (int i = 0; i < 256; ++i, x += 1.0 / 255) {
    ASSERT_EQ(rgb[3 * i], x);
    ASSERT_EQ(rgb[3 * i + 1], greenOffset.transform(x));
  }
  RgbGainOffset record = {{5, 5, 5}, {5, 5, 5}};
  ASSERT_EQ(core.getRgbGainOffset(kB1 + 7, record), kNoError);
  EXPECT_EQ(record.offset[0], 0.0);
  EXPECT_EQ(record.offset[1], -0.25);
  EXPECT_EQ(record.gain[0], 5.0);  // node 7 has no gains
}

TEST(KestaImageCoreNodes, SettingsReachTheirBranchOnly) {
  KestaImageCore core(1, kPipelineMultiBranch);
  Elvex elvex(kestaElvexparam, 800.0);
  ASSERT_EQ(core.setParam(kB1 + 4001, 0.2), kNoError);
  ASSERT_EQ(core.setParam(kB1 + 4002, 0.9), kNoError);
  KestaToneMapCurve shaped(0.2, 0.9), neutral(0.5, 0.5);
  expectLut(core, kB1 + 8, normalised(shaped, elvex));
  expectLut(core, 8, normalised(neutral, elvex));
  expectLut(core, kB2 + 8, normalised(neutral, elvex));

  ASSERT_EQ(core.setParam(kB2 + 5040, 0.5), kNoError);
  double matrix[9], want[9];
  satRgbMat(gKestaWgTmRec709Mat, gLumaFactors, 0.5, want);
  ASSERT_EQ(core.getMatrix(kB2 + 9, matrix), kNoError);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(matrix[i], want[i]);
  ASSERT_EQ(core.getMatrix(kB1 + 9, matrix), kNoError);
  EXPECT_EQ(matrix[0], gKestaWgTmRec709Mat[0]);

  ASSERT_EQ(core.setParam(kB2 + 5031, 0.2), kNoError);  // red pedestal
  std::vector<double> rgb(3 * 256);
  ASSERT_EQ(core.getRgbLut(kB2 + 10, 256, rgb.data(), kLutInterleaved), kNoError);
  VideoCurve pedestal;
  pedestal.setPedestal(0.2);
  EXPECT_EQ(rgb[0], pedestal.transform(Pfwl::sGamma24.inverse(0.0)));
  EXPECT_EQ(rgb[1], 0.0);

  // The same setting on the single branch core goes to its only branch.
  KestaImageCore single(1, kPipelineSingleBranch);
  ASSERT_EQ(single.setMode(2, true), kNoError);
  ASSERT_EQ(single.getMatrix(9, matrix), kNoError);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(matrix[i], gKestaWgTmP3Mat[i]);
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
  for (std::size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], want[i]) << i;

  std::vector<unsigned short> codes(n * n * n * 3);
  ASSERT_EQ(core.export3dLut(11, n, codes.data(), kLutPlanar, 65535), kNoError);
  for (std::size_t i = 0; i < got.size(); ++i) ASSERT_EQ(codes[i], toCode16(got[i], 65535)) << i;
}

// ---- Exposure index -----------------------------------------------------------------

TEST(KestaImageCoreExposure, UpdateExposureIndexRetunesWithoutNotifying) {
  KestaImageCore core(1, kPipelineSingleBranch);
  const Revisions before = revisions(core);
  EXPECT_TRUE(core.updateExposureIndex(1600.0));
  EXPECT_FALSE(core.updateExposureIndex(1600.0));
  EXPECT_FALSE(core.updateExposureIndex(0.5));
  EXPECT_TRUE(bumps(core, before).empty());
  EXPECT_EQ(param(core, 1001), 800.0);
  Elvex elvex(kestaElvexparam, 1600.0);
  expectLut(core, 5, elvex);
  KestaToneMapCurve neutral(0.5, 0.5);
  expectLut(core, 8, normalised(neutral, elvex));
}

// ---- Revisions ---------------------------------------------------------------------

class RevisionTest : public ReportLog {};

TEST_F(RevisionTest, ParameterChangesBumpTheNodesTheyAffect) {
  KestaImageCore core(1, kPipelineMultiBranch);
  struct Case {
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
  for (const Case& c : cases) {
    Revisions before = revisions(core);
    ASSERT_EQ(core.setParam(c.id, c.value), kNoError) << c.id;
    EXPECT_EQ(bumps(core, before), c.moved) << std::hex << c.id;
    // The same value again changes nothing.
    before = revisions(core);
    ASSERT_EQ(core.setParam(c.id, c.value), kNoError);
    EXPECT_TRUE(bumps(core, before).empty()) << std::hex << c.id;
  }
  // Resetting counts as a change as well.
  Revisions before = revisions(core);
  ASSERT_EQ(core.resetParam(kB1 + 5040), kNoError);
  EXPECT_EQ(bumps(core, before), (Revisions{{kB1 + 9, 1}}));
}

TEST_F(RevisionTest, ExposureIndexRepaintsBranchesInFalseColour) {
  KestaImageCore core(1, kPipelineMultiBranch);
  ASSERT_EQ(core.setMode(kB2 + 3, true), kNoError);
  const Revisions before = revisions(core);
  ASSERT_EQ(core.setParam(1001, 400.0), kNoError);
  EXPECT_EQ(bumps(core, before),
            (Revisions{{5, 1}, {8, 1}, {kB1 + 8, 1}, {kB2 + 8, 1}, {kB2 + 10, 1}}));
}

TEST_F(RevisionTest, VideoModeOffBypassesOnceAndOnCountsAgain) {
  KestaImageCore core(1, kPipelineMultiBranch);
  Revisions before = revisions(core);
  ASSERT_EQ(core.setMode(kB1 + 1, false), kNoError);
  EXPECT_EQ(bumps(core, before), (Revisions{{kB1 + 8, 1}, {kB1 + 9, 1}, {kB1 + 10, 1}}));
  EXPECT_TRUE(bypassed(core, kB1 + 8));
  EXPECT_TRUE(bypassed(core, kB1 + 10));
  EXPECT_FALSE(bypassed(core, 8));

  // Playback in log output changes nothing visible: node 8 stays bypassed.
  before = revisions(core);
  ASSERT_EQ(core.setMode(kB1 + 4, true), kNoError);
  ASSERT_EQ(core.setMode(kB1 + 4, false), kNoError);
  EXPECT_TRUE(bumps(core, before).empty());
  // A tone-map parameter still counts.
  ASSERT_EQ(core.setParam(kB1 + 4001, 0.7), kNoError);
  EXPECT_EQ(bumps(core, before), (Revisions{{kB1 + 8, 1}}));

  before = revisions(core);
  ASSERT_EQ(core.setMode(kB1 + 1, true), kNoError);
  EXPECT_EQ(bumps(core, before), (Revisions{{kB1 + 8, 1}, {kB1 + 9, 1}, {kB1 + 10, 1}}));
  EXPECT_FALSE(bypassed(core, kB1 + 9));

  // Setting a mode to the value it has changes nothing.
  before = revisions(core);
  ASSERT_EQ(core.setMode(kB1 + 1, true), kNoError);
  EXPECT_TRUE(bumps(core, before).empty());
}

TEST_F(RevisionTest, FalseColourAndPlaybackFollowTheVideoMode) {
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
  before = revisions(core);
  ASSERT_EQ(core.setMode(kB2 + 3, true), kNoError);
  EXPECT_EQ(bumps(core, before), (Revisions{{kB2 + 9, 1}, {kB2 + 10, 1}}));
  EXPECT_FALSE(bypassed(core, kB2 + 10));
  before = revisions(core);
  ASSERT_EQ(core.setMode(kB2 + 3, false), kNoError);
  EXPECT_EQ(bumps(core, before), (Revisions{{kB2 + 9, 1}, {kB2 + 10, 1}}));
  EXPECT_TRUE(bypassed(core, kB2 + 10));
  // Playback off in log output without false colour: all stay bypassed.
  before = revisions(core);
  ASSERT_EQ(core.setMode(kB2 + 4, false), kNoError);
  EXPECT_TRUE(bumps(core, before).empty());

  // P3 output always counts on nodes 9 and 10.
  before = revisions(core);
  ASSERT_EQ(core.setMode(kB1 + 2, true), kNoError);
  EXPECT_EQ(bumps(core, before), (Revisions{{kB1 + 9, 1}, {kB1 + 10, 1}}));
  double matrix[9];
  ASSERT_EQ(core.getMatrix(kB1 + 9, matrix), kNoError);
  EXPECT_EQ(matrix[4], gKestaWgTmP3Mat[4]);
}

TEST_F(RevisionTest, SingleBranchModesUseBranchZero) {
  KestaImageCore core(1, kPipelineSingleBranch);
  Revisions before = revisions(core);
  ASSERT_EQ(core.setMode(2, true), kNoError);
  EXPECT_EQ(bumps(core, before), (Revisions{{9, 1}, {10, 1}}));
  before = revisions(core);
  ASSERT_EQ(core.setMode(1, false), kNoError);
  EXPECT_EQ(bumps(core, before), (Revisions{{8, 1}, {9, 1}, {10, 1}}));
  expectLut(core, 8, LutFunc::sUnity);
}

// ---- Read-only and failing parameters -------------------------------------------------

TEST_F(RevisionTest, ReadOnlyTemperatureIsReportedThenUnknownToTheHandler) {
  KestaImageCore core(1, kPipelineSingleBranch);
  testing::internal::CaptureStdout();
  EXPECT_EQ(core.setParam(2002, 3000.0), kUnknownId);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ID 2002 value 3000\n");
  ASSERT_EQ(reports().size(), 2u);
  EXPECT_EQ(reports()[0], "parameter is read only");
  EXPECT_EQ(reports()[1], "Unknown parameter");
  EXPECT_EQ(param(core, 2002), 3000.0);
  EXPECT_EQ(core.setParamSilent(2002, 4000.0), kReadOnly);
  EXPECT_EQ(param(core, 2002), 3000.0);
}

// ---- White balance -----------------------------------------------------------------

class WhiteBalanceTest : public ReportLog {
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
  ASSERT_EQ(core.setParam(2004, 1.75), kNoError);
  ASSERT_EQ(core.setParam(2005, double(1.90f)), kNoError);
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

  double matrix[9], want[9];
  core.getColorMatrix(5600.0, want);
  ASSERT_EQ(core.getMatrix(3, matrix), kNoError);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(matrix[i], want[i]);
}

TEST_F(WhiteBalanceTest, OneHalfOfAStaleViewIsCompletedBeforeTheOtherViewTakesOver) {
  select();
  // Temperature, then only the red gain: the blue gain is the one of 6000 K.
  ASSERT_EQ(core.setParam(2001, 6000.0), kNoError);
  ASSERT_EQ(core.setParam(2004, 2.1), kNoError);
  EXPECT_EQ(param(core, 2005), gainsFor(6000.0, 0.0).second);
  EXPECT_EQ(param(core, 2004), 2.1);

  // Gains, then only the tint: the temperature is the one of the gains.
  ASSERT_EQ(core.setParam(2004, 1.75), kNoError);
  ASSERT_EQ(core.setParam(2005, double(1.90f)), kNoError);
  ASSERT_EQ(core.setParam(2003, 2.0), kNoError);
  EXPECT_DOUBLE_EQ(param(core, 2001), 4300.0);
  EXPECT_EQ(param(core, 2003), 2.0);
  const auto gains = gainsFor(param(core, 2001), 2.0);
  EXPECT_EQ(param(core, 2004), gains.first);
}

TEST_F(WhiteBalanceTest, GainsOutsideTheCalibrationKeepTheTint) {
  select();
  ASSERT_EQ(core.setParam(2003, 3.0), kNoError);
  EXPECT_EQ(param(core, 2003), 3.0);
  // Much red gain balances light bluer than the calibration.
  ASSERT_EQ(core.setParam(2004, 4.0), kNoError);
  ASSERT_EQ(core.setParam(2005, 0.9), kNoError);
  EXPECT_EQ(param(core, 2002), 0.0);
  EXPECT_EQ(param(core, 2001), 11000.0);
  EXPECT_EQ(param(core, 2003), 3.0);
  // Much blue gain: redder than the calibration.
  ASSERT_EQ(core.setParam(2004, 0.9), kNoError);
  ASSERT_EQ(core.setParam(2005, 4.0), kNoError);
  EXPECT_EQ(param(core, 2002), 0.0);
  EXPECT_EQ(param(core, 2001), 2000.0);
  EXPECT_EQ(param(core, 2003), 3.0);
  // A new configuration keeps such gains: there is no temperature to follow.
  ASSERT_EQ(core.setSystemCalibration(1, *calibration), kNoError);
  const Revisions before = revisions(core);
  ASSERT_EQ(core.useConfiguration(1), kNoError);
  EXPECT_EQ(bumps(core, before), (Revisions{{3, 1}}));
  EXPECT_EQ(param(core, 2004), 0.9);
}

TEST_F(WhiteBalanceTest, ParametersListIsBroughtUpToDate) {
  select();
  ASSERT_EQ(core.setParam(2004, 1.75), kNoError);
  ASSERT_EQ(core.setParam(2005, double(1.90f)), kNoError);
  PipelineParameter* const* parameters = core.getParameters();
  EXPECT_EQ(parameters[1]->id, 2001u);
  EXPECT_DOUBLE_EQ(parameters[1]->value, 4300.0);
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

TEST_F(QuietTest, UserTablesBelongToTheirBranch) {
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
