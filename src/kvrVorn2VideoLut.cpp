#include "kvrVorn2VideoLut.h"

#include <cmath>

#include "kvrError.h"
#include "kvrMath.h"
#include "kvrPfwl.h"
#include "kvrVectorMath.h"

#define KVR_SOURCE "src/kvrVorn2VideoLut"

namespace Kalvora {

namespace {

// Min with 1, then negative values become 0; NaN passes.
inline double clamp01(double x) {
  if (x > 1.0) x = 1.0;
  return x < 0.0 ? 0.0 : x;
}

// mulRgbMatVect, visible to the compiler so that it is inlined in the
// per-point loops; the same operations in the same order.
inline void multiply(const double (&m)[9], double r, double g, double b, double& outR, double& outG,
                     double& outB) {
  outR = m[0] * r + m[1] * g + m[2] * b;
  outG = m[3] * r + m[4] * g + m[5] * b;
  outB = m[6] * r + m[7] * g + m[8] * b;
}

// A camera log pixel split into luma, the two chroma axes, the chroma
// magnitude and the value V that drives the luma-dependent chroma curve.
struct LookPixel {
  double y;
  double cb;
  double cr;
  double cmag;
  double v;
};

inline LookPixel decompose(double r, double g, double b) {
  LookPixel p{};
  multiply(Vorn2VideoLutInterface::sYccMatrix, r, g, b, p.y, p.cb, p.cr);
  p.cmag = std::sqrt(p.cr * p.cr + p.cb * p.cb);
  const double* w = Vorn2VideoLutInterface::sValueWeight;
  p.v = w[0] * r + w[1] * g + w[2] * b;
  return p;
}

// Luma and shaped chroma back to RGB, each channel clamped to [0, 1]. The zero
// coefficients are multiplied too, so a NaN chroma reaches every channel.
inline void recombine(double y, double cb, double cr, double& r, double& g, double& b) {
  multiply(Vorn2VideoLutInterface::sRgbMatrix, y, cb, cr, r, g, b);
  r = clamp01(r);
  g = clamp01(g);
  b = clamp01(b);
}

inline void convertGamut(const double (&m)[9], double& r, double& g, double& b) {
  multiply(m, r, g, b, r, g, b);
  r = clamp01(r);
  g = clamp01(g);
  b = clamp01(b);
}

// Gamut areas that separate the chroma compressions of small (Rec.709),
// medium (P3) and large (Rec.2020, ACES) targets.
constexpr double kMediumGamutArea = 0.15000000596046448;
constexpr double kLargeGamutArea = 0.1599999964237213;

constexpr double kPqNits = 10000.0;  // PQ signal 1.0 decodes to 10000 nits

// HLG signal encoding constants.
constexpr double kHlgA = 0.17883277;
constexpr double kHlgB = 0.28466892;
constexpr double kHlgC = 0.55991073;

}  // namespace

Vorn2VideoLut::Vorn2VideoLut(Vorn2ImageCore* core)
    : toneMap_(0.5, 0.5),
      matrix_{},
      saturationBoost_(1.0),
      videoGamma_(&Pfwl::getVideoGamma()),
      targetGamma_(nullptr),
      imageCore_(core),
      desatSpline_(5),
      isPq_(false),
      isHlg_(false),
      diffuseWhite_(100.0),
      peakWhite_(1000.0) {
  setVideoSaturation(1.0);
  saturationBoost_ = 1.0 + toneMap_.getContrastIncrease() / 3.0;
  setTargetColorSpace(registry_.forId(Rec1886));
  initDesatSpline();
  updateBlueRotation();
  updatePeakWhiteConstants();
}

// ---- settings ---------------------------------------------------------------

void Vorn2VideoLut::setHueSaturation(HueCurve::Hue hue, double value) {
  hueCurve_.setSaturation(hue, value);
}

void Vorn2VideoLut::setVideoSaturation(double value) { chromaCurve_.setSaturation(value); }

void Vorn2VideoLut::setTonemapParameter(double blackGamma, double knee) {
  toneMap_.setShape(blackGamma, knee);
  saturationBoost_ = 1.0 + toneMap_.getContrastIncrease() / 3.0;
}

void Vorn2VideoLut::setCombinedGamma(double value, Channel k) {
  checkChannel(k);
  videoCurves_[k].setPower(1.0 / value);
}

void Vorn2VideoLut::setSlope(double value, Channel k) {
  checkChannel(k);
  videoCurves_[k].setSlope(value);
}

void Vorn2VideoLut::setPedestal(double value, Channel k) {
  checkChannel(k);
  videoCurves_[k].setPedestal(value);
}

// The derived constants follow the stored value at once: the curves below
// may reject the value after it has been stored.
void Vorn2VideoLut::setDiffuseWhite(double w) {
  diffuseWhite_ = w;
  updateBlueRotation();
  lumaCurve_.setDiffuseWhite(w);
}

void Vorn2VideoLut::setPeakWhite(double p) {
  peakWhite_ = p;
  updatePeakWhiteConstants();
  chromaLumaCurve_.setPeakWhite(p);
  lumaCurve_.setPeakWhite(p);
}

// ---- target selection -------------------------------------------------------

void Vorn2VideoLut::setTargetColorSpace(const ColorSpaceInfo* cs) {
  if (!cs) return;
  if (cs->isColorSpace(registry_.forId(Rec2100Pq)->getName(), 0))
    selectHdrTarget(true);
  else if (cs->isColorSpace(registry_.forId(Rec2100Hlg)->getName(), 0))
    selectHdrTarget(false);
  else
    selectSdrTarget(*cs);
}

// The HDR targets keep the previous SDR display encoding: their path encodes
// with PQ itself.
void Vorn2VideoLut::selectHdrTarget(bool pq) {
  // The only step that can fail (a rejected peak white) comes first.
  chromaLumaCurve_.setCurveType(ChromaLumaCurve::kHdr);
  chromaCurve_.setCurveType(ChromaCurve::kHdr);
  copyRgbMat(sKestaWg2Rec2020Mat, matrix_);
  isPq_ = pq;
  isHlg_ = !pq;
}

void Vorn2VideoLut::selectSdrTarget(const ColorSpaceInfo& cs) {
  // A gamma space without the shared toe curve encodes with its pure power law.
  const LutFunc* encoding = cs.getGammaLut(1, false);
  if (!encoding) encoding = cs.getGammaLut(1, true);
  if (!encoding) throw KvrSignal(kIllegalValue, KVR_HERE, "Unhandled gamma lut");
  double fromRec709[9];
  registry_.forId(Rec1886)->getConversionMatrix(cs, fromRec709);

  chromaLumaCurve_.setCurveType(ChromaLumaCurve::kSdr);
  mulRgbMat(fromRec709, sKestaWg2Rec709Mat, matrix_);
  targetGamma_ = encoding;
  chromaCurve_.setCurveType(chromaCurveTypeForGamut(cs.gamutSize()));
  isPq_ = false;
  isHlg_ = false;
}

ChromaCurve::CurveType Vorn2VideoLut::chromaCurveTypeForGamut(double area) {
  if (area < kMediumGamutArea) return ChromaCurve::kSmallGamut;
  if (area > kLargeGamutArea) return ChromaCurve::kLargeGamut;
  return ChromaCurve::kMediumGamut;
}

// ---- rendering --------------------------------------------------------------

void Vorn2VideoLut::transform(double r, double g, double b, double& outR, double& outG,
                              double& outB) const {
  if (isPq_) {
    transform_hdr(r, g, b, outR, outG, outB);
  } else if (!isHlg_) {
    transform_sdr(r, g, b, outR, outG, outB);
  } else {
    transform_hdr(r, g, b, outR, outG, outB);
    convertPqToHlg(outR, outG, outB);
  }
}

// ---- rendering in blocks ------------------------------------------------------
//
// The block forms take the steps of the scalar forms one at a time over
// arrays: the elementary functions run vectorised, the splines and matrices
// per point exactly as in the scalar forms.

void Vorn2VideoLut::transformBlock(const double* r, const double* g, const double* b, double* outR,
                                   double* outG, double* outB, size_t n) const {
  forEachChunk(n, [&](size_t first, size_t count) {
    const double* in[3] = {r + first, g + first, b + first};
    double* out[3] = {outR + first, outG + first, outB + first};
    if (isPq_ || isHlg_) {
      hdrBlock(in[0], in[1], in[2], out[0], out[1], out[2], count);
      if (isHlg_) pqToHlgBlock(out[0], out[1], out[2], count);
    } else {
      sdrBlock(in[0], in[1], in[2], out[0], out[1], out[2], count);
    }
  });
}

namespace {

// The decomposition of up to kVecChunk points, as arrays.
struct LookBlock {
  // Zeroed where the vectorised maths reads them, so the compiler sees no
  // read of an unset element.
  double y[kVecChunk];
  double cb[kVecChunk] = {};
  double cr[kVecChunk] = {};
  double cmag[kVecChunk];
  double v[kVecChunk];
  double hue[kVecChunk] = {};

