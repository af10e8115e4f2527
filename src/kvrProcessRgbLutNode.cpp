#include <cstdint>

#include "kvrKalvora.h"
#include "kvrProcessNode.h"
#include "kvrProcessPixels.h"

namespace Kalvora {

ProcessRgbLutNode::ProcessRgbLutNode(unsigned int id, int size, LutOrder order, int maxValue,
                                     int shift)
    : ProcessNode(id, maxValue),
      size_(limitTableSize(size)),
      order_(order),
      sampleStride_(order == kLutInterleaved ? 3 : 1),
      channelStride_(order == kLutInterleaved ? 1 : size_),
      table_(3 * static_cast<size_t>(size_), 0),
      shift_(limitShift(shift)) {}

ErrorCode ProcessRgbLutNode::do_init(Kalvora& core) {
  std::vector<unsigned short> fetched(table_.size());
  const ErrorCode result = core.getRgbLut(getId(), size_, fetched.data(), order_, getMaxValue());
  if (result == kNoError) table_.swap(fetched);
  return result;
}

// The shifted code is formed in 64 bits and limited to the maximum code.
inline int ProcessRgbLutNode::apply(int channel, int in) const {
  const int64_t code = table_[tableIndex(in, size_) * sampleStride_ + channel * channelStride_];
  return static_cast<int>(std::min<int64_t>(code << shift_, getMaxValue()));
}

void ProcessRgbLutNode::transform(int r, int g, int b, int& outR, int& outG, int& outB) const {
  outR = apply(0, r);
  outG = apply(1, g);
  outB = apply(2, b);
}

void ProcessRgbLutNode::do_transform(int const* in, int* out, int count) const {
  forEachPixel(in, out, count, [this](int r, int g, int b, int* o) {
    o[0] = apply(0, r);
    o[1] = apply(1, g);
    o[2] = apply(2, b);
  });
}

}  // namespace Kalvora
