// The setter interface of the video look: the look parameters of the image
// core reach either the built-in look or the look applied after a user 3-D
// LUT through it. Both are 3-D functions from RGB to RGB.
#pragma once

#include <cstdint>

#include "kvrHueCurve.h"
#include "kvrLutFunc.h"

namespace Kalvora {

class ColorSpaceInfo;

class Vorn2VideoLutInterface : public LutFunc3D {
public:
  // Colour channel, used as an index.
  enum Channel : int32_t { Red = 0, Green = 1, Blue = 2 };

  // RGB to luma Y and the two chroma axes Cb and Cr of the look. Its chroma
  // rows sum to about -2e-8 and +2e-8, so greys carry a tiny chroma.
  static const double sYccMatrix[9];
  // (Y, Cb, Cr) back to RGB.
  static const double sRgbMatrix[9];
  // Linear camera wide gamut to linear Rec.709 and Rec.2020.
  static const double sKestaWg2Rec709Mat[9];
  static const double sKestaWg2Rec2020Mat[9];
  // Weights of the "value" V = 0.3 r + 0.5 g + 0.2 b.
  static const double sValueWeight[3];
  // Hue angles (radians, before the offset of 0.5) of the blue highlight
  // compression for diffuse whites of 100 and 200 nits.
  static const double sHueRotationForBlueCompression_w100;
  static const double sHueRotationForBlueCompression_w200;
  // Chroma that the HDR highlight compression converges to.
  static const double sHighlightSaturation;
  // Lowest PQ output, in nits.
  static const double sBlackLevel;

  Vorn2VideoLutInterface();
  ~Vorn2VideoLutInterface() override = default;

  virtual void setHueSaturation(HueCurve::Hue hue, double value) = 0;
  virtual void setVideoSaturation(double value) = 0;
  virtual void setTonemapParameter(double blackGamma, double knee) = 0;
  // The gamma actually applied to a channel: master gamma times channel gamma.
  virtual void setCombinedGamma(double value, Channel k) = 0;
  virtual void setSlope(double value, Channel k) = 0;
  virtual void setPedestal(double value, Channel k) = 0;
  virtual void setTargetColorSpace(const ColorSpaceInfo* cs) = 0;

  // Stores the master gamma and re-applies the combined gamma of red, green
  // and blue, in that order.
  void setMasterGamma(double g);
  // Stores the gamma of one channel and applies its combined gamma.
  void setGamma(double g, Channel k);

  double getMasterGamma() const { return masterGamma_; }
  double getGamma(Channel k) const;

protected:
  // Throws kIllegalIndex unless k is Red, Green or Blue.
  static void checkChannel(Channel k);

private:
  double masterGamma_;
  double gamma_[3];
};

}  // namespace Kalvora
