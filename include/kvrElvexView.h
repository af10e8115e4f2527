// The pseudo colour space "elvex_view": the camera log signal passes through
// a conversion from it unchanged.
#pragma once

#include "kvrSrcColorSpaceInfo.h"

namespace Kalvora {

class ElvexView : public ColorSpaceInfo {
public:
  ElvexView();

  // The identity whatever the arguments.
  const LutFunc* getLinLut(bool pure) const override;
  // The unit matrix whatever the destination.
  void getConversionMatrix(const SrcColorSpaceInfo& dst, double (&m)[9]) const override;
  // Three rows of gLumaFactors.
  void getLumaMatrix(double (&m)[9]) const override;
  // The identity whatever the arguments.
  const LutFunc* getGammaLut(int channel, bool pure) const override;

  // Whether cs answers to "elvex_view".
  static bool isColorSpace(const SrcColorSpaceInfo* cs);
  using ColorSpaceInfo::isColorSpace;
};

}  // namespace Kalvora
