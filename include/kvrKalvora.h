// Kalvora, the abstract base of every image core: owns the pipeline
// description a host reads (nodes, exports, parameters, modes), keeps the
// calibration records of each optical configuration and the log-encoding
// parameters, and implements the public error-code operations: parameter and
// mode access with range and read-only checks, node revision counting, and
// sampling of a node's function into tables and matrices. What a node computes
// comes from the concrete core through the virtual hooks.
#pragma once

#include <cstdint>
#include <vector>

#include "kvrElvex.h"
#include "kvrError.h"
#include "kvrLutFunc.h"
#include "kvrMath.h"
#include "kvrPipeline.h"

namespace Kalvora {

// Calibration records; the base only keeps their addresses.
struct CameraSystemCalibrationRecord;
struct CameraUnitCalibrationRecord;

// How the colour temperature/tint and the white-balance gains relate.
enum WhiteBalanceState : int32_t {
  kWhiteBalanceCctStale = 1,    // temperature and tint must be derived from the gains
  kWhiteBalanceGainsStale = 2,  // gains must be derived from temperature and tint
  kWhiteBalanceConsistent = 3
};

class Kalvora {
public:
  Kalvora(int configurationCount, PipelineType type, Elvex::Param const& logParam);
  virtual ~Kalvora();
  Kalvora(const Kalvora&) = delete;
  Kalvora& operator=(const Kalvora&) = delete;

  // ---- State and pipeline description ----------------------------------

  bool good() const { return good_; }

  // True when type equals wanted, wanted is 0, or type belongs to the family wanted.
  static bool isNodeType(NodeType type, NodeType wanted);

  PipelineNode* const* getPipeline() const { return pipeline_; }
  int getNumNodes() const { return nodeCount_; }
  PipelineNode* const* getExports() const { return exports_; }
  int getNumExports() const { return exportCount_; }
  PipelineType getPipelineType() const { return pipelineType_; }
  Elvex::Param& getElvexParam() { return elvexParam_; }
  const Elvex::Param& getElvexParam() const { return elvexParam_; }

  // Brings every derived parameter up to date first, in array order. A
  // failing update is reported and leaves that parameter's stored value.
  PipelineParameter* const* getParameters();
  int getNumParameters() const { return parameterCount_; }
  int getNumParametersToSave(bool all) const;

  // Appends the colour nodes from sinkId upstream to sourceId (both included
  // when they carry colour), sink first. Throws kUnknownId when the path
  // leaves the pipeline before reaching sourceId.
  void getColorTypeNodes(std::vector<PipelineNode*>& out, unsigned int sourceId,
                         unsigned int sinkId);

  // First pipeline node with the id and, for a non-zero type, of that type or
  // family; exports are not searched. Throws kUnknownId "Unknown node <hex>".
  PipelineNode* needNode(unsigned int id, NodeType type = NodeType(0)) const;
  // Throws kUnknownId "Unknown parameter <hex>".
  PipelineParameter* needParameter(unsigned int id) const;
  // Throws kUnknownId "Unknown mode <hex>".
  PipelineMode* needMode(unsigned int id) const;
  bool hasParameter(unsigned int id) const;

  // Revision of the first pipeline node with the id, 0xFFFFFFFF for none.
  unsigned int getNodeRevision(unsigned int id) const;

  // ---- Calibration and configuration ------------------------------------

  // The records are referenced, not copied; the host keeps them alive.
  ErrorCode setSystemCalibration(int index, CameraSystemCalibrationRecord const& record);
  ErrorCode setUnitCalibration(int index, CameraUnitCalibrationRecord const& record);
  // Selects a configuration that has a system calibration and lets the core
  // follow; a failure of the core's reaction is reported and returned, and
  // the previous configuration stays selected.
  ErrorCode useConfiguration(int index);

  // ---- Parameters and modes ---------------------------------------------

