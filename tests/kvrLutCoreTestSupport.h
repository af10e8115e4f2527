// Shared helpers of the look and LUT core suites: capture of error reports
// and a core with its colour LUT set opened up.
#pragma once

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "kvrError.h"
#include "kvrLutGeneratorImageCore.h"

namespace KalvoraTest {

inline std::vector<std::string>& reportedMessages() {
  static std::vector<std::string> messages;
  return messages;
}

inline void captureReport(const char*, const char* format, va_list args) {
  char text[1200];
  std::vsnprintf(text, sizeof text, format, args);
  reportedMessages().push_back(text);
}

// Collects every report of a test instead of printing it.
class ReportCaptureTest : public testing::Test {
protected:
  void SetUp() override {
    reportedMessages().clear();
    previous_ = Kalvora::setErrorHandler(captureReport);
  }
  void TearDown() override { Kalvora::setErrorHandler(previous_); }

  static std::string lastReport() {
    return reportedMessages().empty() ? std::string() : reportedMessages().back();
  }
  static size_t reportCount() { return reportedMessages().size(); }

private:
  Kalvora::ErrorHandler previous_ = nullptr;
};

// The generator with its colour LUT set reachable.
class OpenLutGenerator : public Kalvora::LutGeneratorImageCore {
public:
  using ::Kalvora::Vorn2ImageCore::getColorLuts;
};

inline long cube(int n) { return static_cast<long>(n) * n * n; }

inline long gridIndex(int n, int r, int g, int b) { return (static_cast<long>(r) * n + g) * n + b; }

}  // namespace KalvoraTest
