#include "kvrVorn2VideoLutHandler.h"

#include "kvrAtomBytes.h"
#include "kvrError.h"
#include "kvrVorn2ImageCore.h"

#define KVR_SOURCE "src/kvrVorn2VideoLutHandler"

namespace Kalvora {

using namespace AtomBytes;

namespace {
constexpr unsigned int kLookRec1886Node = 12;
}  // namespace

Vorn2VideoLutHandler::Vorn2VideoLutHandler(Vorn2ImageCore* core) : Vorn2LutHandler(core) {}

Vorn2VideoLutHandler::~Vorn2VideoLutHandler() = default;

void Vorn2VideoLutHandler::getMetaData(void* buffer) {
  writeAtom(static_cast<unsigned char*>(buffer),
            isConverting() ? kLookRec1886Node : Vorn2ImageCore::kUserLutNode);
}

void Vorn2VideoLutHandler::setMetaData(void const* buffer, unsigned int size) {
  resetMetaData();
  auto bytes = static_cast<unsigned char const*>(buffer);
  const unsigned int headerSize = readHeader(bytes, size);
  if (size != 0 && size < uint64_t(headerSize) + kPaddedLutBytes) failSize();
  std::vector<unsigned short> codes(kLutBytes / 2);
  for (size_t i = 0; i < codes.size(); ++i) codes[i] = be16(bytes, headerSize + 2 * uint64_t(i));
  const ErrorCode code = core().setUser3dLut(Vorn2ImageCore::kUserLutNode, int(kMeshPoints),
                                             codes.data(), kLutInterleaved, int(kScaling));
  if (code != kNoError) throw KvrSignal(code, KVR_HERE, "Error by set user 3d lut!");
  lut_.swap(codes);  // the core refers to these codes now
}

// The core lets go of the copy before it is released.
void Vorn2VideoLutHandler::resetMetaData() {
  Vorn2LutHandler::resetMetaData();
  if (ErrorCode code = core().resetUser3dLut(Vorn2ImageCore::kUserLutNode))
    throw KvrSignal(code, KVR_HERE, "Error by reset user 3d lut!");
  lut_.clear();
  lut_.shrink_to_fit();
}

}  // namespace Kalvora
