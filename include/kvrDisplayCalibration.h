// Factory measurements of a viewfinder or monitor display: the display's
// RGB-to-XYZ matrix, its white balance and its transfer curve, as a record
// with one matrix and a gamma code (V2) or with four luminance levels, each
// with its own matrix and three measured piecewise-linear curves (V3).
#pragma once

#include <cstdint>

namespace Kalvora {

// Common header of the calibration records.
class DisplayCalibration {
public:
  // Values of dataType.
  static constexpr uint32_t kDataTypeV2 = 1;
  static constexpr uint32_t kDataTypeV3 = 2;

  explicit DisplayCalibration(uint32_t dataTypeValue) : dataType(dataTypeValue) {}
  virtual ~DisplayCalibration();

  uint16_t version = 2;    // per-channel gammas (gamma code 101) need version 2 or more
  uint16_t displayId = 0;  // identifies the measured display; not interpreted
  uint32_t dataType;       // kDataTypeV2 or kDataTypeV3
};

// One matrix, three white balance gains and a transfer curve.
class DisplayCalibrationV2 : public DisplayCalibration {
public:
  // Accepted values of gammaCode: a pure power of 1.4, the sRGB-like, video
  // and DCI curves with linear toe, or per-channel powers given by gamma[].
  static constexpr uint32_t kGammaPower14 = 14;
  static constexpr uint32_t kGammaSrgb = 22;
  static constexpr uint32_t kGammaVideo = 24;
  static constexpr uint32_t kGammaDci = 26;
  static constexpr uint32_t kGammaPerChannel = 101;

  DisplayCalibrationV2() : DisplayCalibration(kDataTypeV2) {}
  ~DisplayCalibrationV2() override;

  double rgb2xyz[9] = {};  // display RGB to CIE XYZ, row-major
  double gain[3] = {};     // red, green, blue gains of linear light before encoding
  uint32_t gammaCode = 0;  // the display transfer curve
  double gamma[3] = {};    // per-channel exponents for kGammaPerChannel
};

// Four luminance levels, each with its own matrix and measured curves.
class DisplayCalibrationV3 : public DisplayCalibration {
public:
  static constexpr int kLevelCount = 4;
  static constexpr int kMaxKnots = 21;

  struct Level {
    // Knots of one channel's transfer curve: positions in codes of xScale,
    // values in codes of yScale.
    struct Curve {
      uint16_t x[kMaxKnots];
      uint8_t y[kMaxKnots];
    };

    double luminance = 0.0;  // carried for the host; the library does not read it
    double rgb2xyz[9] = {};  // display RGB to CIE XYZ at this level
    Curve curve[3] = {};     // red, green, blue
  };

  DisplayCalibrationV3() : DisplayCalibration(kDataTypeV3) {}
  ~DisplayCalibrationV3() override;

  Level levels[kLevelCount] = {};
  int count = 0;   // knots of every curve, 1 to kMaxKnots
  int xScale = 0;  // full-scale code of the curves' x values
  int yScale = 0;  // full-scale code of the curves' y values
};

}  // namespace Kalvora
