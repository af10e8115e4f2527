// Feeds arbitrary text to the calibration text loader. The loader reads a
// file by path, so each input is written to one temporary file first.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "kvrCameraCalibration.h"
#include "kvrFuzzSupport.h"

using namespace Kalvora;

namespace {

// Created once per process and removed at exit.
const std::string& scratchPath() {
  static const std::string path = [] {
    char name[] = "/tmp/kvrCalibrationFuzzXXXXXX";
    const int fd = mkstemp(name);
    KalvoraFuzz::require(fd >= 0, "temporary file");
    close(fd);
    std::atexit([] { std::remove(scratchPath().c_str()); });
    return std::string(name);
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  KalvoraFuzz::silenceReports();
  const std::string& path = scratchPath();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  KalvoraFuzz::require(file != nullptr, "temporary file opens");
  KalvoraFuzz::require(std::fwrite(data, 1, size, file) == size, "temporary file written");
  std::fclose(file);
  ErrorCode code = kNoError;
  CameraSystemCalibrationRecord* record = loadSystemCalibrationDataText(path.c_str(), code);
  KalvoraFuzz::require((record == nullptr) == (code != kNoError), "null exactly on failure");
  std::free(record);
  return 0;
}
