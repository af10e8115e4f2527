#include "kvrToolOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "kvrCdlFile.h"
#include "kvrOutputFile.h"

namespace Kalvora {
namespace Tool {

const char* commandName(Command command) {
  switch (command) {
    case Command::kLut:
      return "lut";
    case Command::kCamera:
      return "camera";
    case Command::kInfo:
      return "info";
    case Command::kLookSave:
      return "look save";
    case Command::kLookShow:
      return "look show";
    case Command::kCdl:
      return "cdl";
    default:
      return "";
  }
}

namespace {

[[noreturn]] void fail(Command command, const std::string& message) {
  throw UsageError(std::string(commandName(command)) + ": " + message);
}

std::string quoted(const std::string& text) { return "'" + text + "'"; }

const char* const kCommandList = "lut, camera, info, look, cdl";

// Walks the arguments of one subcommand; knows the two spellings of a value
// ("--size 17", "--size=17", and "-o FILE", "-oFILE").
class ArgumentReader {
public:
  // args[first] is the last word of the subcommand.
  ArgumentReader(Command command, const std::vector<std::string>& args, size_t first)
      : command_(command), args_(args), index_(first) {}

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
  size_t index_;
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
  if (command == Command::kCdl && param->node != kLutNodeCdl &&
      param->node != kLutNodeCdlSaturation)
    fail(command, "parameter " + quoted(name) +
                      " is not part of the ASC CDL (accepted: the cdl-slope-*, cdl-offset-*, "
                      "cdl-power-* and cdl-saturation parameters)");
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
  if (text == "clf") return FileFormat::kClf;
  if (text == "3dl") return FileFormat::k3dl;
  if (text == "raw16") return FileFormat::kRaw16;
  fail(Command::kLut, "unknown format " + quoted(text) + " (accepted: cube, clf, 3dl, raw16)");
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

bool isLutCommand(Command command) { return command == Command::kLut; }
bool writesLook(Command command) {
  return command == Command::kLut || command == Command::kLookSave;
}
bool buildsLook(Command command) { return writesLook(command) || command == Command::kCdl; }

// -o, --set and --ei, and --size and --title of the LUT writers; false when
// `option` is none of them or the command does not take it.
bool parseCommonOption(Command command, ArgumentReader& reader, Options& options,
                       ParseState& state) {
  const std::string& option = reader.option();
  const bool lutWriter = command == Command::kLut || command == Command::kCamera;
  if (option == "-o" || option == "--output") {
    options.output = parseOutput(command, reader.value());
  } else if (option == "--set") {
    options.settings.push_back(parseSetting(command, reader.value()));
  } else if (option == "--ei" && command != Command::kCdl) {
    options.settings.push_back(exposureSetting(command, reader.value()));
  } else if (option == "--size" && lutWriter) {
    const std::string text = reader.value();
    const long size = parseWholeNumber(text, "--size");
    // Out-of-range sizes are reported once the kind of LUT is known.
    options.size = static_cast<int>(size < 0 ? -1 : size > kMax1dSize ? kMax1dSize + 1 : size);
    options.hasSize = true;
    state.sizeText = text;
  } else if (option == "--title" && lutWriter) {
    options.title = parseTitle(command, reader.value());
    options.hasTitle = true;
  } else {
    return false;
  }
  return true;
}

std::string parseFileName(Command command, const std::string& option, const std::string& text) {
  if (text.empty()) fail(command, option + " needs a file name");
  return text;
}

// Where the look starts and what goes on top of it: lut, look save, cdl.
bool parseLookSourceOption(Command command, ArgumentReader& reader, Options& options) {
  const std::string& option = reader.option();
  const bool fullLook = writesLook(command);
  if (option == "--look") {
    options.look = parseFileName(command, option, reader.value());
  } else if (option == "--cdl") {
    options.cdl = parseFileName(command, option, reader.value());
  } else if (option == "--cdl-id") {
    options.cdlId = reader.value();
    if (options.cdlId.empty()) fail(command, "--cdl-id needs an id");
  } else if (option == "--user-lut" && fullLook) {
    options.userLut = parseFileName(command, option, reader.value());
  } else if (option == "--user-lut-size" && fullLook) {
    options.userLutSize = parseInteger(reader.value(), "--user-lut-size", 2, 65);
  } else if (option == "--target" && fullLook) {
    options.target = reader.value();
    options.hasTarget = true;
    if (options.target.empty()) fail(command, "--target needs a name");
  } else if (option == "--note" && fullLook) {
    options.note = reader.value();
    options.hasNote = true;
  } else if (option == "--lut-name" && fullLook) {
    options.lutName = reader.value();
    options.hasLutName = true;
  } else {
    return false;
  }
  return true;
}

bool parseLutOption(ArgumentReader& reader, Options& options) {
  const std::string& option = reader.option();
  if (option == "--node") {
    options.node = parseNode(reader.value());
  } else if (option == "--half-grid") {
    reader.noValue();
    options.halfGrid = true;
  } else if (option == "--format") {
    options.format = parseFormat(reader.value());
  } else if (option == "--max-value") {
    options.maxValue = parseInteger(reader.value(), "--max-value", 1, kMaxCode);
  } else if (option == "--save-look") {
    options.saveLook = parseFileName(Command::kLut, option, reader.value());
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

bool parseLookShowArgument(ArgumentReader& reader, Options& options) {
  const std::string& option = reader.option();
  if (option == "--json") {
    reader.noValue();
    options.json = true;
    return true;
  }
  const bool isOption = !option.empty() && option[0] == '-';
  if (isOption || !options.input.empty()) return false;
  options.input = option;
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

void checkLutCombinations(const Options& options, const ParseState& state) {
  const Command command = Command::kLut;
  if (options.halfGrid && options.node != kLutNodeLook)
    fail(command, "--half-grid is available for node 10 only");
  if (state.maxValueGiven && options.format != FileFormat::kRaw16)
    fail(command, "--max-value applies only to --format raw16");
  if (options.hasTitle && options.format != FileFormat::kCube && options.format != FileFormat::kClf)
    fail(command, "--title applies only to --format cube and clf");
  if (options.halfGrid && effectiveSize(options) % 2 == 0)
    fail(command,
         "--half-grid needs an odd --size (got " + std::to_string(effectiveSize(options)) + ")");
  if (options.format == FileFormat::k3dl && effectiveSize(options) < 4)
    fail(command, "--format 3dl needs --size 4 or more (a 3-point 3dl reads as its shaper line)");
  if (options.saveLook.empty() && (options.hasNote || options.hasLutName))
    fail(command,
         std::string(options.hasNote ? "--note" : "--lut-name") + " applies only with --save-look");
  if (!options.saveLook.empty() && options.saveLook == options.output)
    fail(command, "--save-look and -o name the same file");
}

// Combinations that would silently do nothing are refused.
void checkCombinations(Command command, const Options& options, const ParseState& state) {
  checkSize(command, options, state);
  if (command == Command::kCamera && options.curve != CameraCurve::kNone &&
      (options.p3 || options.falseColor))
    fail(command, std::string(options.p3 ? "--p3" : "--false-color") +
                      " does not apply to --curve (the curves come before the output colour)");
  if (!options.cdlId.empty() && options.cdl.empty()) fail(command, "--cdl-id needs --cdl");
  if (options.userLutSize != 0 && options.userLut.empty())
    fail(command, "--user-lut-size needs --user-lut");
  if (options.note.size() > kMaxNoteLength)
    fail(command, "--note is longer than " + std::to_string(kMaxNoteLength) + " bytes");
  if (options.lutName.size() > kMaxLutNameLength)
    fail(command, "--lut-name is longer than " + std::to_string(kMaxLutNameLength) + " bytes");
  if (command == Command::kLookShow && options.input.empty())
    fail(command, "missing FILE (the look file or raw video-LUT atom to show)");
  CdlFormat format;
  if (command == Command::kCdl && !isStandardOutput(options.output) &&
      !cdlFormatOf(options.output, format))
    fail(command, "cannot tell the CDL format of " + quoted(options.output) +
                      " (accepted: a name ending in .cc, .ccc or .cdl, or - for .cc on standard "
                      "output)");
  if (isLutCommand(command)) checkLutCombinations(options, state);
}

bool parseOption(Command command, ArgumentReader& reader, Options& options, ParseState& state) {
  if (command == Command::kLookShow) return parseLookShowArgument(reader, options);
  if (command != Command::kInfo && parseCommonOption(command, reader, options, state)) return true;
  if (buildsLook(command) && parseLookSourceOption(command, reader, options)) return true;
  if (command == Command::kLut) {
    state.maxValueGiven = state.maxValueGiven || reader.option() == "--max-value";
    return parseLutOption(reader, options);
  }
  if (command == Command::kCamera) return parseCameraOption(reader, options);
  return false;
}

// The help topic of a command: look save and look show share one.
Command helpTopicOf(Command command) {
  return command == Command::kLookShow ? Command::kLookSave : command;
}

Options parseSubcommand(Command command, const std::vector<std::string>& args, size_t first) {
  Options options;
  options.command = command;
  ParseState state;
  ArgumentReader reader(command, args, first);
  while (reader.next()) {
    const std::string& option = reader.option();
    if (option == "-h" || option == "--help") {
      reader.noValue();
      Options help;
      help.command = Command::kHelp;
      help.helpTopic = helpTopicOf(command);
      return help;
    }
    if (!parseOption(command, reader, options, state)) {
      const bool isOption = !option.empty() && option[0] == '-' && option != "-";
      const std::string see = command == Command::kLookShow ? "look" : commandName(command);
      fail(command, std::string(isOption ? "unknown option " : "unexpected argument ") +
                        quoted(option) + " (see 'kalvora " + see + " --help')");
    }
  }
  checkCombinations(command, options, state);
  return options;
}

// The subcommand and the index of its last word, or kUsage.
Command parseCommandWords(const std::vector<std::string>& args, size_t& first) {
  first = 0;
  const std::string& word = args[0];
  if (word == "lut") return Command::kLut;
  if (word == "camera") return Command::kCamera;
  if (word == "info") return Command::kInfo;
  if (word == "cdl") return Command::kCdl;
  if (word != "look") return Command::kUsage;
  if (args.size() < 2) throw UsageError("look: missing action (accepted: save, show)");
  first = 1;
  if (args[1] == "save") return Command::kLookSave;
  if (args[1] == "show") return Command::kLookShow;
  if (args[1] == "-h" || args[1] == "--help") return Command::kHelp;
  throw UsageError("look: unknown action " + quoted(args[1]) + " (accepted: save, show)");
}

Command parseHelpTopic(const std::string& word) {
  if (word == "lut") return Command::kLut;
  if (word == "camera") return Command::kCamera;
  if (word == "info") return Command::kInfo;
  if (word == "look") return Command::kLookSave;
  if (word == "cdl") return Command::kCdl;
  throw UsageError("no help for " + quoted(word) + " (accepted: " + kCommandList + ")");
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
    throw UsageError(std::string("missing subcommand (accepted: ") + kCommandList +
                     "; see 'kalvora --help')");
  const std::string& first = args[0];
  if (first == "-h" || first == "--help" || first == "help") {
    options.command = Command::kHelp;
    if (args.size() > 1) options.helpTopic = parseHelpTopic(args[1]);
    return options;
  }
  if (first == "--version") {
    options.command = Command::kVersion;
    return options;
  }
  size_t last = 0;
  const Command command = parseCommandWords(args, last);
  if (command == Command::kHelp) {
    options.command = Command::kHelp;
    options.helpTopic = Command::kLookSave;
    return options;
  }
  if (command == Command::kUsage) {
    const bool isOption = !first.empty() && first[0] == '-';
    throw UsageError(std::string(isOption ? "unknown option " : "unknown subcommand ") +
                     quoted(first) + " (accepted: " + kCommandList + ", --help, --version)");
  }
  try {
    return parseSubcommand(command, args, last);
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
