#include "kvrProcessNode.h"

#include <algorithm>

#include "kvrVorn2ImageCore.h"

#define KVR_SOURCE "src/kvrProcessNode"

namespace Kalvora {

ProcessNode::ProcessNode(unsigned int id, int maxValue)
    : id_(id), maxValue_(std::max(maxValue, 1)) {}

ProcessNode::~ProcessNode() = default;

ErrorCode ProcessNode::init(Vorn2ImageCore* core) { return init(static_cast<Kalvora*>(core)); }

ErrorCode ProcessNode::init(Kalvora* core) {
  return kvrBoundary(KVR_HERE, [&] {
    if (core == nullptr) throw KvrSignal(kIllegalValue, KVR_HERE, "no image core given");
    return do_init(*core);
  });
}

void ProcessNode::transform(int const* in, int* out, int count) const {
  if (count > 0) do_transform(in, out, count);
}

}  // namespace Kalvora
