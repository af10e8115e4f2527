#include "kvrToolNames.h"

#include <cstdio>
#include <cstdlib>

namespace Kalvora {
namespace Tool {

const std::vector<ParamName>& paramNames() {
  static const std::vector<ParamName> names = {
      {"exposure-index", 1001, 1001, "exposure index (EI)", {}, true},
      {"color-temperature", 0, 2001, "white balance: colour temperature in kelvin", {}, false},
      {"found-color-temperature",
       0,
       2002,
       "white balance: colour temperature found for the gains",
       {},
       false},
      {"tint", 0, 2003, "white balance: tint", {}, false},
      {"wb-gain-red", 0, 2004, "white balance: red gain", {}, false},
      {"wb-gain-blue", 0, 2005, "white balance: blue gain", {}, false},
      {"cdl-slope-red", 3011, 0, "ASC CDL slope, red", {}, true},
      {"cdl-slope-green", 3012, 0, "ASC CDL slope, green", {}, true},
      {"cdl-slope-blue", 3013, 0, "ASC CDL slope, blue", {}, true},
      {"cdl-offset-red", 3001, 0, "ASC CDL offset, red", {}, true},
      {"cdl-offset-green", 3002, 0, "ASC CDL offset, green", {}, true},
      {"cdl-offset-blue", 3003, 0, "ASC CDL offset, blue", {}, true},
      {"cdl-power-red", 3021, 0, "ASC CDL power, red", {}, true},
      {"cdl-power-green", 3022, 0, "ASC CDL power, green", {}, true},
      {"cdl-power-blue", 3023, 0, "ASC CDL power, blue", {}, true},
      {"cdl-saturation", 3040, 0, "ASC CDL saturation", {}, true},
      {"log-offset-red", 0, 3001, "offset added to the log signal, red", {}, true},
      {"log-offset-green", 0, 3002, "offset added to the log signal, green", {}, true},
      {"log-offset-blue", 0, 3003, "offset added to the log signal, blue", {}, true},
      {"knee", 4002, 4002, "tone map: knee (highlights)", {}, true},
      {"black-gamma", 4001, 4001, "tone map: black gamma (shadows)", {}, true},
      {"video-saturation", 5040, 5040, "saturation", {}, true},
      {"master-gamma", 5051, 0, "master gamma", {}, true},
      {"hue-saturation-red", 5061, 0, "saturation of reds", {}, true},
      {"hue-saturation-yellow", 5062, 0, "saturation of yellows", {}, true},
      {"hue-saturation-green", 5063, 0, "saturation of greens", {}, true},
      {"hue-saturation-cyan", 5064, 0, "saturation of cyans", {}, true},
      {"hue-saturation-blue", 5065, 0, "saturation of blues", {}, true},
      {"hue-saturation-magenta", 5066, 0, "saturation of magentas", {}, true},
      {"normalization-gain", 6001, 0, "normalisation gain (derived from the look)", {}, true},
      {"normalization-offset", 6002, 0, "normalisation offset (derived from the look)", {}, true},
      {"video-slope-red", 5067, 5001, "video slope, red", {}, true},
      {"video-slope-green", 5068, 5002, "video slope, green", {}, true},
      {"video-slope-blue", 5069, 5003, "video slope, blue", {}, true},
      {"video-offset-red", 0, 5011, "video offset, red", {}, true},
      {"video-offset-green", 0, 5012, "video offset, green", {}, true},
      {"video-offset-blue", 0, 5013, "video offset, blue", {}, true},
      {"video-gamma-red", 5070, 0, "video gamma, red", {}, true},
      {"video-gamma-green", 5071, 0, "video gamma, green", {}, true},
      {"video-gamma-blue", 5072, 0, "video gamma, blue", {}, true},
      {"video-power-red", 0, 5021, "video power, red", {}, true},
      {"video-power-green", 0, 5022, "video power, green", {}, true},
      {"video-power-blue", 0, 5023, "video power, blue", {}, true},
      {"video-pedestal-red", 5073, 5031, "video pedestal, red", {}, true},
      {"video-pedestal-green", 5074, 5032, "video pedestal, green", {}, true},
      {"video-pedestal-blue", 5075, 5033, "video pedestal, blue", {}, true},
      {"diffuse-white", 5077, 0, "HDR diffuse white in cd/m2", {100.0, 200.0}, true},
      {"peak-white",
       5078,
       0,
       "HDR peak white in cd/m2 (HLG: 1000 only)",
       {1000.0, 2000.0, 4000.0},
       true},
  };
  return names;
}

unsigned int paramId(const ParamName& param, CoreKind core) {
  return core == kLutCore ? param.lutId : param.cameraId;
}

namespace {

// A decimal id made of digits only; 0 when the text is anything else.
unsigned int parseDecimalId(const std::string& text) {
  if (text.empty() || text.size() > 9) return 0;
  for (char c : text)
    if (c < '0' || c > '9') return 0;
  return static_cast<unsigned int>(std::strtoul(text.c_str(), nullptr, 10));
}

}  // namespace

const ParamName* findParamById(CoreKind core, unsigned int id) {
  if (id == 0) return nullptr;
  for (const ParamName& param : paramNames())
    if (paramId(param, core) == id) return &param;
  return nullptr;
}

const ParamName* findParam(CoreKind core, const std::string& nameOrId) {
  if (unsigned int id = parseDecimalId(nameOrId)) return findParamById(core, id);
  for (const ParamName& param : paramNames())
    if (nameOrId == param.name && paramId(param, core) != 0) return &param;
  return nullptr;
}

std::string describeAllowedValues(const ParamName& param) {
  std::string text;
  const size_t count = param.allowedValues.size();
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) text += i + 1 == count ? " or " : ", ";
    text += formatNumber(param.allowedValues[i]);
  }
  return text;
}

