#include "kvrKalvora.h"
#include "kvrProcessNode.h"
#include "kvrProcessPixels.h"

namespace Kalvora {

ProcessLutNode::ProcessLutNode(unsigned int id, int size, int maxValue, int shift)
    : ProcessNode(id, maxValue),
      size_(limitTableSize(size)),
      table_(size_, 0),
      shift_(limitShift(shift)) {}

ErrorCode ProcessLutNode::do_init(Kalvora& core) {
  std::vector<unsigned short> fetched(size_);
  const ErrorCode result = core.getLut(getId(), size_, fetched.data(), getMaxValue());
  if (result == kNoError) table_.swap(fetched);
  return result;
}

// A negative code stays negative when shifted, and then reads the first entry.
inline int ProcessLutNode::apply(int in) const { return table_[tableIndex(in >> shift_, size_)]; }

void ProcessLutNode::transform(int r, int g, int b, int& outR, int& outG, int& outB) const {
  outR = apply(r);
  outG = apply(g);
  outB = apply(b);
}

void ProcessLutNode::do_transform(int const* in, int* out, int count) const {
  forEachPixel(in, out, count, [this](int r, int g, int b, int* o) {
    o[0] = apply(r);
    o[1] = apply(g);
    o[2] = apply(b);
  });
}

}  // namespace Kalvora
