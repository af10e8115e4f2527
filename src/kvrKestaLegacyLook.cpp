#include "kvrKestaLegacyLook.h"

#include "kvrColorSpaces.h"
#include "kvrMath.h"
#include "kvrPfwl.h"

namespace Kalvora {

namespace {

// Min with 1, then negative values become 0; NaN passes.
double clamp01(double x) {
  if (x > 1.0) x = 1.0;
  return x < 0.0 ? 0.0 : x;
}

}  // namespace

KestaLegacyLook::KestaLegacyLook()
    : toneMap_(new KestaToneMapCurve(0.5, 0.5)),
      normToneMap_(new KestaNormToneMapCurve(*toneMap_)) {
  normToneMap_->setRange(kRangeLow, 1.0);
}

// The normalised curve refers to the tone curve, so it goes first.
KestaLegacyLook::~KestaLegacyLook() {
  normToneMap_.reset();
  toneMap_.reset();
}

void KestaLegacyLook::updateNormalization(double lo, double hi) { normToneMap_->setDomain(lo, hi); }

void KestaLegacyLook::transform(double r, double g, double b, double& outR, double& outG,
                                double& outB) const {
  double r1, g1, b1;
  mulRgbMatVect(gKestaWgTmRec709Mat, normToneMap_->transform(r), normToneMap_->transform(g),
                normToneMap_->transform(b), r1, g1, b1);
  const Pfwl& videoGamma = Pfwl::getVideoGamma();
  outR = videoGamma.inverse(clamp01(r1));
  outG = videoGamma.inverse(clamp01(g1));
  outB = videoGamma.inverse(clamp01(b1));
}

}  // namespace Kalvora
