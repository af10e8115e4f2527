// Vorn2LookParamV2Handler serves the look parameter atom with target colour
// space (and its older key). Payload (big-endian, H bytes):
//    0   4  header size H = 88 + name length rounded up to a multiple of 4
//    4   2  version, written 2
//    6   2  revision, written 0
//    8  76  19 floats: the parameters of VornRawMeta::kVideoParameterIds
//   84   2  colour space name length
//   86      colour space name of the target, zero-padded to H
// Setting resets first (the 19 parameters, the target to Rec1886), selects
// the named colour space as the look file's target and applies the first
// ten parameters, all 19 for version 2.
#pragma once

#include "kvrVorn2MetaDataHandler.h"

namespace Kalvora {

class DisplayColorSpace;

class Vorn2LookParamV2Handler : public Vorn2MetaDataHandler {
public:
  static constexpr unsigned int kMinimumSize = 88;

  explicit Vorn2LookParamV2Handler(Vorn2ImageCore* core);
  ~Vorn2LookParamV2Handler() override;

  void getMetaData(void* buffer) override;
  void setMetaData(void const* buffer, unsigned int size) override;
  void resetMetaData() override;
  unsigned int getMetaDataHeaderSize() override { return headerSize_; }

  // The target whose name the payload carries; recomputes the header size.
  void setTargetColorSpace(DisplayColorSpace const* target);
  DisplayColorSpace const* getTargetColorSpace() const { return target_; }

private:
  DisplayColorSpace const* target_;
  unsigned int headerSize_;
};

}  // namespace Kalvora
