#include "kvrToolOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace Kalvora {
namespace Tool {

namespace {

const char* commandName(Command command) {
  switch (command) {
    case Command::kLut:
      return "lut";
    case Command::kCamera:
      return "camera";
    case Command::kInfo:
      return "info";
    default:
      return "";
  }
}

[[noreturn]] void fail(Command command, const std::string& message) {
  throw UsageError(std::string(commandName(command)) + ": " + message);
}

std::string quoted(const std::string& text) { return "'" + text + "'"; }

// Walks the arguments of one subcommand; knows the two spellings of a value
// ("--size 17", "--size=17", and "-o FILE", "-oFILE").
class ArgumentReader {
public:
  ArgumentReader(Command command, const std::vector<std::string>& args)
      : command_(command), args_(args) {}

  bool next() {
    if (++index_ >= args_.size()) return false;
    const std::string& arg = args_[index_];
    inlineValue_.clear();
    hasInlineValue_ = false;
    option_ = arg;
    if (arg.compare(0, 2, "--") == 0) {
      const size_t equals = arg.find('=');
      if (equals != std::string::npos) {
        option_ = arg.substr(0, equals);
        inlineValue_ = arg.substr(equals + 1);
        hasInlineValue_ = true;
      }
    } else if (arg.size() > 2 && arg[0] == '-' && arg[1] == 'o') {
      option_ = "-o";
      inlineValue_ = arg.substr(2);
      hasInlineValue_ = true;
    }
    return true;
  }

  const std::string& option() const { return option_; }

  std::string value() {
    if (hasInlineValue_) {
      hasInlineValue_ = false;
      return inlineValue_;
    }
    if (index_ + 1 >= args_.size()) fail(command_, "option " + option_ + " needs a value");
    return args_[++index_];
  }

  // A flag must not carry "=value".
  void noValue() const {
    if (hasInlineValue_) fail(command_, "option " + option_ + " takes no value");
  }

private:
  Command command_;
  const std::vector<std::string>& args_;
  size_t index_ = 0;  // args_[0] is the subcommand
  std::string option_;
  std::string inlineValue_;
  bool hasInlineValue_ = false;
};

CoreKind coreOf(Command command) { return command == Command::kCamera ? kCameraCore : kLutCore; }

ParamSetting parseSetting(Command command, const std::string& text) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos || equals == 0)
    fail(command, "--set needs PARAM=VALUE, got " + quoted(text));
  const std::string name = text.substr(0, equals);
  const CoreKind core = coreOf(command);
  const ParamName* param = findParam(core, name);
  if (!param)
    fail(command, "unknown parameter " + quoted(name) +
                      " (accepted: a name or id that 'kalvora info' lists for " +
                      (core == kLutCore ? "the LUT generator)" : "the camera)"));
  if (core == kCameraCore && !changesCameraLut(*param))
    fail(command, "parameter " + quoted(name) +
                      " does not change the camera LUT (accepted: exposure-index, "
                      "log-offset-*, knee, black-gamma and the video-* parameters)");
  const double value = parseNumber(text.substr(equals + 1), "value of " + name);
  if (param->choiceCount > 0) {
    bool allowed = false;
    for (int i = 0; i < param->choiceCount; ++i) allowed = allowed || param->choices[i] == value;
    if (!allowed)
      fail(command, std::string(param->name) + " " + formatNumber(value) +
                        " is not accepted (accepted: " + describeAllowedValues(*param) + ")");
  }
  return {param, value};
}

unsigned int parseNode(const std::string& text) {
  const std::vector<unsigned int>& choices = lutNodeChoices();
  std::string list;
  for (unsigned int node : choices) list += (list.empty() ? "" : ", ") + std::to_string(node);
  char* end = nullptr;
  errno = 0;
  const unsigned long node = std::strtoul(text.c_str(), &end, 10);
  const bool isNumber =
      !text.empty() && text[0] >= '0' && text[0] <= '9' && *end == '\0' && errno == 0;
  if (isNumber)
    for (unsigned int choice : choices)
      if (node == choice) return choice;
  fail(Command::kLut, "unknown node " + quoted(text) + " (accepted: " + list + ")");
}

FileFormat parseFormat(const std::string& text) {
  if (text == "cube") return FileFormat::kCube;
  if (text == "raw16") return FileFormat::kRaw16;
  fail(Command::kLut, "unknown format " + quoted(text) + " (accepted: cube, raw16)");
}

