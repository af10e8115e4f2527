// The loops behind the array functions of kvrVectorMath.h, written once for
// every vector width (internal). Each unit that instantiates them is compiled
// for one instruction set and passes a Traits class, declared in its own
// anonymous namespace so the differently compiled copies never meet at link
// time, with the vector type, lane count, loads, stores and SLEEF functions.
// The loops run whole vectors and finish with one padded vector, so no
// element is read or written out of bounds.
#pragma once

#include <cstddef>

namespace Kalvora {
namespace VectorKernels {

// The kernels of one instruction set.
struct Table {
  void (*powScalarExponent)(const double* x, double y, double* out, size_t n);
  void (*pow)(const double* x, const double* y, double* out, size_t n);
  void (*powFromLog)(const double* x, double y, double* out, size_t n);
  void (*log)(const double* x, double* out, size_t n);
  void (*atan2)(const double* y, const double* x, double* out, size_t n);
  void (*sinCos)(const double* x, double* sinOut, double* cosOut, size_t n);
  const char* name;
};

const Table* sse2();
const Table* avx2();    // null when the build has no AVX2 unit
const Table* avx512();  // null when the build has no AVX-512 unit

template <class Traits>
struct Loops {
  using V = typename Traits::Vector;
  static constexpr size_t kLanes = Traits::kLanes;

  // The n < kLanes remaining elements in a vector padded with `fill`.
  static V loadTail(const double* x, size_t n, double fill) {
    double lanes[kLanes];
    for (size_t i = 0; i < kLanes; ++i) lanes[i] = i < n ? x[i] : fill;
    return Traits::load(lanes);
  }
  static void storeTail(double* out, V v, size_t n) {
    double lanes[kLanes];
    Traits::store(lanes, v);
    for (size_t i = 0; i < n; ++i) out[i] = lanes[i];
  }

  template <class F>
  static void unary(const double* x, double* out, size_t n, F f) {
    size_t i = 0;
    for (; i + kLanes <= n; i += kLanes) Traits::store(out + i, f(Traits::load(x + i)));
    if (i < n) storeTail(out + i, f(loadTail(x + i, n - i, 1.0)), n - i);
  }
  template <class F>
  static void binary(const double* x, const double* y, double* out, size_t n, F f) {
    size_t i = 0;
    for (; i + kLanes <= n; i += kLanes)
      Traits::store(out + i, f(Traits::load(x + i), Traits::load(y + i)));
    if (i < n)
      storeTail(out + i, f(loadTail(x + i, n - i, 1.0), loadTail(y + i, n - i, 1.0)), n - i);
  }

  static void powScalarExponent(const double* x, double y, double* out, size_t n) {
    const V exponent = Traits::broadcast(y);
    unary(x, out, n, [exponent](V v) { return Traits::pow(v, exponent); });
  }
  // exp(y log x); y == 0 goes through pow, for pow(0, 0) = pow(inf, 0) = 1.
  static void powFromLog(const double* x, double y, double* out, size_t n) {
    if (y == 0.0) return powScalarExponent(x, y, out, n);
    const V exponent = Traits::broadcast(y);
    unary(x, out, n,
          [exponent](V v) { return Traits::exp(Traits::mul(exponent, Traits::log(v))); });
  }
  static void pow(const double* x, const double* y, double* out, size_t n) {
    binary(x, y, out, n, [](V a, V b) { return Traits::pow(a, b); });
  }
  static void log(const double* x, double* out, size_t n) {
    unary(x, out, n, [](V v) { return Traits::log(v); });
  }
  static void atan2(const double* y, const double* x, double* out, size_t n) {
    binary(y, x, out, n, [](V a, V b) { return Traits::atan2(a, b); });
  }
  static void sinCos(const double* x, double* sinOut, double* cosOut, size_t n) {
    size_t i = 0;
    for (; i + kLanes <= n; i += kLanes) {
      const auto sc = Traits::sinCos(Traits::load(x + i));
      Traits::store(sinOut + i, sc.x);
      Traits::store(cosOut + i, sc.y);
    }
    if (i < n) {
      const auto sc = Traits::sinCos(loadTail(x + i, n - i, 0.0));
      storeTail(sinOut + i, sc.x, n - i);
      storeTail(cosOut + i, sc.y, n - i);
    }
  }

  static const Table* table() {
    static const Table kTable = {powScalarExponent, pow, powFromLog, log, atan2, sinCos,
                                 Traits::kName};
    return &kTable;
  }
};

}  // namespace VectorKernels
}  // namespace Kalvora
