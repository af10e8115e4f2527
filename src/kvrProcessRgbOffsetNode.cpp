#include "kvrProcessNode.h"
#include "kvrProcessPixels.h"

namespace Kalvora {

ProcessRgbOffsetNode::ProcessRgbOffsetNode(unsigned int id, int maxValue)
    : ProcessGainOffsetNode(id, maxValue) {}

inline int ProcessRgbOffsetNode::apply(int channel, int in) const {
  return clampCode(in + gainOffset_.offset[channel] * getMaxValue() + 0.5);
}

void ProcessRgbOffsetNode::transform(int r, int g, int b, int& outR, int& outG, int& outB) const {
  outR = apply(0, r);
  outG = apply(1, g);
  outB = apply(2, b);
}

void ProcessRgbOffsetNode::do_transform(int const* in, int* out, int count) const {
  forEachPixel(in, out, count, [this](int r, int g, int b, int* o) {
    o[0] = apply(0, r);
    o[1] = apply(1, g);
    o[2] = apply(2, b);
  });
}

}  // namespace Kalvora
