// The subcommands of the kalvora tool. Each returns what it writes; bad
// usage throws UsageError, a failure of the library LibraryError, a file
// that cannot be read InputError.
#pragma once

#include <string>
#include <vector>

#include "kvrToolOptions.h"

namespace Kalvora {
namespace Tool {

// A file a command writes; path "-" is standard output.
struct OutputFile {
  std::string path;
  std::string content;
  bool binary = false;  // never written to a terminal
};

struct CommandResult {
  std::vector<OutputFile> files;  // written in this order
  // A problem found after the output was made (a look whose digest does not
  // match): reported after the files are written, and the run fails.
  std::string failure;
};

// `kalvora lut`: the LUT, and the look file with --save-look.
CommandResult runLutCommand(const Options& options);

// The Cube file of `kalvora camera`.
std::string runCameraCommand(const Options& options);

// The listing of `kalvora info`.
std::string runInfoCommand();

// `kalvora look save`: a look file.
std::string runLookSaveCommand(const Options& options);

// `kalvora look show`: what a look holds, as text or JSON.
CommandResult runLookShowCommand(const Options& options);

// `kalvora cdl`: the ASC CDL of the settings as XML.
std::string runCdlCommand(const Options& options);

// Runs the tool on the arguments after the program name and returns the
// exit status: 0 success, 1 failure, 2 bad usage. Messages go to standard
// error, help and listings to standard output.
int runTool(const std::vector<std::string>& args);

// "kalvora 0.1.0".
std::string versionText();

}  // namespace Tool
}  // namespace Kalvora
