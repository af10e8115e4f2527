#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "kvrKalvora.h"
#include "kvrTestSupport.h"

namespace Kalvora {
namespace {

using KalvoraTest::ReportCapture;
using Strings = std::vector<std::string>;
using Ids = std::vector<unsigned int>;

enum class Failure { kNone, kSignal, kStd, kOther };

void failWith(Failure failure) {
  if (failure == Failure::kSignal)
    throw KvrSignal(kMissingCalibration, "test:1 ERROR", "Calibration data missing");
  if (failure == Failure::kStd) throw std::runtime_error("broken");
  if (failure == Failure::kOther) throw 42;
}

// What each kind of hook failure becomes at a public boundary.
const struct {
  Failure failure;
  ErrorCode code;
  const char* message;
} kHookFailures[] = {
    {Failure::kSignal, kMissingCalibration, "Calibration data missing"},
    {Failure::kStd, kUnknownError, "unexpected error from standard library: broken"},
    {Failure::kOther, kUnknownError, "unknown error"}};

class SwapRedBlue : public LutFunc3D {
public:
  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override {
    outR = b;
    outG = g;
    outB = r;
  }
};

template <class Record>
Record** owned(std::initializer_list<Record*> records) {
  Record** array = new Record*[records.size()];
  std::copy(records.begin(), records.end(), array);
  return array;
}

constexpr unsigned int kBranch1 = 0x1000000;

// Nodes of every family along one path with an auxiliary head and middle,
// a second tone node on branch 1, and one export:
//   1 aux -> 2 gain -> 3 matrix -> 5 lut -> 6 aux -> 7 rgb+offset -> 8 lut
//   -> 9 matrix -> 10 rgb; 7 -> 0x1000008 lut; export 11 (3-D) from 5.
class TestCore : public Kalvora {
public:
  explicit TestCore(int configurations = 2)
      : Kalvora(configurations, kPipelineSingleBranch, kestaElvexparam),
        half_(LutFunc::sUnity, 0.5),
        sqrt_(0.5),
        triple_(LutFunc::sUnity, half_, sqrt_) {
    createPipeline();
    createExports();
    createParameters();
    createModes();
    initState(true);
  }

  using Kalvora::changedNode;
  using Kalvora::getCurrentConfiguration;
  using Kalvora::getSystemCalibration;
  using Kalvora::getUnitCalibration;
  using Kalvora::getWhiteBalanceState;
  using Kalvora::initState;

  void rebuildPipeline() { createPipeline(); }

  Failure updateFailure = Failure::kNone;
  Failure changeFailure = Failure::kNone;
  Failure configFailure = Failure::kNone;
  bool withoutFunctions = false;  // hooks accept ids but return no function

  Ids updated;
  int paramChanges = 0, modeChanges = 0, configChanges = 0, configAtHook = -2;
  unsigned int changedId = 0;
  double changedOld = 0.0, changedNew = 0.0;
  double matrix3[9] = {0.5 / 4096, -0.5 / 4096, 1.0, -1.0,       0.25,
                       1.5 / 4096, -1.5 / 4096, 0.0, 0.49 / 4096};

protected:
  void do_getMatrix(unsigned int id, double (&m)[9]) override {
    static const double matrix9[9] = {1.0, -0.5, 1.0 / 3.0, 0.1, 2.0, 0.0, 0.0, 0.0, 1.0};
    const double* source = id == 3 ? matrix3 : id == 9 ? matrix9 : nullptr;
    if (source == nullptr) throw KvrSignal(kUnknownId, "test:2 ERROR", "Unknown matrix node");
    std::copy(source, source + 9, m);
  }

  LutFunc const* do_getLut(unsigned int id) const override {
    if (withoutFunctions) return nullptr;
    if (id == 5) return &half_;
    if (id == 8 || id == kBranch1 + 8) return &sqrt_;
    throw KvrSignal(kUnknownId, "test:3 ERROR", "Unknown lut node");
  }

  LutFuncRgb const* do_getRgbLut(unsigned int id) const override {
    if (id == 7 || id == 10) return &triple_;
    throw KvrSignal(kUnknownId, "test:4 ERROR", "Unknown rgb lut node");
  }

  LutFunc3D const* do_exportLut(unsigned int id) override {
    if (id == 11) return &swap_;
    throw KvrSignal(kUnknownId, "test:5 ERROR", "Unknown 3dlut node");
  }

  void do_getRgbGainOffset(unsigned int id, RgbGainOffset& record) override {
    if (id == 2) record.gain[0] = 2.0;
    if (id == 7) record.offset[1] = needParameter(3002)->value;
  }

