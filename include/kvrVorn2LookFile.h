// Vorn2LookFile, the binary look file of a LUT image core: holds the look's
// header in memory, writes the look (parameters, optional user 3-D LUT, LUT
// file name, look note, target colour space, LUT design data) into one
// contiguous buffer and parses such a buffer back into its core.
//
// Buffer layout (all integers little-endian, unsigned; total size S):
//     0    4  magic "KOLV"
//     4    4  format version, 3 (0, 2 and 3 are read alike)
//     8    4  CRC-32 of bytes 12 .. S - 1
//    12    4  parameter block offset, 1408
//    16    4  parameter count N
//    20    4  3-D LUT offset: 1408 + 8N with a LUT, else 0
//    24    4  3-D LUT mesh points m: 33 with a LUT, else 0
//    28    2  bad-LUT flag
//    30    2  LUT file name length, 0..64
//    32    2  look note length, 0..1024
//    34    2  target colour space name length
//    36   64  LUT design data key, zero-padded (64 bytes: no terminating zero)
//   100    4  design data offset: S - D with design data, else 0
//   104    4  design data size D
//   108  148  reserved, zero
//   256   64  LUT file name
//   320 1024  look note
//  1344   64  target colour space name, zero-padded
//  1408   8N  parameters: id (4 bytes), value as a 32-bit float (4 bytes)
//          6m^3  3-D LUT: 16-bit codes, interleaved, full scale 65535
//   S-D    D  LUT design data
// So S = 1408 + 8N + 6m^3 (with a LUT) + D.
//
// The look file belongs to its image core and is used under the core's
// single-thread rule. Loading checks the whole buffer before it applies
// anything: a rejected buffer leaves the core's look as resetLook left it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kvrColorSpaces.h"
#include "kvrError.h"
#include "kvrLookFile.h"
#include "kvrLutFunc.h"

namespace Kalvora {

class Vorn2ImageCore;

enum LookFileFeature : int32_t {
  kLookFileHas3dLut = 1,  // value: the 3-D LUT offset field
  kLookFileBadLut = 2     // value: the bad-LUT flag
};

class Vorn2LookFile : public LookFile {
public:
  static constexpr unsigned int kHeaderSize = 256;
  static constexpr unsigned int kParameterOffset = 1408;
  static constexpr unsigned int kParameterEntrySize = 8;
  static constexpr unsigned int kFormatVersion = 3;
  static constexpr unsigned int kMeshPoints = 33;
  static constexpr unsigned int kMaxValue = 65535;
  static constexpr unsigned int kLutSize = 6 * 33 * 33 * 33;  // 215622 bytes
  static constexpr unsigned int kMaxLutFileNameLength = 64;
  static constexpr unsigned int kMaxLookNoteLength = 1024;
  static constexpr unsigned int kKeySize = 64;
  static constexpr unsigned int kColorSpaceNameSize = 64;
  static constexpr unsigned int kReservedSize = 148;
  // The design data key of a look rendered from video look parameters
  // rather than from a user 3-D LUT (24 bytes, no terminating zero stored).
  static constexpr char kVideoParamKey[] = "com.vorn.opx.video_param";
  static constexpr unsigned short kVideoParamKeyLength = 24;

  // Target colour space Rec1886 of the core, empty name, note, key and
  // design data. The core is referenced and must outlive the look file.
  explicit Vorn2LookFile(Vorn2ImageCore* core);
  ~Vorn2LookFile() override;
  Vorn2LookFile(const Vorn2LookFile&) = delete;
  Vorn2LookFile& operator=(const Vorn2LookFile&) = delete;

  // ---- Serialisation ---------------------------------------------------------------

  // Resets the core's look, checks the whole buffer (size, magic, version,
  // lengths, offsets, size rule, design data placement, colour space name,
  // CRC), then applies target, user 3-D LUT, parameters (clamped to their
  // ranges; unknown, read-only and never-saved parameters are skipped) and
  // design data. The buffer is not referenced afterwards: LUT and design
  // data are copied. True on success; failures throw KvrSignal.
  bool loadLook(void const* buffer, unsigned int size) override;
  // Writes the look into buffer, which holds the core's getLookDataSize(all)
  // bytes. True on success; failures throw KvrSignal.
  bool saveLook(void* buffer, bool all) override;
  // CRC-32 of bytes 12 .. size - 1 (0 for a buffer of 12 bytes or less).
  unsigned int getCRC(unsigned char* buffer, unsigned int size) override;
  bool checkCRC(unsigned char const* buffer, unsigned int size) override;
  // Stores crc at offset 8.
  void setCRC(unsigned char* buffer, unsigned int crc);

  // Bare blocks in the look's formats. loadParameters applies count 8-byte
  // entries as loadLook does; saveParameters writes the core's saved
  // parameters and returns how many. loadLut3D copies 3 m^3 little-endian
  // codes (m 2..65, else kIllegalValue) and installs them as the core's user
  // 3-D LUT; saveLut3D writes node 15 as a 33-point block of kLutSize bytes.
  void loadParameters(unsigned char const* block, unsigned int count);
  unsigned int saveParameters(unsigned char* block, bool all);
  void loadLut3D(unsigned char const* lut, unsigned int meshPoints);
  void saveLut3D(unsigned char* lut);

  // ---- Header state ------------------------------------------------------------------

