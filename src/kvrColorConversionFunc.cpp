#include "kvrColorConversionFunc.h"

#include <algorithm>

#include "kvrMath.h"

namespace Kalvora {

namespace {

// Linear light above the display's white or below black is clipped before
// encoding.
double clampLinear(double t) {
  t = std::min(t, 1.0);
  return t < 0.0 ? 0.0 : t;
}

}  // namespace

ColorConversionFunc::ColorConversionFunc(const ColorSpaceInfo* src, const ColorSpaceInfo* dst)
    : src_(src),
      dst_(dst),
      linLut_(&LutFunc::sUnity),
      gammaLuts_{&LutFunc::sUnity, &LutFunc::sUnity, &LutFunc::sUnity} {
  copyRgbMat(gUnityMatrix, matrix_);
}

void ColorConversionFunc::init(bool pure) {
  src_->getConversionMatrix(*dst_, matrix_);
  linLut_ = src_->getLinLut(pure);
  for (int channel = 0; channel < 3; ++channel)
    gammaLuts_[channel] = dst_->getGammaLut(channel, pure);
}

void ColorConversionFunc::transform(double r, double g, double b, double& outR, double& outG,
                                    double& outB) const {
  const double lr = linLut_->transform(r);
  const double lg = linLut_->transform(g);
  const double lb = linLut_->transform(b);
  double t[3];
  for (int i = 0; i < 3; ++i)
    t[i] = clampLinear((matrix_[3 * i] * lr + matrix_[3 * i + 1] * lg) + matrix_[3 * i + 2] * lb);
  outR = gammaLuts_[0]->transform(t[0]);
  outG = gammaLuts_[1]->transform(t[1]);
  outB = gammaLuts_[2]->transform(t[2]);
}

bool ColorConversionFunc::isUnity() const { return *src_ == *dst_; }

}  // namespace Kalvora
