#include "kvrKestaLegacyView.h"

#include "kvrColorSpaces.h"
#include "kvrDisplayColorSpace.h"
#include "kvrKestaNormToneMapCurve.h"
#include "kvrKestaToneMapCurve.h"

namespace Kalvora {

namespace {

// Neutral black gamma and knee of the legacy tone curve.
constexpr double kNeutralControl = 0.5;
// Lowest normalised output: code 5 of 4095, in single precision.
constexpr double kRangeLow = static_cast<double>(5.0f / 4095.0f);

}  // namespace

KestaLegacyView::KestaLegacyView()
    : SrcColorSpaceInfo(Chromaticity(0.3127, 0.329), Chromaticity(0.6479, 0.3146),
                        Chromaticity(0.2414, 0.7327), Chromaticity(0.078, -0.1174),
                        "kesta_legacy_view"),
      toneMap_(new KestaToneMapCurve(kNeutralControl, kNeutralControl)),
      normToneMap_(new KestaNormToneMapCurve(*toneMap_)) {
  normToneMap_->setRange(kRangeLow, 1.0);
}

KestaLegacyView::~KestaLegacyView() = default;

const LutFunc* KestaLegacyView::getLinLut(bool) const { return normToneMap_.get(); }

void KestaLegacyView::getConversionMatrix(const SrcColorSpaceInfo& dst, double (&m)[9]) const {
  const DisplayColorSpace rec1886(Chromaticity(0.3127, 0.329), Chromaticity(0.64, 0.33),
                                  Chromaticity(0.3, 0.6), Chromaticity(0.15, 0.06), EotfType::Gamma,
                                  static_cast<double>(2.4f), ColorSpaces::identifier(Rec1886),
                                  nullptr);
  double toDst[9];
  rec1886.SrcColorSpaceInfo::getConversionMatrix(dst, toDst);
  mulRgbMat(toDst, gKestaWgTmRec709Mat, m);
}

void KestaLegacyView::getLumaMatrix(double (&m)[9]) const {
  for (int row = 0; row < 3; ++row)
    for (int c = 0; c < 3; ++c) m[3 * row + c] = gLumaFactors[c];
}

void KestaLegacyView::updateNormalization(double lo, double hi) { normToneMap_->setDomain(lo, hi); }

}  // namespace Kalvora
