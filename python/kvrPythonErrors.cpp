#include "kvrPythonErrors.h"

#include <pybind11/eval.h>

#include <atomic>
#include <cstdio>

namespace py = pybind11;

namespace Kalvora {
namespace Python {

namespace {

thread_local std::string tLastReport;
std::atomic<bool> gVerbose{false};

void captureHandler(const char* where, const char* format, va_list args) {
  va_list forCapture;
  va_copy(forCapture, args);
  char text[KvrSignal::kMaxMessage + 1];
  std::vsnprintf(text, sizeof text, format, forCapture);
  va_end(forCapture);
  tLastReport = text;
  if (gVerbose) defaultErrorHandler(where, format, args);
}

// Codes that say the caller passed a value the operation does not take.
bool isIllegalValue(ErrorCode code) {
  return code == kIllegalIndex || code == kIllegalValue || code == kLimitExceeded;
}

// The exception classes live in Python so that IllegalValueError can derive
// from both kalvora.Error and ValueError.
const char* const kErrorClasses = R"(
class Error(Exception):
    """A failed Kalvora operation.

    ``code`` is the library's error code (an int, e.g. 3 for an illegal
    value, 4 for an unknown id) and ``message`` the library's message.
    """

    def __init__(self, code, message):
        super().__init__(message)
        self.code = code
        self.message = message


class IllegalValueError(Error, ValueError):
    """A value the library does not take: out of range, a wrong size or
    shape (codes 1, 3 and 5). Also a ValueError."""
)";

// Owned references, released deliberately never: the translator may run
// until the interpreter ends.
PyObject* gErrorClass = nullptr;
PyObject* gIllegalValueClass = nullptr;

void raise(const LibraryFailure& failure) {
  PyObject* cls = isIllegalValue(failure.code()) ? gIllegalValueClass : gErrorClass;
  py::object exception =
      py::reinterpret_borrow<py::object>(cls)(static_cast<int>(failure.code()), failure.what());
  PyErr_SetObject(cls, exception.ptr());
}

}  // namespace

void captureReports() { setErrorHandler(captureHandler); }

void setVerbose(bool verbose) { gVerbose = verbose; }

bool isVerbose() { return gVerbose; }

void clearLastReport() { tLastReport.clear(); }

const std::string& lastReport() { return tLastReport; }

void check(ErrorCode code) {
  if (code == kNoError) return;
  std::string message = tLastReport;
  if (message.empty()) message = "the library failed with code " + std::to_string(code);
  throw LibraryFailure(code, message);
}

void registerErrors(py::module_& module) {
  py::exec(kErrorClasses, module.attr("__dict__"));
  gErrorClass = py::object(module.attr("Error")).release().ptr();
  gIllegalValueClass = py::object(module.attr("IllegalValueError")).release().ptr();
  py::register_exception_translator([](std::exception_ptr pending) {
    try {
      if (pending) std::rethrow_exception(pending);
    } catch (const LibraryFailure& failure) {
      raise(failure);
    }
  });
}

}  // namespace Python
}  // namespace Kalvora
