// The image core of the camera's own processing pipeline: log encoding at an
// exposure index, white balance and camera colour matrix from calibration,
// and one or three output branches that turn the log signal into a
// monitoring or recording signal.
//
// Ids carry the branch in their top 8 bits: node 0x1000008 is the tone map of
// branch 1, parameter 0x1000000 + 3001 the red log offset of branch 1. An id
// that names a branch the core does not have is unknown. Every node,
// parameter and mode id with its readable name, unit, default and range,
// and how the white-balance parameters 2001 to 2005 behave, is in
// kvrPipelineVocabulary.h (gCameraParams, gCameraNodes, gCameraModes).
//
// Use: construct with the number of optical configurations, check good();
// register calibration records (referenced, not copied: keep them alive
// while the core lives) and select one with useConfiguration; then setParam
// and setMode by id and re-read the nodes whose getNodeRevision changed.
#pragma once

#include <memory>
#include <vector>

#include "kvrElvex.h"
#include "kvrError.h"
#include "kvrKalvora.h"
#include "kvrKestaProcessBranch.h"
#include "kvrLutFunc.h"
#include "kvrPipeline.h"
#include "kvrQMapper.h"

namespace Kalvora {

class KestaImageCore : public Kalvora {
public:
  // Never fails by exception: a failure is reported and leaves the core not
  // good(). The multi-branch pipeline has three output branches, the others one.
  KestaImageCore(int configurationCount, PipelineType type);
  ~KestaImageCore() override;

  // Installs a user tone table in node 8 of the id's branch; the table is
  // borrowed and must stay alive and unchanged while installed. No revision
  // changes: the host re-reads the node itself. Other nodes fail with
  // kUnknownId "Unknown lut node".
  ErrorCode setUserLut(unsigned int nodeId, unsigned short const* table, int size, int scale);
  // Returns node 8 of the id's branch to the built-in tone map.
  ErrorCode resetUserLut(unsigned int nodeId);
  ErrorCode hasUserLut(unsigned int nodeId, bool& has);

  // Re-tunes the log encoding and every branch; false when the encoding
  // rejected the index or it did not change. Leaves parameters and
  // revisions alone.
  bool updateExposureIndex(double ei);
  // Stores the gains for a colour temperature and tint straight into the
  // gain parameters 2004 and 2005, without range check or notification
  // (2001 to 2003 keep their values). kMissingCalibration without a
  // selected configuration. Prefer setParam(2001 / 2003), which also marks
  // nodes 2 and 3 changed.
  ErrorCode updateColorTempAndTint(double cct, double tint);

  int getBranchCount() const { return branchCount_; }

protected:
  void do_getMatrix(unsigned int id, double (&matrix)[9]) override;
  LutFunc const* do_getLut(unsigned int id) const override;
  LutFuncRgb const* do_getRgbLut(unsigned int id) const override;
  LutFunc3D const* do_exportLut(unsigned int id) override;
  void do_getRgbGainOffset(unsigned int id, RgbGainOffset& gainOffset) override;
  void updateParam(unsigned int id) override;
  void handleParamChanged(PipelineParameter& parameter, double oldValue) override;
  void handleModeChanged(PipelineMode& mode) override;
  void handleOpticalConfigChanged(int index) override;
  // branch receives the branch word (id AND 0xFF000000, not shifted), id
  // keeps the id within the branch.
  void splitId(unsigned int& id, unsigned int& branch) const override;
  void createPipeline() override;
  void createExports() override;
  void createParameters() override;
  void createModes() override;
  void updateRgbGain(double gainRed, double gainBlue) override;

private:
  // The branch a branch word names, or null when the core has no such branch.
  KestaProcessBranch* findBranch(unsigned int branchWord) const;
  // The branch of a tone-map node id; throws kUnknownId "Unknown lut node".
  KestaProcessBranch& needToneMapBranch(unsigned int nodeId) const;
  double paramValue(unsigned int id) const;
  void setParamValue(unsigned int id, double value);
  // Derives the rest of the stale view before one of its values changes.
  void completeStaleView(PipelineParameter& changed, int staleState);

  int branchCount_ = 0;
  std::vector<std::unique_ptr<KestaProcessBranch>> branches_;
  std::unique_ptr<Elvex> elvex_;
  std::unique_ptr<QMapper> qMapper_;
  std::unique_ptr<InverseLutFunc> inverseQMapper_;
  std::unique_ptr<LutComposite> logComposite_;
  LutFunc const* logLut_ = nullptr;  // node 5: logComposite_ or elvex_
};

}  // namespace Kalvora
