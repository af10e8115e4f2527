// The video look applied after a user 3-D LUT: it takes the display signal
// the LUT produced, re-shapes luma by undoing the neutral tone curve and
// applying the current one, scales chroma by saturation and hue in the
// target's own YPbPr, and finishes with the per-channel video curves.
#pragma once

#include "kvrHueCurve.h"
#include "kvrVideoCurve.h"
#include "kvrVorn2InverseToneMapCurve.h"
#include "kvrVorn2ToneMapCurve.h"
#include "kvrVorn2VideoLutInterface.h"

namespace Kalvora {

class Vorn2VideoLookTransform : public Vorn2VideoLutInterface {
public:
  // Neutral look in the YPbPr of Rec.709, not used.
  Vorn2VideoLookTransform();

  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override;

  // Every look setter marks the transform as used.
  void setHueSaturation(HueCurve::Hue hue, double value) override;
  void setVideoSaturation(double value) override;
  void setTonemapParameter(double blackGamma, double knee) override;
  void setCombinedGamma(double value, Channel k) override;
  void setSlope(double value, Channel k) override;
  void setPedestal(double value, Channel k) override;
  // Takes the target's YPbPr matrix rounded to four decimals; leaves the used
  // mark alone. A null space changes nothing.
  void setTargetColorSpace(const ColorSpaceInfo* cs) override;

  // Tone curve, saturation and hue back to neutral and the used mark cleared;
  // the video curves and gammas keep their settings.
  void reset();
  // Whether a look setter has been called since construction or reset.
  bool isUsed() const { return used_; }

private:
  Vorn2ToneMapCurve toneMap_;
  Vorn2InverseToneMapCurve inverseToneMap_;
  HueCurve hueCurve_;
  double videoSaturation_;
  VideoCurve videoCurves_[3];
  bool used_;
  double yccMatrix_[9];  // RGB to (Y, Pb, Pr)
  double rgbMatrix_[9];  // (Y, Pb, Pr) to RGB
};

}  // namespace Kalvora