  ErrorCode getParam(unsigned int id, double& value);
  ErrorCode getParamRange(unsigned int id, double& minimum, double& maximum);
  // Rejects values outside the range (NaN included) with kIllegalValue. A
  // read-only parameter is reported and yields kReadOnly, but the write
  // still happens; a parameter the core computes itself (isComputedParam)
  // is reported once and refused with kReadOnly, storing nothing.
  virtual ErrorCode setParam(unsigned int id, double value);
  // Clamps instead of rejecting and reports nothing; read-only parameters
  // and NaN are refused.
  ErrorCode setParamSilent(unsigned int id, double value);
  // Back to the default; read-only parameters as setParam.
  ErrorCode resetParam(unsigned int id);
  // Copies every mode with the id; an unknown id leaves value untouched.
  ErrorCode getMode(unsigned int id, bool& value) const;
  ErrorCode setMode(unsigned int id, bool value);

  // ---- Tables and matrices ------------------------------------------------
  // Size is checked first, then scale (the code 1.0 maps to), then the node;
  // the buffer is untouched when a check fails. 1-D and RGB tables take 256
  // to 65536 entries (else kIllegalValue "illegal size for LUT"; 256 is the
  // smallest) and a scale below 65536 (else kLimitExceeded). RGB tables hold
  // three curves of size entries in the LutOrder given. 3-D exports take
  // 3..65 mesh points, a scale of 1..65535 and a buffer of 3 n^3 values, with
  // the limits and layout of Vorn2ImageCore::get3dLut.

  ErrorCode getLut(unsigned int id, int size, double* out) const;
  ErrorCode getLut(unsigned int id, int size, unsigned short* out, int scale) const;
  ErrorCode getRgbLut(unsigned int id, int size, double* out, LutOrder order) const;
  ErrorCode getRgbLut(unsigned int id, int size, unsigned short* out, LutOrder order,
                      int scale) const;
  ErrorCode export3dLut(unsigned int id, int size, double* out, LutOrder order);
  ErrorCode export3dLut(unsigned int id, int size, unsigned short* out, LutOrder order, int scale);
  ErrorCode getMatrix(unsigned int id, double (&matrix)[9]);
  // Fixed point: each entry times scale, rounded half away from zero.
  ErrorCode getMatrix(unsigned int id, RgbIntMatrix& matrix, int scale);
  ErrorCode getRgbGainOffset(unsigned int id, RgbGainOffset& gainOffset);

  // ---- Diagnostics on the standard output ---------------------------------

  ErrorCode showLut(unsigned int id, int size, int scale);
  ErrorCode showMatrix(unsigned int id);
  void showParameter() {}
  void showMode() {}
  void showPipeline() {}

  // ---- White balance and colour matrix ------------------------------------
  // Conversions between colour temperature/tint and white-balance gains, and
  // the camera colour matrix, interpolated from the calibration of the
  // current configuration. Unlike the operations above they return no
  // ErrorCode: they throw KvrSignal, so a host calls them inside try/catch
  // (or reads parameters 2001 to 2005 with getParam, which returns codes). Gains and temperatures
  // come from the unit calibration when it has rows, else from the system calibration; the matrix
  // always comes from the system calibration. All three throw kMissingCalibration without a
  // selected configuration ("No valid optical configuration") or without a calibration that has
  // rows ("Calibration data missing").

  void getWhiteBlanceGain(double cct, double tint, double& gainRed, double& gainBlue) const;
  // Gains outside the calibrated range leave cct and tint unchanged.
  void getWhiteBalanceCct(double gainRed, double gainBlue, double& cct, double& tint) const;
  void getColorMatrix(double cct, double (&matrix)[9]) const;
  // Moves the white point of the gains by tint units along (1, slope).
  static void applyTint(double tint, double slope, double& gainRed, double& gainBlue);

protected:
  // ---- Hooks of the concrete core -----------------------------------------
  // The do_ hooks and updateParam may throw KvrSignal.

