#include "kvrKestaProcessBranch.h"

#include <algorithm>

#include "kvrColorSpaces.h"
#include "kvrError.h"
#include "kvrMath.h"
#include "kvrPfwl.h"

#define KVR_SOURCE "src/kvrKestaProcessBranch"

namespace Kalvora {

namespace {

// Lowest output code of the tone map: 5 of 4095, as single precision.
constexpr double kToneMapRangeLow = 0.0012210012646391988;
constexpr double kToneMapRangeHigh = 1.0;

// Log false-colour bands around grey and skin are this wide on each side.
constexpr double kLogBandHalfWidth = 0.0104;
// Linear signals above black for the two bands at black (2.5 and 10 of
// 65535) and for the two near clipping (two thirds and one third of a stop
// below it), all single precision.
constexpr double kBlackBandTop = 3.8147554732859135e-05;
constexpr double kNearBlackBandTop = 0.00015259021893143654;
constexpr double kHighBandBottom = 0.6299600005149841;
constexpr double kHighBandTop = 0.7936999797821045;
constexpr double kClipBandTop = 1.001;

constexpr unsigned int kLogOffsetRed = 3001;
constexpr unsigned int kVideoSlopeRed = 5001;
constexpr unsigned int kVideoOffsetRed = 5011;
constexpr unsigned int kVideoPowerRed = 5021;
constexpr unsigned int kVideoPedestalRed = 5031;

// Channel 0, 1, 2 of a group of three ids starting at first, or -1.
int channelOf(unsigned int id, unsigned int first) {
  return first <= id && id < first + 3 ? static_cast<int>(id - first) : -1;
}

[[noreturn]] void throwUnknownParameter(const char* where) {
  throw KvrSignal(kUnknownId, where, "Unknown parameter");
}

}  // namespace

const FalseColorLut::ColorRange KestaProcessBranch::sVideoFalseColor[6] = {
    {0.0, 0.0019000000320374966, 0.699999988079071, 0.0, 1.0},
    {0.0019000000320374966, 0.0038999998942017555, 0.0, 0.0, 1.0},
    {0.10339999943971634, 0.12870000302791595, 0.0, 1.0, 0.0},
    {0.20839999616146088, 0.24729999899864197, 1.0, 0.699999988079071, 0.699999988079071},
    {0.9272000193595886, 0.9753999710083008, 1.0, 1.0, 0.0},
    {0.9753999710083008, 1.100000023841858, 1.0, 0.0, 0.0},
};

KestaProcessBranch::KestaProcessBranch()
    : toneMapCurve_(new KestaToneMapCurve(0.5, 0.5)),
      userLut_(new Lut()),
      normToneMap_(new KestaNormToneMapCurve(*toneMapCurve_)),
      inverseGamma24_(Pfwl::sGamma24),
      inverseGamma26_(Pfwl::sGamma26),
      logOffset_{LutFuncCdl(1.0, 0.0, 1.0), LutFuncCdl(1.0, 0.0, 1.0), LutFuncCdl(1.0, 0.0, 1.0)},
      logLut_(logOffset_[0], logOffset_[1], logOffset_[2]) {
  normToneMap_->setRange(kToneMapRangeLow, kToneMapRangeHigh);
  for (int i = 0; i < kFalseColorBands; ++i) {
    const FalseColorLut::ColorRange& colour = sVideoFalseColor[i];
    logRanges_[i] = FalseColorLut::ColorRange(0.0, 0.0, colour.red, colour.green, colour.blue);
    videoRanges_[i] = logRanges_[i];
  }
}

KestaProcessBranch::~KestaProcessBranch() = default;

// ---- Settings ------------------------------------------------------------------

void KestaProcessBranch::setTonemapParam(double blackGamma, double knee) {
  toneMapCurve_->setShape(blackGamma, knee);
}

void KestaProcessBranch::setLogParameter(unsigned int id, double value) {
  const int channel = channelOf(id, kLogOffsetRed);
  if (channel < 0) throwUnknownParameter(KVR_HERE);
  logOffset_[channel].setOffset(value);
}

void KestaProcessBranch::setVideoParameter(unsigned int id, double value) {
  int c;
  if ((c = channelOf(id, kVideoSlopeRed)) >= 0)
    videoCurve_[c].setSlope(value);
  else if ((c = channelOf(id, kVideoOffsetRed)) >= 0)
    videoCurve_[c].setOffset(value);
  else if ((c = channelOf(id, kVideoPowerRed)) >= 0)
    videoCurve_[c].setPower(value);
  else if ((c = channelOf(id, kVideoPedestalRed)) >= 0)
    videoCurve_[c].setPedestal(value);
  else
    throwUnknownParameter(KVR_HERE);
}

// ---- User tone table -------------------------------------------------------------

void KestaProcessBranch::setUserLut(unsigned short const* table, int size, int scale) {
  userLut_->setTable(table, size, scale);
  normToneMap_->setCurve(*userLut_);
  hasUserLut_ = true;
}

void KestaProcessBranch::resetUserLut() {
  normToneMap_->setCurve(*toneMapCurve_);
  hasUserLut_ = false;
}

// ---- Log encoding ----------------------------------------------------------------

void KestaProcessBranch::updateElvex(Elvex const& elvex) {
  normToneMap_->setDomain(elvex.getElvexParam().encodingBlack, std::min(1.0, elvex.getMaxValue()));
  setElvexFalseColorLimits(elvex);
}

void KestaProcessBranch::setElvexFalseColorLimits(Elvex const& elvex) {
  const double grey = elvex.getElvexParam().encodingOffset;
  const double skin = elvex.skinValue();
  FalseColorLut::ColorRange* r = logRanges_;
  r[0].min = 0.0;
  r[0].max = elvex.valueZeroBase(kBlackBandTop);
  r[1].min = r[0].max;
  r[1].max = elvex.valueZeroBase(kNearBlackBandTop);
  r[2].min = grey - kLogBandHalfWidth;
  r[2].max = grey + kLogBandHalfWidth;
  r[3].min = skin - kLogBandHalfWidth;
  r[3].max = skin + kLogBandHalfWidth;
  r[4].min = elvex.transform(kHighBandBottom);
  r[4].max = elvex.transform(kHighBandTop);
  r[5].min = r[4].max;
  r[5].max = kClipBandTop;
}

void KestaProcessBranch::setVideoFalseColorLimits(LutFunc const& videoGamma) {
  for (int i = 0; i < kFalseColorBands; ++i) {
    videoRanges_[i].min = videoGamma.transform(sVideoFalseColor[i].min);
    videoRanges_[i].max = videoGamma.transform(sVideoFalseColor[i].max);
  }
}

// ---- Node functions ----------------------------------------------------------------

LutFunc const& KestaProcessBranch::toneStageFunction() {
  if (!normToneMap_) {
    KvrError(KVR_HERE, "unexpected result, using default");
    return LutFunc::sUnity;
  }
  // The built-in curve may have been reshaped since the scaling was computed.
  if (!hasUserLut_) normToneMap_->setCurve(*toneMapCurve_);
  if (!videoMode_) return LutFunc::sUnity;
  if (playbackMode_) return Pfwl::sGamma24;
  return *normToneMap_;
}

LutFunc const& KestaProcessBranch::getToneMapLut() { return toneStageFunction(); }

void KestaProcessBranch::getColorSpaceMatrix(double (&matrix)[9]) const {
  double const(&base)[9] =
      !videoMode_ ? gUnityMatrix : (p3Output_ ? gKestaWgTmP3Mat : gKestaWgTmRec709Mat);
  // In false colour the picture under the bands is grey.
  const double saturation = falseColorMode_ ? 0.0 : saturation_;
  satRgbMat(base, gLumaFactors, saturation, matrix);
}

LutFunc const& KestaProcessBranch::inverseVideoGamma() const {
  if (p3Output_) return inverseGamma26_;
  return inverseGamma24_;
}

LutFuncRgb const& KestaProcessBranch::getGammaLut() {
  if (videoMode_) {
    LutFunc const& gamma = inverseVideoGamma();
    if (!falseColorMode_) {
      gammaCurve_.setMonoChannel(gamma);
      if (playbackMode_)
        gammaCurve_.setColorLuts(LutFunc::sUnity, LutFunc::sUnity, LutFunc::sUnity);
      else
        gammaCurve_.setColorLuts(videoCurve_[0], videoCurve_[1], videoCurve_[2]);
      return gammaCurve_;
    }
    setVideoFalseColorLimits(gamma);
    falseColorLut_.setMonoChannel(gamma);
    falseColorLut_.setColorRange(videoRanges_, kFalseColorBands);
    return falseColorLut_;
  }
  if (!falseColorMode_) return LutFuncRgb::sUnity;
  falseColorLut_.setMonoChannel(LutFunc::sUnity);
  falseColorLut_.setColorRange(logRanges_, kFalseColorBands);
  return falseColorLut_;
}

LutFunc3D const& KestaProcessBranch::getVideoRenderLut() {
  render_.reset();
  logStage_.setColorLuts(logLut_);
  render_.addTransformation(logStage_);
  LutFunc const& tone = toneStageFunction();
  toneStage_.setColorLuts(tone, tone, tone);
  render_.addTransformation(toneStage_);
  double matrix[9];
  getColorSpaceMatrix(matrix);
  matrixStage_.setMatrix(matrix);
  render_.addTransformation(matrixStage_);
  // The chain ends in the video gamma; false colour and log output have no
  // place in a rendered look, so the gamma stage keeps its last video setting.
  if (&getGammaLut() != &gammaCurve_) KvrError(KVR_HERE, "unexpected result, using default");
  gammaStage_.setColorLuts(gammaCurve_);
  render_.addTransformation(gammaStage_);
  return render_;
}

}  // namespace Kalvora
