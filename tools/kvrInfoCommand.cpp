// `kalvora info`: what the two cores offer, read from the cores themselves.
#include <cstdio>
#include <string>

#include "kvrColorSpaces.h"
#include "kvrKestaImageCore.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrToolCommands.h"
#include "kvrToolLibrary.h"

namespace Kalvora {
namespace Tool {

namespace {

std::string line(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string line(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return std::string(text) + "\n";
}

const char* nodeTypeName(NodeType type) {
  switch (type) {
    case kNodeLut:
      return "1-D LUT";
    case kNodeRgbLut:
      return "RGB LUT";
    case kNodeRgbGain:
      return "RGB gains";
    case kNodeRgbLutOffset:
      return "RGB LUT, offsets";
    case kNodeRgbGainOffset:
      return "gains, offsets";
    case kNode3dLut:
      return "3-D LUT";
    case kNodeMatrix:
      return "matrix";
    default:
      return "no colour";
  }
}

std::string describeRange(const PipelineParameter& parameter, const ParamName* name) {
  if (parameter.readOnly) return "read-only";
  if (name && name->choiceCount > 0) return describeAllowedValues(*name);
  return formatNumber(parameter.minimum) + " to " + formatNumber(parameter.maximum);
}

std::string listParameters(Kalvora& core, CoreKind kind) {
  std::string out = "  Parameters (--set NAME=VALUE or ID=VALUE):\n";
  out += line("    %-5s %-24s %-8s %-19s %s", "id", "name", "default", "accepted", "meaning");
  PipelineParameter* const* parameters = core.getParameters();
  for (int i = 0; i < core.getNumParameters(); ++i) {
    const PipelineParameter& parameter = *parameters[i];
    const ParamName* name = findParamById(kind, parameter.id);
    const bool settable = name && (kind == kLutCore || changesCameraLut(*name));
    std::string meaning = name ? name->meaning : "";
    if (name && !settable) meaning += " (does not change the camera LUT)";
    out += line("    %-5u %-24s %-8s %-19s %s", parameter.id, name ? name->name : "-",
                formatNumber(parameter.defaultValue).c_str(),
                describeRange(parameter, name).c_str(), meaning.c_str());
  }
  return out;
}

std::string listNodes(const char* title, PipelineNode* const* nodes, int count, CoreKind kind) {
  std::string out = std::string("  ") + title + ":\n";
  out += line("    %-5s %-6s %-17s %s", "id", "input", "type", "contents");
  for (int i = 0; i < count; ++i)
    out += line("    %-5u %-6u %-17s %s", nodes[i]->id, nodes[i]->input,
                nodeTypeName(nodes[i]->type), nodeMeaning(kind, nodes[i]->id));
  return out;
}

std::string describeCore(Kalvora& core, CoreKind kind, const char* title, const char* exports) {
  std::string out = std::string(title) + "\n";
  out += listParameters(core, kind);
  out += listNodes("Nodes", core.getPipeline(), core.getNumNodes(), kind);
  out += listNodes(exports, core.getExports(), core.getNumExports(), kind);
  return out;
}

std::string listTargets() {
  std::string out = "Target colour spaces (kalvora lut --target NAME or IDENTIFIER):\n";
  const std::vector<TargetName>& names = targetNames();
  for (size_t id = 0; id < names.size(); ++id)
    out += line("  %-10s %-50s %s", names[id].shortName,
                ColorSpaces::identifier(static_cast<ColorSpace>(id)), names[id].label);
  return out;
}

}  // namespace

std::string runInfoCommand() {
  LutGeneratorImageCore lutCore;
  checkGood(lutCore, "the LUT generator");
  KestaImageCore cameraCore(1, kPipelineSingleBranch);
  checkGood(cameraCore, "the camera core");
  std::string out = describeCore(lutCore, kLutCore, "LUT generator (kalvora lut)",
                                 "Exports (--node; 10 is also in the pipeline)");
  out += "\n";
  out += describeCore(cameraCore, kCameraCore, "Camera output path (kalvora camera)",
                      "Exports (written by kalvora camera)");
  out += "\n";
  out += listTargets();
  return out;
}

}  // namespace Tool
}  // namespace Kalvora
