#include "kvrNodeChain.h"

#include <algorithm>

#include "kvrPipelineVocabulary.h"
#include "kvrToolLibrary.h"

namespace Kalvora {
namespace Tool {

namespace {

constexpr unsigned int kLogOffsetNode = kCameraNodeLogOffset;
constexpr unsigned int kToneMapNode = kCameraNodeToneMap;
constexpr unsigned int kMatrixNode = kCameraNodeColorSpace;
constexpr unsigned int kGammaNode = kCameraNodeGamma;
constexpr int kSize = NodeChain::kTableSize;

double clamp01(double x) { return std::min(std::max(x, 0.0), 1.0); }

// A table of kSize entries over [0, 1], read with linear interpolation.
double lookup(const double* table, double x) {
  const double position = clamp01(x) * (kSize - 1);
  const int index = std::min(static_cast<int>(position), kSize - 2);
  const double fraction = position - index;
  return table[index] + (table[index + 1] - table[index]) * fraction;
}

}  // namespace

NodeChain::NodeChain(KestaImageCore& core, unsigned int branch)
    : logOffset_(3 * kSize), toneMap_(kSize), gamma_(3 * kSize) {
  call([&] {
    return core.getRgbLut(branch + kLogOffsetNode, kSize, logOffset_.data(), kLutPlanar);
  });
  call([&] { return core.getLut(branch + kToneMapNode, kSize, toneMap_.data()); });
  call([&] { return core.getMatrix(branch + kMatrixNode, matrix_); });
  call([&] { return core.getRgbLut(branch + kGammaNode, kSize, gamma_.data(), kLutPlanar); });
}

void NodeChain::render(int size, unsigned short* codes, int maxCode) const {
  const double step = 1.0 / (size - 1);
  for (int r = 0; r < size; ++r)
    for (int g = 0; g < size; ++g)
      for (int b = 0; b < size; ++b) {
        const double in[3] = {r * step, g * step, b * step};
        unsigned short* out = codes + 3 * ((static_cast<long>(r) * size + g) * size + b);
        renderPoint(in, out, maxCode);
      }
}

void NodeChain::renderPoint(const double (&in)[3], unsigned short* out, int maxCode) const {
  double tone[3];
  for (int c = 0; c < 3; ++c)
    tone[c] = lookup(toneMap_.data(), lookup(logOffset_.data() + c * kSize, in[c]));
  for (int c = 0; c < 3; ++c) {
    const double* row = matrix_ + 3 * c;
    const double mixed = clamp01(row[0] * tone[0] + row[1] * tone[1] + row[2] * tone[2]);
    out[c] = toCode16(lookup(gamma_.data() + c * kSize, mixed), maxCode);
  }
}

}  // namespace Tool
}  // namespace Kalvora
