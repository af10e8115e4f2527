#include "kvrKestaImageCore.h"

#include <utility>

#include "kvrPipelineVocabulary.h"

#define KVR_SOURCE "src/kvrKestaImageCore"

namespace Kalvora {

namespace {

constexpr unsigned int kBranchMask = 0xFF000000u;
constexpr unsigned int kLocalMask = 0x00FFFFFFu;
constexpr int kBranchShift = 24;
constexpr unsigned int kBranch1 = kCameraBranch1;
constexpr unsigned int kBranch2 = kCameraBranch2;

// Short names of the vocabulary's ids (kvrPipelineVocabulary.h).
constexpr unsigned int kHeadNode = kCameraNodeHead;
constexpr unsigned int kWhiteBalanceNode = kCameraNodeWhiteBalance;
constexpr unsigned int kCameraMatrixNode = kCameraNodeColorMatrix;
constexpr unsigned int kQMappingNode = kCameraNodeQMapping;
constexpr unsigned int kLogEncodingNode = kCameraNodeLog;
constexpr unsigned int kSplitNode = kCameraNodeSplit;
constexpr unsigned int kLogOffsetNode = kCameraNodeLogOffset;
constexpr unsigned int kToneMapNode = kCameraNodeToneMap;
constexpr unsigned int kColorSpaceNode = kCameraNodeColorSpace;
constexpr unsigned int kGammaNode = kCameraNodeGamma;
constexpr unsigned int kRenderNode = kCameraExportRendering;

constexpr unsigned int kExposureIndex = kCameraParamExposureIndex;
constexpr unsigned int kColorTemperature = kCameraParamColorTemperature;
constexpr unsigned int kFoundColorTemperature = kCameraParamFoundColorTemperature;
constexpr unsigned int kTint = kCameraParamTint;
constexpr unsigned int kGainRed = kCameraParamGainRed;
constexpr unsigned int kGainBlue = kCameraParamGainBlue;
constexpr unsigned int kLogOffsetRed = kCameraParamLogOffsetRed;
constexpr unsigned int kLogOffsetBlue = kCameraParamLogOffsetBlue;
constexpr unsigned int kBlackGamma = kCameraParamBlackGamma;
constexpr unsigned int kKnee = kCameraParamKnee;
constexpr unsigned int kSaturation = kCameraParamVideoSaturation;

constexpr unsigned int kVideoMode = kCameraModeVideo;
constexpr unsigned int kP3Output = kCameraModeP3Output;
constexpr unsigned int kFalseColorMode = kCameraModeFalseColor;
constexpr unsigned int kPlaybackMode = kCameraModePlayback;

constexpr double kInitialExposureIndex = gCameraParams[0].defaultValue;
static_assert(gCameraParams[0].id == kExposureIndex, "the exposure index comes first");
// Temperatures given to gains that lie outside the calibration: more red
// gain than blue gain balances bluish light.
constexpr double kBluishFallbackCct = 11000.0;
constexpr double kReddishFallbackCct = 2000.0;

// The parameters of the two white-balance views, including the temperature
// found for the gains, which is derived with the temperature and tint.
bool isWhiteBalanceParameter(unsigned int id) {
  return id == kColorTemperature || id == kFoundColorTemperature || id == kTint || id == kGainRed ||
         id == kGainBlue;
}

// Moves the records into an array of the form the base installers own.
template <class Record>
Record** releaseToArray(std::vector<std::unique_ptr<Record>>& records) {
  Record** array = new Record*[records.size()];
  for (std::size_t i = 0; i < records.size(); ++i) array[i] = records[i].release();
  return array;
}

void addBranchNodes(std::vector<std::unique_ptr<PipelineNode>>& nodes, unsigned int branch,
                    unsigned int input) {
  nodes.push_back(
      std::make_unique<PipelineNode>(branch + kLogOffsetNode, input, kNodeRgbLutOffset));
  nodes.push_back(
      std::make_unique<PipelineNode>(branch + kToneMapNode, branch + kLogOffsetNode, kNodeLut));
  nodes.push_back(
      std::make_unique<PipelineNode>(branch + kColorSpaceNode, branch + kToneMapNode, kNodeMatrix));
  nodes.push_back(
      std::make_unique<PipelineNode>(branch + kGammaNode, branch + kColorSpaceNode, kNodeRgbLut));
}

// The vocabulary's parameters of one scope, with the branch word added to
// the per-branch ones.
void addParameters(std::vector<std::unique_ptr<PipelineParameter>>& parameters, bool perBranch,
                   unsigned int branch, bool withWhiteBalance) {
  for (const PipelineParamInfo& p : gCameraParams) {
    if (p.perBranch != perBranch) continue;
    if (p.node == kWhiteBalanceNode && !withWhiteBalance) continue;
    parameters.push_back(std::make_unique<PipelineParameter>(branch + p.id, p.defaultValue,
                                                             p.minimum, p.maximum, p.persistence,
                                                             p.access != kParamReadWrite));
  }
}

}  // namespace

// ---- Construction ------------------------------------------------------------------

KestaImageCore::KestaImageCore(int configurationCount, PipelineType type)
    : Kalvora(configurationCount, type, kestaElvexparam) {
  if (!good()) return;
  try {
    // Exposure index 0 is the encoding's nominal speed.
    elvex_.reset(new Elvex(getElvexParam(), 0.0));
    createPipeline();
    createParameters();
    createModes();
    if (type != kPipelineMultiBranch) createExports();
    const int count = type == kPipelineMultiBranch ? 3 : 1;
    for (int i = 0; i < count; ++i) branches_.push_back(std::make_unique<KestaProcessBranch>());
    branchCount_ = count;
    updateExposureIndex(kInitialExposureIndex);
    if (type == kPipelineMultiBranch) {
      // Node 5 encodes the companded sensor signal of node 4.
      qMapper_.reset(new QMapper());
      inverseQMapper_.reset(new InverseLutFunc(*qMapper_));
      logComposite_.reset(new LutComposite(*elvex_, *inverseQMapper_));
      logLut_ = logComposite_.get();
    } else {
      logLut_ = elvex_.get();
    }
    initState(true);
  } catch (...) {
    KvrError(KVR_HERE, "initialization of KestaImageCore failed");
    initState(false);
  }
}

KestaImageCore::~KestaImageCore() = default;

void KestaImageCore::createPipeline() {
  std::vector<std::unique_ptr<PipelineNode>> nodes;
  auto add = [&](unsigned int id, unsigned int input, NodeType type) {
    nodes.push_back(std::make_unique<PipelineNode>(id, input, type));
  };
  switch (getPipelineType()) {
    case kPipelineMultiBranch:
      add(kWhiteBalanceNode, 0, kNodeRgbGain);
      add(kCameraMatrixNode, kWhiteBalanceNode, kNodeMatrix);
      add(kQMappingNode, kCameraMatrixNode, kNodeLut);
      add(kLogEncodingNode, kQMappingNode, kNodeLut);
      add(kSplitNode, kLogEncodingNode, kNodeAuxA);
      addBranchNodes(nodes, 0, kSplitNode);
      addBranchNodes(nodes, kBranch1, kSplitNode);
      addBranchNodes(nodes, kBranch2, kSplitNode);
      break;
    case kPipelineSingleBranch:
      add(kHeadNode, 0, kNodeAuxB);
      add(kWhiteBalanceNode, kHeadNode, kNodeRgbGain);
      add(kCameraMatrixNode, kWhiteBalanceNode, kNodeMatrix);
      add(kLogEncodingNode, kCameraMatrixNode, kNodeLut);
      add(kSplitNode, kLogEncodingNode, kNodeAuxA);
      addBranchNodes(nodes, 0, kSplitNode);
      break;
    case kPipelineOutputOnly:
      addBranchNodes(nodes, 0, 0);
      break;
    default:
      throw KvrSignal(kIllegalValue, KVR_HERE, "unknown pipeline type");
  }
  const int count = static_cast<int>(nodes.size());
  setPipeline(releaseToArray(nodes), count);
}

void KestaImageCore::createExports() {
  std::vector<std::unique_ptr<PipelineNode>> nodes;
  nodes.push_back(std::make_unique<PipelineNode>(kRenderNode, kLogEncodingNode, kNode3dLut));
  setExports(releaseToArray(nodes), 1);
}

void KestaImageCore::createParameters() {
  const PipelineType type = getPipelineType();
  std::vector<std::unique_ptr<PipelineParameter>> parameters;
  // The output-only pipeline starts after the white balance.
  addParameters(parameters, false, 0, type != kPipelineOutputOnly);
  addParameters(parameters, true, 0, false);
  if (type == kPipelineMultiBranch) {
    addParameters(parameters, true, kBranch1, false);
    addParameters(parameters, true, kBranch2, false);
  }
  const int count = static_cast<int>(parameters.size());
  setParameter(releaseToArray(parameters), count);
}

void KestaImageCore::createModes() {
  std::vector<std::unique_ptr<PipelineMode>> modes;
  auto add = [&](unsigned int id, bool value) {
    modes.push_back(std::make_unique<PipelineMode>(id, value));
  };
  if (getPipelineType() == kPipelineMultiBranch) {
    add(kVideoMode, true);
    add(kBranch1 + kVideoMode, true);
    add(kBranch2 + kVideoMode, true);
    add(kBranch1 + kFalseColorMode, false);
    add(kBranch2 + kFalseColorMode, false);
    add(kBranch1 + kP3Output, false);
    add(kBranch2 + kP3Output, false);
    add(kBranch1 + kPlaybackMode, false);
    add(kBranch2 + kPlaybackMode, false);
  } else {
    add(kVideoMode, true);
    add(kP3Output, false);
  }
  const int count = static_cast<int>(modes.size());
  setModes(releaseToArray(modes), count);
}

// ---- Ids and helpers -------------------------------------------------------------

void KestaImageCore::splitId(unsigned int& id, unsigned int& branch) const {
  branch = id & kBranchMask;
  id &= kLocalMask;
}

KestaProcessBranch* KestaImageCore::findBranch(unsigned int branchWord) const {
  const unsigned int index = branchWord >> kBranchShift;
  if (index >= static_cast<unsigned int>(branchCount_)) return nullptr;
  return branches_[index].get();
}

double KestaImageCore::paramValue(unsigned int id) const { return needParameter(id)->value; }

void KestaImageCore::setParamValue(unsigned int id, double value) {
  needParameter(id)->value = value;
}

// ---- Public operations -------------------------------------------------------------

KestaProcessBranch& KestaImageCore::needToneMapBranch(unsigned int nodeId) const {
  unsigned int local = nodeId, branch = 0;
  splitId(local, branch);
  KestaProcessBranch* target = findBranch(branch);
  if (local != kToneMapNode || target == nullptr)
    throw KvrSignal(kUnknownId, KVR_HERE, "Unknown lut node");
  return *target;
}

ErrorCode KestaImageCore::setUserLut(unsigned int nodeId, unsigned short const* table, int size,
                                     int scale) {
  return kvrBoundary(KVR_HERE, [&] {
    needToneMapBranch(nodeId).setUserLut(table, size, scale);
    return kNoError;
  });
}

ErrorCode KestaImageCore::resetUserLut(unsigned int nodeId) {
  return kvrBoundary(KVR_HERE, [&] {
    needToneMapBranch(nodeId).resetUserLut();
    return kNoError;
  });
}

ErrorCode KestaImageCore::hasUserLut(unsigned int nodeId, bool& has) {
  return kvrBoundary(KVR_HERE, [&] {
    has = needToneMapBranch(nodeId).hasUserLut();
    return kNoError;
  });
}

bool KestaImageCore::updateExposureIndex(double ei) {
  const bool changed = elvex_->setAsa(ei);
  for (auto& branch : branches_) branch->updateElvex(*elvex_);
  return changed;
}

ErrorCode KestaImageCore::updateColorTempAndTint(double cct, double tint) {
  return kvrBoundary(KVR_HERE, [&] {
    double gainRed = 1.0, gainBlue = 1.0;
    getWhiteBlanceGain(cct, tint, gainRed, gainBlue);
    setParamValue(kGainRed, gainRed);
    setParamValue(kGainBlue, gainBlue);
    return kNoError;
  });
}

// ---- Node functions ----------------------------------------------------------------

void KestaImageCore::do_getMatrix(unsigned int id, double (&matrix)[9]) {
  if (id == kCameraMatrixNode) {
    updateParam(kColorTemperature);
    getColorMatrix(paramValue(kColorTemperature), matrix);
    return;
  }
  unsigned int local = id, branch = 0;
  splitId(local, branch);
  KestaProcessBranch* target = findBranch(branch);
  if (local != kColorSpaceNode || target == nullptr)
    throw KvrSignal(kUnknownId, KVR_HERE, "Unknown matrix node");
  target->getColorSpaceMatrix(matrix);
}

LutFunc const* KestaImageCore::do_getLut(unsigned int id) const {
  if (id == kQMappingNode && qMapper_) return qMapper_.get();
  if (id == kLogEncodingNode) return logLut_;
  return &needToneMapBranch(id).getToneMapLut();
}

LutFuncRgb const* KestaImageCore::do_getRgbLut(unsigned int id) const {
  unsigned int local = id, branch = 0;
  splitId(local, branch);
  KestaProcessBranch* target = findBranch(branch);
  if (target != nullptr && local == kLogOffsetNode) return &target->getLogLut();
  if (target != nullptr && local == kGammaNode) return &target->getGammaLut();
  throw KvrSignal(kUnknownId, KVR_HERE, "Unknown rgb lut node");
}

LutFunc3D const* KestaImageCore::do_exportLut(unsigned int id) {
  unsigned int local = id, branch = 0;
  splitId(local, branch);
  KestaProcessBranch* target = findBranch(branch);
  if (local != kRenderNode || target == nullptr)
    throw KvrSignal(kUnknownId, KVR_HERE, "Unknown 3dlut node");
  return &target->getVideoRenderLut();
}

void KestaImageCore::do_getRgbGainOffset(unsigned int id, RgbGainOffset& gainOffset) {
  if (id == kWhiteBalanceNode) {
    updateParam(kGainRed);
    updateParam(kGainBlue);
    gainOffset.gain[0] = paramValue(kGainRed);
    gainOffset.gain[1] = 1.0;
    gainOffset.gain[2] = paramValue(kGainBlue);
    return;
  }
  unsigned int local = id, branch = 0;
  splitId(local, branch);
  if (local != kLogOffsetNode) return;  // a node without gains or offsets
  // All three are looked up before the record is touched; a branch the core
  // does not have has no offset parameters.
  double offset[3];
  for (unsigned int c = 0; c < 3; ++c) offset[c] = paramValue(branch + kLogOffsetRed + c);
  for (int c = 0; c < 3; ++c) gainOffset.offset[c] = offset[c];
}

// ---- White balance -----------------------------------------------------------------

void KestaImageCore::updateParam(unsigned int id) {
  if (!isWhiteBalanceParameter(id)) return;
  switch (getWhiteBalanceState()) {
    case kWhiteBalanceCctStale:
      updateRgbGain(paramValue(kGainRed), paramValue(kGainBlue));
      break;
    case kWhiteBalanceGainsStale: {
      const double cct = paramValue(kColorTemperature);
      double gainRed = paramValue(kGainRed), gainBlue = paramValue(kGainBlue);
      getWhiteBlanceGain(cct, paramValue(kTint), gainRed, gainBlue);
      setParamValue(kGainRed, gainRed);
      setParamValue(kGainBlue, gainBlue);
      // The gains stand for the temperature they came from.
      setParamValue(kFoundColorTemperature, cct);
      break;
    }
    default:
      break;
  }
  // Only a successful derivation makes the two views consistent; a failure
  // (no calibration yet) leaves it to the next read.
  setWhiteBalanceState(kWhiteBalanceConsistent);
}

void KestaImageCore::updateRgbGain(double gainRed, double gainBlue) {
  double cct = 0.0;
  // Gains outside the calibration yield no tint: the previous one stays.
  double tint = paramValue(kTint);
  getWhiteBalanceCct(gainRed, gainBlue, cct, tint);
  setParamValue(kFoundColorTemperature, cct);
  setParamValue(kTint, tint);
  if (cct == 0.0) cct = gainRed > gainBlue ? kBluishFallbackCct : kReddishFallbackCct;
  setParamValue(kColorTemperature, cct);
}

void KestaImageCore::completeStaleView(PipelineParameter& changed, int staleState) {
  if (getWhiteBalanceState() != staleState) return;
  // The host changes one half of a view whose other half still waits to be
  // derived from the other view (temperature, then one gain): derive it now,
  // or it would be lost when this view takes over.
  const double value = changed.value;
  try {
    updateParam(changed.id);
  } catch (const KvrSignal&) {
    // Without calibration nothing can be derived, now or later: the change
    // goes on as it is, and the derivation writes nothing before it fails.
  }
  changed.value = value;
}

void KestaImageCore::handleOpticalConfigChanged(int) {
  // The output-only pipeline has no white balance to follow the new
  // calibration (and no camera matrix node).
  if (hasParameter(kFoundColorTemperature)) {
    updateParam(kTint);
    const double cct = paramValue(kFoundColorTemperature);
    if (cct > 0.0) {
      double gainRed = paramValue(kGainRed), gainBlue = paramValue(kGainBlue);
      getWhiteBlanceGain(cct, paramValue(kTint), gainRed, gainBlue);
      setParamValue(kGainRed, gainRed);
      setParamValue(kGainBlue, gainBlue);
      changedNode(kWhiteBalanceNode);
    }
  }
  changedNode(kCameraMatrixNode);
}

// ---- Change handlers ---------------------------------------------------------------

void KestaImageCore::handleParamChanged(PipelineParameter& parameter, double) {
  unsigned int local = parameter.id, branchWord = 0;
  splitId(local, branchWord);
  KestaProcessBranch* branch = findBranch(branchWord);
  if (branch == nullptr) throwUnknownId(KVR_HERE, "Unknown parameter ", parameter.id);
  const double value = parameter.value;
  switch (local) {
    case kExposureIndex: {
      updateExposureIndex(value);
      changedNode(kLogEncodingNode);
      changedNode(kToneMapNode);
      changedNode(kBranch1 + kToneMapNode);
      changedNode(kBranch2 + kToneMapNode);
      // The log false-colour bands follow the encoding.
      bool falseColor = false;
      getMode(kBranch1 + kFalseColorMode, falseColor);
      if (falseColor) changedNode(kBranch1 + kGammaNode, false);
      falseColor = false;
      getMode(kBranch2 + kFalseColorMode, falseColor);
      if (falseColor) changedNode(kBranch2 + kGammaNode, false);
      break;
    }
    case kColorTemperature:
    case kTint:
      completeStaleView(parameter, kWhiteBalanceCctStale);
      setWhiteBalanceState(kWhiteBalanceGainsStale);
      changedNode(kWhiteBalanceNode);
      changedNode(kCameraMatrixNode);
      break;
    case kGainRed:
    case kGainBlue:
      completeStaleView(parameter, kWhiteBalanceGainsStale);
      setWhiteBalanceState(kWhiteBalanceCctStale);
      changedNode(kWhiteBalanceNode);
      changedNode(kCameraMatrixNode);
      break;
    case kLogOffsetRed:
    case kLogOffsetRed + 1:
    case kLogOffsetBlue:
      branch->setLogParameter(local, value);
      changedNode(branchWord + kLogOffsetNode);
      break;
    case kBlackGamma:
      branch->setTonemapParam(value, paramValue(branchWord + kKnee));
      changedNode(branchWord + kToneMapNode);
      break;
    case kKnee:
      branch->setTonemapParam(paramValue(branchWord + kBlackGamma), value);
      changedNode(branchWord + kToneMapNode);
      break;
    case kSaturation:
      branch->setSaturation(value);
      changedNode(branchWord + kColorSpaceNode);
      break;
    default:
      branch->setVideoParameter(local, value);
      changedNode(branchWord + kGammaNode);
      break;
  }
}

void KestaImageCore::handleModeChanged(PipelineMode& mode) {
  unsigned int local = mode.id, branchWord = 0;
  splitId(local, branchWord);
  KestaProcessBranch* branch = findBranch(branchWord);
  if (branch == nullptr) throwUnknownId(KVR_HERE, "Unknown mode ", mode.id);
  const unsigned int toneMap = branchWord + kToneMapNode;
  const unsigned int colorSpace = branchWord + kColorSpaceNode;
  const unsigned int gamma = branchWord + kGammaNode;
  const bool on = mode.value;
  switch (local) {
    case kVideoMode:
      branch->setVideoMode(on);
      changedNode(toneMap, !on);
      changedNode(colorSpace, !on);
      changedNode(gamma, !on);
      break;
    case kP3Output:
      branch->setP3Output(on);
      changedNode(colorSpace);
      changedNode(gamma);
      break;
    case kFalseColorMode: {
      branch->setFalseColorMode(on);
      const bool bypassed = branch->isVideoMode() ? false : !on;
      changedNode(colorSpace, bypassed);
      changedNode(gamma, bypassed);
      break;
    }
    case kPlaybackMode: {
      branch->setPlaybackMode(on);
      changedNode(toneMap, !branch->isVideoMode());
      const bool bypassed = branch->isVideoMode() ? false : !branch->isFalseColorMode();
      changedNode(colorSpace, bypassed);
      changedNode(gamma, bypassed);
      break;
    }
    default:
      throw KvrSignal(kUnknownId, KVR_HERE, "Unknown mode");
  }
}

}  // namespace Kalvora
