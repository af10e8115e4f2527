// The kalvora tool from arguments to exit status.
#include <unistd.h>

#include <cstdio>

#include "kvrOutputFile.h"
#include "kvrToolCommands.h"
#include "kvrToolLibrary.h"

namespace Kalvora {
namespace Tool {

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void printLine(FILE* stream, const std::string& text) {
  std::fprintf(stream, "kalvora: %s\n", text.c_str());
}

// Reports the library made while the run still succeeded.
void printWarnings() {
  for (const std::string& report : ReportCollector::reports())
    printLine(stderr, "warning: " + report);
}

std::string commandPrefix(Command command) {
  return command == Command::kLut ? "lut: " : command == Command::kCamera ? "camera: " : "info: ";
}

std::string produce(const Options& options) {
  switch (options.command) {
    case Command::kLut:
      return runLutCommand(options);
    case Command::kCamera:
      return runCameraCommand(options);
    default:
      return runInfoCommand();
  }
}

int runCommand(const Options& options) {
  ReportCollector reports;
  ReportCollector::clear();
  const std::string prefix = commandPrefix(options.command);
  try {
    if (options.format == FileFormat::kRaw16 && isStandardOutput(options.output) && isatty(1))
      throw UsageError("refusing to write raw16 codes to a terminal; use -o FILE");
    const std::string content = produce(options);
    writeOutput(options.command == Command::kInfo ? "-" : options.output, content);
  } catch (const UsageError& e) {
    printLine(stderr, prefix + e.what());
    return kExitUsage;
  } catch (const LibraryError& e) {
    printLine(stderr, prefix + e.what() + " (library error " + std::to_string(e.code()) + ")");
    return kExitFailure;
  } catch (const OutputError& e) {
    printLine(stderr, prefix + e.what());
    return kExitFailure;
  } catch (const std::exception& e) {
    printLine(stderr, prefix + "unexpected failure: " + e.what());
    return kExitFailure;
  }
  printWarnings();
  return 0;
}

}  // namespace

std::string versionText() { return std::string("kalvora ") + KALVORA_VERSION; }

int runTool(const std::vector<std::string>& args) {
  Options options;
  try {
    options = parseOptions(args);
  } catch (const UsageError& e) {
    printLine(stderr, e.what());
    return kExitUsage;
  }
  if (options.command == Command::kHelp) {
    std::fputs(helpText(options.helpTopic).c_str(), stdout);
    return 0;
  }
  if (options.command == Command::kVersion) {
    std::printf("%s\n", versionText().c_str());
    return 0;
  }
  return runCommand(options);
}

}  // namespace Tool
}  // namespace Kalvora