  LookBlock(const double* r, const double* g, const double* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      const LookPixel p = decompose(r[i], g[i], b[i]);
      y[i] = p.y;
      cb[i] = p.cb;
      cr[i] = p.cr;
      cmag[i] = p.cmag;
      v[i] = p.v;
    }
    vecAtan2(cr, cb, hue, n);
  }
};

}  // namespace

void Vorn2VideoLut::sdrBlock(const double* r, const double* g, const double* b, double* outR,
                             double* outG, double* outB, size_t n) const {
  const LookBlock p(r, g, b, n);
  double rgb[3][kVecChunk];
  for (size_t i = 0; i < n; ++i) {
    double cb = 0.0;
    double cr = 0.0;
    if (p.cmag[i] != 0.0) {
      const double chroma = chromaLumaCurve_.getChroma(p.v[i]) * chromaCurve_.getChroma(p.cmag[i]);
      const double f = hueCurve_.getChroma(p.hue[i]) * chroma * saturationBoost_ / p.cmag[i];
      cb = f * p.cb[i];
      cr = f * p.cr[i];
    }
    recombine(toneMap_.transform(p.y[i]), cb, cr, rgb[0][i], rgb[1][i], rgb[2][i]);
  }
  for (auto& channel : rgb) videoGamma_->transformArray(channel, channel, n);
  for (size_t i = 0; i < n; ++i) convertGamut(matrix_, rgb[0][i], rgb[1][i], rgb[2][i]);
  double* out[3] = {outR, outG, outB};
  for (int c = 0; c < 3; ++c) {
    targetGamma_->transformArray(rgb[c], rgb[c], n);
    videoCurves_[c].transformArray(rgb[c], out[c], n);
  }
}

