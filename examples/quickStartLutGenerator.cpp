// Quick start, LUT generator: a look for a P3 D65 monitor as one 33-point
// 3-D LUT, applied to camera log pixels with the batch path.
#include <kvrAll.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Kalvora;

int main() {
  LutGeneratorImageCore core;
  if (!core.good()) return 1;

  // Settings by id; kvrPipelineVocabulary.h names every id with its range.
  // A failure is reported through the error handler and returned as a code.
  if (core.setParam(kLutParamCdlSlopeRed, 1.05) != kNoError ||
      core.setParam(kLutParamVideoSaturation, 1.2) != kNoError ||
      core.setParam(kLutParamExposureIndex, 1600.0) != kNoError)
    return 1;

  // The target colour space: this call throws instead of returning a code.
  try {
    core.setTargetColorSpace(core.getColorSpaceInfo(P3D65Gamma26));
  } catch (const KvrSignal& signal) {
    std::fprintf(stderr, "%s\n", signal.what());
    return 1;
  }

  // Export 14: CDL, CDL saturation and look in one LUT, 16-bit codes.
  const int n = 33;
  std::vector<unsigned short> codes(3 * n * n * n);
  if (core.export3dLut(kLutExportCdlLook, n, codes.data(), kLutInterleaved, 65535) != kNoError)
    return 1;
  // Node 11, the normalisation, follows the 3-D stage: gain and offset,
  // then a clamp to 0..1. It carries the exposure index into the look.
  RgbGainOffset normalization;
  if (core.getRgbGainOffset(kLutNodeNormalization, normalization) != kNoError) return 1;

  // Interleaved camera log RGB (Elvex code values 0..1) in, display RGB out.
  Lut3D look(n, codes.data(), kLutInterleaved, 65535, false);
  std::vector<float> pixels = {0.1f, 0.1f, 0.1f, 0.4f, 0.35f, 0.3f, 0.6f, 0.6f, 0.6f};
  look.transformBatch(pixels.data(), pixels.data(), pixels.size() / 3);
  for (size_t i = 0; i < pixels.size(); ++i) {
    const double v = pixels[i] * normalization.gain[i % 3] + normalization.offset[i % 3];
    pixels[i] = float(std::min(std::max(v, 0.0), 1.0));
  }

  for (size_t i = 0; i < pixels.size(); i += 3)
    std::printf("%.4f %.4f %.4f\n", pixels[i], pixels[i + 1], pixels[i + 2]);
  return 0;
}
