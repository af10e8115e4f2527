#include "kvrLut3D.h"

#include <algorithm>
#include <climits>
#include <mutex>

#include "kvrTetrahedralInterpolator.h"
#include "kvrTetrahedralSimd.h"
#include "kvrTricubicInterpolator.h"

namespace Kalvora {

// The SIMD kernel's table, packed once on first use.
struct Lut3D::SimdTable {
  SimdTable(const unsigned short* codes, int n, LutOrder codeOrder, double scale)
      : source(codes), order(codeOrder) {
    table.size = n;
    table.scale = scale;
  }

  const unsigned short* source;
  LutOrder order;
  std::once_flag packed;
  PackedTetrahedralTable table;

  void pack() {
    const int n = table.size;
    const long samples = long(n) * n * n;
    table.codes.assign(4 * samples, 0.0f);
    for (long k = 0; k < samples; ++k)
      for (int c = 0; c < 3; ++c) table.codes[4 * k + c] = source[tableIndex(order, k, c, samples)];
    table.lastCell = n > 2 ? n - 2 : 0;
    table.rowStride = n;
    table.planeStride = n * n;
    // With a single point per axis all corners coincide.
    const int stepR = n > 1 ? table.planeStride : 0;
    const int stepG = n > 1 ? table.rowStride : 0;
    const int stepB = n > 1 ? 1 : 0;
    auto offset = [&](int corner) {
      return (corner >> 2) * stepR + ((corner >> 1) & 1) * stepG + (corner & 1) * stepB;
    };
    table.top = offset(Interpolator3d::k111);
    for (int bits = 0; bits < 32; ++bits) {
      const TetrahedralInterpolator::Walk walk = TetrahedralInterpolator::walkOf(bits);
      ptrdiff_t* step = table.step[bits];
      step[0] = 4 * ptrdiff_t(offset(walk.first));
      step[1] = 4 * ptrdiff_t(offset(walk.second));
      for (int s = 0; s < 3; ++s) step[2 + s] = 4 * walk.weight[s];
    }
  }
};

Lut3D::Lut3D(bool tricubic) : scale_(1.0), tricubic_(tricubic) {}

Lut3D::Lut3D(int size, const unsigned short* table, LutOrder order, int maxValue, bool tricubic)
    : scale_(1.0), tricubic_(tricubic) {
  setTable(size, table, order, maxValue);
}

Lut3D::~Lut3D() = default;
Lut3D::Lut3D(Lut3D&&) noexcept = default;
Lut3D& Lut3D::operator=(Lut3D&&) noexcept = default;

void Lut3D::setTable(int size, const unsigned short* table, LutOrder order, int maxValue) {
  interpolator_.reset();
  simd_.reset();
  scale_ = maxValue;
  if (!table || size < 1) return;
  if (tricubic_) {
    interpolator_ = std::make_unique<TricubicInterpolator>(table, size, order);
    return;
  }
  interpolator_ = std::make_unique<TetrahedralInterpolator>(table, size, order);
  // Sample indices of the packed table (four codes each) must fit an int.
  const bool indexable = long(size) * size * size < INT_MAX / 4;
  if (simdBatchAvailable() && indexable)
    simd_ = std::make_unique<SimdTable>(table, size, order, scale_);
}

bool Lut3D::simdBatchAvailable() {
  static const bool available = tetrahedralAvx2Available();
  return available;
}

const Lut3D::SimdTable* Lut3D::simdTable() const {
  if (!simd_) return nullptr;
  SimdTable& simd = *simd_;
  std::call_once(simd.packed, [&simd] { simd.pack(); });
  return &simd;
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
  interpolator_->interpolateAt(r, g, b, result);
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
    if (const SimdTable* simd = simdTable()) {
      tetrahedralAvx2(simd->table, in, out, count);
      return;
    }
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
