#include "kvrVorn2LookParamV2Handler.h"

#include <cstring>

#include "kvrAtomBytes.h"
#include "kvrError.h"
#include "kvrVorn2ImageCore.h"

#define KVR_SOURCE "src/kvrVorn2LookParamV2Handler"

namespace Kalvora {

using namespace AtomBytes;

namespace {

constexpr unsigned short kVersion = 2;
constexpr unsigned int kNameAt = 86;
// The parameters a version 0 or 1 payload carries: the first ten.
constexpr int kVersion1Count = 10;

unsigned int headerSizeFor(DisplayColorSpace const* target) {
  return static_cast<unsigned int>(Vorn2LookParamV2Handler::kMinimumSize +
                                   pad4(std::strlen(target->getName())));
}

}  // namespace

Vorn2LookParamV2Handler::Vorn2LookParamV2Handler(Vorn2ImageCore* core)
    : Vorn2MetaDataHandler(core), target_(core->getColorSpaceInfo(Rec1886)) {
  headerSize_ = headerSizeFor(target_);
}

Vorn2LookParamV2Handler::~Vorn2LookParamV2Handler() = default;

void Vorn2LookParamV2Handler::setTargetColorSpace(DisplayColorSpace const* target) {
  if (target == nullptr) return;
  target_ = target;
  headerSize_ = headerSizeFor(target_);
}

void Vorn2LookParamV2Handler::getMetaData(void* buffer) {
  auto bytes = static_cast<unsigned char*>(buffer);
  const char* name = target_->getName();
  const auto length = static_cast<unsigned short>(std::strlen(name));
  headerSize_ = headerSizeFor(target_);
  std::memset(bytes, 0, headerSize_);
  putBe32(bytes, 0, headerSize_);
  putBe16(bytes, 4, kVersion);
  putBe16(bytes, 6, 0);
  writeParameters(bytes + 8, VornRawMeta::kVideoParameterIds, VornRawMeta::VideoParameters::kCount);
  putBe16(bytes, 84, length);
  // NOLINTNEXTLINE(bugprone-not-null-terminated-result): length-prefixed, zero-padded field
  std::memcpy(bytes + kNameAt, name, length);
}

void Vorn2LookParamV2Handler::setMetaData(void const* buffer, unsigned int size) {
  resetMetaData();
  checkPayload(buffer, size, kMinimumSize);
  auto bytes = static_cast<unsigned char const*>(buffer);
  const unsigned short version = be16(bytes, 4);
  if (version > kVersion)
    throw KvrSignal(kUnknownMetaDataVersion, KVR_HERE, "Unknown version of metadata!");
  const unsigned int headerSize = be32(bytes, 0);
  if (size != 0 && headerSize > size) failSize();
  adoptTargetName(bytes, size, headerSize, kNameAt, target_);
  if (headerSize != headerSize_)
    throw KvrSignal(kIllegalValue, KVR_HERE, "Wrong size of the header in the structure");
  const int count = version == kVersion ? VornRawMeta::VideoParameters::kCount : kVersion1Count;
  setParameters(bytes + 8, VornRawMeta::kVideoParameterIds, count);
}

void Vorn2LookParamV2Handler::resetMetaData() {
  resetParameters(VornRawMeta::kVideoParameterIds, VornRawMeta::VideoParameters::kCount);
  core().getLookFile()->setTargetColorSpace(Rec1886);
}

}  // namespace Kalvora
