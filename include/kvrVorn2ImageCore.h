// Vorn2ImageCore, the abstract image core for look and 3-D LUT work: samples
// the 3-D colour function of a node into a caller buffer, installs a user
// 3-D LUT and keeps the normalisation in step, decimates a 33-point LUT to 17
// points, byte-swaps LUT buffers, re-targets a LUT to Rec.1886, extracts the
// neutral-axis curve of a LUT and inverts a video level back to a log code.
//
// 3-D LUT sample layout of every buffer that crosses the interface: n grid
// points per axis, grid coordinate i standing for i / (n - 1); point
// (r, g, b) has index p = (r * n + g) * n + b, red slowest and blue fastest.
// Interleaved buffers hold the outputs of p at 3p, 3p + 1, 3p + 2; planar
// buffers (any non-zero LutOrder) at p, n^3 + p, 2n^3 + p. A buffer holds
// 3 n^3 values. 16-bit codes store clamp(x, 0, 1) * maxValue + 0.5
// truncated and read back as code / maxValue, in the host's byte order.
//
// Pipeline nodes are sampled with get3dLut, exports with export3dLut (see
// kvrPipelineVocabulary.h for which node is the look and what each export
// adds). Operations that return an ErrorCode never throw; the others in
// this class throw KvrSignal, as marked.
#pragma once

#include <memory>

#include "kvrColorSpaces.h"
#include "kvrElvexView.h"
#include "kvrKalvora.h"
#include "kvrKestaLegacyView.h"
#include "kvrMetaDataAtomKeys.h"
#include "kvrVorn2CdlParamHandler.h"
#include "kvrVorn2ColorLuts.h"
#include "kvrVorn2LookFile.h"
#include "kvrVorn2LookFileInfoHandler.h"
#include "kvrVorn2LookParamHandler.h"
#include "kvrVorn2LookParamV2Handler.h"
#include "kvrVorn2VideoCdlLutHandler.h"
#include "kvrVorn2VideoLutHandler.h"
#include "kvrVorn2VornRawVideoLutHandler.h"
#include "kvrVornRawMeta.h"

namespace Kalvora {

class Vorn2ImageCore : public Kalvora {
public:
  // Pipeline ids this core serves.
  static constexpr unsigned int kUserLutNode = 10;
  static constexpr unsigned int kNormalizationNode = 11;
  static constexpr unsigned int kWhiteBalanceNode = 2;
  static constexpr unsigned int kNormalizationGainParam = 6001;
  static constexpr unsigned int kNormalizationOffsetParam = 6002;
  static constexpr unsigned int kGainRedParam = 2004;
  static constexpr unsigned int kGainBlueParam = 2005;
  // Largest LUT design data a host may attach to a look.
  static constexpr unsigned int kMaxDesignDataSize = 65472;
  // Mesh sizes of the decimation.
  static constexpr int kLargeMeshPoints = 33;
  static constexpr int kSmallMeshPoints = 17;

  // Never fails: a failure is reported and leaves the core not good.
  Vorn2ImageCore(int configuration, PipelineType type, Elvex::Param const& elvexParam);
  ~Vorn2ImageCore() override;

  // ---- Colour spaces ----------------------------------------------------------

  // The registry entry; null for an id outside 0..7.
  const DisplayColorSpace* getColorSpaceInfo(ColorSpace id) const;
  const DisplayColorSpace* getTargetColorSpace() const { return target_; }
  // Whether the current target is the registry entry id.
  bool isTargetColorSpace(ColorSpace id) const;
  // Makes target the current target unless it names the current one; the
  // look and its look file follow it and node 10 and the normalisation are
  // refreshed. Pass an entry of getColorSpaceInfo. Throws KvrSignal on
  // failure (no ErrorCode): call it inside try/catch.
  void setTargetColorSpace(DisplayColorSpace const* target);
  // Adopts the target of the core's own look file; any other look file
  // throws kIllegalCall.
  void setTargetColorSpace(Vorn2LookFile* lookFile);
  // Whether the target is not an HDR (PQ or HLG) space.
  bool isLookFileForStandardDisplay() const;

  // ---- 3-D LUTs -----------------------------------------------------------------

  // Samples the function of a 3-D LUT node of the pipeline; out holds
  // 3 n^3 values. Checked in this order before anything is written: 3..65
  // mesh points, else kIllegalValue "illegal size for 3DLUT"; for the 16-bit
  // form a full-scale value maxValue below 65536 (else kLimitExceeded, as
  // codes would wrap) and of at least 1 (else kIllegalValue); a non-null
  // buffer (else kIllegalValue); then the node. The 16-bit form with
  // halfGrid evaluates every other grid point and fills the rest with
  // integer midpoints (an even mesh is evaluated in full): about an eighth
  // of the work, at a cost in accuracy near the gamut edges that
  // kvrLutGeneratorImageCore.h states.
  ErrorCode get3dLut(unsigned int nodeId, int meshPoints, double* out, LutOrder order) const;
  ErrorCode get3dLut(unsigned int nodeId, int meshPoints, unsigned short* out, LutOrder order,
                     int maxValue, bool halfGrid) const;

