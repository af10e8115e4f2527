// Error signalling: error codes, the signal carried to the public boundary,
// the process-wide report handler and the boundary that turns failures into
// error codes.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <exception>
#include <string>

namespace Kalvora {

enum ErrorCode : int32_t {
  kNoError = 0,
  kIllegalIndex = 1,
  kIllegalValue = 3,
  kUnknownId = 4,
  kLimitExceeded = 5,
  kMissingCalibration = 6,
  kReadOnly = 7,
  kMagicMismatch = 8,
  kUnknownFileVersion = 9,
  kCrcMismatch = 10,
  kUnknownAtomKey = 13,
  kUnknownMetaDataVersion = 14,
  kUnknownColorSpace = 15,
  kUnknownFeature = 16,
  kUnsupportedVersion = 17,
  kIllegalCall = 18,
  kUnknownRevision = 21,
  kUnknownDesignDataKey = 22,
  kUnknownError = 999
};

// The exception that carries a failure from where it happens to the public
// boundary. Thrown by value, caught by reference.
class KvrSignal {
public:
  static constexpr int kMaxMessage = 1023;

  KvrSignal();
  KvrSignal(ErrorCode code, const char* where, const char* what);
  KvrSignal(ErrorCode code, const char* where, const std::string& what);

  const char* where() const { return where_; }
  const char* what() const { return what_; }
  ErrorCode code() const { return code_; }

private:
  void setMessage(const char* what);

  ErrorCode code_;
  const char* where_;  // static location literal, not owned
  char what_[kMaxMessage + 1];
};

using ErrorHandler = void (*)(const char* where, const char* format, va_list args);

// The handler that receives every report; null silences reports.
extern ErrorHandler gErrorHandler;
// Debug level chosen by the host; the library itself never reads it.
extern int32_t gDBG;

// Writes "where: message\n" to the standard error stream.
void defaultErrorHandler(const char* where, const char* format, va_list args);

// Installs a handler (null allowed) and returns the previous one.
ErrorHandler setErrorHandler(ErrorHandler handler);

// Stores the debug level and returns the previous one.
int setDebugLevel(int level);

// Forwards one report to the installed handler. Never throws.
void KvrError(const char* where, const char* format, ...) noexcept
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Reports a caught signal: its message becomes the format text, with every
// '%' doubled so that text from outside the library is printed verbatim.
void reportSignal(const KvrSignal& signal) noexcept;

// Throws kUnknownId with the text followed by the id in lowercase hex
// ("Unknown node " and 268 give "Unknown node 10c").
[[noreturn]] void throwUnknownId(const char* where, const char* text, unsigned int id);

// Whether a standard-library exception is reported as such at a boundary
// or falls through to "unknown error".
enum class StdExceptionReport { kDescribe, kAsUnknown };

// The public boundary: runs the work, which returns an ErrorCode or throws.
// A KvrSignal is reported and its code returned; any other exception is
// reported at the operation's own location and yields kUnknownError.
template <StdExceptionReport stdReport = StdExceptionReport::kDescribe, class Work>
ErrorCode kvrBoundary(const char* where, Work&& work) noexcept {
  try {
    return work();
  } catch (const KvrSignal& signal) {
    reportSignal(signal);
    return signal.code();
  } catch (const std::exception& e) {
    if (stdReport == StdExceptionReport::kDescribe)
      KvrError(where, "unexpected error from standard library: %s", e.what());
    else
      KvrError(where, "unknown error");
    return kUnknownError;
  } catch (...) {
    KvrError(where, "unknown error");
    return kUnknownError;
  }
}

}  // namespace Kalvora

// Location literal of a raising site: every source defines KVR_SOURCE as its
// path without extension ("src/kvrKalvora"); KVR_HERE then reads
// "src/kvrKalvora:231 ERROR" on line 231.
#define KVR_STRINGIFY_(x) #x
#define KVR_STRINGIFY(x) KVR_STRINGIFY_(x)
#define KVR_HERE KVR_SOURCE ":" KVR_STRINGIFY(__LINE__) " ERROR"
