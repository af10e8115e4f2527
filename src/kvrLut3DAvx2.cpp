// The tetrahedral batch reader for AVX2. This unit alone is compiled with
// -mavx2 -mfma and without contraction into fused multiply-adds, so each sum
// and product is rounded exactly as in the portable reader; it is only
// called after a run-time check of the processor.
#include "kvrTetrahedralSimd.h"

#if defined(__AVX2__)
#include <immintrin.h>

#include <cstddef>

namespace Kalvora {

namespace {

constexpr size_t kLanes = 4;

// Four triples, deinterleaved into one vector per channel.
template <class Sample>
void loadTriples(const Sample* in, __m256d (&t)[3]) {
  for (int c = 0; c < 3; ++c) t[c] = _mm256_set_pd(in[9 + c], in[6 + c], in[3 + c], in[c]);
}

// The red, green and blue codes of one sample as the three low lanes.
inline __m256d corner(const float* codes) { return _mm256_cvtps_pd(_mm_loadu_ps(codes)); }

// Stores the three low lanes. All four lanes may be written where the
// fourth falls on the next triple's first value, which is stored after;
// the last triple of a group stores exactly three values, so nothing beyond
// the group (perhaps input not read yet) is touched.
inline void storeTriple(double* out, __m256d v, bool last) {
  if (!last) return _mm256_storeu_pd(out, v);
  _mm_storeu_pd(out, _mm256_castpd256_pd128(v));
  _mm_store_sd(out + 2, _mm256_extractf128_pd(v, 1));
}

inline void storeTriple(float* out, __m256d v, bool last) {
  const __m128 narrow = _mm256_cvtpd_ps(v);
  if (!last) return _mm_storeu_ps(out, narrow);
  _mm_storel_pi(reinterpret_cast<__m64*>(out), narrow);
  _mm_store_ss(out + 2, _mm_movehl_ps(narrow, narrow));
}

// Four pixels: the cell lookup, fractions and choice of tetrahedron as
// vectors, then per pixel the walk with its three channels in one vector.
// Every step is the operation of the portable reader on the same operands.
template <class Sample>
void interpolateFour(const PackedTetrahedralTable& t, const Sample* in, Sample* out) {
  __m256d position[3];
  loadTriples(in, position);
  const __m256d steps = _mm256_set1_pd(t.size - 1);
  const __m256d lastCell = _mm256_set1_pd(t.lastCell);
  const __m256d zero = _mm256_setzero_pd();
  __m256d fraction[3];
  __m128i cell[3];
  for (int c = 0; c < 3; ++c) {
    const __m256d x = _mm256_mul_pd(steps, position[c]);
    // Truncation, capped at the last cell; NaN and negative positions (and
    // -0) take cell 0. The cell goes through int like in the portable
    // reader, so a zero cell is +0.
    __m256d whole =
        _mm256_min_pd(_mm256_round_pd(x, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC), lastCell);
    whole = _mm256_and_pd(whole, _mm256_cmp_pd(x, zero, _CMP_GE_OQ));
    cell[c] = _mm256_cvttpd_epi32(whole);
    fraction[c] = _mm256_sub_pd(x, _mm256_cvtepi32_pd(cell[c]));
  }
  // The five comparisons as bit values 1, 2, 4, 8, 16, summed.
  auto bit = [](__m256d a, __m256d b, int predicate, double value) {
    const __m256d mask =
        predicate == _CMP_GT_OQ ? _mm256_cmp_pd(a, b, _CMP_GT_OQ) : _mm256_cmp_pd(a, b, _CMP_GE_OQ);
    return _mm256_and_pd(mask, _mm256_set1_pd(value));
  };
  __m256d bits = bit(fraction[0], fraction[1], _CMP_GT_OQ, 1.0);
  bits = _mm256_add_pd(bits, bit(fraction[1], fraction[2], _CMP_GT_OQ, 2.0));
  bits = _mm256_add_pd(bits, bit(fraction[0], fraction[2], _CMP_GE_OQ, 4.0));
  bits = _mm256_add_pd(bits, bit(fraction[2], fraction[0], _CMP_GE_OQ, 8.0));
  bits = _mm256_add_pd(bits, bit(fraction[1], fraction[2], _CMP_GE_OQ, 16.0));
  const __m128i base =
      _mm_add_epi32(_mm_add_epi32(_mm_mullo_epi32(cell[0], _mm_set1_epi32(t.planeStride)),
                                  _mm_mullo_epi32(cell[1], _mm_set1_epi32(t.rowStride))),
                    cell[2]);

  alignas(32) double f[3 * kLanes];  // channel by channel
  alignas(16) int32_t walk[kLanes];
  alignas(16) int32_t sample[kLanes];
  for (int c = 0; c < 3; ++c) _mm256_store_pd(f + c * kLanes, fraction[c]);
  _mm_store_si128(reinterpret_cast<__m128i*>(walk), _mm256_cvttpd_epi32(bits));
  _mm_store_si128(reinterpret_cast<__m128i*>(sample), base);
  const __m256d scale = _mm256_set1_pd(t.scale);
  // Read once: the stores below would otherwise make the compiler reload them.
  const float* const codes = t.codes.data();
  const ptrdiff_t top = 4 * ptrdiff_t(t.top);
  for (size_t j = 0; j < kLanes; ++j) {
    const ptrdiff_t* step = t.step[walk[j]];
    const float* p0 = codes + 4 * ptrdiff_t(sample[j]);
    const __m256d c0 = corner(p0);
    const __m256d c1 = corner(p0 + step[0]);
    const __m256d c2 = corner(p0 + step[1]);
    const __m256d c3 = corner(p0 + top);
    const __m256d w1 = _mm256_set1_pd(f[step[2] + j]);
    const __m256d w2 = _mm256_set1_pd(f[step[3] + j]);
    const __m256d w3 = _mm256_set1_pd(f[step[4] + j]);
    __m256d v = _mm256_add_pd(c0, _mm256_mul_pd(w1, _mm256_sub_pd(c1, c0)));
    v = _mm256_add_pd(v, _mm256_mul_pd(w2, _mm256_sub_pd(c2, c1)));
    v = _mm256_add_pd(v, _mm256_mul_pd(w3, _mm256_sub_pd(c3, c2)));
    storeTriple(out + 3 * j, _mm256_div_pd(v, scale), j == kLanes - 1);
  }
}

template <class Sample>
void interpolate(const PackedTetrahedralTable& t, const Sample* in, Sample* out, size_t count) {
  size_t i = 0;
  for (; i + kLanes <= count; i += kLanes) interpolateFour(t, in + 3 * i, out + 3 * i);
  if (i == count) return;
  // The last one to three pixels, padded with zeros.
  Sample rest[3 * kLanes] = {};
  const size_t values = 3 * (count - i);
  for (size_t k = 0; k < values; ++k) rest[k] = in[3 * i + k];
  interpolateFour(t, rest, rest);
  for (size_t k = 0; k < values; ++k) out[3 * i + k] = rest[k];
}

}  // namespace

bool tetrahedralAvx2Available() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}

void tetrahedralAvx2(const PackedTetrahedralTable& table, const double* in, double* out,
                     size_t count) {
  interpolate(table, in, out, count);
}

void tetrahedralAvx2(const PackedTetrahedralTable& table, const float* in, float* out,
                     size_t count) {
  interpolate(table, in, out, count);
}

}  // namespace Kalvora

#else

namespace Kalvora {

bool tetrahedralAvx2Available() { return false; }
void tetrahedralAvx2(const PackedTetrahedralTable&, const double*, double*, size_t) {}
void tetrahedralAvx2(const PackedTetrahedralTable&, const float*, float*, size_t) {}

}  // namespace Kalvora

#endif
