#include "kvrKalvora.h"
#include "kvrProcessNode.h"
#include "kvrProcessPixels.h"

namespace Kalvora {

namespace {

// The codes and the limit as local values: the loops need not reload them
// after every store.
struct AffineKernel {
  double base[3];
  double slope[3];
  double top;

  int operator()(int channel, int in) const {
    return limitCode((base[channel] + in * slope[channel]) + 0.5, top);
  }
};

}  // namespace

ProcessGainOffsetNode::ProcessGainOffsetNode(unsigned int id, int maxValue)
    : ProcessNode(id, maxValue) {
  setUnityRgbGainOffset();
}

void ProcessGainOffsetNode::setUnityRgbGainOffset() {
  for (int c = 0; c < 3; ++c) {
    gainOffset_.gain[c] = 1.0;
    gainOffset_.offset[c] = 0.0;
  }
}

// The core writes only the members its node has, so it starts from the
// current values; they are taken over only on success.
ErrorCode ProcessGainOffsetNode::do_init(Kalvora& core) {
  RgbGainOffset fetched = gainOffset_;
  const ErrorCode result = core.getRgbGainOffset(getId(), fetched);
  if (result == kNoError) gainOffset_ = fetched;
  return result;
}

void ProcessGainOffsetNode::applyAffine(const AffineCodes& codes, int r, int g, int b, int& outR,
                                        int& outG, int& outB) const {
  const AffineKernel kernel{{codes.base[0], codes.base[1], codes.base[2]},
                            {codes.slope[0], codes.slope[1], codes.slope[2]},
                            double(getMaxValue())};
  outR = kernel(0, r);
  outG = kernel(1, g);
  outB = kernel(2, b);
}

void ProcessGainOffsetNode::applyAffine(const AffineCodes& codes, int const* in, int* out,
                                        int count) const {
  const AffineKernel kernel{{codes.base[0], codes.base[1], codes.base[2]},
                            {codes.slope[0], codes.slope[1], codes.slope[2]},
                            double(getMaxValue())};
  forEachPixel(in, out, count, [kernel](int r, int g, int b, int* o) {
    o[0] = kernel(0, r);
    o[1] = kernel(1, g);
    o[2] = kernel(2, b);
  });
}

}  // namespace Kalvora
