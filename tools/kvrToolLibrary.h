// How the kalvora tool talks to the library: it collects the library's
// reports instead of letting them reach the terminal unasked, turns a failed
// operation into a LibraryError that carries the library's message and code,
// and checks parameter settings against the core before any is applied.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "kvrError.h"
#include "kvrKalvora.h"
#include "kvrToolOptions.h"

namespace Kalvora {
namespace Tool {

class LibraryError : public std::runtime_error {
public:
  LibraryError(ErrorCode code, const std::string& message)
      : std::runtime_error(message), code_(code) {}
  ErrorCode code() const { return code_; }

private:
  ErrorCode code_;
};

// Installs a handler that keeps every report of the library while it lives;
// the previous handler returns afterwards.
class ReportCollector {
public:
  ReportCollector();
  ~ReportCollector();
  ReportCollector(const ReportCollector&) = delete;
  ReportCollector& operator=(const ReportCollector&) = delete;

  // Reports in the order they came, message text only.
  static const std::vector<std::string>& reports();
  static void clear();

private:
  ErrorHandler previous_;
};

// Throws LibraryError for a failed operation, with the report it made as
// the message (or a generic one when the library said nothing).
void failWithReport(ErrorCode code, size_t reportsBefore);

// Runs an operation that returns an ErrorCode; a failure throws LibraryError.
template <class Operation>
void call(Operation&& operation) {
  const size_t reportsBefore = ReportCollector::reports().size();
  const ErrorCode code = operation();
  if (code != kNoError) failWithReport(code, reportsBefore);
}

// Runs work that may throw the library's KvrSignal and turns it into a
// LibraryError.
template <class Work>
void checkSignal(Work&& work) {
  try {
    work();
  } catch (const KvrSignal& signal) {
    throw LibraryError(signal.code(), signal.what());
  }
}

// A core whose construction failed.
void checkGood(const Kalvora& core, const char* what);

// Checks every setting against the core: known there, writable, inside its
// range. Throws UsageError naming the setting and the accepted range.
void checkSettings(Kalvora& core, const std::vector<ParamSetting>& settings);

// Applies the settings in order with the core's setParam.
void applySettings(Kalvora& core, const std::vector<ParamSetting>& settings);

// "cdl-slope-red=1.5, exposure-index=1600" for file comments.
std::string describeSettings(const std::vector<ParamSetting>& settings);

}  // namespace Tool
}  // namespace Kalvora
