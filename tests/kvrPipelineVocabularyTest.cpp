// The pipeline vocabulary: well-formed tables, and the cores built from them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "kvrKestaImageCore.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrPipelineVocabulary.h"

namespace Kalvora {
namespace {

bool isReadableName(const std::string& name) {
  auto readable = [](unsigned char c) { return std::islower(c) || std::isdigit(c) || c == '-'; };
  return !name.empty() && name.front() != '-' && name.back() != '-' &&
         std::all_of(name.begin(), name.end(), readable);
}

const PipelineVocabulary* const kVocabularies[] = {&gLutGeneratorVocabulary, &gCameraVocabulary};

TEST(PipelineVocabulary, ParametersAreWellFormed) {
  for (const PipelineVocabulary* v : kVocabularies) {
    std::set<uint32_t> ids;
    std::set<std::string> names;
    for (int i = 0; i < v->paramCount; ++i) {
      const PipelineParamInfo& p = v->params[i];
      SCOPED_TRACE(p.name);
      EXPECT_TRUE(ids.insert(p.id).second);
      EXPECT_TRUE(names.insert(p.name).second);
      EXPECT_TRUE(isReadableName(p.name));
      EXPECT_NE(std::string(p.meaning), "");
      EXPECT_LE(p.minimum, p.maximum);
      if (p.access != kParamComputed) {
        EXPECT_TRUE(isAcceptedValue(p, p.defaultValue));
      }
      for (int k = 0; k < p.choiceCount; ++k) EXPECT_TRUE(isAcceptedValue(p, p.choices[k]));
      EXPECT_NE(findNodeInfo(*v, p.node), nullptr);
      EXPECT_EQ(findParamInfo(*v, p.id), &p);
      EXPECT_EQ(findParamInfo(*v, p.name), &p);
    }
    for (int i = 0; i < v->modeCount; ++i)
      EXPECT_EQ(findModeInfo(*v, v->modes[i].id), &v->modes[i]);
    EXPECT_EQ(findModeInfo(*v, 0x3e7), nullptr);
  }
}

// Every registered parameter, node, export and mode of a core is in the
// vocabulary with the same numbers.
void expectCoreSpeaks(Kalvora& core, const PipelineVocabulary& v) {
  PipelineParameter* const* parameters = core.getParameters();
  for (int i = 0; i < core.getNumParameters(); ++i) {
    const PipelineParameter& p = *parameters[i];
    const PipelineParamInfo* info = findParamInfo(v, p.id);
    ASSERT_NE(info, nullptr) << p.id;
    EXPECT_EQ(p.defaultValue, info->defaultValue) << p.id;
    EXPECT_EQ(p.minimum, info->minimum) << p.id;
    EXPECT_EQ(p.maximum, info->maximum) << p.id;
    EXPECT_EQ(p.persistence, info->persistence) << p.id;
    EXPECT_EQ(p.readOnly, info->access != kParamReadWrite) << p.id;
  }
  for (int i = 0; i < core.getNumNodes(); ++i) {
    const PipelineNodeInfo* info = findNodeInfo(v, core.getPipeline()[i]->id);
    ASSERT_NE(info, nullptr) << core.getPipeline()[i]->id;
    EXPECT_EQ(core.getPipeline()[i]->type, info->type) << info->name;
  }
  for (int i = 0; i < core.getNumExports(); ++i)
    EXPECT_NE(findNodeInfo(v, core.getExports()[i]->id), nullptr);
}

TEST(PipelineVocabulary, TheCoresRegisterWhatItNames) {
  LutGeneratorImageCore lut;
  expectCoreSpeaks(lut, gLutGeneratorVocabulary);
  EXPECT_EQ(lut.getNumParameters(), gLutGeneratorVocabulary.paramCount);
  const struct {
    PipelineType type;
    int parameters;
  } cameras[] = {
      {kPipelineMultiBranch, 60}, {kPipelineSingleBranch, 24}, {kPipelineOutputOnly, 19}};
  for (const auto& c : cameras) {
    KestaImageCore camera(1, c.type);
    expectCoreSpeaks(camera, gCameraVocabulary);
    EXPECT_EQ(camera.getNumParameters(), c.parameters);
  }
}

}  // namespace
}  // namespace Kalvora