  // Default header, empty file name, note, key and design data.
  void reset();
  // Magic, version, colour space name length of the current target; all
  // other header fields zero.
  void setDefaultHeader();
  // Clears the bad-LUT flag, the LUT file name, the key and the design data.
  void resetLut();

  void setBadLut(unsigned short flag) { badLut_ = flag; }
  unsigned short getBadLut() const { return badLut_; }

  // The setters below throw kIllegalValue and leave the object unchanged on
  // bad input. Length 0 clears the field.
  void setLutFileName(unsigned char const* name, unsigned short length);
  // Zero-terminated copy, owned by the look file, valid until the next call.
  const char* getLutFileName();
  unsigned short getLutFileNameLength() const { return lutFileNameLength_; }
  void setLookNote(unsigned char const* note, unsigned short length);
  const char* getLookNote();
  unsigned short getLookNoteLength() const { return lookNoteLength_; }

  // The bytes are referenced, not copied: the caller keeps them alive while
  // the look is in use. Design data of a loaded look are the look file's own.
  void setUserLutDesignData(unsigned char const* data, unsigned int size);
  // As above, but the look file keeps its own copy of the bytes.
  void copyUserLutDesignData(unsigned char const* data, unsigned int size);
  unsigned char const* getLutDesignData() const { return designData_; }
  unsigned int getLutDesignDataSize() const { return designSize_; }
  // Copies the key (at most 64 bytes) and zero-fills the rest of the field.
  void setUserLutDesignDataKey(unsigned char const* key, unsigned short length);
  // The key field after the writer's normalisation: the video parameter key
  // without a user 3-D LUT, no key with one when the key was that one.
  unsigned char const* getUserLutDesignData(unsigned short& length);
  static bool isVornUserLutDesignDataKey(unsigned char const* key, unsigned short length);

  // ---- Target colour space ------------------------------------------------------------

  // Makes registry entry id (0..7) the target and lets the core follow. An
  // id outside 0..7 is reported and returns kIllegalValue without a change;
  // a failure of the core's follow-up throws.
  ErrorCode setTargetColorSpace(ColorSpace id);
  const DisplayColorSpace* getTargetColorSpace() const { return target_; }
  // Takes target over without calling back into the core; the core uses it
  // when its target changes by another way.
  void followTargetColorSpace(const DisplayColorSpace* target);
  // Zero-terminated copy of the target's name / the name length field.
  const char* getColSpaceName();
  unsigned short getColSpaceNameLength() const { return colorSpaceNameLength_; }

  // ---- Format facts ----------------------------------------------------------------------

  // Always 65535, 33, kLutInterleaved.
  void get3dLutParam(unsigned int& maxValue, unsigned int& meshPoints, LutOrder& order) const;
  unsigned long getLookFileHeaderSize() const { return kHeaderSize; }
  static ErrorCode getLookFileHeaderSize(unsigned long& size);
  // Bytes a buffer needs for getTargetColorSpace: 1408.
  static ErrorCode getTargetColorSpaceBufferSize(unsigned long& size);
  // name points into the buffer (offset 1344, not zero-terminated when 64
  // bytes long), length is the field at offset 34. The buffer holds at least
  // getTargetColorSpaceBufferSize bytes.
  static ErrorCode getTargetColorSpace(void const* buffer, unsigned char const** name,
                                       unsigned short& length);
  // A feature of a look buffer of at least 256 bytes. The boundary form
  // returns kUnknownFeature for a feature other than 1 or 2; the plain form
  // throws it.
  static ErrorCode getLookFileFeatures(void* buffer, LookFileFeature feature, unsigned int& value);
  static unsigned int getLookFileFeatures(void* buffer, LookFileFeature feature);

private:
  struct Header;
  void checkAndTakeHeader(unsigned char const* bytes, unsigned int size, Header& header) const;
  const DisplayColorSpace* findTargetColorSpace(unsigned char const* name) const;
  void normaliseKey();
  void applyParameter(unsigned int id, float value);
  void installLut(std::vector<unsigned short>&& codes, unsigned int meshPoints);
  unsigned int crcOf(unsigned char const* buffer, unsigned int size) const;

  Vorn2ImageCore& core_;
  // Header fields; magic, version and reserved bytes are constants.
  unsigned int crc_ = 0;
  unsigned int parameterOffset_ = 0;
  unsigned int parameterCount_ = 0;
  unsigned int lutOffset_ = 0;
  unsigned int lutMeshPoints_ = 0;
  unsigned short badLut_ = 0;
  unsigned short lutFileNameLength_ = 0;
  unsigned short lookNoteLength_ = 0;
  unsigned short colorSpaceNameLength_ = 0;
  unsigned char key_[kKeySize] = {};
  unsigned int designOffset_ = 0;
  unsigned int designSize_ = 0;
  unsigned char lutFileName_[kMaxLutFileNameLength] = {};
  unsigned char lookNote_[kMaxLookNoteLength] = {};

  const DisplayColorSpace* target_ = nullptr;  // a registry entry of the core
  std::vector<unsigned short> lut_;            // a loaded LUT; the core refers to it
  unsigned char const* designData_ = nullptr;  // the caller's bytes or ownDesignData_
  std::vector<unsigned char> ownDesignData_;   // copied design data
  unsigned short keyLength_ = 0;
  std::string lutFileNameText_;
  std::string lookNoteText_;
  std::string colorSpaceNameText_;
};

}  // namespace Kalvora
