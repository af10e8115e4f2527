#include "kvrLutGeneratorImageCore.h"

#include <cstddef>

#include "kvrError.h"

#define KVR_SOURCE "src/kvrLutGeneratorImageCore"

namespace Kalvora {

namespace {

struct NodeEntry {
  unsigned int id;
  unsigned int input;
  NodeType type;
};

constexpr NodeEntry kPipeline[] = {
    {5, 0, kNodeLut},    {16, 5, kNodeLut},   {8, 5, kNodeRgbLut},
    {9, 8, kNodeMatrix}, {10, 9, kNode3dLut}, {11, 10, kNodeRgbGainOffset},
};

constexpr unsigned int kExports[] = {12, 13, 10, 14, 15};

struct ParameterEntry {
  unsigned int id;
  double value;
  double minimum;
  double maximum;
  Persistance persistence;
  bool bounded;  // false: no range and read-only
};

constexpr Persistance kAlways = kPersistAlways;

constexpr ParameterEntry kParameters[] = {
    {1001, 800.0, 160.0, 3200.0, kPersistFull, true},  // exposure index
    {3011, 1.0, 0.5, 2.0, kAlways, true},              // CDL slope red, green, blue
    {3012, 1.0, 0.5, 2.0, kAlways, true},
    {3013, 1.0, 0.5, 2.0, kAlways, true},
    {3001, 0.0, -0.5, 0.5, kAlways, true},  // CDL offset red, green, blue
    {3002, 0.0, -0.5, 0.5, kAlways, true},
    {3003, 0.0, -0.5, 0.5, kAlways, true},
    {3021, 1.0, 0.5, 2.0, kAlways, true},  // CDL power red, green, blue
    {3022, 1.0, 0.5, 2.0, kAlways, true},
    {3023, 1.0, 0.5, 2.0, kAlways, true},
    {3040, 1.0, 0.0, 2.0, kAlways, true},  // CDL saturation
    {4002, 0.5, 0.0, 1.0, kAlways, true},  // tone map: knee
    {4001, 0.5, 0.0, 1.0, kAlways, true},  // tone map: black gamma
    {5040, 1.0, 0.0, 2.0, kAlways, true},  // video saturation
    {5051, 1.0, 0.5, 2.0, kAlways, true},  // master gamma
    {5061, 1.0, 0.0, 2.0, kAlways, true},  // hue saturations: red, yellow,
    {5062, 1.0, 0.0, 2.0, kAlways, true},  // green, cyan, blue, magenta
    {5063, 1.0, 0.0, 2.0, kAlways, true},
    {5064, 1.0, 0.0, 2.0, kAlways, true},
    {5065, 1.0, 0.0, 2.0, kAlways, true},
    {5066, 1.0, 0.0, 2.0, kAlways, true},
    {6001, 1.0, 0.0, 0.0, kPersistNever, false},  // normalisation gain
    {6002, 0.0, 0.0, 0.0, kPersistNever, false},  // normalisation offset
    {5067, 1.0, 0.5, 2.0, kAlways, true},         // slope red, green, blue
    {5068, 1.0, 0.5, 2.0, kAlways, true},
    {5069, 1.0, 0.5, 2.0, kAlways, true},
    {5070, 1.0, 0.5, 2.0, kAlways, true},  // gamma red, green, blue
    {5071, 1.0, 0.5, 2.0, kAlways, true},
    {5072, 1.0, 0.5, 2.0, kAlways, true},
    {5073, 0.0, -0.3, 0.3, kAlways, true},  // pedestal red, green, blue
    {5074, 0.0, -0.3, 0.3, kAlways, true},
    {5075, 0.0, -0.3, 0.3, kAlways, true},
    {5077, 100.0, 0.0, 1000.0, kPersistNever, true},    // diffuse white, cd/m2
    {5078, 1000.0, 0.0, 10000.0, kPersistNever, true},  // peak white, cd/m2
};

constexpr double kHlgPeakWhite = 1000.0;

bool isCdlParameter(unsigned int id) {
  return (3001 <= id && id <= 3003) || (3011 <= id && id <= 3013) || (3021 <= id && id <= 3023);
}

bool isAllowedPeakWhite(double value) {
  return value == 1000.0 || value == 2000.0 || value == 4000.0;
}

bool isAllowedDiffuseWhite(double value) { return value == 100.0 || value == 200.0; }

template <class Record, class Entry, size_t count, class Make>
Record** makeRecords(const Entry (&entries)[count], Make make) {
  Record** records = new Record*[count]();
  try {
    for (size_t i = 0; i < count; ++i) records[i] = make(entries[i]);
  } catch (...) {
    for (size_t i = 0; i < count; ++i) delete records[i];
    delete[] records;
    throw;
  }
  return records;
}

}  // namespace

// ---- Construction -----------------------------------------------------------------

LutGeneratorImageCore::LutGeneratorImageCore()
    : Vorn2ImageCore(0, kPipelineOutputOnly, kestaElvexparam) {
  if (!good()) return;
  try {
    createPipeline();
    createParameters();
    createExports();
    updateExposureIndex(800.0);
    logFunc_ = &getColorLuts().getElvex();
    inverseLog_.reset(new InverseLutFunc(getColorLuts().getElvex()));
    initState(true);
  } catch (...) {
    KvrError(KVR_HERE, "initialization of LutGeneratorImageCore failed");
    initState(false);
  }
}

LutGeneratorImageCore::~LutGeneratorImageCore() = default;

void LutGeneratorImageCore::createPipeline() {
  constexpr int count = sizeof kPipeline / sizeof kPipeline[0];
  setPipeline(
      makeRecords<PipelineNode>(
          kPipeline, [](const NodeEntry& e) { return new PipelineNode(e.id, e.input, e.type); }),
      count);
}

void LutGeneratorImageCore::createExports() {
  constexpr int count = sizeof kExports / sizeof kExports[0];
  setExports(makeRecords<PipelineNode>(
                 kExports, [](unsigned int id) { return new PipelineNode(id, 5, kNode3dLut); }),
             count);
}

void LutGeneratorImageCore::createParameters() {
  constexpr int count = sizeof kParameters / sizeof kParameters[0];
  setParameter(makeRecords<PipelineParameter>(
                   kParameters,
                   [](const ParameterEntry& e) {
                     if (!e.bounded)
                       return new PipelineParameter(e.id, e.value, e.persistence, true);
                     return new PipelineParameter(e.id, e.value, e.minimum, e.maximum,
                                                  e.persistence, false);
                   }),
               count);
}

// ---- Parameters -----------------------------------------------------------------------

void LutGeneratorImageCore::checkHlgPeakWhite() const {
  if (isTargetColorSpace(Rec2100Hlg) && needParameter(kPeakWhiteParam)->value != kHlgPeakWhite)
    throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal value of peak white for HLG");
}

ErrorCode LutGeneratorImageCore::setParam(unsigned int id, double value) {
  return kvrBoundary(KVR_HERE, [&] {
    needParameter(id);
    if (id == kPeakWhiteParam) {
      if (!isAllowedPeakWhite(value)) {
        KvrError(KVR_HERE, "illegal parameter value %f for id %d ", value, static_cast<int>(id));
        return kIllegalValue;
      }
      if (isTargetColorSpace(Rec2100Hlg) && value != kHlgPeakWhite)
        throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal value of peak white for HLG");
    } else if (id == kDiffuseWhiteParam && !isAllowedDiffuseWhite(value)) {
      KvrError(KVR_HERE, "illegal parameter value %f for id %d ", value, static_cast<int>(id));
      return kIllegalValue;
    }
    return Vorn2ImageCore::setParam(id, value);
  });
}

void LutGeneratorImageCore::handleParamChanged(PipelineParameter& parameter, double) {
  const unsigned int id = parameter.id;
  const double value = parameter.value;
  Vorn2ColorLuts& luts = getColorLuts();
  if (isCdlParameter(id)) {
    luts.setLogParameter(id, value);
    changedNode(kCdlNode);
    return;
  }
  if (id == kSaturationParam) {
    luts.setLogSaturation(value);
    changedNode(kSaturationNode);
    return;
  }
  if (id == kExposureIndexParam) {
    updateExposureIndex(value);
    changedNode(kLogNode);
    changedNode(kInverseLogNode);
    return;
  }
  if (id == kToneMap1Param || id == kToneMap2Param)
    luts.setTonemapParameter(needParameter(kToneMap1Param)->value,
                             needParameter(kToneMap2Param)->value);
  else if (id == kDiffuseWhiteParam)
    luts.getVideoLut().setDiffuseWhite(value);
  else if (id == kPeakWhiteParam)
    luts.getVideoLut().setPeakWhite(value);
  else
    luts.setVideoParameter(id, value);
  changedNode(kLookNode);
  updateNormalization();
}

void LutGeneratorImageCore::updateExposureIndex(double ei) {
  Vorn2ImageCore::updateExposureIndex(ei);
  updateNormalization();
}

// ---- Node functions ---------------------------------------------------------------------

void LutGeneratorImageCore::do_getMatrix(unsigned int id, double (&matrix)[9]) {
  if (id != kSaturationNode) throw KvrSignal(kUnknownId, KVR_HERE, "Unknown matrix node");
  getColorLuts().getSatMatrix(matrix);
}

LutFunc const* LutGeneratorImageCore::do_getLut(unsigned int id) const {
  if (id == kLogNode) return logFunc_;
  if (id == kInverseLogNode) return inverseLog_.get();
  if (id == kNormalizationNode) return &getColorLuts().getNormalizationCdl();
  throw KvrSignal(kUnknownId, KVR_HERE, "Unknown lut node");
}

LutFuncRgb const* LutGeneratorImageCore::do_getRgbLut(unsigned int id) const {
  if (id != kCdlNode) throw KvrSignal(kUnknownId, KVR_HERE, "Unknown rgb lut node");
  return &getColorLuts().getCdlTriple();
}

// ---- 3-D LUTs ---------------------------------------------------------------------------

ErrorCode LutGeneratorImageCore::get3dLut(unsigned int nodeId, int meshPoints, double* out,
                                          LutOrder order) const {
  return kvrBoundary(KVR_HERE, [&] {
    checkHlgPeakWhite();
    return Vorn2ImageCore::get3dLut(nodeId, meshPoints, out, order);
  });
}

ErrorCode LutGeneratorImageCore::get3dLut(unsigned int nodeId, int meshPoints, unsigned short* out,
                                          LutOrder order, int maxValue, bool halfGrid) const {
  return kvrBoundary(KVR_HERE, [&] {
    checkHlgPeakWhite();
    return Vorn2ImageCore::get3dLut(nodeId, meshPoints, out, order, maxValue, halfGrid);
  });
}

}  // namespace Kalvora