  // 2002 is derived from 2001.
  void updateParam(unsigned int id) override {
    updated.push_back(id);
    failWith(updateFailure);
    if (id == 2002) needParameter(2002)->value = needParameter(2001)->value + 1.0;
  }

  void handleParamChanged(PipelineParameter& parameter, double oldValue) override {
    ++paramChanges;
    changedId = parameter.id;
    changedOld = oldValue;
    changedNew = parameter.value;
    failWith(changeFailure);
    for (unsigned int node : parameter.id == 1001   ? Ids{5, 8}
                             : parameter.id == 2001 ? Ids{2, 3}
                                                    : Ids{10})
      changedNode(node);
  }

  // Video mode off bypasses the output nodes.
  void handleModeChanged(PipelineMode& mode) override {
    ++modeChanges;
    if (mode.id == 1)
      for (unsigned int node : {8u, 9u, 10u}) changedNode(node, !mode.value);
  }

  void handleOpticalConfigChanged(int) override {
    ++configChanges;
    configAtHook = getCurrentConfiguration();
    failWith(configFailure);
    changedNode(3);
  }

  void splitId(unsigned int& id, unsigned int& branch) const override {
    branch = id & 0xFF000000u;
    id &= 0x00FFFFFFu;
  }

  void createPipeline() override {
    setPipeline(
        owned<PipelineNode>(
            {new PipelineNode(1, 0, kNodeAuxB), new PipelineNode(2, 1, kNodeRgbGain),
             new PipelineNode(3, 2, kNodeMatrix), new PipelineNode(5, 3, kNodeLut),
             new PipelineNode(6, 5, kNodeAuxA), new PipelineNode(7, 6, kNodeRgbLutOffset),
             new PipelineNode(8, 7, kNodeLut), new PipelineNode(9, 8, kNodeMatrix),
             new PipelineNode(10, 9, kNodeRgbLut), new PipelineNode(kBranch1 + 8, 7, kNodeLut)}),
        10);
  }

  void createExports() override {
    setExports(owned<PipelineNode>({new PipelineNode(11, 5, kNode3dLut)}), 1);
  }

  void createParameters() override {
    setParameter(owned<PipelineParameter>(
                     {new PipelineParameter(1001, 800.0, 50.0, 3200.0, kPersistFull, false),
                      new PipelineParameter(2001, 3200.0, 2000.0, 11000.0, kPersistNever, false),
                      new PipelineParameter(2002, 3201.0, kPersistNever, true),
                      new PipelineParameter(3001, 0.0, -1.0, 1.0, kPersistAlways, false),
                      new PipelineParameter(3002, 0.0, -1.0, 1.0, kPersistAlways, false),
                      new PipelineParameter(5040, 1.0, 0.0, 2.0, kPersistAlways, false),
                      new PipelineParameter(6001, 1.0, 0.0, 4.0, kPersistNever, true),
                      new PipelineParameter(7001, 1.0, kPersistFull, false)}),
                 8);
  }

  // Mode 3 appears twice: setting finds the first, reading copies both.
  void createModes() override {
    setModes(owned<PipelineMode>({new PipelineMode(1, true), new PipelineMode(2, false),
                                  new PipelineMode(kBranch1 + 1, true), new PipelineMode(3, false),
                                  new PipelineMode(3, true)}),
             5);
  }

  void updateRgbGain(double, double) override {}

private:
  LutFuncGain half_;  // x / 2
  PowerFunc sqrt_;
  LutFuncTriple triple_;
  SwapRedBlue swap_;
};

// The base only keeps the addresses of calibration records; any storage
// stands in for them here.
alignas(16) unsigned char gRecordStorage[2][64];

CameraSystemCalibrationRecord const& systemRecord(int i) {
  return *reinterpret_cast<CameraSystemCalibrationRecord const*>(gRecordStorage[i]);
}

CameraUnitCalibrationRecord const& unitRecord(int i) {
  return *reinterpret_cast<CameraUnitCalibrationRecord const*>(gRecordStorage[i]);
}

class KalvoraTest : public testing::Test {
protected:
  static Strings messages() { return ReportCapture::messages(); }
  static std::string lastWhere() { return ReportCapture::reports().back().where; }

  Ids revisions() const {
    Ids out;
    for (int i = 0; i < core.getNumNodes(); ++i) out.push_back(core.getPipeline()[i]->revision);
    return out;
  }

