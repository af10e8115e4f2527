#include "kvrProcessNode.h"

namespace Kalvora {

namespace {
constexpr int kPivot = 256;  // the code value that a gain keeps fixed
}

ProcessRgbGainNode::ProcessRgbGainNode(unsigned int id, int maxValue)
    : ProcessGainOffsetNode(id, maxValue), pivot_(kPivot) {}

// Gains pivot about a fixed code: (1 - gain) * pivot + in * gain + 0.5.
ProcessRgbGainNode::AffineCodes ProcessRgbGainNode::codes() const {
  AffineCodes codes;
  for (int c = 0; c < 3; ++c) {
    codes.base[c] = (1.0 - gainOffset_.gain[c]) * pivot_;
    codes.slope[c] = gainOffset_.gain[c];
  }
  return codes;
}

void ProcessRgbGainNode::transform(int r, int g, int b, int& outR, int& outG, int& outB) const {
  applyAffine(codes(), r, g, b, outR, outG, outB);
}

void ProcessRgbGainNode::do_transform(int const* in, int* out, int count) const {
  applyAffine(codes(), in, out, count);
}

}  // namespace Kalvora
