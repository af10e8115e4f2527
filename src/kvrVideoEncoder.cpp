#include "kvrVideoEncoder.h"

#include <cmath>

#include "kvrMath.h"

#define KVR_SOURCE "src/kvrVideoEncoder"

namespace Kalvora {

const double VideoEncoder::sRec709YPbPr[9] = {0.2126,
                                              0.7152,
                                              0.0722,
                                              -0.11457210605733996,
                                              -0.38542789394266,
                                              0.5,
                                              0.5,
                                              -0.45415290830581656,
                                              -0.04584709169418339};
const double VideoEncoder::sRec2020YPbPr[9] = {0.2627,
                                               0.678,
                                               0.0593,
                                               -0.13963006271925163,
                                               -0.3603699372807484,
                                               0.5,
                                               0.5,
                                               -0.4597857045978571,
                                               -0.040214295402142955};

namespace {

// Chroma of FullScaledChroma spans the full code range like luma: 224 / 219.
constexpr double kScaledChromaGain = 1.0228310502283104;

bool isFinite(const double (&m)[9]) {
  for (double v : m)
    if (!std::isfinite(v)) return false;
  return true;
}

}  // namespace

VideoEncoder::VideoEncoder(int bits, Range range)
    : encode_(true),
      range_(range),
      bits_(bits),
      lumaOffset_(0.0),
      lumaScale_(1.0),
      chromaOffset_(0.0),
      chromaScale_(1.0) {
  if (!isValidBits(bits)) throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal video bit depth");
  if (!isValidRange(range)) throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal video range");
  copyRgbMat(sRec709YPbPr, matrix_);
  bool ok = false;
  invMat(matrix_, inverse_, ok);
  updateScaling();
}

void VideoEncoder::updateScaling() {
  const double u = static_cast<int32_t>(1) << (bits_ - 8);
  const double m = (static_cast<int32_t>(1) << bits_) - 1;
  switch (range_) {
    case Full:
      lumaOffset_ = 0.0;
      lumaScale_ = m;
      chromaOffset_ = 128.0 * u;
      chromaScale_ = m;
      break;
    case Extended:
      lumaOffset_ = u;
      lumaScale_ = 254.0 * u - 1.0;
      chromaOffset_ = m / 2.0;
      chromaScale_ = 254.0 * u - 1.0;
      break;
    case Legal:
      lumaOffset_ = 16.0 * u;
      lumaScale_ = 219.0 * u;
      chromaOffset_ = 128.0 * u;
      chromaScale_ = 224.0 * u;
      break;
    case FullScaledChroma:
      lumaOffset_ = 0.0;
      lumaScale_ = m;
      chromaOffset_ = 128.0 * u;
      chromaScale_ = m * kScaledChromaGain;
      break;
  }
}

ErrorCode VideoEncoder::setBits(int bits) {
  if (!isValidBits(bits)) return kIllegalValue;
  bits_ = bits;
  updateScaling();
  return kNoError;
}

void VideoEncoder::setRange(Range range) {
  if (!isValidRange(range)) return;
  range_ = range;
  updateScaling();
}

void VideoEncoder::setDirection(bool encode) { encode_ = encode; }

bool VideoEncoder::loadMatrix(const double (&m)[9]) {
  double inverse[9];
  bool ok = false;
  invMat(m, inverse, ok);
  if (!ok || !isFinite(m) || !isFinite(inverse)) return false;
  copyRgbMat(m, matrix_);
  copyRgbMat(inverse, inverse_);
  return true;
}

ErrorCode VideoEncoder::setColorSpace(ColorSpace cs) {
  switch (cs) {
    case Rec1886:
      return loadMatrix(sRec709YPbPr) ? kNoError : kIllegalValue;
    case Rec2020Gamma24:
      return loadMatrix(sRec2020YPbPr) ? kNoError : kIllegalValue;
    default:
      return kIllegalValue;
  }
}

ErrorCode VideoEncoder::setColorSpace(const double* m) {
  if (!m) return kIllegalValue;
  double copy[9];
  for (int i = 0; i < 9; ++i) copy[i] = m[i];
  return loadMatrix(copy) ? kNoError : kIllegalValue;
}

void VideoEncoder::getEncodingMatrix(double (&m)[9], double* offsets) const {
  for (int c = 0; c < 3; ++c) {
    m[c] = matrix_[c] * lumaScale_;
    m[3 + c] = matrix_[3 + c] * chromaScale_;
    m[6 + c] = matrix_[6 + c] * chromaScale_;
  }
  if (!offsets) return;
  offsets[0] = lumaOffset_;
  offsets[1] = chromaOffset_;
  offsets[2] = chromaOffset_;
}

void VideoEncoder::getDecodingMatrix(double (&m)[9], double* offsets) const {
  for (int row = 0; row < 3; ++row) {
    m[3 * row] = inverse_[3 * row] / lumaScale_;
    m[3 * row + 1] = inverse_[3 * row + 1] / chromaScale_;
    m[3 * row + 2] = inverse_[3 * row + 2] / chromaScale_;
  }
  if (!offsets) return;
  offsets[0] = -lumaOffset_;
  offsets[1] = -chromaOffset_;
  offsets[2] = -chromaOffset_;
}

void VideoEncoder::encode(double r, double g, double b, double& y, double& cb, double& cr) const {
  double luma, pb, pr;
  mulRgbMatVect(matrix_, r, g, b, luma, pb, pr);
  y = luma * lumaScale_ + lumaOffset_;
  cb = pb * chromaScale_ + chromaOffset_;
  cr = pr * chromaScale_ + chromaOffset_;
}

void VideoEncoder::decode(double y, double cb, double cr, double& r, double& g, double& b) const {
  mulRgbMatVect(inverse_, (y - lumaOffset_) / lumaScale_, (cb - chromaOffset_) / chromaScale_,
                (cr - chromaOffset_) / chromaScale_, r, g, b);
}

void VideoEncoder::transform(double a, double b, double c, double& x, double& y, double& z) const {
  if (encode_)
    encode(a, b, c, x, y, z);
  else
    decode(a, b, c, x, y, z);
}

}  // namespace Kalvora
