// Shared set-up of the fuzz targets: reports are dropped, a failed property
// aborts so that libFuzzer keeps the input.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "kvrError.h"

namespace KalvoraFuzz {

inline void silence(const char*, const char*, va_list) {}

// Installs the silent error handler once per process.
inline void silenceReports() {
  static const bool installed = (Kalvora::setErrorHandler(&silence), true);
  (void)installed;
}

// A property every input must keep; a violation is a finding.
inline void require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

}  // namespace KalvoraFuzz
