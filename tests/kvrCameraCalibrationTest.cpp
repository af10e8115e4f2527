#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iomanip>
#include <memory>
#include <sstream>
#include <string>

#include "kvrCameraCalibration.h"
#include "kvrTestSupport.h"

using namespace Kalvora;
using KalvoraTest::ReportCapture;

namespace {

struct FreeRecord {
  void operator()(CameraSystemCalibrationRecord* record) const { std::free(record); }
};
using Record = std::unique_ptr<CameraSystemCalibrationRecord, FreeRecord>;

const std::string kFiveRows =
    std::string(KALVORA_TEST_DATA_DIR) + "/calibration/good_five_rows.txt";

std::string fiveRows() {
  std::ostringstream text;
  text << std::ifstream(kFiveRows, std::ios::binary).rdbuf();
  return text.str();
}

// The text with the first (or every) occurrence of from replaced by to.
std::string edit(std::string text, const std::string& from, const std::string& to,
                 bool all = false) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
    if (!all) break;
  }
  return text;
}

// A header declaring rows, then the heading line.
std::string header(const std::string& rows) {
  return "Calibrated 14 Mar 2024\nSystem 4711\nRevision 3\nRows " + rows + "\nheading\n";
}

const std::string kRow = "5600 1 0 0 0 1 0 0 0 1 1 1 1\n";

class CalibrationLoader : public KalvoraTest::ReportCaptureTest {
protected:
  Record loadPath(const std::string& path, ErrorCode& code) {
    ReportCapture::reports().clear();
    return Record(loadSystemCalibrationDataText(path.c_str(), code));
  }

  // Loads the text through a file; a failure reports once and sets the code.
  Record load(const std::string& text, bool good) {
    const std::string path = testing::TempDir() + "kvrCalibration-" + std::to_string(getpid());
    std::ofstream(path, std::ios::binary) << text;
    ErrorCode code = kReadOnly;
    Record record = loadPath(path, code);
    std::remove(path.c_str());
    EXPECT_EQ(record != nullptr, good);
    EXPECT_EQ(code, good ? kReadOnly : kUnknownError);
    EXPECT_EQ(ReportCapture::reports().size(), good ? 0u : 1u);
    return record;
  }
};

}  // namespace

TEST_F(CalibrationLoader, ReadsHeaderAndRowsAndLeavesTheCodeAlone) {
  const std::string text = fiveRows();
  Record record = load(text, true);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->headerValue1, 4711u);
  EXPECT_EQ(record->headerValue2, 3u);
  std::tm date{};
  std::istringstream("2024-03-14") >> std::get_time(&date, "%Y-%m-%d");
  date.tm_isdst = -1;
  EXPECT_EQ(record->date, std::mktime(&date));
  ASSERT_EQ(record->rowCount, 5);
  EXPECT_EQ(record->rows()[0].matrix[8], 1.5625);
  EXPECT_EQ(record->rows()[0].cct, 2800);
  EXPECT_EQ(record->rows()[4].gainBlue, 1.375f);
  EXPECT_EQ(record->rows()[4].slope, -1.375f);

  // CR LF line ends, text after a blank line, unreadable header values,
  // trailing words and a missing last newline pass.
  Record again = load(edit(text, "\n", "\r\n", true) + "\n" + kRow + "junk\n", true);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(std::memcmp(record.get(), again.get(), CameraSystemCalibrationRecord::byteSize(5)), 0);
  const std::string unreadable =
      edit(edit(header("1"), "System 4711", "System abc"), "Revision 3", "Revision 99999999999");
  EXPECT_NE(load(unreadable + kRow.substr(0, kRow.size() - 1) + " words", true), nullptr);
}

// One text for each check of the loader.
TEST_F(CalibrationLoader, RejectsEveryMalformedTextWithOneReport) {
  const std::string text = fiveRows();
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 37 + 11) & 0xff);
  const std::string cases[] = {
      "",
      "Calibrated 14 Mar 2024\n",
      edit(text, "14 Mar", "0 Mar"),
      edit(text, "Mar", "March"),
      edit(text, "2024", "99999999999999999999"),
      edit(text, "Rows 5", "Rows 6"),
      edit(text, "Rows 5", "Rows five"),
      header("-1"),
      header("2147483648"),
      header("123456789012345678901234567890"),
      header("1") + "5600 1 0 0 0 1 0 0 0 1 1 1\n",
      header("1") + "5600 1 0 0 0 1 0 0 0 1 1 1 1 0.5\n",
      header("1") + "1e12 1 0 0 0 1 0 0 0 1 1 1 1\n",
      header("1") + "5600 1 0 0 0 1 0 0 0 1 1e300 1 1\n",
      header("2") + binary,
  };
  for (const std::string& bad : cases) {
    SCOPED_TRACE(bad.substr(0, 120));
    load(bad, false);
  }
}

TEST_F(CalibrationLoader, MissingFileNullPathAndDirectory) {
  const std::string path = kFiveRows + "_%s%n";
  ErrorCode code = kNoError;
  testing::internal::CaptureStderr();
  EXPECT_EQ(loadPath(path, code), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "FAILED TO OPEN FILE '" + path + "'\n");
  EXPECT_EQ(code, kUnknownError);
  testing::internal::CaptureStderr();
  EXPECT_EQ(loadSystemCalibrationDataText(nullptr, code), nullptr);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(loadPath(KALVORA_TEST_DATA_DIR, code), nullptr);
  EXPECT_EQ(ReportCapture::reports().size(), 1u);
}

TEST(CalibrationRecord, SizesNeverWrapAndRowsFollowTheHeader) {
  using Unit = CameraUnitCalibrationRecord;
  EXPECT_EQ(Unit::byteSize(2), sizeof(Unit) + 2 * sizeof(Unit::ColorConversionData));
  for (int64_t count : {int64_t{-1}, int64_t{1} << 31})
    EXPECT_EQ(CameraSystemCalibrationRecord::byteSize(count), 0u) << count;
  EXPECT_EQ(Unit::allocate(int64_t{4294967295}), nullptr);
  Unit* unit = Unit::allocate(3);
  ASSERT_NE(unit, nullptr);
  EXPECT_EQ(unit->rowCount, 3);
  EXPECT_EQ(reinterpret_cast<const char*>(unit->rows()),
            reinterpret_cast<const char*>(unit) + sizeof(Unit));
  EXPECT_EQ(unit->rows()[2].cct, 0);  // zeroed, and the last row lies inside the block
  std::free(unit);
}
