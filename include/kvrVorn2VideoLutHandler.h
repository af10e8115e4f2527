// Vorn2VideoLutHandler serves the look's 3-D LUT (node 10, or node 12 while converting to
// Rec1886). Setting installs the payload's codes as the core's user 3-D LUT
// (the handler keeps its own copy); resetting removes it.
#pragma once

#include <vector>

#include "kvrVorn2LutHandler.h"

namespace Kalvora {

class Vorn2VideoLutHandler : public Vorn2LutHandler {
public:
  explicit Vorn2VideoLutHandler(Vorn2ImageCore* core);
  ~Vorn2VideoLutHandler() override;

  void getMetaData(void* buffer) override;
  void setMetaData(void const* buffer, unsigned int size) override;
  void resetMetaData() override;

private:
  std::vector<unsigned short> lut_;  // the last parsed LUT; the core refers to it
};

}  // namespace Kalvora
