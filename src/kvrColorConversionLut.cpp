#include "kvrColorConversionLut.h"

#include "kvrSrcColorSpaceInfo.h"

namespace Kalvora {

ColorConversionLut::ColorConversionLut(const SrcColorSpaceInfo* src, const ColorSpaceInfo* dst)
    : DisplayLut(src), dst_(dst) {}

ColorConversionLut::~ColorConversionLut() = default;

bool ColorConversionLut::isIdentity() const { return isSrcColorSpace(dst_); }

const LutFunc* ColorConversionLut::do_getGammaLut(int channel) const {
  return dst_->getGammaLut(channel, false);
}

void ColorConversionLut::do_getColorMatrix(double, double (&m)[9]) const {
  calculateColorMatrix(dst_, m);
}

}  // namespace Kalvora
