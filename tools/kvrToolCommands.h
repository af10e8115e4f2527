// The subcommands of the kalvora tool. Each returns what it writes; bad
// usage throws UsageError, a failure of the library LibraryError.
#pragma once

#include <string>

#include "kvrToolOptions.h"

namespace Kalvora {
namespace Tool {

// The file content of `kalvora lut`: a Cube file or raw16 codes.
std::string runLutCommand(const Options& options);

// The Cube file of `kalvora camera`.
std::string runCameraCommand(const Options& options);

// The listing of `kalvora info`.
std::string runInfoCommand();

// Runs the tool on the arguments after the program name and returns the
// exit status: 0 success, 1 failure, 2 bad usage. Messages go to standard
// error, help and listings to standard output.
int runTool(const std::vector<std::string>& args);

// "kalvora 0.1.0".
std::string versionText();

}  // namespace Tool
}  // namespace Kalvora
