#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "kvrCalibrationRows.h"
#include "kvrCameraCalibration.h"
#include "kvrKalvora.h"
#include "kvrTestSupport.h"

using namespace Kalvora;

namespace {

// The image core base class shares its name with the namespace.
using ImageCore = ::Kalvora::Kalvora;
using KalvoraTest::SystemRow;
using KalvoraTest::UnitRow;

using KalvoraTest::kSystemRows;
using KalvoraTest::kUnitRows;

struct Freed {
  void operator()(void* record) const { std::free(record); }
};
using SystemRecord = std::unique_ptr<CameraSystemCalibrationRecord, Freed>;
using UnitRecord = std::unique_ptr<CameraUnitCalibrationRecord, Freed>;

template <class Record, class Row, int N>
Record* makeRecord(const Row (&rows)[N], int count = N) {
  Record* record = Record::allocate(count);
  for (int i = 0; i < count; ++i) record->rows()[i] = rows[i];
  return record;
}

// The smallest concrete core: every node shows the colour matrix of
// matrixCct.
class BalanceCore : public ImageCore {
public:
  BalanceCore() : ImageCore(2, kPipelineOutputOnly, kestaElvexparam) { initState(true); }

  double matrixCct = 5600.0;

protected:
  void do_getMatrix(unsigned int, double (&matrix)[9]) override {
    getColorMatrix(matrixCct, matrix);
  }
  LutFunc const* do_getLut(unsigned int) const override { return &LutFunc::sUnity; }
  LutFuncRgb const* do_getRgbLut(unsigned int) const override { return &LutFuncRgb::sUnity; }
  LutFunc3D const* do_exportLut(unsigned int) override { return &LutFunc3D::sUnity; }
  void do_getRgbGainOffset(unsigned int, RgbGainOffset&) override {}
  void updateParam(unsigned int) override {}
  void handleParamChanged(PipelineParameter&, double) override {}
  void handleModeChanged(PipelineMode&) override {}
  void handleOpticalConfigChanged(int) override {}
  void splitId(unsigned int&, unsigned int&) const override {}
  void createPipeline() override {}
  void createExports() override {}
  void createParameters() override {}
  void createModes() override {}
  void updateRgbGain(double, double) override {}
};

using KalvoraTest::ReportCapture;

class WhiteBalance : public testing::Test {
protected:
  // Registers the records for a configuration and selects it.
  void use(int index, const CameraSystemCalibrationRecord& systemRecord,
           const CameraUnitCalibrationRecord* unitRecord = nullptr) {
    ASSERT_EQ(core.setSystemCalibration(index, systemRecord), kNoError);
    if (unitRecord != nullptr) {
      ASSERT_EQ(core.setUnitCalibration(index, *unitRecord), kNoError);
    }
    ASSERT_EQ(core.useConfiguration(index), kNoError);
  }

  // The messages of the kMissingCalibration signals of the three operations.
  std::vector<std::string> missingCalibration() {
    double gainRed = 0, gainBlue = 0, cct = 0, tint = 0, matrix[9];
    std::vector<std::string> messages;
    auto run = [&](auto&& operation) {
      try {
        operation();
        messages.push_back("no signal");
      } catch (const KvrSignal& signal) {
        EXPECT_EQ(signal.code(), kMissingCalibration);
        messages.push_back(signal.what());
      }
    };
    run([&] { core.getWhiteBlanceGain(5600, 0, gainRed, gainBlue); });
    run([&] { core.getWhiteBalanceCct(1.5, 2.0, cct, tint); });
    run([&] { core.getColorMatrix(5600, matrix); });
    return messages;
  }

  BalanceCore core;
  SystemRecord system{makeRecord<CameraSystemCalibrationRecord>(kSystemRows)};
  UnitRecord unit{makeRecord<CameraUnitCalibrationRecord>(kUnitRows)};
  ReportCapture capture;
};

}  // namespace

TEST_F(WhiteBalance, WithoutAConfigurationEverythingFails) {
  ASSERT_EQ(core.setSystemCalibration(0, *system), kNoError);  // registered, not selected
  const std::string expected = "No valid optical configuration";
  EXPECT_EQ(missingCalibration(), std::vector<std::string>(3, expected));

  // Through a public boundary the failure is reported once and returned.
  double matrix[9];
  EXPECT_EQ(core.getMatrix(7, matrix), kMissingCalibration);
  EXPECT_EQ(ReportCapture::messages(), std::vector<std::string>{expected});
}

