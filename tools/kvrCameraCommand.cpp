// `kalvora camera`: the camera's output path, from a single-branch camera
// core, or its false-colour view from a monitoring output.
#include <vector>

#include "kvrCubeWriter.h"
#include "kvrKestaImageCore.h"
#include "kvrNodeChain.h"
#include "kvrToolCommands.h"
#include "kvrToolLibrary.h"

namespace Kalvora {
namespace Tool {

namespace {

// False colour is a monitoring view: only the monitoring outputs of the
// multi-branch pipeline (branches 1 and 2) have it. Branch 1 serves here.
constexpr unsigned int kMonitorBranch = kCameraBranch1;

CubeHeader cameraHeader(const Options& options, const char* what) {
  CubeHeader header;
  if (options.hasTitle) header.title = options.title;
  header.comments.push_back(std::string("Kalvora camera: ") + what);
  if (options.curve == CameraCurve::kNone) {
    header.comments.push_back(std::string("output: ") +
                              (options.p3 ? "P3, gamma 2.6" : "Rec.709, gamma 2.4") +
                              (options.falseColor ? ", false colour" : ""));
  }
  if (!options.settings.empty())
    header.comments.push_back("settings: " + describeSettings(options.settings));
  header.comments.push_back("written by " + versionText());
  return header;
}

std::string writeCurve(KestaImageCore& core, const Options& options) {
  const int size = effectiveSize(options);
  const bool log = options.curve == CameraCurve::kLog;
  std::vector<unsigned short> codes(size);
  call([&] {
    return core.getLut(log ? kCameraNodeLog : kCameraNodeToneMap, size, codes.data(), kMaxCode);
  });
  std::string out;
  writeCube1d(out,
              cameraHeader(options, log ? "log encoding (node 5), linear to log"
                                        : "tone map (node 8), log to video"),
              size, codes.data(), kMaxCode);
  return out;
}

std::string writeRendering(const Options& options, const unsigned short* codes) {
  std::string out;
  const char* what = options.falseColor
                         ? "false colour of the log signal (monitoring output, nodes 7 to 10)"
                         : "rendering of the log signal (node 11)";
  writeCube3d(out, cameraHeader(options, what), effectiveSize(options), codes, kMaxCode);
  return out;
}

std::vector<unsigned short> codesFor3d(int size) {
  return std::vector<unsigned short>(3 * static_cast<size_t>(size) * size * size);
}

// Settings of branch 0 become settings of the monitoring branch; the
// exposure index belongs to the whole core.
std::vector<ParamSetting> onMonitorBranch(const std::vector<ParamSetting>& settings,
                                          std::vector<ParamName>& moved) {
  moved.clear();
  moved.reserve(settings.size());
  std::vector<ParamSetting> result;
  for (const ParamSetting& setting : settings) {
    moved.push_back(*setting.param);
    if (moved.back().perBranch) moved.back().id += kMonitorBranch;
    result.push_back({&moved.back(), setting.value});
  }
  return result;
}

std::string runFalseColor(const Options& options) {
  KestaImageCore core(1, kPipelineMultiBranch);
  checkGood(core, "the camera core");
  std::vector<ParamName> moved;
  const std::vector<ParamSetting> settings = onMonitorBranch(options.settings, moved);
  checkSettings(core, settings);
  call([&] { return core.setMode(kMonitorBranch + kCameraModeP3Output, options.p3); });
  call([&] { return core.setMode(kMonitorBranch + kCameraModeFalseColor, true); });
  applySettings(core, settings);
  const int size = effectiveSize(options);
  std::vector<unsigned short> codes = codesFor3d(size);
  NodeChain(core, kMonitorBranch).render(size, codes.data(), kMaxCode);
  return writeRendering(options, codes.data());
}

}  // namespace

std::string runCameraCommand(const Options& options) {
  if (options.falseColor) return runFalseColor(options);
  KestaImageCore core(1, kPipelineSingleBranch);
  checkGood(core, "the camera core");
  checkSettings(core, options.settings);
  call([&] { return core.setMode(kCameraModeP3Output, options.p3); });
  applySettings(core, options.settings);
  if (options.curve != CameraCurve::kNone) return writeCurve(core, options);
  const int size = effectiveSize(options);
  std::vector<unsigned short> codes = codesFor3d(size);
  call([&] {
    return core.export3dLut(kCameraExportRendering, size, codes.data(), kLutInterleaved, kMaxCode);
  });
  return writeRendering(options, codes.data());
}

}  // namespace Tool
}  // namespace Kalvora
