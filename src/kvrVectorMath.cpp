#include "kvrVectorMath.h"

#include <cmath>

#include "kvrVectorMathKernels.h"

#if defined(__x86_64__)
#include <sleef.h>
#endif

namespace Kalvora {

namespace {

#if defined(__x86_64__)
// Two lanes: the baseline of every x86-64 processor. SLEEF's own dispatcher
// picks its SSE2, SSE4.1 or AVX2 code behind these names.
struct Sse2 {
  using Vector = __m128d;
  static constexpr size_t kLanes = 2;
  static constexpr const char* kName = "sse2";
  static Vector load(const double* p) { return _mm_loadu_pd(p); }
  static void store(double* p, Vector v) { _mm_storeu_pd(p, v); }
  static Vector broadcast(double x) { return _mm_set1_pd(x); }
  static Vector pow(Vector x, Vector y) { return Sleef_powd2_u10(x, y); }
  static Vector log(Vector x) { return Sleef_logd2_u10(x); }
  static Vector exp(Vector x) { return Sleef_expd2_u10(x); }
  static Vector mul(Vector a, Vector b) { return _mm_mul_pd(a, b); }
  static Vector atan2(Vector y, Vector x) { return Sleef_atan2d2_u10(y, x); }
  static Sleef___m128d_2 sinCos(Vector x) { return Sleef_sincosd2_u10(x); }
};
#else
// Other processors: the C library one element at a time.
struct Sse2 {
  struct Vector {
    double v;
  };
  struct Pair {
    Vector x, y;
  };
  static constexpr size_t kLanes = 1;
  static constexpr const char* kName = "scalar";
  static Vector load(const double* p) { return {*p}; }
  static void store(double* p, Vector v) { *p = v.v; }
  static Vector broadcast(double x) { return {x}; }
  static Vector pow(Vector x, Vector y) { return {std::pow(x.v, y.v)}; }
  static Vector log(Vector x) { return {std::log(x.v)}; }
  static Vector exp(Vector x) { return {std::exp(x.v)}; }
  static Vector mul(Vector a, Vector b) { return {a.v * b.v}; }
  static Vector atan2(Vector y, Vector x) { return {std::atan2(y.v, x.v)}; }
  static Pair sinCos(Vector x) { return {{std::sin(x.v)}, {std::cos(x.v)}}; }
};
#endif

const VectorKernels::Table* selectKernels() {
#if defined(__x86_64__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f") && VectorKernels::avx512()) return VectorKernels::avx512();
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") && VectorKernels::avx2())
    return VectorKernels::avx2();
#endif
  return VectorKernels::sse2();
}

const VectorKernels::Table& kernels() {
  static const VectorKernels::Table* const table = selectKernels();
  return *table;
}

}  // namespace

namespace VectorKernels {
const Table* sse2() { return Loops<Sse2>::table(); }
}  // namespace VectorKernels

void vecPow(const double* x, double y, double* out, size_t n) {
  kernels().powScalarExponent(x, y, out, n);
}

void vecPow(const double* x, const double* y, double* out, size_t n) {
  kernels().pow(x, y, out, n);
}

void vecPowFromLog(const double* x, double y, double* out, size_t n) {
  kernels().powFromLog(x, y, out, n);
}

void vecLog(const double* x, double* out, size_t n) { kernels().log(x, out, n); }

void vecAtan2(const double* y, const double* x, double* out, size_t n) {
  kernels().atan2(y, x, out, n);
}

void vecSinCos(const double* x, double* sinOut, double* cosOut, size_t n) {
  kernels().sinCos(x, sinOut, cosOut, n);
}

const char* vecMathLevel() { return kernels().name; }

}  // namespace Kalvora
