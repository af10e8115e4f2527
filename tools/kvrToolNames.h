// The vocabulary of the kalvora command-line tool: the cores' parameter and
// node names (from the library's pipeline vocabulary) and the short names of
// the target colour spaces. It serves option parsing, messages and
// `kalvora info`.
#pragma once

#include <string>
#include <vector>

#include "kvrPipelineVocabulary.h"

namespace Kalvora {
namespace Tool {

// The two cores the tool drives.
enum CoreKind { kLutCore, kCameraCore };

// A core's parameters with their readable names, units, ranges and
// choices come from the library's pipeline vocabulary.
using ParamName = PipelineParamInfo;

const PipelineVocabulary& vocabulary(CoreKind core);

// Finds a parameter by readable name or decimal id; null when the core has
// no such parameter.
const ParamName* findParam(CoreKind core, const std::string& nameOrId);

// The readable name of a core's parameter id, or null.
const ParamName* findParamById(CoreKind core, unsigned int id);

// "1000, 2000 or 4000".
std::string describeAllowedValues(const ParamName& param);

// Whether the camera LUT (the output path from the log signal) depends on a
// camera parameter: white balance acts before the log signal and does not.
bool changesCameraLut(const ParamName& param);

// Short target names in registry order: index i names colour space i.
struct TargetName {
  const char* shortName;
  const char* label;
};
const std::vector<TargetName>& targetNames();

// Index of a short target name, or -1.
int findTargetShortName(const std::string& name);

// "rec1886, rec2020, ...".
std::string targetShortNameList();

// What a node or export of a core contains; "" for an unknown id.
const char* nodeMeaning(CoreKind core, unsigned int id);

// Nodes `kalvora lut --node` accepts, in the order help lists them: the
// exports and 11, which stands for the whole pipeline up to node 11.
const std::vector<unsigned int>& lutNodeChoices();

// Formats a number the way people write it: 800, 0.5, -0.3, 1e+308.
std::string formatNumber(double value);

}  // namespace Tool
}  // namespace Kalvora
