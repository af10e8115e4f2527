#include "kvrToolNames.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace Kalvora {
namespace Tool {

const PipelineVocabulary& vocabulary(CoreKind core) {
  return core == kLutCore ? gLutGeneratorVocabulary : gCameraVocabulary;
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
  const ParamName* param = findParamInfo(vocabulary(core), id);
  // Names stand for the ids of the main branch.
  return param != nullptr && param->id == id ? param : nullptr;
}

const ParamName* findParam(CoreKind core, const std::string& nameOrId) {
  if (unsigned int id = parseDecimalId(nameOrId)) return findParamById(core, id);
  return findParamInfo(vocabulary(core), nameOrId.c_str());
}

std::string describeAllowedValues(const ParamName& param) {
  std::string text;
  const int count = param.choiceCount;
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += i + 1 == count ? " or " : ", ";
    text += formatNumber(param.choices[i]);
  }
  return text;
}

bool changesCameraLut(const ParamName& param) { return param.node != kCameraNodeWhiteBalance; }

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

const char* nodeMeaning(CoreKind core, unsigned int id) {
  const PipelineNodeInfo* node = findNodeInfo(vocabulary(core), id);
  return node != nullptr ? node->meaning : "";
}

const std::vector<unsigned int>& lutNodeChoices() {
  static const std::vector<unsigned int> nodes = [] {
    std::vector<unsigned int> ids;
    for (const PipelineNodeInfo& node : gLutGeneratorExports) ids.push_back(node.id);
    // 11, the end of the pipeline, stands for what the camera shows.
    ids.push_back(kLutNodeNormalization);
    std::sort(ids.begin(), ids.end());
    return ids;
  }();
  return nodes;
}

std::string formatNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

}  // namespace Tool
}  // namespace Kalvora
