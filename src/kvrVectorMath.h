// Elementary functions over arrays of doubles, evaluated several at a time
// with the SIMD functions of SLEEF (internal, not installed). Every result is
// within 1 ulp of the exact value, like the C library's functions, but not
// necessarily the same bit pattern; special values (NaN, infinities, signed
// zeros, pow(0, y < 0) = +inf) follow the C rules. The widest instruction set
// the processor offers (AVX-512, AVX2 or SSE2) is chosen once at run time.
// Outputs may be the same arrays as inputs; partly overlapping arrays are not
// allowed.
#pragma once

#include <cstddef>

namespace Kalvora {

// out[i] = x[i] ^ y.
void vecPow(const double* x, double y, double* out, size_t n);
// out[i] = x[i] ^ y[i].
void vecPow(const double* x, const double* y, double* out, size_t n);
// out[i] = x[i] ^ y computed as exp(y log x[i]), at a little over half the
// cost of vecPow. The error of the logarithm is scaled by y log x: the
// error is at most 2 (2 + |y ln x|) ulp, so a result between 0 and 1 is
// within 6e-16 of the exact value (t |ln t| <= 1/e there), and results up
// to 1e6 or so stay within a few dozen ulp. Zeros, infinities and NaN give
// what pow gives; a negative x gives NaN even for an integral y (y = 0
// excepted: it gives 1 like pow).
void vecPowFromLog(const double* x, double y, double* out, size_t n);
// out[i] = log(x[i]), the natural logarithm.
void vecLog(const double* x, double* out, size_t n);
// out[i] = atan2(y[i], x[i]).
void vecAtan2(const double* y, const double* x, double* out, size_t n);
// sinOut[i] = sin(x[i]), cosOut[i] = cos(x[i]).
void vecSinCos(const double* x, double* sinOut, double* cosOut, size_t n);

// Calls f(first, count) for consecutive pieces of at most kVecChunk of n
// elements, so callers can keep their intermediate arrays on the stack.
constexpr size_t kVecChunk = 256;
template <class F>
void forEachChunk(size_t n, F&& f) {
  for (size_t first = 0; first < n; first += kVecChunk)
    f(first, n - first < kVecChunk ? n - first : kVecChunk);
}

// The instruction set in use, "avx512", "avx2", "sse2" or "scalar".
const char* vecMathLevel();

}  // namespace Kalvora
