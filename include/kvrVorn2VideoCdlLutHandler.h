// Vorn2VideoCdlLutHandler serves the look's 3-D LUT including the CDL (node 14, or node 13
// while converting to Rec1886). Setting only selects the named colour space:
// the codes of the payload are not applied.
#pragma once

#include <vector>

#include "kvrVorn2LutHandler.h"

namespace Kalvora {

class Vorn2VideoCdlLutHandler : public Vorn2LutHandler {
public:
  explicit Vorn2VideoCdlLutHandler(Vorn2ImageCore* core);
  ~Vorn2VideoCdlLutHandler() override;

  void getMetaData(void* buffer) override;
  void setMetaData(void const* buffer, unsigned int size) override;
  void resetMetaData() override;
};

}  // namespace Kalvora
