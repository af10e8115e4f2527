// The image core base, driven through a small core whose hooks can fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "kvrCalibrationRows.h"
#include "kvrKalvora.h"
#include "kvrTestSupport.h"

namespace Kalvora {
namespace {

using KalvoraTest::contains;
using KalvoraTest::ReportCapture;
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
  const char* fragment;
} kHookFailures[] = {{Failure::kSignal, kMissingCalibration, "Calibration data missing"},
                     {Failure::kStd, kUnknownError, "broken"},
                     {Failure::kOther, kUnknownError, "unknown error"}};

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
// Parameter 2002 is derived from 2001; 6001 is read-only; 7001 is unbounded.
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

  using Kalvora::getCurrentConfiguration;

  Failure updateFailure = Failure::kNone;
  Failure changeFailure = Failure::kNone;
  Failure configFailure = Failure::kNone;
  bool withoutFunctions = false;  // hooks accept ids but return no function

  int paramChanges = 0, configChanges = 0;
  double changedOld = 0.0;
  double matrix3[9] = {};  // the matrix of node 3

protected:
  void do_getMatrix(unsigned int id, double (&matrix)[9]) override {
    if (id != 3) throw KvrSignal(kUnknownId, "test:2 ERROR", "Unknown matrix node");
    std::copy(matrix3, matrix3 + 9, matrix);
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
    if (id == 11) return &LutFunc3D::sUnity;
    throw KvrSignal(kUnknownId, "test:5 ERROR", "Unknown 3dlut node");
  }

  void do_getRgbGainOffset(unsigned int id, RgbGainOffset& record) override {
    if (id == 2) record.gain[0] = 2.0;
    if (id == 7) record.offset[1] = needParameter(3002)->value;
  }

  void updateParam(unsigned int id) override {
    failWith(updateFailure);
    if (id == 2002) needParameter(2002)->value = needParameter(2001)->value + 1.0;
  }

  void handleParamChanged(PipelineParameter& parameter, double oldValue) override {
    ++paramChanges;
    changedOld = oldValue;
    failWith(changeFailure);
    for (unsigned int node : parameter.id == 1001 ? Ids{5, 8} : Ids{10}) changedNode(node);
  }

  void handleModeChanged(PipelineMode&) override {}