  TestCore core;

private:
  ReportCapture capture_;
};

bool isLibraryLocation(const std::string& where) {
  return where.rfind("src/kvrKalvora:", 0) == 0 && where.size() > 6 &&
         where.substr(where.size() - 6) == " ERROR";
}

// ---- Construction and lookups ----------------------------------------------------

TEST(KalvoraNodeTypeTest, FamilyAndZeroMatch) {
  EXPECT_TRUE(Kalvora::isNodeType(kNodeRgbLutOffset, kNodeRgbLut));
  EXPECT_TRUE(Kalvora::isNodeType(kNodeRgbLutOffset, kNodeRgbLutOffset));
  EXPECT_TRUE(Kalvora::isNodeType(kNodeMatrix, kNode3dLut));
  EXPECT_TRUE(Kalvora::isNodeType(kNodeAuxB, NodeType(0)));
  EXPECT_FALSE(Kalvora::isNodeType(kNode3dLut, kNodeMatrix));
  EXPECT_FALSE(Kalvora::isNodeType(kNodeRgbGain, kNodeRgbGainOffset));
  EXPECT_FALSE(Kalvora::isNodeType(kNodeAuxA, kNodeLut));
}

TEST_F(KalvoraTest, NeedLookupsThrowUnknownIdInHex) {
  EXPECT_EQ(core.needNode(3, kNode3dLut)->id, 3u);
  EXPECT_EQ(core.needNode(7, kNodeRgbLut)->type, kNodeRgbLutOffset);
  auto messageOf = [](auto&& lookup) -> std::string {
    try {
      lookup();
    } catch (const KvrSignal& signal) {
      EXPECT_EQ(signal.code(), kUnknownId);
      return signal.what();
    }
    return "no signal";
  };
  EXPECT_EQ(messageOf([&] { core.needNode(3, kNodeLut); }), "Unknown node 3");
  EXPECT_EQ(messageOf([&] { core.needNode(kBranch1 + 9); }), "Unknown node 1000009");
  EXPECT_EQ(messageOf([&] { core.needNode(11); }), "Unknown node b");  // exports are not searched
  EXPECT_EQ(messageOf([&] { core.needParameter(268); }), "Unknown parameter 10c");
  EXPECT_EQ(messageOf([&] { core.needMode(0xabc); }), "Unknown mode abc");
  EXPECT_TRUE(core.hasParameter(2002));
  EXPECT_FALSE(core.hasParameter(268));
  EXPECT_EQ(messages(), Strings{});
}

TEST_F(KalvoraTest, ColorTypeNodesRunUpstreamSinkFirst) {
  std::vector<PipelineNode*> nodes{core.needNode(1)};  // appended to, not replaced
  core.getColorTypeNodes(nodes, 2, 10);
  Ids ids;
  for (const PipelineNode* node : nodes) ids.push_back(node->id);
  EXPECT_EQ(ids, (Ids{1, 10, 9, 8, 7, 5, 3, 2}));

  nodes.clear();
  core.getColorTypeNodes(nodes, 7, kBranch1 + 8);
  ASSERT_EQ(nodes.size(), 2u);
  EXPECT_EQ(nodes[1]->id, 7u);

  nodes.clear();
  core.getColorTypeNodes(nodes, 1, 2);  // the auxiliary source is examined but skipped
  EXPECT_EQ(nodes.size(), 1u);

  // A source that is not upstream runs off the head of the path.
  EXPECT_THROW(core.getColorTypeNodes(nodes, kBranch1 + 8, 10), KvrSignal);
}

// ---- Parameters -----------------------------------------------------------------------

TEST_F(KalvoraTest, GetParamUpdatesDerivedValueFirst) {
  double value = 0.0, minimum = 0.0, maximum = 0.0;
  EXPECT_EQ(core.setParam(2001, 5600.0), kNoError);
  EXPECT_EQ(core.getParam(2002, value), kNoError);
  EXPECT_EQ(value, 5601.0);
  EXPECT_EQ(core.updated, Ids{2002});
  EXPECT_EQ(core.getParamRange(1001, minimum, maximum), kNoError);
  EXPECT_EQ(minimum, 50.0);
  EXPECT_EQ(maximum, 3200.0);

  value = -1.0;
  EXPECT_EQ(core.getParam(268, value), kUnknownId);
  EXPECT_EQ(core.getParamRange(268, minimum, maximum), kUnknownId);
  EXPECT_EQ(value, -1.0);
  EXPECT_EQ(minimum, 50.0);
  // A standard-library failure is reported as unknown here.
  core.updateFailure = Failure::kStd;
  EXPECT_EQ(core.getParam(1001, value), kUnknownError);
  EXPECT_EQ(messages(),
            (Strings{"Unknown parameter 10c", "Unknown parameter 10c", "unknown error"}));
}

TEST_F(KalvoraTest, SetParamAcceptsBoundsAndRejectsOutsideAndNaN) {
  const Ids before = revisions();
  EXPECT_EQ(core.setParam(1001, 800.0), kNoError);  // the stored value: nothing happens
  EXPECT_EQ(core.paramChanges, 0);
  EXPECT_EQ(revisions(), before);

  EXPECT_EQ(core.setParam(1001, 50.0), kNoError);
  EXPECT_EQ(core.changedId, 1001u);
  EXPECT_EQ(core.changedOld, 800.0);
  EXPECT_EQ(core.changedNew, 50.0);
  EXPECT_EQ(core.setParam(1001, 3200.0), kNoError);
  EXPECT_EQ(core.getNodeRevision(5), 2u);
  EXPECT_EQ(core.getNodeRevision(8), 2u);
  EXPECT_EQ(core.getNodeRevision(2), 0u);
  EXPECT_EQ(messages(), Strings{});

  for (double outside : {49.0, std::nextafter(3200.0, 4000.0), std::nan("")})
    EXPECT_EQ(core.setParam(1001, outside), kIllegalValue) << outside;
  EXPECT_EQ(core.needParameter(1001)->value, 3200.0);
  EXPECT_EQ(core.paramChanges, 2);
  ASSERT_EQ(messages().size(), 3u);
  EXPECT_EQ(messages()[0],
            "parameter value 49.000000 for id 1001 out of range [50.000000, 3200.000000]");
  EXPECT_EQ(messages()[2], "parameter value nan for id 1001 out of range [50.000000, 3200.000000]");
  EXPECT_TRUE(isLibraryLocation(lastWhere())) << lastWhere();

  // The unbounded range starts above zero.
  EXPECT_EQ(core.setParam(7001, 0.0), kIllegalValue);
  EXPECT_EQ(core.setParam(7001, -1.0), kIllegalValue);
  EXPECT_EQ(core.setParam(7001, 1e300), kNoError);
  EXPECT_EQ(core.setParam(268, 1.0), kUnknownId);
  EXPECT_EQ(ReportCapture::lastMessage(), "Unknown parameter 10c");
}

TEST_F(KalvoraTest, SetParamOnReadOnlyWarnsButWrites) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(core.setParam(6001, 2.5), kReadOnly);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ID 6001 value 2.5\n");
  EXPECT_EQ(core.needParameter(6001)->value, 2.5);
  EXPECT_EQ(core.paramChanges, 1);
  EXPECT_EQ(messages(), Strings{"parameter is read only"});