  bool hasUser3dLut() const;
  // Installs a user 3-D LUT on node 10. The samples are referenced, not
  // copied: they must stay valid and unchanged while installed. A mesh
  // outside 2..65 points, a null buffer or a full-scale value that is not
  // positive is refused with kIllegalValue and installs nothing.
  ErrorCode setUser3dLut(unsigned int nodeId, int meshPoints, unsigned short const* data,
                         LutOrder order, int maxValue);
  ErrorCode resetUser3dLut(unsigned int nodeId);
  ErrorCode getUser3dLutParam(int& maxValue, int& meshPoints, LutOrder& order) const;

  // Takes every other point of a 33-point LUT into a 17-point LUT of the
  // same order; out holds 3 * 17^3 values and must not overlap in.
  ErrorCode getSmall3dLut(int meshPoints, unsigned short* in, LutOrder order,
                          unsigned short* out) const;
  // Exchanges the two bytes of each of the 3 n^3 values; in and out may be
  // the same buffer.
  static ErrorCode swap3DLutEndianess(int meshPoints, unsigned short const* in,
                                      unsigned short* out);
  // Converts a LUT for the current target into one for Rec.1886 (a plain
  // copy when the target is Rec.1886); in and out may be the same buffer.
  ErrorCode convert3dLut2Rec709(int meshPoints, unsigned short* in, LutOrder order, int maxValue,
                                unsigned short* out);
  // Samples the luma of the LUT's neutral axis into count codes. Always
  // returns kNoError; without a LUT or outputs nothing is written.
  ErrorCode getGrayScaleTransform(int meshPoints, unsigned short const* lut, LutOrder order,
                                  int lutMaxValue, int count, unsigned short* out,
                                  int outMaxValue) const;
  // Inverts a video level through the normalisation, a table of count
  // increasing codes (entry k standing for k / (count - 1)) and the green
  // CDL. Fails with kIllegalValue for a missing or empty table.
  ErrorCode convertVideo2Elvex(double video, int count, unsigned short const* table, int maxValue,
                               double& elvex);

  // ---- Look state ---------------------------------------------------------------
  // These throw KvrSignal on failure.

  // Recomputes normalisation gain and offset (parameters 6001 and 6002),
  // flags node 11 as identity when they are neutral and refreshes the
  // legacy view.
  void updateNormalization();
  // Rebuilds the grey-scale curve from the look's neutral axis.
  virtual void updateGammaLut();
  const LutFunc* getGrayScaleCurve() const { return grayScaleCurve_; }

  const KestaLegacyView& getLegacyView() const { return *legacyView_; }
  const ElvexView& getLogView() const { return *logView_; }

  // ---- Metadata atoms ---------------------------------------------------------------
  // Keys are those of kvrMetaDataAtomKeys.h; an unknown key (or null) fails
  // with kUnknownAtomKey. Plain LUT keys deliver the look converted to
  // Rec1886 (node 12 or 13), master keys the look in the target (node 10 or
  // 14); a master atom does not exist while the target is Rec1886 (size 0,
  // reading it fails with kIllegalValue).

  // Parses a payload of size bytes (0: size unknown). A rejected payload
  // first resets that key's atom, then is reported.
  ErrorCode setMetaData(char const* key, void const* data, unsigned int size);
  ErrorCode getMetaDataSize(char const* key, unsigned int& size);
  // buffer holds getMetaDataSize bytes.
  ErrorCode getMetaData(char const* key, void* buffer);
  ErrorCode resetMetaData(char const* key);
  // Resets every atom: look parameters, video LUT, video CDL LUT, CDL,
  // look information, look parameters with target, raw video LUT; stops at
  // the first failure.
  ErrorCode resetAllMetaData();
  // The key's handler, owned by the core; throws kUnknownAtomKey.
  Vorn2MetaDataHandler* getMetaDataHandler(char const* key);
  // The target colour space a raw video-LUT atom names (the atom holds at
  // least its 192-byte header).
  ErrorCode readTargetColorSpace(void* atom, ColorSpace& id);
  // The design block of the raw video-LUT atom: getLutDesignDataSize bytes;
  // getLutDesignData returns kMissingCalibration (6) and writes nothing when
  // a user 3-D LUT without design data is installed.
  ErrorCode getLutDesignData(void* buffer);
  ErrorCode getLutDesignDataSize(unsigned int& size);
  ErrorCode setLutDesignData(void const* data, unsigned int size);

  // ---- Looks --------------------------------------------------------------------
  // A look buffer is the look file format of Vorn2LookFile. Loading resets
  // the look first and adopts the look's target colour space on success; a
  // rejected buffer leaves the look reset. The buffer is not referenced
  // after loading.

