// Function-object interfaces behind every curve and colour transform, their
// identity instances, the elementary functions and the sampling operations
// that turn a function into 1-D, RGB and 3-D tables.
//
// Holders refer to other function objects by non-owning pointer; every
// reference defaults to the identity instance of its interface.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Kalvora {

// Memory order of multi-channel tables. Any non-zero value reads as planar.
// In every 3-D table grid point (r, g, b) of n points per axis has index
// (r * n + g) * n + b: red slowest, blue fastest.
enum LutOrder : int32_t { kLutInterleaved = 0, kLutPlanar = 1 };

// The 16-bit code rule of every sampling operation: clamp to [0, 1] (NaN
// gives 0), scale to the maximum code, add 0.5, truncate.
inline unsigned short toCode16(double value, int maxCode) {
  if (!(value > 0.0)) value = 0.0;
  if (value > 1.0) value = 1.0;
  // The value is never negative here, so adding 0.5 and truncating rounds
  // halves up, which is the published code rule.
  // NOLINTNEXTLINE(bugprone-incorrect-roundings)
  return static_cast<unsigned short>(static_cast<long>(value * maxCode + 0.5));
}

// Index of channel c of sample k in a table of `samples` samples.
inline long tableIndex(LutOrder order, long k, int c, long samples) {
  return order == kLutInterleaved ? 3 * k + c : k + c * samples;
}

class LutFunc {
public:
  constexpr LutFunc() noexcept {}
  virtual ~LutFunc() = default;
  virtual double transform(double x) const { return x; }
  virtual void show(int) const {}
  // out[i] = transform(in[i]) for i < n; `out` may be `in`. Functions built
  // on pow, log or exp evaluate several elements at once with vectorised
  // maths: each elementary function then lies within 1 ulp of the C
  // library's, so a result may differ from transform() in its last bits.
  virtual void transformArray(const double* in, double* out, size_t n) const;

  // table[i] = transform(x_i), x_0 = 0 and x_{i+1} = x_i + 1/(size - 1).
  void getTable(int size, double* table) const;
  void getTable(int size, unsigned short* table, int maxCode) const;
  // Entry i stands for i/size (below 4096 entries) or i/(size - 1); the last
  // entry is always the value at exactly 1.0. Nothing is written for size < 1.
  void getTableForShiftedValues(int size, unsigned short* table, int maxCode) const;

  static const LutFunc sUnity;
};

class LutFuncInv : public LutFunc {
public:
  constexpr LutFuncInv() noexcept {}
  void show(int) const override {}
  virtual double inverse(double y) const { return y; }
  // out[i] = inverse(in[i]) for i < n, like transformArray().
  virtual void inverseArray(const double* in, double* out, size_t n) const;

  static const LutFuncInv sUnity;
};

// Evaluates the inverse of an invertible function.
class InverseLutFunc : public LutFunc {
public:
  explicit InverseLutFunc(const LutFuncInv& func) : func_(&func) {}
  void setFunc(const LutFuncInv& func) { func_ = &func; }
  double transform(double x) const override;
  void transformArray(const double* in, double* out, size_t n) const override;
  void show(int) const override {}

private:
  const LutFuncInv* func_;
};

class LutFuncRgb {
public:
  constexpr LutFuncRgb() noexcept {}
  virtual ~LutFuncRgb() = default;
  virtual void transform(double x, double& r, double& g, double& b) const;
  virtual void show(int) const {}

  void getTable(int size, double* table, LutOrder order) const;
  void getTable(int size, unsigned short* table, LutOrder order, int maxCode) const;

  static const LutFuncRgb sUnity;
};

// Three 1-D functions of one input, one per colour channel.
class LutFuncTriple : public LutFuncRgb {
public:
  LutFuncTriple();
  LutFuncTriple(const LutFunc& r, const LutFunc& g, const LutFunc& b);
  void transform(double x, double& r, double& g, double& b) const override;
  void show(int) const override {}
  virtual void setColorChannel(int channel, const LutFunc& func);
  virtual const LutFunc& getColorChannel(int channel) const;

  // Goes through setColorChannel so that derived classes see every change.
  void setColorLuts(const LutFunc& r, const LutFunc& g, const LutFunc& b);

private:
  const LutFunc* channel_[3];
};

