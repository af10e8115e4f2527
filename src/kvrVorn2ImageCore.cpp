#include "kvrVorn2ImageCore.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>

#include "kvrError.h"
#include "kvrGridSampler.h"

#define KVR_SOURCE "src/kvrVorn2ImageCore"

namespace Kalvora {

namespace {

constexpr unsigned int kCctParam = 2001;
constexpr unsigned int kCctDerivedParam = 2002;
constexpr unsigned int kTintParam = 2003;
constexpr unsigned int kColorMatrixNode = 3;

long cube(int n) { return long(n) * n * n; }

// Full-scale values a 16-bit code can represent without wrapping.
void checkMaxValue(const char* where, int maxValue) {
  if (!(1 <= maxValue && maxValue <= 65535)) {
    char message[64];
    std::snprintf(message, sizeof message, "illegal full-scale value: %d", maxValue);
    throw KvrSignal(kIllegalValue, where, message);
  }
}

}  // namespace

// ---- Construction ---------------------------------------------------------------

Vorn2ImageCore::Vorn2ImageCore(int configuration, PipelineType type, Elvex::Param const& elvexParam)
    : Kalvora(configuration, type, elvexParam) {
  try {
    registry_.reset(new ColorSpaces());
    legacyView_.reset(new KestaLegacyView());
    logView_.reset(new ElvexView());
    target_ = registry_->forId(Rec1886);
    colorLuts_.reset(new Vorn2ColorLuts(getElvexParam(), this));
    colorLuts_->setTargetColorSpace(target_);
    grayScaleCurve_ = colorLuts_->getGrayScaleCurve();
    lookFile_.reset(new Vorn2LookFile(this));
    lookParamHandler_.reset(new Vorn2LookParamHandler(this));
    videoLutHandler_.reset(new Vorn2VideoLutHandler(this));
    videoCdlLutHandler_.reset(new Vorn2VideoCdlLutHandler(this));
    cdlParamHandler_.reset(new Vorn2CdlParamHandler(this));
    lookFileInfoHandler_.reset(new Vorn2LookFileInfoHandler(this));
    lookParamV2Handler_.reset(new Vorn2LookParamV2Handler(this));
    vornRawVideoLutHandler_.reset(new Vorn2VornRawVideoLutHandler(this));
    videoLutHandler_->setTargetColorSpace(target_);
    videoCdlLutHandler_->setTargetColorSpace(target_);
    lookParamV2Handler_->setTargetColorSpace(target_);
    vornRawVideoLutHandler_->setTargetColorSpace(target_);
  } catch (...) {
    KvrError(KVR_HERE, "initialization of Vorn2ImageCore failed");
    initState(false);
  }
}

Vorn2ImageCore::~Vorn2ImageCore() {
  lookParamHandler_.reset();
  videoLutHandler_.reset();
  videoCdlLutHandler_.reset();
  cdlParamHandler_.reset();
  lookFileInfoHandler_.reset();
  lookParamV2Handler_.reset();
  vornRawVideoLutHandler_.reset();
  lookFile_.reset();
  colorLuts_.reset();
  registry_.reset();
  legacyView_.reset();
  logView_.reset();
}

// ---- Colour spaces ------------------------------------------------------------------

const DisplayColorSpace* Vorn2ImageCore::getColorSpaceInfo(ColorSpace id) const {
  return registry_->forId(id);
}

bool Vorn2ImageCore::isTargetColorSpace(ColorSpace id) const {
  const DisplayColorSpace* entry = getColorSpaceInfo(id);
  return entry != nullptr && target_ != nullptr && target_->isColorSpace(entry->getName(), 0);
}

void Vorn2ImageCore::setTargetColorSpace(DisplayColorSpace const* target) {
  if (target == nullptr || target_->isColorSpace(target->getName(), 0)) return;
  target_ = target;
  do_handleTargetColorSpaceChanged();
  changedNode(kUserLutNode);
  updateNormalization();
  updateGammaLut();
}

void Vorn2ImageCore::setTargetColorSpace(Vorn2LookFile* lookFile) {
  if (lookFile == nullptr || lookFile != lookFile_.get())
    throw KvrSignal(kIllegalCall, KVR_HERE,
                    "Illegal call! Only possible with Look File of this core");
  setTargetColorSpace(lookFile->getTargetColorSpace());
}

bool Vorn2ImageCore::isLookFileForStandardDisplay() const { return !target_->isHDR(); }

// The look file follows too, so that a saved look names the target the
// core renders for, however the target was changed.
void Vorn2ImageCore::do_handleTargetColorSpaceChanged() {
  colorLuts_->setTargetColorSpace(target_);
  if (lookFile_) lookFile_->followTargetColorSpace(target_);
  if (!vornRawVideoLutHandler_) return;
  videoLutHandler_->setTargetColorSpace(target_);
  videoCdlLutHandler_->setTargetColorSpace(target_);
  lookParamV2Handler_->setTargetColorSpace(target_);
  vornRawVideoLutHandler_->setTargetColorSpace(target_);
  lookFileInfoHandler_->setVersion(isTargetColorSpace(Rec1886) ? 1 : 2);
}

// ---- 3-D LUTs ---------------------------------------------------------------------------

LutFunc3D const* Vorn2ImageCore::do_get3dLut(unsigned int nodeId) const {
  return colorLuts_->getVideoRenderLut(nodeId);
}

LutFunc3D const* Vorn2ImageCore::do_exportLut(unsigned int id) {
  return colorLuts_->getVideoRenderLut(id);
}

ErrorCode Vorn2ImageCore::get3dLut(unsigned int nodeId, int meshPoints, double* out,
                                   LutOrder order) const {
  return kvrBoundary(KVR_HERE, [&] {
    check3dTableRequest(meshPoints, out);
    needNode(nodeId, kNode3dLut);
    sample3dTable(*do_get3dLut(nodeId), meshPoints, out, order);
    return kNoError;
  });
}

ErrorCode Vorn2ImageCore::get3dLut(unsigned int nodeId, int meshPoints, unsigned short* out,
                                   LutOrder order, int maxValue, bool halfGrid) const {
  return kvrBoundary(KVR_HERE, [&] {
    check3dTableRequest(meshPoints, out, maxValue);
    needNode(nodeId, kNode3dLut);
    sample3dTable(*do_get3dLut(nodeId), meshPoints, out, order, maxValue, halfGrid);
    return kNoError;
  });
}

bool Vorn2ImageCore::hasUser3dLut() const { return colorLuts_->hasUser3dLut(); }

void Vorn2ImageCore::checkUserLutNode(unsigned int nodeId) const {
  needNode(nodeId, kNode3dLut);
  if (nodeId != kUserLutNode) throw KvrSignal(kUnknownId, KVR_HERE, "Unknown 3dlut node");
}

ErrorCode Vorn2ImageCore::setUser3dLut(unsigned int nodeId, int meshPoints,
                                       unsigned short const* data, LutOrder order, int maxValue) {
  return kvrBoundary(KVR_HERE, [&] {
    checkUserLutNode(nodeId);
    colorLuts_->setUser3dLut(meshPoints, data, order, maxValue);
    updateNormalization();
    changedNode(kUserLutNode);
    updateGammaLut();
    return kNoError;
  });
}

ErrorCode Vorn2ImageCore::resetUser3dLut(unsigned int nodeId) {
  return kvrBoundary(KVR_HERE, [&] {
    checkUserLutNode(nodeId);
    colorLuts_->resetUser3dLut();
    lookFile_->resetLut();
    updateNormalization();
    changedNode(kUserLutNode);
    updateGammaLut();
    return kNoError;
  });
}

ErrorCode Vorn2ImageCore::getUser3dLutParam(int& maxValue, int& meshPoints, LutOrder& order) const {
  colorLuts_->getUser3dLutParam(maxValue, meshPoints, order);
  return kNoError;
}

ErrorCode Vorn2ImageCore::getSmall3dLut(int meshPoints, unsigned short* in, LutOrder order,
                                        unsigned short* out) const {
  return kvrBoundary(KVR_HERE, [&] {
    if (meshPoints != kLargeMeshPoints)
      throw KvrSignal(kIllegalValue, KVR_HERE, "illegal value for number of mesh points");
    const long inSamples = cube(kLargeMeshPoints);
    const long outSamples = cube(kSmallMeshPoints);
    long k = 0;
    for (int r = 0; r < kSmallMeshPoints; ++r)
      for (int g = 0; g < kSmallMeshPoints; ++g)
        for (int b = 0; b < kSmallMeshPoints; ++b, ++k) {
          const long p = (long(2 * r) * kLargeMeshPoints + 2 * g) * kLargeMeshPoints + 2 * b;
          for (int c = 0; c < 3; ++c)
            out[tableIndex(order, k, c, outSamples)] = in[tableIndex(order, p, c, inSamples)];
        }
    return kNoError;
  });
}

ErrorCode Vorn2ImageCore::swap3DLutEndianess(int meshPoints, unsigned short const* in,
                                             unsigned short* out) {
  if (meshPoints <= 0) return kNoError;
  const long count = 3 * cube(meshPoints);
  for (long i = 0; i < count; ++i) {
    const unsigned short value = in[i];
    out[i] = static_cast<unsigned short>((value >> 8) | (value << 8));
  }
  return kNoError;
}

ErrorCode Vorn2ImageCore::convert3dLut2Rec709(int meshPoints, unsigned short* in, LutOrder order,
                                              int maxValue, unsigned short* out) {
  return kvrBoundary(KVR_HERE, [&] {
    checkMaxValue(KVR_HERE, maxValue);
    if (meshPoints <= 0) return kNoError;
    const long samples = cube(meshPoints);
    if (isTargetColorSpace(Rec1886)) {
      if (in != out) std::copy(in, in + 3 * samples, out);
      return kNoError;
    }
    ColorConversionFunc conversion(target_, getColorSpaceInfo(Rec1886));
    conversion.init(false);
    const double scale = maxValue;
    for (long p = 0; p < samples; ++p) {
      double rgb[3];
      for (int c = 0; c < 3; ++c) rgb[c] = in[tableIndex(order, p, c, samples)] / scale;
      conversion.transform(rgb[0], rgb[1], rgb[2], rgb[0], rgb[1], rgb[2]);
      for (int c = 0; c < 3; ++c)
        out[tableIndex(order, p, c, samples)] = toCode16(rgb[c], maxValue);
    }
    return kNoError;
  });
}

ErrorCode Vorn2ImageCore::getGrayScaleTransform(int meshPoints, unsigned short const* lut,
                                                LutOrder order, int lutMaxValue, int count,
                                                unsigned short* out, int outMaxValue) const {
  if (count < 1 || meshPoints < 1 || lut == nullptr || out == nullptr) return kNoError;
  const long samples = cube(meshPoints);
  auto luma = [&](int k) {
    const long p = (long(k) * meshPoints + k) * meshPoints + k;
    double y = 0.0;
    for (int c = 0; c < 3; ++c)
      y += gLumaFactors[c] * (lut[tableIndex(order, p, c, samples)] / double(lutMaxValue));
    return y;
  };
  const int last = meshPoints - 1;
  const double step = 1.0 / (count - 1);
  double fraction = 0.0;
  for (int j = 0; j < count; ++j, fraction += step) {
    const double x = fraction * last;
    // The accumulated fraction may overshoot 1 by rounding.
    const int k = std::min(static_cast<int>(x), last);
    const double f = x - k;
    const double value = k == last ? luma(k) : luma(k + 1) * f + luma(k) * (1.0 - f);
    out[j] = toCode16(value, outMaxValue);
  }
  return kNoError;
}

ErrorCode Vorn2ImageCore::convertVideo2Elvex(double video, int count, unsigned short const* table,
                                             int maxValue, double& elvex) {
  return kvrBoundary(KVR_HERE, [&] {
    if (table == nullptr || count < 1)
      throw KvrSignal(kIllegalValue, KVR_HERE, "illegal table for video conversion");
    elvex = 0.0;
    colorLuts_->reverseNormalization(video, elvex);
    const double x = maxValue * elvex;
    double value = elvex;
    if (table[0] >= x) {
      // Exactly the first entry is position 0 as well.
      value = 0.0;
    } else if (x > table[count - 1]) {
      value = 1.0;
    } else {
      // The first bracket decides, so a table that is not increasing is
      // still read within its bounds only. A NaN level finds none.
      for (int k = 0; k + 1 < count; ++k) {
        if (table[k] < x && x <= table[k + 1]) {
          const double w = (x - table[k]) / (table[k + 1] - table[k]);
          value = (k + w) / (count - 1);
          break;
        }
      }
    }
    colorLuts_->reverseCDL(value, elvex);
    return kNoError;
  });
}

// ---- Look state -----------------------------------------------------------------------

void Vorn2ImageCore::updateNormalization() {
  double gain = 1.0;
  double offset = 0.0;
  colorLuts_->updateNormalization(gain, offset);
  needParameter(kNormalizationGainParam)->value = gain;
  needParameter(kNormalizationOffsetParam)->value = offset;
  changedNode(kNormalizationNode, gain == 1.0 && offset == 0.0);
  const Elvex& elvex = colorLuts_->getElvex();
  legacyView_->updateNormalization(elvex.getElvexParam().encodingBlack,
                                   std::min(elvex.getMaxValue(), 1.0));
}

void Vorn2ImageCore::updateGammaLut() { grayScaleCurve_ = colorLuts_->getGrayScaleCurve(); }

void Vorn2ImageCore::updateExposureIndex(double ei) { colorLuts_->updateExposureIndex(ei); }

void Vorn2ImageCore::do_getRgbGainOffset(unsigned int id, RgbGainOffset& gainOffset) {
  if (id == kNormalizationNode) {
    const double gain = needParameter(kNormalizationGainParam)->value;
    const double offset = needParameter(kNormalizationOffsetParam)->value;
    for (int c = 0; c < 3; ++c) {
      gainOffset.gain[c] = gain;
      gainOffset.offset[c] = offset;
    }
  } else if (id == kWhiteBalanceNode) {
    updateParam(kGainRedParam);
    updateParam(kGainBlueParam);
    gainOffset.gain[0] = needParameter(kGainRedParam)->value;
    gainOffset.gain[1] = 1.0;
    gainOffset.gain[2] = needParameter(kGainBlueParam)->value;
  }
}

// ---- Metadata atoms -------------------------------------------------------------------

// A key, its handler and whether it names a plain (Rec1886) or master LUT atom.
struct Vorn2ImageCore::AtomKey {
  enum Kind { kOther, kPlainLut, kMasterLut };
  Vorn2MetaDataHandler* handler;
  Kind kind;
  Vorn2LutHandler* lutHandler() const { return static_cast<Vorn2LutHandler*>(handler); }
};

Vorn2ImageCore::AtomKey Vorn2ImageCore::findAtomKey(char const* key) const {
  struct Entry {
    const char* key;
    Vorn2MetaDataHandler* handler;
    AtomKey::Kind kind;
  };
  const Entry table[] = {
      {look_video_param_atom_key, lookParamHandler_.get(), AtomKey::kOther},
      {lut3d_atom_key, videoLutHandler_.get(), AtomKey::kPlainLut},
      {lut3d_master_atom_key, videoLutHandler_.get(), AtomKey::kMasterLut},
      {lut3d_with_cdl_atom_key, videoCdlLutHandler_.get(), AtomKey::kPlainLut},
      {lut3d_master_with_cdl_atom_key, videoCdlLutHandler_.get(), AtomKey::kMasterLut},
      {asc_cdl_param_atom_key, cdlParamHandler_.get(), AtomKey::kOther},
      {look_info_atom_key, lookFileInfoHandler_.get(), AtomKey::kOther},
      {look_video_param_v2_atom_key, lookParamV2Handler_.get(), AtomKey::kOther},
      {look_video_param_v2_atom_key_old, lookParamV2Handler_.get(), AtomKey::kOther},
      {vornraw_lut3d_atom_key, vornRawVideoLutHandler_.get(), AtomKey::kOther},
  };
  if (key != nullptr)
    for (const Entry& entry : table)
      if (std::strcmp(key, entry.key) == 0) {
        if (entry.handler == nullptr)
          throw KvrSignal(kUnknownAtomKey, KVR_HERE,
                          "Undefined meta data atom key for this image core");
        return {entry.handler, entry.kind};
      }
  throw KvrSignal(kUnknownAtomKey, KVR_HERE, "Unknown meta data atom key");
}

Vorn2MetaDataHandler* Vorn2ImageCore::getMetaDataHandler(char const* key) {
  return findAtomKey(key).handler;
}

ErrorCode Vorn2ImageCore::setMetaData(char const* key, void const* data, unsigned int size) {
  try {
    do_setMetaData(key, data, size);
    return kNoError;
  } catch (const KvrSignal& signal) {
    // The atom's settings go back to their defaults before the report.
    try {
      findAtomKey(key).handler->resetMetaData();
    } catch (...) {
    }
    reportSignal(signal);
    return signal.code();
  } catch (const std::exception& e) {
    KvrError(KVR_HERE, "unexpected error from standard library: %s", e.what());
    return kUnknownError;
  } catch (...) {
    KvrError(KVR_HERE, "unknown error");
    return kUnknownError;
  }
}

void Vorn2ImageCore::do_setMetaData(char const* key, void const* data, unsigned int size) {
  const AtomKey atom = findAtomKey(key);
  atom.handler->setMetaData(data, size);
  if (atom.kind != AtomKey::kOther) setTargetColorSpace(atom.lutHandler()->getTargetColorSpace());
}

ErrorCode Vorn2ImageCore::getMetaDataSize(char const* key, unsigned int& size) {
  return kvrBoundary(KVR_HERE, [&] {
    size = do_getMetaDataSize(key);
    return kNoError;
  });
}

unsigned int Vorn2ImageCore::do_getMetaDataSize(char const* key) {
  const AtomKey atom = findAtomKey(key);
  const bool rec1886 = isTargetColorSpace(Rec1886);
  if (atom.kind == AtomKey::kPlainLut) {
    atom.lutHandler()->convert2Rec709(!rec1886);
  } else if (atom.kind == AtomKey::kMasterLut) {
    atom.lutHandler()->convert2Rec709(false);
    if (rec1886) return 0;
  }
  return atom.handler->getMetaDataAtomSize();
}

ErrorCode Vorn2ImageCore::getMetaData(char const* key, void* buffer) {
  return kvrBoundary(KVR_HERE, [&] {
    do_getMetaData(key, buffer);
    return kNoError;
  });
}

void Vorn2ImageCore::do_getMetaData(char const* key, void* data) {
  const AtomKey atom = findAtomKey(key);
  const bool rec1886 = isTargetColorSpace(Rec1886);
  if (atom.kind == AtomKey::kPlainLut) {
    atom.lutHandler()->convert2Rec709(!rec1886);
  } else if (atom.kind == AtomKey::kMasterLut) {
    if (rec1886)
      throw KvrSignal(kIllegalValue, KVR_HERE, "This metadata atom does not exist for rec709d65");
    atom.lutHandler()->convert2Rec709(false);
  }
  if (data == nullptr) throw KvrSignal(kIllegalValue, KVR_HERE, "Metadata buffer is NULL!");
  atom.handler->getMetaData(data);
}

ErrorCode Vorn2ImageCore::resetMetaData(char const* key) {
  return kvrBoundary(KVR_HERE, [&] {
    findAtomKey(key).handler->resetMetaData();
    return kNoError;
  });
}

ErrorCode Vorn2ImageCore::resetAllMetaData() {
  return kvrBoundary(KVR_HERE, [&] {
    Vorn2MetaDataHandler* const handlers[] = {
        lookParamHandler_.get(),      videoLutHandler_.get(),     videoCdlLutHandler_.get(),
        cdlParamHandler_.get(),       lookFileInfoHandler_.get(), lookParamV2Handler_.get(),
        vornRawVideoLutHandler_.get()};
    for (Vorn2MetaDataHandler* handler : handlers) handler->resetMetaData();
    return kNoError;
  });
}

ErrorCode Vorn2ImageCore::readTargetColorSpace(void* atom, ColorSpace& id) {
  return kvrBoundary(KVR_HERE, [&] {
    id = vornRawVideoLutHandler_->readTargetColorSpace(atom);
    return kNoError;
  });
}

ErrorCode Vorn2ImageCore::getLutDesignData(void* buffer) {
  return kvrBoundary(KVR_HERE, [&] {
    if (buffer == nullptr) throw KvrSignal(kIllegalValue, KVR_HERE, "Metadata buffer is NULL!");
    return vornRawVideoLutHandler_->getLutDesignData(static_cast<unsigned char*>(buffer));
  });
}

ErrorCode Vorn2ImageCore::getLutDesignDataSize(unsigned int& size) {
  return kvrBoundary(KVR_HERE, [&] {
    size = vornRawVideoLutHandler_->getLutDesignDataLength();
    return kNoError;
  });
}

ErrorCode Vorn2ImageCore::setLutDesignData(void const* data, unsigned int size) {
  return kvrBoundary(KVR_HERE, [&] {
    vornRawVideoLutHandler_->setLutDesignData(static_cast<unsigned char const*>(data), size);
    return kNoError;
  });
}

// ---- Looks ----------------------------------------------------------------------------

ErrorCode Vorn2ImageCore::loadLook(void const* data, unsigned int size) {
  return kvrBoundary(KVR_HERE, [&] {
    do_loadLook(data, size);
    return kNoError;
  });
}

void Vorn2ImageCore::do_loadLook(void const* data, unsigned int size) {
  lookFile_->loadLook(data, size);
  setTargetColorSpace(lookFile_.get());
}

ErrorCode Vorn2ImageCore::getLookDataSize(bool all, unsigned int& size) {
  return kvrBoundary(KVR_HERE, [&] {
    size = do_getLookDataSize(all);
    return kNoError;
  });
}

unsigned int Vorn2ImageCore::do_getLookDataSize(bool all) {
  const uint64_t size = uint64_t(Vorn2LookFile::kHeaderSize) +
                        uint64_t(Vorn2LookFile::kParameterEntrySize) * getNumParametersToSave(all) +
                        (Vorn2LookFile::kParameterOffset - Vorn2LookFile::kHeaderSize) +
                        (hasUser3dLut() ? Vorn2LookFile::kLutSize : 0) +
                        lookFile_->getLutDesignDataSize();
  if (size > 0xFFFFFFFFu) throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal size of look file!");
  return static_cast<unsigned int>(size);
}

ErrorCode Vorn2ImageCore::saveLook(void* buffer, bool all) {
  return kvrBoundary(KVR_HERE, [&] {
    do_saveLook(buffer, all);
    return kNoError;
  });
}

void Vorn2ImageCore::do_saveLook(void* data, bool all) { lookFile_->saveLook(data, all); }

ErrorCode Vorn2ImageCore::resetLook() {
  return kvrBoundary(KVR_HERE, [&] {
    PipelineParameter* const* parameters = getParameters();
    for (int i = 0; i < getNumParameters(); ++i)
      if (parameters[i]->persistence == kPersistAlways)
        setParam(parameters[i]->id, parameters[i]->defaultValue);
    colorLuts_->resetUser3dLut();
    lookFile_->reset();
    updateNormalization();
    changedNode(kUserLutNode);
    updateGammaLut();
    return kNoError;
  });
}

ErrorCode Vorn2ImageCore::setUserLutDesignData(unsigned char const* data, unsigned int size) {
  return kvrBoundary(KVR_HERE, [&] {
    if (size > kMaxDesignDataSize)
      throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal value for length of lut design data!");
    lookFile_->setUserLutDesignData(data, size);
    return kNoError;
  });
}

ErrorCode Vorn2ImageCore::setUserLutDesignDataKey(unsigned char const* key, unsigned short length) {
  return kvrBoundary(KVR_HERE, [&] {
    lookFile_->setUserLutDesignDataKey(key, length);
    return kNoError;
  });
}

unsigned char const* Vorn2ImageCore::getUserLutDesignData() const {
  return lookFile_->getLutDesignData();
}

unsigned int Vorn2ImageCore::getUserLutDesignDataSize() const {
  return lookFile_->getLutDesignDataSize();
}

unsigned char const* Vorn2ImageCore::getUserLutDesignDataKey() {
  unsigned short length = 0;
  return lookFile_->getUserLutDesignData(length);
}

unsigned short Vorn2ImageCore::getUserLutDesignDataKeySize() {
  unsigned short length = 0;
  lookFile_->getUserLutDesignData(length);
  return length;
}

// ---- Video parameters -----------------------------------------------------------------

ErrorCode Vorn2ImageCore::getVideoParameters(VornRawMeta::VideoParameters* record) {
  return kvrBoundary(KVR_HERE, [&] {
    if (record == nullptr)
      throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal value for video parameter buffer!");
    VornRawMeta::VideoParameters values = {};
    values.size = VornRawMeta::kVideoParametersSize;
    values.version = VornRawMeta::kVideoParametersVersion;
    values.revision = 0;
    for (int i = 0; i < VornRawMeta::VideoParameters::kCount; ++i) {
      double value = 0.0;
      if (ErrorCode code = getParam(VornRawMeta::kVideoParameterIds[i], value)) return code;
      values.values[i] = static_cast<float>(value);
    }
    *record = values;
    return kNoError;
  });
}

ErrorCode Vorn2ImageCore::setVideoParameters(VornRawMeta::VideoParameters const* record) {
  return kvrBoundary(KVR_HERE, [&] {
    if (record == nullptr)
      throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal value for video parameter buffer!");
    if (record->version > VornRawMeta::kVideoParametersVersion)
      throw KvrSignal(kUnknownMetaDataVersion, KVR_HERE,
                      "Unknown video parameter metadata version!");
    if (record->size != VornRawMeta::kVideoParametersSize)
      throw KvrSignal(kIllegalValue, KVR_HERE, "Illegal size of video parameter buffer!");
    for (int i = 0; i < VornRawMeta::VideoParameters::kCount; ++i)
      if (ErrorCode code = setParam(VornRawMeta::kVideoParameterIds[i], record->values[i]))
        return code;
    return kNoError;
  });
}

// ---- White balance ------------------------------------------------------------------

void Vorn2ImageCore::updateColorTempAndTint(double cct, double tint) {
  double gainRed = 1.0;
  double gainBlue = 1.0;
  getWhiteBlanceGain(cct, tint, gainRed, gainBlue);
  needParameter(kGainRedParam)->value = gainRed;
  needParameter(kGainBlueParam)->value = gainBlue;
  needParameter(kCctDerivedParam)->value = cct;
  needParameter(kCctParam)->value = cct;
}

void Vorn2ImageCore::handleOpticalConfigChanged(int) {
  updateParam(kTintParam);
  const double cct = needParameter(kCctDerivedParam)->value;
  const double tint = needParameter(kTintParam)->value;
  if (cct > 0.0) {
    updateColorTempAndTint(cct, tint);
    changedNode(kWhiteBalanceNode);
  }
  changedNode(kColorMatrixNode);
}

}  // namespace Kalvora
