// Help texts of the kalvora tool and its subcommands.
#include "kvrToolOptions.h"

namespace Kalvora {
namespace Tool {

namespace {

const char* const kToolHelp =
    "Usage: kalvora <command> [options]\n"
    "\n"
    "Generates look LUTs and camera LUTs, and reads and writes looks and ASC CDLs.\n"
    "\n"
    "Commands:\n"
    "  lut        write a 3-D look LUT from the LUT generator (Cube, CLF, 3dl, raw16)\n"
    "  camera     write the camera's rendering as a 3-D LUT, or its log or tone curve as a\n"
    "             1-D LUT\n"
    "  look save  write a look file of the settings\n"
    "  look show  list what a look file or raw video-LUT atom holds\n"
    "  cdl        write the ASC CDL of the settings as .cc, .ccc or .cdl\n"
    "  info       list parameters, nodes and target colour spaces\n"
    "\n"
    "Options:\n"
    "  -h, --help   show this help (kalvora <command> --help for a command's options)\n"
    "  --version    show the version\n"
    "\n"
    "Example:\n"
    "  kalvora lut -o look.cube\n"
    "  kalvora lut --look show.look --cdl scene.cdl --target p3-d65 -o look.cube\n"
    "\n"
    "Exit status: 0 on success, 1 when the library reports a failure, an input file\n"
    "cannot be read or the output cannot be written, 2 for bad usage. A failed run\n"
    "leaves no output file.\n";

// The options that build a look, shared by lut and look save.
#define KALVORA_LOOK_OPTIONS                                                              \
  "  --look FILE          start from a saved look: a look file or a raw video-LUT\n"      \
  "                       atom (told by its magic); its target stays unless --target\n"   \
  "                       is given\n"                                                     \
  "  --target NAME        target colour space: rec1886 (default), rec2020, p3-dci,\n"     \
  "                       p3-d65, p3-d60, pq, hlg, acesproxy, or a full identifier\n"     \
  "                       such as com.apple.proapps.colorspace.rec2100.d65.pq\n"          \
  "  --user-lut FILE      install a user 3-D LUT read from a LUT file in any format\n"    \
  "                       OpenColorIO reads (Cube, 3dl, CLF/CTF, CSP, spi3d, ...),\n"     \
  "                       sampled on the file's own grid (2 to 65 points) or 33\n"        \
  "  --user-lut-size N    sample the user LUT on N points instead, 2 to 65\n"             \
  "  --cdl FILE           set the ten ASC CDL parameters from a .cc, .ccc or .cdl file\n" \
  "  --cdl-id ID          the colour correction to take from the file (id or index;\n"    \
  "                       default: the first)\n"                                          \
  "  --ei VALUE           exposure index (same as --set exposure-index=VALUE)\n"          \
  "  --set PARAM=VALUE    set a parameter by name or id; repeatable, the last wins.\n"    \
  "                       'kalvora info' lists names, defaults and ranges, e.g.\n"        \
  "                       cdl-slope-red=1.1, video-saturation=0.9, peak-white=2000\n"     \
  "                       The look comes first, then the target, user LUT, CDL file\n"    \
  "                       and the settings in command-line order.\n"

const char* const kLutHelp =
    "Usage: kalvora lut [options]\n"
    "\n"
    "Writes a 3-D LUT from the LUT generator: camera log (Elvex) in, display signal\n"
    "for the target out. Without options: what the camera shows with every setting at\n"
    "its default, at 33 points, for the Rec.1886 target.\n"
    "\n"
    "Options:\n"
    "  -o, --output FILE    write to FILE (default: standard output, also -)\n"
    "  --node N             what the LUT contains:\n"
    "                       11 what the camera shows (default): ASC CDL, CDL\n"
    "                          saturation, look and normalisation; every setting\n"
    "                          and --ei changes it\n"
    "                       10 the look alone, for LUT hardware that applies the CDL\n"
    "                          (node 8), its saturation (9) and normalisation (11)\n"
    "                          itself\n"
    "                       14 CDL, saturation and look, without normalisation\n"
    "                       12 the look converted to Rec.1886\n"
    "                       13 CDL, saturation and look converted to Rec.1886\n"
    "                       15 the look without the user-LUT look transform\n"
    "  --size N             grid points per axis, 3 to 65 (default 33)\n" KALVORA_LOOK_OPTIONS
    "  --half-grid          compute every other grid point and average the rest\n"
    "                       (node 10 only; needs an odd --size)\n"
    "  --format FORMAT      cube (default); clf, the Academy/ASC Common LUT Format with\n"
    "                       32-bit float values; 3dl, 12-bit codes (--size 4 or\n"
    "                       more); raw16, the library's interleaved 16-bit codes,\n"
    "                       little-endian, blue index fastest, no header\n"
    "  --max-value N        full-scale code of raw16, 1 to 65535 (default 65535)\n"
    "  --title TEXT         TITLE line of the Cube file, name of the CLF file\n"
    "  --save-look FILE     also write the look of these settings as a look file\n"
    "  --note TEXT          look note of --save-look (at most 1024 bytes)\n"
    "  --lut-name NAME      LUT file name of --save-look (at most 64 bytes;\n"
    "                       default: the --user-lut file's name)\n"
    "  -h, --help           show this help\n"
    "\n"
    "Cube and CLF values are the library's results, with at least 7 significant\n"
    "digits; red changes fastest. For the hlg target peak-white must stay 1000.\n";

const char* const kLookHelp =
    "Usage: kalvora look save [options] -o FILE\n"
    "       kalvora look show [--json] FILE\n"
    "\n"
    "look save writes a look file: the target colour space, every look parameter and\n"
    "the exposure index, the user 3-D LUT, LUT file name and note. 'kalvora lut --look\n"
    "FILE' gives the same LUT as the settings that made it.\n"
    "\n"
    "Options of look save:\n"
    "  -o, --output FILE    write to FILE (default: standard output, never a "
    "terminal)\n" KALVORA_LOOK_OPTIONS
    "  --note TEXT          look note (at most 1024 bytes)\n"
    "  --lut-name NAME      LUT file name (at most 64 bytes; default: the --user-lut\n"
    "                       file's name)\n"
    "\n"
    "look show lists what a look file or raw video-LUT atom holds: target, every saved\n"
    "parameter with its value (* marks values that differ from the default), the user\n"
    "3-D LUT, LUT file name, note, design-data key and size, and whether the CRC (look\n"
    "file) or MD5 (atom) matches. A corrupt file fails with exit status 1.\n"
    "\n"
    "Options of look show:\n"
    "  --json               one JSON object instead of text\n"
    "  -h, --help           show this help\n";

const char* const kCdlHelp =
    "Usage: kalvora cdl [options] -o FILE.cc|FILE.ccc|FILE.cdl\n"
    "\n"
    "Writes the ASC CDL of the settings (slope, offset and power per channel and\n"
    "saturation) as the standard XML; the file name's extension chooses the kind of\n"
    "file, standard output gets a .cc. The correction's id is the file's name without\n"
    "extension (kalvora on standard output).\n"
    "\n"
    "Options:\n"
    "  -o, --output FILE    write to FILE (default: standard output, also -)\n"
    "  --look FILE          start from the CDL of a look file or raw video-LUT atom\n"
    "  --cdl FILE           start from a .cc, .ccc or .cdl file\n"
    "  --cdl-id ID          the colour correction to take from it (default: the first)\n"
    "  --set PARAM=VALUE    set a cdl-* parameter; repeatable, the last wins\n"
    "  -h, --help           show this help\n";

const char* const kCameraHelp =
    "Usage: kalvora camera [options]\n"
    "\n"
    "Writes the camera pipeline's rendering of its log signal (export node 11) as a\n"
    "3-D Cube LUT, or with --curve one of its curves as a 1-D Cube LUT.\n"
    "\n"
    "Options:\n"
    "  -o, --output FILE    write to FILE (default: standard output, also -)\n"
    "  --size N             grid points per axis, 3 to 65 (default 33); with --curve\n"
    "                       the number of entries, 256 to 65536 (default 4096)\n"
    "  --ei VALUE           exposure index (same as --set exposure-index=VALUE)\n"
    "  --set PARAM=VALUE    set a parameter of the output path by name or id;\n"
    "                       repeatable. 'kalvora info' lists them, e.g. knee=0.3,\n"
    "                       log-offset-red=0.01, video-saturation=1.1\n"
    "  --p3                 P3 output with gamma 2.6 (default: Rec.709, gamma 2.4)\n"
    "  --false-color        false colour: a grey image with exposure bands painted in\n"
    "  --curve CURVE        log: the log encoding (node 5), linear to log;\n"
    "                       tonemap: the tone map (node 8), log to video\n"
    "  --title TEXT         TITLE line of the Cube file\n"
    "  -h, --help           show this help\n";

const char* const kInfoHelp =
    "Usage: kalvora info\n"
    "\n"
    "Lists for the LUT generator (kalvora lut) and the camera (kalvora camera): the\n"
    "parameters with id, readable name, default and accepted range, the nodes and\n"
    "exports, and the target colour spaces.\n";

}  // namespace

std::string helpText(Command topic) {
  switch (topic) {
    case Command::kLut:
      return kLutHelp;
    case Command::kCamera:
      return kCameraHelp;
    case Command::kInfo:
      return kInfoHelp;
    case Command::kLookSave:
    case Command::kLookShow:
      return kLookHelp;
    case Command::kCdl:
      return kCdlHelp;
    default:
      return kToolHelp;
  }
}

}  // namespace Tool
}  // namespace Kalvora