class LutFunc3D {
public:
  constexpr LutFunc3D() noexcept {}
  virtual ~LutFunc3D() = default;
  virtual void transform(double r, double g, double b, double& outR, double& outG,
                         double& outB) const;
  virtual void show(int) const {}
  // transform() of n points given as three arrays of red, green and blue
  // (structure of arrays); the outputs may be the input arrays. Like
  // LutFunc::transformArray, functions built on pow, log or exp evaluate
  // their maths vectorised, within 1 ulp per elementary function; the rest
  // give transform() bit for bit.
  virtual void transformBlock(const double* r, const double* g, const double* b, double* outR,
                              double* outG, double* outB, size_t n) const;

  // size^3 samples, red slowest and blue fastest, evaluated in blocks
  // through transformBlock().
  void getTable(int size, double* table, LutOrder order) const;
  // With halfGrid only every other grid point is evaluated and the rest are
  // integer midpoints of the codes. Half-grid sampling needs an odd size:
  // for an even size the full grid is evaluated instead.
  void getTable(int size, unsigned short* table, LutOrder order, int maxCode, bool halfGrid) const;

  static const LutFunc3D sUnity;

private:
  void getFullGrid(int size, unsigned short* table, LutOrder order, int maxCode) const;
  void getHalfGrid(int size, unsigned short* table, LutOrder order, int maxCode) const;
};

// f(x * gain): the gain scales the input.
class LutFuncGain : public LutFunc {
public:
  LutFuncGain() : func_(&LutFunc::sUnity), gain_(1.0) {}
  LutFuncGain(const LutFunc& func, double gain) : func_(&func), gain_(gain) {}
  void setFunc(const LutFunc& func) { func_ = &func; }
  void setGain(double gain) { gain_ = gain; }
  double transform(double x) const override;
  void show(int) const override {}

private:
  const LutFunc* func_;
  double gain_;
};

// One channel of the ASC CDL: clamp(x * slope + offset) ^ power.
class LutFuncCdl : public LutFuncInv {
public:
  LutFuncCdl(double slope, double offset, double power)
      : slope_(slope), offset_(offset), power_(power) {}
  void setSlope(double slope) { slope_ = slope; }
  void setOffset(double offset) { offset_ = offset; }
  void setPower(double power) { power_ = power; }
  double transform(double x) const override;
  void show(int) const override {}
  double inverse(double y) const override;

private:
  double slope_;
  double offset_;
  double power_;
};

// x ^ exponent for x > 0, otherwise 0.
class PowerFunc : public LutFuncInv {
public:
  explicit PowerFunc(double exponent) : exponent_(exponent) {}
  double transform(double x) const override;
  void transformArray(const double* in, double* out, size_t n) const override;
  void show(int) const override {}
  double inverse(double y) const override;
  void inverseArray(const double* in, double* out, size_t n) const override;

private:
  double exponent_;
};

// lhs(rhs(x)): the right-hand function is applied first.
class LutComposite : public LutFunc {
public:
  LutComposite() : lhs_(&LutFunc::sUnity), rhs_(&LutFunc::sUnity) {}
  LutComposite(const LutFunc& lhs, const LutFunc& rhs) : lhs_(&lhs), rhs_(&rhs) {}
  void setLhs(const LutFunc& lhs) { lhs_ = &lhs; }
  void setRhs(const LutFunc& rhs) { rhs_ = &rhs; }
  double transform(double x) const override;
  void show(int) const override {}

private:
  const LutFunc* lhs_;
  const LutFunc* rhs_;
};

// Applies a separate 1-D curve to each channel of an RGB triple.
class LutAdapter : public LutFunc3D {
public:
  LutAdapter();
  LutAdapter(const LutFunc& r, const LutFunc& g, const LutFunc& b);
  explicit LutAdapter(const LutFuncTriple& triple);
  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override;
  void transformBlock(const double* r, const double* g, const double* b, double* outR, double* outG,
                      double* outB, size_t n) const override;
  void show(int) const override {}
  void setColorLuts(const LutFunc& r, const LutFunc& g, const LutFunc& b);
  void setColorLuts(const LutFuncTriple& triple);
  void setColorChannel(int channel, const LutFunc& func) { channel_[channel] = &func; }
  const LutFunc& getColorChannel(int channel) const { return *channel_[channel]; }

private:
  const LutFunc* channel_[3];
};

}  // namespace Kalvora
