// The camera's built-in video look: a 3-D function from camera log RGB in
// the camera's wide gamut to the display signal of the target colour space
// (SDR gamma, PQ or HLG). Luma and chroma are shaped separately, recombined,
// converted to the target gamut, encoded for the display and finished with
// per-channel gamma, slope and pedestal.
#pragma once

#include "kvrChromaCurve.h"
#include "kvrChromaLumaCurve.h"
#include "kvrColorSpaces.h"
#include "kvrHermiteSpline.h"
#include "kvrHueCurve.h"
#include "kvrLumaCurve.h"
#include "kvrPQ2L.h"
#include "kvrVideoCurve.h"
#include "kvrVorn2ToneMapCurve.h"
#include "kvrVorn2VideoLutInterface.h"

namespace Kalvora {

class Vorn2ImageCore;

class Vorn2VideoLut : public Vorn2VideoLutInterface {
public:
  // Neutral look for the Rec.1886 target, diffuse white 100 and peak white
  // 1000 nits. The core is the owner; it is stored but not used here.
  explicit Vorn2VideoLut(Vorn2ImageCore* core);

  Vorn2VideoLut(const Vorn2VideoLut&) = delete;
  Vorn2VideoLut& operator=(const Vorn2VideoLut&) = delete;

  // Dispatches to the SDR path, the PQ path or the PQ path followed by the
  // HLG conversion. In PQ and HLG mode a pixel with chroma throws
  // kIllegalValue unless the diffuse white is 100 or 200.
  void transform(double r, double g, double b, double& outR, double& outG,
                 double& outB) const override;
  // The same over arrays, the maths (pow, log, atan2, sine and cosine)
  // vectorised: every output within 1e-12 of transform(). Throws like
  // transform() when any point would.
  void transformBlock(const double* r, const double* g, const double* b, double* outR, double* outG,
                      double* outB, size_t n) const override;

  void setHueSaturation(HueCurve::Hue hue, double value) override;
  void setVideoSaturation(double value) override;
  void setTonemapParameter(double blackGamma, double knee) override;
  void setCombinedGamma(double value, Channel k) override;
  void setSlope(double value, Channel k) override;
  void setPedestal(double value, Channel k) override;
  // The PQ and HLG spaces select the HDR paths; every other space the SDR
  // path with its gamut and display encoding. A null space changes nothing.
  void setTargetColorSpace(const ColorSpaceInfo* cs) override;

  void setDiffuseWhite(double w);
  void setPeakWhite(double p);

  void transform_sdr(double r, double g, double b, double& outR, double& outG, double& outB) const;
  void transform_hdr(double r, double g, double b, double& outR, double& outG, double& outB) const;
  // HLG signal encoding of one scene-linear value (1 at the joint gives 0.5).
  void applyEotf(double& x) const;

  // Chroma compression by the area of the target gamut in the xy plane.
  static ChromaCurve::CurveType chromaCurveTypeForGamut(double area);

  bool isPq() const { return isPq_; }
  bool isHlg() const { return isHlg_; }
  double getDiffuseWhite() const { return diffuseWhite_; }
  double getPeakWhite() const { return peakWhite_; }
  Vorn2ImageCore* getImageCore() const { return imageCore_; }

private:
  void initDesatSpline();
  void selectHdrTarget(bool pq);
  void selectSdrTarget(const ColorSpaceInfo& cs);
  // Chroma of the HDR path after the blue highlight compression.
  void compressHdrChroma(double cb, double cr, double cmag, double v, double& outCb,
                         double& outCr) const;
  // Its second half: the compressed magnitude m at the hue with the given
  // cosine and sine, rotated, desaturated and rotated back.
  void rotateAndDesaturate(double m, double cosHue, double sinHue, double& outCb,
                           double& outCr) const;
  // Up to kVecChunk points of transformBlock().
  void sdrBlock(const double* r, const double* g, const double* b, double* outR, double* outG,
                double* outB, size_t n) const;
  void hdrBlock(const double* r, const double* g, const double* b, double* outR, double* outG,
                double* outB, size_t n) const;
  void pqToHlgBlock(double* r, double* g, double* b, size_t n) const;
  // The constants of the HDR paths that depend only on the diffuse white or
  // only on the peak white, computed when those change instead of per sample.
  void updateBlueRotation();
  void updatePeakWhiteConstants();
  // Keeps a PQ output between the black level and peak white.
  double limitPq(double x) const;
  void convertPqToHlg(double& r, double& g, double& b) const;

  Vorn2ToneMapCurve toneMap_;
  ChromaCurve chromaCurve_;
  ChromaLumaCurve chromaLumaCurve_;
  LumaCurve lumaCurve_;
  VideoCurve videoCurves_[3];
  double matrix_[9];  // linear camera wide gamut to linear target RGB
  HueCurve hueCurve_;
  double saturationBoost_;      // 1 + contrastIncrease / 3 of the tone curve
  const LutFunc* videoGamma_;   // video signal to linear
  const LutFunc* targetGamma_;  // linear to target signal; kept by the HDR targets
  Vorn2ImageCore* imageCore_;   // owner; not owned
  HermiteSpline desatSpline_;
  PQ2L pq_;
  bool isPq_;
  bool isHlg_;
  double diffuseWhite_;
  double peakWhite_;
  // The registry entries that target selection compares with and converts
  // from; the default target is its Rec.1886 entry.
  ColorSpaces registry_;
  bool hasBlueRotation_;    // the diffuse white has a blue compression angle
  double cosBlueRotation_;  // cosine and sine of that angle
  double sinBlueRotation_;
  double pqBlack_;      // PQ signal of the black level
  double pqPeak_;       // PQ signal of peak white
  double hlgExponent_;  // (1 - gamma) / gamma of the HLG system gamma
};

}  // namespace Kalvora
