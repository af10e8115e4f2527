// RGB of one colour space to RGB of another as a 3-D function: decode to
// linear light, convert the gamut, clamp to [0, 1], encode for the display.
#pragma once

#include "kvrLutFunc.h"
#include "kvrSrcColorSpaceInfo.h"

namespace Kalvora {

class ColorConversionFunc : public LutFunc3D {
public:
  // Borrows both colour spaces; computes nothing until init.
  ColorConversionFunc(const ColorSpaceInfo* src, const ColorSpaceInfo* dst);

  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override;

  // The new colour space takes effect at the next init.
  void setSourceColorSpace(const ColorSpaceInfo* src) { src_ = src; }
  void setDestinationColorSpace(const ColorSpaceInfo* dst) { dst_ = dst; }
  // Caches the conversion matrix and the transfer functions of both spaces.
  void init(bool pure);
  // Whether both colour spaces carry the same identifier.
  bool isUnity() const;
  void showConversion() const {}

private:
  const ColorSpaceInfo* src_;
  const ColorSpaceInfo* dst_;
  double matrix_[9];
  const LutFunc* linLut_;
  const LutFunc* gammaLuts_[3];
};

}  // namespace Kalvora
