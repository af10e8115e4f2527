// The array functions of kvrVectorMath.h for AVX-512. This unit alone is
// compiled with -mavx512f; it is only called after a run-time check of the
// processor.
#include "kvrVectorMathKernels.h"

#if defined(__AVX512F__)
#include <sleef.h>

namespace Kalvora {

namespace {

struct Avx512 {
  using Vector = __m512d;
  static constexpr size_t kLanes = 8;
  static constexpr const char* kName = "avx512";
  static Vector load(const double* p) { return _mm512_loadu_pd(p); }
  static void store(double* p, Vector v) { _mm512_storeu_pd(p, v); }
  static Vector broadcast(double x) { return _mm512_set1_pd(x); }
  static Vector pow(Vector x, Vector y) { return Sleef_powd8_u10avx512f(x, y); }
  static Vector log(Vector x) { return Sleef_logd8_u10avx512f(x); }
  static Vector exp(Vector x) { return Sleef_expd8_u10avx512f(x); }
  static Vector mul(Vector a, Vector b) { return _mm512_mul_pd(a, b); }
  static Vector atan2(Vector y, Vector x) { return Sleef_atan2d8_u10avx512f(y, x); }
  static Sleef___m512d_2 sinCos(Vector x) { return Sleef_sincosd8_u10avx512f(x); }
};

}  // namespace

const VectorKernels::Table* VectorKernels::avx512() { return Loops<Avx512>::table(); }

}  // namespace Kalvora

#else

const Kalvora::VectorKernels::Table* Kalvora::VectorKernels::avx512() { return nullptr; }

#endif
