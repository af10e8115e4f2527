// Elvex, the camera's logarithmic encoding, and the record of its seven
// parameters with the default sets of the two camera models.
#pragma once

#include <string>

#include "kvrLutFunc.h"

namespace Kalvora {

// Maps a linear sensor signal (1.0 = clipping level) to the encoded signal
// (0.0 to 1.0). Pure log10 above the cut point, the tangent line of the log
// below it, re-tuned per exposure index so that mid grey always encodes to
// encodingOffset. Above kShoulderPoint a cubic shoulder compresses the curve
// so that the clipping level encodes to exactly 1.0 whenever it would
// otherwise exceed it.
class Elvex : public LutFuncInv {
public:
  // The seven numbers that define the encoding.
  struct Param {
    Param() = default;
    constexpr Param(double nominalSpeedValue, double blackSignalValue, double midGrayValue,
                    double encodingGainValue, double encodingOffsetValue, double encodingBlackValue,
                    double cutPointValue)
        : nominalSpeed(nominalSpeedValue),
          blackSignal(blackSignalValue),
          midGray(midGrayValue),
          encodingGain(encodingGainValue),
          encodingOffset(encodingOffsetValue),
          encodingBlack(encodingBlackValue),
          cutPoint(cutPointValue) {}

    void setParam(const Param& other) { *this = other; }

    double nominalSpeed = 0.0;    // exposure index of the base gain
    double blackSignal = 0.0;     // linear signal of black
    double midGray = 0.0;         // linear mid grey above black at the nominal speed
    double encodingGain = 0.0;    // slope per decade of linear signal
    double encodingOffset = 0.0;  // encoded value of mid grey
    double encodingBlack = 0.0;   // encoded value of black
    double cutPoint = 0.0;        // normalised argument below which the curve is linear
  };

  // Encoded value at which the shoulder starts.
  static constexpr double kShoulderPoint = 0.8;

  // asa is the exposure index; 0.0 means param.nominalSpeed. Any other value
  // that setAsa would reject (below 1.0, NaN, infinite) also falls back to
  // param.nominalSpeed, so the derived values are always computed.
  Elvex(const Param& param, double asa);
  ~Elvex() override = default;

  double transform(double x) const override;
  double inverse(double y) const override;

  // Re-tunes the curve for an exposure index. Returns false, changing
  // nothing, for an index below 1.0, NaN or infinite, or one that gives the
  // current exposure gain.
  bool setAsa(double asa);
  // Replaces midGray; only GraySignal and MaxValue depend on it.
  void updateMidGray(double midGray);

  // The encoding without the clamp at 0 and without the shoulder.
  double unconstrainedValue(double x) const;
  // The decoding without the negative test and without the shoulder.
  double elvex2Linear(double y) const;
  // Encoding of a signal given relative to black.
  double valueZeroBase(double x) const;
  // Encoded value one stop above mid grey.
  double skinValue() const;

  Param& getElvexParam() { return param_; }
  const Param& getElvexParam() const { return param_; }

  // Derived values of the current exposure index.
  double getExposureGain() const { return exposureGain_; }
  double getGraySignal() const { return graySignal_; }
  double getEncodingGain() const { return encodingGain_; }
  double getEncodingOffset() const { return encodingOffset_; }
  double getBlackOffset() const { return blackOffset_; }
  double getLinSlope() const { return linSlope_; }
  double getLinOffset() const { return linOffset_; }
  double getMaxValue() const { return maxValue_; }

  // Labelled parameters and derived values, 20 significant digits, joined by
  // the separator; the text ends with a NUL character instead of a separator.
  std::string paramAsText(std::string separator) const;

private:
  // log10 above the cut point, its tangent line below.
  double logOrLine(double t) const;
  double shoulder(double e) const;
  double inverseShoulder(double y) const;
  void updateMaxValue();

  Param param_;
  double exposureGain_ = 0.0;    // exposure index / nominalSpeed
  double graySignal_ = 0.0;      // linear mid grey above black
  double encodingGain_ = 0.0;    // slope in use
  double encodingOffset_ = 0.0;  // offset in use
  double blackOffset_ = 0.0;     // added to the normalised linear argument
  double linSlope_ = 0.0;        // line below the cut point
  double linOffset_ = 0.0;
  double maxValue_ = 0.0;  // encoded clipping level before the shoulder
};

// Default parameter sets of the two camera models; they differ in midGray.
extern const Elvex::Param kestaElvexparam;
extern const Elvex::Param pendroElvexparam;

}  // namespace Kalvora
