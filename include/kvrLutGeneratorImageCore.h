// LutGeneratorImageCore, the image core a host constructs to generate look
// 3-D LUTs from CDL, tone map and video look settings, an optional user 3-D
// LUT and a target display colour space, including the HDR peak-white rules.
//
// Pipeline: 5 log encoding -> 8 CDL -> 9 saturation matrix -> 10 look
// -> 11 normalisation, with 16 (inverse log encoding) fed by 5. Exports
// 12, 13, 10, 14, 15 are the look's monitoring and grading variants. Every
// id with its readable name, unit, default and range, and which node is
// "the look", is in kvrPipelineVocabulary.h (gLutGeneratorParams,
// gLutGeneratorNodes, gLutGeneratorExports); `kalvora info` prints the same
// table.
//
// Use: construct, check good(); optionally setTargetColorSpace (throws, see
// Vorn2ImageCore) and setUser3dLut; setParam by id; after each change
// compare getNodeRevision of the nodes you apply and re-read those that
// changed. The 3-D LUTs take the camera's log signal (Elvex code values
// 0..1) as input and give display signal for the target. Normalisation
// gain and offset (6001, 6002) are computed by the core after every change
// that can alter the look's output range: read them with getParam or
// getRgbGainOffset(11); setParam and resetParam refuse them with kReadOnly.
//
// Half grid: get3dLut(..., halfGrid = true) evaluates the even grid points
// and fills the odd ones with integer midpoints, about an eighth of the
// evaluations. Measured against the full grid with default settings over
// all eight targets, the largest difference is 20186 codes of 65535 at 33
// points (HLG; 14048 for Rec.1886) and 13320 at 65 points (PQ; 10683 for
// Rec.1886). It lies near the edges of the target gamut, where the look
// bends sharply; 99% of the codes differ by at most 4669 (33 points) or
// 1555 (65 points), the neutral axis by at most 520 or 280. Use the full
// grid for anything but previews.
#pragma once

#include <memory>

#include "kvrPipelineVocabulary.h"
#include "kvrVorn2ImageCore.h"

namespace Kalvora {

class LutGeneratorImageCore : public Vorn2ImageCore {
public:
  // Node ids (all ids: kvrPipelineVocabulary.h).
  static constexpr unsigned int kLogNode = kLutNodeLog;
  static constexpr unsigned int kCdlNode = kLutNodeCdl;
  static constexpr unsigned int kSaturationNode = kLutNodeCdlSaturation;
  static constexpr unsigned int kLookNode = kLutNodeLook;
  static constexpr unsigned int kInverseLogNode = kLutNodeInverseLog;
  // Parameter ids with rules of their own.
  static constexpr unsigned int kExposureIndexParam = kLutParamExposureIndex;
  static constexpr unsigned int kSaturationParam = kLutParamCdlSaturation;
  static constexpr unsigned int kToneMap1Param = kLutParamBlackGamma;
  static constexpr unsigned int kToneMap2Param = kLutParamKnee;
  static constexpr unsigned int kDiffuseWhiteParam = kLutParamDiffuseWhite;
  static constexpr unsigned int kPeakWhiteParam = kLutParamPeakWhite;
  // The only peak white an HLG target accepts, in cd/m2.
  static constexpr double kHlgPeakWhite = 1000.0;

  // Never fails: a failure is reported and leaves the core not good.
  LutGeneratorImageCore();
  ~LutGeneratorImageCore() override;

  // Peak white accepts only 1000, 2000 or 4000 (only 1000 for an HLG
  // target) and diffuse white only 100 or 200; then the range checks.
  ErrorCode setParam(unsigned int id, double value) override;

  // As Vorn2ImageCore::get3dLut; refused with kIllegalValue for an HLG
  // target while peak white is not 1000. Only node 10 is a 3-D pipeline
  // node; the exports are read with export3dLut.
  ErrorCode get3dLut(unsigned int nodeId, int meshPoints, double* out, LutOrder order) const;
  ErrorCode get3dLut(unsigned int nodeId, int meshPoints, unsigned short* out, LutOrder order,
                     int maxValue, bool halfGrid) const;

protected:
  void do_getMatrix(unsigned int id, double (&matrix)[9]) override;
  LutFunc const* do_getLut(unsigned int id) const override;
  LutFuncRgb const* do_getRgbLut(unsigned int id) const override;
  void updateParam(unsigned int) override {}
  void handleParamChanged(PipelineParameter& parameter, double oldValue) override;
  void handleModeChanged(PipelineMode&) override {}
  void splitId(unsigned int&, unsigned int&) const override {}
  void createPipeline() override;
  void createExports() override;
  void createParameters() override;
  void createModes() override {}
  void updateRgbGain(double, double) override {}
  // Normalisation gain and offset.
  bool isComputedParam(unsigned int id) const override;
  // Re-tunes the log curve, then the normalisation.
  void updateExposureIndex(double ei) override;
  void setDefaultBranchParam() override {}

private:
  void checkHlgPeakWhite() const;

  const LutFunc* logFunc_ = nullptr;  // the colour LUT set's log curve
  std::unique_ptr<InverseLutFunc> inverseLog_;
};

}  // namespace Kalvora
