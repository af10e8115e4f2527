// The array functions of kvrVectorMath.h for AVX2 with FMA. This unit alone
// is compiled with -mavx2 -mfma; it is only called after a run-time check of
// the processor.
#include "kvrVectorMathKernels.h"

#if defined(__AVX2__) && defined(__FMA__)
#include <sleef.h>

namespace Kalvora {

namespace {

struct Avx2 {
  using Vector = __m256d;
  static constexpr size_t kLanes = 4;
  static constexpr const char* kName = "avx2";
  static Vector load(const double* p) { return _mm256_loadu_pd(p); }
  static void store(double* p, Vector v) { _mm256_storeu_pd(p, v); }
  static Vector broadcast(double x) { return _mm256_set1_pd(x); }
  static Vector pow(Vector x, Vector y) { return Sleef_powd4_u10avx2(x, y); }
  static Vector log(Vector x) { return Sleef_logd4_u10avx2(x); }
  static Vector exp(Vector x) { return Sleef_expd4_u10avx2(x); }
  static Vector mul(Vector a, Vector b) { return _mm256_mul_pd(a, b); }
  static Vector atan2(Vector y, Vector x) { return Sleef_atan2d4_u10avx2(y, x); }
  static Sleef___m256d_2 sinCos(Vector x) { return Sleef_sincosd4_u10avx2(x); }
};

}  // namespace

const VectorKernels::Table* VectorKernels::avx2() { return Loops<Avx2>::table(); }

}  // namespace Kalvora

#else

const Kalvora::VectorKernels::Table* Kalvora::VectorKernels::avx2() { return nullptr; }

#endif
