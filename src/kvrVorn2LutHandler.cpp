#include "kvrVorn2LutHandler.h"

#include <cstring>
#include <vector>

#include "kvrAtomBytes.h"
#include "kvrError.h"
#include "kvrVorn2ImageCore.h"

#define KVR_SOURCE "src/kvrVorn2LutHandler"

namespace Kalvora {

using namespace AtomBytes;

namespace {

constexpr unsigned short kVersion = 1;
constexpr unsigned int kNameAt = 28;

unsigned int headerSizeFor(DisplayColorSpace const* space) {
  return static_cast<unsigned int>(Vorn2LutHandler::kMinimumSize +
                                   pad4(std::strlen(space->getName())));
}

}  // namespace

Vorn2LutHandler::Vorn2LutHandler(Vorn2ImageCore* core)
    : Vorn2MetaDataHandler(core), target_(core->getColorSpaceInfo(Rec1886)) {
  headerSize_ = headerSizeFor(target_);
}

Vorn2LutHandler::~Vorn2LutHandler() = default;

void Vorn2LutHandler::setTargetColorSpace(DisplayColorSpace const* target) {
  if (target == nullptr) return;
  target_ = target;
  headerSize_ = headerSizeFor(target_);
}

DisplayColorSpace const* Vorn2LutHandler::writtenSpace() const {
  return convert_ ? core().getColorSpaceInfo(Rec1886) : target_;
}

unsigned int Vorn2LutHandler::getMetaDataHeaderSize() { return headerSizeFor(writtenSpace()); }

unsigned int Vorn2LutHandler::getMetaDataAtomSize() {
  return getMetaDataHeaderSize() + kPaddedLutBytes;
}

void Vorn2LutHandler::resetMetaData() { core().getLookFile()->setTargetColorSpace(Rec1886); }

void Vorn2LutHandler::writeAtom(unsigned char* bytes, unsigned int node) {
  const char* name = writtenSpace()->getName();
  const auto length = static_cast<unsigned short>(std::strlen(name));
  const unsigned int headerSize = getMetaDataHeaderSize();
  std::vector<unsigned short> codes(kLutBytes / 2);
  const ErrorCode code =
      core().export3dLut(node, int(kMeshPoints), codes.data(), kLutInterleaved, int(kScaling));
  if (code != kNoError) throw KvrSignal(code, KVR_HERE, "Error by export 3D lut!");
  double gain = 1.0;
  double offset = 0.0;
  core().getParam(Vorn2ImageCore::kNormalizationGainParam, gain);
  core().getParam(Vorn2ImageCore::kNormalizationOffsetParam, offset);

  std::memset(bytes, 0, headerSize + kPaddedLutBytes);
  putBe32(bytes, 0, headerSize);
  putBe32(bytes, 4, kManufacturerId);
  putBe16(bytes, 8, kVersion);
  putBe16(bytes, 10, 0);
  putBe32(bytes, 12, kScaling);
  putBeFloat(bytes, 16, static_cast<float>(gain));
  putBeFloat(bytes, 20, static_cast<float>(offset));
  putBe16(bytes, 24, static_cast<unsigned short>(kMeshPoints));
  putBe16(bytes, 26, length);
  // NOLINTNEXTLINE(bugprone-not-null-terminated-result): length-prefixed, zero-padded field
  std::memcpy(bytes + kNameAt, name, length);
  for (size_t i = 0; i < codes.size(); ++i) putBe16(bytes, headerSize + 2 * uint64_t(i), codes[i]);
}

unsigned int Vorn2LutHandler::readHeader(unsigned char const* bytes, unsigned int size) {
  checkPayload(bytes, size, kMinimumSize);
  const unsigned int headerSize = be32(bytes, 0);
  if (size != 0 && headerSize > size) failSize();
  if (be32(bytes, 4) != kManufacturerId)
    throw KvrSignal(kMagicMismatch, KVR_HERE, "The manufacture ID does not match!");
  if (be16(bytes, 8) > kVersion)
    throw KvrSignal(kUnknownMetaDataVersion, KVR_HERE, "Unknown version of metadata!");
  if (be32(bytes, 12) != kScaling)
    throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal scaling factor value!");
  if (be16(bytes, 24) != kMeshPoints)
    throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal number of meshpoints!");
  adoptTargetName(bytes, size, headerSize, kNameAt, target_);
  // The payload's own name decides its header size, whatever was last written.
  if (headerSize != headerSizeFor(target_))
    throw KvrSignal(kIllegalValue, KVR_HERE, "Wrong size of the header in the structure");
  return headerSize;
}

}  // namespace Kalvora