void Vorn2VideoLut::hdrBlock(const double* r, const double* g, const double* b, double* outR,
                             double* outG, double* outB, size_t n) const {
  const LookBlock p(r, g, b, n);
  double sinHue[kVecChunk];
  double cosHue[kVecChunk];
  vecSinCos(p.hue, sinHue, cosHue, n);
  double rgb[3][kVecChunk];
  for (size_t i = 0; i < n; ++i) {
    double cb = 0.0;
    double cr = 0.0;
    if (p.cmag[i] != 0.0) {
      if (!hasBlueRotation_) throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal value");
      const double q1 = chromaCurve_.getChroma(std::sqrt(p.cmag[i]));
      const double q2 = chromaLumaCurve_.getChroma(p.v[i]);
      rotateAndDesaturate(q1 * q1 * q2, cosHue[i], sinHue[i], cb, cr);
    }
    double y = lumaCurve_.getLuma(p.y[i]);
    if (y < 0.0) y = 0.0;
    recombine(y, cb, cr, rgb[0][i], rgb[1][i], rgb[2][i]);
  }
  for (auto& channel : rgb) pq_.transformArray(channel, channel, n);
  for (size_t i = 0; i < n; ++i) convertGamut(matrix_, rgb[0][i], rgb[1][i], rgb[2][i]);
  double* out[3] = {outR, outG, outB};
  for (int c = 0; c < 3; ++c) {
    pq_.inverseArray(rgb[c], out[c], n);
    for (size_t i = 0; i < n; ++i) out[c][i] = limitPq(out[c][i]);
  }
}

