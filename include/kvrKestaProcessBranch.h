// One output branch of the camera image core: per-channel log offsets, the
// tone map (built-in curve or a user table), the colour space matrix with
// saturation, the video gamma with per-channel video curves, and false colour
// on the log or the video signal. It hands out the function of each branch
// node and the whole branch as one RGB-to-RGB chain.
//
// Every getter reconfigures the branch's shared function objects before
// returning one of them; the returned object belongs to the branch and stays
// valid until the next call that reconfigures it.
#pragma once

#include <memory>

#include "kvrElvex.h"
#include "kvrFalseColorLut.h"
#include "kvrKestaGammaCurve.h"
#include "kvrKestaNormToneMapCurve.h"
#include "kvrKestaToneMapCurve.h"
#include "kvrLut.h"
#include "kvrLutComposite.h"
#include "kvrLutFunc.h"
#include "kvrMatrixLut.h"
#include "kvrVideoCurve.h"

namespace Kalvora {

class KestaProcessBranch {
public:
  // Band limits and colours of false colour on the video signal, in display
  // light (the painter receives them through the video gamma).
  static const FalseColorLut::ColorRange sVideoFalseColor[6];
  static constexpr int kFalseColorBands = 6;

  // Video mode on, Rec.709 output, no false colour, no playback, neutral
  // tone map, saturation 1, no log offsets, neutral video curves.
  KestaProcessBranch();
  ~KestaProcessBranch();
  KestaProcessBranch(const KestaProcessBranch&) = delete;
  KestaProcessBranch& operator=(const KestaProcessBranch&) = delete;

  // ---- Settings --------------------------------------------------------------

  // Off: the branch passes the log signal.
  void setVideoMode(bool on) { videoMode_ = on; }
  // On: P3 matrix and gamma 2.6; off: Rec.709 matrix and gamma 2.4.
  void setP3Output(bool on) { p3Output_ = on; }
  // On: the tone map is the plain video gamma and the video curves are off.
  void setPlaybackMode(bool on) { playbackMode_ = on; }
  void setFalseColorMode(bool on) { falseColorMode_ = on; }
  void setSaturation(double saturation) { saturation_ = saturation; }

  bool isVideoMode() const { return videoMode_; }
  bool isP3Output() const { return p3Output_; }
  bool isPlaybackMode() const { return playbackMode_; }
  bool isFalseColorMode() const { return falseColorMode_; }
  double getSaturation() const { return saturation_; }

  // Throws kIllegalValue for a control outside [0, 1] and keeps the shape.
  void setTonemapParam(double blackGamma, double knee);
  // 3001, 3002, 3003: red, green, blue offset added to the log signal.
  // Other ids throw kUnknownId "Unknown parameter".
  void setLogParameter(unsigned int id, double value);
  // 5001-5003 slope, 5011-5013 offset, 5021-5023 power, 5031-5033 pedestal
  // of the red, green, blue video curve. Other ids throw kUnknownId
  // "Unknown parameter".
  void setVideoParameter(unsigned int id, double value);

  // ---- User tone table -------------------------------------------------------

  // The table is borrowed: the caller keeps it alive and unchanged while it
  // is installed. It replaces the built-in tone curve under the same scaling.
  void setUserLut(unsigned short const* table, int size, int scale);
  void resetUserLut();
  bool hasUserLut() const { return hasUserLut_; }

  // ---- Log encoding ----------------------------------------------------------

  // Scales the tone map to the encoding's black and clipping codes and moves
  // the log false-colour bands onto its grey, skin and clipping codes.
  void updateElvex(Elvex const& elvex);

  // ---- Node functions --------------------------------------------------------

  // Per-channel log offsets.
  LutFuncTriple const& getLogLut() const { return logLut_; }
  // The tone map; the identity in log output, the video gamma in playback.
  LutFunc const& getToneMapLut();
  // The colour space matrix with saturation; luma only in false colour.
  void getColorSpaceMatrix(double (&matrix)[9]) const;
  // Video gamma with the video curves, or the false-colour painter.
  LutFuncRgb const& getGammaLut();
  // The whole branch: log offsets, tone map, matrix, video gamma.
  LutFunc3D const& getVideoRenderLut();

  // The log false-colour bands as last set by updateElvex.
  FalseColorLut::ColorRange const* getLogRanges() const { return logRanges_; }

private:
  void setElvexFalseColorLimits(Elvex const& elvex);
  void setVideoFalseColorLimits(LutFunc const& videoGamma);
  LutFunc const& toneStageFunction();
  LutFunc const& inverseVideoGamma() const;

  bool videoMode_ = true;
  bool falseColorMode_ = false;
  bool playbackMode_ = false;
  bool p3Output_ = false;
  double saturation_ = 1.0;
  std::unique_ptr<KestaToneMapCurve> toneMapCurve_;
  std::unique_ptr<Lut> userLut_;
  std::unique_ptr<KestaNormToneMapCurve> normToneMap_;
  bool hasUserLut_ = false;
  InverseLutFunc inverseGamma24_;
  InverseLutFunc inverseGamma26_;
  KestaGammaCurve gammaCurve_;
  VideoCurve videoCurve_[3];
  FalseColorLut falseColorLut_;
  LutFuncCdl logOffset_[3];
  LutFuncTriple logLut_;
  LutAdapter logStage_;
  LutAdapter toneStage_;
  MatrixLut matrixStage_;
  LutAdapter gammaStage_;
  FalseColorLut::ColorRange logRanges_[kFalseColorBands];
  FalseColorLut::ColorRange videoRanges_[kFalseColorBands];
  LutComposite3DSmall render_;
};

}  // namespace Kalvora
