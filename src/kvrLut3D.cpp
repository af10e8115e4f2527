#include "kvrLut3D.h"

#include <algorithm>

#include "kvrTetrahedralInterpolator.h"
#include "kvrTricubicInterpolator.h"

namespace Kalvora {

Lut3D::Lut3D(bool tricubic) : scale_(1.0), tricubic_(tricubic) {}

Lut3D::Lut3D(int size, const unsigned short* table, LutOrder order, int maxValue, bool tricubic)
    : scale_(1.0), tricubic_(tricubic) {
  setTable(size, table, order, maxValue);
}

Lut3D::~Lut3D() = default;

void Lut3D::setTable(int size, const unsigned short* table, LutOrder order, int maxValue) {
  interpolator_.reset();
  scale_ = maxValue;
  if (!table || size < 1) return;
  if (tricubic_)
    interpolator_ = std::make_unique<TricubicInterpolator>(table, size, order);
  else
    interpolator_ = std::make_unique<TetrahedralInterpolator>(table, size, order);
}

void Lut3D::transform(double r, double g, double b, double& outR, double& outG,
                      double& outB) const {
  if (!interpolator_) {
    outR = r;
    outG = g;
    outB = b;
    return;
  }
  double result[3];
  interpolator_->interpolate(r, g, b, result);
  outR = result[0] / scale_;
  outG = result[1] / scale_;
  outB = result[2] / scale_;
}

template <class Sample>
void Lut3D::batch(const Sample* in, Sample* out, size_t count) const {
  if (!interpolator_) {
    if (in != out) std::copy(in, in + 3 * count, out);
    return;
  }
  if (!tricubic_) {
    static_cast<const TetrahedralInterpolator&>(*interpolator_)
        .interpolateBatch(in, out, count, scale_);
    return;
  }
  for (size_t i = 0; i < count; ++i, in += 3, out += 3) {
    double result[3];
    Lut3D::transform(in[0], in[1], in[2], result[0], result[1], result[2]);
    for (int c = 0; c < 3; ++c) out[c] = static_cast<Sample>(result[c]);
  }
}

void Lut3D::transformBatch(const double* in, double* out, size_t count) const {
  batch(in, out, count);
}

void Lut3D::transformBatch(const float* in, float* out, size_t count) const {
  batch(in, out, count);
}

}  // namespace Kalvora
