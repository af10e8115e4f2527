// What the C++ library computes, written to standard output for the Python
// tests and benchmark to compare with. Binary outputs are raw values in the
// host's byte order.
//
//   lut SIZE NODE HALF TARGET [ID=VALUE ...]   16-bit codes of a LUT generator LUT
//   camera CALIBRATION TEMPERATURE TINT SIZE   white-balance gains (3 doubles),
//       camera matrix (9), log curve at 1024 points (1024), then export 11 codes
//   elvex EI CAMERA          doubles in; their encodings, then their decodings out
//   apply SIZE float|double  codes (3 SIZE^3 uint16), then pixels in; pixels out
//   time-apply SIZE REPEATS  as apply for float pixels; prints the best seconds
//   save-look [ID=VALUE ...]        look-file bytes
//   load-look                       look-file bytes in; "id value" per parameter out
//   get-atom KEY [ID=VALUE ...]     atom bytes
//   set-atom KEY                    atom bytes in; "id value" per parameter out
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "kvrAll.h"

using namespace Kalvora;

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "kvrPythonReference: %s\n", what);
  std::exit(1);
}

void check(ErrorCode code) {
  if (code != kNoError) fail("the library refused an operation");
}

std::string readInput() {
  std::string data;
  char chunk[65536];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, stdin)) > 0) data.append(chunk, got);
  return data;
}

template <class T>
void write(const T* values, size_t count) {
  if (count > 0 && std::fwrite(values, sizeof(T), count, stdout) != count) fail("write failed");
}

// ID=VALUE arguments from argv[first] on.
void applySettings(LutGeneratorImageCore& core, int argc, char** argv, int first) {
  for (int i = first; i < argc; ++i) {
    const char* equals = std::strchr(argv[i], '=');
    if (equals == nullptr) fail("settings are ID=VALUE");
    check(core.setParam(static_cast<unsigned int>(std::atoi(argv[i])), std::atof(equals + 1)));
  }
}

void printParams(LutGeneratorImageCore& core) {
  for (const PipelineParamInfo& param : gLutGeneratorParams) {
    double value = 0.0;
    check(core.getParam(param.id, value));
    std::printf("%u %.17g\n", param.id, value);
  }
}

size_t cube3(int size) { return 3 * static_cast<size_t>(size) * size * size; }

int lut(int argc, char** argv) {
  if (argc < 6) fail("lut SIZE NODE HALF TARGET [ID=VALUE ...]");
  const int size = std::atoi(argv[2]);
  const unsigned int node = static_cast<unsigned int>(std::atoi(argv[3]));
  LutGeneratorImageCore core;
  core.setTargetColorSpace(core.getColorSpaceInfo(static_cast<ColorSpace>(std::atoi(argv[5]))));
  applySettings(core, argc, argv, 6);
  std::vector<unsigned short> codes(cube3(size));
  if (node == kLutNodeLook)
    check(core.get3dLut(node, size, codes.data(), kLutInterleaved, 65535, std::atoi(argv[4]) != 0));
  else
    check(core.export3dLut(node, size, codes.data(), kLutInterleaved, 65535));
  write(codes.data(), codes.size());
  return 0;
}

int camera(int argc, char** argv) {
  if (argc != 6) fail("camera CALIBRATION TEMPERATURE TINT SIZE");
  ErrorCode code = kNoError;
  std::unique_ptr<CameraSystemCalibrationRecord, decltype(&std::free)> calibration(
      loadSystemCalibrationDataText(argv[2], code), &std::free);
  if (calibration == nullptr) fail("no calibration");
  KestaImageCore core(1, kPipelineSingleBranch);
  check(core.setSystemCalibration(0, *calibration));
  check(core.useConfiguration(0));
  check(core.setParam(kCameraParamColorTemperature, std::atof(argv[3])));
  check(core.setParam(kCameraParamTint, std::atof(argv[4])));
  RgbGainOffset whiteBalance = {};
  double matrix[9];
  std::vector<double> logCurve(1024);
  check(core.getRgbGainOffset(kCameraNodeWhiteBalance, whiteBalance));
  check(core.getMatrix(kCameraNodeColorMatrix, matrix));
  check(core.getLut(kCameraNodeLog, 1024, logCurve.data()));
  const int size = std::atoi(argv[5]);
  std::vector<unsigned short> codes(cube3(size));
  check(core.export3dLut(kCameraExportRendering, size, codes.data(), kLutInterleaved, 65535));
  write(whiteBalance.gain, 3);
  write(matrix, 9);
  write(logCurve.data(), logCurve.size());
  write(codes.data(), codes.size());
  return 0;
}

