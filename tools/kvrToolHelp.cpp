// Help texts of the kalvora tool and its subcommands.
#include "kvrToolOptions.h"

namespace Kalvora {
namespace Tool {

namespace {

const char* const kToolHelp =
    "Usage: kalvora <command> [options]\n"
    "\n"
    "Generates look LUTs and camera LUTs in the Cube format.\n"
    "\n"
    "Commands:\n"
    "  lut      write a 3-D look LUT from the LUT generator\n"
    "  camera   write the camera's rendering as a 3-D LUT, or its log or tone curve as a 1-D LUT\n"
    "  info     list parameters, nodes and target colour spaces\n"
    "\n"
    "Options:\n"
    "  -h, --help   show this help (kalvora <command> --help for a command's options)\n"
    "  --version    show the version\n"
    "\n"
    "Example:\n"
    "  kalvora lut -o look.cube\n"
    "  kalvora lut --target p3-d65 --set cdl-slope-red=1.1 --set video-saturation=1.2 -o "
    "look.cube\n"
    "\n"
    "Exit status: 0 on success, 1 when the library reports a failure or the\n"
    "output cannot be written, 2 for bad usage. A failed run leaves no output file.\n";

const char* const kLutHelp =
    "Usage: kalvora lut [options]\n"
    "\n"
    "Writes a 3-D look LUT from the LUT generator. Without options: node 10 at 33\n"
    "points for the Rec.1886 target with every parameter at its default.\n"
    "\n"
    "Options:\n"
    "  -o, --output FILE    write to FILE (default: standard output, also -)\n"
    "  --node N             10 the look (default); 12 the look converted to Rec.1886;\n"
    "                       13 CDL, saturation and look converted to Rec.1886;\n"
    "                       14 CDL, saturation and look; 15 the look without the\n"
    "                       user-LUT look transform\n"
    "  --size N             grid points per axis, 3 to 65 (default 33)\n"
    "  --target NAME        target colour space: rec1886 (default), rec2020, p3-dci,\n"
    "                       p3-d65, p3-d60, pq, hlg, acesproxy, or a full identifier\n"
    "                       such as com.apple.proapps.colorspace.rec2100.d65.pq\n"
    "  --ei VALUE           exposure index (same as --set exposure-index=VALUE)\n"
    "  --set PARAM=VALUE    set a parameter by name or id; repeatable, the last wins.\n"
    "                       'kalvora info' lists names, defaults and ranges, e.g.\n"
    "                       cdl-slope-red=1.1, video-saturation=0.9, peak-white=2000\n"
    "  --half-grid          compute every other grid point and average the rest\n"
    "                       (needs an odd --size)\n"
    "  --format FORMAT      cube (default) or raw16: the library's interleaved 16-bit\n"
    "                       codes, little-endian, blue index fastest, no header\n"
    "  --max-value N        full-scale code of raw16, 1 to 65535 (default 65535)\n"
    "  --title TEXT         TITLE line of the Cube file\n"
    "  -h, --help           show this help\n"
    "\n"
    "Cube values are the library's 16-bit codes divided by 65535; red changes fastest.\n"
    "For the hlg target peak-white must stay 1000.\n";

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
    default:
      return kToolHelp;
  }
}

}  // namespace Tool
}  // namespace Kalvora
