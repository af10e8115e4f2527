#include "kvrDisplayColorSpace.h"

#include "kvrColorSpaces.h"
#include "kvrError.h"
#include "kvrLutInverse.h"
#include "kvrPfwl.h"

#define KVR_SOURCE "src/kvrDisplayColorSpace"

namespace Kalvora {

namespace {

// The display gammas that have a shared curve with a linear toe, as the
// single-precision values the colour spaces are defined with.
constexpr double kVideoGamma = static_cast<double>(2.4f);
constexpr double kDciGamma = static_cast<double>(2.6f);

}  // namespace

DisplayColorSpace::DisplayColorSpace(Chromaticity white, Chromaticity red, Chromaticity green,
                                     Chromaticity blue, EotfType eotf, double gamma,
                                     const char* name, const char* altName)
    : ColorSpaceInfo(white, red, green, blue, name),
      eotf_(eotf),
      gamma_(gamma),
      lut_(nullptr),
      altName_(altName) {
  switch (eotf) {
    case EotfType::Gamma:
      powerFunc_.reset(new PowerFunc(gamma));
      pureGammaLut_.reset(new InverseLutFunc(*powerFunc_));
      if (usesSharedVideoGamma())
        gammaLut_.reset(new InverseLutFunc(Pfwl::sGamma24));
      else if (usesSharedDciGamma())
        gammaLut_.reset(new InverseLutFunc(Pfwl::sGamma26));
      else  // no shared curve: encode with the pure power law
        gammaLut_.reset(new InverseLutFunc(*powerFunc_));
      break;
    case EotfType::Linear:
      gammaLut_.reset(new InverseLutFunc(LutFuncInv::sUnity));
      break;
    case EotfType::Lut:
      throw KvrSignal(kIllegalCall, KVR_HERE, "Use other constructor for this EOTF type");
    case EotfType::Pq:
    case EotfType::Hlg:
      gammaLut_.reset(new InverseLutFunc(Pfwl::sGamma30));
      break;
    default:
      throw KvrSignal(kIllegalValue, KVR_HERE, "Unknown EOTF type");
  }
}

DisplayColorSpace::DisplayColorSpace(Chromaticity white, Chromaticity red, Chromaticity green,
                                     Chromaticity blue, const LutInverse* lut, const char* name,
                                     const char* altName)
    : ColorSpaceInfo(white, red, green, blue, name),
      eotf_(EotfType::Lut),
      gamma_(0.0),
      lut_(lut),
      altName_(altName) {
  if (!lut) throw KvrSignal(kIllegalValue, KVR_HERE, "Unhandled gamma lut");
  gammaLut_.reset(new InverseLutFunc(*lut));
}

DisplayColorSpace::~DisplayColorSpace() = default;

bool DisplayColorSpace::usesSharedVideoGamma() const {
  return eotf_ == EotfType::Gamma && gamma_ == kVideoGamma;
}

bool DisplayColorSpace::usesSharedDciGamma() const {
  return eotf_ == EotfType::Gamma && gamma_ == kDciGamma;
}

const LutFunc* DisplayColorSpace::getLinLut(bool pure) const {
  switch (eotf_) {
    case EotfType::Gamma:
      if (!pure && usesSharedVideoGamma()) return &Pfwl::sGamma24;
      if (!pure && usesSharedDciGamma()) return &Pfwl::sGamma26;
      return powerFunc_.get();
    case EotfType::Linear:
      return &LutFunc::sUnity;
    case EotfType::Lut:
      return lut_;
    case EotfType::Pq:
    case EotfType::Hlg:
      return &Pfwl::sGamma30;
  }
  throw KvrSignal(kIllegalValue, KVR_HERE, "Unknown EOTF type");
}

const LutFunc* DisplayColorSpace::getGammaLut(int, bool pure) const {
  if (pure && eotf_ == EotfType::Gamma) return pureGammaLut_.get();
  return gammaLut_.get();
}

bool DisplayColorSpace::isColorSpace(const char* name, unsigned long skip) const {
  if (altName_ && nameMatches(altName_, name, skip)) return true;
  return SrcColorSpaceInfo::isColorSpace(name, skip);
}

bool DisplayColorSpace::isColorSpace(const unsigned char* bytes, unsigned long skip) const {
  if (altName_ && bytesMatch(altName_, bytes, skip)) return true;
  return SrcColorSpaceInfo::isColorSpace(bytes, skip);
}

bool DisplayColorSpace::isHDR() const {
  return isColorSpace(ColorSpaces::identifier(Rec2100Pq), 0) ||
         isColorSpace(ColorSpaces::identifier(Rec2100Hlg), 0);
}

}  // namespace Kalvora
