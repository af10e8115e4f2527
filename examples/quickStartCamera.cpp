// Quick start, camera core: a calibration file, one optical configuration,
// white balance by colour temperature, and the output path as a 3-D LUT.
// Usage: quickStartCamera CALIBRATION.txt
#include <kvrAll.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace Kalvora;

// The core only references the calibration record: it must outlive the core.
static int run(const CameraSystemCalibrationRecord& calibration) {
  KestaImageCore core(1, kPipelineSingleBranch);  // one optical configuration
  if (!core.good()) return 1;
  if (core.setSystemCalibration(0, calibration) != kNoError || core.useConfiguration(0) != kNoError)
    return 1;

  // White balance by temperature and tint; the gains follow when read.
  if (core.setParam(kCameraParamColorTemperature, 5600.0) != kNoError ||
      core.setParam(kCameraParamTint, 2.0) != kNoError)
    return 1;
  RgbGainOffset whiteBalance;
  double matrix[9];
  if (core.getRgbGainOffset(kCameraNodeWhiteBalance, whiteBalance) != kNoError ||
      core.getMatrix(kCameraNodeColorMatrix, matrix) != kNoError)
    return 1;
  std::printf("gains %.4f %.4f %.4f\n", whiteBalance.gain[0], whiteBalance.gain[1],
              whiteBalance.gain[2]);
  std::printf("matrix row 0: %.4f %.4f %.4f\n", matrix[0], matrix[1], matrix[2]);

  // The log encoding (node 5) as a 12-bit table and the output path from the
  // log signal (export 11) as a 17-point 3-D LUT of 10-bit codes.
  std::vector<unsigned short> logCurve(4096);
  std::vector<unsigned short> rendering(3 * 17 * 17 * 17);
  if (core.getLut(kCameraNodeLog, 4096, logCurve.data(), 4095) != kNoError ||
      core.export3dLut(kCameraExportRendering, 17, rendering.data(), kLutInterleaved, 1023) !=
          kNoError)
    return 1;
  std::printf("linear 0.18 encodes to %u of 4095\n", logCurve[737]);
  std::printf("log 1.0 renders to green %u of 1023\n", rendering[rendering.size() - 2]);
  return 0;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CALIBRATION.txt\n", argv[0]);
    return 2;
  }
  ErrorCode code = kNoError;
  CameraSystemCalibrationRecord* calibration = loadSystemCalibrationDataText(argv[1], code);
  if (calibration == nullptr) return 1;  // the loader has reported why
  const int result = run(*calibration);
  std::free(calibration);
  return result;
}
