// A 3-D table of 16-bit codes read as an RGB-to-RGB function.
#pragma once

#include <cstddef>
#include <memory>

#include "kvrInterpolator3d.h"
#include "kvrLutFunc.h"

namespace Kalvora {

// Reads the borrowed table through a tetrahedral interpolator, or a tricubic
// one when asked for; outputs are the interpolated codes divided by the
// maximum code. Positions outside 0 ... 1 extrapolate from the edge cells.
// Without a table the function is the identity.
//
// Threads: the const operations (transform, transformBatch) keep no state
// between calls, so any number of threads may apply one Lut3D at once, as
// long as none calls setTable or moves it meanwhile.
class Lut3D : public LutFunc3D {
public:
  explicit Lut3D(bool tricubic = false);
  Lut3D(int size, const unsigned short* table, LutOrder order, int maxValue, bool tricubic);
  ~Lut3D() override;
  Lut3D(const Lut3D&) = delete;
  Lut3D& operator=(const Lut3D&) = delete;
  Lut3D(Lut3D&&) noexcept;
  Lut3D& operator=(Lut3D&&) noexcept;

  // Replaces the interpolator. The tricubic reader precomputes derivatives
  // and the SIMD batch reader a packed copy of the codes, so a changed table
  // needs a new setTable. A null table or a size below 1 leaves no
  // interpolator (the identity); size 1 is a constant.
  void setTable(int size, const unsigned short* table, LutOrder order, int maxValue);

  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override;
  void show(int) const override {}

  // Applies the function to `count` interleaved RGB triples, in[3k ... 3k + 2]
  // to out[3k ... 3k + 2]. Every output is bit for bit what transform() gives
  // for the same triple (rounded to float for the float form). The
  // tetrahedral reader runs a fused loop without a virtual call per pixel:
  // on processors with AVX2 a SIMD kernel (see simdBatchAvailable()),
  // otherwise the portable TetrahedralInterpolator::interpolateBatch, with
  // the same results. `in` and `out` may be the same array.
  void transformBatch(const double* in, double* out, size_t count) const;
  void transformBatch(const float* in, float* out, size_t count) const;

  // True when transformBatch of a tetrahedral table runs the SIMD kernel on
  // this processor.
  static bool simdBatchAvailable();

private:
  struct SimdTable;

  template <class Sample>
  void batch(const Sample* in, Sample* out, size_t count) const;
  // The packed table of the SIMD kernel, built at the first batch call after
  // setTable (thread-safe); null when the kernel is not used.
  const SimdTable* simdTable() const;

  double scale_;
  std::unique_ptr<Interpolator3d> interpolator_;
  bool tricubic_;
  std::unique_ptr<SimdTable> simd_;
};

}  // namespace Kalvora
