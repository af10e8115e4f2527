#include <algorithm>
#include <cstdint>

#include "kvrKalvora.h"
#include "kvrProcessNode.h"
#include "kvrProcessPixels.h"

namespace Kalvora {

namespace {

constexpr int kMaxFractionBits = 30;
// Inputs are limited to +-2^30: three products of at most 2^31 * 2^30 then
// sum to less than 2^63.
constexpr int64_t kInputLimit = int64_t(1) << 30;

int64_t limitInput(int code) {
  return std::min(std::max<int64_t>(code, -kInputLimit), kInputLimit);
}

}  // namespace

// The node's matrix and limits as local values, so that the loop need not
// reload them after every store.
struct ProcessRgbMatrixNode::Mixer {
  int64_t m[9];
  int64_t top;   // maxValue << fractionBits
  int64_t half;  // the rounding term, 0 without fraction bits
  int fractionBits;

  void operator()(int r, int g, int b, int* out) const {
    const int64_t in[3] = {limitInput(r), limitInput(g), limitInput(b)};
    for (int c = 0; c < 3; ++c) {
      const int64_t sum = m[3 * c] * in[0] + m[3 * c + 1] * in[1] + m[3 * c + 2] * in[2];
      const int64_t limited = std::min(std::max<int64_t>(sum, 0), top);
      out[c] = static_cast<int>((limited + half) >> fractionBits);
    }
  }
};

ProcessRgbMatrixNode::ProcessRgbMatrixNode(unsigned int id, int fractionBits, int maxValue)
    : ProcessNode(id, maxValue),
      fractionBits_(std::min(std::max(fractionBits, 0), kMaxFractionBits)) {
  const int32_t one = int32_t(1) << fractionBits_;
  for (int i = 0; i < 9; ++i) matrix_[i] = i % 4 == 0 ? one : 0;
}

ErrorCode ProcessRgbMatrixNode::do_init(Kalvora& core) {
  RgbIntMatrix fetched = matrix_;
  const ErrorCode result = core.getMatrix(getId(), fetched, 1 << fractionBits_);
  if (result == kNoError) matrix_ = fetched;
  return result;
}

ProcessRgbMatrixNode::Mixer ProcessRgbMatrixNode::mixer() const {
  Mixer mixer;
  for (int i = 0; i < 9; ++i) mixer.m[i] = matrix_[i];
  mixer.top = int64_t(getMaxValue()) << fractionBits_;
  mixer.half = fractionBits_ > 0 ? int64_t(1) << (fractionBits_ - 1) : 0;
  mixer.fractionBits = fractionBits_;
  return mixer;
}

void ProcessRgbMatrixNode::transform(int r, int g, int b, int& outR, int& outG, int& outB) const {
  int out[3];
  mixer()(r, g, b, out);
  outR = out[0];
  outG = out[1];
  outB = out[2];
}

void ProcessRgbMatrixNode::do_transform(int const* in, int* out, int count) const {
  const Mixer mix = mixer();
  forEachPixel(in, out, count, [&mix](int r, int g, int b, int* o) { mix(r, g, b, o); });
}

}  // namespace Kalvora
