// The display path of a monitor or viewfinder for one source colour space:
// a 1-D linearisation, a 3x3 matrix from linear source RGB to linear display
// RGB, and a per-channel display encoding, with a viewing gamma, a viewing
// saturation and a false-colour mode that paints exposure bands instead of
// encoding the picture.
#pragma once

#include <cstdint>

#include "kvrElvex.h"
#include "kvrFalseColorLut.h"
#include "kvrLutFunc.h"

namespace Kalvora {

class SrcColorSpaceInfo;
class ColorSpaceInfo;

// Where the false-colour bands of a video source come from.
enum FalseColorMode : int32_t {
  ElvexCurve = 0,     // bands set from the log curve by setElvexFalseColorLimits
  ElvexDefault = 1,   // the fixed log bands, with grey and skin following the curve
  DisplayLinear = 2,  // fixed bands in display-linear light
};

class DisplayLut {
public:
  using ColorRange = FalseColorLut::ColorRange;

  // Painting colours of the false-colour bands (red, green, blue).
  static const double sPurple[3];
  static const double sBlue[3];
  static const double sGreen[3];
  static const double sPink[3];
  static const double sYellow[3];
  static const double sRed[3];

  // Rows per false-colour table: six bands in use and six fixed defaults.
  static constexpr int kRangeCount = 12;
  static constexpr int kBandCount = 6;
  // Smallest width of a video false-colour band: one 10-bit code.
  static constexpr double kMinBandWidth = 0.0009775171065493646;

  // The source colour space is borrowed.
  explicit DisplayLut(const SrcColorSpaceInfo* src);
  DisplayLut(const DisplayLut&) = delete;
  DisplayLut& operator=(const DisplayLut&) = delete;
  virtual ~DisplayLut();

  // Whether the display path leaves the signal unchanged.
  virtual bool isIdentity() const = 0;
  // Selects a luminance level of the display (calibrated displays only).
  virtual void setLuminaceLevel(int level) = 0;

  void setSourceColorSpace(const SrcColorSpaceInfo* src) { src_ = src; }
  // False in false-colour mode, otherwise isIdentity().
  bool isUnity() const;
  // Both store the value and return isUnity().
  bool setFalseColor(bool on);
  // Throws kIllegalValue for a value that is not a FalseColorMode.
  bool setVideoFalseColorMode(FalseColorMode mode);
  // 1.0 or 0.0 switches the viewing gamma off; any other value raises the
  // clamped linear display light to 1/g before the display encoding.
  void setViewingGamma(double gamma);
  // Throws kIllegalValue unless the saturation is greater than 0.
  void setViewingSaturation(double saturation);
  // Sets the camera log bands from the curve's black, grey, skin and clip.
  void setElvexFalseColorLimits(const Elvex& elvex);
  // Camera log value to the source's video signal, for video false colour;
  // null restores the identity.
  void setVideoGrayScaleCurve(const LutFunc* curve);

  // The three stages. The returned objects belong to this object or to its
  // colour spaces and stay valid until the next call that rebuilds them.
  const LutFunc* getLinLut() const;
  void getColorMatrix(double (&m)[9]) const;
  const LutFuncRgb* getGammaLut();
  const LutFuncRgb* getGammaLutNoFalseColor();

  // Recomputes the video bands (rows 0 to 5 of the video table).
  void setVideoFalseColorLimits();
  // Makes bands 0 to n - 1 disjoint and at least minWidth wide, pushing
  // lower bands down, and stretches the outer bands to 0 and 1.001.
  static void setMinValuesByLimits(ColorRange* ranges, int n, double minWidth);

  // Plain conversion from the source to dst.
  void calculateColorMatrix(const ColorSpaceInfo* dst, double (&m)[9]) const;
  // Source RGB to XYZ with the saturation applied around the source's
  // luminance, then to display RGB, normalised so that white stays at most 1.
  void calculateColorMatrix(double saturation, const double (&xyz2rgb)[9], double (&m)[9]) const;
  // Same identifier as the source.
  bool isSrcColorSpace(const SrcColorSpaceInfo* cs) const;

protected:
  // The display encoding of one channel.
  virtual const LutFunc* do_getGammaLut(int channel) const = 0;
  // The linear source-to-display matrix with the viewing saturation.
  virtual void do_getColorMatrix(double saturation, double (&m)[9]) const = 0;

  ColorRange videoRanges_[kRangeCount];
  const SrcColorSpaceInfo* src_;
  bool falseColor_ = false;
  FalseColorMode falseColorMode_ = ElvexCurve;
  bool viewingGammaOn_ = false;
  double viewingSaturation_ = 1.0;
  FalseColorLut falseColorLut_;
  LutFuncTriple gammaTriple_;
  LutComposite viewingComposites_[3];
  LutFuncCdl viewingGammaCdl_;
  ColorRange elvexRanges_[kRangeCount];
  const LutFunc* grayCurve_ = &LutFunc::sUnity;

private:
  const LutFunc* displayEncoding(int channel);
  double videoBound(double logBound, const LutFunc& lin, const LutFunc& mono) const;
};

}  // namespace Kalvora
