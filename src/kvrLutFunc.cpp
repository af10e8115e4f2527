#include "kvrLutFunc.h"

#include <cmath>

#include "kvrVectorMath.h"

#define KVR_SOURCE "src/kvrLutFunc"

namespace Kalvora {

const LutFunc LutFunc::sUnity;
const LutFuncInv LutFuncInv::sUnity;
const LutFuncRgb LutFuncRgb::sUnity;
const LutFunc3D LutFunc3D::sUnity;

// ---- LutFunc ---------------------------------------------------------------

void LutFunc::transformArray(const double* in, double* out, size_t n) const {
  for (size_t i = 0; i < n; ++i) out[i] = transform(in[i]);
}

void LutFuncInv::inverseArray(const double* in, double* out, size_t n) const {
  for (size_t i = 0; i < n; ++i) out[i] = inverse(in[i]);
}

void LutFunc::getTable(int size, double* table) const {
  const double step = 1.0 / (size - 1);
  double x = 0.0;
  for (int i = 0; i < size; ++i, x += step) table[i] = transform(x);
}

void LutFunc::getTable(int size, unsigned short* table, int maxCode) const {
  const double step = 1.0 / (size - 1);
  double x = 0.0;
  for (int i = 0; i < size; ++i, x += step) table[i] = toCode16(transform(x), maxCode);
}

void LutFunc::getTableForShiftedValues(int size, unsigned short* table, int maxCode) const {
  if (size < 1) return;
  const double divisor = size < 4096 ? size : size - 1;
  const double step = 1.0 / divisor;
  double x = 0.0;
  for (int i = 0; i < size - 1; ++i, x += step) table[i] = toCode16(transform(x), maxCode);
  table[size - 1] = toCode16(transform(1.0), maxCode);
}

double InverseLutFunc::transform(double x) const { return func_->inverse(x); }

void InverseLutFunc::transformArray(const double* in, double* out, size_t n) const {
  func_->inverseArray(in, out, n);
}

// ---- LutFuncRgb ------------------------------------------------------------

void LutFuncRgb::transform(double x, double& r, double& g, double& b) const { r = g = b = x; }

void LutFuncRgb::getTable(int size, double* table, LutOrder order) const {
  const double step = 1.0 / (size - 1);
  double x = 0.0;
  for (int i = 0; i < size; ++i, x += step) {
    double rgb[3];
    transform(x, rgb[0], rgb[1], rgb[2]);
    for (int c = 0; c < 3; ++c) table[tableIndex(order, i, c, size)] = rgb[c];
  }
}

void LutFuncRgb::getTable(int size, unsigned short* table, LutOrder order, int maxCode) const {
  const double step = 1.0 / (size - 1);
  double x = 0.0;
  for (int i = 0; i < size; ++i, x += step) {
    double rgb[3];
    transform(x, rgb[0], rgb[1], rgb[2]);
    for (int c = 0; c < 3; ++c) table[tableIndex(order, i, c, size)] = toCode16(rgb[c], maxCode);
  }
}

LutFuncTriple::LutFuncTriple() : channel_{&LutFunc::sUnity, &LutFunc::sUnity, &LutFunc::sUnity} {}

LutFuncTriple::LutFuncTriple(const LutFunc& r, const LutFunc& g, const LutFunc& b)
    : channel_{&r, &g, &b} {}

void LutFuncTriple::transform(double x, double& r, double& g, double& b) const {
  r = channel_[0]->transform(x);
  g = channel_[1]->transform(x);
  b = channel_[2]->transform(x);
}

void LutFuncTriple::setColorChannel(int channel, const LutFunc& func) { channel_[channel] = &func; }

const LutFunc& LutFuncTriple::getColorChannel(int channel) const { return *channel_[channel]; }

void LutFuncTriple::setColorLuts(const LutFunc& r, const LutFunc& g, const LutFunc& b) {
  setColorChannel(0, r);
  setColorChannel(1, g);
  setColorChannel(2, b);
}

// ---- LutFunc3D -------------------------------------------------------------

void LutFunc3D::transform(double r, double g, double b, double& outR, double& outG,
                          double& outB) const {
  outR = r;
  outG = g;
  outB = b;
}

void LutFunc3D::transformBlock(const double* r, const double* g, const double* b, double* outR,
                               double* outG, double* outB, size_t n) const {
  for (size_t i = 0; i < n; ++i) transform(r[i], g[i], b[i], outR[i], outG[i], outB[i]);
}

namespace {

// Points per call of transformBlock() when a grid is sampled: long enough
// for the vectorised maths to run whole vectors, short enough for the
// working arrays to stay in the first-level cache.
constexpr int kBlock = 256;

// Visits the grid of `size` points per axis in memory order, positions
// accumulated by repeated addition of the step, evaluating f in blocks of
// consecutive points (rows of the blue axis run on into the next row).
// visit(k, ri, gi, bi, rgb) receives the grid index k, the grid coordinates
// and the three outputs.
template <class Visit>
void forEachGridPoint(const LutFunc3D& f, int size, Visit&& visit) {
  const double step = 1.0 / (size - 1);
  double in[3][kBlock];
  double out[3][kBlock];
  int at[3][kBlock];
  int count = 0;
  long k = 0;  // grid index of the block's first point
  auto flush = [&] {
    f.transformBlock(in[0], in[1], in[2], out[0], out[1], out[2], count);
    for (int i = 0; i < count; ++i) {
      const double rgb[3] = {out[0][i], out[1][i], out[2][i]};
      visit(k + i, at[0][i], at[1][i], at[2][i], rgb);
    }
    k += count;
    count = 0;
  };
  double r = 0.0;
  for (int ri = 0; ri < size; ++ri, r += step) {
    double g = 0.0;
    for (int gi = 0; gi < size; ++gi, g += step) {
      double b = 0.0;
      for (int bi = 0; bi < size; ++bi, b += step) {
        in[0][count] = r;
        in[1][count] = g;
        in[2][count] = b;
        at[0][count] = ri;
        at[1][count] = gi;
        at[2][count] = bi;
        if (++count == kBlock) flush();
      }
    }
  }
  if (count > 0) flush();
}

}  // namespace

void LutFunc3D::getTable(int size, double* table, LutOrder order) const {
  if (size <= 0) return;
  const long samples = long(size) * size * size;
  forEachGridPoint(*this, size, [&](long k, int, int, int, const double* out) {
    for (int c = 0; c < 3; ++c) table[tableIndex(order, k, c, samples)] = out[c];
  });
}

void LutFunc3D::getTable(int size, unsigned short* table, LutOrder order, int maxCode,
                         bool halfGrid) const {
  if (size <= 0) return;
  if (halfGrid && size % 2 == 1)
    getHalfGrid(size, table, order, maxCode);
  else
    getFullGrid(size, table, order, maxCode);
}

void LutFunc3D::getFullGrid(int size, unsigned short* table, LutOrder order, int maxCode) const {
  const long samples = long(size) * size * size;
  forEachGridPoint(*this, size, [&](long k, int, int, int, const double* out) {
    for (int c = 0; c < 3; ++c) table[tableIndex(order, k, c, samples)] = toCode16(out[c], maxCode);
  });
}

void LutFunc3D::getHalfGrid(int size, unsigned short* table, LutOrder order, int maxCode) const {
  const long samples = long(size) * size * size;
  auto fineIndex = [size](int ri, int gi, int bi) { return (long(ri) * size + gi) * size + bi; };

  // Evaluate the coarse grid into the even fine points.
  const int coarse = (size - 1) / 2 + 1;
  forEachGridPoint(*this, coarse, [&](long, int a, int b, int c, const double* out) {
    const long k = fineIndex(2 * a, 2 * b, 2 * c);
    for (int ch = 0; ch < 3; ++ch)
      table[tableIndex(order, k, ch, samples)] = toCode16(out[ch], maxCode);
  });
  if (coarse < 2) return;

  // Every point with an odd index is the midpoint of the two coarse points
  // reached by moving each odd index one step down and one step up.
  for (int ri = 0; ri < size; ++ri)
    for (int gi = 0; gi < size; ++gi)
      for (int bi = 0; bi < size; ++bi) {
        const int dr = ri & 1, dg = gi & 1, db = bi & 1;
        if ((dr | dg | db) == 0) continue;
        const long k = fineIndex(ri, gi, bi);
        const long lower = fineIndex(ri - dr, gi - dg, bi - db);
        const long upper = fineIndex(ri + dr, gi + dg, bi + db);
        for (int ch = 0; ch < 3; ++ch) {
          const int a = table[tableIndex(order, lower, ch, samples)];
          const int b = table[tableIndex(order, upper, ch, samples)];
          table[tableIndex(order, k, ch, samples)] = static_cast<unsigned short>(a + (b - a) / 2);
        }
      }
}

// ---- Elementary functions --------------------------------------------------

double LutFuncGain::transform(double x) const { return func_->transform(x * gain_); }

// Clamps to [0, 1]; NaN passes through.
static double clampUnit(double v) {
  if (v < 0.0) return 0.0;
  if (v > 1.0) return 1.0;
  return v;
}

double LutFuncCdl::transform(double x) const {
  const double clamped = clampUnit(x * slope_ + offset_);
  return power_ != 1.0 ? std::pow(clamped, power_) : clamped;
}

double LutFuncCdl::inverse(double y) const {
  const double unpowered = power_ != 1.0 ? std::pow(y, 1.0 / power_) : y;
  return clampUnit((unpowered - offset_) / slope_);
}

double PowerFunc::transform(double x) const { return x > 0.0 ? std::pow(x, exponent_) : 0.0; }

double PowerFunc::inverse(double y) const { return y > 0.0 ? std::pow(y, 1.0 / exponent_) : 0.0; }

// x ^ e for x > 0, otherwise 0 (NaN included), over an array.
static void positivePower(const double* in, double* out, size_t n, double e) {
  forEachChunk(n, [&](size_t first, size_t count) {
    double power[kVecChunk];
    vecPow(in + first, e, power, count);
    for (size_t i = 0; i < count; ++i) out[first + i] = in[first + i] > 0.0 ? power[i] : 0.0;
  });
}

void PowerFunc::transformArray(const double* in, double* out, size_t n) const {
  positivePower(in, out, n, exponent_);
}

void PowerFunc::inverseArray(const double* in, double* out, size_t n) const {
  positivePower(in, out, n, 1.0 / exponent_);
}

double LutComposite::transform(double x) const { return lhs_->transform(rhs_->transform(x)); }

LutAdapter::LutAdapter() : channel_{&LutFunc::sUnity, &LutFunc::sUnity, &LutFunc::sUnity} {}

LutAdapter::LutAdapter(const LutFunc& r, const LutFunc& g, const LutFunc& b)
    : channel_{&r, &g, &b} {}

LutAdapter::LutAdapter(const LutFuncTriple& triple) : LutAdapter() { setColorLuts(triple); }

void LutAdapter::transform(double r, double g, double b, double& outR, double& outG,
                           double& outB) const {
  outR = channel_[0]->transform(r);
  outG = channel_[1]->transform(g);
  outB = channel_[2]->transform(b);
}

void LutAdapter::transformBlock(const double* r, const double* g, const double* b, double* outR,
                                double* outG, double* outB, size_t n) const {
  channel_[0]->transformArray(r, outR, n);
  channel_[1]->transformArray(g, outG, n);
  channel_[2]->transformArray(b, outB, n);
}

void LutAdapter::setColorLuts(const LutFunc& r, const LutFunc& g, const LutFunc& b) {
  channel_[0] = &r;
  channel_[1] = &g;
  channel_[2] = &b;
}

void LutAdapter::setColorLuts(const LutFuncTriple& triple) {
  setColorLuts(triple.getColorChannel(0), triple.getColorChannel(1), triple.getColorChannel(2));
}

}  // namespace Kalvora