TEST_F(WhiteBalance, RecordsWithoutRowsCountAsMissing) {
  SystemRecord emptySystem(CameraSystemCalibrationRecord::allocate(0));
  use(1, *emptySystem);
  EXPECT_EQ(missingCalibration(), std::vector<std::string>(3, "Calibration data missing"));

  // An empty unit record falls back to the system record.
  UnitRecord emptyUnit(CameraUnitCalibrationRecord::allocate(0));
  use(0, *system, emptyUnit.get());
  double gainRed = 0, gainBlue = 0;
  core.getWhiteBlanceGain(3200, 0, gainRed, gainBlue);
  EXPECT_EQ(gainRed, 1.375);
  EXPECT_EQ(gainBlue, 2.5);
}

// The row interpolation itself is covered with the templates; here the
// system record reaches them whole.
TEST_F(WhiteBalance, SystemRecordGivesEndRowsAndTintRoundTrip) {
  use(0, *system);
  double gainRed = 0, gainBlue = 0, cct = 0, tint = 0, matrix[9];
  core.getWhiteBlanceGain(2000, 0.0, gainRed, gainBlue);
  EXPECT_EQ(gainRed, 1.25);
  EXPECT_EQ(gainBlue, 2.875);
  core.getColorMatrix(2000, matrix);
  EXPECT_EQ(matrix[7], -0.625);
  core.getWhiteBlanceGain(7500, 0.0, gainRed, gainBlue);
  EXPECT_EQ(gainRed, 2.25);
  EXPECT_EQ(gainBlue, 1.375);
  core.getColorMatrix(12000, matrix);
  for (int j = 0; j < 9; ++j) EXPECT_EQ(matrix[j], kSystemRows[4].matrix[j]);
  core.getWhiteBalanceCct(2.25, 1.375, cct, tint);
  EXPECT_NEAR(cct, 7500, 1e-9);
  EXPECT_NEAR(tint, 0.0, 1e-9);

  // At a row the tint comes back exactly.
  core.getWhiteBlanceGain(4300, 6.0, gainRed, gainBlue);
  core.getWhiteBalanceCct(gainRed, gainBlue, cct, tint);
  EXPECT_NEAR(cct, 4300, 1e-6);
  EXPECT_NEAR(tint, 6.0, 1e-9);

  // Gains far outside the calibrated range leave temperature and tint alone.
  cct = 0;
  tint = 3;
  core.getWhiteBalanceCct(0.5, 8.0, cct, tint);
  EXPECT_EQ(cct, 0.0);
  EXPECT_EQ(tint, 3.0);
}

TEST_F(WhiteBalance, UnitRecordGivesGainsWhileTheMatrixStaysSystem) {
  use(0, *system, unit.get());
  double gainRed = 0, gainBlue = 0, cct = 0, tint = 1, matrix[9];
  core.getWhiteBlanceGain(4000, 0.0, gainRed, gainBlue);
  EXPECT_EQ(gainRed, 1.55f);
  EXPECT_EQ(gainBlue, 2.1f);
  core.getWhiteBalanceCct(1.3f, 2.7f, cct, tint);
  EXPECT_NEAR(cct, 3000, 1e-9);
  EXPECT_NEAR(tint, 0.0, 1e-9);
  core.getColorMatrix(4300, matrix);
  EXPECT_EQ(matrix[0], 1.5625);

  core.matrixCct = 7500;
  EXPECT_EQ(core.getMatrix(7, matrix), kNoError);
  EXPECT_EQ(matrix[0], 1.4375);
}

TEST(ApplyTint, OneUnitMovesTheWhitePointByAFiveHundredthAlongTheSlope) {
  double gainRed = 1.875, gainBlue = 1.75, x0, y0, x1, y1;
  ImageCore::applyTint(0.0, 0.5, gainRed, gainBlue);
  EXPECT_DOUBLE_EQ(gainRed, 1.875);
  EXPECT_DOUBLE_EQ(gainBlue, 1.75);

  gain2Chromaticity(gainRed, gainBlue, x0, y0);
  ImageCore::applyTint(1.0, 0.5, gainRed, gainBlue);
  gain2Chromaticity(gainRed, gainBlue, x1, y1);
  EXPECT_NEAR(std::hypot(x1 - x0, y1 - y0), 0.005, 1e-12);
  EXPECT_NEAR((y1 - y0) / (x1 - x0), 0.5, 1e-9);

  ImageCore::applyTint(-1.0, 0.5, gainRed, gainBlue);
  EXPECT_NEAR(gainRed, 1.875, 1e-12);
  EXPECT_NEAR(gainBlue, 1.75, 1e-12);
}
