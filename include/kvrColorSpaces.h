// The registry of the eight target display colour spaces, found by number or
// by identifier, and the published matrices from the camera's wide-gamut RGB
// to other spaces.
#pragma once

#include <cstdint>
#include <memory>

#include "kvrDisplayColorSpace.h"

namespace Kalvora {

// The registry index of each target display colour space.
enum ColorSpace : int32_t {
  Rec1886 = 0,
  Rec2020Gamma24 = 1,
  P3DciGamma26 = 2,
  P3D65Gamma26 = 3,
  P3D60Gamma26 = 4,
  Rec2100Pq = 5,
  Rec2100Hlg = 6,
  AcesProxy = 7
};

// Builds its own DisplayColorSpace for every ColorSpace value.
//
// The PQ and HLG entries (5 and 6) linearise and encode with the legacy
// gamma 3.0 display curve (Pfwl::sGamma30), not with the PQ or HLG transfer
// function, and the ACESproxy entry (7) is linear. A ColorConversionFunc
// between registry entries (as in Vorn2ImageCore::convert3dLut2Rec709)
// therefore treats them that way. The true PQ and HLG rendering is the
// video look's: node 10 and exports 14 and 15 of the LUT generator for a PQ
// or HLG target (exports 12 and 13 give the legacy camera look there).
class ColorSpaces {
public:
  static constexpr int kCount = 8;

  ColorSpaces();
  virtual ~ColorSpaces();

  ColorSpaces(const ColorSpaces&) = delete;
  ColorSpaces& operator=(const ColorSpaces&) = delete;

  // Null for an id outside 0 to 7.
  const DisplayColorSpace* forId(ColorSpace id) const;
  // The first entry, in id order, that answers to the name (alternative
  // identifier first, then the main one), or null.
  const DisplayColorSpace* forName(const char* name) const;

  // Main identifier of an entry, without building the registry; null for an
  // id outside 0 to 7.
  static const char* identifier(ColorSpace id);

private:
  std::unique_ptr<DisplayColorSpace> entries_[kCount];
};

// Camera wide-gamut linear RGB to other spaces (row-major, column vectors).
// The two tone-mapped (Tm) matrices are the ones the library uses itself.
extern const double gKestaWgTmRec709Mat[9];
extern const double gKestaWgTmP3Mat[9];
extern const double gKestaWgRec709Mat[9];
extern const double gKestaWgP3Mat[9];
extern const double gKestaWgAcesMat[9];
extern const double gKestaWgLogFilmMat[9];
// Camera wide-gamut linear RGB to CIE XYZ (D65 white at Y = 1).
extern const double gKestaWgXyz[9];

}  // namespace Kalvora