void Vorn2VideoLut::pqToHlgBlock(double* r, double* g, double* b, size_t n) const {
  double* channels[3] = {r, g, b};
  for (double* x : channels) {
    pq_.transformArray(x, x, n);
    for (size_t i = 0; i < n; ++i) x[i] = x[i] * kPqNits / peakWhite_;
  }
  double k[kVecChunk];
  for (size_t i = 0; i < n; ++i) k[i] = 0.2627 * r[i] + 0.678 * g[i] + 0.0593 * b[i];
  vecPowFromLog(k, hlgExponent_, k, n);
  double logArgument[kVecChunk];
  for (double* x : channels) {
    for (size_t i = 0; i < n; ++i) {
      x[i] *= k[i];
      x[i] = x[i] < 0.0 ? 0.0 : x[i] * 12.0;
      logArgument[i] = x[i] - kHlgB;
    }
    // The logarithm of the upper branch, for every point; the lower branch
    // discards its (possibly NaN) value.
    vecLog(logArgument, logArgument, n);
    for (size_t i = 0; i < n; ++i) {
      x[i] = x[i] <= 1.0 ? 0.5 * std::sqrt(x[i]) : kHlgA * logArgument[i] + kHlgC;
      x[i] = clamp01(x[i]);
    }
  }
}

void Vorn2VideoLut::transform_sdr(double r, double g, double b, double& outR, double& outG,
                                  double& outB) const {
  const LookPixel p = decompose(r, g, b);
  double cb = 0.0;
  double cr = 0.0;
  if (p.cmag != 0.0) {
    const double chroma = chromaLumaCurve_.getChroma(p.v) * chromaCurve_.getChroma(p.cmag);
    const double f =
        hueCurve_.getChroma(std::atan2(p.cr, p.cb)) * chroma * saturationBoost_ / p.cmag;
    cb = f * p.cb;
    cr = f * p.cr;
  }
  double r1, g1, b1;
  recombine(toneMap_.transform(p.y), cb, cr, r1, g1, b1);

  double rm = videoGamma_->transform(r1);
  double gm = videoGamma_->transform(g1);
  double bm = videoGamma_->transform(b1);
  convertGamut(matrix_, rm, gm, bm);

  outR = videoCurves_[Red].transform(targetGamma_->transform(rm));
  outG = videoCurves_[Green].transform(targetGamma_->transform(gm));
  outB = videoCurves_[Blue].transform(targetGamma_->transform(bm));
}

void Vorn2VideoLut::transform_hdr(double r, double g, double b, double& outR, double& outG,
                                  double& outB) const {
  const LookPixel p = decompose(r, g, b);
  double cb = 0.0;
  double cr = 0.0;
  if (p.cmag != 0.0) compressHdrChroma(p.cb, p.cr, p.cmag, p.v, cb, cr);

  double y = lumaCurve_.getLuma(p.y);
  if (y < 0.0) y = 0.0;
  double r1, g1, b1;
  recombine(y, cb, cr, r1, g1, b1);

  double rm = pq_.transform(r1);
  double gm = pq_.transform(g1);
  double bm = pq_.transform(b1);
  convertGamut(matrix_, rm, gm, bm);

  outR = limitPq(pq_.inverse(rm));
  outG = limitPq(pq_.inverse(gm));
  outB = limitPq(pq_.inverse(bm));
}

