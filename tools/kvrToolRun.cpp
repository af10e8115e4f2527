// The kalvora tool from arguments to exit status.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "kvrInputFile.h"
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

CommandResult produce(const Options& options) {
  const auto standardOutput = [](std::string content) {
    CommandResult result;
    result.files.push_back({"-", std::move(content)});
    return result;
  };
  const auto toOutput = [&](std::string content, bool binary) {
    CommandResult result;
    result.files.push_back({options.output, std::move(content), binary});
    return result;
  };
  switch (options.command) {
    case Command::kLut:
      return runLutCommand(options);
    case Command::kCamera:
      return toOutput(runCameraCommand(options), false);
    case Command::kLookSave:
      return toOutput(runLookSaveCommand(options), true);
    case Command::kLookShow:
      return runLookShowCommand(options);
    case Command::kCdl:
      return toOutput(runCdlCommand(options), false);
    default:
      return standardOutput(runInfoCommand());
  }
}

bool exists(const std::string& path) {
  struct stat info;
  return !isStandardOutput(path) && stat(path.c_str(), &info) == 0;
}

// Writes the files in order. When one cannot be written, the files this run
// created before it are removed again, so a failed run leaves no output.
void writeFiles(const std::vector<OutputFile>& files) {
  for (const OutputFile& file : files)
    if (file.binary && isStandardOutput(file.path) && isatty(STDOUT_FILENO))
      throw UsageError("refusing to write binary output to a terminal; use -o FILE");
  std::vector<std::string> created;
  try {
    for (const OutputFile& file : files) {
      const bool existed = exists(file.path);
      writeOutput(file.path, file.content);
      if (!existed && !isStandardOutput(file.path)) created.push_back(file.path);
    }
  } catch (const OutputError&) {
    for (const std::string& path : created) unlink(path.c_str());
    throw;
  }
}

int runCommand(const Options& options) {
  ReportCollector reports;
  ReportCollector::clear();
  const std::string prefix = std::string(commandName(options.command)) + ": ";
  try {
    const CommandResult result = produce(options);
    writeFiles(result.files);
    if (!result.failure.empty()) {
      printLine(stderr, prefix + result.failure);
      return kExitFailure;
    }
  } catch (const UsageError& e) {
    printLine(stderr, prefix + e.what());
    return kExitUsage;
  } catch (const LibraryError& e) {
    printLine(stderr, prefix + e.what() + " (library error " + std::to_string(e.code()) + ")");
    return kExitFailure;
  } catch (const InputError& e) {
    printLine(stderr, prefix + e.what());
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
