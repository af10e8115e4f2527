// The vocabulary of the kalvora command-line tool: readable parameter names
// for both cores, short names of the target colour spaces, and what each
// node the tool can write contains. One table serves option parsing,
// messages and `kalvora info`.
#pragma once

#include <string>
#include <vector>

namespace Kalvora {
namespace Tool {

// The two cores the tool drives.
enum CoreKind { kLutCore, kCameraCore };

// One readable parameter name. A name stands for an id in each core that has
// the parameter; 0 means the core has none. Some parameters take only a few
// discrete values although their numeric range is wider.
struct ParamName {
  const char* name;
  unsigned int lutId;
  unsigned int cameraId;
  const char* meaning;
  std::vector<double> allowedValues;  // empty: any value in the core's range
  bool changesCameraLut;              // false: the camera LUT does not depend on it
};

const std::vector<ParamName>& paramNames();

// Id of a parameter name in a core, or 0.
unsigned int paramId(const ParamName& param, CoreKind core);

// Finds a parameter by readable name or decimal id; null when the core has
// no such parameter.
const ParamName* findParam(CoreKind core, const std::string& nameOrId);

// The readable name of a core's parameter id, or null.
const ParamName* findParamById(CoreKind core, unsigned int id);

// "1000, 2000 or 4000".
std::string describeAllowedValues(const ParamName& param);

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

// Nodes the tool writes or lists, with what they contain.
struct NodeName {
  unsigned int id;
  const char* meaning;
};
const std::vector<NodeName>& nodeNames(CoreKind core);
const char* nodeMeaning(CoreKind core, unsigned int id);

// Nodes `kalvora lut --node` accepts, in the order help lists them.
const std::vector<unsigned int>& lutNodeChoices();

// Formats a number the way people write it: 800, 0.5, -0.3, 1e+308.
std::string formatNumber(double value);

}  // namespace Tool
}  // namespace Kalvora
