#include "kvrCalibratedDisplayLut.h"

#include "kvrError.h"
#include "kvrMath.h"
#include "kvrPfwl.h"
#include "kvrSrcColorSpaceInfo.h"

#define KVR_SOURCE "src/kvrCalibratedDisplayLut"

namespace Kalvora {

namespace {

// Exponent of the pure power display curve (1.4 in single precision).
constexpr double kPower14 = 1.399999976158142;

void checkKnotCount(const DisplayCalibrationV3& data) {
  if (!(1 <= data.count && data.count <= DisplayCalibrationV3::kMaxKnots))
    throw KvrSignal(kIllegalValue, KVR_HERE,
                    "Illegal number of curve points in calibration data (1 to 21)!");
}

}  // namespace

CalibratedDisplayLut::CalibratedDisplayLut(const SrcColorSpaceInfo* src)
    : ColorConversionLut(src, nullptr) {
  copyRgbMat(gUnityMatrix, xyz2rgb_);
  for (auto& gain : gainFuncs_) gain = std::make_unique<LutFuncGain>();
}

CalibratedDisplayLut::~CalibratedDisplayLut() = default;

// ---- calibration records ---------------------------------------------------

void CalibratedDisplayLut::setCalibrationData(const DisplayCalibration* data) {
  const uint32_t type = data != nullptr ? data->dataType : 0;
  if (type == DisplayCalibration::kDataTypeV2) {
    setCalibrationDataV2(static_cast<const DisplayCalibrationV2*>(data));
  } else if (type == DisplayCalibration::kDataTypeV3) {
    setCalibrationDataV3(static_cast<const DisplayCalibrationV3*>(data));
  } else {
    dataTypeInUse_ = kNoData;
    throw KvrSignal(kIllegalValue, KVR_HERE, "Unknown calibration data type");
  }
}

void CalibratedDisplayLut::setCalibrationDataV2(const DisplayCalibrationV2* data) {
  if (data == nullptr) throw KvrSignal(kIllegalValue, KVR_HERE, "Unknown calibration data type");
  calibV2_ = data;
  invertDisplayMatrix(data->rgb2xyz);
  switch (data->gammaCode) {
    case DisplayCalibrationV2::kGammaPower14:
      powerFuncs_[0] = std::make_unique<PowerFunc>(kPower14);
      setMono(*powerFuncs_[0]);
      break;
    case DisplayCalibrationV2::kGammaSrgb:
      setMono(Pfwl::getSrgbGamma());
      break;
    case DisplayCalibrationV2::kGammaVideo:
      setMono(Pfwl::getVideoGamma());
      break;
    case DisplayCalibrationV2::kGammaDci:
      setMono(Pfwl::getDCIGamma());
      break;
    case DisplayCalibrationV2::kGammaPerChannel:
      if (data->version >= 2) {
        for (int k = 0; k < 3; ++k) powerFuncs_[k] = std::make_unique<PowerFunc>(data->gamma[k]);
        setRGB();
        break;
      }
      [[fallthrough]];
    default:
      throw KvrSignal(kReadOnly, KVR_HERE, "Illegal value for gamma!");
  }
  for (int k = 0; k < 3; ++k) gainFuncs_[k]->setGain(data->gain[k]);
  dataTypeInUse_ = DisplayCalibration::kDataTypeV2;
}

void CalibratedDisplayLut::setCalibrationDataV3(const DisplayCalibrationV3* data) {
  if (data == nullptr) throw KvrSignal(kIllegalValue, KVR_HERE, "Unknown calibration data type");
  checkKnotCount(*data);
  calibV3_ = data;
  invertDisplayMatrix(data->levels[luminanceLevel_].rgb2xyz);
  setRgbDisplayCurves();
  dataTypeInUse_ = DisplayCalibration::kDataTypeV3;
}

const DisplayCalibration* CalibratedDisplayLut::getCalibrationData() const {
  switch (dataTypeInUse_) {
    case kNoData:
      return nullptr;
    case DisplayCalibration::kDataTypeV2:
      return calibV2_;
    case DisplayCalibration::kDataTypeV3:
      return calibV3_;
    default:
      throw KvrSignal(kIllegalValue, KVR_HERE, "Unknown calibration data type");
  }
}

void CalibratedDisplayLut::setLuminaceLevel(int level) {
  if (calibV3_ == nullptr)
    throw KvrSignal(kMissingCalibration, KVR_HERE, "No calibration data available!");
  if (!(0 <= level && level < DisplayCalibrationV3::kLevelCount))
    throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal luminance value!");
  // The record is borrowed and may have changed since it was accepted.
  checkKnotCount(*calibV3_);
  luminanceLevel_ = level;
  invertDisplayMatrix(calibV3_->levels[level].rgb2xyz);
  setRgbDisplayCurves();
}

// ---- display matrix and encodings ------------------------------------------

void CalibratedDisplayLut::setXyz2RgbMatrix(const double (&m)[9]) { invertDisplayMatrix(m); }

void CalibratedDisplayLut::invertDisplayMatrix(const double (&rgb2xyz)[9]) {
  bool ok = false;
  invMat(rgb2xyz, xyz2rgb_, ok);
  if (!ok) {
    copyRgbMat(gUnityMatrix, xyz2rgb_);
    throw KvrSignal(kIllegalValue, KVR_HERE, "Non invertible matrix!");
  }
}

void CalibratedDisplayLut::setMono(const LutFuncInv& f) {
  invFuncs_[0] = std::make_unique<InverseLutFunc>(f);
  for (auto& gain : gainFuncs_) gain->setFunc(*invFuncs_[0]);
}

void CalibratedDisplayLut::setRGB() {
  for (int k = 0; k < 3; ++k) {
    invFuncs_[k] = std::make_unique<InverseLutFunc>(*powerFuncs_[k]);
    gainFuncs_[k]->setFunc(*invFuncs_[k]);
  }
}

void CalibratedDisplayLut::setRgbDisplayCurves() {
  const DisplayCalibrationV3::Level& level = calibV3_->levels[luminanceLevel_];
  for (int k = 0; k < 3; ++k) {
    const DisplayCalibrationV3::Level::Curve& curve = level.curve[k];
    curves_[k] = std::make_unique<LinearInterpolator>(curve.x, curve.y, calibV3_->xScale,
                                                      calibV3_->yScale, calibV3_->count);
    gainFuncs_[k]->setFunc(*curves_[k]);
    gainFuncs_[k]->setGain(1.0);
  }
}

// ---- display path ----------------------------------------------------------

bool CalibratedDisplayLut::isIdentity() const { return dst_ != nullptr && isSrcColorSpace(dst_); }

const LutFunc* CalibratedDisplayLut::do_getGammaLut(int channel) const {
  if (dst_ != nullptr) return dst_->getGammaLut(channel, false);
  return gainFuncs_[channel].get();
}

void CalibratedDisplayLut::do_getColorMatrix(double saturation, double (&m)[9]) const {
  if (dst_ != nullptr)
    calculateColorMatrix(dst_, m);
  else
    calculateColorMatrix(saturation, xyz2rgb_, m);
}

}  // namespace Kalvora
