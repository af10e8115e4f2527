#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "kvrError.h"
#include "kvrTestSupport.h"

#define KVR_SOURCE "tests/kvrErrorTest"

using namespace Kalvora;
using KalvoraTest::ReportCapture;

TEST(KvrSignal, DefaultCodeAndMessageCopiedAndCut) {
  const KvrSignal none;
  EXPECT_EQ(none.code(), kUnknownError);
  EXPECT_EQ(none.where(), nullptr);
  EXPECT_STREQ(none.what(), "");

  static const char* const kWhere = "src/kvrKalvora:231 ERROR";
  std::string message = "a message of its own";
  const KvrSignal signal(kIllegalValue, kWhere, message);
  message[0] = 'X';
  EXPECT_EQ(signal.where(), kWhere);
  EXPECT_STREQ(signal.what(), "a message of its own");
  EXPECT_EQ(signal.code(), kIllegalValue);
  EXPECT_EQ(std::string(KvrSignal(kIllegalValue, "here", std::string(1500, 'a').c_str()).what()),
            std::string(1023, 'a'));

  const char* here = KVR_HERE;
  EXPECT_EQ(std::string(here), "tests/kvrErrorTest:" + std::to_string(__LINE__ - 1) + " ERROR");
}

TEST(DefaultHandler, WritesLocationColonBlankMessageNewline) {
  testing::internal::CaptureStderr();
  KvrError("src/kvrKalvora:231 ERROR", "parameter value %f for id %d", 2.5, 1001);
  // A signal's message is printed verbatim, not used as a format.
  EXPECT_EQ(kvrBoundary("boundary",
                        []() -> ErrorCode {
                          throw KvrSignal(kUnknownColorSpace, "src/kvrLoader:7 ERROR", "%s%n");
                        }),
            kUnknownColorSpace);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "src/kvrKalvora:231 ERROR: parameter value 2.500000 for id 1001\n"
            "src/kvrLoader:7 ERROR: %s%n\n");

  // A null handler silences the report; the code is still returned.
  const ErrorHandler previous = setErrorHandler(nullptr);
  testing::internal::CaptureStderr();
  EXPECT_EQ(kvrBoundary("b", []() -> ErrorCode { throw KvrSignal(kReadOnly, "where", "x"); }),
            kReadOnly);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  setErrorHandler(previous);
}

TEST(Boundary, ReturnsTheCodeAndReportsOnceWhereTheFailureArose) {
  const ReportCapture capture;
  EXPECT_EQ(kvrBoundary("b", [] { return kReadOnly; }), kReadOnly);
  EXPECT_TRUE(ReportCapture::reports().empty());
  const struct {
    ErrorCode (*run)();
    ErrorCode code;
    const char* where;
    const char* message;
  } cases[] = {
      {[] { return kvrBoundary("op", []() -> ErrorCode { throw std::runtime_error("boom"); }); },
       kUnknownError, "op", "unexpected error from standard library: boom"},
      {[] {
         return kvrBoundary<StdExceptionReport::kAsUnknown>(
             "op", []() -> ErrorCode { throw std::runtime_error("boom"); });
       },
       kUnknownError, "op", "unknown error"},
      {[] { return kvrBoundary("op", []() -> ErrorCode { throw 42; }); }, kUnknownError, "op",
       "unknown error"},
      {[] {
         return kvrBoundary(
             "op", []() -> ErrorCode { throwUnknownId("at", "Unknown parameter ", 0x10003e9); });
       },
       kUnknownId, "at", "Unknown parameter 10003e9"},  // ids in lowercase hex
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    ReportCapture::reports().clear();
    EXPECT_EQ(c.run(), c.code);
    ASSERT_EQ(ReportCapture::reports().size(), 1u);
    EXPECT_EQ(ReportCapture::reports()[0].where, c.where);
    EXPECT_EQ(ReportCapture::reports()[0].message, c.message);
  }
}
