// The source colour space of the legacy camera look: the log signal through
// the legacy tone curve, normalised through the video gamma, with the camera
// wide gamut converted by the tone-mapped Rec.709 matrix.
#pragma once

#include <memory>

#include "kvrSrcColorSpaceInfo.h"

namespace Kalvora {

class KestaToneMapCurve;
class KestaNormToneMapCurve;

class KestaLegacyView : public SrcColorSpaceInfo {
public:
  KestaLegacyView();
  ~KestaLegacyView() override;

  KestaLegacyView(const KestaLegacyView&) = delete;
  KestaLegacyView& operator=(const KestaLegacyView&) = delete;

  // The normalised tone curve whatever pure is.
  const LutFunc* getLinLut(bool pure) const override;
  // The tone-mapped wide-gamut to Rec.709 matrix followed by the conversion
  // from Rec.1886 to dst; the primaries of this description are not used.
  void getConversionMatrix(const SrcColorSpaceInfo& dst, double (&m)[9]) const override;
  // Three rows of gLumaFactors.
  void getLumaMatrix(double (&m)[9]) const override;

  // The log-signal domain that the normalised tone curve maps onto its range.
  void updateNormalization(double lo, double hi);

private:
  // Destroyed in reverse order: the normalised curve before the curve it uses.
  std::unique_ptr<KestaToneMapCurve> toneMap_;
  std::unique_ptr<KestaNormToneMapCurve> normToneMap_;
};

}  // namespace Kalvora
