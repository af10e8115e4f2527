#include "kvrDisplayLut.h"

#include "kvrElvexView.h"
#include "kvrError.h"
#include "kvrMath.h"
#include "kvrSrcColorSpaceInfo.h"

#define KVR_SOURCE "src/kvrDisplayLut"

namespace Kalvora {

const double DisplayLut::sPurple[3] = {0.699999988079071, 0.0, 1.0};
const double DisplayLut::sBlue[3] = {0.0, 0.0, 1.0};
const double DisplayLut::sGreen[3] = {0.0, 1.0, 0.0};
const double DisplayLut::sPink[3] = {1.0, 0.699999988079071, 0.699999988079071};
const double DisplayLut::sYellow[3] = {1.0, 1.0, 0.0};
const double DisplayLut::sRed[3] = {1.0, 0.0, 0.0};

namespace {

// Half width of the grey and skin bands on the log signal.
constexpr double kLogBandHalfWidth = 0.0104;
// Upper end of the outermost band, just above full scale.
constexpr double kTopOfRange = 1.001;

FalseColorLut::ColorRange band(double min, double max, const double (&color)[3]) {
  return FalseColorLut::ColorRange(min, max, color[0], color[1], color[2]);
}

// Clamps to [0, 1]; NaN passes.
double clampUnit(double u) {
  if (u > 1.0) return 1.0;
  if (u < 0.0) return 0.0;
  return u;
}

}  // namespace

DisplayLut::DisplayLut(const SrcColorSpaceInfo* src)
    : videoRanges_{
          // Rows 0 to 5 are computed; rows 6 to 11 are video signal bands.
          band(0, 0, sPurple),
          band(0, 0, sBlue),
          band(0, 0, sGreen),
          band(0, 0, sPink),
          band(0, 0, sYellow),
          band(0, 0, sRed),
          band(0.0, 0.0019000000320374966, sPurple),
          band(0.0019000000320374966, 0.0038999998942017555, sBlue),
          band(0.10339999943971634, 0.12870000302791595, sGreen),
          band(0.20839999616146088, 0.24729999899864197, sPink),
          band(0.9272000193595886, 0.9753999710083008, sYellow),
          band(0.9753999710083008, 1.100000023841858, sRed),
      },
      src_(src),
      viewingGammaCdl_(1.0, 0.0, 1.0),
      elvexRanges_{
          // Rows 0 to 5 follow the log curve; rows 6 to 11 are the defaults.
          band(0.0, 0.0019000000320374966, sPurple),
          band(0.0019000000320374966, 0.0038999998942017555, sBlue),
          band(0.10339999943971634, 0.12870000302791595, sGreen),
          band(0.20839999616146088, 0.24729999899864197, sPink),
          band(0.9272000193595886, 0.9753999710083008, sYellow),
          band(0.9753999710083008, 1.100000023841858, sRed),
          band(0.0, 0.10670000314712524, sPurple),
          band(0.10670000314712524, 0.14820000529289246, sBlue),
          band(0.3799999952316284, 0.40059998631477356, sGreen),
          band(0.45260000228881836, 0.47369998693466187, sPink),
          band(0.7777000069618225, 0.8460999727249146, sYellow),
          band(0.8460999727249146, 1.100000023841858, sRed),
      } {}

DisplayLut::~DisplayLut() = default;

// ---- settings --------------------------------------------------------------

bool DisplayLut::isUnity() const { return !falseColor_ && isIdentity(); }

bool DisplayLut::setFalseColor(bool on) {
  falseColor_ = on;
  return isUnity();
}

bool DisplayLut::setVideoFalseColorMode(FalseColorMode mode) {
  if (mode != ElvexCurve && mode != ElvexDefault && mode != DisplayLinear)
    throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal false color mode");
  falseColorMode_ = mode;
  return isUnity();
}

void DisplayLut::setViewingGamma(double gamma) {
  if (gamma == 1.0 || gamma == 0.0) {
    viewingGammaOn_ = false;
    return;
  }
  viewingGammaOn_ = true;
  viewingGammaCdl_.setPower(1.0 / gamma);
}

void DisplayLut::setViewingSaturation(double saturation) {
  if (!(saturation > 0.0)) throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal viewing saturation");
  viewingSaturation_ = saturation;
}

void DisplayLut::setVideoGrayScaleCurve(const LutFunc* curve) {
  grayCurve_ = curve != nullptr ? curve : &LutFunc::sUnity;
}

void DisplayLut::setElvexFalseColorLimits(const Elvex& elvex) {
  ColorRange* rows = elvexRanges_;
  // Black: 2.5 and 10 codes of 16 bits above the black level.
  rows[0].min = 0.0;
  rows[0].max = elvex.valueZeroBase(3.8147554732859135e-05);
  rows[1].min = rows[0].max;
  rows[1].max = elvex.valueZeroBase(0.00015259021893143654);
  // Mid grey and skin (one stop above grey).
  const double grey = elvex.getElvexParam().encodingOffset;
  rows[2].min = grey - kLogBandHalfWidth;
  rows[2].max = grey + kLogBandHalfWidth;
  const double skin = elvex.skinValue();
  rows[3].min = skin - kLogBandHalfWidth;
  rows[3].max = skin + kLogBandHalfWidth;
  // Two thirds and one third of a stop below clipping, then clipped.
  rows[4].min = elvex.transform(0.6299600005149841);
  rows[4].max = elvex.transform(0.7936999797821045);
  rows[5].min = rows[4].max;
  rows[5].max = kTopOfRange;
  // The defaults follow the curve's grey and skin.
  for (int k = 2; k <= 3; ++k) {
    rows[6 + k].min = rows[k].min;
    rows[6 + k].max = rows[k].max;
  }
}

// ---- the three stages ------------------------------------------------------

const LutFunc* DisplayLut::getLinLut() const {
  if (!falseColor_ && isIdentity()) return &LutFunc::sUnity;
  return src_->getLinLut(false);
}

void DisplayLut::getColorMatrix(double (&m)[9]) const {
  if (falseColor_)
    src_->getLumaMatrix(m);  // every channel carries the luminance to the painter
  else
    do_getColorMatrix(viewingSaturation_, m);
}

const LutFuncRgb* DisplayLut::getGammaLutNoFalseColor() {
  for (int k = 0; k < 3; ++k) gammaTriple_.setColorChannel(k, *displayEncoding(k));
  return &gammaTriple_;
}

const LutFunc* DisplayLut::displayEncoding(int channel) {
  const LutFunc* encoding = do_getGammaLut(channel);
  if (!viewingGammaOn_) return encoding;
  viewingComposites_[channel].setLhs(*encoding);
  viewingComposites_[channel].setRhs(viewingGammaCdl_);
  return &viewingComposites_[channel];
}

const LutFuncRgb* DisplayLut::getGammaLut() {
  if (!falseColor_) return isIdentity() ? &LutFuncRgb::sUnity : getGammaLutNoFalseColor();
  const ColorRange* table;
  if (ElvexView::isColorSpace(src_)) {
    falseColorLut_.setMonoChannel(LutFunc::sUnity);
    table = elvexRanges_;
  } else {
    setVideoFalseColorLimits();
    falseColorLut_.setMonoChannel(*displayEncoding(1));
    table = videoRanges_;
  }
  falseColorLut_.setColorRange(table, kBandCount);
  return &falseColorLut_;
}

// ---- false-colour bands of video sources -----------------------------------

double DisplayLut::videoBound(double logBound, const LutFunc& lin, const LutFunc& mono) const {
  // The legacy view carries the log bounds as its own signal.
  const bool legacy = src_->isColorSpace("kesta_legacy_view", 0);
  const double signal = clampUnit(legacy ? logBound : grayCurve_->transform(logBound));
  return mono.transform(lin.transform(signal));
}

void DisplayLut::setVideoFalseColorLimits() {
  const LutFunc& lin = *getLinLut();
  getGammaLutNoFalseColor();
  const LutFunc& mono = gammaTriple_.getColorChannel(1);
  if (falseColorMode_ == DisplayLinear) {
    for (int k = 0; k < kBandCount; ++k) {
      videoRanges_[k].min = mono.transform(videoRanges_[kBandCount + k].min);
      videoRanges_[k].max = mono.transform(videoRanges_[kBandCount + k].max);
    }
  } else {
    const ColorRange* base =
        falseColorMode_ == ElvexCurve ? elvexRanges_ : elvexRanges_ + kBandCount;
    for (int k = 0; k < kBandCount; ++k) {
      videoRanges_[k].min = videoBound(base[k].min, lin, mono);
      videoRanges_[k].max = videoBound(base[k].max, lin, mono);
    }
  }
  setMinValuesByLimits(videoRanges_, kBandCount, kMinBandWidth);
}

void DisplayLut::setMinValuesByLimits(ColorRange* ranges, int n, double minWidth) {
  if (ranges == nullptr || n < 1) return;
  for (int i = n - 1; i >= 0; --i) {
    if (i <= n - 2 && ranges[i].max > ranges[i + 1].min) ranges[i].max = ranges[i + 1].min;
    if (ranges[i].min + minWidth > ranges[i].max) ranges[i].min = ranges[i].max - minWidth;
  }
  ranges[0].min = 0.0;
  ranges[n - 1].max = kTopOfRange;
}

// ---- matrices --------------------------------------------------------------

void DisplayLut::calculateColorMatrix(const ColorSpaceInfo* dst, double (&m)[9]) const {
  src_->getConversionMatrix(*dst, m);
}

void DisplayLut::calculateColorMatrix(double saturation, const double (&xyz2rgb)[9],
                                      double (&m)[9]) const {
  double xyz[9];
  src_->getXyzMatrix(xyz);
  // Blend every row towards the luminance row (the middle row of xyz).
  double saturated[9];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      saturated[3 * r + c] = saturation * xyz[3 * r + c] + (1.0 - saturation) * xyz[3 + c];
  double product[9];
  mulRgbMat(xyz2rgb, saturated, product);
  normMat(product, m);
}

bool DisplayLut::isSrcColorSpace(const SrcColorSpaceInfo* cs) const { return *cs == *src_; }

}  // namespace Kalvora
