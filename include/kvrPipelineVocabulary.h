// The pipeline vocabulary of the two image cores a host constructs: every
// node, export, parameter and mode id with its readable name, and for
// parameters the unit, default, accepted range, persistence, who may write
// it and which node it changes. The cores build their parameter tables from
// these tables, and the kalvora tool reads its names from them (`kalvora
// info` prints them; `--set NAME=VALUE` takes the names).
//
// LUT generator (LutGeneratorImageCore), one path:
//
//   5 log encoding -> 8 CDL -> 9 CDL saturation -> 10 look -> 11 normalisation
//   16 inverse log encoding (fed by 5)
//
// Which node is "the look": node 10 is the bare 3-D stage for the target
// colour space; it contains no ASC CDL (node 8), no CDL saturation (node 9)
// and no normalisation (node 11). Node 11 is a gain and offset applied to
// all channels after node 10; it carries the exposure index into a look LUT
// read from node 10 (the exposure index changes nodes 5 and 16 and the
// normalisation, not node 10). A host that applies nodes 8, 9, 10 and 11
// in its own pipeline reads node 10 with get3dLut. A host that wants one
// self-contained 3-D LUT reads an export with export3dLut: export 14 is CDL,
// CDL saturation and look together; 12 and 13 are the look and the CDL with
// the look converted to Rec.1886; 15 is the look without the transform of an
// installed user 3-D LUT. get3dLut serves pipeline nodes (10 is the only 3-D
// node of the pipeline), export3dLut serves exports (10 is one as well).
//
// Camera core (KestaImageCore): white balance 2 -> camera matrix 3 ->
// (4 Q mapping, multi-branch only) -> 5 log encoding -> 6 branch point ->
// per output branch 7 log offsets -> 8 tone map -> 9 colour space matrix
// with saturation -> 10 video gamma or false colour; export 11 is the whole
// output branch from the log signal as one 3-D function. Ids carry the
// branch in their top 8 bits: node kCameraBranch1 + 8 is the tone map of
// branch 1; per-branch parameters and modes follow the same rule.
//
// Camera white balance, parameters 2001 to 2005 (single- and multi-branch
// pipelines only): colour temperature with tint (2001, 2003) and the red
// and blue gains (2004, 2005) are two views of one setting; whichever the
// host wrote last wins and the other view is derived when it is read
// (getParam, getParameters, getRgbGainOffset of node 2). Deriving needs the
// calibration of the selected configuration: without it the read fails
// with kMissingCalibration. 2002 is read-only: the temperature found for
// the current gains, 0 when the gains lie outside the calibration (2001 then
// reads 11000 K for gains with more red than blue, which balance bluish
// light, else 2000 K). White
// balance acts on nodes 2 and 3, before the log encoding, so it does not
// change export 11 or any node from 5 on.
#pragma once

#include <cstdint>
#include <limits>

#include "kvrKestaToneMapCurve.h"
#include "kvrPipeline.h"
#include "kvrVideoCurve.h"

