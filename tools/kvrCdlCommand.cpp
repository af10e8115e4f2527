// `kalvora cdl`: the ASC CDL of a look, an ASC CDL file and the CDL
// settings, written as the standard XML.
#include "kvrCdlFile.h"
#include "kvrLookSetup.h"
#include "kvrOutputFile.h"
#include "kvrToolCommands.h"

namespace Kalvora {
namespace Tool {

namespace {

// The file's name without directory and extension; "kalvora" for standard
// output.
std::string correctionId(const std::string& output) {
  if (isStandardOutput(output)) return "kalvora";
  std::string name = output.substr(output.rfind('/') + 1);
  return name.substr(0, name.rfind('.'));
}

}  // namespace

std::string runCdlCommand(const Options& options) {
  CdlFormat format = CdlFormat::kCc;
  if (!isStandardOutput(options.output)) cdlFormatOf(options.output, format);
  LookSetup setup(options);
  return cdlXml(cdlOf(setup.core()), format, correctionId(options.output),
                "written by " + versionText());
}

}  // namespace Tool
}  // namespace Kalvora
