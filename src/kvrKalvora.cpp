#include "kvrKalvora.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <iostream>
#include <limits>

#include "kvrCameraCalibration.h"
#include "kvrGridSampler.h"
#include "kvrInterpolateBalance.h"

#define KVR_SOURCE "src/kvrKalvora"

namespace Kalvora {

namespace {

constexpr int kMinLutSize = 256;
constexpr int kMaxLutSize = 65536;
constexpr int kScaleLimit = 65536;  // scales must lie below

bool isLutSize(int size) { return kMinLutSize <= size && size <= kMaxLutSize; }

void checkLutSize(int size) {
  if (!isLutSize(size)) throw KvrSignal(kIllegalValue, KVR_HERE, "illegal size for LUT");
}

void checkScale(int scale) {
  if (scale >= kScaleLimit)
    throw KvrSignal(kLimitExceeded, KVR_HERE, "illegal value for scaling factor");
}

// Rounds half away from zero; values beyond the 32-bit range saturate and
// NaN gives 0, so a degenerate matrix never overflows the conversion.
int32_t toFixedPoint(double value) {
  const double rounded = value < 0.0 ? value - 0.5 : value + 0.5;
  if (std::isnan(rounded)) return 0;
  if (rounded <= double(std::numeric_limits<int32_t>::min()))
    return std::numeric_limits<int32_t>::min();
  if (rounded >= double(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(rounded);
}

template <class Record>
void deleteRecords(Record**& records, int& count) {
  if (records != nullptr) {
    for (int i = 0; i < count; ++i) delete records[i];
    delete[] records;
  }
  records = nullptr;
  count = 0;
}

template <class Record>
Record* findRecord(Record* const* records, int count, unsigned int id) {
  for (int i = 0; i < count; ++i)
    if (records[i] != nullptr && records[i]->id == id) return records[i];
  return nullptr;
}

}  // namespace

// ---- Construction and state ------------------------------------------------

Kalvora::Kalvora(int configurationCount, PipelineType type, Elvex::Param const& logParam)
    : configurationCount_(configurationCount), pipelineType_(type) {
  elvexParam_.setParam(logParam);
  try {
    if (configurationCount > 0) {
      systemCalibration_.assign(configurationCount, nullptr);
      unitCalibration_.assign(configurationCount, nullptr);
    }
    good_ = true;
  } catch (...) {
    KvrError(KVR_HERE, "initialization of Kalvora failed");
  }
}

Kalvora::~Kalvora() {
  deleteRecords(parameters_, parameterCount_);
  deleteRecords(pipeline_, nodeCount_);
  deleteRecords(exports_, exportCount_);
  deleteRecords(modes_, modeCount_);
}

bool Kalvora::initState(bool ok) {
  good_ = good_ && ok;
  return good_;
}

bool Kalvora::isNodeType(NodeType type, NodeType wanted) {
  return type == wanted || wanted == 0 || (type & ~0xF) == wanted;
}

void Kalvora::setPipeline(PipelineNode** nodes, int count) {
  deleteRecords(pipeline_, nodeCount_);
  pipeline_ = nodes;
  nodeCount_ = count;
}

void Kalvora::setExports(PipelineNode** nodes, int count) {
  deleteRecords(exports_, exportCount_);
  exports_ = nodes;
  exportCount_ = count;
}

void Kalvora::setParameter(PipelineParameter** parameters, int count) {
  deleteRecords(parameters_, parameterCount_);
  parameters_ = parameters;
  parameterCount_ = count;
}

void Kalvora::setModes(PipelineMode** modes, int count) {
  deleteRecords(modes_, modeCount_);
  modes_ = modes;
  modeCount_ = count;
}

PipelineParameter* const* Kalvora::getParameters() {
  for (int i = 0; i < parameterCount_; ++i) {
    if (parameters_[i] == nullptr) continue;
    const unsigned int id = parameters_[i]->id;
    // There is no error result here: a failing update is reported as at a
    // public boundary and the stored value is left as it is.
    kvrBoundary(KVR_HERE, [&] {
      updateParam(id);
      return kNoError;
    });
  }
  return parameters_;
}

int Kalvora::getNumParametersToSave(bool all) const {
  int count = 0;
  for (int i = 0; i < parameterCount_; ++i)
    if (parameters_[i] != nullptr && parameters_[i]->save(all)) ++count;
  return count;
}

void Kalvora::getColorTypeNodes(std::vector<PipelineNode*>& out, unsigned int sourceId,
                                unsigned int sinkId) {
  unsigned int id = sinkId;
  // A path visits each node at most once; more steps mean sourceId is not
  // upstream and the inputs run in a circle.
  for (int step = 0; step <= nodeCount_; ++step) {
    PipelineNode* node = needNode(id);
    if (node->type < kNodeFirstNonColor) out.push_back(node);
    if (node->id == sourceId) return;
    id = node->input;
  }
  throwUnknownId(KVR_HERE, "Unknown node ", sourceId);
}

PipelineNode* Kalvora::needNode(unsigned int id, NodeType type) const {
  for (int i = 0; i < nodeCount_; ++i) {
    PipelineNode* node = pipeline_[i];
    if (node != nullptr && node->id == id && isNodeType(node->type, type)) return node;
  }
  throwUnknownId(KVR_HERE, "Unknown node ", id);
}

PipelineParameter* Kalvora::needParameter(unsigned int id) const {
  PipelineParameter* parameter = findRecord(parameters_, parameterCount_, id);
  if (parameter == nullptr) throwUnknownId(KVR_HERE, "Unknown parameter ", id);
  return parameter;
}

PipelineMode* Kalvora::needMode(unsigned int id) const {
  PipelineMode* mode = findRecord(modes_, modeCount_, id);
  if (mode == nullptr) throwUnknownId(KVR_HERE, "Unknown mode ", id);
  return mode;
}

bool Kalvora::hasParameter(unsigned int id) const {
  return findRecord(parameters_, parameterCount_, id) != nullptr;
}

unsigned int Kalvora::getNodeRevision(unsigned int id) const {
  const PipelineNode* node = findRecord(pipeline_, nodeCount_, id);
  return node != nullptr ? node->revision : 0xFFFFFFFFu;
}

void Kalvora::changedNode(unsigned int id) {
  for (int i = 0; i < nodeCount_; ++i)
    if (pipeline_[i] != nullptr && pipeline_[i]->id == id) pipeline_[i]->changed();
}

void Kalvora::changedNode(unsigned int id, bool bypassed) {
  for (int i = 0; i < nodeCount_; ++i) {
    PipelineNode* node = pipeline_[i];
    if (node == nullptr || node->id != id) continue;
    if (!bypassed || !node->bypassed) node->changed();
    node->bypassed = bypassed;
  }
}

// ---- Calibration and configuration -----------------------------------------

bool Kalvora::isConfigurationIndex(int index) const {
  return 0 <= index && index < configurationCount_;
}

CameraSystemCalibrationRecord const* Kalvora::getSystemCalibration(int index) const {
  return isConfigurationIndex(index) ? systemCalibration_[index] : nullptr;
}

CameraUnitCalibrationRecord const* Kalvora::getUnitCalibration(int index) const {
  return isConfigurationIndex(index) ? unitCalibration_[index] : nullptr;
}

ErrorCode Kalvora::setSystemCalibration(int index, CameraSystemCalibrationRecord const& record) {
  if (!isConfigurationIndex(index)) {
    KvrError(KVR_HERE, "illegal configuration index: %d", index);
    return kIllegalIndex;
  }
  systemCalibration_[index] = &record;
  return kNoError;
}

ErrorCode Kalvora::setUnitCalibration(int index, CameraUnitCalibrationRecord const& record) {
  if (!isConfigurationIndex(index)) {
    KvrError(KVR_HERE, "illegal configuration index: %d", index);
    return kIllegalIndex;
  }
  unitCalibration_[index] = &record;
  return kNoError;
}

ErrorCode Kalvora::useConfiguration(int index) {
  if (!isConfigurationIndex(index)) {
    KvrError(KVR_HERE, "illegal configuration index %d", index);
    return kIllegalIndex;
  }
  if (systemCalibration_[index] == nullptr) {
    KvrError(KVR_HERE, "calibration data for configuration index %d is missing", index);
    return kMissingCalibration;
  }
  if (index == currentConfiguration_) return kNoError;
  const int previous = currentConfiguration_;
  currentConfiguration_ = index;
  const ErrorCode result = kvrBoundary(KVR_HERE, [&] {
    handleOpticalConfigChanged(index);
    return kNoError;
  });
  // A core that could not follow keeps the previous selection, so that
  // selecting the index again retries instead of reporting success.
  if (result != kNoError) currentConfiguration_ = previous;
  return result;
}

// ---- Parameters and modes ----------------------------------------------------

ErrorCode Kalvora::getParam(unsigned int id, double& value) {
  return kvrBoundary<StdExceptionReport::kAsUnknown>(KVR_HERE, [&] {
    updateParam(id);
    value = needParameter(id)->value;
    return kNoError;
  });
}

ErrorCode Kalvora::getParamRange(unsigned int id, double& minimum, double& maximum) {
  return kvrBoundary<StdExceptionReport::kAsUnknown>(KVR_HERE, [&] {
    const PipelineParameter* parameter = needParameter(id);
    minimum = parameter->minimum;
    maximum = parameter->maximum;
    return kNoError;
  });
}

ErrorCode Kalvora::setParam(unsigned int id, double value) {
  return kvrBoundary(KVR_HERE, [&] {
    PipelineParameter& parameter = *needParameter(id);
    if (parameter.readOnly && isComputedParam(id)) {
      KvrError(KVR_HERE, "parameter is read only");
      return kReadOnly;
    }
    ErrorCode result = kNoError;
    if (parameter.readOnly) {
      std::cout << "ID " << id << " value " << value << '\n' << std::flush;
      KvrError(KVR_HERE, "parameter is read only");
      result = kReadOnly;
    }
    if (!(parameter.minimum <= value && value <= parameter.maximum)) {
      KvrError(KVR_HERE, "parameter value %f for id %d out of range [%f, %f]", value,
               static_cast<int>(id), parameter.minimum, parameter.maximum);
      return kIllegalValue;
    }
    if (value == parameter.value) return result;
    const double oldValue = parameter.value;
    parameter.value = value;
    handleParamChanged(parameter, oldValue);
    return result;
  });
}

ErrorCode Kalvora::setParamSilent(unsigned int id, double value) {
  return kvrBoundary(KVR_HERE, [&] {
    PipelineParameter& parameter = *needParameter(id);
    if (parameter.readOnly) return kReadOnly;
    // NaN has no place in the range to clamp to.
    if (std::isnan(value)) return kIllegalValue;
    double clamped = value;
    if (clamped < parameter.minimum) clamped = parameter.minimum;
    if (clamped > parameter.maximum) clamped = parameter.maximum;
    const ErrorCode result = clamped != value ? kIllegalValue : kNoError;
    if (clamped != parameter.value) {
      const double oldValue = parameter.value;
      parameter.value = clamped;
      handleParamChanged(parameter, oldValue);
    }
    return result;
  });
}

ErrorCode Kalvora::resetParam(unsigned int id) {
  return kvrBoundary(KVR_HERE, [&] {
    PipelineParameter& parameter = *needParameter(id);
    ErrorCode result = kNoError;
    if (parameter.readOnly) {
      KvrError(KVR_HERE, "parameter is read only");
      if (isComputedParam(id)) return kReadOnly;
      result = kReadOnly;
    }
    if (parameter.defaultValue != parameter.value) {
      const double oldValue = parameter.value;
      parameter.value = parameter.defaultValue;
      handleParamChanged(parameter, oldValue);
    }
    return result;
  });
}

ErrorCode Kalvora::getMode(unsigned int id, bool& value) const {
  for (int i = 0; i < modeCount_; ++i)
    if (modes_[i] != nullptr && modes_[i]->id == id) value = modes_[i]->value;
  return kNoError;
}

ErrorCode Kalvora::setMode(unsigned int id, bool value) {
  return kvrBoundary(KVR_HERE, [&] {
    PipelineMode& mode = *needMode(id);
    if (mode.value != value) {
      mode.value = value;
      handleModeChanged(mode);
    }
    return kNoError;
  });
}

// ---- Tables and matrices -----------------------------------------------------

// A hook that accepts a node but has no function for it would leave nothing
// to sample: treat it as an unknown node rather than dereference null.
LutFunc const* Kalvora::needLut(unsigned int id) const {
  LutFunc const* func = do_getLut(id);
  if (func == nullptr) throwUnknownId(KVR_HERE, "Unknown node ", id);
  return func;
}

LutFuncRgb const* Kalvora::needRgbLut(unsigned int id) const {
  LutFuncRgb const* func = do_getRgbLut(id);
  if (func == nullptr) throwUnknownId(KVR_HERE, "Unknown node ", id);
  return func;
}

LutFunc3D const* Kalvora::needExportLut(unsigned int id) {
  LutFunc3D const* func = do_exportLut(id);
  if (func == nullptr) throwUnknownId(KVR_HERE, "Unknown node ", id);
  return func;
}

void Kalvora::makeIntLut(unsigned int, LutFunc const& func, int size, unsigned short* out,
                         int scale) const {
  func.getTable(size, out, scale);
}

ErrorCode Kalvora::getLut(unsigned int id, int size, double* out) const {
  return kvrBoundary(KVR_HERE, [&] {
    checkLutSize(size);
    needNode(id, kNodeLut);
    needLut(id)->getTable(size, out);
    return kNoError;
  });
}

ErrorCode Kalvora::getLut(unsigned int id, int size, unsigned short* out, int scale) const {
  return kvrBoundary(KVR_HERE, [&] {
    checkLutSize(size);
    checkScale(scale);
    needNode(id, kNodeLut);
    makeIntLut(id, *needLut(id), size, out, scale);
    return kNoError;
  });
}

ErrorCode Kalvora::getRgbLut(unsigned int id, int size, double* out, LutOrder order) const {
  return kvrBoundary(KVR_HERE, [&] {
    checkLutSize(size);
    needNode(id, kNodeRgbLut);
    needRgbLut(id)->getTable(size, out, order);
    return kNoError;
  });
}

ErrorCode Kalvora::getRgbLut(unsigned int id, int size, unsigned short* out, LutOrder order,
                             int scale) const {
  return kvrBoundary(KVR_HERE, [&] {
    checkLutSize(size);
    checkScale(scale);
    needNode(id, kNodeRgbLut);
    needRgbLut(id)->getTable(size, out, order, scale);
    return kNoError;
  });
}

ErrorCode Kalvora::export3dLut(unsigned int id, int size, double* out, LutOrder order) {
  return kvrBoundary(KVR_HERE, [&] {
    check3dTableRequest(size, out);
    sample3dTable(*needExportLut(id), size, out, order);
    return kNoError;
  });
}

ErrorCode Kalvora::export3dLut(unsigned int id, int size, unsigned short* out, LutOrder order,
                               int scale) {
  return kvrBoundary(KVR_HERE, [&] {
    check3dTableRequest(size, out, scale);
    sample3dTable(*needExportLut(id), size, out, order, scale, false);
    return kNoError;
  });
}

ErrorCode Kalvora::getMatrix(unsigned int id, double (&matrix)[9]) {
  return kvrBoundary(KVR_HERE, [&] {
    do_getMatrix(id, matrix);
    return kNoError;
  });
}

ErrorCode Kalvora::getMatrix(unsigned int id, RgbIntMatrix& matrix, int scale) {
  double real[9];
  const ErrorCode result = getMatrix(id, real);
  if (result != kNoError) return result;
  for (int i = 0; i < 9; ++i) matrix[i] = toFixedPoint(real[i] * scale);
  return kNoError;
}

ErrorCode Kalvora::getRgbGainOffset(unsigned int id, RgbGainOffset& gainOffset) {
  return kvrBoundary(KVR_HERE, [&] {
    do_getRgbGainOffset(id, gainOffset);
    return kNoError;
  });
}

// ---- Diagnostics -------------------------------------------------------------

ErrorCode Kalvora::showLut(unsigned int id, int size, int scale) {
  // Only a valid size is allocated; getLut rejects the others before it
  // touches the buffer.
  std::vector<unsigned short> table(isLutSize(size) ? size : 0);
  const ErrorCode result = getLut(id, size, table.data(), scale);
  if (result != kNoError) {
    KvrError(KVR_HERE, "getLut returned error %d", static_cast<int>(result));
    return result;
  }
  for (int i = 0; i < size; ++i) std::printf("%5d%6d\n", i, static_cast<int>(table[i]));
  std::fflush(stdout);
  return kNoError;
}

ErrorCode Kalvora::showMatrix(unsigned int id) {
  double matrix[9];
  const ErrorCode result = getMatrix(id, matrix);
  if (result != kNoError) {
    KvrError(KVR_HERE, "getMatrix returned error %d", static_cast<int>(result));
    return result;
  }
  for (int i = 0; i < 9; ++i) {
    std::printf("%10.6g", matrix[i]);
    if (i % 3 == 2) std::printf("\n");
  }
  std::fflush(stdout);
  return kNoError;
}

// ---- White balance and colour matrix ------------------------------------

namespace {

// A record without rows counts as missing calibration.
template <class Record>
bool hasRows(const Record* record) {
  return record != nullptr && record->rowCount > 0;
}

}  // namespace

void Kalvora::getWhiteBlanceGain(double cct, double tint, double& gainRed, double& gainBlue) const {
  if (!isConfigurationIndex(currentConfiguration_))
    throw KvrSignal(kMissingCalibration, KVR_HERE, "No valid optical configuration");
  CameraUnitCalibrationRecord const* unit = getUnitCalibration(currentConfiguration_);
  CameraSystemCalibrationRecord const* system = getSystemCalibration(currentConfiguration_);
  double slope = 1.0;
  if (hasRows(unit))
    interpolateBalance(cct, gainRed, gainBlue, slope, unit->rows(), unit->rowCount);
  else if (hasRows(system))
    interpolateBalance(cct, gainRed, gainBlue, slope, system->rows(), system->rowCount);
  else
    throw KvrSignal(kMissingCalibration, KVR_HERE, "Calibration data missing");
  if (tint == 0.0) return;
  applyTint(tint, slope, gainRed, gainBlue);
}

void Kalvora::getWhiteBalanceCct(double gainRed, double gainBlue, double& cct, double& tint) const {
  if (!isConfigurationIndex(currentConfiguration_))
    throw KvrSignal(kMissingCalibration, KVR_HERE, "No valid optical configuration");
  CameraUnitCalibrationRecord const* unit = getUnitCalibration(currentConfiguration_);
  CameraSystemCalibrationRecord const* system = getSystemCalibration(currentConfiguration_);
  if (hasRows(unit))
    interpolateCct(gainRed, gainBlue, cct, tint, unit->rows(), unit->rowCount);
  else if (hasRows(system))
    interpolateCct(gainRed, gainBlue, cct, tint, system->rows(), system->rowCount);
  else
    throw KvrSignal(kMissingCalibration, KVR_HERE, "Calibration data missing");
}

void Kalvora::getColorMatrix(double cct, double (&matrix)[9]) const {
  if (!isConfigurationIndex(currentConfiguration_))
    throw KvrSignal(kMissingCalibration, KVR_HERE, "No valid optical configuration");
  CameraSystemCalibrationRecord const* system = getSystemCalibration(currentConfiguration_);
  if (!hasRows(system)) throw KvrSignal(kMissingCalibration, KVR_HERE, "Calibration data missing");
  interpolateMatrix(cct, matrix, system->rows(), system->rowCount);
}

void Kalvora::applyTint(double tint, double slope, double& gainRed, double& gainBlue) {
  tintGains(tint, slope, gainRed, gainBlue);
}

}  // namespace Kalvora