void Vorn2VideoLut::compressHdrChroma(double cb, double cr, double cmag, double v, double& outCb,
                                      double& outCr) const {
  if (!hasBlueRotation_) throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal value");
  const double q1 = chromaCurve_.getChroma(std::sqrt(cmag));
  const double q2 = chromaLumaCurve_.getChroma(v);
  const double m = q1 * q1 * q2;
  const double hue = std::atan2(cr, cb);
  rotateAndDesaturate(m, std::cos(hue), std::sin(hue), outCb, outCr);
}

void Vorn2VideoLut::rotateAndDesaturate(double m, double cosHue, double sinHue, double& outCb,
                                        double& outCr) const {
  const double a = m * cosHue;
  const double b = m * sinHue;
  const double c = cosBlueRotation_;
  const double s = sinBlueRotation_;
  const double u = a * c + b * s;
  const double w = b * c - a * s;
  const double uc = desatSpline_.transform(u);
  outCb = uc * c - w * s;
  outCr = w * c + uc * s;
}

void Vorn2VideoLut::updateBlueRotation() {
  hasBlueRotation_ = diffuseWhite_ == 100.0 || diffuseWhite_ == 200.0;
  if (!hasBlueRotation_) return;
  const double theta = (diffuseWhite_ == 100.0 ? sHueRotationForBlueCompression_w100
                                               : sHueRotationForBlueCompression_w200) -
                       0.5;
  cosBlueRotation_ = std::cos(theta);
  sinBlueRotation_ = std::sin(theta);
}

void Vorn2VideoLut::updatePeakWhiteConstants() {
  pqBlack_ = pq_.inverse(sBlackLevel / kPqNits);
  pqPeak_ = pq_.inverse(peakWhite_ / kPqNits);
  const double gamma = 1.2 + 0.42 * std::log10(peakWhite_ / 1000.0);
  hlgExponent_ = (1.0 - gamma) / gamma;
}

inline double Vorn2VideoLut::limitPq(double x) const {
  if (x < pqBlack_) return pqBlack_;
  return x > pqPeak_ ? pqPeak_ : x;
}

void Vorn2VideoLut::convertPqToHlg(double& r, double& g, double& b) const {
  double* channels[3] = {&r, &g, &b};
  for (double* x : channels) *x = pq_.transform(*x) * kPqNits / peakWhite_;

  const double ys = 0.2627 * r + 0.678 * g + 0.0593 * b;
  const double k = std::pow(ys, hlgExponent_);
  for (double* x : channels) {
    *x *= k;
    *x = *x < 0.0 ? 0.0 : *x * 12.0;
    applyEotf(*x);
    *x = clamp01(*x);
  }
}

void Vorn2VideoLut::applyEotf(double& x) const {
  if (x <= 1.0)
    x = 0.5 * std::sqrt(x);
  else
    x = kHlgA * std::log(x - kHlgB) + kHlgC;
}

void Vorn2VideoLut::initDesatSpline() {
  // Knot 3 (4 s) lies beyond knot 4 (1.0): the curve follows interval 2 up to
  // 4 s and answers s from there on. Chroma magnitudes stay below 1, so the
  // compression never reaches that point.
  const double s = sHighlightSaturation;
  const double x[5] = {-1.0, 0.0, 0.8 * s, 4.0 * s, 1.0};
  const double y[5] = {-1.0, 0.0, 0.5 * s, 0.9 * s, s};
  const double d[5] = {1.0, 1.0, 0.3, 0.05, 0.0};
  for (int i = 0; i < 5; ++i) {
    desatSpline_.setX(i, x[i], false);
    desatSpline_.setY(i, y[i], false);
    desatSpline_.setD(i, d[i], false);
  }
  desatSpline_.updatePolynomial();
}

}  // namespace Kalvora
