// Vorn2LookParamHandler serves the look parameter atom: tone map (4002, 4001), master gamma, video
// saturation and the six hue saturations. Payload (44 bytes, big-endian):
// version 1 and revision 0 (16 bits each), then the ten parameter values as
// floats in the order of kIds. Setting resets the ten parameters first, so a
// rejected payload leaves them at their defaults.
#pragma once

#include "kvrVorn2MetaDataHandler.h"

namespace Kalvora {

class Vorn2LookParamHandler : public Vorn2MetaDataHandler {
public:
  static constexpr unsigned int kIds[kParameterAtomCount] = {4002, 4001, 5051, 5040, 5061,
                                                             5062, 5063, 5064, 5065, 5066};

  explicit Vorn2LookParamHandler(Vorn2ImageCore* core);
  ~Vorn2LookParamHandler() override;

  void getMetaData(void* buffer) override;
  void setMetaData(void const* buffer, unsigned int size) override;
  void resetMetaData() override;
  unsigned int getMetaDataHeaderSize() override { return kParameterAtomSize; }
};

}  // namespace Kalvora
