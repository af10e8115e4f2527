#include "kvrElvex.h"

#include <cmath>
#include <locale>
#include <sstream>
#include <utility>

#include "kvrMath.h"

namespace Kalvora {

namespace {

constexpr double kLn10 = 2.302585092994046;
constexpr double kLn2 = 0.6931471805599453;
// Relative change of the encoding gain per stop of exposure index (0.89 - 1
// in double arithmetic), spread over three stops.
constexpr double kGainPerStop = -0.10999999999999999;
// Rounds of the offset fit that pins mid grey and black.
constexpr int kOffsetRounds = 3;

bool isUsableAsa(double asa) { return asa >= 1.0 && std::isfinite(asa); }

}  // namespace

constexpr double Elvex::kShoulderPoint;

Elvex::Elvex(const Param& param, double asa) : param_(param) {
  // Tangent of log10 at the cut point.
  linSlope_ = 1.0 / (kLn10 * param_.cutPoint);
  linOffset_ = std::log10(param_.cutPoint) - linSlope_ * param_.cutPoint;
  setAsa(isUsableAsa(asa) ? asa : param_.nominalSpeed);
}

bool Elvex::setAsa(double asa) {
  if (!isUsableAsa(asa)) return false;
  double gain = asa / param_.nominalSpeed;
  if (gain == exposureGain_) return false;

  exposureGain_ = gain;
  graySignal_ = param_.midGray / gain;
  double stops = std::log(gain) / kLn2;
  encodingGain_ = param_.encodingGain * (1.0 + kGainPerStop * stops / 3.0);

  // Fit offsets so that mid grey encodes to encodingOffset and black to
  // encodingBlack (up to the residue of the last round).
  double offset = param_.encodingOffset;
  double black = 0.0;
  for (int round = 0; round < kOffsetRounds; ++round) {
    black = ((param_.encodingBlack - offset) / encodingGain_ - linOffset_) / linSlope_;
    offset = param_.encodingOffset - encodingGain_ * std::log10(1.0 + black);
  }
  blackOffset_ = black;
  encodingOffset_ = offset;
  updateMaxValue();
  return true;
}

void Elvex::updateMidGray(double midGray) {
  param_.midGray = midGray;
  graySignal_ = midGray / exposureGain_;
  updateMaxValue();
}

void Elvex::updateMaxValue() { maxValue_ = unconstrainedValue(1.0); }

double Elvex::logOrLine(double t) const {
  return t > param_.cutPoint ? std::log10(t) : t * linSlope_ + linOffset_;
}

double Elvex::unconstrainedValue(double x) const {
  double t = (x - param_.blackSignal) / graySignal_ + blackOffset_;
  return encodingGain_ * logOrLine(t) + encodingOffset_;
}

double Elvex::transform(double x) const {
  double e = unconstrainedValue(x);
  if (e < 0.0) return 0.0;
  if (e > kShoulderPoint && maxValue_ > 1.0) return shoulder(e);
  return e;
}

// Cubic from (0.8, 0.8) with slope 1 to (MaxValue, 1.0) with slope k^2;
// extrapolated above MaxValue.
double Elvex::shoulder(double e) const {
  double k = (1.0 - kShoulderPoint) / (maxValue_ - kShoulderPoint);
  double w[4];
  hermite(e, kShoulderPoint, maxValue_, w);
  return kShoulderPoint * w[0] + 1.0 * w[1] + 1.0 * w[2] + k * k * w[3];
}

// Cubic with the end values and end slopes of the inverse of the shoulder
// (not its exact inverse).
double Elvex::inverseShoulder(double y) const {
  double k = (maxValue_ - kShoulderPoint) / (1.0 - kShoulderPoint);
  double w[4];
  hermite(y, kShoulderPoint, 1.0, w);
  return kShoulderPoint * w[0] + maxValue_ * w[1] + 1.0 * w[2] + k * k * w[3];
}

double Elvex::inverse(double y) const {
  if (y < 0.0) return 0.0;
  if (y > kShoulderPoint && maxValue_ > 1.0) y = inverseShoulder(y);
  return elvex2Linear(y);
}

double Elvex::elvex2Linear(double y) const {
  double u = (y - encodingOffset_) / encodingGain_;
  double v = (u - linOffset_) / linSlope_;
  if (v > param_.cutPoint) v = std::pow(10.0, u);
  return (v - blackOffset_) * graySignal_ + param_.blackSignal;
}

double Elvex::valueZeroBase(double x) const { return transform(x + param_.blackSignal); }

double Elvex::skinValue() const { return transform(2.0 * graySignal_ + param_.blackSignal); }

std::string Elvex::paramAsText(std::string separator) const {
  const std::pair<const char*, double> entries[] = {
      {"Param.nominalSpeed:", param_.nominalSpeed},
      {"Param.blackSignal:", param_.blackSignal},
      {"Param.encodingGain:", param_.encodingGain},
      {"Param.encodingOffset:", param_.encodingOffset},
      {"Param.encodingBlack:", param_.encodingBlack},
      {"Param.cutPoint:", param_.cutPoint},
      {"ExposureGain:", exposureGain_},
      {"GraySignal:", graySignal_},
      {"EncodingGain:", encodingGain_},
      {"EncodingOffset:", encodingOffset_},
      {"BlackOffset:", blackOffset_},
      {"LinSlope:", linSlope_},
      {"LinOffset:", linOffset_},
      {"MaxValue:", maxValue_},
  };
  std::ostringstream text;
  text.imbue(std::locale::classic());
  text.precision(20);
  const size_t count = sizeof(entries) / sizeof(entries[0]);
  for (size_t i = 0; i < count; ++i) {
    text << entries[i].first << entries[i].second;
    if (i + 1 < count) text << separator;
  }
  text << '\0';
  return text.str();
}

}  // namespace Kalvora