int elvex(int argc, char** argv) {
  if (argc != 4) fail("elvex EI CAMERA");
  const bool pendro = std::strcmp(argv[3], "pendro") == 0;
  const Elvex curve(pendro ? pendroElvexparam : kestaElvexparam, std::atof(argv[2]));
  const std::string input = readInput();
  std::vector<double> values(input.size() / sizeof(double));
  std::memcpy(values.data(), input.data(), values.size() * sizeof(double));
  std::vector<double> encoded;
  std::vector<double> decoded;
  for (double value : values) {
    encoded.push_back(curve.transform(value));
    decoded.push_back(curve.inverse(value));
  }
  write(encoded.data(), encoded.size());
  write(decoded.data(), decoded.size());
  return 0;
}

// The table's codes and the pixels from standard input.
template <class Sample>
std::vector<Sample> readTableAndPixels(int size, std::vector<unsigned short>& codes) {
  const std::string input = readInput();
  codes.resize(cube3(size));
  const size_t tableBytes = codes.size() * sizeof(unsigned short);
  if (input.size() < tableBytes) fail("input too short");
  std::memcpy(codes.data(), input.data(), tableBytes);
  std::vector<Sample> pixels((input.size() - tableBytes) / sizeof(Sample));
  std::memcpy(pixels.data(), input.data() + tableBytes, pixels.size() * sizeof(Sample));
  return pixels;
}

template <class Sample>
int applyTyped(int size) {
  std::vector<unsigned short> codes;
  std::vector<Sample> pixels = readTableAndPixels<Sample>(size, codes);
  const Lut3D lut(size, codes.data(), kLutInterleaved, 65535, false);
  lut.transformBatch(pixels.data(), pixels.data(), pixels.size() / 3);
  write(pixels.data(), pixels.size());
  return 0;
}

int apply(int argc, char** argv) {
  if (argc != 4) fail("apply SIZE float|double");
  const int size = std::atoi(argv[2]);
  return std::strcmp(argv[3], "double") == 0 ? applyTyped<double>(size) : applyTyped<float>(size);
}

int timeApply(int argc, char** argv) {
  if (argc != 4) fail("time-apply SIZE REPEATS");
  std::vector<unsigned short> codes;
  const std::vector<float> pixels = readTableAndPixels<float>(std::atoi(argv[2]), codes);
  std::vector<float> out(pixels.size());
  double best = 1e300;
  for (int i = 0; i < std::atoi(argv[3]); ++i) {
    const auto start = std::chrono::steady_clock::now();
    const Lut3D lut(std::atoi(argv[2]), codes.data(), kLutInterleaved, 65535, false);
    lut.transformBatch(pixels.data(), out.data(), pixels.size() / 3);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  std::printf("%.9f\n", best);
  return 0;
}

int saveLook(int argc, char** argv) {
  LutGeneratorImageCore core;
  applySettings(core, argc, argv, 2);
  unsigned int size = 0;
  check(core.getLookDataSize(false, size));
  std::vector<char> data(size);
  check(core.saveLook(data.data(), false));
  write(data.data(), data.size());
  return 0;
}

int loadLook() {
  LutGeneratorImageCore core;
  const std::string data = readInput();
  check(core.loadLook(data.data(), static_cast<unsigned int>(data.size())));
  printParams(core);
  return 0;
}

int getAtom(int argc, char** argv) {
  if (argc < 3) fail("get-atom KEY [ID=VALUE ...]");
  LutGeneratorImageCore core;
  applySettings(core, argc, argv, 3);
  unsigned int size = 0;
  check(core.getMetaDataSize(argv[2], size));
  std::vector<char> data(size);
  check(core.getMetaData(argv[2], data.data()));
  write(data.data(), data.size());
  return 0;
}

int setAtom(int argc, char** argv) {
  if (argc != 3) fail("set-atom KEY");
  LutGeneratorImageCore core;
  const std::string data = readInput();
  check(core.setMetaData(argv[2], data.data(), static_cast<unsigned int>(data.size())));
  printParams(core);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) fail("usage: kvrPythonReference COMMAND ...");
  const std::string command = argv[1];
  if (command == "lut") return lut(argc, argv);
  if (command == "camera") return camera(argc, argv);
  if (command == "elvex") return elvex(argc, argv);
  if (command == "apply") return apply(argc, argv);
  if (command == "time-apply") return timeApply(argc, argv);
  if (command == "save-look") return saveLook(argc, argv);
  if (command == "load-look") return loadLook();
  if (command == "get-atom") return getAtom(argc, argv);
  if (command == "set-atom") return setAtom(argc, argv);
  fail("unknown command");
}
