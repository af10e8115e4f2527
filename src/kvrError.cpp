#include "kvrError.h"

#include <cstdio>
#include <cstring>
#include <string>

#define KVR_SOURCE "src/kvrError"

namespace Kalvora {

ErrorHandler gErrorHandler = defaultErrorHandler;
int32_t gDBG = 1;

KvrSignal::KvrSignal() : code_(kUnknownError), where_(nullptr), what_{} {}

KvrSignal::KvrSignal(ErrorCode code, const char* where, const char* what)
    : code_(code), where_(where), what_{} {
  setMessage(what);
}

KvrSignal::KvrSignal(ErrorCode code, const char* where, const std::string& what)
    : code_(code), where_(where), what_{} {
  setMessage(what.c_str());
}

void KvrSignal::setMessage(const char* what) {
  if (what == nullptr) return;
  std::strncpy(what_, what, kMaxMessage);
  what_[kMaxMessage] = '\0';
}

void defaultErrorHandler(const char* where, const char* format, va_list args) {
  std::fprintf(stderr, "%s: ", where != nullptr ? where : "");
  std::vfprintf(stderr, format, args);
  std::fputc('\n', stderr);
}

ErrorHandler setErrorHandler(ErrorHandler handler) {
  ErrorHandler previous = gErrorHandler;
  gErrorHandler = handler;
  return previous;
}

int setDebugLevel(int level) {
  int previous = gDBG;
  gDBG = level;
  return previous;
}

void KvrError(const char* where, const char* format, ...) noexcept {
  ErrorHandler handler = gErrorHandler;
  if (handler == nullptr) return;
  va_list args;
  va_start(args, format);
  handler(where, format, args);
  va_end(args);
}

void reportSignal(const KvrSignal& signal) noexcept {
  // A message holds at most 1023 characters; doubling every '%' at most
  // doubles its length.
  char format[2 * KvrSignal::kMaxMessage + 1];
  size_t out = 0;
  for (const char* in = signal.what(); *in != '\0'; ++in) {
    if (*in == '%') format[out++] = '%';
    format[out++] = *in;
  }
  format[out] = '\0';
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
  KvrError(signal.where(), format);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

void throwUnknownId(const char* where, const char* text, unsigned int id) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%x", id);
  throw KvrSignal(kUnknownId, where, std::string(text) + hex);
}

}  // namespace Kalvora
