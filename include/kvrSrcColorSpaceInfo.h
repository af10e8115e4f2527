// Colour space descriptions: the chromaticities of a white point and three
// primaries, an identifier, and the transfer functions between the encoded
// signal and linear light, with the colorimetric matrices derived from them.
#pragma once

#include "kvrLutFunc.h"
#include "kvrMath.h"

namespace Kalvora {

// A colour space that can be the source of a conversion.
class SrcColorSpaceInfo {
public:
  // Throws kIllegalValue unless white.x > 0 and white.y > 0. The name is a
  // string literal (not copied) and may be null.
  SrcColorSpaceInfo(Chromaticity white, Chromaticity red, Chromaticity green, Chromaticity blue,
                    const char* name);
  virtual ~SrcColorSpaceInfo() = default;

  // Signal to linear light.
  virtual const LutFunc* getLinLut(bool pure) const = 0;
  // Linear RGB of this space to linear RGB of dst, with CAT02 adaptation when
  // the white points differ by more than 0.001 in x or y.
  virtual void getConversionMatrix(const SrcColorSpaceInfo& dst, double (&m)[9]) const;
  // Three identical rows of luminance coefficients.
  virtual void getLumaMatrix(double (&m)[9]) const;
  // RGB to YPbPr; with digits > 0 every coefficient is rounded to that many
  // decimals and the luma row still sums to exactly 1.
  virtual void getYPbPrMatrix(double (&m)[9], int digits) const;
  // Identity by identifier only: a missing name matches everything.
  virtual bool operator==(const SrcColorSpaceInfo& other) const;
  virtual bool operator!=(const SrcColorSpaceInfo& other) const;
  // Whether name equals the identifier from its character skip on.
  virtual bool isColorSpace(const char* name, unsigned long skip) const;
  // The same against an unterminated buffer that starts with the identifier.
  virtual bool isColorSpace(const unsigned char* bytes, unsigned long skip) const;

  const char* getName() const { return name_; }
  unsigned long getNameLen() const;
  // Linear RGB to CIE XYZ with the white at Y = 1. Throws kIllegalValue when
  // the primaries and white give a singular matrix.
  void getXyzMatrix(double (&m)[9]) const;
  // XYZ of the white point with Y = 1.
  void getWhite(double& X, double& Z) const;
  const Chromaticity& getWhiteChromaticity() const { return white_; }
  // Area of the primaries' triangle in the xy plane.
  double gamutSize() const;

protected:
  // Whether identifier, read from its character skip on, equals name.
  static bool nameMatches(const char* identifier, const char* name, unsigned long skip);
  // Whether the buffer starts with identifier read from its character skip on.
  static bool bytesMatch(const char* identifier, const unsigned char* bytes, unsigned long skip);

private:
  Chromaticity white_;
  Chromaticity red_;
  Chromaticity green_;
  Chromaticity blue_;
  const char* name_;
};

// A colour space that can also be the destination of a display conversion.
class ColorSpaceInfo : public SrcColorSpaceInfo {
public:
  using SrcColorSpaceInfo::SrcColorSpaceInfo;

  // Linear light to signal for channel 0, 1 or 2 (red, green, blue).
  virtual const LutFunc* getGammaLut(int channel, bool pure) const = 0;
};

}  // namespace Kalvora
