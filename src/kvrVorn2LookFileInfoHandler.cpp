#include "kvrVorn2LookFileInfoHandler.h"

#include <cstring>

#include "kvrAtomBytes.h"
#include "kvrError.h"
#include "kvrVorn2ImageCore.h"

#define KVR_SOURCE "src/kvrVorn2LookFileInfoHandler"

namespace Kalvora {

using namespace AtomBytes;

namespace {

constexpr unsigned int kNameLengthAt = 8;
constexpr unsigned int kNameAt = 10;
constexpr unsigned int kNoteLengthAt = 74;
constexpr unsigned int kNoteAt = 76;
constexpr unsigned short kHighestVersion = 2;

unsigned int headerSizeFor(uint64_t noteLength) {
  return static_cast<unsigned int>(Vorn2LookFileInfoHandler::kMinimumSize + pad4(noteLength));
}

}  // namespace

Vorn2LookFileInfoHandler::Vorn2LookFileInfoHandler(Vorn2ImageCore* core)
    : Vorn2MetaDataHandler(core) {}

Vorn2LookFileInfoHandler::~Vorn2LookFileInfoHandler() = default;

unsigned int Vorn2LookFileInfoHandler::getMetaDataHeaderSize() {
  return headerSizeFor(core().getLookFile()->getLookNoteLength());
}

void Vorn2LookFileInfoHandler::getMetaData(void* buffer) {
  auto bytes = static_cast<unsigned char*>(buffer);
  Vorn2LookFile& file = *core().getLookFile();
  const unsigned short nameLength = file.getLutFileNameLength();
  const unsigned short noteLength = file.getLookNoteLength();
  if (nameLength > Vorn2LookFile::kMaxLutFileNameLength)
    throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal value for length of the lut file name!");
  if (noteLength > Vorn2LookFile::kMaxLookNoteLength)
    throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal value for length of look note!");
  const unsigned int headerSize = headerSizeFor(noteLength);
  std::memset(bytes, 0, headerSize);
  putBe32(bytes, 0, headerSize);
  putBe16(bytes, 4, static_cast<unsigned short>(version_));
  putBe16(bytes, 6, 0);
  putBe16(bytes, kNameLengthAt, nameLength);
  std::memcpy(bytes + kNameAt, file.getLutFileName(), nameLength);
  putBe16(bytes, kNoteLengthAt, noteLength);
  std::memcpy(bytes + kNoteAt, file.getLookNote(), noteLength);
}

void Vorn2LookFileInfoHandler::setMetaData(void const* buffer, unsigned int size) {
  resetMetaData();
  checkPayload(buffer, size, kMinimumSize);
  auto bytes = static_cast<unsigned char const*>(buffer);
  const unsigned int headerSize = be32(bytes, 0);
  if (size != 0 && headerSize > size) failSize();
  if (be16(bytes, 4) > kHighestVersion)
    throw KvrSignal(kUnknownMetaDataVersion, KVR_HERE, "Unknown version of metadata!");
  const unsigned short nameLength = be16(bytes, kNameLengthAt);
  const unsigned short noteLength = be16(bytes, kNoteLengthAt);
  // The name has its fixed field; the note must lie inside the payload.
  if (size != 0 && noteLength <= Vorn2LookFile::kMaxLookNoteLength &&
      kNoteAt + uint64_t(noteLength) > size)
    failSize();
  Vorn2LookFile& file = *core().getLookFile();
  file.setLutFileName(bytes + kNameAt, nameLength);
  file.setLookNote(bytes + kNoteAt, noteLength);
  if (headerSize != headerSizeFor(noteLength))
    throw KvrSignal(kIllegalValue, KVR_HERE, "Wrong size of the header in the structure");
}

void Vorn2LookFileInfoHandler::resetMetaData() {
  Vorn2LookFile& file = *core().getLookFile();
  file.setLutFileName(nullptr, 0);
  file.setLookNote(nullptr, 0);
}

}  // namespace Kalvora
