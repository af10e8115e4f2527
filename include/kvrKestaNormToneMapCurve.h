// A tone curve rescaled through the video gamma so that a chosen input
// domain maps onto a chosen output range:
// clamp(scale * gamma(curve(x)) + offset).
#pragma once

#include "kvrLutFunc.h"

namespace Kalvora {

class KestaNormToneMapCurve : public LutFunc {
public:
  // The curve is borrowed; domain and range start as [0, 1].
  explicit KestaNormToneMapCurve(const LutFunc& curve);

  void setCurve(const LutFunc& curve);
  void setDomain(double low, double high);
  void setRange(double low, double high);

  double transform(double x) const override;

private:
  // Maps domainLow to rangeLow and domainHigh to rangeHigh. A curve that is
  // flat over the domain gives an infinite scale.
  void updateScaling();

  const LutFunc* curve_;
  const LutFunc* gamma_;
  double domainLow_;
  double domainHigh_;
  double rangeLow_;
  double rangeHigh_;
  double offset_;
  double scale_;
};

}  // namespace Kalvora
