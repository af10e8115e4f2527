#include "kvrVorn2MetaDataHandler.h"

#include <algorithm>
#include <cstring>

#include "kvrAtomBytes.h"
#include "kvrError.h"
#include "kvrVorn2ImageCore.h"

#define KVR_SOURCE "src/kvrVorn2MetaDataHandler"

namespace Kalvora {

using namespace AtomBytes;

Vorn2MetaDataHandler::Vorn2MetaDataHandler(Vorn2ImageCore* core) : core_(*core) {}

Vorn2MetaDataHandler::~Vorn2MetaDataHandler() = default;

unsigned int Vorn2MetaDataHandler::getMetaDataAtomSize() { return getMetaDataHeaderSize(); }

void Vorn2MetaDataHandler::failSize() {
  throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal size of metadata buffer!");
}

void Vorn2MetaDataHandler::checkPayload(void const* buffer, unsigned int size,
                                        unsigned int minimum) {
  if (buffer == nullptr || (size != 0 && size < minimum)) failSize();
}

void Vorn2MetaDataHandler::writeParameters(unsigned char* fields, const unsigned int* ids,
                                           int count) const {
  for (int i = 0; i < count; ++i) {
    double value = 0.0;
    if (ErrorCode code = core_.getParam(ids[i], value))
      throw KvrSignal(code, KVR_HERE, "Error by get parameter!");
    putBeFloat(fields, 4 * uint64_t(i), static_cast<float>(value));
  }
}

void Vorn2MetaDataHandler::setParameters(unsigned char const* fields, const unsigned int* ids,
                                         int count) const {
  for (int i = 0; i < count; ++i) core_.setParam(ids[i], beFloat(fields, 4 * uint64_t(i)));
}

void Vorn2MetaDataHandler::resetParameters(const unsigned int* ids, int count) const {
  for (int i = 0; i < count; ++i) core_.resetParam(ids[i]);
}

void Vorn2MetaDataHandler::writeParameterAtom(void* buffer, const unsigned int* ids) const {
  auto bytes = static_cast<unsigned char*>(buffer);
  std::memset(bytes, 0, kParameterAtomSize);
  putBe16(bytes, 0, 1);
  putBe16(bytes, 2, 0);
  writeParameters(bytes + 4, ids, kParameterAtomCount);
}

void Vorn2MetaDataHandler::readParameterAtom(void const* buffer, unsigned int size,
                                             const unsigned int* ids) const {
  checkPayload(buffer, size, kParameterAtomSize);
  auto bytes = static_cast<unsigned char const*>(buffer);
  if (be16(bytes, 0) >= 2)
    throw KvrSignal(kUnknownMetaDataVersion, KVR_HERE, "Unknown version of metadata!");
  setParameters(bytes + 4, ids, kParameterAtomCount);
}

namespace {

bool startsWith(unsigned char const* bytes, uint64_t available, const char* identifier,
                unsigned long skip, bool whole) {
  if (identifier == nullptr) return false;
  const size_t length = std::strlen(identifier);
  if (skip > length) return false;
  const size_t tail = length - skip;
  if (tail > available || std::memcmp(bytes, identifier + skip, tail) != 0) return false;
  return !whole || tail == available || bytes[tail] == 0;
}

}  // namespace

const DisplayColorSpace* Vorn2MetaDataHandler::findColorSpace(unsigned char const* bytes,
                                                              uint64_t available,
                                                              unsigned long skip, bool whole,
                                                              ColorSpace& id) const {
  for (int i = Rec1886; i <= AcesProxy; ++i) {
    const DisplayColorSpace* entry = core_.getColorSpaceInfo(static_cast<ColorSpace>(i));
    if (entry == nullptr) continue;
    if (startsWith(bytes, available, entry->getAltName(), skip, whole) ||
        startsWith(bytes, available, entry->getName(), skip, whole)) {
      id = static_cast<ColorSpace>(i);
      return entry;
    }
  }
  return nullptr;
}

void Vorn2MetaDataHandler::adoptTargetName(unsigned char const* bytes, unsigned int size,
                                           unsigned int headerSize, unsigned int nameAt,
                                           const DisplayColorSpace* current) const {
  constexpr uint64_t kNameField = 64;
  const uint64_t end = size != 0 ? size : headerSize;
  if (end < nameAt) throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal size of metadata buffer!");
  ColorSpace id = Rec1886;
  if (findColorSpace(bytes + nameAt, std::min(end - nameAt, kNameField), 0, false, id) == nullptr)
    throw KvrSignal(kUnknownColorSpace, KVR_HERE, "Unknown target color space name!");
  if (!current->isColorSpace(core_.getColorSpaceInfo(id)->getName(), 0))
    core_.getLookFile()->setTargetColorSpace(id);
}

}  // namespace Kalvora