namespace Kalvora {

// ---- Ids ------------------------------------------------------------------------

enum LutGeneratorNodeId : uint32_t {
  kLutNodeLog = 5,             // linear to log (the Elvex encoding), 1-D
  kLutNodeCdl = 8,             // ASC CDL slope, offset, power per channel
  kLutNodeCdlSaturation = 9,   // ASC CDL saturation matrix
  kLutNodeLook = 10,           // the look for the target, 3-D; also an export
  kLutNodeNormalization = 11,  // gain and offset after the look
  kLutExportLookRec1886 = 12,
  kLutExportCdlLookRec1886 = 13,
  kLutExportCdlLook = 14,
  kLutExportLookWithoutTransform = 15,
  kLutNodeInverseLog = 16  // log to linear, 1-D
};

enum LutGeneratorParamId : uint32_t {
  kLutParamExposureIndex = 1001,
  kLutParamCdlOffsetRed = 3001,
  kLutParamCdlOffsetGreen = 3002,
  kLutParamCdlOffsetBlue = 3003,
  kLutParamCdlSlopeRed = 3011,
  kLutParamCdlSlopeGreen = 3012,
  kLutParamCdlSlopeBlue = 3013,
  kLutParamCdlPowerRed = 3021,
  kLutParamCdlPowerGreen = 3022,
  kLutParamCdlPowerBlue = 3023,
  kLutParamCdlSaturation = 3040,
  kLutParamBlackGamma = 4001,
  kLutParamKnee = 4002,
  kLutParamVideoSaturation = 5040,
  kLutParamMasterGamma = 5051,
  kLutParamHueSaturationRed = 5061,
  kLutParamHueSaturationYellow = 5062,
  kLutParamHueSaturationGreen = 5063,
  kLutParamHueSaturationCyan = 5064,
  kLutParamHueSaturationBlue = 5065,
  kLutParamHueSaturationMagenta = 5066,
  kLutParamVideoSlopeRed = 5067,
  kLutParamVideoSlopeGreen = 5068,
  kLutParamVideoSlopeBlue = 5069,
  kLutParamVideoGammaRed = 5070,
  kLutParamVideoGammaGreen = 5071,
  kLutParamVideoGammaBlue = 5072,
  kLutParamVideoPedestalRed = 5073,
  kLutParamVideoPedestalGreen = 5074,
  kLutParamVideoPedestalBlue = 5075,
  kLutParamDiffuseWhite = 5077,
  kLutParamPeakWhite = 5078,
  kLutParamNormalizationGain = 6001,
  kLutParamNormalizationOffset = 6002
};

// The branch word of a camera id: add it to a local id.
enum CameraBranch : uint32_t {
  kCameraBranch0 = 0,
  kCameraBranch1 = 0x01000000,
  kCameraBranch2 = 0x02000000
};

enum CameraNodeId : uint32_t {
  kCameraNodeHead = 1,  // single-branch only, no colour
  kCameraNodeWhiteBalance = 2,
  kCameraNodeColorMatrix = 3,
  kCameraNodeQMapping = 4,  // multi-branch only
  kCameraNodeLog = 5,
  kCameraNodeSplit = 6,  // no colour
  kCameraNodeLogOffset = 7,
  kCameraNodeToneMap = 8,
  kCameraNodeColorSpace = 9,
  kCameraNodeGamma = 10,
  kCameraExportRendering = 11
};

enum CameraParamId : uint32_t {
  kCameraParamExposureIndex = 1001,
  kCameraParamColorTemperature = 2001,
  kCameraParamFoundColorTemperature = 2002,
  kCameraParamTint = 2003,
  kCameraParamGainRed = 2004,
  kCameraParamGainBlue = 2005,
  kCameraParamLogOffsetRed = 3001,
  kCameraParamLogOffsetGreen = 3002,
  kCameraParamLogOffsetBlue = 3003,
  kCameraParamBlackGamma = 4001,
  kCameraParamKnee = 4002,
  kCameraParamVideoSlopeRed = 5001,
  kCameraParamVideoSlopeGreen = 5002,
  kCameraParamVideoSlopeBlue = 5003,
  kCameraParamVideoOffsetRed = 5011,
  kCameraParamVideoOffsetGreen = 5012,
  kCameraParamVideoOffsetBlue = 5013,
  kCameraParamVideoPowerRed = 5021,
  kCameraParamVideoPowerGreen = 5022,
  kCameraParamVideoPowerBlue = 5023,
  kCameraParamVideoPedestalRed = 5031,
  kCameraParamVideoPedestalGreen = 5032,
  kCameraParamVideoPedestalBlue = 5033,
  kCameraParamVideoSaturation = 5040
};

enum CameraModeId : uint32_t {
  kCameraModeVideo = 1,       // off: the branch outputs the log signal
  kCameraModeP3Output = 2,    // on: P3 and gamma 2.6; off: Rec.709 and gamma 2.4
  kCameraModeFalseColor = 3,  // monitoring branches 1 and 2 of the multi-branch pipeline
  kCameraModePlayback = 4     // monitoring branches 1 and 2 of the multi-branch pipeline
};

// ---- Records ------------------------------------------------------------------------

// Who writes a parameter.
enum ParamAccess : int32_t {
  kParamReadWrite = 0,
  // Derived by the core. A host write is reported and yields kReadOnly,
  // and is stored all the same (the camera's 2002; prefer the views it is
  // derived from).
  kParamReadOnly = 1,
  // Computed by the core: setParam and resetParam refuse it with kReadOnly
  // and store nothing; setParamSilent refuses it silently.
  kParamComputed = 2
};

struct PipelineParamInfo {
  uint32_t id;          // local id; per-branch camera parameters add the branch word
  const char* name;     // readable name, unique within the core
  const char* meaning;  // one line for people
  const char* unit;     // "" for factors and normalised signal values
  double defaultValue;
  double minimum;  // setParam accepts minimum <= value <= maximum
  double maximum;
  uint32_t node;  // the node whose output the parameter changes
  Persistance persistence = kPersistAlways;
  ParamAccess access = kParamReadWrite;
  bool perBranch = false;  // camera: one copy per output branch
  // Values the core accepts within the range; none: any value in range.
  int choiceCount = 0;
  double choices[3] = {};
};

struct PipelineNodeInfo {
  uint32_t id;
  NodeType type;
  const char* name;     // readable name, unique within the core
  const char* meaning;  // what the node contains
};

struct PipelineModeInfo {
  uint32_t id;  // local id; per-branch modes add the branch word
  const char* name;
  const char* meaning;
};

// The vocabulary of one core.
struct PipelineVocabulary {
  const PipelineParamInfo* params;
  int paramCount;
  const PipelineNodeInfo* nodes;  // pipeline nodes, all pipeline types together
  int nodeCount;
  const PipelineNodeInfo* exports;
  int exportCount;
  const PipelineModeInfo* modes;
  int modeCount;
};

// ---- LUT generator ------------------------------------------------------------------

// Unbounded, as parameters created without a range.
constexpr double kParamNoMinimum = std::numeric_limits<double>::min();
constexpr double kParamNoMaximum = std::numeric_limits<double>::max();

// In the order the core registers them.
inline constexpr PipelineParamInfo gLutGeneratorParams[] = {
    {kLutParamExposureIndex, "exposure-index", "exposure index (EI)", "EI", 800.0, 160.0, 3200.0,
     kLutNodeLog, kPersistFull},
    {kLutParamCdlSlopeRed, "cdl-slope-red", "ASC CDL slope, red", "", 1.0, 0.5, 2.0, kLutNodeCdl},
    {kLutParamCdlSlopeGreen, "cdl-slope-green", "ASC CDL slope, green", "", 1.0, 0.5, 2.0,
     kLutNodeCdl},
    {kLutParamCdlSlopeBlue, "cdl-slope-blue", "ASC CDL slope, blue", "", 1.0, 0.5, 2.0,
     kLutNodeCdl},
    {kLutParamCdlOffsetRed, "cdl-offset-red", "ASC CDL offset, red", "", 0.0, -0.5, 0.5,
     kLutNodeCdl},
    {kLutParamCdlOffsetGreen, "cdl-offset-green", "ASC CDL offset, green", "", 0.0, -0.5, 0.5,
     kLutNodeCdl},
    {kLutParamCdlOffsetBlue, "cdl-offset-blue", "ASC CDL offset, blue", "", 0.0, -0.5, 0.5,
     kLutNodeCdl},
    {kLutParamCdlPowerRed, "cdl-power-red", "ASC CDL power, red", "", 1.0, 0.5, 2.0, kLutNodeCdl},
    {kLutParamCdlPowerGreen, "cdl-power-green", "ASC CDL power, green", "", 1.0, 0.5, 2.0,
     kLutNodeCdl},
    {kLutParamCdlPowerBlue, "cdl-power-blue", "ASC CDL power, blue", "", 1.0, 0.5, 2.0,
     kLutNodeCdl},
    {kLutParamCdlSaturation, "cdl-saturation", "ASC CDL saturation", "", 1.0, 0.0, 2.0,
     kLutNodeCdlSaturation},
    {kLutParamKnee, "knee", "tone map: knee (highlights)", "", 0.5, 0.0, 1.0, kLutNodeLook},
    {kLutParamBlackGamma, "black-gamma", "tone map: black gamma (shadows)", "", 0.5, 0.0, 1.0,
     kLutNodeLook},
    {kLutParamVideoSaturation, "video-saturation", "saturation", "", 1.0, 0.0, 2.0, kLutNodeLook},
    {kLutParamMasterGamma, "master-gamma", "master gamma", "", 1.0, 0.5, 2.0, kLutNodeLook},
    {kLutParamHueSaturationRed, "hue-saturation-red", "saturation of reds", "", 1.0, 0.0, 2.0,
     kLutNodeLook},
    {kLutParamHueSaturationYellow, "hue-saturation-yellow", "saturation of yellows", "", 1.0, 0.0,
     2.0, kLutNodeLook},
    {kLutParamHueSaturationGreen, "hue-saturation-green", "saturation of greens", "", 1.0, 0.0, 2.0,
     kLutNodeLook},
    {kLutParamHueSaturationCyan, "hue-saturation-cyan", "saturation of cyans", "", 1.0, 0.0, 2.0,
     kLutNodeLook},
    {kLutParamHueSaturationBlue, "hue-saturation-blue", "saturation of blues", "", 1.0, 0.0, 2.0,
     kLutNodeLook},
    {kLutParamHueSaturationMagenta, "hue-saturation-magenta", "saturation of magentas", "", 1.0,
     0.0, 2.0, kLutNodeLook},
    {kLutParamNormalizationGain, "normalization-gain", "normalisation gain (derived from the look)",
     "", 1.0, kParamNoMinimum, kParamNoMaximum, kLutNodeNormalization, kPersistNever,
     kParamComputed},
    {kLutParamNormalizationOffset, "normalization-offset",
     "normalisation offset (derived from the look)", "", 0.0, kParamNoMinimum, kParamNoMaximum,
     kLutNodeNormalization, kPersistNever, kParamComputed},
    {kLutParamVideoSlopeRed, "video-slope-red", "video slope, red", "", 1.0, 0.5, 2.0,
     kLutNodeLook},
    {kLutParamVideoSlopeGreen, "video-slope-green", "video slope, green", "", 1.0, 0.5, 2.0,
     kLutNodeLook},
    {kLutParamVideoSlopeBlue, "video-slope-blue", "video slope, blue", "", 1.0, 0.5, 2.0,
     kLutNodeLook},
    {kLutParamVideoGammaRed, "video-gamma-red", "video gamma, red", "", 1.0, 0.5, 2.0,
     kLutNodeLook},
    {kLutParamVideoGammaGreen, "video-gamma-green", "video gamma, green", "", 1.0, 0.5, 2.0,
     kLutNodeLook},
    {kLutParamVideoGammaBlue, "video-gamma-blue", "video gamma, blue", "", 1.0, 0.5, 2.0,
     kLutNodeLook},
    {kLutParamVideoPedestalRed, "video-pedestal-red", "video pedestal, red", "", 0.0, -0.3, 0.3,
     kLutNodeLook},
    {kLutParamVideoPedestalGreen, "video-pedestal-green", "video pedestal, green", "", 0.0, -0.3,
     0.3, kLutNodeLook},
    {kLutParamVideoPedestalBlue, "video-pedestal-blue", "video pedestal, blue", "", 0.0, -0.3, 0.3,
     kLutNodeLook},
    {kLutParamDiffuseWhite,
     "diffuse-white",
     "HDR diffuse white in cd/m2",
     "cd/m2",
     100.0,
     0.0,
     1000.0,
     kLutNodeLook,
     kPersistNever,
     kParamReadWrite,
     false,
     2,
     {100.0, 200.0}},
    {kLutParamPeakWhite,
     "peak-white",
     "HDR peak white in cd/m2 (HLG: 1000 only)",
     "cd/m2",
     1000.0,
     0.0,
     10000.0,
     kLutNodeLook,
     kPersistNever,
     kParamReadWrite,
     false,
     3,
     {1000.0, 2000.0, 4000.0}},
};

// In pipeline order.
inline constexpr PipelineNodeInfo gLutGeneratorNodes[] = {
    {kLutNodeLog, kNodeLut, "log", "log encoding (linear to log)"},
    {kLutNodeInverseLog, kNodeLut, "inverse-log", "inverse log encoding (log to linear)"},
    {kLutNodeCdl, kNodeRgbLut, "cdl", "ASC CDL slope, offset and power per channel"},
    {kLutNodeCdlSaturation, kNodeMatrix, "cdl-saturation", "ASC CDL saturation matrix"},
    {kLutNodeLook, kNode3dLut, "look", "the look for the target colour space"},
    {kLutNodeNormalization, kNodeRgbGainOffset, "normalization", "normalisation gain and offset"},
};

// In the order the core lists them; every export is a 3-D function of the
// log signal (input node 5).
inline constexpr PipelineNodeInfo gLutGeneratorExports[] = {
    {kLutExportLookRec1886, kNode3dLut, "look-rec1886", "the look, converted to Rec.1886"},
    {kLutExportCdlLookRec1886, kNode3dLut, "cdl-look-rec1886",
     "CDL, saturation and look, converted to Rec.1886"},
    {kLutNodeLook, kNode3dLut, "look", "the look for the target colour space"},
    {kLutExportCdlLook, kNode3dLut, "cdl-look", "CDL, saturation and look"},
    {kLutExportLookWithoutTransform, kNode3dLut, "look-without-transform",
     "the look without the user-LUT look transform"},
};

// ---- Camera core ----------------------------------------------------------------------

// In the order the core registers them: the core-wide parameters, then the
// per-branch ones, repeated for each branch (branch 0 first).
inline constexpr PipelineParamInfo gCameraParams[] = {
    {kCameraParamExposureIndex, "exposure-index", "exposure index (EI)", "EI", 800.0, 50.0, 3200.0,
     kCameraNodeLog, kPersistFull},
    {kCameraParamColorTemperature, "color-temperature",
     "white balance: colour temperature in kelvin", "K", 3200.0, 2000.0, 11000.0,
     kCameraNodeWhiteBalance, kPersistNever},
    {kCameraParamFoundColorTemperature, "found-color-temperature",
     "white balance: colour temperature found for the gains", "K", 3200.0, 2000.0, 11000.0,
     kCameraNodeWhiteBalance, kPersistNever, kParamReadOnly},
    {kCameraParamTint, "tint", "white balance: tint", "", 0.0, -16.0, 16.0, kCameraNodeWhiteBalance,
     kPersistNever},
    {kCameraParamGainRed, "wb-gain-red", "white balance: red gain", "", 1.0, 0.9, 4.0,
     kCameraNodeWhiteBalance, kPersistFull},
    {kCameraParamGainBlue, "wb-gain-blue", "white balance: blue gain", "", 1.0, 0.9, 4.0,
     kCameraNodeWhiteBalance, kPersistFull},
    {kCameraParamLogOffsetRed, "log-offset-red", "offset added to the log signal, red", "", 0.0,
     -1.0, 1.0, kCameraNodeLogOffset, kPersistAlways, kParamReadWrite, true},
    {kCameraParamLogOffsetGreen, "log-offset-green", "offset added to the log signal, green", "",
     0.0, -1.0, 1.0, kCameraNodeLogOffset, kPersistAlways, kParamReadWrite, true},
    {kCameraParamLogOffsetBlue, "log-offset-blue", "offset added to the log signal, blue", "", 0.0,
     -1.0, 1.0, kCameraNodeLogOffset, kPersistAlways, kParamReadWrite, true},
    {kCameraParamKnee, "knee", "tone map: knee (highlights)", "", 0.5,
     KestaToneMapCurve::kMinParamValue, KestaToneMapCurve::kMaxParamValue, kCameraNodeToneMap,
     kPersistAlways, kParamReadWrite, true},
    {kCameraParamBlackGamma, "black-gamma", "tone map: black gamma (shadows)", "", 0.5,
     KestaToneMapCurve::kMinParamValue, KestaToneMapCurve::kMaxParamValue, kCameraNodeToneMap,
     kPersistAlways, kParamReadWrite, true},
    {kCameraParamVideoSlopeRed, "video-slope-red", "video slope, red", "", 1.0, 0.5, 2.0,
     kCameraNodeGamma, kPersistAlways, kParamReadWrite, true},
    {kCameraParamVideoSlopeGreen, "video-slope-green", "video slope, green", "", 1.0, 0.5, 2.0,
     kCameraNodeGamma, kPersistAlways, kParamReadWrite, true},
    {kCameraParamVideoSlopeBlue, "video-slope-blue", "video slope, blue", "", 1.0, 0.5, 2.0,
     kCameraNodeGamma, kPersistAlways, kParamReadWrite, true},
    {kCameraParamVideoOffsetRed, "video-offset-red", "video offset, red", "", 0.0, -0.5, 0.5,
     kCameraNodeGamma, kPersistAlways, kParamReadWrite, true},
    {kCameraParamVideoOffsetGreen, "video-offset-green", "video offset, green", "", 0.0, -0.5, 0.5,
     kCameraNodeGamma, kPersistAlways, kParamReadWrite, true},
    {kCameraParamVideoOffsetBlue, "video-offset-blue", "video offset, blue", "", 0.0, -0.5, 0.5,
     kCameraNodeGamma, kPersistAlways, kParamReadWrite, true},
    {kCameraParamVideoPowerRed, "video-power-red", "video power, red", "", 1.0, 0.5, 2.0,
     kCameraNodeGamma, kPersistAlways, kParamReadWrite, true},
    {kCameraParamVideoPowerGreen, "video-power-green", "video power, green", "", 1.0, 0.5, 2.0,
     kCameraNodeGamma, kPersistAlways, kParamReadWrite, true},
    {kCameraParamVideoPowerBlue, "video-power-blue", "video power, blue", "", 1.0, 0.5, 2.0,
     kCameraNodeGamma, kPersistAlways, kParamReadWrite, true},
    {kCameraParamVideoPedestalRed, "video-pedestal-red", "video pedestal, red", "", 0.0,
     VideoCurve::kMinPedestalValue, VideoCurve::kMaxPedestalValue, kCameraNodeGamma, kPersistAlways,
     kParamReadWrite, true},
    {kCameraParamVideoPedestalGreen, "video-pedestal-green", "video pedestal, green", "", 0.0,
     VideoCurve::kMinPedestalValue, VideoCurve::kMaxPedestalValue, kCameraNodeGamma, kPersistAlways,
     kParamReadWrite, true},
    {kCameraParamVideoPedestalBlue, "video-pedestal-blue", "video pedestal, blue", "", 0.0,
     VideoCurve::kMinPedestalValue, VideoCurve::kMaxPedestalValue, kCameraNodeGamma, kPersistAlways,
     kParamReadWrite, true},
    {kCameraParamVideoSaturation, "video-saturation", "saturation", "", 1.0, 0.0, 2.0,
     kCameraNodeColorSpace, kPersistAlways, kParamReadWrite, true},
};

// Local ids; which of them a core has depends on its pipeline type.
inline constexpr PipelineNodeInfo gCameraNodes[] = {
    {kCameraNodeHead, kNodeAuxB, "head", "head of the output path (no colour)"},
    {kCameraNodeWhiteBalance, kNodeRgbGain, "white-balance", "white-balance gains"},
    {kCameraNodeColorMatrix, kNodeMatrix, "camera-matrix", "camera colour matrix"},
    {kCameraNodeQMapping, kNodeLut, "q-mapping", "Q mapping of the sensor signal"},
    {kCameraNodeLog, kNodeLut, "log", "log encoding (linear to log)"},
    {kCameraNodeSplit, kNodeAuxA, "branch-point", "branch point (no colour)"},
    {kCameraNodeLogOffset, kNodeRgbLutOffset, "log-offset", "log offsets per channel"},
    {kCameraNodeToneMap, kNodeLut, "tone-map", "tone map"},
    {kCameraNodeColorSpace, kNodeMatrix, "color-space", "colour space matrix with saturation"},
    {kCameraNodeGamma, kNodeRgbLut, "gamma", "video gamma or false colour"},
};

// Single-branch and output-only pipelines only.
inline constexpr PipelineNodeInfo gCameraExports[] = {
    {kCameraExportRendering, kNode3dLut, "rendering", "the complete rendering of the output path"},
};

inline constexpr PipelineModeInfo gCameraModes[] = {
    {kCameraModeVideo, "video", "video output (off: log output)"},
    {kCameraModeP3Output, "p3-output", "P3 and gamma 2.6 (off: Rec.709 and gamma 2.4)"},
    {kCameraModeFalseColor, "false-color", "false-colour exposure bands"},
    {kCameraModePlayback, "playback", "playback of recorded material"},
};

template <class T, int count>
constexpr int vocabularyCount(const T (&)[count]) {
  return count;
}

inline constexpr PipelineVocabulary gLutGeneratorVocabulary = {
    gLutGeneratorParams,
    vocabularyCount(gLutGeneratorParams),
    gLutGeneratorNodes,
    vocabularyCount(gLutGeneratorNodes),
    gLutGeneratorExports,
    vocabularyCount(gLutGeneratorExports),
    nullptr,
    0};

inline constexpr PipelineVocabulary gCameraVocabulary = {
    gCameraParams,  vocabularyCount(gCameraParams),  gCameraNodes, vocabularyCount(gCameraNodes),
    gCameraExports, vocabularyCount(gCameraExports), gCameraModes, vocabularyCount(gCameraModes)};

// ---- Look-ups -------------------------------------------------------------------------
// Null when the vocabulary has no such entry. Ids may carry a branch word;
// it is ignored for per-branch parameters and modes and for nodes.

const PipelineParamInfo* findParamInfo(const PipelineVocabulary& vocabulary, uint32_t id);
const PipelineParamInfo* findParamInfo(const PipelineVocabulary& vocabulary, const char* name);
// Pipeline nodes first, then exports.
const PipelineNodeInfo* findNodeInfo(const PipelineVocabulary& vocabulary, uint32_t id);
const PipelineModeInfo* findModeInfo(const PipelineVocabulary& vocabulary, uint32_t id);
// Whether value is one the parameter takes: inside the range and, for a
// parameter with choices, one of them. NaN is never accepted.
bool isAcceptedValue(const PipelineParamInfo& param, double value);

}  // namespace Kalvora
