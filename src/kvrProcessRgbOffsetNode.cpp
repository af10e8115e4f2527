#include "kvrProcessNode.h"

namespace Kalvora {

ProcessRgbOffsetNode::ProcessRgbOffsetNode(unsigned int id, int maxValue)
    : ProcessGainOffsetNode(id, maxValue) {}

// Offsets in units of full scale: in + offset * maxValue + 0.5 (in * 1.0 is in,
// and a sum of two terms does not depend on their order).
ProcessRgbOffsetNode::AffineCodes ProcessRgbOffsetNode::codes() const {
  AffineCodes codes;
  for (int c = 0; c < 3; ++c) {
    codes.base[c] = gainOffset_.offset[c] * getMaxValue();
    codes.slope[c] = 1.0;
  }
  return codes;
}

void ProcessRgbOffsetNode::transform(int r, int g, int b, int& outR, int& outG, int& outB) const {
  applyAffine(codes(), r, g, b, outR, outG, outB);
}

void ProcessRgbOffsetNode::do_transform(int const* in, int* out, int count) const {
  applyAffine(codes(), in, out, count);
}

}  // namespace Kalvora
