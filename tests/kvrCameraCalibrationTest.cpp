#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kvrCameraCalibration.h"
#include "kvrTestSupport.h"

using namespace Kalvora;

namespace {

using KalvoraTest::Report;
using KalvoraTest::ReportCapture;

struct FreeRecord {
  void operator()(CameraSystemCalibrationRecord* record) const { std::free(record); }
};
using Record = std::unique_ptr<CameraSystemCalibrationRecord, FreeRecord>;

const std::string kDataDir = std::string(KALVORA_TEST_DATA_DIR) + "/calibration/";

class CalibrationLoader : public ::testing::Test {
protected:
  Record load(const std::string& path, ErrorCode& code) {
    return Record(loadSystemCalibrationDataText(path.c_str(), code));
  }

  Record loadGood(const char* name) {
    ErrorCode code = kNoError;
    Record record = load(kDataDir + name, code);
    EXPECT_EQ(code, kNoError) << name;
    EXPECT_TRUE(ReportCapture::reports().empty())
        << name << ": " << ReportCapture::reports().front().message;
    return record;
  }

  // Loads a file that must be rejected; returns the one report made.
  Report loadBad(const std::string& path) {
    ReportCapture::reports().clear();
    ErrorCode code = kNoError;
    Record record = load(path, code);
    EXPECT_EQ(record, nullptr) << path;
    EXPECT_EQ(code, kUnknownError) << path;
    EXPECT_EQ(ReportCapture::reports().size(), 1u) << path;
    return ReportCapture::reports().empty() ? Report{} : ReportCapture::reports().front();
  }

  std::string messageFor(const char* name) { return loadBad(kDataDir + name).message; }

private:
  ReportCapture capture_;
};

std::time_t localMidnight(int day, int month, int year) {
  std::tm date{};
  date.tm_mday = day;
  date.tm_mon = month;
  date.tm_year = year - 1900;
  date.tm_isdst = -1;
  return std::mktime(&date);
}

}  // namespace

TEST_F(CalibrationLoader, ReadsHeaderAndRowsAndLeavesTheCodeAlone) {
  ErrorCode code = kReadOnly;
  Record record = load(kDataDir + "good_five_rows.txt", code);
  EXPECT_EQ(code, kReadOnly);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->headerValue1, 4711u);
  EXPECT_EQ(record->headerValue2, 3u);
  EXPECT_EQ(record->layoutVersion, 1u);
  EXPECT_EQ(record->date, localMidnight(14, 2, 2024));
  ASSERT_EQ(record->rowCount, 5);

  const auto& first = record->rows()[0];
  EXPECT_EQ(first.cct, 2800);
  const double firstMatrix[9] = {1.6875,  -0.5,   -0.1875, -0.25, 1.4375,
                                 -0.1875, 0.0625, -0.625,  1.5625};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(first.matrix[i], firstMatrix[i]) << i;
  EXPECT_EQ(first.gainRed, 1.25f);
  EXPECT_EQ(first.gainBlue, 2.875f);
  EXPECT_EQ(first.slope, -0.875f);
  const auto& last = record->rows()[4];
  EXPECT_EQ(last.cct, 7500);
  EXPECT_EQ(last.matrix[8], 1.3125);
  EXPECT_EQ(last.gainRed, 2.25f);
  EXPECT_EQ(last.gainBlue, 1.375f);
  EXPECT_EQ(last.slope, -1.375f);

  // Line ends and text after a blank line do not change the record.
  for (const char* name : {"good_crlf_line_ends.txt", "good_text_after_blank_line_ignored.txt"}) {
    Record same = loadGood(name);
    ASSERT_NE(same, nullptr);
    EXPECT_EQ(std::memcmp(record.get(), same.get(), CameraSystemCalibrationRecord::byteSize(5)), 0)
        << name;
  }
}

TEST_F(CalibrationLoader, MissingFileNullPathAndDirectory) {
  const std::string path = kDataDir + "no_such_file_%s%n.txt";
  testing::internal::CaptureStderr();
  Report report = loadBad(path);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "FAILED TO OPEN FILE '" + path + "'\n");
  EXPECT_EQ(report.message, "Error opening file " + path);

  ReportCapture::reports().clear();
  testing::internal::CaptureStderr();
  ErrorCode code = kNoError;
  EXPECT_EQ(loadSystemCalibrationDataText(nullptr, code), nullptr);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(code, kUnknownError);
  EXPECT_EQ(ReportCapture::reports().size(), 1u);

  loadBad(kDataDir);
}

// Every file named bad_* must be rejected with exactly one report and every
// good_* file must load (the sanitizer build checks for leaks and overruns).
TEST_F(CalibrationLoader, EveryFileOfTheCollection) {
  int good = 0;
  int bad = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kDataDir)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("bad_", 0) == 0) {
      loadBad(entry.path().string());
      ++bad;
    } else if (name.rfind("good_", 0) == 0) {
      ReportCapture::reports().clear();
      EXPECT_NE(loadGood(name.c_str()), nullptr) << name;
      ++good;
    }
  }
  EXPECT_GE(good, 5);
  EXPECT_GE(bad, 30);
}

TEST(CalibrationRecord, SizesNeverWrapAndRowsFollowTheHeader) {
  using System = CameraSystemCalibrationRecord;
  using Unit = CameraUnitCalibrationRecord;
  EXPECT_EQ(System::byteSize(0), sizeof(System));
  EXPECT_EQ(System::byteSize(3), sizeof(System) + 3 * sizeof(System::ColorConversionData));
  EXPECT_EQ(Unit::byteSize(2), sizeof(Unit) + 2 * sizeof(Unit::ColorConversionData));
  EXPECT_EQ(System::byteSize(-1), 0u);
  EXPECT_EQ(System::byteSize(int64_t{1} << 31), 0u);
  EXPECT_EQ(System::byteSize(int64_t{1} << 32), 0u);
  EXPECT_EQ(Unit::byteSize(-5), 0u);
  EXPECT_EQ(System::allocate(-1), nullptr);
  EXPECT_EQ(Unit::allocate(int64_t{4294967295}), nullptr);

  Unit* unit = Unit::allocate(3);
  ASSERT_NE(unit, nullptr);
  EXPECT_EQ(unit->rowCount, 3);
  EXPECT_EQ(reinterpret_cast<const char*>(unit->rows()),
            reinterpret_cast<const char*>(unit) + sizeof(Unit));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(unit->rows()[i].cct, 0);  // zeroed
  unit->rows()[2].slope = -1.0f;  // the last row lies inside the block
  std::free(unit);
}