  ErrorCode loadLook(void const* data, unsigned int size);
  // Bytes saveLook writes: 1408 + 8 * getNumParametersToSave(all), plus
  // 215622 with a user 3-D LUT, plus the design data size.
  ErrorCode getLookDataSize(bool all, unsigned int& size);
  // buffer holds getLookDataSize(all) bytes.
  ErrorCode saveLook(void* buffer, bool all);
  // Look parameters (persistence kPersistAlways) to their defaults, no user
  // 3-D LUT, an empty look file; the target colour space stays.
  ErrorCode resetLook();
  Vorn2LookFile* getLookFile() { return lookFile_.get(); }

  // LUT design data: referenced, not copied (the host keeps the bytes alive
  // while the look is in use); at most 65472 bytes. The key is copied (at
  // most 64 bytes).
  ErrorCode setUserLutDesignData(unsigned char const* data, unsigned int size);
  ErrorCode setUserLutDesignDataKey(unsigned char const* key, unsigned short length);
  unsigned char const* getUserLutDesignData() const;
  unsigned int getUserLutDesignDataSize() const;
  // The key as a save writes it: the video parameter key without a user
  // 3-D LUT, no key with one when the key was that one.
  unsigned char const* getUserLutDesignDataKey();
  unsigned short getUserLutDesignDataKeySize();

  // The 19 video look parameters of VornRawMeta::kVideoParameterIds as a
  // record (size 84, version 1, revision 0) and back. Setting rejects a
  // version of 2 or more (kUnknownMetaDataVersion) and a size other than 84
  // (kIllegalValue), then sets the parameters in record order and stops at
  // the first that fails, returning its code.
  ErrorCode getVideoParameters(VornRawMeta::VideoParameters* record);
  ErrorCode setVideoParameters(VornRawMeta::VideoParameters const* record);

  // ---- White balance ------------------------------------------------------------

  // For a core with the camera's white-balance parameters 2001 to 2005:
  // stores the gains of the colour temperature and tint in 2004 and 2005 and
  // the temperature in 2001 and 2002, without change handling. Throws
  // KvrSignal: kMissingCalibration without a selected configuration (always
  // so on the LUT generator, which has no calibration and no such
  // parameters).
  void updateColorTempAndTint(double cct, double tint);

protected:
  // The raw video-LUT atom samples node 10 at the mesh of the installed user
  // 3-D LUT, which may be 2 points (below get3dLut's smallest mesh).
  friend class Vorn2VornRawVideoLutHandler;

  LutFunc3D const* do_exportLut(unsigned int id) override;
  // Node 11: the normalisation gain and offset on all channels; node 2:
  // the white-balance gains; any other node is left unchanged.
  void do_getRgbGainOffset(unsigned int id, RgbGainOffset& gainOffset) override;
  void handleParamChanged(PipelineParameter&, double) override {}
  // Derives the white-balance gains of the new configuration from the
  // colour temperature and tint (parameters 2002 and 2003).
  void handleOpticalConfigChanged(int index) override;

  // Hands a new target to everything that renders for it.
  virtual void do_handleTargetColorSpaceChanged();
  // The function of a 3-D LUT node; throws kUnknownId "Unknown 3dlut node".
  virtual LutFunc3D const* do_get3dLut(unsigned int nodeId) const;
  virtual void do_setMetaData(char const* key, void const* data, unsigned int size);
  virtual unsigned int do_getMetaDataSize(char const* key);
  virtual void do_getMetaData(char const* key, void* data);
  virtual void do_loadLook(void const* data, unsigned int size);
  virtual unsigned int do_getLookDataSize(bool all);
  virtual void do_saveLook(void* data, bool all);
  virtual void updateExposureIndex(double ei);
  virtual void setDefaultBranchParam() = 0;

  Vorn2ColorLuts& getColorLuts() const { return *colorLuts_; }

private:
  void checkUserLutNode(unsigned int nodeId) const;
  struct AtomKey;
  AtomKey findAtomKey(char const* key) const;

  std::unique_ptr<ColorSpaces> registry_;
  std::unique_ptr<KestaLegacyView> legacyView_;
  std::unique_ptr<ElvexView> logView_;
  const DisplayColorSpace* target_ = nullptr;  // a registry entry; not owned
  std::unique_ptr<Vorn2ColorLuts> colorLuts_;
  const LutFunc* grayScaleCurve_ = nullptr;  // owned by the colour LUT set
  std::unique_ptr<Vorn2LookFile> lookFile_;
  std::unique_ptr<Vorn2LookParamHandler> lookParamHandler_;
  std::unique_ptr<Vorn2VideoLutHandler> videoLutHandler_;
  std::unique_ptr<Vorn2VideoCdlLutHandler> videoCdlLutHandler_;
  std::unique_ptr<Vorn2CdlParamHandler> cdlParamHandler_;
  std::unique_ptr<Vorn2LookFileInfoHandler> lookFileInfoHandler_;
  std::unique_ptr<Vorn2LookParamV2Handler> lookParamV2Handler_;
  std::unique_ptr<Vorn2VornRawVideoLutHandler> vornRawVideoLutHandler_;
};

}  // namespace Kalvora