  void handleOpticalConfigChanged(int) override {
    ++configChanges;
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

  void createModes() override { setModes(owned<PipelineMode>({new PipelineMode(1, true)}), 1); }

  void updateRgbGain(double, double) override {}

private:
  LutFuncGain half_;  // x / 2
  PowerFunc sqrt_;
  LutFuncTriple triple_;  // identity, half, square root
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

class KalvoraTest : public ::KalvoraTest::ReportCaptureTest {
protected:
  // Reports come from the library's own boundary, not from the signal.
  static bool fromLibrary() {
    const std::string where = ReportCapture::reports().back().where;
    return where.rfind("src/kvrKalvora:", 0) == 0 && where.size() > 6 &&
           where.substr(where.size() - 6) == " ERROR";
  }

  double stored(unsigned int id) const { return core.needParameter(id)->value; }

  TestCore core;
};

// ---- Lookups ------------------------------------------------------------------------

// Colour nodes from the sink up to the source, auxiliary nodes skipped.
TEST_F(KalvoraTest, ColorTypeNodesRunUpstreamFromTheSink) {
  const struct {
    unsigned int source, sink;
    Ids want;
  } cases[] = {{2, 10, {10, 9, 8, 7, 5, 3, 2}}, {7, kBranch1 + 8, {kBranch1 + 8, 7}}, {1, 2, {2}}};
  std::vector<PipelineNode*> nodes;
  for (const auto& c : cases) {
    nodes.clear();
    core.getColorTypeNodes(nodes, c.source, c.sink);
    Ids ids;
    for (const PipelineNode* node : nodes) ids.push_back(node->id);
    EXPECT_EQ(ids, c.want) << c.sink;
  }
  // A source that is not upstream runs off the head of the path.
  EXPECT_THROW(core.getColorTypeNodes(nodes, kBranch1 + 8, 10), KvrSignal);
}

// ---- Parameters ---------------------------------------------------------------------

TEST_F(KalvoraTest, SetParamStoresValuesInsideTheRangeAndNotifiesChanges) {
  EXPECT_EQ(core.setParam(1001, 800.0), kNoError);  // the stored value: nothing happens
  EXPECT_EQ(core.paramChanges, 0);
  EXPECT_EQ(core.setParam(1001, 50.0), kNoError);
  EXPECT_EQ(core.setParam(1001, 3200.0), kNoError);
  EXPECT_EQ(core.changedOld, 50.0);
  EXPECT_EQ(core.getNodeRevision(5), 2u);
  EXPECT_EQ(core.getNodeRevision(4), 0xFFFFFFFFu);  // no such node
  for (double outside : {49.0, std::nextafter(3200.0, 4000.0), std::nan("")})
    EXPECT_EQ(core.setParam(1001, outside), kIllegalValue) << outside;
  EXPECT_PRED2(contains, lastReport(), "nan for id 1001");
  EXPECT_TRUE(fromLibrary());
  EXPECT_EQ(stored(1001), 3200.0);
  EXPECT_EQ(core.paramChanges, 2);
  // The unbounded range starts above zero.
  EXPECT_EQ(core.setParam(7001, 0.0), kIllegalValue);
  EXPECT_EQ(core.setParam(7001, 1e300), kNoError);
  EXPECT_EQ(core.setParam(268, 1.0), kUnknownId);
  EXPECT_EQ(core.resetParam(1001), kNoError);
  EXPECT_EQ(stored(1001), 800.0);
  EXPECT_EQ(core.resetParam(268), kUnknownId);
  // Silent writes clamp and report nothing; setParam warns about read-only
  // parameters but writes them.
  EXPECT_EQ(core.getNumParametersToSave(true), 5);  // all but the never-saved ones
  EXPECT_EQ(core.getNumParametersToSave(false), 3);
  double minimum = 0.0, maximum = 0.0;
  EXPECT_EQ(core.getParamRange(1001, minimum, maximum), kNoError);
  EXPECT_EQ(core.getParamRange(268, minimum, maximum), kUnknownId);
  // The second clamp lands on the stored value and changes nothing.
  for (const double bound : {minimum, minimum, maximum}) {
    EXPECT_EQ(core.setParamSilent(1001, bound * 2.0 - 1600.0), kIllegalValue);
    EXPECT_EQ(stored(1001), bound);
  }
  EXPECT_EQ(core.setParamSilent(1001, 1600.0), kNoError);
  EXPECT_EQ(core.setParamSilent(1001, NAN), kIllegalValue);
  EXPECT_EQ(core.setParamSilent(6001, 2.0), kReadOnly);
  testing::internal::CaptureStdout();
  EXPECT_EQ(core.setParam(6001, 2.5), kReadOnly);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ID 6001 value 2.5\n");
  EXPECT_EQ(stored(6001), 2.5);
  EXPECT_EQ(core.resetParam(6001), kReadOnly);  // reported, but the default is restored
  EXPECT_EQ(stored(6001), 1.0);
}

// A failing hook is reported once at the boundary with the code of its failure.
TEST_F(KalvoraTest, HookFailuresBecomeReportedCodes) {
  EXPECT_EQ(core.setSystemCalibration(-1, systemRecord(0)), kIllegalIndex);
  EXPECT_EQ(core.useConfiguration(2), kIllegalIndex);
  EXPECT_EQ(core.setUnitCalibration(2, unitRecord(0)), kIllegalIndex);
  EXPECT_EQ(core.setUnitCalibration(0, unitRecord(0)), kNoError);
  EXPECT_EQ(core.useConfiguration(0), kMissingCalibration);  // a unit record alone is not enough
  core.setSystemCalibration(0, systemRecord(0));
  double value = 0.0;
  for (const auto& c : kHookFailures) {
    SCOPED_TRACE(c.fragment);
    ReportCapture::reports().clear();
    // A failed change notification keeps the new value.
    core.changeFailure = c.failure;
    value += 0.25;
    EXPECT_EQ(core.setParam(3001, value), c.code);
    EXPECT_EQ(stored(3001), value);
    core.changeFailure = Failure::kNone;
    // A failed configuration change keeps the selection as it was.
    core.configFailure = c.failure;
    EXPECT_EQ(core.useConfiguration(0), c.code);
    EXPECT_EQ(core.getCurrentConfiguration(), -1);
    core.configFailure = Failure::kNone;
    // getParameters has no error result: each failed update is reported.
    core.updateFailure = c.failure;
    EXPECT_EQ(core.getParameters()[2]->value, 3201.0);
    core.updateFailure = Failure::kNone;
    ASSERT_EQ(reportCount(), 10u);
    for (const std::string& message : ReportCapture::messages())
      EXPECT_PRED2(contains, message, c.fragment);
  }
  EXPECT_TRUE(fromLibrary());  // not the location of the hook's failure
  // A standard-library failure of a single read is reported as unknown.
  core.updateFailure = Failure::kStd;
  EXPECT_EQ(core.getParam(1001, value), kUnknownError);
  EXPECT_EQ(lastReport(), "unknown error");
  core.updateFailure = Failure::kNone;
  EXPECT_EQ(core.useConfiguration(0), kNoError);  // the failed selection is retried
  EXPECT_EQ(core.useConfiguration(0), kNoError);  // selecting it again calls no hook
  EXPECT_EQ(core.configChanges, 4);
}

// ---- Sampling ------------------------------------------------------------------------

constexpr unsigned short kUntouched = 0xBEEF;

// Size first, then scale, then node; a refused request writes nothing.
TEST_F(KalvoraTest, SamplingChecksSizeThenScaleThenNode) {
  std::vector<unsigned short> codes(3 * 66 * 66 * 66, kUntouched);
  unsigned short* c = codes.data();
  for (int size : {255, 65537}) EXPECT_EQ(core.getLut(3, size, c, 65536), kIllegalValue);
  EXPECT_EQ(core.getLut(3, 256, c, 65536), kLimitExceeded);
  EXPECT_EQ(core.getLut(11, 256, c, 65535), kUnknownId);               // exports are not nodes
  EXPECT_EQ(core.getRgbLut(8, 256, c, kLutPlanar, 4095), kUnknownId);  // another family
  EXPECT_EQ(core.export3dLut(11, 66, c, kLutInterleaved, 65536), kIllegalValue);
  EXPECT_EQ(core.export3dLut(12, 65, c, kLutInterleaved, 65536), kLimitExceeded);
  EXPECT_EQ(core.export3dLut(12, 3, c, kLutInterleaved, 65535), kUnknownId);
  core.withoutFunctions = true;  // a node whose hook has no function is unknown
  EXPECT_EQ(core.getLut(5, 256, c, 65535), kUnknownId);
  EXPECT_EQ(reportCount(), 9u);  // once each
  EXPECT_EQ(std::count(codes.begin(), codes.end(), kUntouched), long(codes.size()));
}

// ---- Matrices and diagnostics ---------------------------------------------------------

// Fixed point rounds half away from zero, saturates beyond 32 bits and maps
// NaN to 0; the diagnostics print a valid result and only report a failure.
TEST_F(KalvoraTest, MatricesRoundSaturateAndPrint) {
  const double in[9] = {0.5, -0.5, 4096, -4096, 1024.49, 1e300, -1e300, NAN, -1.4};
  const int32_t want[9] = {1, -1, 4096, -4096, 1024, INT32_MAX, INT32_MIN, 0, -1};
  for (int i = 0; i < 9; ++i) core.matrix3[i] = in[i] / 4096.0;
  RgbIntMatrix fixed{};
  ASSERT_EQ(core.getMatrix(3, fixed, 4096), kNoError);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(fixed[i], want[i]) << i;
  EXPECT_EQ(core.getMatrix(4, fixed, 4096), kUnknownId);
  EXPECT_EQ(fixed[0], 1);  // untouched
  const double matrix[9] = {1, -0.5, 1.0 / 3.0, 0.1, 2, 0, 0, 0, 1};
  std::copy(matrix, matrix + 9, core.matrix3);
  testing::internal::CaptureStdout();
  EXPECT_EQ(core.showLut(5, 256, 1023), kNoError);
  EXPECT_EQ(core.showMatrix(3), kNoError);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.size(), 256u * 12u + 3u * 31u);
  EXPECT_PRED2(contains, out, "  255   511\n         1      -0.5  0.333333\n       0.1");
  testing::internal::CaptureStdout();
  EXPECT_EQ(core.showLut(5, -1, 1023), kIllegalValue);
  EXPECT_EQ(core.showLut(9, 256, 1023), kUnknownId);
  EXPECT_EQ(core.showMatrix(4), kUnknownId);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_PRED2(contains, lastReport(), "returned error 4");
}

// ---- White balance --------------------------------------------------------------------

template <class Record, class Row, size_t count>
std::unique_ptr<Record, void (*)(void*)> recordOf(const Row (&rows)[count], int used = count) {
  std::unique_ptr<Record, void (*)(void*)> record(Record::allocate(used), std::free);
  std::copy(rows, rows + used, record->rows());
  return record;
}

// The unit rows win over the system rows; a record without rows counts as
// missing, and without a selected configuration nothing is calibrated.
TEST_F(KalvoraTest, WhiteBalancePrefersUnitRowsAndRefusesEmptyRecords) {
  double red = 0.0, blue = 0.0, cct = 0.0, tint = 0.0, matrix[9];
  auto expectMissing = [&] {
    EXPECT_THROW(core.getWhiteBlanceGain(4300.0, 0.0, red, blue), KvrSignal);
    EXPECT_THROW(core.getWhiteBalanceCct(red, blue, cct, tint), KvrSignal);
    EXPECT_THROW(core.getColorMatrix(4300.0, matrix), KvrSignal);
  };
  expectMissing();
  const auto system = recordOf<CameraSystemCalibrationRecord>(::KalvoraTest::kSystemRows);
  const auto unit = recordOf<CameraUnitCalibrationRecord>(::KalvoraTest::kUnitRows);
  const auto noUnit = recordOf<CameraUnitCalibrationRecord>(::KalvoraTest::kUnitRows, 0);
  const auto noSystem = recordOf<CameraSystemCalibrationRecord>(::KalvoraTest::kSystemRows, 0);
  core.setSystemCalibration(0, *system);
  core.setUnitCalibration(0, *noUnit);
  ASSERT_EQ(core.useConfiguration(0), kNoError);
  core.getWhiteBlanceGain(4300.0, 0.0, red, blue);
  EXPECT_EQ(std::make_pair(red, blue), std::make_pair(1.625, 2.0));
  core.getColorMatrix(4300.0, matrix);
  EXPECT_EQ(matrix[0], ::KalvoraTest::kSystemRows[2].matrix[0]);
  core.setUnitCalibration(0, *unit);
  core.getWhiteBlanceGain(4000.0, 0.0, red, blue);
  EXPECT_EQ(std::make_pair(red, blue), std::make_pair(double(1.55f), double(2.1f)));
  // A tint moves the gains off the locus and reads back from them.
  core.getWhiteBlanceGain(4000.0, 1.5, red, blue);
  core.getWhiteBalanceCct(red, blue, cct, tint);
  EXPECT_NEAR(tint, 1.5, 1e-6);
  core.setSystemCalibration(0, *noSystem);
  core.setUnitCalibration(0, *noUnit);
  expectMissing();
}

}  // namespace
}  // namespace Kalvora
