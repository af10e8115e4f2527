#include <algorithm>

#include "kvrKalvora.h"
#include "kvrProcessNode.h"
#include "kvrProcessPixels.h"

namespace Kalvora {

// The node's table read as local values, so that the loop need not reload
// them after every store.
struct ProcessLutNode::Reader {
  const unsigned short* table;
  int size;
  int shift;

  // Negative codes read the first entry (and are not shifted: a right shift
  // of a negative int is implementation-defined).
  int operator()(int in) const { return table[tableIndex(std::max(in, 0) >> shift, size)]; }
};

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

ProcessLutNode::Reader ProcessLutNode::reader() const { return {table_.data(), size_, shift_}; }

void ProcessLutNode::transform(int r, int g, int b, int& outR, int& outG, int& outB) const {
  const Reader read = reader();
  outR = read(r);
  outG = read(g);
  outB = read(b);
}

void ProcessLutNode::do_transform(int const* in, int* out, int count) const {
  const Reader read = reader();
  forEachPixel(in, out, count, [read](int r, int g, int b, int* o) {
    o[0] = read(r);
    o[1] = read(g);
    o[2] = read(b);
  });
}

}  // namespace Kalvora
