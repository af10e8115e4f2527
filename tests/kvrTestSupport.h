// Test support: records the reports made through the library's error handler.
#pragma once

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "kvrError.h"

namespace KalvoraTest {

// For EXPECT_PRED2: whether text contains part (a telling fragment of a
// message whose full text the message suite checks).
inline bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Expects work to throw a KvrSignal with this code and a message containing
// fragment; gives the signal's location ("" when nothing was thrown).
template <class Work>
std::string expectSignal(Kalvora::ErrorCode code, const char* fragment, Work&& work) {
  try {
    work();
  } catch (const Kalvora::KvrSignal& signal) {
    EXPECT_EQ(signal.code(), code);
    EXPECT_PRED2(contains, signal.what(), fragment);
    return signal.where() != nullptr ? signal.where() : "";
  }
  ADD_FAILURE() << "accepted, expected \"" << fragment << "\"";
  return "";
}

struct Report {
  std::string where;
  std::string message;
};

// Installs a handler that records every report and puts the previous handler
// back when the capture ends. Reports are kept in one process-wide list.
class ReportCapture {
public:
  ReportCapture() : previous_(Kalvora::setErrorHandler(&record)) { reports().clear(); }
  ~ReportCapture() { Kalvora::setErrorHandler(previous_); }
  ReportCapture(const ReportCapture&) = delete;
  ReportCapture& operator=(const ReportCapture&) = delete;

  static std::vector<Report>& reports() {
    static std::vector<Report> all;
    return all;
  }
  static std::vector<std::string> messages() {
    std::vector<std::string> out;
    for (const Report& report : reports()) out.push_back(report.message);
    return out;
  }
  static std::string lastMessage() { return reports().empty() ? "" : reports().back().message; }

private:
  static void record(const char* where, const char* format, va_list args) {
    char text[4096];
    std::vsnprintf(text, sizeof text, format, args);
    reports().push_back({where != nullptr ? where : "", text});
  }

  Kalvora::ErrorHandler previous_;
};

// Collects every report of a test instead of printing it.
class ReportCaptureTest : public testing::Test {
protected:
  static std::string lastReport() { return ReportCapture::lastMessage(); }
  static size_t reportCount() { return ReportCapture::reports().size(); }

private:
  ReportCapture capture_;
};

}  // namespace KalvoraTest
