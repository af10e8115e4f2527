#include "kvrProcessNode.h"
#include "kvrProcessPixels.h"

namespace Kalvora {

namespace {
constexpr int kPivot = 256;  // the code value that a gain keeps fixed
}

ProcessRgbGainNode::ProcessRgbGainNode(unsigned int id, int maxValue)
    : ProcessGainOffsetNode(id, maxValue), pivot_(kPivot) {}

inline int ProcessRgbGainNode::apply(int channel, int in) const {
  const double gain = gainOffset_.gain[channel];
  return clampCode((1.0 - gain) * pivot_ + in * gain + 0.5);
}

void ProcessRgbGainNode::transform(int r, int g, int b, int& outR, int& outG, int& outB) const {
  outR = apply(0, r);
  outG = apply(1, g);
  outB = apply(2, b);
}

void ProcessRgbGainNode::do_transform(int const* in, int* out, int count) const {
  forEachPixel(in, out, count, [this](int r, int g, int b, int* o) {
    o[0] = apply(0, r);
    o[1] = apply(1, g);
    o[2] = apply(2, b);
  });
}

}  // namespace Kalvora
