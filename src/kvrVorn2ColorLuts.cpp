#include "kvrVorn2ColorLuts.h"

#include <algorithm>
#include <cstdio>

#include "kvrDisplayColorSpace.h"
#include "kvrError.h"
#include "kvrMath.h"
#include "kvrVorn2ImageCore.h"

#define KVR_SOURCE "src/kvrVorn2ColorLuts"

namespace Kalvora {

namespace {

using Channel = Vorn2VideoLutInterface::Channel;

// How each 3-D LUT node is put together.
struct NodeRecipe {
  unsigned int node;
  bool withCdl;
  bool toRec1886;
  bool withLook;
};

constexpr NodeRecipe kNodeRecipes[] = {
    {10, false, false, true}, {12, false, true, true},   {13, true, true, true},
    {14, true, false, true},  {15, false, false, false},
};

// Hue of the hue saturation parameters 5061..5066: red, yellow, then green,
// cyan, blue, magenta.
constexpr int kHueOfParameter[] = {4, 5, 0, 1, 2, 3};

Channel channelOf(unsigned int id, unsigned int redId) { return static_cast<Channel>(id - redId); }

[[noreturn]] void throwUnknownParameter(const char* where) {
  throw KvrSignal(kUnknownId, where, "Unknown parameter");
}

double smallestChannel(const LutFunc3D& f, double x) {
  double r, g, b;
  f.transform(x, x, x, r, g, b);
  return std::min(std::min(r, g), b);
}

double largestChannel(const LutFunc3D& f, double x) {
  double r, g, b;
  f.transform(x, x, x, r, g, b);
  return std::max(std::max(r, g), b);
}

}  // namespace

Vorn2ColorLuts::Vorn2ColorLuts(const Elvex::Param& param, Vorn2ImageCore* core)
    : elvex_(new Elvex(param, 0.0)),
      satMatrix_{},
      cdl_{LutFuncCdl(1.0, 0.0, 1.0), LutFuncCdl(1.0, 0.0, 1.0), LutFuncCdl(1.0, 0.0, 1.0)},
      cdlTriple_(cdl_[0], cdl_[1], cdl_[2]),
      videoLut_(new Vorn2VideoLut(core)),
      lookTransform_(new Vorn2VideoLookTransform()),
      normCdl_(1.0, 0.0, 1.0),
      normAdapter_(normCdl_, normCdl_, normCdl_),
      imageCore_(core),
      blackRef_(param.encodingBlack),
      whiteRef_(1.0),
      target_(nullptr),
      toRec1886_(core->getColorSpaceInfo(Rec1886), core->getColorSpaceInfo(Rec1886)),
      grayTable_{},
      grayLut_(new Lut(grayTable_, kGrayTableSize, 65535)),
      grayCurve_(new LutComposite(normCdl_, *grayLut_)),
      legacyLook_(new KestaLegacyLook()),
      userLutData_(nullptr),
      userLutMeshPoints_(0),
      userLutOrder_(kLutPlanar),
      userLutMaxValue_(1) {
  copyRgbMat(gUnityMatrix, satMatrix_);
}

Vorn2ColorLuts::~Vorn2ColorLuts() = default;

// ---- Settings -----------------------------------------------------------------

bool Vorn2ColorLuts::updateExposureIndex(double ei) { return elvex_->setAsa(ei); }

void Vorn2ColorLuts::updateMidGray(double midGray) { elvex_->updateMidGray(midGray); }

void Vorn2ColorLuts::setTargetColorSpace(const DisplayColorSpace* cs) {
  target_ = cs;
  toRec1886_.setSourceColorSpace(cs);
  videoLut_->setTargetColorSpace(cs);
  // The look transform works in the target's own luma and colour
  // differences, so it follows the target as well.
  lookTransform_->setTargetColorSpace(cs);
}

void Vorn2ColorLuts::setLogParameter(unsigned int id, double value) {
  if (3001 <= id && id <= 3003)
    cdl_[id - 3001].setOffset(value);
  else if (3011 <= id && id <= 3013)
    cdl_[id - 3011].setSlope(value);
  else if (3021 <= id && id <= 3023)
    cdl_[id - 3021].setPower(value);
  else
    throwUnknownParameter(KVR_HERE);
}

void Vorn2ColorLuts::setLogSaturation(double saturation) {
  satRgbMat(gUnityMatrix, gLumaFactors, saturation, satMatrix_);
}

void Vorn2ColorLuts::getSatMatrix(double (&matrix)[9]) const { copyRgbMat(satMatrix_, matrix); }

Vorn2VideoLutInterface& Vorn2ColorLuts::activeLook() {
  if (hasUser3dLut()) return *lookTransform_;
  return *videoLut_;
}

void Vorn2ColorLuts::setTonemapParameter(double blackGamma, double knee) {
  activeLook().setTonemapParameter(blackGamma, knee);
}

void Vorn2ColorLuts::setVideoParameter(unsigned int id, double value) {
  Vorn2VideoLutInterface& look = activeLook();
  if (id == 5040)
    look.setVideoSaturation(value);
  else if (id == 5051)
    look.setMasterGamma(value);
  else if (5061 <= id && id <= 5066)
    look.setHueSaturation(static_cast<HueCurve::Hue>(kHueOfParameter[id - 5061]), value);
  else if (5067 <= id && id <= 5069)
    look.setSlope(value, channelOf(id, 5067));
  else if (5070 <= id && id <= 5072)
    look.setGamma(value, channelOf(id, 5070));
  else if (5073 <= id && id <= 5075)
    look.setPedestal(value, channelOf(id, 5073));
  else
    throwUnknownParameter(KVR_HERE);
}

// ---- User 3-D LUT -------------------------------------------------------------

void Vorn2ColorLuts::setUser3dLut(int meshPoints, const uint16_t* data, LutOrder order,
                                  int maxValue) {
  if (!(kMinUserLutMeshPoints <= meshPoints && meshPoints <= kMaxUserLutMeshPoints)) {
    char message[96];
    std::snprintf(message, sizeof message,
                  "illegal number of mesh points for user 3D LUT: %d (2 to 65 allowed)",
                  meshPoints);
    throw KvrSignal(kIllegalValue, KVR_HERE, message);
  }
  if (data == nullptr) throw KvrSignal(kIllegalValue, KVR_HERE, "user 3D LUT without data");
  if (maxValue <= 0) {
    char message[96];
    std::snprintf(message, sizeof message, "illegal full-scale value for user 3D LUT: %d",
                  maxValue);
    throw KvrSignal(kIllegalValue, KVR_HERE, message);
  }
  userLutData_ = data;
  userLutMeshPoints_ = meshPoints;
  userLutOrder_ = order;
  userLutMaxValue_ = maxValue;
}

void Vorn2ColorLuts::resetUser3dLut() {
  userLutData_ = nullptr;
  userLutMeshPoints_ = 0;
  userLutOrder_ = kLutInterleaved;
  userLutMaxValue_ = 1;
}

void Vorn2ColorLuts::getUser3dLutParam(int& maxValue, int& meshPoints, LutOrder& order) const {
  maxValue = userLutMaxValue_;
  meshPoints = userLutMeshPoints_;
  order = userLutOrder_;
}

const LutFunc3D* Vorn2ColorLuts::getUser3dLutFunc() {
  if (!hasUser3dLut()) return nullptr;
  if (!userLut3D_) userLut3D_.reset(new Lut3D(false));
  // The caller may have changed the samples since the last use.
  userLut3D_->setTable(userLutMeshPoints_, userLutData_, userLutOrder_, userLutMaxValue_);
  return userLut3D_.get();
}

// ---- Inverses and normalisation -------------------------------------------------

void Vorn2ColorLuts::reverseCDL(double value, double& out) const { out = cdl_[1].inverse(value); }

void Vorn2ColorLuts::reverseNormalization(double value, double& out) const {
  out = normCdl_.inverse(value);
}

const LutFunc3D& Vorn2ColorLuts::lookFunction() {
  const LutFunc3D* user = getUser3dLutFunc();
  if (user != nullptr) return *user;
  return *videoLut_;
}

void Vorn2ColorLuts::updateNormalization(double& gain, double& offset) {
  const LutFunc3D& f = lookFunction();
  const double lo = elvex_->getElvexParam().encodingBlack;
  const double hi = std::min(elvex_->getMaxValue(), 1.0);
  legacyLook_->updateNormalization(lo, hi);

  const double outLo = smallestChannel(f, lo);
  const double outHi = largestChannel(f, hi);
  const double refLo = smallestChannel(f, blackRef_);
  const double refHi = largestChannel(f, whiteRef_);
  if (outHi == outLo) {
    gain = 1.0;
    offset = 0.0;
  } else {
    gain = (refHi - refLo) / (outHi - outLo);
    offset = refLo - gain * outLo;
  }
  normCdl_.setSlope(gain);
  normCdl_.setOffset(offset);
}

// ---- Node functions ---------------------------------------------------------

bool Vorn2ColorLuts::targetIs(ColorSpace colorSpace) const {
  const DisplayColorSpace* entry = imageCore_->getColorSpaceInfo(colorSpace);
  return target_ != nullptr && entry != nullptr && target_->isColorSpace(entry->getName(), 0);
}

const LutFunc3D* Vorn2ColorLuts::getVideoRenderLut(unsigned int node) {
  for (const NodeRecipe& recipe : kNodeRecipes)
    if (recipe.node == node)
      return getVideoRenderLut(recipe.withCdl, recipe.toRec1886, recipe.withLook);
  throw KvrSignal(kUnknownId, KVR_HERE, "Unknown 3dlut node");
}

const LutFunc3D* Vorn2ColorLuts::getVideoRenderLut(bool withCdl, bool toRec1886, bool withLook) {
  composite_.reset();
  if (withCdl) {
    cdlAdapter_.setColorLuts(cdlTriple_);
    composite_.addTransformation(cdlAdapter_);
    satMatrixLut_.setMatrix(satMatrix_);
    composite_.addTransformation(satMatrixLut_);
  }
  const LutFunc3D* user = getUser3dLutFunc();
  if (user == nullptr) {
    composite_.addTransformation(*videoLut_);
  } else {
    composite_.addTransformation(*user);
    if (withLook && lookTransform_->isUsed()) composite_.addTransformation(*lookTransform_);
  }
  // Without a target there is nothing to convert from.
  if (!toRec1886 || target_ == nullptr || targetIs(Rec1886)) return &composite_;
  if (!targetIs(Rec2100Pq) && !targetIs(Rec2100Hlg)) {
    toRec1886_.init(false);
    composite_.addTransformation(toRec1886_);
    return &composite_;
  }
  // An HDR target is monitored on Rec.1886 through the legacy camera look.
  return legacyLook_.get();
}

const LutFunc* Vorn2ColorLuts::getGrayScaleCurve() {
  const LutFunc3D* f = getVideoRenderLut(false, false, true);
  for (int i = 0; i < kGrayTableSize; ++i) {
    const double x = i * 0.03125;
    double r, g, b;
    f->transform(x, x, x, r, g, b);
    // Extreme slopes or pedestals can push the neutral axis outside [0, 1]:
    // clamp so the code never wraps around.
    grayTable_[i] = toCode16(g, 65535);
  }
  return grayCurve_.get();
}

}  // namespace Kalvora
