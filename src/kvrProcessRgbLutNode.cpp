#include <algorithm>
#include <cstdint>

#include "kvrKalvora.h"
#include "kvrProcessNode.h"
#include "kvrProcessPixels.h"

namespace Kalvora {

// The node's tables read as local values, so that the loop need not reload
// them after every store.
struct ProcessRgbLutNode::Reader {
  const unsigned short* table;
  int size;
  int sampleStride;
  int channelStride;
  int shift;
  int64_t top;

  // The shifted code is formed in 64 bits and limited to the maximum code.
  int operator()(int channel, int in) const {
    const int64_t code = table[tableIndex(in, size) * sampleStride + channel * channelStride];
    return static_cast<int>(std::min(code << shift, top));
  }
};

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

ProcessRgbLutNode::Reader ProcessRgbLutNode::reader() const {
  return {table_.data(), size_, sampleStride_, channelStride_, shift_, getMaxValue()};
}

void ProcessRgbLutNode::transform(int r, int g, int b, int& outR, int& outG, int& outB) const {
  const Reader read = reader();
  outR = read(0, r);
  outG = read(1, g);
  outB = read(2, b);
}

void ProcessRgbLutNode::do_transform(int const* in, int* out, int count) const {
  const Reader read = reader();
  forEachPixel(in, out, count, [read](int r, int g, int b, int* o) {
    o[0] = read(0, r);
    o[1] = read(1, g);
    o[2] = read(2, b);
  });
}

}  // namespace Kalvora
