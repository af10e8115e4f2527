// Vorn2LutHandler, the common part of the 3-D LUT atoms. Payload (big-endian):
//    0   4  header size H = 28 + name length rounded up to a multiple of 4
//    4   4  manufacturer id 0x564C4F4B ("VLOK")
//    8   2  version, written 1
//   10   2  revision, written 0
//   12   4  scaling factor 65535 (full-scale code value)
//   16   4  float: normalisation gain (parameter 6001)
//   20   4  float: normalisation offset (parameter 6002); neither is applied
//   24   2  mesh points, 33
//   26   2  colour space name length
//   28      colour space name, zero-padded to H: Rec1886 while converting,
//           else the handler's target
//    H 215622  33^3 grid points x R, G, B 16-bit codes, interleaved
//    then 2 zero bytes (atom size H + 215624)
// The core sets the convert flag before each get or size query according to
// the key (plain keys: Rec1886, master keys: the target).
#pragma once

#include "kvrVorn2MetaDataHandler.h"

namespace Kalvora {

class DisplayColorSpace;

class Vorn2LutHandler : public Vorn2MetaDataHandler {
public:
  static constexpr unsigned int kManufacturerId = 0x564C4F4B;
  static constexpr unsigned int kMinimumSize = 28;
  static constexpr unsigned int kMeshPoints = 33;
  static constexpr unsigned int kScaling = 65535;
  static constexpr unsigned int kLutBytes = 6 * 33 * 33 * 33;  // 215622
  static constexpr unsigned int kPaddedLutBytes = kLutBytes + 2;

  explicit Vorn2LutHandler(Vorn2ImageCore* core);
  ~Vorn2LutHandler() override;

  // Header size for the name getMetaData writes.
  unsigned int getMetaDataHeaderSize() override;
  unsigned int getMetaDataAtomSize() override;
  // Sets the look file's target (and so the core's) back to Rec1886.
  void resetMetaData() override;

  // The target the payload names; recomputes the header size.
  void setTargetColorSpace(DisplayColorSpace const* target);
  DisplayColorSpace const* getTargetColorSpace() const { return target_; }
  // Whether getMetaData writes the look converted to Rec1886.
  void convert2Rec709(bool convert) { convert_ = convert; }
  bool isConverting() const { return convert_; }

protected:
  // Writes the header and then the codes of node, big-endian; the node is
  // exported at 33 points, full scale 65535.
  void writeAtom(unsigned char* bytes, unsigned int node);
  // Checks the header in order and makes the named colour space the look
  // file's target; returns the header size.
  unsigned int readHeader(unsigned char const* bytes, unsigned int size);

private:
  DisplayColorSpace const* writtenSpace() const;

  DisplayColorSpace const* target_;
  unsigned int headerSize_;
  bool convert_ = false;
};

}  // namespace Kalvora
