// How the Python module reports the library's failures: the library's
// reports are captured instead of printed, and a failed operation becomes a
// LibraryFailure that the module turns into kalvora.Error (or its
// ValueError subclass kalvora.IllegalValueError).
#pragma once

#include <pybind11/pybind11.h>

#include <stdexcept>
#include <string>

#include "kvrError.h"

namespace Kalvora {
namespace Python {

// A failed library operation on its way to Python: the library's code and
// message.
class LibraryFailure : public std::runtime_error {
public:
  LibraryFailure(ErrorCode code, const std::string& message)
      : std::runtime_error(message), code_(code) {}
  ErrorCode code() const { return code_; }

private:
  ErrorCode code_;
};

// Installs the report handler: every report is kept as the calling
// thread's last report and written to the standard error stream only while
// verbose is on.
void captureReports();
void setVerbose(bool verbose);
bool isVerbose();

// The last report of this thread, message text only; "" after clear.
void clearLastReport();
const std::string& lastReport();

// Throws LibraryFailure for a failed code, with the report the failure made
// as the message (or a generic one when the library said nothing).
void check(ErrorCode code);

// Runs an operation that returns an ErrorCode; a failure throws.
template <class Operation>
void call(Operation&& operation) {
  clearLastReport();
  check(operation());
}

// Runs work that may throw the library's KvrSignal and turns the signal into
// a LibraryFailure.
template <class Work>
auto callThrowing(Work&& work) -> decltype(work()) {
  try {
    return work();
  } catch (const KvrSignal& signal) {
    throw LibraryFailure(signal.code(), signal.what());
  }
}

// Defines kalvora.Error and kalvora.IllegalValueError in the module and
// translates LibraryFailure into them.
void registerErrors(pybind11::module_& module);

}  // namespace Python
}  // namespace Kalvora
