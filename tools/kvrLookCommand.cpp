// `kalvora look save` writes a look file of the settings; `kalvora look
// show` lists what a look file or raw video-LUT atom holds.
#include <cstdio>
#include <cstdlib>

#include "kvrColorSpaces.h"
#include "kvrInputFile.h"
#include "kvrLookInput.h"
#include "kvrLookSetup.h"
#include "kvrToolCommands.h"
#include "kvrToolLibrary.h"

namespace Kalvora {
namespace Tool {

namespace {

// What `look show` reports, gathered from the core after loading.
struct LookReport {
  LoadedLook loaded;
  ColorSpace target = Rec1886;
  int userLutPoints = 0;  // 0: no user 3-D LUT
  std::string lutFileName;
  std::string note;
  std::string designKey;
  unsigned int designSize = 0;
};

struct ParamLine {
  std::string name;
  std::string value;
  std::string defaultValue;
  bool changed;
};

// The shortest text that reads back as the same float: the look stores
// values as 32-bit floats.
std::string floatText(double value) {
  const float stored = static_cast<float>(value);
  char text[32];
  for (int digits = 6; digits <= 9; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(stored));
    if (std::strtof(text, nullptr) == stored) break;
  }
  return text;
}

ParamLine describeParam(const SavedParam& saved) {
  const ParamName* param = findParamById(kLutCore, saved.id);
  ParamLine line{param ? param->name : std::to_string(saved.id), floatText(saved.value), "", true};
  if (param) {
    line.defaultValue = floatText(param->defaultValue);
    line.changed = static_cast<float>(saved.value) != static_cast<float>(param->defaultValue);
  }
  return line;
}

LookReport reportLook(LutGeneratorImageCore& core, const LoadedLook& loaded) {
  LookReport report;
  report.loaded = loaded;
  report.target = currentTarget(core);
  if (core.hasUser3dLut()) {
    int maxValue = 0;
    LutOrder order = kLutInterleaved;
    call([&] { return core.getUser3dLutParam(maxValue, report.userLutPoints, order); });
  }
  Vorn2LookFile& file = *core.getLookFile();
  report.lutFileName = file.getLutFileName();
  report.note = file.getLookNote();
  const unsigned char* key = core.getUserLutDesignDataKey();
  report.designKey.assign(reinterpret_cast<const char*>(key), core.getUserLutDesignDataKeySize());
  report.designSize = core.getUserLutDesignDataSize();
  return report;
}

const char* kindName(LookKind kind) {
  return kind == LookKind::kLookFile ? "look file" : "raw video-LUT atom";
}

const char* digestName(LookKind kind) { return kind == LookKind::kLookFile ? "CRC" : "MD5"; }

std::string textReport(const LookReport& report) {
  std::string out = std::string("kind: ") + kindName(report.loaded.kind) + "\n";
  out += std::string("target: ") + ColorSpaces::identifier(report.target) + " (" +
         targetNames()[report.target].shortName + ")\n";
  out += "parameters (* differs from the default):\n";
  if (report.loaded.params.empty()) out += "  none\n";
  for (const SavedParam& saved : report.loaded.params) {
    const ParamLine line = describeParam(saved);
    char text[128];
    std::snprintf(text, sizeof text, "%c %-24s %s\n", line.changed ? '*' : ' ', line.name.c_str(),
                  line.value.c_str());
    out += text;
  }
  out += "user 3-D LUT: " +
         (report.userLutPoints ? std::to_string(report.userLutPoints) + " points" : "none") + "\n";
  out += "LUT file name: " + report.lutFileName + "\n";
  out += "note: " + report.note + "\n";
  out += "design data: key \"" + report.designKey + "\", " + std::to_string(report.designSize) +
         " bytes\n";
  out += std::string(digestName(report.loaded.kind)) + ": " +
         (report.loaded.digestMatches ? "matches" : "does not match") + "\n";
  return out;
}

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string jsonReport(const LookReport& report) {
  std::string out = "{\n";
  out += "  \"kind\": " + jsonString(kindName(report.loaded.kind)) + ",\n";
  out += "  \"target\": " + jsonString(ColorSpaces::identifier(report.target)) + ",\n";
  out += "  \"targetName\": " + jsonString(targetNames()[report.target].shortName) + ",\n";
  out += "  \"parameters\": [";
  const char* separator = "\n";
  for (const SavedParam& saved : report.loaded.params) {
    const ParamLine line = describeParam(saved);
    out += separator;
    out += "    {\"id\": " + std::to_string(saved.id) + ", \"name\": " + jsonString(line.name) +
           ", \"value\": " + line.value;
    if (!line.defaultValue.empty()) out += ", \"default\": " + line.defaultValue;
    out += std::string(", \"changed\": ") + (line.changed ? "true" : "false") + "}";
    separator = ",\n";
  }
  out += report.loaded.params.empty() ? "],\n" : "\n  ],\n";
  out += "  \"userLut\": " +
         (report.userLutPoints ? "{\"meshPoints\": " + std::to_string(report.userLutPoints) + "}"
                               : std::string("null")) +
         ",\n";
  out += "  \"lutFileName\": " + jsonString(report.lutFileName) + ",\n";
  out += "  \"note\": " + jsonString(report.note) + ",\n";
  out += "  \"designData\": {\"key\": " + jsonString(report.designKey) +
         ", \"size\": " + std::to_string(report.designSize) + "},\n";
  out += "  \"digest\": {\"kind\": " + jsonString(digestName(report.loaded.kind)) +
         ", \"matches\": " + (report.loaded.digestMatches ? "true" : "false") + "}\n";
  return out + "}\n";
}

}  // namespace

std::string runLookSaveCommand(const Options& options) {
  LookSetup setup(options);
  return setup.saveLook(options);
}

CommandResult runLookShowCommand(const Options& options) {
  LutGeneratorImageCore core;
  checkGood(core, "the LUT generator");
  const std::string bytes = readInputFile(options.input, kMaxLookFileSize);
  const LookReport report = reportLook(core, loadLookBytes(core, options.input, bytes));
  CommandResult result;
  result.files.push_back({"-", options.json ? jsonReport(report) : textReport(report)});
  if (!report.loaded.digestMatches)
    result.failure =
        options.input + ": the MD5 digest does not match the atom's content (the file is corrupt)";
  return result;
}

}  // namespace Tool
}  // namespace Kalvora
