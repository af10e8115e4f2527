// Vorn2VornRawVideoLutHandler serves the raw video-LUT atom, the one block
// that describes the whole look of a raw clip. Unlike the other atoms it is
// written in the host's byte order. Layout (S bytes):
//     0    8  magic "VRNLUT3D"
//     8    4  version 1
//    12    4  revision 0
//    16    4  atom size S
//    20   16  MD5 of bytes 36 .. S - 1 (not verified on reading)
//    36   64  LUT file name, zero-padded
//   100   64  target colour space name without "com.apple.proapps.colorspace."
//   164    4  LUT chunk offset, 192
//   168    4  LUT chunk length: 6n^3 + 12 rounded up to a multiple of 4
//   172    4  design block offset, 0xFFFFFFFF for none
//   176    4  design block length, 0xFFFFFFFF for none
//   180    4  look note offset, 0xFFFFFFFF for none
//   184    4  look note length rounded up to 4, 0xFFFFFFFF for none
//   188    4  zero
//   192       LUT chunk: VornRawMeta::LutChunkHeader, then 3n^3 16-bit codes
//             of node 10 in the chunk's order, zero padding
//             design block: a 64-byte key, then the user LUT's design data;
//             without a user 3-D LUT the key "com.vorn.opx.video_param" and
//             a VornRawMeta::VideoParameters record (148 bytes)
//   S - note  look note, zero-padded
// Reading checks every offset, length and mesh against the atom before it
// applies anything. An atom whose design block carries the video parameter
// key applies the video parameters and leaves the user 3-D LUT and LUT file
// name alone; any other installs its LUT (copied) and design data (copied).
#pragma once

#include <vector>

#include "kvrError.h"
#include "kvrLutFunc.h"
#include "kvrVorn2MetaDataHandler.h"
#include "kvrVornRawMeta.h"

namespace Kalvora {

class DisplayColorSpace;

class Vorn2VornRawVideoLutHandler : public Vorn2MetaDataHandler {
public:
  static constexpr unsigned int kHeaderSize = 192;
  static constexpr unsigned int kChunkHeaderSize = 12;
  static constexpr unsigned int kKeyFieldSize = 64;
  static constexpr unsigned int kVideoBlockSize = kKeyFieldSize + 84;  // 148
  static constexpr unsigned int kAbsent = 0xFFFFFFFF;
  // Length of "com.apple.proapps.colorspace.", left out of the stored name.
  static constexpr unsigned int kColorSpacePrefixLength = 29;

  // Takes over mesh points and full-scale value of an installed user LUT.
  explicit Vorn2VornRawVideoLutHandler(Vorn2ImageCore* core);
  ~Vorn2VornRawVideoLutHandler() override;

  void getMetaData(void* buffer) override;
  void setMetaData(void const* buffer, unsigned int size) override;
  // Defaults, target Rec1886, an empty look file, no user 3-D LUT, the 19
  // video parameters at their defaults.
  void resetMetaData() override;
  unsigned int getMetaDataHeaderSize() override { return kHeaderSize; }
  // 192 + LUT chunk length + design block length + padded note length.
  unsigned int getMetaDataAtomSize() override;

  void setTargetColorSpace(DisplayColorSpace const* target);
  DisplayColorSpace const* getTargetColorSpace() const { return target_; }

  unsigned int getLutDataLength();
  // 148 without a user 3-D LUT; with one the design data size + 64, or 0
  // when it has no design data.
  unsigned int getLutDesignDataLength();
  unsigned int getLookNoteLength();
  void getLutChunkHeader(VornRawMeta::LutChunkHeader* header);
  // Writes the 3n^3 codes of node 10 (host order, unaligned output allowed).
  void get3DLutData(unsigned char* out);
  // Writes the design block: kNoError, or kMissingCalibration (6) with
  // nothing written when a user LUT is installed without design data.
  ErrorCode getLutDesignData(unsigned char* out);
  void getVideoParameters(VornRawMeta::VideoParameters* record);
  // Copies the 3n^3 codes of the current LUT format and installs them.
  void set3DLutData(unsigned char const* data);
  // Rejects a version above 1 (kUnknownMetaDataVersion) and a size other
  // than 84 (kIllegalValue), then sets the 19 parameters in record order.
  void setVideoParameters(VornRawMeta::VideoParameters const* record);
  // Applies a design block of size bytes (nothing for 0; below 64 bytes
  // kIllegalValue): the video parameter record, or key and design data.
  void setLutDesignData(unsigned char const* data, unsigned int size);
  // The colour space named at offset 100 of an atom (the atom holds at
  // least the 192-byte header); kUnknownColorSpace when none matches.
  ColorSpace readTargetColorSpace(void const* atom);

private:
  struct Layout;
  void refreshLutFormat();
  Layout checkLayout(unsigned char const* bytes, unsigned int size) const;
  void installCodes(unsigned char const* codes, unsigned int meshPoints, LutOrder order,
                    int maxValue);
  void applyDesignBlock(unsigned char const* block, uint64_t length);

  DisplayColorSpace const* target_;
  unsigned int meshPoints_;
  int maxValue_;
  LutOrder order_ = kLutInterleaved;
  unsigned char videoKey_[kKeyFieldSize] = {};
  bool userLutAtom_ = false;         // the last parsed atom carried a user LUT
  std::vector<unsigned short> lut_;  // its codes; the core refers to them
};

}  // namespace Kalvora
