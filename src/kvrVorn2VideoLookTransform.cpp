#include "kvrVorn2VideoLookTransform.h"

#include <cmath>

#include "kvrMath.h"
#include "kvrSrcColorSpaceInfo.h"

namespace Kalvora {

namespace {

constexpr int kYPbPrDigits = 4;

// Min with 1, then negative values become 0; NaN passes.
double clamp01(double x) {
  if (x > 1.0) x = 1.0;
  return x < 0.0 ? 0.0 : x;
}

}  // namespace

Vorn2VideoLookTransform::Vorn2VideoLookTransform()
    : toneMap_(0.5, 0.5), videoSaturation_(1.0), used_(false) {
  copyRgbMat(sYccMatrix, yccMatrix_);
  copyRgbMat(sRgbMatrix, rgbMatrix_);
}

void Vorn2VideoLookTransform::setHueSaturation(HueCurve::Hue hue, double value) {
  hueCurve_.setSaturation(hue, value);
  used_ = true;
}

void Vorn2VideoLookTransform::setVideoSaturation(double value) {
  videoSaturation_ = value;
  used_ = true;
}

void Vorn2VideoLookTransform::setTonemapParameter(double blackGamma, double knee) {
  toneMap_.setShape(blackGamma, knee);
  used_ = true;
}

void Vorn2VideoLookTransform::setCombinedGamma(double value, Channel k) {
  checkChannel(k);
  videoCurves_[k].setPower(1.0 / value);
  used_ = true;
}

void Vorn2VideoLookTransform::setSlope(double value, Channel k) {
  checkChannel(k);
  videoCurves_[k].setSlope(value);
  used_ = true;
}

void Vorn2VideoLookTransform::setPedestal(double value, Channel k) {
  checkChannel(k);
  videoCurves_[k].setPedestal(value);
  used_ = true;
}

void Vorn2VideoLookTransform::setTargetColorSpace(const ColorSpaceInfo* cs) {
  if (!cs) return;
  cs->getYPbPrMatrix(yccMatrix_, kYPbPrDigits);
  // A singular matrix leaves the previous inverse in place.
  bool invertible = false;
  invMat(yccMatrix_, rgbMatrix_, invertible);
}

void Vorn2VideoLookTransform::reset() {
  toneMap_.setShape(0.5, 0.5);
  videoSaturation_ = 1.0;
  hueCurve_.reset();
  used_ = false;
}

void Vorn2VideoLookTransform::transform(double r, double g, double b, double& outR, double& outG,
                                        double& outB) const {
  double y, pb, pr;
  mulRgbMatVect(yccMatrix_, r, g, b, y, pb, pr);

  double pbOut = 0.0;
  double prOut = 0.0;
  if (std::sqrt(pr * pr + pb * pb) != 0.0) {
    const double k = hueCurve_.getChroma(std::atan2(pr, pb)) * videoSaturation_;
    pbOut = k * pb;
    prOut = k * pr;
  }
  const double yOut = toneMap_.transform(inverseToneMap_.transform(y));

  double r1, g1, b1;
  mulRgbMatVect(rgbMatrix_, yOut, pbOut, prOut, r1, g1, b1);
  outR = videoCurves_[Red].transform(clamp01(r1));
  outG = videoCurves_[Green].transform(clamp01(g1));
  outB = videoCurves_[Blue].transform(clamp01(b1));
}

}  // namespace Kalvora
