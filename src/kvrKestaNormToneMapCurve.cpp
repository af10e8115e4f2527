#include "kvrKestaNormToneMapCurve.h"

#include "kvrPfwl.h"
#include "kvrToneCurve.h"

namespace Kalvora {

KestaNormToneMapCurve::KestaNormToneMapCurve(const LutFunc& curve)
    : curve_(&curve),
      gamma_(&Pfwl::sGamma24),
      domainLow_(0.0),
      domainHigh_(1.0),
      rangeLow_(0.0),
      rangeHigh_(1.0),
      offset_(0.0),
      scale_(1.0) {
  updateScaling();
}

void KestaNormToneMapCurve::setCurve(const LutFunc& curve) {
  curve_ = &curve;
  updateScaling();
}

void KestaNormToneMapCurve::setDomain(double low, double high) {
  domainLow_ = low;
  domainHigh_ = high;
  updateScaling();
}

void KestaNormToneMapCurve::setRange(double low, double high) {
  rangeLow_ = low;
  rangeHigh_ = high;
  updateScaling();
}

void KestaNormToneMapCurve::updateScaling() {
  const double a = gamma_->transform(curve_->transform(domainLow_));
  const double b = gamma_->transform(curve_->transform(domainHigh_));
  scale_ = (rangeHigh_ - rangeLow_) / (b - a);
  offset_ = rangeLow_ - scale_ * a;
}

double KestaNormToneMapCurve::transform(double x) const {
  return clampToneOutput(scale_ * gamma_->transform(curve_->transform(x)) + offset_);
}

}  // namespace Kalvora
