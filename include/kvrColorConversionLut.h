// Display path for a display described by a colour space: the plain
// conversion matrix from the source and the destination's display encoding.
#pragma once

#include "kvrDisplayLut.h"

namespace Kalvora {

class ColorConversionLut : public DisplayLut {
public:
  // Both colour spaces are borrowed.
  ColorConversionLut(const SrcColorSpaceInfo* src, const ColorSpaceInfo* dst);
  ~ColorConversionLut() override;

  void setDestinationColorSpace(const ColorSpaceInfo* dst) { dst_ = dst; }

  // Source and destination carry the same identifier.
  bool isIdentity() const override;
  // A colour space display has a single luminance level.
  void setLuminaceLevel(int) override {}

protected:
  const LutFunc* do_getGammaLut(int channel) const override;
  // The viewing saturation is not applied to a colour space display.
  void do_getColorMatrix(double saturation, double (&m)[9]) const override;

  const ColorSpaceInfo* dst_;
};

}  // namespace Kalvora
