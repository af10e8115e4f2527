// Vorn2LookFileInfoHandler serves the look information atom: the look file's
// LUT file name and look note. Payload (big-endian, H bytes):
//    0   4  header size H = 76 + note length rounded up to a multiple of 4
//    4   2  version: 1 for a Rec1886 target, else 2
//    6   2  revision, written 0
//    8   2  LUT file name length, 0..64
//   10  64  LUT file name, zero-padded
//   74   2  look note length, 0..1024
//   76      look note, zero-padded to H
// Setting empties name and note first; lengths are checked against the
// payload before anything is copied.
#pragma once

#include "kvrVorn2MetaDataHandler.h"

namespace Kalvora {

class Vorn2LookFileInfoHandler : public Vorn2MetaDataHandler {
public:
  static constexpr unsigned int kMinimumSize = 76;

  explicit Vorn2LookFileInfoHandler(Vorn2ImageCore* core);
  ~Vorn2LookFileInfoHandler() override;

  void getMetaData(void* buffer) override;
  void setMetaData(void const* buffer, unsigned int size) override;
  void resetMetaData() override;
  unsigned int getMetaDataHeaderSize() override;

  // The version getMetaData writes; the core keeps it in step with its target.
  void setVersion(int version) { version_ = version; }
  int getVersion() const { return version_; }

private:
  int version_ = 1;
};

}  // namespace Kalvora
