#include "kvrKalvora.h"
#include "kvrProcessNode.h"

namespace Kalvora {

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

}  // namespace Kalvora
