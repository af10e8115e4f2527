#include "kvrPipelineVocabulary.h"

#include <cstring>

namespace Kalvora {

namespace {

constexpr uint32_t kLocalIdMask = 0x00FFFFFF;

}  // namespace

const PipelineParamInfo* findParamInfo(const PipelineVocabulary& vocabulary, uint32_t id) {
  for (int i = 0; i < vocabulary.paramCount; ++i) {
    const PipelineParamInfo& param = vocabulary.params[i];
    if (param.id == (param.perBranch ? id & kLocalIdMask : id)) return &param;
  }
  return nullptr;
}

const PipelineParamInfo* findParamInfo(const PipelineVocabulary& vocabulary, const char* name) {
  if (name == nullptr) return nullptr;
  for (int i = 0; i < vocabulary.paramCount; ++i)
    if (std::strcmp(vocabulary.params[i].name, name) == 0) return &vocabulary.params[i];
  return nullptr;
}

const PipelineNodeInfo* findNodeInfo(const PipelineVocabulary& vocabulary, uint32_t id) {
  const uint32_t local = id & kLocalIdMask;
  for (int i = 0; i < vocabulary.nodeCount; ++i)
    if (vocabulary.nodes[i].id == local) return &vocabulary.nodes[i];
  for (int i = 0; i < vocabulary.exportCount; ++i)
    if (vocabulary.exports[i].id == local) return &vocabulary.exports[i];
  return nullptr;
}

const PipelineModeInfo* findModeInfo(const PipelineVocabulary& vocabulary, uint32_t id) {
  const uint32_t local = id & kLocalIdMask;
  for (int i = 0; i < vocabulary.modeCount; ++i)
    if (vocabulary.modes[i].id == local) return &vocabulary.modes[i];
  return nullptr;
}

bool isAcceptedValue(const PipelineParamInfo& param, double value) {
  if (!(param.minimum <= value && value <= param.maximum)) return false;
  if (param.choiceCount == 0) return true;
  for (int i = 0; i < param.choiceCount; ++i)
    if (param.choices[i] == value) return true;
  return false;
}

}  // namespace Kalvora
