// The camera's earlier video look as a fixed 3-D function: every channel of
// the camera log signal goes through the normalised legacy tone curve, then
// the tone-mapped wide-gamut-to-Rec.709 matrix, a clamp and the video gamma
// encoding. Only the input normalisation follows the exposure index.
#pragma once

#include <memory>

#include "kvrKestaNormToneMapCurve.h"
#include "kvrKestaToneMapCurve.h"
#include "kvrLutFunc.h"

namespace Kalvora {

class KestaLegacyLook : public LutFunc3D {
public:
  // Neutral tone curve; the normalised curve's output range starts at 5/4095.
  KestaLegacyLook();
  ~KestaLegacyLook() override;

  KestaLegacyLook(const KestaLegacyLook&) = delete;
  KestaLegacyLook& operator=(const KestaLegacyLook&) = delete;

  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override;

  // The log codes of black and of the clipping level map to the ends of the
  // output range.
  void updateNormalization(double lo, double hi);

  // Lowest output of the normalised tone curve (5/4095 in single precision).
  static constexpr double kRangeLow = 0.0012210012646391988;

private:
  std::unique_ptr<KestaToneMapCurve> toneMap_;
  std::unique_ptr<KestaNormToneMapCurve> normToneMap_;  // refers to toneMap_
};

}  // namespace Kalvora
