#include "kvrElvexView.h"

namespace Kalvora {

namespace {

constexpr const char* kElvexViewName = "elvex_view";
constexpr double kOneThird = static_cast<double>(1.0f / 3.0f);

}  // namespace

ElvexView::ElvexView()
    : ColorSpaceInfo(Chromaticity(kOneThird, kOneThird), Chromaticity(1.0, 0.0),
                     Chromaticity(0.0, 1.0), Chromaticity(0.0, 0.0), kElvexViewName) {}

const LutFunc* ElvexView::getLinLut(bool) const { return &LutFunc::sUnity; }

void ElvexView::getConversionMatrix(const SrcColorSpaceInfo&, double (&m)[9]) const {
  copyRgbMat(gUnityMatrix, m);
}

void ElvexView::getLumaMatrix(double (&m)[9]) const {
  for (int row = 0; row < 3; ++row)
    for (int c = 0; c < 3; ++c) m[3 * row + c] = gLumaFactors[c];
}

const LutFunc* ElvexView::getGammaLut(int, bool) const { return &LutFunc::sUnity; }

bool ElvexView::isColorSpace(const SrcColorSpaceInfo* cs) {
  return cs && cs->isColorSpace(kElvexViewName, 0);
}

}  // namespace Kalvora
