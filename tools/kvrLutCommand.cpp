// `kalvora lut`: a look 3-D LUT from the LUT generator core.
#include <vector>

#include "kvrColorSpaces.h"
#include "kvrCubeWriter.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrToolCommands.h"
#include "kvrToolLibrary.h"

namespace Kalvora {
namespace Tool {

namespace {

constexpr unsigned int kLookNode = LutGeneratorImageCore::kLookNode;
constexpr unsigned int kPeakWhiteParam = LutGeneratorImageCore::kPeakWhiteParam;
constexpr double kHlgPeakWhite = LutGeneratorImageCore::kHlgPeakWhite;

// The registry index of a short name or a full identifier (main or
// alternative); unknown names are bad usage.
ColorSpace resolveTarget(const std::string& name) {
  const int shortName = findTargetShortName(name);
  if (shortName >= 0) return static_cast<ColorSpace>(shortName);
  ColorSpaces registry;
  if (const DisplayColorSpace* entry = registry.forName(name.c_str()))
    for (int id = 0; id < ColorSpaces::kCount; ++id)
      if (registry.forId(static_cast<ColorSpace>(id)) == entry) return static_cast<ColorSpace>(id);
  throw UsageError("unknown target '" + name + "' (accepted: " + targetShortNameList() +
                   ", or a colour space identifier that 'kalvora info' lists)");
}

// HLG displays are graded for a peak white of 1000 cd/m2. The core enforces
// this when it samples node 10; the exports are sampled without that check,
// so the same rule is applied here to every node written.
void checkHlgPeakWhite(LutGeneratorImageCore& core, ColorSpace target) {
  if (target != Rec2100Hlg) return;
  double peakWhite = kHlgPeakWhite;
  call([&] { return core.getParam(kPeakWhiteParam, peakWhite); });
  if (peakWhite != kHlgPeakWhite)
    throw LibraryError(kIllegalValue, "Illegal value of peak white for HLG");
}

CubeHeader lutHeader(const Options& options, ColorSpace target) {
  CubeHeader header;
  if (options.hasTitle) header.title = options.title;
  header.comments.push_back("Kalvora look LUT: node " + std::to_string(options.node) + ", " +
                            nodeMeaning(kLutCore, options.node));
  header.comments.push_back(std::string("target: ") + ColorSpaces::identifier(target));
  if (!options.settings.empty())
    header.comments.push_back("settings: " + describeSettings(options.settings));
  if (options.halfGrid) header.comments.push_back("half grid: odd points averaged");
  header.comments.push_back("written by " + versionText());
  return header;
}

}  // namespace

std::string runLutCommand(const Options& options) {
  const ColorSpace target = resolveTarget(options.target);
  LutGeneratorImageCore core;
  checkGood(core, "the LUT generator");
  checkSettings(core, options.settings);
  // The target first, so that the core judges peak white against it.
  checkSignal([&] { core.setTargetColorSpace(core.getColorSpaceInfo(target)); });
  applySettings(core, options.settings);
  checkHlgPeakWhite(core, target);

  const int size = effectiveSize(options);
  const int maxCode = options.format == FileFormat::kRaw16 ? options.maxValue : kMaxCode;
  std::vector<unsigned short> codes(3 * static_cast<size_t>(size) * size * size);
  if (options.node == kLookNode)
    call([&] {
      return core.get3dLut(kLookNode, size, codes.data(), kLutInterleaved, maxCode,
                           options.halfGrid);
    });
  else
    call([&] {
      return core.export3dLut(options.node, size, codes.data(), kLutInterleaved, maxCode);
    });

  std::string out;
  if (options.format == FileFormat::kRaw16)
    writeRaw16(out, codes.data(), codes.size());
  else
    writeCube3d(out, lutHeader(options, target), size, codes.data(), maxCode);
  return out;
}

}  // namespace Tool
}  // namespace Kalvora