const std::vector<TargetName>& targetNames() {
  static const std::vector<TargetName> names = {
      {"rec1886", "Rec.709 primaries, gamma 2.4 (Rec.1886)"},
      {"rec2020", "Rec.2020 primaries, gamma 2.4"},
      {"p3-dci", "P3 primaries, DCI white, gamma 2.6"},
      {"p3-d65", "P3 primaries, D65 white, gamma 2.6"},
      {"p3-d60", "P3 primaries, D60 white, gamma 2.6"},
      {"pq", "Rec.2100 PQ (HDR)"},
      {"hlg", "Rec.2100 HLG (HDR)"},
      {"acesproxy", "ACESproxy"},
  };
  return names;
}

int findTargetShortName(const std::string& name) {
  const std::vector<TargetName>& names = targetNames();
  for (size_t i = 0; i < names.size(); ++i)
    if (name == names[i].shortName) return static_cast<int>(i);
  return -1;
}

std::string targetShortNameList() {
  std::string text;
  for (const TargetName& target : targetNames()) {
    if (!text.empty()) text += ", ";
    text += target.shortName;
  }
  return text;
}

const std::vector<NodeName>& nodeNames(CoreKind core) {
  static const std::vector<NodeName> lutNodes = {
      {5, "log encoding (linear to log)"},
      {16, "inverse log encoding (log to linear)"},
      {8, "ASC CDL slope, offset and power per channel"},
      {9, "ASC CDL saturation matrix"},
      {10, "the look for the target colour space"},
      {11, "normalisation gain and offset"},
      {12, "the look, converted to Rec.1886"},
      {13, "CDL, saturation and look, converted to Rec.1886"},
      {14, "CDL, saturation and look"},
      {15, "the look without the user-LUT look transform"},
  };
  static const std::vector<NodeName> cameraNodes = {
      {1, "head of the output path (no colour)"},
      {2, "white-balance gains"},
      {3, "camera colour matrix"},
      {5, "log encoding (linear to log)"},
      {6, "branch point (no colour)"},
      {7, "log offsets per channel"},
      {8, "tone map"},
      {9, "colour space matrix with saturation"},
      {10, "video gamma or false colour"},
      {11, "the complete rendering of the output path"},
  };
  return core == kLutCore ? lutNodes : cameraNodes;
}

const char* nodeMeaning(CoreKind core, unsigned int id) {
  for (const NodeName& node : nodeNames(core))
    if (node.id == id) return node.meaning;
  return "";
}

const std::vector<unsigned int>& lutNodeChoices() {
  static const std::vector<unsigned int> nodes = {10, 12, 13, 14, 15};
  return nodes;
}

std::string formatNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

}  // namespace Tool
}  // namespace Kalvora
