#include "kvrVorn2VornRawVideoLutHandler.h"

#include <algorithm>
#include <cstring>

#include "kvrAtomBytes.h"
#include "kvrError.h"
#include "kvrGridSampler.h"
#include "kvrMD5.h"
#include "kvrVorn2ImageCore.h"

#define KVR_SOURCE "src/kvrVorn2VornRawVideoLutHandler"

namespace Kalvora {

using namespace AtomBytes;

namespace {

constexpr unsigned char kMagic[8] = {'V', 'R', 'N', 'L', 'U', 'T', '3', 'D'};
constexpr unsigned int kVersion = 1;
constexpr unsigned int kDefaultMeshPoints = 33;
constexpr int kDefaultMaxValue = 65535;
constexpr unsigned int kMinMeshPoints = 2;
constexpr unsigned int kMaxMeshPoints = 65;
constexpr unsigned int kDigestFrom = 36;

enum : unsigned int {
  kVersionAt = 8,
  kRevisionAt = 12,
  kSizeAt = 16,
  kDigestAt = 20,
  kLutFileNameAt = 36,
  kColorSpaceAt = 100,
  kChunkOffsetAt = 164,
  kChunkLengthAt = 168,
  kDesignOffsetAt = 172,
  kDesignLengthAt = 176,
  kNoteOffsetAt = 180,
  kNoteLengthAt = 184
};

constexpr unsigned int kNameField = 64;

uint64_t chunkLength(uint64_t meshPoints) {
  return pad4(6 * meshPoints * meshPoints * meshPoints +
              Vorn2VornRawVideoLutHandler::kChunkHeaderSize);
}

[[noreturn]] void failSizeHere() {
  throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal size of metadata buffer!");
}

}  // namespace

// Where the parts of a checked atom lie.
struct Vorn2VornRawVideoLutHandler::Layout {
  bool userLut = false;
  ColorSpace colorSpace = Rec1886;
  uint64_t chunkOffset = 0;
  unsigned int meshPoints = 0;
  int maxValue = 0;
  LutOrder order = kLutInterleaved;
  unsigned short badLut = 0;
  bool hasDesign = false;
  uint64_t designOffset = 0;
  uint64_t designLength = 0;
  bool hasNote = false;
  uint64_t noteOffset = 0;
  uint64_t noteLength = 0;
};

Vorn2VornRawVideoLutHandler::Vorn2VornRawVideoLutHandler(Vorn2ImageCore* core)
    : Vorn2MetaDataHandler(core),
      target_(core->getColorSpaceInfo(Rec1886)),
      meshPoints_(kDefaultMeshPoints),
      maxValue_(kDefaultMaxValue) {
  std::memcpy(videoKey_, Vorn2LookFile::kVideoParamKey, Vorn2LookFile::kVideoParamKeyLength);
  if (core->hasUser3dLut()) {
    int maxValue = 0, meshPoints = 0;
    LutOrder order = kLutInterleaved;
    core->getUser3dLutParam(maxValue, meshPoints, order);
    meshPoints_ = static_cast<unsigned int>(meshPoints);
    maxValue_ = maxValue;
  }
}

Vorn2VornRawVideoLutHandler::~Vorn2VornRawVideoLutHandler() = default;

void Vorn2VornRawVideoLutHandler::setTargetColorSpace(DisplayColorSpace const* target) {
  if (target != nullptr) target_ = target;
}

// ---- Sizes ---------------------------------------------------------------------------------

void Vorn2VornRawVideoLutHandler::refreshLutFormat() {
  if (!core().hasUser3dLut()) return;
  int maxValue = 0, meshPoints = 0;
  core().getUser3dLutParam(maxValue, meshPoints, order_);
  meshPoints_ = static_cast<unsigned int>(meshPoints);
  maxValue_ = maxValue;
}

unsigned int Vorn2VornRawVideoLutHandler::getLutDataLength() {
  refreshLutFormat();
  return static_cast<unsigned int>(chunkLength(meshPoints_));
}

unsigned int Vorn2VornRawVideoLutHandler::getLutDesignDataLength() {
  if (!core().hasUser3dLut()) return kVideoBlockSize;
  const uint64_t size = core().getLookFile()->getLutDesignDataSize();
  if (size == 0) return 0;
  if (size + kKeyFieldSize > 0xFFFFFFFFu) failSizeHere();
  return static_cast<unsigned int>(size + kKeyFieldSize);
}

unsigned int Vorn2VornRawVideoLutHandler::getLookNoteLength() {
  return static_cast<unsigned int>(pad4(core().getLookFile()->getLookNoteLength()));
}

unsigned int Vorn2VornRawVideoLutHandler::getMetaDataAtomSize() {
  const uint64_t size =
      uint64_t(kHeaderSize) + getLutDataLength() + getLutDesignDataLength() + getLookNoteLength();
  if (size > 0xFFFFFFFFu) failSizeHere();
  return static_cast<unsigned int>(size);
}

// ---- Writing -------------------------------------------------------------------------------

void Vorn2VornRawVideoLutHandler::getLutChunkHeader(VornRawMeta::LutChunkHeader* header) {
  refreshLutFormat();
  header->meshPoints = meshPoints_;
  header->maxValue = static_cast<uint32_t>(maxValue_);
  header->badLut = core().getLookFile()->getBadLut();
  header->order = static_cast<uint16_t>(order_);
}

void Vorn2VornRawVideoLutHandler::get3DLutData(unsigned char* out) {
  refreshLutFormat();
  std::vector<unsigned short> codes(3 * size_t(meshPoints_) * meshPoints_ * meshPoints_);
  // Sampled directly rather than through get3dLut, whose smallest mesh (3)
  // would refuse the atom of a 2-point user LUT that the reader accepts.
  sample3dTable(*core().do_get3dLut(Vorn2ImageCore::kUserLutNode), int(meshPoints_), codes.data(),
                order_, maxValue_, false);
  std::memcpy(out, codes.data(), codes.size() * sizeof(unsigned short));
}

void Vorn2VornRawVideoLutHandler::getVideoParameters(VornRawMeta::VideoParameters* record) {
  const ErrorCode code = core().getVideoParameters(record);
  if (code != kNoError) throw KvrSignal(code, KVR_HERE, "Error by get video parameters!");
  record->version = VornRawMeta::kVideoParametersVersion;
  record->revision = 0;
}

ErrorCode Vorn2VornRawVideoLutHandler::getLutDesignData(unsigned char* out) {
  Vorn2LookFile& file = *core().getLookFile();
  if (core().hasUser3dLut()) {
    if (file.getLutDesignDataSize() == 0) return kMissingCalibration;
    unsigned short keyLength = 0;
    unsigned char const* key = file.getUserLutDesignData(keyLength);
    std::memset(out, 0, kKeyFieldSize);
    std::memcpy(out, key, keyLength);
    std::memcpy(out + kKeyFieldSize, file.getLutDesignData(), file.getLutDesignDataSize());
    return kNoError;
  }
  VornRawMeta::VideoParameters record = {};
  getVideoParameters(&record);
  std::memcpy(out, videoKey_, kKeyFieldSize);
  std::memcpy(out + kKeyFieldSize, &record, sizeof record);
  return kNoError;
}

void Vorn2VornRawVideoLutHandler::getMetaData(void* buffer) {
  auto bytes = static_cast<unsigned char*>(buffer);
  Vorn2LookFile& file = *core().getLookFile();
  const unsigned short nameLength = file.getLutFileNameLength();
  if (nameLength > Vorn2LookFile::kMaxLutFileNameLength)
    throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal value for length of the lut file name!");
  const unsigned int size = getMetaDataAtomSize();
  const unsigned int lutLength = getLutDataLength();
  const unsigned int designLength = getLutDesignDataLength();
  const unsigned int noteLength = getLookNoteLength();
  const unsigned int noteOffset = noteLength != 0 ? size - noteLength : kAbsent;
  const unsigned int designOffset =
      designLength != 0 ? (noteLength != 0 ? noteOffset : size) - designLength : kAbsent;

  std::memset(bytes, 0, size);
  std::memcpy(bytes, kMagic, sizeof kMagic);
  putHost32(bytes, kVersionAt, kVersion);
  putHost32(bytes, kRevisionAt, 0);
  putHost32(bytes, kSizeAt, size);
  std::memcpy(bytes + kLutFileNameAt, file.getLutFileName(), nameLength);
  const char* name = target_->getName();
  const size_t length = std::strlen(name);
  if (length > kColorSpacePrefixLength)
    std::memcpy(bytes + kColorSpaceAt, name + kColorSpacePrefixLength,
                std::min<size_t>(length - kColorSpacePrefixLength, kNameField));
  putHost32(bytes, kChunkOffsetAt, kHeaderSize);
  putHost32(bytes, kChunkLengthAt, lutLength);
  putHost32(bytes, kDesignOffsetAt, designOffset);
  putHost32(bytes, kDesignLengthAt, designLength != 0 ? designLength : kAbsent);
  putHost32(bytes, kNoteOffsetAt, noteOffset);
  putHost32(bytes, kNoteLengthAt, noteLength != 0 ? noteLength : kAbsent);

  VornRawMeta::LutChunkHeader header = {};
  getLutChunkHeader(&header);
  std::memcpy(bytes + kHeaderSize, &header, sizeof header);
  get3DLutData(bytes + kHeaderSize + kChunkHeaderSize);
  if (designLength != 0) getLutDesignData(bytes + designOffset);
  if (noteLength != 0)
    std::memcpy(bytes + noteOffset, file.getLookNote(), file.getLookNoteLength());

  MD5 md5;
  md5.add(bytes + kDigestFrom, size - kDigestFrom);
  md5.getHash(bytes + kDigestAt);
}

// ---- Reading -------------------------------------------------------------------------------

// Checks the atom in the order of its error codes, then every part that
// reading will touch; nothing is applied here. Sizes are 64-bit.
Vorn2VornRawVideoLutHandler::Layout Vorn2VornRawVideoLutHandler::checkLayout(
    unsigned char const* bytes, unsigned int size) const {
  checkPayload(bytes, size, kHeaderSize);
  if (std::memcmp(bytes, kMagic, sizeof kMagic) != 0)
    throw KvrSignal(kMagicMismatch, KVR_HERE, "The magic word does not match!");
  if (host32(bytes, kVersionAt) > kVersion)
    throw KvrSignal(kUnknownMetaDataVersion, KVR_HERE, "Unknown metadata version!");
  if (host32(bytes, kRevisionAt) > 0)
    throw KvrSignal(kUnknownRevision, KVR_HERE, "Unknown metadata reversion!");
  const uint64_t atomSize = host32(bytes, kSizeAt);
  if (size != 0 && atomSize > size) failSize();
  // With the size unknown the atom's own size field bounds every read.
  if (atomSize < kHeaderSize) failSize();
  auto fits = [&](uint64_t offset, uint64_t length) { return offset + length <= atomSize; };

  Layout layout;
  layout.designOffset = host32(bytes, kDesignOffsetAt);
  layout.designLength = host32(bytes, kDesignLengthAt);
  layout.hasDesign = layout.designOffset != kAbsent;
  if (layout.hasDesign &&
      (layout.designLength < kKeyFieldSize || !fits(layout.designOffset, layout.designLength)))
    failSize();
  layout.noteOffset = host32(bytes, kNoteOffsetAt);
  layout.noteLength = host32(bytes, kNoteLengthAt);
  layout.hasNote = layout.noteOffset != kAbsent;
  if (layout.hasNote) {
    if (!fits(layout.noteOffset, layout.noteLength)) failSize();
    if (layout.noteLength > Vorn2LookFile::kMaxLookNoteLength)
      throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal value for length of look note!");
  }
  layout.userLut = !(layout.hasDesign &&
                     std::memcmp(bytes + layout.designOffset, videoKey_, kKeyFieldSize) == 0);
  if (!layout.userLut && layout.designLength < kVideoBlockSize) failSize();
  if (layout.userLut && layout.hasDesign &&
      layout.designLength - kKeyFieldSize > Vorn2ImageCore::kMaxDesignDataSize)
    throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal value for length of lut design data!");

  if (findColorSpace(bytes + kColorSpaceAt, kNameField, kColorSpacePrefixLength, true,
                     layout.colorSpace) == nullptr)
    throw KvrSignal(kUnknownColorSpace, KVR_HERE, "Unknown target color space name!");

  if (layout.userLut) {
    layout.chunkOffset = host32(bytes, kChunkOffsetAt);
    const uint64_t chunk = host32(bytes, kChunkLengthAt);
    if (chunk < kChunkHeaderSize || !fits(layout.chunkOffset, chunk)) failSize();
    VornRawMeta::LutChunkHeader header = {};
    std::memcpy(&header, bytes + layout.chunkOffset, sizeof header);
    const uint64_t n = header.meshPoints;
    if (n < kMinMeshPoints || n > kMaxMeshPoints)
      throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal number of meshpoints!");
    if (kChunkHeaderSize + 6 * n * n * n > chunk) failSize();
    if (header.maxValue < 1 || header.maxValue > 65535)
      throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal scaling factor value!");
    layout.meshPoints = header.meshPoints;
    layout.maxValue = static_cast<int>(header.maxValue);
    layout.order = header.order != 0 ? kLutPlanar : kLutInterleaved;
    layout.badLut = header.badLut;
  }
  return layout;
}

void Vorn2VornRawVideoLutHandler::setMetaData(void const* buffer, unsigned int size) {
  auto bytes = static_cast<unsigned char const*>(buffer);
  const Layout layout = checkLayout(bytes, size);
  Vorn2LookFile& file = *core().getLookFile();
  userLutAtom_ = layout.userLut;
  if (layout.userLut)
    file.setLutFileName(bytes + kLutFileNameAt,
                        terminatedLength(bytes + kLutFileNameAt, kNameField));
  if (target_ != core().getColorSpaceInfo(layout.colorSpace))
    file.setTargetColorSpace(layout.colorSpace);
  if (layout.userLut) {
    file.setBadLut(layout.badLut);
    installCodes(bytes + layout.chunkOffset + kChunkHeaderSize, layout.meshPoints, layout.order,
                 layout.maxValue);
  }
  if (layout.hasDesign) applyDesignBlock(bytes + layout.designOffset, layout.designLength);
  if (layout.hasNote)
    file.setLookNote(bytes + layout.noteOffset, static_cast<unsigned short>(layout.noteLength));
}

void Vorn2VornRawVideoLutHandler::installCodes(unsigned char const* codes, unsigned int meshPoints,
                                               LutOrder order, int maxValue) {
  std::vector<unsigned short> copy(3 * size_t(meshPoints) * meshPoints * meshPoints);
  std::memcpy(copy.data(), codes, copy.size() * sizeof(unsigned short));
  const ErrorCode code = core().setUser3dLut(Vorn2ImageCore::kUserLutNode, int(meshPoints),
                                             copy.data(), order, maxValue);
  if (code != kNoError) throw KvrSignal(code, KVR_HERE, "Error by set user 3d lut!");
  lut_.swap(copy);  // the core refers to these codes now
  meshPoints_ = meshPoints;
  maxValue_ = maxValue;
  order_ = order;
}

void Vorn2VornRawVideoLutHandler::set3DLutData(unsigned char const* data) {
  if (data == nullptr) failSizeHere();
  installCodes(data, meshPoints_, order_, maxValue_);
}

// block holds length bytes, at least the 64-byte key field.
void Vorn2VornRawVideoLutHandler::applyDesignBlock(unsigned char const* block, uint64_t length) {
  if (std::memcmp(block, videoKey_, kKeyFieldSize) == 0) {
    if (length < kVideoBlockSize) failSizeHere();
    VornRawMeta::VideoParameters record = {};
    std::memcpy(&record, block + kKeyFieldSize, sizeof record);
    setVideoParameters(&record);
    return;
  }
  if (length - kKeyFieldSize > Vorn2ImageCore::kMaxDesignDataSize)
    throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal value for length of lut design data!");
  Vorn2LookFile& file = *core().getLookFile();
  file.setUserLutDesignDataKey(block, terminatedLength(block, kKeyFieldSize));
  file.copyUserLutDesignData(block + kKeyFieldSize,
                             static_cast<unsigned int>(length - kKeyFieldSize));
}

void Vorn2VornRawVideoLutHandler::setLutDesignData(unsigned char const* data, unsigned int size) {
  if (size == 0) return;
  if (data == nullptr || size < kKeyFieldSize) failSizeHere();
  applyDesignBlock(data, size);
}

void Vorn2VornRawVideoLutHandler::setVideoParameters(VornRawMeta::VideoParameters const* record) {
  if (record->version > VornRawMeta::kVideoParametersVersion)
    throw KvrSignal(kUnknownMetaDataVersion, KVR_HERE, "Unknown video parameter metadata version!");
  if (record->size != VornRawMeta::kVideoParametersSize)
    throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal size of video parameter  metadata buffer!");
  for (int i = 0; i < VornRawMeta::VideoParameters::kCount; ++i)
    core().setParam(VornRawMeta::kVideoParameterIds[i], record->values[i]);
}

ColorSpace Vorn2VornRawVideoLutHandler::readTargetColorSpace(void const* atom) {
  if (atom == nullptr) failSizeHere();
  ColorSpace id = Rec1886;
  if (findColorSpace(static_cast<unsigned char const*>(atom) + kColorSpaceAt, kNameField,
                     kColorSpacePrefixLength, false, id) == nullptr)
    throw KvrSignal(kUnknownColorSpace, KVR_HERE, "Unknown target color space name!");
  return id;
}

// ---- Reset -----------------------------------------------------------------------------------

void Vorn2VornRawVideoLutHandler::resetMetaData() {
  meshPoints_ = kDefaultMeshPoints;
  maxValue_ = kDefaultMaxValue;
  order_ = kLutInterleaved;
  userLutAtom_ = false;
  Vorn2LookFile& file = *core().getLookFile();
  file.setTargetColorSpace(Rec1886);
  file.reset();
  // The core lets go of the copy before it is released.
  if (ErrorCode code = core().resetUser3dLut(Vorn2ImageCore::kUserLutNode))
    throw KvrSignal(code, KVR_HERE, "Error by reset user 3d lut!");
  lut_.clear();
  lut_.shrink_to_fit();
  resetParameters(VornRawMeta::kVideoParameterIds, VornRawMeta::VideoParameters::kCount);
}

}  // namespace Kalvora
