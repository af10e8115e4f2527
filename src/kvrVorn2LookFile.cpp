#include "kvrVorn2LookFile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "kvrByteOrder.h"
#include "kvrVorn2ImageCore.h"

#define KVR_SOURCE "src/kvrVorn2LookFile"

namespace Kalvora {

namespace {

constexpr unsigned char kMagic[4] = {'K', 'O', 'L', 'V'};
constexpr unsigned int kCrcStart = 12;
constexpr unsigned int kMinMeshPoints = 2;
constexpr unsigned int kMaxMeshPoints = 65;

// Field offsets of the header.
enum : unsigned int {
  kMagicAt = 0,
  kVersionAt = 4,
  kCrcAt = 8,
  kParameterOffsetAt = 12,
  kParameterCountAt = 16,
  kLutOffsetAt = 20,
  kMeshPointsAt = 24,
  kBadLutAt = 28,
  kLutFileNameLengthAt = 30,
  kLookNoteLengthAt = 32,
  kColorSpaceNameLengthAt = 34,
  kKeyAt = 36,
  kDesignOffsetAt = 100,
  kDesignSizeAt = 104,
  kLutFileNameAt = 256,
  kLookNoteAt = 320,
  kColorSpaceNameAt = 1344
};

unsigned int le32(unsigned char const* bytes, unsigned int at) {
  unsigned int value = 0;
  read_uint32_le(bytes + at, value);
  return value;
}

unsigned short le16(unsigned char const* bytes, unsigned int at) {
  unsigned short value = 0;
  read_uint16_le(bytes + at, value);
  return value;
}

void putLe32(unsigned char* bytes, unsigned int at, unsigned int value) {
  write_uint32_le(bytes + at, value);
}

void putLe16(unsigned char* bytes, unsigned int at, unsigned short value) {
  write_uint16_le(bytes + at, value);
}

// Length of a field up to its first zero byte (the whole field without one).
unsigned short terminatedLength(unsigned char const* field, unsigned int size) {
  const void* zero = std::memchr(field, 0, size);
  return static_cast<unsigned short>(zero ? static_cast<unsigned char const*>(zero) - field : size);
}

[[noreturn]] void fail(ErrorCode code, const char* where, const char* message) {
  throw KvrSignal(code, where, message);
}

}  // namespace

constexpr char Vorn2LookFile::kVideoParamKey[];

// Everything loadLook needs from a buffer, gathered and checked before any
// of it is applied.
struct Vorn2LookFile::Header {
  unsigned int crc = 0;
  unsigned int parameterCount = 0;
  unsigned int lutOffset = 0;
  unsigned int meshPoints = 0;
  unsigned short badLut = 0;
  unsigned short lutFileNameLength = 0;
  unsigned short lookNoteLength = 0;
  unsigned int designOffset = 0;
  unsigned int designSize = 0;
  const DisplayColorSpace* target = nullptr;
};

// ---- Construction and header state ----------------------------------------------------

Vorn2LookFile::Vorn2LookFile(Vorn2ImageCore* core) : core_(*core) {
  target_ = core_.getColorSpaceInfo(Rec1886);
  reset();
}

Vorn2LookFile::~Vorn2LookFile() = default;

void Vorn2LookFile::setDefaultHeader() {
  crc_ = 0;
  parameterOffset_ = 0;
  parameterCount_ = 0;
  lutOffset_ = 0;
  lutMeshPoints_ = 0;
  badLut_ = 0;
  lutFileNameLength_ = 0;
  lookNoteLength_ = 0;
  colorSpaceNameLength_ = static_cast<unsigned short>(std::strlen(target_->getName()));
  std::memset(key_, 0, sizeof key_);
  designOffset_ = 0;
  designSize_ = 0;
}

void Vorn2LookFile::reset() {
  setDefaultHeader();
  std::memset(lutFileName_, 0, sizeof lutFileName_);
  std::memset(lookNote_, 0, sizeof lookNote_);
  designData_ = nullptr;
  ownDesignData_.clear();
  keyLength_ = 0;
}

void Vorn2LookFile::resetLut() {
  badLut_ = 0;
  lutFileNameLength_ = 0;
  std::memset(lutFileName_, 0, sizeof lutFileName_);
  std::memset(key_, 0, sizeof key_);
  keyLength_ = 0;
  designData_ = nullptr;
  ownDesignData_.clear();
  designOffset_ = 0;
  designSize_ = 0;
}

// ---- File name, note, design data ---------------------------------------------------------

void Vorn2LookFile::setLutFileName(unsigned char const* name, unsigned short length) {
  if (length > kMaxLutFileNameLength)
    fail(kIllegalValue, KVR_HERE, "Length of the lut file name exceed maximal allowed length!");
  if (length != 0 && name == nullptr)
    fail(kIllegalValue, KVR_HERE,
         "Lut file name is NULL. Illegal value for length of the lut file name!");
  std::memset(lutFileName_, 0, sizeof lutFileName_);
  if (length != 0) std::memcpy(lutFileName_, name, length);
  lutFileNameLength_ = length;
}

const char* Vorn2LookFile::getLutFileName() {
  lutFileNameText_.assign(reinterpret_cast<const char*>(lutFileName_), lutFileNameLength_);
  return lutFileNameText_.c_str();
}

void Vorn2LookFile::setLookNote(unsigned char const* note, unsigned short length) {
  if (length != 0 && (length > kMaxLookNoteLength || note == nullptr))
    fail(kIllegalValue, KVR_HERE, "Illegal value for length of look note!");
  std::memset(lookNote_, 0, sizeof lookNote_);
  if (length != 0) std::memcpy(lookNote_, note, length);
  lookNoteLength_ = length;
}

const char* Vorn2LookFile::getLookNote() {
  lookNoteText_.assign(reinterpret_cast<const char*>(lookNote_), lookNoteLength_);
  return lookNoteText_.c_str();
}

void Vorn2LookFile::setUserLutDesignData(unsigned char const* data, unsigned int size) {
  if (data == nullptr && size != 0)
    fail(kIllegalValue, KVR_HERE, "Illegal value for lut design data, input size is not zero!");
  ownDesignData_.clear();
  designData_ = data;
  designSize_ = size;
}

void Vorn2LookFile::copyUserLutDesignData(unsigned char const* data, unsigned int size) {
  if (data == nullptr && size != 0)
    fail(kIllegalValue, KVR_HERE, "Illegal value for lut design data, input size is not zero!");
  std::vector<unsigned char> copy(data, data + size);
  ownDesignData_.swap(copy);
  designData_ = data != nullptr ? ownDesignData_.data() : nullptr;
  designSize_ = size;
}

void Vorn2LookFile::setUserLutDesignDataKey(unsigned char const* key, unsigned short length) {
  if (length > kKeySize)
    fail(kIllegalValue, KVR_HERE, "Illegal value for length of lut design data key!");
  if (length != 0 && key == nullptr) fail(kIllegalValue, KVR_HERE, "Lut design data key is NULL!");
  std::memset(key_, 0, sizeof key_);
  if (length != 0) std::memcpy(key_, key, length);
  keyLength_ = length;
}

bool Vorn2LookFile::isVornUserLutDesignDataKey(unsigned char const* key, unsigned short length) {
  return key != nullptr && length == kVideoParamKeyLength &&
         std::memcmp(key, kVideoParamKey, kVideoParamKeyLength) == 0;
}

// A look with a user 3-D LUT carries no video parameter key; a look without
// one is always marked as rendered from video parameters.
void Vorn2LookFile::normaliseKey() {
  if (core_.hasUser3dLut()) {
    if (isVornUserLutDesignDataKey(key_, keyLength_)) setUserLutDesignDataKey(nullptr, 0);
  } else {
    setUserLutDesignDataKey(reinterpret_cast<unsigned char const*>(kVideoParamKey),
                            kVideoParamKeyLength);
  }
}

unsigned char const* Vorn2LookFile::getUserLutDesignData(unsigned short& length) {
  normaliseKey();
  length = keyLength_;
  return key_;
}

// ---- Target colour space ---------------------------------------------------------------------

ErrorCode Vorn2LookFile::setTargetColorSpace(ColorSpace id) {
  const DisplayColorSpace* entry = core_.getColorSpaceInfo(id);
  if (!(Rec1886 <= id && id <= AcesProxy) || entry == nullptr) {
    KvrError(KVR_HERE, "Illegal value for target color space: %d", static_cast<int>(id));
    return kIllegalValue;
  }
  if (target_->isColorSpace(entry->getName(), 0)) return kNoError;
  followTargetColorSpace(entry);
  core_.setTargetColorSpace(this);
  return kNoError;
}

void Vorn2LookFile::followTargetColorSpace(const DisplayColorSpace* target) {
  if (target == nullptr) return;
  target_ = target;
  colorSpaceNameLength_ = static_cast<unsigned short>(std::strlen(target_->getName()));
}

const char* Vorn2LookFile::getColSpaceName() {
  colorSpaceNameText_ = target_->getName();
  return colorSpaceNameText_.c_str();
}

const DisplayColorSpace* Vorn2LookFile::findTargetColorSpace(unsigned char const* name) const {
  for (int id = Rec1886; id <= AcesProxy; ++id) {
    const DisplayColorSpace* entry = core_.getColorSpaceInfo(static_cast<ColorSpace>(id));
    if (entry != nullptr && entry->isColorSpace(name, 0)) return entry;
  }
  return nullptr;
}

// ---- Format facts ------------------------------------------------------------------------------

void Vorn2LookFile::get3dLutParam(unsigned int& maxValue, unsigned int& meshPoints,
                                  LutOrder& order) const {
  maxValue = kMaxValue;
  meshPoints = kMeshPoints;
  order = kLutInterleaved;
}

ErrorCode Vorn2LookFile::getLookFileHeaderSize(unsigned long& size) {
  size = kHeaderSize;
  return kNoError;
}

ErrorCode Vorn2LookFile::getTargetColorSpaceBufferSize(unsigned long& size) {
  size = kParameterOffset;
  return kNoError;
}

ErrorCode Vorn2LookFile::getTargetColorSpace(void const* buffer, unsigned char const** name,
                                             unsigned short& length) {
  return kvrBoundary(KVR_HERE, [&] {
    if (buffer == nullptr || name == nullptr)
      fail(kIllegalValue, KVR_HERE, "Illegal value for look file buffer!");
    auto bytes = static_cast<unsigned char const*>(buffer);
    *name = bytes + kColorSpaceNameAt;
    length = le16(bytes, kColorSpaceNameLengthAt);
    return kNoError;
  });
}

unsigned int Vorn2LookFile::getLookFileFeatures(void* buffer, LookFileFeature feature) {
  if (buffer == nullptr) fail(kIllegalValue, KVR_HERE, "Illegal value for look file buffer!");
  auto bytes = static_cast<unsigned char const*>(buffer);
  if (feature == kLookFileHas3dLut) return le32(bytes, kLutOffsetAt);
  if (feature == kLookFileBadLut) return le16(bytes, kBadLutAt);
  fail(kUnknownFeature, KVR_HERE, "Unknown look file feature!");
}

ErrorCode Vorn2LookFile::getLookFileFeatures(void* buffer, LookFileFeature feature,
                                             unsigned int& value) {
  return kvrBoundary(KVR_HERE, [&] {
    value = getLookFileFeatures(buffer, feature);
    return kNoError;
  });
}

// ---- CRC
// ---------------------------------------------------------------------------------------------

unsigned int Vorn2LookFile::crcOf(unsigned char const* buffer, unsigned int size) const {
  if (buffer == nullptr || size <= kCrcStart) return 0;
  return calculateCrc(buffer + kCrcStart, size - kCrcStart);
}

unsigned int Vorn2LookFile::getCRC(unsigned char* buffer, unsigned int size) {
  return crcOf(buffer, size);
}

bool Vorn2LookFile::checkCRC(unsigned char const* buffer, unsigned int size) {
  if (buffer == nullptr || size < kCrcStart) return false;
  return le32(buffer, kCrcAt) == crcOf(buffer, size);
}

void Vorn2LookFile::setCRC(unsigned char* buffer, unsigned int crc) {
  putLe32(buffer, kCrcAt, crc);
}

// ---- Loading
// -------------------------------------------------------------------------------------------

// Checks every field of the buffer in the order of their error codes and
// gathers what loading applies. Throws on the first fault; nothing is
// changed here. All size arithmetic is 64-bit.
void Vorn2LookFile::checkAndTakeHeader(unsigned char const* bytes, unsigned int size,
                                       Header& header) const {
  if (size < kHeaderSize) fail(kIllegalValue, KVR_HERE, "Illegal size of look file buffer!");
  if (bytes == nullptr) fail(kIllegalValue, KVR_HERE, "Look file buffer is NULL!");
  if (std::memcmp(bytes + kMagicAt, kMagic, sizeof kMagic) != 0)
    fail(kMagicMismatch, KVR_HERE, "The magic word does not match!");
  const unsigned int version = le32(bytes, kVersionAt);
  if (version == 1) fail(kUnsupportedVersion, KVR_HERE, "This version is no longer supported!");
  if (version > kFormatVersion) fail(kUnknownFileVersion, KVR_HERE, "Unknown look file version!");

  header.lutFileNameLength = le16(bytes, kLutFileNameLengthAt);
  if (header.lutFileNameLength > kMaxLutFileNameLength)
    fail(kIllegalValue, KVR_HERE, "Illegal value for length of the lut file name!");
  header.lookNoteLength = le16(bytes, kLookNoteLengthAt);
  if (header.lookNoteLength > kMaxLookNoteLength)
    fail(kIllegalValue, KVR_HERE, "Illegal value for length of look note!");
  if (le32(bytes, kParameterOffsetAt) != kParameterOffset)
    fail(kIllegalValue, KVR_HERE, "Illegal value for parameter offset!");

  header.parameterCount = le32(bytes, kParameterCountAt);
  uint64_t end = kParameterOffset + uint64_t(kParameterEntrySize) * header.parameterCount;
  header.lutOffset = le32(bytes, kLutOffsetAt);
  header.meshPoints = le32(bytes, kMeshPointsAt);
  if (header.lutOffset != 0) {
    if (header.lutOffset != end) fail(kIllegalValue, KVR_HERE, "Illegal value for 3d lut offset!");
    const uint64_t m = header.meshPoints;
    if (m < kMinMeshPoints || m > kMaxMeshPoints)
      fail(kIllegalValue, KVR_HERE, "Illegal value for 3d lut mesh points!");
    end += 6 * m * m * m;
  }
  header.designSize = le32(bytes, kDesignSizeAt);
  if (end + header.designSize != size) fail(kIllegalValue, KVR_HERE, "Illegal size of look file!");
  header.designOffset = le32(bytes, kDesignOffsetAt);
  if (header.designSize != 0 && header.designOffset != size - header.designSize)
    fail(kIllegalValue, KVR_HERE, "Illegal value for design data offset!");

  // The size rule guarantees the 1408 bytes up to the parameter block.
  header.target = findTargetColorSpace(bytes + kColorSpaceNameAt);
  if (header.target == nullptr)
    fail(kUnknownColorSpace, KVR_HERE, "Unknown target color space name!");
  header.crc = le32(bytes, kCrcAt);
  header.badLut = le16(bytes, kBadLutAt);
}

bool Vorn2LookFile::loadLook(void const* buffer, unsigned int size) {
  if (ErrorCode code = core_.resetLook()) fail(code, KVR_HERE, "Error by reset look!");
  auto bytes = static_cast<unsigned char const*>(buffer);
  Header header;
  checkAndTakeHeader(bytes, size, header);
  if (!checkCRC(bytes, size)) fail(kCrcMismatch, KVR_HERE, "The CRC value does not match!");

  // Everything is checked: apply the look.
  crc_ = header.crc;
  badLut_ = header.badLut;
  const unsigned short keyLength = terminatedLength(bytes + kKeyAt, kKeySize);
  setUserLutDesignDataKey(bytes + kKeyAt, keyLength);
  setLutFileName(bytes + kLutFileNameAt, header.lutFileNameLength);
  setLookNote(bytes + kLookNoteAt, header.lookNoteLength);
  followTargetColorSpace(header.target);
  if (header.lutOffset != 0) loadLut3D(bytes + header.lutOffset, header.meshPoints);
  loadParameters(bytes + kParameterOffset, header.parameterCount);
  if (header.designSize != 0) copyUserLutDesignData(bytes + header.designOffset, header.designSize);
  designOffset_ = header.designOffset;
  parameterOffset_ = kParameterOffset;
  parameterCount_ = header.parameterCount;
  lutOffset_ = header.lutOffset;
  lutMeshPoints_ = header.lutOffset != 0 ? header.meshPoints : 0;
  return true;
}

void Vorn2LookFile::applyParameter(unsigned int id, float value) {
  if (!core_.hasParameter(id)) return;
  const PipelineParameter& parameter = *core_.needParameter(id);
  // A look never holds a parameter the writer does not save; such a value
  // would bypass the rules setParam keeps (peak and diffuse white).
  if (parameter.readOnly || parameter.persistence == kPersistNever) return;
  core_.setParamSilent(id, value);
}

void Vorn2LookFile::loadParameters(unsigned char const* block, unsigned int count) {
  for (unsigned int i = 0; i < count; ++i) {
    unsigned char const* entry = block + uint64_t(i) * kParameterEntrySize;
    unsigned int id = 0;
    float value = 0.0f;
    read_float_le(read_uint32_le(entry, id), value);
    applyParameter(id, value);
  }
}

void Vorn2LookFile::loadLut3D(unsigned char const* lut, unsigned int meshPoints) {
  if (meshPoints < kMinMeshPoints || meshPoints > kMaxMeshPoints || lut == nullptr)
    fail(kIllegalValue, KVR_HERE, "Illegal value for 3d lut mesh points!");
  const size_t count = 3 * size_t(meshPoints) * meshPoints * meshPoints;
  std::vector<unsigned short> codes(count);
  for (size_t i = 0; i < count; ++i) read_uint16_le(lut + 2 * i, codes[i]);
  installLut(std::move(codes), meshPoints);
}

// The core refers to the codes, so the old array is released only after
// the new one is installed.
void Vorn2LookFile::installLut(std::vector<unsigned short>&& codes, unsigned int meshPoints) {
  const ErrorCode code = core_.setUser3dLut(Vorn2ImageCore::kUserLutNode, int(meshPoints),
                                            codes.data(), kLutInterleaved, int(kMaxValue));
  if (code != kNoError) fail(code, KVR_HERE, "Error by set user 3d lut!");
  lut_.swap(codes);
}

// ---- Saving
// -----------------------------------------------------------------------------------------------

unsigned int Vorn2LookFile::saveParameters(unsigned char* block, bool all) {
  PipelineParameter* const* parameters = core_.getParameters();
  unsigned int written = 0;
  for (int i = 0; i < core_.getNumParameters(); ++i) {
    const PipelineParameter& parameter = *parameters[i];
    if (!parameter.save(all)) continue;
    unsigned int id = parameter.id;
    float value = static_cast<float>(parameter.value);
    write_float_le(write_uint32_le(block + uint64_t(written) * kParameterEntrySize, id), value);
    ++written;
  }
  return written;
}

void Vorn2LookFile::saveLut3D(unsigned char* lut) {
  std::vector<unsigned short> codes(kLutSize / 2);
  const ErrorCode code =
      core_.export3dLut(15, int(kMeshPoints), codes.data(), kLutInterleaved, int(kMaxValue));
  if (code != kNoError) fail(code, KVR_HERE, "Error by export 3D lut!");
  for (size_t i = 0; i < codes.size(); ++i) write_uint16_le(lut + 2 * i, codes[i]);
}

bool Vorn2LookFile::saveLook(void* buffer, bool all) {
  unsigned int size = 0;
  if (ErrorCode code = core_.getLookDataSize(all, size))
    fail(code, KVR_HERE, "Error by get look data size!");
  if (buffer == nullptr) fail(kIllegalValue, KVR_HERE, "Look file buffer is NULL!");
  auto bytes = static_cast<unsigned char*>(buffer);
  std::memset(bytes, 0, size);
  normaliseKey();

  const bool hasLut = core_.hasUser3dLut();
  const unsigned int lutBytes = hasLut ? kLutSize : 0;
  const bool hasDesign = designSize_ != 0 && designData_ != nullptr;
  const unsigned int count = static_cast<unsigned int>(core_.getNumParametersToSave(all));
  parameterOffset_ = size - designSize_ - lutBytes - kParameterEntrySize * count;
  parameterCount_ = count;
  lutOffset_ = hasLut ? size - designSize_ - kLutSize : 0;
  lutMeshPoints_ = hasLut ? kMeshPoints : 0;
  designOffset_ = hasDesign ? size - designSize_ : 0;

  const char* name = target_->getName();
  colorSpaceNameLength_ =
      static_cast<unsigned short>(std::min<size_t>(std::strlen(name), kColorSpaceNameSize));
  std::memcpy(bytes + kLutFileNameAt, lutFileName_, sizeof lutFileName_);
  std::memcpy(bytes + kLookNoteAt, lookNote_, lookNoteLength_);
  std::memcpy(bytes + kColorSpaceNameAt, name, colorSpaceNameLength_);
  saveParameters(bytes + parameterOffset_, all);
  if (hasLut) saveLut3D(bytes + lutOffset_);
  if (hasDesign) std::memcpy(bytes + designOffset_, designData_, designSize_);

  std::memcpy(bytes + kMagicAt, kMagic, sizeof kMagic);
  putLe32(bytes, kVersionAt, kFormatVersion);
  putLe32(bytes, kParameterOffsetAt, parameterOffset_);
  putLe32(bytes, kParameterCountAt, parameterCount_);
  putLe32(bytes, kLutOffsetAt, lutOffset_);
  putLe32(bytes, kMeshPointsAt, lutMeshPoints_);
  putLe16(bytes, kBadLutAt, badLut_);
  putLe16(bytes, kLutFileNameLengthAt, lutFileNameLength_);
  putLe16(bytes, kLookNoteLengthAt, lookNoteLength_);
  putLe16(bytes, kColorSpaceNameLengthAt, colorSpaceNameLength_);
  putLe32(bytes, kDesignOffsetAt, designOffset_);
  putLe32(bytes, kDesignSizeAt, designSize_);
  std::memcpy(bytes + kKeyAt, key_, keyLength_);

  crc_ = getCRC(bytes, size);
  setCRC(bytes, crc_);
  return true;
}

}  // namespace Kalvora
