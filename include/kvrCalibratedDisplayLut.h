// Display path of a viewfinder or monitor measured at the factory: linear
// source RGB goes through CIE XYZ into the display's own RGB (with the
// viewing saturation), and each channel is encoded with the measured white
// balance gain and the inverse of the measured transfer curve. Pointed at a
// destination colour space it behaves like a ColorConversionLut.
#pragma once

#include <memory>

#include "kvrColorConversionLut.h"
#include "kvrDisplayCalibration.h"
#include "kvrLinearInterpolator.h"

namespace Kalvora {

class CalibratedDisplayLut : public ColorConversionLut {
public:
  // No calibration at first: identity encoding and unit matrix.
  explicit CalibratedDisplayLut(const SrcColorSpaceInfo* src);
  ~CalibratedDisplayLut() override;

  // Records are borrowed, not copied: the caller keeps them alive while in
  // use. All of these throw a KvrSignal on failure.
  void setCalibrationData(const DisplayCalibration* data);
  void setCalibrationDataV2(const DisplayCalibrationV2* data);
  void setCalibrationDataV3(const DisplayCalibrationV3* data);
  // The record last accepted, or null.
  const DisplayCalibration* getCalibrationData() const;
  // m takes display RGB to XYZ; the display matrix becomes its inverse.
  void setXyz2RgbMatrix(const double (&m)[9]);
  // Leaves the destination colour space, so the calibration drives again.
  void useCalibrationData() { dst_ = nullptr; }
  // Every channel encodes with the inverse of f after its gain.
  void setMono(const LutFuncInv& f);

  bool isIdentity() const override;
  // Selects level 0 to 3 of a V3 record.
  void setLuminaceLevel(int level) override;

protected:
  const LutFunc* do_getGammaLut(int channel) const override;
  void do_getColorMatrix(double saturation, double (&m)[9]) const override;

  // Each channel encodes with the inverse of its own power curve.
  void setRGB();
  // Each channel encodes with the V3 curve of the current level, gain 1.
  void setRgbDisplayCurves();

private:
  static constexpr int kNoData = 999;

  // Inverts rgb2xyz into xyz2rgb; a singular matrix leaves the unit matrix.
  void invertDisplayMatrix(const double (&rgb2xyz)[9]);

  double xyz2rgb_[9];
  std::unique_ptr<LutFuncGain> gainFuncs_[3];
  std::unique_ptr<InverseLutFunc> invFuncs_[3];
  std::unique_ptr<PowerFunc> powerFuncs_[3];
  std::unique_ptr<LinearInterpolator> curves_[3];
  int luminanceLevel_ = 0;
  const DisplayCalibrationV2* calibV2_ = nullptr;
  const DisplayCalibrationV3* calibV3_ = nullptr;
  int dataTypeInUse_ = kNoData;
};

}  // namespace Kalvora
