#include "kvrError.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#define KVR_SOURCE "tests/kvrErrorTest"

using namespace Kalvora;

namespace {

struct Report {
  std::string where;
  std::string text;
};
std::vector<Report> gReports;

void capturingHandler(const char* where, const char* format, va_list args) {
  char text[4096];
  std::vsnprintf(text, sizeof text, format, args);
  gReports.push_back({where != nullptr ? where : "", text});
}

// Installs the capturing handler for the lifetime of a test.
class ErrorBoundary : public ::testing::Test {
protected:
  void SetUp() override {
    gReports.clear();
    previous_ = setErrorHandler(capturingHandler);
  }
  void TearDown() override { setErrorHandler(previous_); }

private:
  ErrorHandler previous_ = nullptr;
};

}  // namespace

TEST(KvrSignal, DefaultConstructedIsUnknownErrorWithEmptyMessage) {
  KvrSignal signal;
  EXPECT_EQ(signal.code(), kUnknownError);
  EXPECT_EQ(signal.code(), 999);
  EXPECT_EQ(signal.where(), nullptr);
  EXPECT_STREQ(signal.what(), "");
}

TEST(KvrSignal, KeepsLocationPointerAndCopiesMessage) {
  static const char* const kWhere = "src/kvrKalvora:231 ERROR";
  std::string message = "illegal size for LUT";
  KvrSignal signal(kIllegalValue, kWhere, message);
  message[0] = 'X';
  EXPECT_EQ(signal.where(), kWhere);
  EXPECT_STREQ(signal.what(), "illegal size for LUT");
  EXPECT_EQ(signal.code(), kIllegalValue);
}

TEST(KvrSignal, CutsMessagesAfter1023Characters) {
  std::string longMessage(1500, 'a');
  KvrSignal signal(kIllegalValue, "here", longMessage.c_str());
  EXPECT_EQ(std::string(signal.what()), std::string(1023, 'a'));
  KvrSignal exact(kIllegalValue, "here", std::string(1023, 'b'));
  EXPECT_EQ(std::string(exact.what()), std::string(1023, 'b'));
}

TEST(ErrorCodes, NumbersArePartOfTheInterface) {
  const std::pair<ErrorCode, int> codes[] = {
      {kNoError, 0},           {kIllegalIndex, 1},         {kIllegalValue, 3},
      {kUnknownId, 4},         {kLimitExceeded, 5},        {kMissingCalibration, 6},
      {kReadOnly, 7},          {kMagicMismatch, 8},        {kUnknownFileVersion, 9},
      {kCrcMismatch, 10},      {kUnknownAtomKey, 13},      {kUnknownMetaDataVersion, 14},
      {kUnknownColorSpace, 15}, {kUnknownFeature, 16},     {kUnsupportedVersion, 17},
      {kIllegalCall, 18},      {kUnknownRevision, 21},     {kUnknownDesignDataKey, 22},
      {kUnknownError, 999}};
  for (auto [code, number] : codes) EXPECT_EQ(static_cast<int>(code), number);
  EXPECT_EQ(sizeof(ErrorCode), 4u);
}

TEST(Globals, FirstInstalledHandlerIsTheDefaultAndDebugLevelStartsAtOne) {
  ErrorHandler first = setErrorHandler(nullptr);
  EXPECT_EQ(first, &defaultErrorHandler);
  EXPECT_EQ(setErrorHandler(first), nullptr);
  EXPECT_EQ(setDebugLevel(5), 1);
  EXPECT_EQ(setDebugLevel(1), 5);
  EXPECT_EQ(gDBG, 1);
}

TEST(DefaultHandler, WritesLocationColonBlankMessageNewline) {
  testing::internal::CaptureStderr();
  KvrError("src/kvrKalvora:231 ERROR", "parameter value %f for id %d", 2.5, 1001);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "src/kvrKalvora:231 ERROR: parameter value 2.500000 for id 1001\n");
}