CameraCurve parseCurve(const std::string& text) {
  if (text == "log") return CameraCurve::kLog;
  if (text == "tonemap") return CameraCurve::kToneMap;
  fail(Command::kCamera, "unknown curve " + quoted(text) + " (accepted: log, tonemap)");
}

std::string parseTitle(Command command, const std::string& text) {
  for (char c : text)
    if (c == '"' || static_cast<unsigned char>(c) < 0x20)
      fail(command, "--title must not contain double quotes or control characters");
  return text;
}

std::string parseOutput(Command command, const std::string& text) {
  if (text.empty()) fail(command, "-o needs a file name (or - for standard output)");
  return text;
}

// What the parse remembers beyond the options themselves.
struct ParseState {
  std::string sizeText;
  bool maxValueGiven = false;
};

ParamSetting exposureSetting(Command command, const std::string& text) {
  return parseSetting(command, "exposure-index=" + text);
}

// Options both LUT-writing subcommands share; false when `option` is none of them.
bool parseCommonOption(Command command, ArgumentReader& reader, Options& options,
                       ParseState& state) {
  const std::string& option = reader.option();
  if (option == "-o" || option == "--output") {
    options.output = parseOutput(command, reader.value());
  } else if (option == "--size") {
    const std::string text = reader.value();
    const long size = parseWholeNumber(text, "--size");
    // Out-of-range sizes are reported once the kind of LUT is known.
    options.size = static_cast<int>(size < 0 ? -1 : size > kMax1dSize ? kMax1dSize + 1 : size);
    options.hasSize = true;
    state.sizeText = text;
  } else if (option == "--ei") {
    options.settings.push_back(exposureSetting(command, reader.value()));
  } else if (option == "--set") {
    options.settings.push_back(parseSetting(command, reader.value()));
  } else if (option == "--title") {
    options.title = parseTitle(command, reader.value());
    options.hasTitle = true;
  } else {
    return false;
  }
  return true;
}

bool parseLutOption(ArgumentReader& reader, Options& options) {
  const std::string& option = reader.option();
  if (option == "--node") {
    options.node = parseNode(reader.value());
  } else if (option == "--target") {
    options.target = reader.value();
    if (options.target.empty()) fail(Command::kLut, "--target needs a name");
  } else if (option == "--half-grid") {
    reader.noValue();
    options.halfGrid = true;
  } else if (option == "--format") {
    options.format = parseFormat(reader.value());
  } else if (option == "--max-value") {
    options.maxValue = parseInteger(reader.value(), "--max-value", 1, kMaxCode);
  } else {
    return false;
  }
  return true;
}

bool parseCameraOption(ArgumentReader& reader, Options& options) {
  const std::string& option = reader.option();
  if (option == "--p3") {
    reader.noValue();
    options.p3 = true;
  } else if (option == "--false-color") {
    reader.noValue();
    options.falseColor = true;
  } else if (option == "--curve") {
    options.curve = parseCurve(reader.value());
  } else {
    return false;
  }
  return true;
}

void checkSize(Command command, const Options& options, const ParseState& state) {
  if (!options.hasSize) return;
  const bool oneD = command == Command::kCamera && options.curve != CameraCurve::kNone;
  const int lo = oneD ? kMin1dSize : kMin3dSize;
  const int hi = oneD ? kMax1dSize : kMax3dSize;
  if (options.size < lo || options.size > hi)
    fail(command, "--size " + state.sizeText + " is out of range for a " + (oneD ? "1-D" : "3-D") +
                      " LUT (accepted: " + std::to_string(lo) + " to " + std::to_string(hi) + ")");
}

// Combinations that would silently do nothing are refused.
void checkCombinations(Command command, const Options& options, const ParseState& state) {
  checkSize(command, options, state);
  if (command == Command::kCamera && options.curve != CameraCurve::kNone &&
      (options.p3 || options.falseColor))
    fail(command, std::string(options.p3 ? "--p3" : "--false-color") +
                      " does not apply to --curve (the curves come before the output colour)");
  if (command != Command::kLut) return;
  if (options.halfGrid && options.node != 10)
    fail(command, "--half-grid is available for node 10 only");
  if (state.maxValueGiven && options.format != FileFormat::kRaw16)
    fail(command, "--max-value applies only to --format raw16");
  if (options.hasTitle && options.format == FileFormat::kRaw16)
    fail(command, "--title applies only to --format cube");
  if (options.halfGrid && effectiveSize(options) % 2 == 0)
    fail(command,
         "--half-grid needs an odd --size (got " + std::to_string(effectiveSize(options)) + ")");
}