  // Out of range: both reports, nothing stored.
  ReportCapture::reports().clear();
  testing::internal::CaptureStdout();
  EXPECT_EQ(core.setParam(6001, 5.0), kIllegalValue);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ID 6001 value 5\n");
  EXPECT_EQ(core.needParameter(6001)->value, 2.5);
  EXPECT_EQ(messages(),
            (Strings{"parameter is read only",
                     "parameter value 5.000000 for id 6001 out of range [0.000000, 4.000000]"}));

  testing::internal::CaptureStdout();
  EXPECT_EQ(core.setParam(6001, 2.5), kReadOnly);  // unchanged: no notification
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(core.paramChanges, 1);
}

TEST_F(KalvoraTest, SetParamHookFailureKeepsNewValue) {
  double value = 0.0;
  for (const auto& c : kHookFailures) {
    ReportCapture::reports().clear();
    core.changeFailure = c.failure;
    value += 0.25;
    EXPECT_EQ(core.setParam(3001, value), c.code);
    EXPECT_EQ(core.needParameter(3001)->value, value);
    EXPECT_EQ(messages(), Strings{c.message});
  }
  EXPECT_TRUE(isLibraryLocation(lastWhere())) << lastWhere();  // not the signal's own
}

TEST_F(KalvoraTest, SetParamSilentClampsWithoutReports) {
  EXPECT_EQ(core.setParamSilent(1001, 10.0), kIllegalValue);
  EXPECT_EQ(core.needParameter(1001)->value, 50.0);
  EXPECT_EQ(core.paramChanges, 1);
  EXPECT_EQ(core.setParamSilent(1001, 10.0), kIllegalValue);  // clamps to the stored value
  EXPECT_EQ(core.paramChanges, 1);
  EXPECT_EQ(core.setParamSilent(1001, 1e9), kIllegalValue);
  EXPECT_EQ(core.needParameter(1001)->value, 3200.0);
  EXPECT_EQ(core.setParamSilent(1001, 1600.0), kNoError);
  EXPECT_EQ(core.needParameter(1001)->value, 1600.0);
  EXPECT_EQ(core.paramChanges, 3);

  EXPECT_EQ(core.setParamSilent(1001, std::nan("")), kIllegalValue);
  EXPECT_EQ(core.needParameter(1001)->value, 1600.0);
  EXPECT_EQ(core.setParamSilent(6001, 2.0), kReadOnly);
  EXPECT_EQ(core.needParameter(6001)->value, 1.0);
  EXPECT_EQ(core.paramChanges, 3);
  EXPECT_EQ(messages(), Strings{});

  EXPECT_EQ(core.setParamSilent(268, 1.0), kUnknownId);
  EXPECT_EQ(messages(), Strings{"Unknown parameter 10c"});
}

TEST_F(KalvoraTest, GetParametersUpdatesEveryParameterAndReportsFailures) {
  PipelineParameter* const* parameters = core.getParameters();
  ASSERT_EQ(parameters, core.getParameters());
  Ids ids;
  for (int i = 0; i < core.getNumParameters(); ++i) ids.push_back(parameters[i]->id);
  EXPECT_EQ(ids, (Ids{1001, 2001, 2002, 3001, 3002, 5040, 6001, 7001}));
  core.updated.resize(ids.size());
  EXPECT_EQ(core.updated, ids);
  EXPECT_EQ(core.getNumParametersToSave(true), 5);
  EXPECT_EQ(core.getNumParametersToSave(false), 3);

  // No error result: each failed update is reported and the values stay.
  for (const auto& c : kHookFailures) {
    ReportCapture::reports().clear();
    core.updateFailure = c.failure;
    ASSERT_EQ(core.getParameters(), parameters);
    EXPECT_EQ(parameters[2]->value, 3201.0);
    ASSERT_EQ(messages().size(), 8u);
    EXPECT_EQ(messages()[0], c.message);
  }
}

// ---- Modes ----------------------------------------------------------------------------

TEST_F(KalvoraTest, ModesReadEveryMatchSetTheFirstAndBypassOnce) {
  bool value = false;
  EXPECT_EQ(core.getMode(3, value), kNoError);
  EXPECT_TRUE(value);  // the last entry with id 3
  EXPECT_EQ(core.getMode(0x77, value), kNoError);
  EXPECT_TRUE(value);
  EXPECT_EQ(core.setMode(3, false), kNoError);  // the first entry is already false
  EXPECT_EQ(core.modeChanges, 0);
  EXPECT_EQ(core.setMode(3, true), kNoError);
  EXPECT_EQ(core.modeChanges, 1);
  EXPECT_EQ(core.setMode(0x63, true), kUnknownId);
  EXPECT_EQ(messages(), Strings{"Unknown mode 63"});

  EXPECT_EQ(core.setMode(1, false), kNoError);
  EXPECT_EQ(core.setMode(1, false), kNoError);
  EXPECT_EQ(core.modeChanges, 2);
  EXPECT_EQ(core.getNodeRevision(9), 1u);
  EXPECT_TRUE(core.needNode(10)->bypassed);
  EXPECT_EQ(core.setMode(1, true), kNoError);
  EXPECT_EQ(core.getNodeRevision(9), 2u);
  EXPECT_FALSE(core.needNode(10)->bypassed);
  core.getMode(1, value = false);
  EXPECT_TRUE(value);
}

// ---- Calibration and configuration --------------------------------------------------------

TEST_F(KalvoraTest, CalibrationAndConfigurationIndicesAreChecked) {
  EXPECT_EQ(core.setSystemCalibration(-1, systemRecord(0)), kIllegalIndex);
  EXPECT_EQ(core.setUnitCalibration(2, unitRecord(0)), kIllegalIndex);
  EXPECT_EQ(core.useConfiguration(-1), kIllegalIndex);
  EXPECT_EQ(core.useConfiguration(2), kIllegalIndex);
  core.setUnitCalibration(1, unitRecord(1));  // the unit record alone is not enough
  EXPECT_EQ(core.useConfiguration(1), kMissingCalibration);
  EXPECT_EQ(messages(),
            (Strings{"illegal configuration index: -1", "illegal configuration index: 2",
                     "illegal configuration index -1", "illegal configuration index 2",
                     "calibration data for configuration index 1 is missing"}));
  EXPECT_EQ(core.getCurrentConfiguration(), -1);

  EXPECT_EQ(core.setSystemCalibration(1, systemRecord(1)), kNoError);
  EXPECT_EQ(core.setUnitCalibration(0, unitRecord(0)), kNoError);
  EXPECT_EQ(core.getSystemCalibration(1), &systemRecord(1));
  EXPECT_EQ(core.getUnitCalibration(0), &unitRecord(0));
  EXPECT_EQ(core.configChanges, 0);

  TestCore empty(0);
  EXPECT_EQ(empty.setSystemCalibration(0, systemRecord(0)), kIllegalIndex);
  EXPECT_EQ(empty.useConfiguration(0), kIllegalIndex);
}

TEST_F(KalvoraTest, UseConfigurationCallsHookOnChangeAndRetriesAfterFailure) {
  core.setSystemCalibration(0, systemRecord(0));
  core.setSystemCalibration(1, systemRecord(1));
  // A failing hook is reported and the selection stays as it was.
  for (const auto& c : kHookFailures) {
    ReportCapture::reports().clear();
    core.configFailure = c.failure;
    EXPECT_EQ(core.useConfiguration(0), c.code);
    EXPECT_EQ(messages(), Strings{c.message});
    EXPECT_EQ(core.getCurrentConfiguration(), -1);
  }
  ReportCapture::reports().clear();
  core.configFailure = Failure::kNone;
  EXPECT_EQ(core.useConfiguration(0), kNoError);
  EXPECT_EQ(core.configChanges, 4);
  EXPECT_EQ(core.configAtHook, 0);
  EXPECT_EQ(core.useConfiguration(0), kNoError);
  core.setSystemCalibration(0, systemRecord(1));  // no notification
  EXPECT_EQ(core.configChanges, 4);
  EXPECT_EQ(core.useConfiguration(1), kNoError);
  EXPECT_EQ(core.configAtHook, 1);
  EXPECT_EQ(core.getNodeRevision(3), 2u);
  EXPECT_EQ(messages(), Strings{});
}

// ---- Tables ----------------------------------------------------------------------------------

constexpr unsigned short kUntouched = 0xBEEF;

TEST_F(KalvoraTest, GetLutChecksSizeThenScaleThenNode) {
  std::vector<unsigned short> codes(65537, kUntouched);
  std::vector<double> values(65537, -1.0);
  EXPECT_EQ(core.getLut(5, 255, values.data()), kIllegalValue);
  EXPECT_EQ(core.getLut(5, 65537, values.data()), kIllegalValue);
  EXPECT_EQ(core.getLut(3, 255, codes.data(), 65536), kIllegalValue);
  EXPECT_EQ(core.getLut(3, 256, codes.data(), 65536), kLimitExceeded);
  EXPECT_EQ(core.getLut(3, 256, codes.data(), 65535), kUnknownId);
  EXPECT_EQ(core.getLut(11, 256, values.data()), kUnknownId);
  core.withoutFunctions = true;  // a node whose hook has no function is unknown
  EXPECT_EQ(core.getLut(5, 256, values.data()), kUnknownId);
  EXPECT_EQ(messages(), (Strings{"illegal size for LUT", "illegal size for LUT",
                                 "illegal size for LUT", "illegal value for scaling factor",
                                 "Unknown node 3", "Unknown node b", "Unknown node 5"}));
  EXPECT_EQ(values[0], -1.0);
  EXPECT_EQ(codes[0], kUntouched);
}

TEST_F(KalvoraTest, GetLutSamplesTheNodeFunction) {
  std::vector<double> values(65536);
  EXPECT_EQ(core.getLut(5, 256, values.data()), kNoError);
  EXPECT_NEAR(values[255], 0.5, 1e-14);
  EXPECT_EQ(core.getLut(kBranch1 + 8, 65536, values.data()), kNoError);
  EXPECT_NEAR(values[65535], 1.0, 1e-12);

  std::vector<unsigned short> codes(256);
  EXPECT_EQ(core.getLut(5, 256, codes.data(), 65535), kNoError);
  // x is accumulated step by step and ends just below 1, so half of it
  // lands just below the half-way code.
  EXPECT_EQ(codes[255], 32767);
  EXPECT_EQ(core.getLut(5, 256, codes.data(), 1023), kNoError);
  EXPECT_EQ(codes[255], 511);
  EXPECT_EQ(messages(), Strings{});
}

TEST_F(KalvoraTest, GetRgbLutAcceptsFamilyAndHonoursOrder) {
  std::vector<unsigned short> codes(3 * 256, kUntouched);
  EXPECT_EQ(core.getRgbLut(7, 65537, codes.data(), kLutPlanar, 65536), kIllegalValue);
  EXPECT_EQ(core.getRgbLut(8, 256, codes.data(), kLutPlanar, 65536), kLimitExceeded);
  EXPECT_EQ(core.getRgbLut(8, 256, codes.data(), kLutPlanar, 4095), kUnknownId);
  EXPECT_EQ(messages(), (Strings{"illegal size for LUT", "illegal value for scaling factor",
                                 "Unknown node 8"}));
  EXPECT_EQ(codes[0], kUntouched);

  // Node 7 is a variant of the RGB family; channels are identity, half, square root.
  EXPECT_EQ(core.getRgbLut(7, 256, codes.data(), kLutInterleaved, 4095), kNoError);
  EXPECT_EQ(codes[3 * 255 + 0], 4095);
  EXPECT_EQ(codes[3 * 255 + 1], 2047);
  EXPECT_EQ(codes[3 * 255 + 2], 4095);
  EXPECT_EQ(core.getRgbLut(10, 256, codes.data(), kLutPlanar, 4095), kNoError);
  EXPECT_EQ(codes[255], 4095);
  EXPECT_EQ(codes[256 + 255], 2047);

  std::vector<double> values(3 * 256);
  EXPECT_EQ(core.getRgbLut(10, 256, values.data(), kLutPlanar), kNoError);
  EXPECT_NEAR(values[256 + 255], 0.5, 1e-14);
  EXPECT_EQ(core.getRgbLut(10, 255, values.data(), kLutPlanar), kIllegalValue);
}

TEST_F(KalvoraTest, Export3dLutChecksMeshAndScaleButNoNode) {
  std::vector<unsigned short> codes(3 * 66 * 66 * 66, kUntouched);
  EXPECT_EQ(core.export3dLut(11, 2, codes.data(), kLutInterleaved, 65535), kIllegalValue);
  EXPECT_EQ(core.export3dLut(11, 66, codes.data(), kLutInterleaved, 65536), kIllegalValue);
  EXPECT_EQ(core.export3dLut(12, 65, codes.data(), kLutInterleaved, 65536), kLimitExceeded);
  EXPECT_EQ(core.export3dLut(12, 3, codes.data(), kLutInterleaved, 65535), kUnknownId);
  EXPECT_EQ(messages(), (Strings{"illegal size for 3DLUT", "illegal size for 3DLUT",
                                 "illegal value for scaling factor", "Unknown 3dlut node"}));
  EXPECT_EQ(codes[0], kUntouched);

  // Export 11 is not in the pipeline but is served; red and blue swap.
  EXPECT_EQ(core.export3dLut(11, 3, codes.data(), kLutInterleaved, 1000), kNoError);
  const int point = (2 * 3 + 1) * 3 + 0;  // (r, g, b) = (1, 0.5, 0)
  EXPECT_EQ(codes[3 * point + 0], 0);
  EXPECT_EQ(codes[3 * point + 1], 500);
  EXPECT_EQ(codes[3 * point + 2], 1000);
  EXPECT_EQ(core.export3dLut(11, 65, codes.data(), kLutPlanar, 65535), kNoError);

  std::vector<double> values(3 * 65 * 65 * 65);
  EXPECT_EQ(core.export3dLut(11, 3, values.data(), kLutPlanar), kNoError);
  EXPECT_EQ(values[2 * 27 + point], 1.0);
  EXPECT_EQ(core.export3dLut(11, 65, values.data(), kLutPlanar), kNoError);
  EXPECT_EQ(core.export3dLut(11, 66, values.data(), kLutPlanar), kIllegalValue);
}

// ---- Matrices and gains ----------------------------------------------------------------------

TEST_F(KalvoraTest, IntegerMatrixRoundsHalfAwayFromZero) {
  RgbIntMatrix fixed{};
  EXPECT_EQ(core.getMatrix(3, fixed, 4096), kNoError);
  const int32_t expected[9] = {1, -1, 4096, -4096, 1024, 2, -2, 0, 0};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(fixed[i], expected[i]) << i;

  // Values beyond 32 bits saturate and NaN gives 0.
  core.matrix3[0] = 1e300;
  core.matrix3[1] = -1e300;
  core.matrix3[2] = std::nan("");
  EXPECT_EQ(core.getMatrix(3, fixed, 4096), kNoError);
  EXPECT_EQ(fixed[0], std::numeric_limits<int32_t>::max());
  EXPECT_EQ(fixed[1], std::numeric_limits<int32_t>::min());
  EXPECT_EQ(fixed[2], 0);

  // A failed matrix leaves the output untouched.
  for (int i = 0; i < 9; ++i) fixed[i] = 7;
  EXPECT_EQ(core.getMatrix(4, fixed, 4096), kUnknownId);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(fixed[i], 7);
  double real[9] = {};
  EXPECT_EQ(core.getMatrix(9, real), kNoError);
  EXPECT_EQ(real[1], -0.5);
  EXPECT_EQ(messages(), Strings{"Unknown matrix node"});
}

// ---- Diagnostics -----------------------------------------------------------------------------

TEST_F(KalvoraTest, ShowLutAndShowMatrixPrintOrReport) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(core.showLut(5, 256, 1023), kNoError);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.substr(0, 24), "    0     0\n    1     2\n");
  EXPECT_EQ(out.size(), 256u * 12u);
  EXPECT_EQ(out.substr(out.size() - 12), "  255   511\n");

  testing::internal::CaptureStdout();
  EXPECT_EQ(core.showMatrix(9), kNoError);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "         1      -0.5  0.333333\n"
            "       0.1         2         0\n"
            "         0         0         1\n");

  testing::internal::CaptureStdout();
  EXPECT_EQ(core.showLut(5, -1, 1023), kIllegalValue);
  EXPECT_EQ(core.showLut(9, 256, 1023), kUnknownId);
  EXPECT_EQ(core.showMatrix(4), kUnknownId);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(messages(), (Strings{"illegal size for LUT", "getLut returned error 3",
                                 "Unknown node 9", "getLut returned error 4", "Unknown matrix node",
                                 "getMatrix returned error 4"}));
}

