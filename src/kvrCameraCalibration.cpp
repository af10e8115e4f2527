#include "kvrCameraCalibration.h"

#include <cerrno>
#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <locale>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#define KVR_SOURCE "src/kvrCameraCalibration"

namespace Kalvora {

namespace {

std::size_t recordBytes(std::size_t headerBytes, std::size_t rowBytes, int64_t rowCount) {
  if (rowCount < 0 || rowCount > std::numeric_limits<int32_t>::max()) return 0;
  const auto rows = static_cast<std::size_t>(rowCount);
  if (rows > (std::numeric_limits<std::size_t>::max() - headerBytes) / rowBytes) return 0;
  return headerBytes + rows * rowBytes;
}

template <class Record>
Record* allocateRecord(int64_t rowCount) {
  std::size_t bytes = Record::byteSize(rowCount);
  if (bytes == 0) return nullptr;
  auto* record = static_cast<Record*>(std::calloc(1, bytes));
  if (record != nullptr) record->rowCount = static_cast<int32_t>(rowCount);
  return record;
}

}  // namespace

std::size_t CameraSystemCalibrationRecord::byteSize(int64_t rowCount) {
  return recordBytes(sizeof(CameraSystemCalibrationRecord), sizeof(ColorConversionData), rowCount);
}

CameraSystemCalibrationRecord* CameraSystemCalibrationRecord::allocate(int64_t rowCount) {
  return allocateRecord<CameraSystemCalibrationRecord>(rowCount);
}

std::size_t CameraUnitCalibrationRecord::byteSize(int64_t rowCount) {
  return recordBytes(sizeof(CameraUnitCalibrationRecord), sizeof(ColorConversionData), rowCount);
}

CameraUnitCalibrationRecord* CameraUnitCalibrationRecord::allocate(int64_t rowCount) {
  return allocateRecord<CameraUnitCalibrationRecord>(rowCount);
}

namespace {

// Line layout of the calibration text.
constexpr std::size_t kDateLine = 0;
constexpr std::size_t kHeaderValue1Line = 1;
constexpr std::size_t kHeaderValue2Line = 2;
constexpr std::size_t kRowCountLine = 3;
constexpr std::size_t kHeaderLines = 5;  // the fifth is the column heading
// cct, nine matrix entries, gainRed, gainBlue, slope.
constexpr std::size_t kNumbersPerRow = 13;

const char* const kMissingRows = "Error by reading RGB matrix";

struct CalibrationText {
  std::vector<std::string> header;
  // Numbers of each data line; extraction stops one past a full row.
  std::vector<std::vector<double>> rows;
};

struct RecordFree {
  void operator()(CameraSystemCalibrationRecord* record) const { std::free(record); }
};
using RecordPtr = std::unique_ptr<CameraSystemCalibrationRecord, RecordFree>;

[[noreturn]] void fail(const char* where, const std::string& message) {
  throw KvrSignal(kUnknownError, where, message);
}

std::vector<double> rowNumbers(const std::string& line) {
  std::istringstream in(line);
  in.imbue(std::locale::classic());
  std::vector<double> numbers;
  double value;
  while (numbers.size() <= kNumbersPerRow && in >> value) numbers.push_back(value);
  return numbers;
}

// Lines up to the first empty one; a trailing carriage return is dropped so
// that files with CR LF line ends read the same.
CalibrationText readCalibrationText(const char* path) {
  std::ifstream file;
  if (path != nullptr) file.open(path, std::ios::in | std::ios::binary);
  if (path == nullptr || !file.is_open()) {
    const char* shown = path != nullptr ? path : "";
    std::fprintf(stderr, "FAILED TO OPEN FILE '%s'\n", shown);
    fail(KVR_HERE, std::string("Error opening file ") + shown);
  }
  CalibrationText text;
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) break;
    if (text.header.size() < kHeaderLines)
      text.header.push_back(line);
    else
      text.rows.push_back(rowNumbers(line));
  }
  return text;
}

std::vector<std::string> tokens(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> result;
  std::string token;
  while (in >> token) result.push_back(token);
  return result;
}

std::string token(const std::vector<std::string>& header, std::size_t line, std::size_t index) {
  if (line >= header.size()) return std::string();
  std::vector<std::string> all = tokens(header[line]);
  return index < all.size() ? all[index] : std::string();
}

// Leading decimal number as C atoi reads it, without atoi's undefined
// behaviour on overflow: false when the number does not fit in an int.
bool leadingInt(const std::string& text, int& value) {
  errno = 0;
  char* end = nullptr;
  long parsed = std::strtol(text.c_str(), &end, 10);
  if (errno == ERANGE || parsed < std::numeric_limits<int>::min() ||
      parsed > std::numeric_limits<int>::max())
    return false;
  value = static_cast<int>(parsed);
  return true;
}

int monthIndex(const std::string& name) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (int month = 0; month < 12; ++month)
    if (name == kMonths[month]) return month;
  return -1;
}

