// LutGeneratorImageCore, the image core a host constructs to generate look
// 3-D LUTs from CDL, tone map and video look settings, an optional user 3-D
// LUT and a target display colour space, including the HDR peak-white rules.
//
// Pipeline: 5 log encoding -> 8 CDL -> 9 saturation matrix -> 10 look
// -> 11 normalisation, with 16 (inverse log encoding) fed by 5. Exports
// 12, 13, 10, 14, 15 are the look's monitoring and grading variants.
#pragma once

#include <memory>

#include "kvrVorn2ImageCore.h"

namespace Kalvora {

class LutGeneratorImageCore : public Vorn2ImageCore {
public:
  // Node ids.
  static constexpr unsigned int kLogNode = 5;
  static constexpr unsigned int kCdlNode = 8;
  static constexpr unsigned int kSaturationNode = 9;
  static constexpr unsigned int kLookNode = 10;
  static constexpr unsigned int kInverseLogNode = 16;
  // Parameter ids with rules of their own.
  static constexpr unsigned int kExposureIndexParam = 1001;
  static constexpr unsigned int kSaturationParam = 3040;
  static constexpr unsigned int kToneMap1Param = 4001;
  static constexpr unsigned int kToneMap2Param = 4002;
  static constexpr unsigned int kDiffuseWhiteParam = 5077;
  static constexpr unsigned int kPeakWhiteParam = 5078;

  // Never fails: a failure is reported and leaves the core not good.
  LutGeneratorImageCore();
  ~LutGeneratorImageCore() override;

  // Peak white accepts only 1000, 2000 or 4000 (only 1000 for an HLG
  // target) and diffuse white only 100 or 200; then the range checks.
  ErrorCode setParam(unsigned int id, double value) override;

  // Refused with kIllegalValue for an HLG target while peak white is not 1000.
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
  // Re-tunes the log curve, then the normalisation.
  void updateExposureIndex(double ei) override;
  void setDefaultBranchParam() override {}

private:
  void checkHlgPeakWhite() const;

  const LutFunc* logFunc_ = nullptr;  // the colour LUT set's log curve
  std::unique_ptr<InverseLutFunc> inverseLog_;
};

}  // namespace Kalvora
