#include "kvrFalseColorLut.h"

#include "kvrError.h"

#define KVR_SOURCE "src/kvrFalseColorLut"

namespace Kalvora {

FalseColorLut::FalseColorLut() : mono_(&LutFunc::sUnity), count_(0), ranges_(nullptr) {}

FalseColorLut::FalseColorLut(const ColorRange* ranges, int count)
    : mono_(&LutFunc::sUnity), count_(count), ranges_(ranges) {}

void FalseColorLut::setColorRange(const ColorRange* ranges, int count) {
  ranges_ = ranges;
  count_ = count;
}

void FalseColorLut::setMonoChannel(const LutFunc& func) { mono_ = &func; }

int FalseColorLut::rowCount() const { return ranges_ != nullptr && count_ > 0 ? count_ : 0; }

void FalseColorLut::transform(double x, double& r, double& g, double& b) const {
  const double v = mono_->transform(x);
  if (v >= 0.0) {
    const int rows = rowCount();
    for (int i = 0; i < rows; ++i) {
      const ColorRange& band = ranges_[i];
      if (band.min <= v && v < band.max) {
        r = band.red;
        g = band.green;
        b = band.blue;
        return;
      }
    }
  }
  r = g = b = v;
}

void FalseColorLut::getColorRange(int i, double& min, double& max, double& r, double& g,
                                  double& b) const {
  if (i < 0 || i >= rowCount())
    throw KvrSignal(kIllegalValue, KVR_HERE, "index exceeds color table size");
  const ColorRange& band = ranges_[i];
  min = band.min;
  max = band.max;
  r = band.red;
  g = band.green;
  b = band.blue;
}

}  // namespace Kalvora