std::time_t calibrationDate(const std::vector<std::string>& header) {
  int day = 0;
  int year = 0;
  int month = monthIndex(token(header, kDateLine, 2));
  if (month < 0 || !leadingInt(token(header, kDateLine, 1), day) || !(1 <= day && day <= 31) ||
      !leadingInt(token(header, kDateLine, 3), year) ||
      year < std::numeric_limits<int>::min() + 1900)
    fail(KVR_HERE, "Date conversion error");

  std::tm date{};
  date.tm_mday = day;
  date.tm_mon = month;
  date.tm_year = year - 1900;
  date.tm_isdst = -1;  // daylight saving as the C library finds it
  std::time_t seconds = std::mktime(&date);
  if (seconds == static_cast<std::time_t>(-1))
    fail(KVR_HERE, "Calendar time cannot be represented");
  return seconds;
}

// The number after the label: an optional sign and decimal digits, nothing
// else. Returns false for anything else; overlong numbers saturate.
bool headerNumber(const std::vector<std::string>& header, std::size_t line, int64_t& value) {
  std::string text = token(header, line, 1);
  std::size_t first = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
  if (first == text.size()) return false;
  int64_t magnitude = 0;
  const int64_t limit = std::numeric_limits<int64_t>::max() / 10 - 9;
  for (std::size_t i = first; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    if (magnitude < limit) magnitude = magnitude * 10 + (text[i] - '0');
  }
  value = text[0] == '-' ? -magnitude : magnitude;
  return true;
}

// Numbers that cannot be parsed or stored in 32 bits are kept as 0.
uint32_t headerValue(const std::vector<std::string>& header, std::size_t line) {
  int64_t value = 0;
  if (!headerNumber(header, line, value)) return 0;
  return (0 <= value && value <= std::numeric_limits<uint32_t>::max())
             ? static_cast<uint32_t>(value)
             : 0;
}

// The declared row count must be one that a record can hold and must match
// the data lines; an unreadable count reads as 0.
int32_t checkedRowCount(const CalibrationText& text) {
  if (text.header.size() < kHeaderLines) fail(KVR_HERE, kMissingRows);
  int64_t declared = 0;
  if (!headerNumber(text.header, kRowCountLine, declared)) declared = 0;
  if (declared < 0 || declared > std::numeric_limits<int32_t>::max() ||
      static_cast<uint64_t>(declared) != text.rows.size())
    fail(KVR_HERE, kMissingRows);
  return static_cast<int32_t>(declared);
}

bool fitsFloat(double value) { return -FLT_MAX <= value && value <= FLT_MAX; }

void checkRow(const std::vector<double>& numbers) {
  if (numbers.size() != kNumbersPerRow) fail(KVR_HERE, kMissingRows);
  // cct must truncate to a 32-bit integer; gains and slope must be floats.
  if (!(numbers[0] > std::numeric_limits<int32_t>::min() - 1.0 &&
        numbers[0] < std::numeric_limits<int32_t>::max() + 1.0))
    fail(KVR_HERE, kMissingRows);
  for (std::size_t i = 10; i < kNumbersPerRow; ++i)
    if (!fitsFloat(numbers[i])) fail(KVR_HERE, kMissingRows);
}

void fillRow(const std::vector<double>& numbers,
             CameraSystemCalibrationRecord::ColorConversionData& row) {
  row.cct = static_cast<int32_t>(numbers[0]);
  for (int i = 0; i < 9; ++i) row.matrix[i] = numbers[1 + i];
  row.gainRed = static_cast<float>(numbers[10]);
  row.gainBlue = static_cast<float>(numbers[11]);
  row.slope = static_cast<float>(numbers[12]);
}

RecordPtr loadRecord(const char* path) {
  CalibrationText text = readCalibrationText(path);
  std::time_t date = calibrationDate(text.header);
  int32_t rowCount = checkedRowCount(text);
  for (const std::vector<double>& numbers : text.rows) checkRow(numbers);

  RecordPtr record(CameraSystemCalibrationRecord::allocate(rowCount));
  if (!record) fail(KVR_HERE, "Memory allocation failed");
  record->headerValue1 = headerValue(text.header, kHeaderValue1Line);
  record->date = date;
  record->headerValue2 = headerValue(text.header, kHeaderValue2Line);
  record->layoutVersion = 1;
  for (int32_t i = 0; i < rowCount; ++i) fillRow(text.rows[i], record->rows()[i]);
  return record;
}

}  // namespace

CameraSystemCalibrationRecord* loadSystemCalibrationDataText(const char* path, ErrorCode& code) {
  RecordPtr record;
  ErrorCode result = kvrBoundary(KVR_HERE, [&] {
    record = loadRecord(path);
    return kNoError;
  });
  if (result != kNoError) {
    code = kUnknownError;
    return nullptr;
  }
  return record.release();
}

}  // namespace Kalvora
