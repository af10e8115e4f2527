// The per-channel gamma stage of the camera branch: a mono curve shared by
// all channels followed by one colour curve per channel.
#pragma once

#include "kvrLutFunc.h"

namespace Kalvora {

class KestaGammaCurve : public LutFuncTriple {
public:
  // Every stage starts as the identity.
  KestaGammaCurve();

  // The stage applied first, to every channel. Borrowed.
  void setMonoChannel(const LutFunc& mono);
  // The colour curve of channel c (0 red, 1 green, 2 blue). Borrowed.
  void setColorChannel(int channel, const LutFunc& func) override;
  // Channel c's whole path, x -> colour c(mono(x)), so that a LutAdapter
  // built from this triple applies both stages per channel.
  const LutFunc& getColorChannel(int channel) const override;

  // m = mono(x); each output is its colour curve at m.
  void transform(double x, double& r, double& g, double& b) const override;

private:
  const LutFunc* mono_;
  LutComposite composite_[3];
};

}  // namespace Kalvora