TEST_F(KalvoraTest, ResetParamRestoresDefault) {
  core.setParam(3001, 0.5);
  EXPECT_EQ(core.resetParam(3001), kNoError);
  EXPECT_EQ(core.needParameter(3001)->value, 0.0);
  EXPECT_EQ(core.changedOld, 0.5);
  EXPECT_EQ(core.resetParam(3001), kNoError);
  EXPECT_EQ(core.paramChanges, 2);
  EXPECT_EQ(messages(), Strings{});

  testing::internal::CaptureStdout();
  core.setParam(6001, 3.0);
  testing::internal::GetCapturedStdout();
  ReportCapture::reports().clear();
  EXPECT_EQ(core.resetParam(6001), kReadOnly);
  EXPECT_EQ(core.needParameter(6001)->value, 1.0);
  EXPECT_EQ(core.paramChanges, 4);
  EXPECT_EQ(messages(), Strings{"parameter is read only"});
  EXPECT_EQ(core.resetParam(268), kUnknownId);
}

TEST_F(KalvoraTest, RevisionsCountChangesAndBypassCountsOnce) {
  EXPECT_EQ(core.getNodeRevision(0x1234), 0xFFFFFFFFu);
  EXPECT_EQ(core.getNodeRevision(11), 0xFFFFFFFFu);
  EXPECT_EQ(core.getNodeRevision(8), 0u);

  core.changedNode(8, true);
  core.changedNode(8, true);
  EXPECT_EQ(core.getNodeRevision(8), 1u);
  EXPECT_TRUE(core.needNode(8)->bypassed);
  core.changedNode(8);  // always counts and leaves the flag
  EXPECT_EQ(core.getNodeRevision(8), 2u);
  EXPECT_TRUE(core.needNode(8)->bypassed);
  core.changedNode(8, false);
  core.changedNode(8, false);
  EXPECT_EQ(core.getNodeRevision(8), 4u);
  EXPECT_FALSE(core.needNode(8)->bypassed);
  EXPECT_EQ(core.getNodeRevision(kBranch1 + 8), 0u);
}

TEST_F(KalvoraTest, GainOffsetFillsOnlyWhatTheNodeHas) {
  core.setParam(3002, -0.25);
  RgbGainOffset record{{9, 9, 9}, {9, 9, 9}};
  EXPECT_EQ(core.getRgbGainOffset(2, record), kNoError);
  EXPECT_EQ(record.gain[0], 2.0);
  EXPECT_EQ(record.offset[1], 9.0);
  EXPECT_EQ(core.getRgbGainOffset(7, record), kNoError);
  EXPECT_EQ(record.offset[1], -0.25);
  RgbGainOffset other{{9, 9, 9}, {9, 9, 9}};
  EXPECT_EQ(core.getRgbGainOffset(9, other), kNoError);
  EXPECT_EQ(other.gain[0], 9.0);
  EXPECT_EQ(other.offset[2], 9.0);
}

}  // namespace
}  // namespace Kalvora
