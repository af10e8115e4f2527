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

inline void ProcessRgbMatrixNode::apply(int r, int g, int b, int* out) const {
  const int64_t in[3] = {limitInput(r), limitInput(g), limitInput(b)};
  const int64_t top = int64_t(getMaxValue()) << fractionBits_;
  const int64_t half = fractionBits_ > 0 ? int64_t(1) << (fractionBits_ - 1) : 0;
  for (int c = 0; c < 3; ++c) {
    const int32_t* row = &matrix_[3 * c];
    const int64_t sum = row[0] * in[0] + row[1] * in[1] + row[2] * in[2];
    out[c] = static_cast<int>((std::min(std::max<int64_t>(sum, 0), top) + half) >> fractionBits_);
  }
}

void ProcessRgbMatrixNode::transform(int r, int g, int b, int& outR, int& outG, int& outB) const {
  int out[3];
  apply(r, g, b, out);
  outR = out[0];
  outG = out[1];
  outB = out[2];
}

void ProcessRgbMatrixNode::do_transform(int const* in, int* out, int count) const {
  forEachPixel(in, out, count, [this](int r, int g, int b, int* o) { apply(r, g, b, o); });
}

}  // namespace Kalvora