Options parseSubcommand(Command command, const std::vector<std::string>& args) {
  Options options;
  options.command = command;
  ParseState state;
  ArgumentReader reader(command, args);
  while (reader.next()) {
    const std::string& option = reader.option();
    if (option == "-h" || option == "--help") {
      reader.noValue();
      Options help;
      help.command = Command::kHelp;
      help.helpTopic = command;
      return help;
    }
    bool known = false;
    if (command != Command::kInfo) known = parseCommonOption(command, reader, options, state);
    if (!known && command == Command::kLut) {
      known = parseLutOption(reader, options);
      state.maxValueGiven = state.maxValueGiven || option == "--max-value";
    }
    if (!known && command == Command::kCamera) known = parseCameraOption(reader, options);
    if (!known) {
      const bool isOption = !option.empty() && option[0] == '-' && option != "-";
      fail(command, std::string(isOption ? "unknown option " : "unexpected argument ") +
                        quoted(option) + " (see 'kalvora " + commandName(command) + " --help')");
    }
  }
  checkCombinations(command, options, state);
  return options;
}

}  // namespace

double parseNumber(const std::string& text, const std::string& what) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  const bool whole =
      !text.empty() && *end == '\0' && !std::isspace(static_cast<unsigned char>(text[0]));
  if (!whole || errno == ERANGE || !std::isfinite(value))
    throw UsageError(what + " " + quoted(text) + " is not a number");
  return value;
}

long parseWholeNumber(const std::string& text, const std::string& what) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text.c_str(), &end, 10);
  const bool whole =
      !text.empty() && *end == '\0' && (text[0] == '-' || (text[0] >= '0' && text[0] <= '9'));
  if (!whole) throw UsageError(what + " " + quoted(text) + " is not a whole number");
  if (errno == ERANGE) return value < 0 ? -1 : std::numeric_limits<long>::max();
  return value;
}

int parseInteger(const std::string& text, const std::string& what, long lo, long hi) {
  const long value = parseWholeNumber(text, what);
  if (value < lo || value > hi)
    throw UsageError(what + " " + text + " is out of range (accepted: " + std::to_string(lo) +
                     " to " + std::to_string(hi) + ")");
  return static_cast<int>(value);
}

Options parseOptions(const std::vector<std::string>& args) {
  Options options;
  if (args.empty())
    throw UsageError("missing subcommand (accepted: lut, camera, info; see 'kalvora --help')");
  const std::string& first = args[0];
  if (first == "-h" || first == "--help" || first == "help") {
    options.command = Command::kHelp;
    if (args.size() > 1) {
      if (args[1] == "lut")
        options.helpTopic = Command::kLut;
      else if (args[1] == "camera")
        options.helpTopic = Command::kCamera;
      else if (args[1] == "info")
        options.helpTopic = Command::kInfo;
      else
        throw UsageError("no help for " + quoted(args[1]) + " (accepted: lut, camera, info)");
    }
    return options;
  }
  if (first == "--version") {
    options.command = Command::kVersion;
    return options;
  }
  const Command command = first == "lut"      ? Command::kLut
                          : first == "camera" ? Command::kCamera
                          : first == "info"   ? Command::kInfo
                                              : Command::kUsage;
  if (command == Command::kUsage) {
    const bool isOption = !first.empty() && first[0] == '-';
    throw UsageError(std::string(isOption ? "unknown option " : "unknown subcommand ") +
                     quoted(first) + " (accepted: lut, camera, info, --help, --version)");
  }
  try {
    return parseSubcommand(command, args);
  } catch (const UsageError& e) {
    const std::string message = e.what();
    const std::string prefix = std::string(commandName(command)) + ": ";
    if (message.compare(0, prefix.size(), prefix) == 0) throw;
    throw UsageError(prefix + message);
  }
}

int effectiveSize(const Options& options) {
  if (options.hasSize) return options.size;
  if (options.command == Command::kCamera && options.curve != CameraCurve::kNone)
    return kDefault1dSize;
  return kDefault3dSize;
}

}  // namespace Tool
}  // namespace Kalvora