TEST(DefaultHandler, PrintsPercentSignsOfASignalMessageVerbatim) {
  testing::internal::CaptureStderr();
  ErrorCode code = kvrBoundary("boundary", []() -> ErrorCode {
    throw KvrSignal(kUnknownColorSpace, "src/kvrLoader:7 ERROR", "name %s%n from a file");
  });
  EXPECT_EQ(code, kUnknownColorSpace);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "src/kvrLoader:7 ERROR: name %s%n from a file\n");
}

TEST(DefaultHandler, NullHandlerSilencesButCodesAreStillReturned) {
  ErrorHandler previous = setErrorHandler(nullptr);
  testing::internal::CaptureStderr();
  ErrorCode code = kvrBoundary("boundary", []() -> ErrorCode {
    throw KvrSignal(kReadOnly, "where", "parameter is read only");
  });
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(code, kReadOnly);
  setErrorHandler(previous);
}

TEST_F(ErrorBoundary, ReturnsTheWorkResultWithoutReporting) {
  EXPECT_EQ(kvrBoundary("b", [] { return kNoError; }), kNoError);
  EXPECT_EQ(kvrBoundary("b", [] { return kReadOnly; }), kReadOnly);
  EXPECT_TRUE(gReports.empty());
}

TEST_F(ErrorBoundary, ReportsASignalOnceAtItsOwnLocation) {
  ErrorCode code = kvrBoundary("operation", []() -> ErrorCode {
    throw KvrSignal(kUnknownId, "src/kvrKalvora:99 ERROR", "Unknown node 10c");
  });
  EXPECT_EQ(code, kUnknownId);
  ASSERT_EQ(gReports.size(), 1u);
  EXPECT_EQ(gReports[0].where, "src/kvrKalvora:99 ERROR");
  EXPECT_EQ(gReports[0].text, "Unknown node 10c");
}

TEST_F(ErrorBoundary, ReportsStandardExceptionsAtTheOperationsLocation) {
  ErrorCode code = kvrBoundary("operation", []() -> ErrorCode { throw std::runtime_error("boom"); });
  EXPECT_EQ(code, kUnknownError);
  ASSERT_EQ(gReports.size(), 1u);
  EXPECT_EQ(gReports[0].where, "operation");
  EXPECT_EQ(gReports[0].text, "unexpected error from standard library: boom");
}

TEST_F(ErrorBoundary, CanTreatStandardExceptionsAsUnknown) {
  ErrorCode code = kvrBoundary<StdExceptionReport::kAsUnknown>(
      "operation", []() -> ErrorCode { throw std::runtime_error("boom"); });
  EXPECT_EQ(code, kUnknownError);
  ASSERT_EQ(gReports.size(), 1u);
  EXPECT_EQ(gReports[0].text, "unknown error");
}

TEST_F(ErrorBoundary, ReportsAnythingElseAsUnknownError) {
  ErrorCode code = kvrBoundary("operation", []() -> ErrorCode { throw 42; });
  EXPECT_EQ(code, kUnknownError);
  ASSERT_EQ(gReports.size(), 1u);
  EXPECT_EQ(gReports[0].where, "operation");
  EXPECT_EQ(gReports[0].text, "unknown error");
}

TEST_F(ErrorBoundary, UnknownIdMessagesCarryTheIdInLowercaseHex) {
  ErrorCode code = kvrBoundary("operation", []() -> ErrorCode {
    throwUnknownId("where", "Unknown node ", 268);
  });
  EXPECT_EQ(code, kUnknownId);
  ASSERT_EQ(gReports.size(), 1u);
  EXPECT_EQ(gReports[0].text, "Unknown node 10c");
  kvrBoundary("operation", []() -> ErrorCode {
    throwUnknownId("where", "Unknown parameter ", 0x10003e9);
  });
  EXPECT_EQ(gReports[1].text, "Unknown parameter 10003e9");
}

TEST(Location, LiteralNamesSourceLineAndError) {
  const char* here = KVR_HERE;
  EXPECT_EQ(std::string(here), "tests/kvrErrorTest:" + std::to_string(__LINE__ - 1) + " ERROR");
}