  virtual void do_getMatrix(unsigned int id, double (&matrix)[9]) = 0;
  virtual LutFunc const* do_getLut(unsigned int id) const = 0;
  // Samples a 1-D function into integer codes.
  virtual void makeIntLut(unsigned int id, LutFunc const& func, int size, unsigned short* out,
                          int scale) const;
  virtual LutFuncRgb const* do_getRgbLut(unsigned int id) const = 0;
  // Returns a function for every id it accepts, throws kUnknownId otherwise.
  virtual LutFunc3D const* do_exportLut(unsigned int id) = 0;
  // Fills only the members the node has.
  virtual void do_getRgbGainOffset(unsigned int id, RgbGainOffset& gainOffset) = 0;
  // Brings a derived parameter value up to date before it is read.
  virtual void updateParam(unsigned int id) = 0;
  virtual void handleParamChanged(PipelineParameter& parameter, double oldValue) = 0;
  virtual void handleModeChanged(PipelineMode& mode) = 0;
  virtual void handleOpticalConfigChanged(int index) = 0;
  // Separates a full id into branch and id within the branch.
  virtual void splitId(unsigned int& id, unsigned int& branch) const = 0;
  virtual void createPipeline() = 0;
  virtual void createExports() = 0;
  virtual void createParameters() = 0;
  virtual void createModes() = 0;
  // Derives colour temperature and tint from the gains.
  virtual void updateRgbGain(double gainRed, double gainBlue) = 0;
  // A read-only parameter whose value the core computes and keeps in step
  // with its nodes: setParam and resetParam refuse to write it.
  virtual bool isComputedParam(unsigned int) const { return false; }

  // ---- For the concrete core ----------------------------------------------

  // good becomes good AND ok; returns the new state.
  bool initState(bool ok);

  // Installers: take ownership of the array (allocated with new[]) and of
  // every record in it (allocated with new). Anything installed before is
  // released.
  void setPipeline(PipelineNode** nodes, int count);
  void setExports(PipelineNode** nodes, int count);
  void setParameter(PipelineParameter** parameters, int count);
  void setModes(PipelineMode** modes, int count);

  // Counts a change on every pipeline node with the id.
  void changedNode(unsigned int id);
  // As above while the node has an effect; a node switched to bypassed counts
  // once, however often that is repeated.
  void changedNode(unsigned int id, bool bypassed);

  int getConfigurationCount() const { return configurationCount_; }
  // -1 until a configuration is selected.
  int getCurrentConfiguration() const { return currentConfiguration_; }
  // Null when none is registered or the index is out of range.
  CameraSystemCalibrationRecord const* getSystemCalibration(int index) const;
  CameraUnitCalibrationRecord const* getUnitCalibration(int index) const;

  int getWhiteBalanceState() const { return whiteBalanceState_; }
  void setWhiteBalanceState(int state) { whiteBalanceState_ = state; }

private:
  bool isConfigurationIndex(int index) const;
  LutFunc const* needLut(unsigned int id) const;
  LutFuncRgb const* needRgbLut(unsigned int id) const;
  LutFunc3D const* needExportLut(unsigned int id);

  int parameterCount_ = 0;
  PipelineParameter** parameters_ = nullptr;
  bool good_ = false;
  int nodeCount_ = 0;
  PipelineNode** pipeline_ = nullptr;
  int exportCount_ = 0;
  PipelineNode** exports_ = nullptr;
  int modeCount_ = 0;
  PipelineMode** modes_ = nullptr;
  int configurationCount_;
  int currentConfiguration_ = -1;
  std::vector<CameraSystemCalibrationRecord const*> systemCalibration_;
  std::vector<CameraUnitCalibrationRecord const*> unitCalibration_;
  int whiteBalanceState_ = kWhiteBalanceConsistent;
  Elvex::Param elvexParam_;
  PipelineType pipelineType_;
};

}  // namespace Kalvora
