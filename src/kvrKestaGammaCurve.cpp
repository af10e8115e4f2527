#include "kvrKestaGammaCurve.h"

namespace Kalvora {

KestaGammaCurve::KestaGammaCurve() : mono_(&LutFunc::sUnity) {}

void KestaGammaCurve::setMonoChannel(const LutFunc& mono) {
  mono_ = &mono;
  for (LutComposite& c : composite_) c.setRhs(mono);
}

void KestaGammaCurve::setColorChannel(int channel, const LutFunc& func) {
  LutFuncTriple::setColorChannel(channel, func);
  composite_[channel].setLhs(func);
}

const LutFunc& KestaGammaCurve::getColorChannel(int channel) const { return composite_[channel]; }

void KestaGammaCurve::transform(double x, double& r, double& g, double& b) const {
  const double m = mono_->transform(x);
  LutFuncTriple::transform(m, r, g, b);
}

}  // namespace Kalvora
