// The look colour LUT set: owns every function object of a look and
// assembles, on request, the 3-D colour function of each 3-D LUT node of the
// LUT image core: the per-channel ASC CDL and the log saturation matrix,
// then the built-in video look or a user 3-D LUT with its look transform,
// and for the monitoring nodes a conversion to Rec.1886. It also owns the
// camera's log curve, the normalisation that stretches the look's output
// range when the exposure index lowers the curve's maximum, and the grey
// scale curve sampled from the look's neutral axis.
#pragma once

#include <cstdint>
#include <memory>

#include "kvrColorConversionFunc.h"
#include "kvrColorSpaces.h"
#include "kvrElvex.h"
#include "kvrKestaLegacyLook.h"
#include "kvrLut.h"
#include "kvrLut3D.h"
#include "kvrLutComposite.h"
#include "kvrLutFunc.h"
#include "kvrMatrixLut.h"
#include "kvrVorn2VideoLookTransform.h"
#include "kvrVorn2VideoLut.h"

namespace Kalvora {

class DisplayColorSpace;
class Vorn2ImageCore;

class Vorn2ColorLuts {
public:
  // Grid points per axis accepted for a user 3-D LUT.
  static constexpr int kMinUserLutMeshPoints = 2;
  static constexpr int kMaxUserLutMeshPoints = 65;
  // Samples of the neutral axis.
  static constexpr int kGrayTableSize = 33;

  // The log curve is built at the nominal exposure index. The registry of
  // the core must exist already: the Rec.1886 conversion is built from it.
  Vorn2ColorLuts(const Elvex::Param& param, Vorn2ImageCore* core);
  ~Vorn2ColorLuts();
  Vorn2ColorLuts(const Vorn2ColorLuts&) = delete;
  Vorn2ColorLuts& operator=(const Vorn2ColorLuts&) = delete;

  // ---- Settings -------------------------------------------------------------

  // Re-tunes the log curve; false when nothing changed.
  bool updateExposureIndex(double ei);
  void updateMidGray(double midGray);
  void setTargetColorSpace(const DisplayColorSpace* cs);
  // Offset (3001..3003), slope (3011..3013) or power (3021..3023) of the
  // red, green and blue CDL. Throws kUnknownId "Unknown parameter" for any
  // other id, changing nothing.
  void setLogParameter(unsigned int id, double value);
  void setLogSaturation(double saturation);
  // Both go to the active look object: the look transform while a user
  // 3-D LUT is installed, the built-in video look otherwise.
  void setTonemapParameter(double blackGamma, double knee);
  // Video look parameters 5040, 5051 and 5061..5075 (5052..5060 are not
  // among them). Throws kUnknownId "Unknown parameter" for any other id.
  void setVideoParameter(unsigned int id, double value);

  // ---- User 3-D LUT -----------------------------------------------------------

  // The samples are referenced, not copied: the caller keeps them alive and
  // unchanged while they are installed. Throws kIllegalValue, installing
  // nothing, for a mesh outside 2..65 points, a null buffer or a full-scale
  // value that is not positive.
  void setUser3dLut(int meshPoints, const uint16_t* data, LutOrder order, int maxValue);
  void resetUser3dLut();
  bool hasUser3dLut() const { return userLutData_ != nullptr; }
  void getUser3dLutParam(int& maxValue, int& meshPoints, LutOrder& order) const;
  // Null without a user 3-D LUT; otherwise the LUT read with tetrahedral
  // interpolation.
  const LutFunc3D* getUser3dLutFunc();

  // ---- Inverses and normalisation ---------------------------------------------

  // Inverse of the green channel's CDL.
  void reverseCDL(double value, double& out) const;
  void reverseNormalization(double value, double& out) const;
  // Gain and offset that map the look's output range at the current
  // exposure index onto its range at the nominal curve; they also become
  // the normalisation function.
  void updateNormalization(double& gain, double& offset);

  // ---- Node functions -------------------------------------------------------
  // Every returned pointer stays valid until the next call of either
  // getVideoRenderLut or getGrayScaleCurve.

  // Nodes 10, 12, 13, 14 and 15; throws kUnknownId "Unknown 3dlut node"
  // for any other id.
  const LutFunc3D* getVideoRenderLut(unsigned int node);
  const LutFunc3D* getVideoRenderLut(bool withCdl, bool toRec1886, bool withLook);
  // Samples the look's neutral axis and returns it followed by the
  // normalisation.
  const LutFunc* getGrayScaleCurve();

  // ---- Owned functions --------------------------------------------------------

  const Elvex& getElvex() const { return *elvex_; }
  const LutFuncTriple& getCdlTriple() const { return cdlTriple_; }
  void getSatMatrix(double (&matrix)[9]) const;
  const LutFuncCdl& getNormalizationCdl() const { return normCdl_; }
  const LutAdapter& getNormalizationAdapter() const { return normAdapter_; }
  Vorn2VideoLut& getVideoLut() { return *videoLut_; }
  Vorn2VideoLookTransform& getLookTransform() { return *lookTransform_; }
  const DisplayColorSpace* getTargetColorSpace() const { return target_; }

private:
  Vorn2VideoLutInterface& activeLook();
  // The look at the nominal curve or with the user 3-D LUT, without CDL.
  const LutFunc3D& lookFunction();
  bool targetIs(ColorSpace colorSpace) const;

  std::unique_ptr<Elvex> elvex_;
  double satMatrix_[9];
  LutFuncCdl cdl_[3];
  LutFuncTriple cdlTriple_;
  std::unique_ptr<Vorn2VideoLut> videoLut_;
  std::unique_ptr<Vorn2VideoLookTransform> lookTransform_;
  LutFuncCdl normCdl_;
  LutAdapter normAdapter_;
  LutAdapter cdlAdapter_;
  Vorn2ImageCore* imageCore_;  // owner; not owned
  LutComposite3DSmall composite_;
  MatrixLut satMatrixLut_;
  double blackRef_;
  double whiteRef_;
  const DisplayColorSpace* target_;  // not owned
  ColorConversionFunc toRec1886_;
  uint16_t grayTable_[kGrayTableSize];
  std::unique_ptr<Lut> grayLut_;
  std::unique_ptr<LutComposite> grayCurve_;
  std::unique_ptr<KestaLegacyLook> legacyLook_;
  const uint16_t* userLutData_;  // not owned, not copied
  int userLutMeshPoints_;
  LutOrder userLutOrder_;
  int userLutMaxValue_;
  std::unique_ptr<Lut3D> userLut3D_;
};

}  // namespace Kalvora
