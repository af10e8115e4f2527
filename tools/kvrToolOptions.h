// Command-line parsing of the kalvora tool: subcommand, options and their
// values, checked for form and for the limits the tool knows without a core.
// Bad usage throws UsageError with one line that names the problem and what
// is accepted.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "kvrToolNames.h"

namespace Kalvora {
namespace Tool {

enum class Command { kUsage, kHelp, kVersion, kLut, kCamera, kInfo, kLookSave, kLookShow, kCdl };
enum class FileFormat { kCube, kClf, k3dl, kRaw16 };
enum class CameraCurve { kNone, kLog, kToneMap };

// Limits of what the tool writes.
constexpr int kMin3dSize = 3;
constexpr int kMax3dSize = 65;
constexpr int kDefault3dSize = 33;
constexpr int kMin1dSize = 256;
constexpr int kMax1dSize = 65536;
constexpr int kDefault1dSize = 4096;
constexpr int kMaxCode = 65535;
// Longest --note and --lut-name a look file holds, in bytes.
constexpr size_t kMaxNoteLength = 1024;
constexpr size_t kMaxLutNameLength = 64;
// What `kalvora lut` writes by default: the camera's view, the CDL, its
// saturation and the look (export 14) followed by the normalisation gain and
// offset (node 11), so the default carries the id of the last node.
constexpr unsigned int kCameraViewNode = 11;

// One --set (or --ei), resolved to the core's id.
struct ParamSetting {
  const ParamName* param;
  double value;
};

struct Options {
  Command command = Command::kUsage;
  Command helpTopic = Command::kUsage;  // for kHelp: the subcommand, or kUsage for the tool
  unsigned int node = kCameraViewNode;
  int size = 0;
  bool hasSize = false;  // false: the default size of what is written
  std::string target = "rec1886";
  bool hasTarget = false;              // false: a loaded look keeps its own target
  std::vector<ParamSetting> settings;  // in command-line order
  bool halfGrid = false;
  FileFormat format = FileFormat::kCube;
  int maxValue = kMaxCode;
  std::string title;
  bool hasTitle = false;
  std::string output = "-";  // "-": standard output
  bool p3 = false;
  bool falseColor = false;
  CameraCurve curve = CameraCurve::kNone;
  // Where the look starts and what goes on top of it (lut, look save, cdl).
  std::string look;     // --look: a look file or raw video-LUT atom
  std::string userLut;  // --user-lut: a LUT file OpenColorIO reads
  int userLutSize = 0;  // --user-lut-size; 0: the file's own grid
  std::string cdl;      // --cdl: a .cc, .ccc or .cdl file
  std::string cdlId;    // --cdl-id; "": the file's first correction
  // Look files written: look save's -o, or lut --save-look.
  std::string saveLook;
  std::string note;  // --note
  bool hasNote = false;
  std::string lutName;  // --lut-name
  bool hasLutName = false;
  // look show
  std::string input;
  bool json = false;
};

class UsageError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Parses the arguments after the program name.
Options parseOptions(const std::vector<std::string>& args);

// The size to write: the given one or the default for the kind of LUT.
int effectiveSize(const Options& options);

// "lut", "look save", ...; "" for the tool itself.
const char* commandName(Command command);

// Help texts; kUsage gives the tool's own.
std::string helpText(Command topic);

// A strict number: the whole text, finite. Throws UsageError naming `what`.
double parseNumber(const std::string& text, const std::string& what);
// A strict decimal integer; huge values saturate.
long parseWholeNumber(const std::string& text, const std::string& what);
// A strict decimal integer within [lo, hi].
int parseInteger(const std::string& text, const std::string& what, long lo, long hi);

}  // namespace Tool
}  // namespace Kalvora
