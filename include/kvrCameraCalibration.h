// Calibration records of the camera's optical configurations and the loader
// of the system calibration text file.
//
// A record is one block of memory: a fixed header followed by rowCount rows.
// Records come from the C allocator (allocate(), or the loader) and are
// released with free(). Image cores only reference them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <type_traits>

#include "kvrError.h"

namespace Kalvora {

// Calibration valid for a camera model: white-balance gains, tint slope and
// colour matrix per colour temperature.
struct CameraSystemCalibrationRecord {
  struct ColorConversionData {
    int32_t cct;       // kelvin
    float gainRed;     // red gain relative to green
    float gainBlue;    // blue gain relative to green
    float slope;       // direction of the tint line at this temperature
    double matrix[9];  // camera colour matrix, row-major
  };

  uint32_t headerValue1;  // number on line 1 of the calibration text
  std::time_t date;       // local midnight of the calibration date
  uint32_t headerValue2;  // number on line 2 of the calibration text
  uint32_t layoutVersion;
  int32_t rowCount;  // rows follow the header, ascending by cct

  // The rows start right after the header.
  ColorConversionData* rows() { return reinterpret_cast<ColorConversionData*>(this + 1); }
  const ColorConversionData* rows() const {
    return reinterpret_cast<const ColorConversionData*>(this + 1);
  }

  // Bytes of a record with rowCount rows; 0 if no such record can exist.
  static std::size_t byteSize(int64_t rowCount);
  // A zero-filled record from malloc with rowCount set; null if rowCount is
  // impossible or memory is short. Release with free().
  static CameraSystemCalibrationRecord* allocate(int64_t rowCount);
};

// Calibration measured for an individual camera: gains and tint slope per
// colour temperature, no matrix. Filled by the host.
struct CameraUnitCalibrationRecord {
  struct ColorConversionData {
    int32_t cct;     // kelvin
    float gainRed;   // red gain relative to green
    float gainBlue;  // blue gain relative to green
    float slope;     // direction of the tint line at this temperature
  };

  // Host's own header; the library does not read these.
  uint32_t headerValue1;
  std::time_t date;
  uint32_t headerValue2;
  uint32_t layoutVersion;
  int32_t rowCount;  // rows follow the header, ascending by cct

  // The rows start right after the header.
  ColorConversionData* rows() { return reinterpret_cast<ColorConversionData*>(this + 1); }
  const ColorConversionData* rows() const {
    return reinterpret_cast<const ColorConversionData*>(this + 1);
  }

  static std::size_t byteSize(int64_t rowCount);
  static CameraUnitCalibrationRecord* allocate(int64_t rowCount);
};

static_assert(sizeof(std::time_t) == 8, "calibration dates are 64-bit");
static_assert(std::is_trivial<CameraSystemCalibrationRecord>::value &&
                  std::is_standard_layout<CameraSystemCalibrationRecord>::value,
              "calibration records live in malloc'd memory");
static_assert(std::is_trivial<CameraUnitCalibrationRecord>::value &&
                  std::is_standard_layout<CameraUnitCalibrationRecord>::value,
              "calibration records live in malloc'd memory");
static_assert(sizeof(CameraSystemCalibrationRecord) %
                      alignof(CameraSystemCalibrationRecord::ColorConversionData) ==
                  0,
              "rows start aligned right after the header");
static_assert(sizeof(CameraUnitCalibrationRecord) %
                      alignof(CameraUnitCalibrationRecord::ColorConversionData) ==
                  0,
              "rows start aligned right after the header");

// Reads a system calibration text file:
//   line 0  label, day of month, month ("Jan" .. "Dec"), year
//   line 1  label, headerValue1
//   line 2  label, headerValue2
//   line 3  label, number of rows
//   line 4  column heading (ignored)
//   then one row per line: cct, nine matrix entries (row-major), gainRed,
//   gainBlue, slope.
// Reading stops at the first empty line. On success returns a record to be
// released with free() and leaves code untouched; on failure reports once
// through the error handler, sets code to kUnknownError and returns null.
CameraSystemCalibrationRecord* loadSystemCalibrationDataText(const char* path, ErrorCode& code);

}  // namespace Kalvora
