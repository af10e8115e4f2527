// `kalvora lut`: a look 3-D LUT from the LUT generator core.
#include <algorithm>
#include <vector>

#include "kvrColorSpaces.h"
#include "kvrCubeWriter.h"
#include "kvrLookSetup.h"
#include "kvrLutFile.h"
#include "kvrToolCommands.h"
#include "kvrToolLibrary.h"

namespace Kalvora {
namespace Tool {

namespace {

constexpr unsigned int kLookNode = LutGeneratorImageCore::kLookNode;
constexpr unsigned int kPeakWhiteParam = LutGeneratorImageCore::kPeakWhiteParam;
constexpr double kHlgPeakWhite = LutGeneratorImageCore::kHlgPeakWhite;

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

std::string nodeContents(unsigned int node) {
  if (node == kCameraViewNode)
    return "what the camera shows: CDL, saturation, look and normalisation (export 14, then node "
           "11)";
  return "node " + std::to_string(node) + ", " + nodeMeaning(kLutCore, node);
}

CubeHeader lutHeader(const Options& options, ColorSpace target) {
  CubeHeader header;
  if (options.hasTitle) header.title = options.title;
  header.comments.push_back("Kalvora look LUT: " + nodeContents(options.node));
  header.comments.push_back(std::string("target: ") + ColorSpaces::identifier(target));
  if (!options.look.empty()) header.comments.push_back("look: " + options.look);
  if (!options.userLut.empty()) header.comments.push_back("user 3-D LUT: " + options.userLut);
  if (!options.cdl.empty()) header.comments.push_back("ASC CDL: " + options.cdl);
  if (!options.settings.empty())
    header.comments.push_back("settings: " + describeSettings(options.settings));
  if (options.halfGrid) header.comments.push_back("half grid: odd points averaged");
  header.comments.push_back("written by " + versionText());
  return header;
}

size_t valueCount(int size) { return 3 * static_cast<size_t>(size) * size * size; }

// Export 14 followed by node 11's gain and offset, which clamps to [0, 1]
// as the node does.
std::vector<double> cameraView(LutGeneratorImageCore& core, int size) {
  std::vector<double> values(valueCount(size));
  call([&] { return core.export3dLut(kLutExportCdlLook, size, values.data(), kLutInterleaved); });
  RgbGainOffset normalization{};
  call([&] { return core.getRgbGainOffset(kLutNodeNormalization, normalization); });
  for (size_t i = 0; i < values.size(); ++i) {
    const int c = static_cast<int>(i % 3);
    const double x = values[i] * normalization.gain[c] + normalization.offset[c];
    values[i] = std::min(std::max(x, 0.0), 1.0);
  }
  return values;
}

std::vector<unsigned short> sampleCodes(LutGeneratorImageCore& core, const Options& options,
                                        int size, int maxCode) {
  std::vector<unsigned short> codes(valueCount(size));
  if (options.node == kCameraViewNode) {
    const std::vector<double> values = cameraView(core, size);
    std::transform(values.begin(), values.end(), codes.begin(),
                   [&](double x) { return toCode16(x, maxCode); });
  } else if (options.node == kLookNode) {
    call([&] {
      return core.get3dLut(kLookNode, size, codes.data(), kLutInterleaved, maxCode,
                           options.halfGrid);
    });
  } else {
    call([&] {
      return core.export3dLut(options.node, size, codes.data(), kLutInterleaved, maxCode);
    });
  }
  return codes;
}

// The library's results as computed; a half grid exists only as codes.
std::vector<double> sampleValues(LutGeneratorImageCore& core, const Options& options, int size) {
  if (options.halfGrid) {
    const std::vector<unsigned short> codes = sampleCodes(core, options, size, kMaxCode);
    std::vector<double> values(codes.size());
    std::transform(codes.begin(), codes.end(), values.begin(),
                   [](unsigned short code) { return code / static_cast<double>(kMaxCode); });
    return values;
  }
  if (options.node == kCameraViewNode) return cameraView(core, size);
  std::vector<double> values(valueCount(size));
  if (options.node == kLookNode)
    call([&] { return core.get3dLut(kLookNode, size, values.data(), kLutInterleaved); });
  else
    call([&] { return core.export3dLut(options.node, size, values.data(), kLutInterleaved); });
  return values;
}

std::string writeLut(LutGeneratorImageCore& core, const Options& options, ColorSpace target) {
  const int size = effectiveSize(options);
  std::string out;
  if (options.format == FileFormat::kRaw16) {
    const std::vector<unsigned short> codes = sampleCodes(core, options, size, options.maxValue);
    writeRaw16(out, codes.data(), codes.size());
    return out;
  }
  const std::vector<double> values = sampleValues(core, options, size);
  if (options.format == FileFormat::kClf)
    writeClf(out, lutHeader(options, target), size, values.data());
  else if (options.format == FileFormat::k3dl)
    write3dl(out, size, values.data());
  else
    writeCube3d(out, lutHeader(options, target), size, values.data());
  return out;
}

}  // namespace

CommandResult runLutCommand(const Options& options) {
  LookSetup setup(options);
  checkHlgPeakWhite(setup.core(), setup.target());
  CommandResult result;
  result.files.push_back({options.output, writeLut(setup.core(), options, setup.target()),
                          options.format == FileFormat::kRaw16});
  if (!options.saveLook.empty())
    result.files.push_back({options.saveLook, setup.saveLook(options), true});
  return result;
}

}  // namespace Tool
}  // namespace Kalvora
