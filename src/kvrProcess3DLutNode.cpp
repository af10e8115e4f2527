#include <algorithm>
#include <cstddef>

#include "kvrLutGeneratorImageCore.h"
#include "kvrProcessNode.h"
#include "kvrProcessPixels.h"

#define KVR_SOURCE "src/kvrProcess3DLutNode"

namespace Kalvora {

namespace {

constexpr int kMinMeshPoints = 3;  // the smallest table get3dLut samples
constexpr int kMaxMeshPoints = 65;
constexpr int kMaxCode = 65535;  // the codes of the table are 16-bit
// Pixels converted to double per pass of the batch loop.
constexpr int kChunkPixels = 256;

// The LUT generator guards its 3-D tables with its own rules (HDR peak
// white), so its own sampling operation is used when the core is one.
ErrorCode readTable(const Vorn2ImageCore& core, unsigned int id, int meshPoints,
                    unsigned short* table, LutOrder order, int maxValue) {
  if (auto* generator = dynamic_cast<const LutGeneratorImageCore*>(&core))
    return generator->get3dLut(id, meshPoints, table, order, maxValue, false);
  return core.get3dLut(id, meshPoints, table, order, maxValue, false);
}

}  // namespace

Process3DLutNode::Process3DLutNode(unsigned int id, int meshPoints, LutOrder order, int maxValue)
    : ProcessNode(id, maxValue), meshPoints_(meshPoints), order_(order) {}

ErrorCode Process3DLutNode::do_init(Kalvora& core) {
  const auto* lutCore = dynamic_cast<const Vorn2ImageCore*>(&core);
  if (lutCore == nullptr)
    throw KvrSignal(kIllegalCall, KVR_HERE, "a 3-D LUT node needs a LUT image core");
  if (meshPoints_ < kMinMeshPoints || meshPoints_ > kMaxMeshPoints)
    throw KvrSignal(kIllegalValue, KVR_HERE, "illegal size for 3DLUT");
  if (getMaxValue() > kMaxCode)
    throw KvrSignal(kLimitExceeded, KVR_HERE, "illegal value for scaling factor");
  const size_t points = static_cast<size_t>(meshPoints_) * meshPoints_ * meshPoints_;
  std::vector<unsigned short> fetched(3 * points);
  const ErrorCode result =
      readTable(*lutCore, getId(), meshPoints_, fetched.data(), order_, getMaxValue());
  if (result != kNoError) return result;
  table_.swap(fetched);
  lut_.setTable(meshPoints_, table_.data(), order_, getMaxValue());
  return kNoError;
}

void Process3DLutNode::transform(int r, int g, int b, int& outR, int& outG, int& outB) const {
  const double maxValue = getMaxValue();
  double out[3];
  lut_.transform(r / maxValue, g / maxValue, b / maxValue, out[0], out[1], out[2]);
  outR = limitCode(out[0] * maxValue + 0.5, maxValue);
  outG = limitCode(out[1] * maxValue + 0.5, maxValue);
  outB = limitCode(out[2] * maxValue + 0.5, maxValue);
}

// Converts a chunk of pixels to double, runs the table's batch reader over
// it in place and converts back; the same arithmetic as transform().
void Process3DLutNode::do_transform(int const* in, int* out, int count) const {
  const double maxValue = getMaxValue();
  double buffer[3 * kChunkPixels];
  for (int done = 0; done < count; done += kChunkPixels) {
    const int pixels = std::min(kChunkPixels, count - done);
    int const* source = in + 3 * static_cast<size_t>(done);
    int* target = out + 3 * static_cast<size_t>(done);
    for (int i = 0; i < 3 * pixels; ++i) buffer[i] = source[i] / maxValue;
    lut_.transformBatch(buffer, buffer, pixels);
    for (int i = 0; i < 3 * pixels; ++i)
      target[i] = limitCode(buffer[i] * maxValue + 0.5, maxValue);
  }
}

}  // namespace Kalvora
