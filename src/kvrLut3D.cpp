#include "kvrLut3D.h"

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

}  // namespace Kalvora
