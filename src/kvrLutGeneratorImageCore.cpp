#include "kvrLutGeneratorImageCore.h"

#include <cstddef>

#include "kvrError.h"

#define KVR_SOURCE "src/kvrLutGeneratorImageCore"

namespace Kalvora {

namespace {

// Pipeline order with each node's input; types and names come from the
// vocabulary.
struct NodeLink {
  unsigned int id;
  unsigned int input;
};

constexpr NodeLink kPipeline[] = {
    {kLutNodeLog, 0},
    {kLutNodeInverseLog, kLutNodeLog},
    {kLutNodeCdl, kLutNodeLog},
    {kLutNodeCdlSaturation, kLutNodeCdl},
    {kLutNodeLook, kLutNodeCdlSaturation},
    {kLutNodeNormalization, kLutNodeLook},
};

bool isCdlParameter(unsigned int id) {
  return (kLutParamCdlOffsetRed <= id && id <= kLutParamCdlOffsetBlue) ||
         (kLutParamCdlSlopeRed <= id && id <= kLutParamCdlSlopeBlue) ||
         (kLutParamCdlPowerRed <= id && id <= kLutParamCdlPowerBlue);
}

// Peak and diffuse white take only the values of their choices.
bool isAllowedChoice(unsigned int id, double value) {
  return isAcceptedValue(*findParamInfo(gLutGeneratorVocabulary, id), value);
}

NodeType lutNodeType(unsigned int id) { return findNodeInfo(gLutGeneratorVocabulary, id)->type; }

template <class Record, class Entry, std::size_t count, class Make>
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
    updateExposureIndex(findParamInfo(gLutGeneratorVocabulary, kExposureIndexParam)->defaultValue);
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
  setPipeline(makeRecords<PipelineNode>(kPipeline,
                                        [](const NodeLink& link) {
                                          return new PipelineNode(link.id, link.input,
                                                                  lutNodeType(link.id));
                                        }),
              count);
}

void LutGeneratorImageCore::createExports() {
  setExports(makeRecords<PipelineNode>(gLutGeneratorExports,
                                       [](const PipelineNodeInfo& node) {
                                         return new PipelineNode(node.id, kLutNodeLog, node.type);
                                       }),
             gLutGeneratorVocabulary.exportCount);
}

void LutGeneratorImageCore::createParameters() {
  setParameter(makeRecords<PipelineParameter>(gLutGeneratorParams,
                                              [](const PipelineParamInfo& e) {
                                                return new PipelineParameter(
                                                    e.id, e.defaultValue, e.minimum, e.maximum,
                                                    e.persistence, e.access != kParamReadWrite);
                                              }),
               gLutGeneratorVocabulary.paramCount);
}

bool LutGeneratorImageCore::isComputedParam(unsigned int id) const {
  const PipelineParamInfo* info = findParamInfo(gLutGeneratorVocabulary, id);
  return info != nullptr && info->access == kParamComputed;
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
      if (!isAllowedChoice(id, value)) {
        KvrError(KVR_HERE, "illegal parameter value %f for id %d ", value, static_cast<int>(id));
        return kIllegalValue;
      }
      if (isTargetColorSpace(Rec2100Hlg) && value != kHlgPeakWhite)
        throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal value of peak white for HLG");
    } else if (id == kDiffuseWhiteParam && !isAllowedChoice(id, value)) {
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
