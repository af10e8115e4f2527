// Vorn2CdlParamHandler serves the ASC CDL atom: saturation, then slope, offset and power of
// red, green and blue. Payload (44 bytes, big-endian):
// version 1 and revision 0 (16 bits each), then the ten parameter values as
// floats in the order of kIds. Setting resets the ten parameters first, so a
// rejected payload leaves them at their defaults.
#pragma once

#include "kvrVorn2MetaDataHandler.h"

namespace Kalvora {

class Vorn2CdlParamHandler : public Vorn2MetaDataHandler {
public:
  static constexpr unsigned int kIds[kParameterAtomCount] = {3040, 3011, 3012, 3013, 3001,
                                                             3002, 3003, 3021, 3022, 3023};

  explicit Vorn2CdlParamHandler(Vorn2ImageCore* core);
  ~Vorn2CdlParamHandler() override;

  void getMetaData(void* buffer) override;
  void setMetaData(void const* buffer, unsigned int size) override;
  void resetMetaData() override;
  unsigned int getMetaDataHeaderSize() override { return kParameterAtomSize; }
};

}  // namespace Kalvora
