#include "kvrProcessNode.h"

namespace Kalvora {

ProcessRgbGainOffsetNode::ProcessRgbGainOffsetNode(unsigned int id, int maxValue)
    : ProcessGainOffsetNode(id, maxValue) {}

// in * gain + offset * maxValue + 0.5.
ProcessRgbGainOffsetNode::AffineCodes ProcessRgbGainOffsetNode::codes() const {
  AffineCodes codes;
  for (int c = 0; c < 3; ++c) {
    codes.base[c] = gainOffset_.offset[c] * getMaxValue();
    codes.slope[c] = gainOffset_.gain[c];
  }
  return codes;
}

void ProcessRgbGainOffsetNode::transform(int r, int g, int b, int& outR, int& outG,
                                         int& outB) const {
  applyAffine(codes(), r, g, b, outR, outG, outB);
}

void ProcessRgbGainOffsetNode::do_transform(int const* in, int* out, int count) const {
  applyAffine(codes(), in, out, count);
}

}  // namespace Kalvora
